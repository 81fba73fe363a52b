#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <memory>

// Whether bytes start as gzip does (1f 8b), whatever a file's name or a
// server's content type says.
bool looksGzipped(QByteArrayView head);

// Decompresses gzip as it arrives, never more than `limit` bytes in all: a
// stream that would go past it (a "gzip bomb") is cut there, as a fault.
// Concatenated members are read one after the other, as gzip does.
class GzipStream {
public:
    explicit GzipStream(qint64 limit);
    ~GzipStream();
    GzipStream(const GzipStream&) = delete;
    GzipStream& operator=(const GzipStream&) = delete;

    // What these compressed bytes decompress to; nothing more after a fault.
    QByteArray feed(QByteArrayView compressed);
    // The input ended: a fault if it ended inside a member.
    void finish();

    bool failed() const { return !error_.isEmpty(); }
    const QString& error() const { return error_; }
    qint64 produced() const { return produced_; }

private:
    struct Inflater;
    std::unique_ptr<Inflater> inflater_;
    qint64 limit_;
    qint64 produced_ = 0;
    bool inMember_ = false;
    QString error_;
};
