#include "LibVlc.h"

#include "SharedLibrary.h"

#include <QString>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>

namespace libvlc {

namespace {

// Never closed: libvlc's threads and plugins may outlive the program's static
// destructors, and unloading libvlccore under them would pull code from under
// their feet.
SharedLibrary& library()
{
    static SharedLibrary* const instance = std::make_unique<SharedLibrary>().release();
    return *instance;
}

std::atomic<FatalHandler> fatalHandler{nullptr};

[[noreturn]] void fail(const char* function, const QString& reason)
{
    const QString message = QStringLiteral("运行时出错!\n\n错误信息：找不到 libvlc 的函数 %1（%2）")
                                .arg(QString::fromLatin1(function), reason);
    if (const FatalHandler handler = fatalHandler.load())
        handler(message);
    std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    std::_Exit(-1);
}

} // namespace

void setFatalHandler(FatalHandler handler)
{
    fatalHandler = handler;
}

const char* libraryName()
{
    const char* custom = std::getenv("CLIPVANE_LIBVLC");
    return custom && *custom ? custom : "libvlc.so.5";
}

namespace {

std::mutex lookup; // the error text is shared

void openOnce(const char* function)
{
    static std::once_flag opened;
    static bool ok = false;
    std::call_once(opened, [] { ok = library().open(QString::fromLocal8Bit(libraryName())); });
    if (!ok)
        fail(function, library().errorString());
}

} // namespace

void* resolve(const char* function)
{
    openOnce(function);
    const std::lock_guard lock(lookup);
    void* address = library().symbol(function);
    if (!address)
        fail(function, library().errorString());
    return address;
}

bool provides(const char* function)
{
    openOnce(function);
    const std::lock_guard lock(lookup);
    return library().symbol(function) != nullptr;
}

} // namespace libvlc
