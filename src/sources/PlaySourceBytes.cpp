#include "PlaySourceBytes.h"

#include <algorithm>

namespace {

bool isUtf16Mark(const QByteArray& bytes)
{
    const auto first = static_cast<unsigned char>(bytes.at(0));
    const auto second = static_cast<unsigned char>(bytes.at(1));
    return (first == 0xFF && second == 0xFE) || (first == 0xFE && second == 0xFF);
}

bool mayStartUtf16Mark(char byte)
{
    const auto c = static_cast<unsigned char>(byte);
    return c == 0xFF || c == 0xFE;
}

} // namespace

PlaySourceBytes::PlaySourceBytes(qsizetype limit) : limit_(std::max<qsizetype>(limit, 0)) {}

PlaySourceBytes PlaySourceBytes::collect(QByteArrayView whole, qsizetype limit)
{
    PlaySourceBytes collected(limit);
    collected.feed(whole);
    if (collected.wantsMore())
        collected.done_ = true; // nothing follows
    return collected;
}

bool PlaySourceBytes::feed(QByteArrayView piece)
{
    if (done_)
        return false;
    if (piece.isEmpty())
        return true;
    const qsizetype room = limit_ - bytes_.size();
    bytes_.append(piece.first(std::min(piece.size(), room)));
    scanForEnd();
    if (!done_ && bytes_.size() >= limit_) {
        reachedLimit_ = true;
        done_ = true;
    }
    return !done_;
}

void PlaySourceBytes::scanForEnd()
{
    const qsizetype size = bytes_.size();
    if (!decided_) {
        if (size == 0 || (size == 1 && mayStartUtf16Mark(bytes_.at(0))))
            return; // a mark may still be coming; its bytes hold no zero
        utf16_ = size >= 2 && isUtf16Mark(bytes_);
        decided_ = true;
        scanned_ = utf16_ ? 2 : 0;
    }
    if (utf16_) {
        qsizetype at = scanned_; // always even: characters start at even offsets
        for (; at + 1 < size; at += 2) {
            if (bytes_.at(at) == 0 && bytes_.at(at + 1) == 0) {
                finishAt(at);
                return;
            }
        }
        scanned_ = at;
        return;
    }
    const qsizetype zero = bytes_.indexOf('\0', scanned_);
    if (zero >= 0) {
        finishAt(zero);
        return;
    }
    scanned_ = size;
}

void PlaySourceBytes::finishAt(qsizetype end)
{
    bytes_.truncate(end);
    zeroSeen_ = true;
    done_ = true;
}
