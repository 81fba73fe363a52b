#include "ApplicationId.h"
#include "ListHandoff.h"
#include "Program.h"
#include "platform/CrashReport.h"
#include "platform/MemoryTuning.h"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>

#include <cstdio>

#include <X11/Xlib.h>

namespace {

QString listGiven(const QStringList& arguments)
{
    const QString first = arguments.value(1).trimmed();
    if (first.isEmpty() || (first.contains(QLatin1String("://")) && !first.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)))
        return first;
    if (first.startsWith(u'-')) // an option: the player takes none
        return {};
    const QString path = first.startsWith(QLatin1String("file://"), Qt::CaseInsensitive) ? QUrl(first).toLocalFile() : first;
    const QFileInfo file(path);
    if (!file.isFile()) {
        // Said, and not kept among the lists: a mistyped path would stay in the menu.
        std::fprintf(stderr, "clipvane: no list file %s\n", qPrintable(file.absoluteFilePath()));
        return {};
    }
    return file.absoluteFilePath();
}

} // namespace

int main(int argc, char** argv)
{
    limitAllocatorArenas();
    // libvlc's video output talks to X from its own threads.
    XInitThreads();
    // The video output draws into X11 windows; on Wayland run through XWayland
    // unless the user picked a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    // A run that ends by a crash leaves a report; the next start tells of it.
    crash::install(cacheFolder(), CLIPVANE_VERSION);
    // The desktop matches the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(applicationId());
    // A list given (a path, file:// or an address) goes to the Clipvane that
    // runs, if one does; else this one opens it. Paths resolve from here,
    // before the program moves to its own folder.
    const QString given = listGiven(app.arguments());
    if (!given.isEmpty() && ListHandoff::handToRunning(given))
        return 0;
    Program program;
    program.giveList(given);
    program.open();
    return program.run();
}
