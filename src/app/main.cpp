#include "ui/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    // The video output draws into X11 windows; on Wayland run through XWayland
    // unless the user picked a platform.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QApplication app(argc, argv);
    MainWindow window;
    window.Open();
    return app.exec();
}
