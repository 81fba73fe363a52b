#include "StreamModule.h"

#include "EngineLog.h"
#include "platform/ModulePaths.h"
#include "platform/SharedLibrary.h"

#include <QCoreApplication>
#include <QRegularExpression>
#include <QSet>
#include <QUrl>

#include <mutex>

namespace {

// Says why there is no reader, at every read.
class MissingReader final : public StreamReader {
public:
    explicit MissingReader(QString why) : why_(std::move(why)) {}
    std::ptrdiff_t read(unsigned char*, std::size_t) override { return -1; }
    void abort() override {}
    QString error() const override { return why_; }
    bool isModuleMissing() const override { return true; }

private:
    QString why_;
};

constexpr char kModuleFile[] = "libclipvane_streams.so";

// Opened by the first thread that asks, the others waiting for it; kept open
// for good once it opened. One that did not open is looked for again next time
// (it may have been installed since).
SharedLibrary* openModule()
{
    static std::mutex lock;
    static std::unique_ptr<SharedLibrary> opened;
    const std::lock_guard guard(lock);
    if (opened)
        return opened.get();
    auto library = std::make_unique<SharedLibrary>();
    QString why;
    if (!openFirstModule(*library,
                         modulePaths(QCoreApplication::applicationDirPath(), QString::fromLatin1(kModuleFile),
                                     "CLIPVANE_STREAM_MODULE"),
                         &why)) {
        qCWarning(lcEngine) << "the stream module did not open:" << (library->isOpen() ? library->errorString() : why);
        return nullptr;
    }
    opened = std::move(library);
    return opened.get();
}

template <typename Make>
Make symbolOf(const char* name)
{
    SharedLibrary* module = openModule();
    return module ? reinterpret_cast<Make>(module->symbol(name)) : nullptr;
}

// Addresses whose answer was no live stream: the engine reads them from then on.
struct LeftToEngine {
    std::mutex lock;
    QSet<QString> addresses;
};
LeftToEngine& leftToEngine()
{
    static LeftToEngine left;
    return left;
}

} // namespace

bool readsRtspItself(const QString& address)
{
    static const QRegularExpression rtsp(QStringLiteral("^rtsps?://"), QRegularExpression::CaseInsensitiveOption);
    return qEnvironmentVariable("CLIPVANE_RTSP").compare(QLatin1String("vlc"), Qt::CaseInsensitive) != 0 &&
           rtsp.match(address).hasMatch();
}

std::unique_ptr<StreamReader> makeRtspReader(const QString& address)
{
    const auto make = symbolOf<MakeStreamReader>(kMakeRtspReaderSymbol);
    if (!make)
        return std::make_unique<MissingReader>(QLatin1String(kModuleFile));
    return std::unique_ptr<StreamReader>(make(address.toUtf8().constData()));
}

bool readsLiveItself(const QString& address)
{
    static const QRegularExpression http(QStringLiteral("^https?://"), QRegularExpression::CaseInsensitiveOption);
    // Names of files and playlists, which the engine reads by their length or their lines.
    static const QRegularExpression fileName(
        QStringLiteral("\\.(m3u8?|mpd|f4m|ism|mp4|m4v|m4a|mkv|webm|avi|mov|wmv|asf|mp3|aac|ogg|oga|opus|flac|wav|"
                       "jpg|png|txt|html?|php|xml|json)$"),
        QRegularExpression::CaseInsensitiveOption);
    if (qEnvironmentVariable("CLIPVANE_LIVE").compare(QLatin1String("vlc"), Qt::CaseInsensitive) == 0 ||
        !http.match(address).hasMatch())
        return false;
    const QString path = QUrl(address).path();
    if (fileName.match(path).hasMatch())
        return false;
    LeftToEngine& left = leftToEngine();
    const std::lock_guard lock(left.lock);
    return !left.addresses.contains(address);
}

void leaveToEngine(const QString& address)
{
    LeftToEngine& left = leftToEngine();
    const std::lock_guard lock(left.lock);
    left.addresses.insert(address);
}

std::unique_ptr<StreamReader> makeHttpReader(const QString& address, const QString& userAgent, const QString& referrer)
{
    const auto make = symbolOf<MakeHttpReader>(kMakeHttpReaderSymbol);
    if (!make)
        return nullptr;
    return std::unique_ptr<StreamReader>(
        make(address.toUtf8().constData(), userAgent.toUtf8().constData(), referrer.toUtf8().constData()));
}
