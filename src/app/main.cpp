#include "ApplicationId.h"
#include "Program.h"
#include "platform/MemoryTuning.h"

#include <QApplication>

#include <X11/Xlib.h>

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
    Program program;
    program.open();
    return program.run();
}
