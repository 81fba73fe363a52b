#pragma once

#include <QByteArray>
#include <QByteArrayView>

// Collects the bytes of a play-source file piece by piece and says when no
// more are needed: a list counts only up to its first zero byte (a UTF-16
// list with its byte-order mark, up to its first zero character), and a zero
// byte is also what tells a video from a list, so a dropped film is never
// read past its first piece. A list without a zero byte is taken whole up to
// a limit that no real list reaches.
//
// Feeding the same bytes in pieces of any size gives the same result as
// feeding them at once.
class PlaySourceBytes {
public:
    static constexpr qsizetype kDefaultLimit = qsizetype(256) * 1024 * 1024;

    explicit PlaySourceBytes(qsizetype limit = kDefaultLimit);

    // Takes the next piece; false once nothing more is wanted.
    bool feed(QByteArrayView piece);
    bool wantsMore() const { return !done_; }

    // The bytes the list is read from: up to (not including) the zero byte or
    // zero character that ended it, or up to the limit.
    const QByteArray& bytes() const { return bytes_; }
    // No text list: a zero byte came and there is no UTF-16 byte-order mark.
    bool isBinary() const { return zeroSeen_ && !utf16_; }
    // The limit was reached before the text ended.
    bool reachedLimit() const { return reachedLimit_; }

    // The same collection over bytes already in memory.
    static PlaySourceBytes collect(QByteArrayView whole, qsizetype limit = kDefaultLimit);

private:
    void scanForEnd();
    void finishAt(qsizetype end);

    QByteArray bytes_;
    qsizetype limit_;
    qsizetype scanned_ = 0; // bytes_ before this hold no end
    bool utf16_ = false;
    bool decided_ = false; // whether the byte-order mark question is settled
    bool zeroSeen_ = false;
    bool reachedLimit_ = false;
    bool done_ = false;
};
