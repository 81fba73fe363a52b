// libFuzzer target: stream bytes as a live channel's server sends them (cut
// anywhere, a PID that changes, a continuity jump, tables of any shape)
// through the recorder's choice of where a recording starts. Besides
// crashes, hangs, leaks and undefined behaviour it checks that what is
// written is the stream from one point on, after at most the two tables.

#include "FuzzRequire.h"
#include "engine/TsStartPoint.h"

#include <cstddef>
#include <cstdint>
#include <random>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    std::minstd_rand pieces(data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24));
    const QByteArray stream(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));
    TsStartPoint start;
    QByteArray written;
    bool found = false;
    for (qsizetype at = 0; at < stream.size();) {
        const qsizetype piece = std::min<qsizetype>(stream.size() - at, 1 + qsizetype(pieces() % 700));
        const auto* bytes = reinterpret_cast<const unsigned char*>(stream.constData() + at);
        if (found) {
            written.append(stream.constData() + at, piece);
        } else {
            const TsStartPoint::Found here = start.feed(bytes, std::size_t(piece));
            require(here.rest <= std::size_t(piece));
            if (here.found) {
                found = true;
                written = here.head;
                written.append(stream.constData() + at + qsizetype(here.rest), piece - qsizetype(here.rest));
            }
        }
        at += piece;
    }
    if (!found)
        return 0;
    // The stream from one point on: its tail, after at most two tables' packets.
    bool tail = false;
    for (qsizetype tables = 0; tables <= 2 * 188 && !tail; tables += 188)
        tail = written.size() >= tables && stream.endsWith(written.sliced(tables));
    require(tail);
    return 0;
}
