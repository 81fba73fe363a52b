// libFuzzer target: arbitrary bytes through the play-source reader, decoder,
// cutter, M3U reader and the reading of channel addresses. Besides crashes, hangs and leaks it checks what every load must
// keep true, and that reading a file in pieces of any size gives exactly what
// reading it at once gives.

#include "FuzzRequire.h"
#include "sources/ChannelAddress.h"
#include "sources/M3uList.h"
#include "sources/PlaySourceBytes.h"
#include "sources/PlaySourceText.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <random>

namespace {

// The same bytes fed in pieces whose sizes come from the seed.
PlaySourceBytes inPieces(QByteArrayView bytes, std::uint32_t seed, qsizetype limit)
{
    std::minstd_rand pieces(seed);
    PlaySourceBytes collected(limit);
    qsizetype at = 0;
    while (at < bytes.size() && collected.wantsMore()) {
        const qsizetype size = std::min<qsizetype>(bytes.size() - at, qsizetype(pieces() % 97));
        collected.feed(bytes.sliced(at, size));
        at += size;
    }
    return collected;
}

bool sameCollection(const PlaySourceBytes& a, const PlaySourceBytes& b)
{
    return a.bytes() == b.bytes() && a.isBinary() == b.isBinary() && a.reachedLimit() == b.reachedLimit();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 4)
        return 0;
    const std::uint32_t seed = data[0] | (data[1] << 8) | (data[2] << 16) | (std::uint32_t(data[3]) << 24);
    const QByteArray bytes(reinterpret_cast<const char*>(data + 4), qsizetype(size - 4));

    const PlaySourceBytes whole = PlaySourceBytes::collect(bytes);
    require(sameCollection(inPieces(bytes, seed, PlaySourceBytes::kDefaultLimit), whole));
    // A limit inside the text: still the same in pieces as at once.
    const qsizetype limit = qsizetype(seed % 257);
    require(sameCollection(inPieces(bytes, seed, limit), PlaySourceBytes::collect(bytes, limit)));

    // What was collected reads as the whole file would.
    PlaySourceFile file = parsePlaySourceBytes(whole.bytes());
    require(file.entries == parsePlaySourceBytes(bytes).entries);

    file.fillColumns();
    const auto entries = qsizetype(file.entries.size());
    require(entries == (file.fields.size() + 1) / 2 && file.names.size() == entries &&
            file.addresses.size() == entries);
    // Pieces never hold a separator.
    for (const QString& field : file.fields)
        require(!field.contains(u',') && !field.contains(u'\n'));

    // Every entry's addresses read without a crash; none is empty.
    for (int index = 0; index < std::min<int>(int(file.names.size()), 64); ++index)
        for (const ChannelAddress& read : channelAddresses(file.names, file.addresses, index))
            require(!read.address.isEmpty());

    // The same text as an M3U list: pairs of name and address, a heading's address "#genre#".
    const QString text = decodePlaySourceText(whole.bytes());
    (void)isHlsPlaylist(text);
    PlaySourceFile m3u = parseM3u(text, QStringLiteral("/lists"));
    m3u.fillColumns();
    require(m3u.fields.size() == 2 * qsizetype(m3u.entries.size()));
    for (const int heading : m3u.headingRows)
        require(isGroupHeading(m3u.addresses.at(heading)));
    return 0;
}
