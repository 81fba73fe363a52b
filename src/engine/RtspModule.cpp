#include "RtspModule.h"

#include "EngineLog.h"
#include "platform/ModulePaths.h"
#include "platform/SharedLibrary.h"

#include <QCoreApplication>
#include <QRegularExpression>

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

constexpr char kModuleFile[] = "libclipvane_rtsp.so";

// Opened by the first thread that asks, the others waiting for it; kept open
// for good once it opened. One that did not open is looked for again next time
// (it may have been installed since).
MakeStreamReader openModule()
{
    static std::mutex lock;
    static std::unique_ptr<SharedLibrary> opened;
    static MakeStreamReader make = nullptr;
    const std::lock_guard guard(lock);
    if (make)
        return make;
    auto library = std::make_unique<SharedLibrary>();
    QString why;
    if (openFirstModule(*library,
                        modulePaths(QCoreApplication::applicationDirPath(), QString::fromLatin1(kModuleFile),
                                    "CLIPVANE_RTSP_MODULE"),
                        &why))
        make = reinterpret_cast<MakeStreamReader>(library->symbol(kMakeRtspReaderSymbol));
    if (!make) {
        qCWarning(lcEngine) << "the RTSP module did not open:" << (library->isOpen() ? library->errorString() : why);
        return nullptr;
    }
    opened = std::move(library);
    return make;
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
    const MakeStreamReader make = openModule();
    if (!make)
        return std::make_unique<MissingReader>(QLatin1String(kModuleFile));
    return std::unique_ptr<StreamReader>(make(address.toUtf8().constData()));
}
