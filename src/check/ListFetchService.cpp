#include "ListFetchService.h"

#include <QLoggingCategory>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QUrl>

Q_LOGGING_CATEGORY(lcListFetch, "clipvane.lists", QtWarningMsg)

namespace {

// The address without what may be secret in it, for the log.
QString loggable(const QUrl& url)
{
    return url.adjusted(QUrl::RemoveQuery | QUrl::RemoveUserInfo).toString();
}

} // namespace

ListFetchService::ListFetchService() : network_(new QNetworkAccessManager(this))
{
    network_->setAutoDeleteReplies(true);
}

ListFetchService::~ListFetchService()
{
    cancel();
}

void ListFetchService::fetch(const ListFetchRequest& request, std::function<void(ListFetchOutcome)> done)
{
    cancel();
    done_ = std::move(done);
    body_.clear();
    bound_ = request.sizeBound;
    QNetworkRequest asked{QUrl(request.address)};
    // Every redirect is followed and said in the log: list hosts move lists from https to http too.
    asked.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    asked.setTransferTimeout(kQuietTimeoutMs);
    if (!request.userAgent.isEmpty())
        asked.setHeader(QNetworkRequest::UserAgentHeader, request.userAgent);
    if (!request.referrer.isEmpty())
        asked.setRawHeader("Referer", request.referrer.toUtf8());
    if (!request.etag.isEmpty())
        asked.setRawHeader("If-None-Match", request.etag.toUtf8());
    if (!request.lastModified.isEmpty())
        asked.setRawHeader("If-Modified-Since", request.lastModified.toUtf8());
    QNetworkReply* reply = network_->get(asked);
    reply_ = reply;
    connect(reply, &QNetworkReply::redirected, this, [reply](const QUrl& to) {
        qCInfo(lcListFetch) << "the list moved to" << loggable(to);
        emit reply->redirectAllowed();
    });
    connect(reply, &QNetworkReply::readyRead, this, [this, reply] {
        if (reply != reply_)
            return;
        body_ += reply->readAll();
        if (body_.size() > bound_) {
            ListFetchOutcome outcome;
            outcome.problem = ListProblem::TooLarge;
            finish(outcome);
        }
    });
    connect(reply, &QNetworkReply::finished, this, [this, reply] {
        if (reply == reply_)
            replyFinished();
    });
}

void ListFetchService::replyFinished()
{
    QNetworkReply& reply = *reply_;
    body_ += reply.readAll();
    ListFetchOutcome outcome;
    const int status = reply.attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    outcome.httpStatus = status;
    if (status == 304) {
        outcome.kind = ListFetchOutcome::Kind::NotModified;
    } else if (reply.error() == QNetworkReply::OperationCanceledError || reply.error() == QNetworkReply::TimeoutError) {
        outcome.problem = ListProblem::Timeout; // the transfer timer aborts a quiet server
    } else if (status >= 400) {
        outcome.problem = ListProblem::HttpStatus;
    } else if (reply.error() != QNetworkReply::NoError) {
        const bool cut = reply.error() == QNetworkReply::RemoteHostClosedError ||
                         reply.error() == QNetworkReply::ProtocolFailure;
        outcome.problem = cut && !body_.isEmpty() ? ListProblem::CutOff : ListProblem::Network;
        // Not the error's text: Qt writes the whole address into it, password and all.
        qCInfo(lcListFetch) << "the list was not fetched from" << loggable(reply.url()) << reply.error();
    } else {
        const QVariant announced = reply.header(QNetworkRequest::ContentLengthHeader);
        // Qt inflates a gzip content encoding itself; the length announced is then of the compressed bytes.
        const bool inflated = reply.rawHeader("Content-Encoding").toLower().contains("gzip");
        if (announced.isValid() && !inflated && announced.toLongLong() > body_.size()) {
            outcome.problem = ListProblem::CutOff;
        } else {
            outcome.kind = ListFetchOutcome::Kind::Fetched;
            outcome.body = std::move(body_);
            outcome.etag = QString::fromUtf8(reply.rawHeader("ETag"));
            outcome.lastModified = QString::fromUtf8(reply.rawHeader("Last-Modified"));
        }
    }
    finish(std::move(outcome));
}

void ListFetchService::finish(ListFetchOutcome outcome)
{
    if (QNetworkReply* reply = reply_.data()) {
        reply_.clear();
        reply->disconnect(this);
        reply->abort();
    }
    body_.clear();
    if (auto done = std::exchange(done_, nullptr))
        done(std::move(outcome));
}

void ListFetchService::cancel()
{
    done_ = nullptr;
    if (QNetworkReply* reply = reply_.data()) {
        reply_.clear();
        reply->disconnect(this);
        reply->abort();
    }
    body_.clear();
}
