#include "XTestSupport.h"

#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>
#include <QProcess>
#include <QScreen>
#include <QTest>
#include <QWidget>

namespace xtest {

bool xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(QStringLiteral("xdotool"), arguments);
    if (!process.waitForFinished(10000))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

bool waitForWindowOf(qint64 pid, int timeoutMs)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--pid", QString::number(pid)});
    if (!search.waitForFinished(timeoutMs)) {
        search.kill();
        search.waitForFinished();
        return false;
    }
    return search.exitStatus() == QProcess::NormalExit && search.exitCode() == 0;
}

bool dragWithRealPointer(QPoint from, QPoint delta)
{
    const auto num = [](int v) { return QString::number(v); };
    QStringList args{"mousemove", num(from.x()), num(from.y()), "mousedown", "1"};
    for (int step = 1; step <= 4; ++step) {
        const QPoint at = from + delta * step / 4;
        args << "mousemove" << num(at.x()) << num(at.y()) << "sleep" << "0.03";
    }
    args << "mouseup" << "1";
    return xdotool(args);
}

QImage grabScreen(const QRect& area)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    return screen->grabWindow(0, area.x(), area.y(), area.width(), area.height()).toImage();
}

QColor screenPixel(QPoint point)
{
    return grabScreen(QRect(point, QSize(1, 1))).pixelColor(0, 0);
}

bool showAndWait(QWidget& widget)
{
    widget.show();
    if (!QTest::qWaitForWindowExposed(&widget))
        return false;
    // Let the first paint reach the server before anything reads the screen.
    QCoreApplication::processEvents();
    QGuiApplication::sync();
    return true;
}

namespace {

// Polls until a widget of the kind `T` that `current` finds shows, then acts on it once.
template <typename T>
void actWhenShown(QObject* context, QWidget* (*current)(), const std::function<void(T&)>& act)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, current, act] {
        auto* shown = qobject_cast<T*>(current());
        if (!shown || !shown->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*shown);
    });
    poll->start(20);
}

} // namespace

void answerNextMessageBox(QObject* context, const std::function<void(QMessageBox&)>& answer)
{
    actWhenShown<QMessageBox>(context, &QApplication::activeModalWidget, answer);
}

void actOnNextMenu(QObject* context, const std::function<void(QMenu&)>& act)
{
    actWhenShown<QMenu>(context, &QApplication::activePopupWidget, act);
}

Heartbeat::Heartbeat(int periodMs) : timer_(std::make_unique<QTimer>())
{
    sinceBeat_.start();
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { longest_ = std::max(longest_, sinceBeat_.restart()); });
    timer_->start(periodMs);
}

Heartbeat::~Heartbeat() = default;

} // namespace xtest
