// The start-up reference: the least a Qt program with libvlc does before its
// window shows: libvlc and a media player made, a frameless 707 x 415 window
// centred and painted with the title bar's green.

#include <QApplication>
#include <QPainter>
#include <QScreen>
#include <QWidget>

#include <vlc/vlc.h>

#include <dlfcn.h>

namespace {

class Window final : public QWidget {
public:
    Window() : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint) { setAttribute(Qt::WA_OpaquePaintEvent); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(29, 29, 29));
        painter.fillRect(QRect(0, 0, width(), 32), QColor(50, 177, 108));
    }
};

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // Opened the way the player opens it: by name, functions looked up.
    void* library = dlopen("libvlc.so.5", RTLD_NOW);
    auto* create = reinterpret_cast<decltype(&libvlc_new)>(dlsym(library, "libvlc_new"));
    auto* createPlayer = reinterpret_cast<decltype(&libvlc_media_player_new)>(dlsym(library, "libvlc_media_player_new"));
    libvlc_instance_t* instance = create(0, nullptr);
    createPlayer(instance);
    Window window;
    const QSize screen = QGuiApplication::primaryScreen()->geometry().size();
    window.setGeometry((screen.width() - 707) / 2, (screen.height() - 415) / 2, 707, 415);
    window.show();
    return app.exec();
}
