#include "GuideFetcher.h"

#include "GuideLog.h"

#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>

GuideFetcher::GuideFetcher(QObject* parent) : QObject(parent), network_(new QNetworkAccessManager(this))
{
    network_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
}

GuideFetcher::~GuideFetcher()
{
    abort();
}

void GuideFetcher::fetch(const QString& address, const std::optional<GuideStore::Copy>& kept, const QString& path,
                         Done done)
{
    abort();
    done_ = std::move(done);
    path_ = path;
    file_ = std::make_unique<QFile>(path + QStringLiteral(".part"));
    if (!file_->open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        finish({Outcome::Kind::Failed, {}, {}, file_->errorString()});
        return;
    }
    QNetworkRequest request{QUrl(address)};
    request.setTransferTimeout(kQuietTimeoutMs);
    request.setMaximumRedirectsAllowed(10);
    // The guide's bytes as they are sent: a gzipped guide is read as gzip later.
    request.setRawHeader("Accept-Encoding", "identity");
    if (kept && !kept->etag.isEmpty())
        request.setRawHeader("If-None-Match", kept->etag.toUtf8());
    if (kept && !kept->lastModified.isEmpty())
        request.setRawHeader("If-Modified-Since", kept->lastModified.toUtf8());
    reply_ = network_->get(request);
    connect(reply_, &QNetworkReply::readyRead, this, [this] {
        if (!reply_ || !file_)
            return;
        const QByteArray bytes = reply_->readAll();
        if (file_->size() + bytes.size() > kLongestDownload) {
            finish({Outcome::Kind::Failed, {}, {}, QStringLiteral("longer than %1 bytes").arg(kLongestDownload)});
            return;
        }
        if (file_->write(bytes) != bytes.size())
            finish({Outcome::Kind::Failed, {}, {}, file_->errorString()});
    });
    connect(reply_, &QNetworkReply::finished, this, [this] {
        if (!reply_)
            return;
        const int status = reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
        Outcome outcome;
        outcome.copy = {QString::fromUtf8(reply_->rawHeader("ETag")),
                        QString::fromUtf8(reply_->rawHeader("Last-Modified")), QDateTime::currentSecsSinceEpoch()};
        if (reply_->error() != QNetworkReply::NoError) {
            outcome.reason = reply_->errorString();
        } else if (status == 304) {
            outcome.kind = Outcome::Kind::NotModified;
        } else if (status != 0 && (status < 200 || status >= 300)) {
            outcome.reason = QStringLiteral("HTTP %1").arg(status);
        } else {
            file_->write(reply_->readAll());
            file_->close();
            QFile::remove(path_);
            if (file_->rename(path_)) {
                outcome.kind = Outcome::Kind::Fetched;
                outcome.path = path_;
            } else {
                outcome.reason = file_->errorString();
            }
        }
        finish(outcome);
    });
}

void GuideFetcher::abort()
{
    if (reply_) {
        QNetworkReply* reply = std::exchange(reply_, nullptr);
        reply->disconnect(this);
        reply->abort();
        reply->deleteLater();
    }
    if (file_) {
        file_->close();
        file_->remove();
        file_.reset();
    }
    done_ = nullptr;
}

void GuideFetcher::finish(Outcome outcome)
{
    Done done = std::move(done_);
    if (outcome.kind == Outcome::Kind::Failed)
        qCWarning(lcGuide) << "fetching" << (reply_ ? reply_->url().toString() : QString()) << "failed:" << outcome.reason;
    if (reply_) {
        QNetworkReply* reply = std::exchange(reply_, nullptr);
        reply->disconnect(this);
        if (outcome.kind == Outcome::Kind::Failed)
            reply->abort();
        reply->deleteLater();
    }
    if (file_ && outcome.kind != Outcome::Kind::Fetched)
        file_->remove();
    file_.reset();
    if (done)
        done(outcome);
}
