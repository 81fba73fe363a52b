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

void answerNextMessageBox(QObject* context, const std::function<void(QMessageBox&)>& answer)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box || !box->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        answer(*box);
    });
    poll->start(20);
}

void actOnNextMenu(QObject* context, const std::function<void(QMenu&)>& act)
{
    auto* poll = new QTimer(context);
    QObject::connect(poll, &QTimer::timeout, context, [poll, act] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu || !menu->isVisible())
            return;
        poll->stop();
        poll->deleteLater();
        act(*menu);
    });
    poll->start(20);
}

Heartbeat::Heartbeat(int periodMs) : timer_(std::make_unique<QTimer>())
{
    sinceBeat_.start();
    QObject::connect(timer_.get(), &QTimer::timeout, [this] { longest_ = std::max(longest_, sinceBeat_.restart()); });
    timer_->start(periodMs);
}

Heartbeat::~Heartbeat() = default;

} // namespace xtest
