#pragma once

#include <QByteArray>

#include <cstddef>
#include <cstdint>

// Where a recording of an MPEG-TS stream begins: at a picture a decoder can
// start from (an H.264 or HEVC access unit with its parameter sets, an
// MPEG-2 sequence header, or a packet the stream marks as a random-access
// point), with the stream's tables (PAT and PMT) written before it, so that
// the file opens in any player from its first byte. Fed the stream as it
// comes, in pieces of any size. A stream that is no MPEG-TS, or in which no
// such point is found within a bound, starts at the next packet as it is.
class TsStartPoint {
public:
    // Past this much of the stream without its tables or a start point, the
    // recording starts where it is (a stream with neither, or one we cannot read).
    static constexpr std::int64_t kGiveUpBytes = std::int64_t(32) << 20;

    struct Found {
        bool found = false;
        QByteArray head;       // written first: the tables, then the start point's first packet
        std::size_t rest = 0;  // then the piece's bytes from here on
    };
    // The next piece of the stream; once found, every later piece is written whole.
    Found feed(const unsigned char* bytes, std::size_t size);

private:
    enum class Kind { Unknown, Video, Audio };
    void readPat(const unsigned char* packet);
    void readPmt(const unsigned char* packet);
    bool startsHere(const unsigned char* packet);
    Found foundAt(const unsigned char* packet, std::size_t rest);

    QByteArray carry_;  // a packet's first bytes, the rest to come
    bool synced_ = false;
    std::int64_t seen_ = 0;
    QByteArray pat_;
    QByteArray pmt_;
    int pmtPid_ = -1;
    int esPid_ = -1;
    int streamType_ = 0;
    Kind kind_ = Kind::Unknown;
    int keysWithoutParameters_ = 0; // H.264/HEVC pictures to start from seen without their parameter sets
};
