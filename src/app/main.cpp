#include "ApplicationId.h"
#include "ListHandoff.h"
#include "Program.h"
#include "platform/MemoryTuning.h"

#include <QApplication>
#include <QFileInfo>
#include <QUrl>

#include <X11/Xlib.h>

namespace {

QString listGiven(const QStringList& arguments)
{
    const QString first = arguments.value(1).trimmed();
    if (first.isEmpty() || (first.contains(QLatin1String("://")) && !first.startsWith(QLatin1String("file://"), Qt::CaseInsensitive)))
        return first;
    const QString path = first.startsWith(QLatin1String("file://"), Qt::CaseInsensitive) ? QUrl(first).toLocalFile() : first;
    return QFileInfo(path).absoluteFilePath();
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
