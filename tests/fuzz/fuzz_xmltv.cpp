// libFuzzer target: arbitrary bytes through the guide's readers, as gzip
// (bounded), as XMLTV in pieces and as an answer of the JSON guide API.
// Besides crashes, hangs and leaks it checks that a guide read in pieces of
// any size gives what reading it at once gives, and that no text comes out
// longer than the bound and no programme ends before it starts.

#include "FuzzRequire.h"
#include "guide/GzipStream.h"
#include "guide/JsonGuide.h"
#include "guide/XmltvReader.h"

#include <cstddef>
#include <cstdint>
#include <random>

namespace {

struct Read {
    QStringList said;
    bool faulted = false;
};

Read readInPieces(const QByteArray& bytes, std::uint32_t seed)
{
    Read read;
    XmltvReader reader(
        [&](GuideChannel&& channel) {
            require(!channel.id.isEmpty());
            read.said << channel.id + u'|' + channel.names.join(u'|') + u'|' + channel.icon;
        },
        [&](GuideProgramme&& programme) {
            require(programme.title.size() <= XmltvReader::kLongestText);
            require(programme.description.size() <= XmltvReader::kLongestText);
            require(programme.stop == 0 || programme.stop > programme.start);
            read.said << programme.channel + u'|' + QString::number(programme.start) + u'|' + programme.title;
        });
    std::minstd_rand pieces(seed);
    for (qsizetype at = 0; at < bytes.size();) {
        const qsizetype size = seed == 0 ? bytes.size() : qsizetype(pieces() % 64 + 1);
        if (!reader.feed(bytes.mid(at, size)))
            break;
        at += size;
    }
    read.faulted = !reader.finish();
    return read;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint32_t seed = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24);
    QByteArray bytes(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));
    if (looksGzipped(bytes)) {
        GzipStream gzip(1 << 20);
        bytes = gzip.feed(bytes);
        gzip.finish();
        require(bytes.size() <= (1 << 20));
    }
    for (const Programme& programme : jsonguide::programmes(bytes, QDate(2026, 12, 8), 480)) {
        require(programme.title.size() <= 1000 && !programme.title.isEmpty());
        require(programme.stop == 0 || programme.stop > programme.start);
    }
    const Read whole = readInPieces(bytes, 0);
    const Read pieces = readInPieces(bytes, seed | 1);
    // A guide read to its end gives the same whatever pieces it came in. (Where
    // it stops at a fault may differ: Qt's reader checks the encoding of each
    // piece it is given as a whole.)
    require(whole.faulted == pieces.faulted);
    if (!whole.faulted)
        require(whole.said == pieces.said);
    return 0;
}
