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

AddressCheck failed(const QString& reason)
{
    return {false, reason};
}

QString reasonOf(QAbstractSocket::SocketError error, const QString& text)
{
    switch (error) {
    case QAbstractSocket::ConnectionRefusedError:
        return QStringLiteral("连接被拒绝");
    case QAbstractSocket::HostNotFoundError:
        return QStringLiteral("找不到服务器");
    case QAbstractSocket::SocketTimeoutError:
        return QStringLiteral("超时");
    case QAbstractSocket::RemoteHostClosedError:
        return QStringLiteral("连接被关闭");
    default:
        return text;
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
            answer({true, {}});
            return;
        }
        if (body_.size() > kPlaylistBytes)
            answer(failed(QStringLiteral("播放列表太大")));
    }

    void ended()
    {
        if (answered_)
            return;
        if (const int code = status(); code >= 400) {
            answer(failed(QString::number(code)));
            return;
        }
        if (reply_->error() != QNetworkReply::NoError) {
            answer(failed(reasonOfReply()));
            return;
        }
        body_ += reply_->readAll();
        if (!body_.startsWith("#EXTM3U")) {
            answer(body_.isEmpty() ? failed(QStringLiteral("没有数据")) : AddressCheck{true, {}});
            return;
        }
        // A playlist: on to the first address it names.
        for (const QByteArray& raw : body_.split('\n')) {
            const QByteArray line = raw.trimmed();
            if (line.isEmpty() || line.startsWith('#'))
                continue;
            if (++steps_ >= kPlaylistSteps) {
                answer(failed(QStringLiteral("播放列表套得太深")));
                return;
            }
            const QUrl next = reply_->url().resolved(QUrl(QString::fromUtf8(line)));
            QNetworkReply* read = reply_.release();
            read->disconnect(this);
            read->deleteLater();
            get(next);
            return;
        }
        answer(failed(QStringLiteral("播放列表是空的")));
    }

    QString reasonOfReply() const
    {
        switch (reply_->error()) {
        case QNetworkReply::ConnectionRefusedError:
            return QStringLiteral("连接被拒绝");
        case QNetworkReply::HostNotFoundError:
            return QStringLiteral("找不到服务器");
        case QNetworkReply::TimeoutError:
            return QStringLiteral("超时");
        case QNetworkReply::RemoteHostClosedError:
            return QStringLiteral("连接被关闭");
        case QNetworkReply::SslHandshakeFailedError:
            return QStringLiteral("安全连接失败");
        default:
            return reply_->errorString();
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
            answer(code >= 200 && code < 300 ? AddressCheck{true, {}}
                   : code > 0                ? failed(QString::number(code))
                                             : failed(QStringLiteral("不是 RTSP 服务器")));
        });
        connect(&socket_, &QTcpSocket::errorOccurred, this,
                [this](QAbstractSocket::SocketError error) { answer(failed(reasonOf(error, socket_.errorString()))); });
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
            emit done({true, {}});
        });
        if (!socket_.bind(QHostAddress::AnyIPv4, port, QUdpSocket::ShareAddress | QUdpSocket::ReuseAddressHint) ||
            (group.isMulticast() && !socket_.joinMulticastGroup(group))) {
            answered_ = true;
            emit done(failed(socket_.errorString()));
        }
    }

private:
    CheckTarget target_;
    QUdpSocket socket_;
    bool answered_ = false;
};

class UncheckableProbe final : public AddressProbe {
public:
    void start() override { emit done({true, QStringLiteral("未检测")}); }
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
