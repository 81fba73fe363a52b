#include "NetworkProbes.h"

#include <QHostAddress>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QPointer>
#include <QTcpSocket>
#include <QUdpSocket>
#include <QUrl>

namespace {

QString schemeOf(const QString& address)
{
    return QUrl(address).scheme().toLower();
}

using Reason = AddressCheck::Reason;

AddressCheck failed(Reason why)
{
    return AddressCheck::failed(why);
}

AddressCheck failedOn(QAbstractSocket::SocketError error, const QString& text)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return failed(Reason::Refused);
    case QAbstractSocket::HostNotFoundError:
        return failed(Reason::NoServer);
    case QAbstractSocket::SocketTimeoutError:
        return failed(Reason::Timeout);
    case QAbstractSocket::RemoteHostClosedError:
        return failed(Reason::Closed);
    default:
        return AddressCheck::failed(Reason::Other, 0, text);
    }
}

// HTTP(S): the first bytes of the address, or of the first segment its HLS playlist leads to.
class HttpProbe final : public AddressProbe {
public:
    HttpProbe(const CheckTarget& target, QNetworkAccessManager& network) : target_(target), network_(network) {}
    ~HttpProbe() override
    {
        // Its abort may report at once: not to a probe half gone.
        if (reply_)
            reply_->disconnect(this);
    }

    void start() override { get(QUrl(target_.address)); }

private:
    static constexpr int kPlaylistSteps = 3; // a master playlist, a media playlist, a segment
    static constexpr qint64 kPlaylistBytes = 1 << 20;

    void get(const QUrl& url)
    {
        QNetworkRequest request(url);
        // One try, one connection: none is kept open for later requests.
        request.setRawHeader("Connection", "close");
        if (!target_.userAgent.isEmpty())
            request.setHeader(QNetworkRequest::UserAgentHeader, target_.userAgent);
        if (!target_.referrer.isEmpty())
            request.setRawHeader("Referer", target_.referrer.toUtf8());
        reply_.reset(network_.get(request));
        body_.clear();
        connect(reply_.get(), &QNetworkReply::readyRead, this, &HttpProbe::read);
        connect(reply_.get(), &QNetworkReply::finished, this, &HttpProbe::ended);
    }

    int status() const { return reply_->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt(); }

    void read()
    {
        if (status() >= 400)
            return; // said when it ends
        body_ += reply_->readAll();
        if (body_.isEmpty())
            return;
        if (!body_.startsWith("#EXTM3U") && !QByteArray("#EXTM3U").startsWith(body_.left(7))) {
            answer(AddressCheck::ok());
            return;
        }
        if (body_.size() > kPlaylistBytes)
            answer(failed(Reason::PlaylistTooLarge));
    }

    void ended()
    {
        if (answered_)
            return;
        if (const int code = status(); code >= 400) {
            answer(AddressCheck::failed(Reason::Status, code));
            return;
        }
        if (reply_->error() != QNetworkReply::NoError) {
            answer(failureOfReply());
            return;
        }
        body_ += reply_->readAll();
        if (!body_.startsWith("#EXTM3U")) {
            answer(body_.isEmpty() ? failed(Reason::NoData) : AddressCheck::ok());
            return;
        }
        // A playlist: on to the first address it names.
        for (const QByteArray& raw : body_.split('\n')) {
            const QByteArray line = raw.trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            if (++steps_ >= kPlaylistSteps) {
                answer(failed(Reason::PlaylistTooDeep));
                return;
            }
            const QUrl next = reply_->url().resolved(QUrl(QString::fromUtf8(line)));
            QNetworkReply* read = reply_.release();
            read->disconnect(this);
            read->deleteLater();
            get(next);
            return;
        }
        answer(failed(Reason::PlaylistEmpty));
    }

    AddressCheck failureOfReply() const
    {
        switch (reply_->error()) {
        case QNetworkReply::ConnectionRefusedError:
            return failed(Reason::Refused);
        case QNetworkReply::HostNotFoundError:
            return failed(Reason::NoServer);
        case QNetworkReply::TimeoutError:
            return failed(Reason::Timeout);
        case QNetworkReply::RemoteHostClosedError:
            return failed(Reason::Closed);
        case QNetworkReply::SslHandshakeFailedError:
            return failed(Reason::SecureFailed);
        default:
            return AddressCheck::failed(Reason::Other, 0, reply_->errorString());
        }
    }

    void answer(const AddressCheck& found)
    {
        if (answered_)
            return;
        answered_ = true;
        if (reply_)
            reply_->abort();
        emit done(found);
    }

    // Aborting closes its connection now (Qt's own links to the reply stay:
    // they are what closes it).
    struct LaterDelete {
        void operator()(QNetworkReply* reply) const
        {
            reply->abort();
            reply->deleteLater();
        }
    };

    CheckTarget target_;
    QNetworkAccessManager& network_;
    std::unique_ptr<QNetworkReply, LaterDelete> reply_;
    QByteArray body_;
    int steps_ = 0;
    bool answered_ = false;
};

// RTSP: the status line of the server's answer to DESCRIBE.
class RtspProbe final : public AddressProbe {
public:
    explicit RtspProbe(const CheckTarget& target) : target_(target) {}

    void start() override
    {
        const QUrl url(target_.address);
        connect(&socket_, &QTcpSocket::connected, this, [this, url] {
            QByteArray request = "DESCRIBE " + url.toString(QUrl::RemoveUserInfo).toUtf8() +
                                 " RTSP/1.0\r\nCSeq: 1\r\nAccept: application/sdp\r\n";
            if (!target_.userAgent.isEmpty())
                request += "User-Agent: " + target_.userAgent.toUtf8() + "\r\n";
            socket_.write(request + "\r\n");
        });
        connect(&socket_, &QTcpSocket::readyRead, this, [this] {
            if (!socket_.canReadLine())
                return;
            // "RTSP/1.0 200 OK"
            const QList<QByteArray> status = socket_.readLine().trimmed().split(' ');
            const int code = status.value(1).toInt();
            answer(code >= 200 && code < 300 ? AddressCheck::ok()
                   : code > 0                ? AddressCheck::failed(Reason::Status, code)
                                             : failed(Reason::NotRtsp));
        });
        connect(&socket_, &QTcpSocket::errorOccurred, this,
                [this](QAbstractSocket::SocketError error) { answer(failedOn(error, socket_.errorString())); });
        socket_.connectToHost(url.host(), quint16(url.port(554)));
    }

private:
    void answer(const AddressCheck& found)
    {
        if (answered_)
            return;
        answered_ = true;
        socket_.abort();
        emit done(found);
    }

    CheckTarget target_;
    QTcpSocket socket_;
    bool answered_ = false;
};

// UDP and RTP: a datagram on the address's port (joining its group when it is one).
class DatagramProbe final : public AddressProbe {
public:
    explicit DatagramProbe(const CheckTarget& target) : target_(target) {}

    void start() override
    {
        const QUrl url(target_.address);
        const QHostAddress group(url.host());
        const quint16 port = quint16(url.port(1234));
        connect(&socket_, &QUdpSocket::readyRead, this, [this] {
            if (answered_)
                return;
            answered_ = true;
            emit done(AddressCheck::ok());
        });
        if (!socket_.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint) ||
            (group.isMulticast() && !socket_.joinMulticastGroup(group))) {
            answered_ = true;
            emit done(AddressCheck::failed(Reason::Other, 0, socket_.errorString()));
        }
    }

private:
    CheckTarget target_;
    QUdpSocket socket_;
    bool answered_ = false;
};

class UncheckableProbe final : public AddressProbe {
public:
    void start() override { emit done(AddressCheck::ok(Reason::NotChecked)); }
};

} // namespace

std::unique_ptr<AddressProbe> makeNetworkProbe(const CheckTarget& target, QNetworkAccessManager& network)
{
    const QString scheme = schemeOf(target.address);
    if (scheme == u"http" || scheme == u"https")
        return std::make_unique<HttpProbe>(target, network);
    if (scheme == u"rtsp")
        return std::make_unique<RtspProbe>(target);
    if (scheme == u"udp" || scheme == u"rtp")
        return std::make_unique<DatagramProbe>(target);
    return std::make_unique<UncheckableProbe>();
}
