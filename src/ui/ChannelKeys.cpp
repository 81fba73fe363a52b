#include "ChannelKeys.h"

#include "ChannelNavigation.h"
#include "FullScreenLayout.h"
#include "HandlerContext.h"
#include "ListFilterLine.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "VolumeControl.h"
#include "controls/Control.h"
#include "controls/DefaultFont.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QWheelEvent>

ChannelKeys::ChannelKeys(HandlerContext& context) : context_(context)
{
    digitPause_.setSingleShot(true);
    digitPause_.setInterval(kDigitPauseMs);
    connect(&digitPause_, &QTimer::timeout, this, &ChannelKeys::chooseTypedNumber);
    // A window of its own: the video is drawn by another program's window
    // into the video area, and only a window above it is seen there.
    numberTip_ = std::make_unique<QLabel>(nullptr, Qt::ToolTip | Qt::FramelessWindowHint);
    numberTip_->setObjectName(QStringLiteral("ChannelNumberTip"));
    numberTip_->setAccessibleName(QStringLiteral("频道号"));
    QFont font = defaultGuiFont();
    font.setPixelSize(32);
    font.setBold(true);
    numberTip_->setFont(font);
    numberTip_->setStyleSheet(QStringLiteral("QLabel { color: rgb(0, 224, 128); background: rgb(0, 0, 0);"
                                             " padding: 4px 10px; }"));
    qApp->installEventFilter(this);
}

ChannelKeys::~ChannelKeys()
{
    qApp->removeEventFilter(this);
}

QString ChannelKeys::help()
{
    return QStringLiteral("快捷键：\n"
                          "回车  播放选中的节目\n"
                          "↑ ↓  选择节目\n"
                          "PgUp PgDn、Ctrl+↑ ↓  上一个 / 下一个频道\n"
                          "数字  按频道号选台\n"
                          "退格  回到上一个看的频道\n"
                          "空格  停止 / 重新播放\n"
                          "F、F11  全屏\n"
                          "M  静音\n"
                          "+ −、滚轮  音量\n"
                          "Esc  退出全屏\n"
                          "Ctrl+F  查找节目");
}

bool ChannelKeys::belongsToWindow(QObject* watched) const
{
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == &context_.window;
}

bool ChannelKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!belongsToWindow(watched))
            return false;
        // The filter line keeps its keys while it shows.
        if (context_.filterLine && context_.filterLine->isVisible() && context_.filterLine->hasFocus())
            return false;
        return takeKey(*static_cast<QKeyEvent*>(event));
    case QEvent::Wheel:
        if (!belongsToWindow(watched))
            return false;
        return takeWheel(*static_cast<QWheelEvent*>(event));
    default:
        return false;
    }
}

bool ChannelKeys::takeKey(const QKeyEvent& key)
{
    const Qt::KeyboardModifiers modifiers = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    const bool control = modifiers == Qt::ControlModifier;
    const bool plain = modifiers == Qt::NoModifier || modifiers == Qt::ShiftModifier;
    const int code = key.key();
    if (code >= Qt::Key_0 && code <= Qt::Key_9 && plain) {
        typeDigit(code - Qt::Key_0);
        return true;
    }
    switch (code) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (!plain)
            return false;
        PlaySelectedEntry(context_);
        return true;
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int direction = code == Qt::Key_Up ? -1 : 1;
        if (control)
            PlayNeighbourChannel(context_, direction);
        else if (modifiers == Qt::NoModifier)
            MoveSelection(context_, direction);
        else
            return false;
        return true;
    }
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        if (modifiers != Qt::NoModifier)
            return false;
        PlayNeighbourChannel(context_, code == Qt::Key_PageUp ? -1 : 1);
        return true;
    case Qt::Key_Backspace:
        if (modifiers != Qt::NoModifier)
            return false;
        PlayPreviousChannel(context_);
        return true;
    case Qt::Key_Space:
        if (modifiers != Qt::NoModifier)
            return false;
        StopOrPlayAgain(context_);
        return true;
    case Qt::Key_F:
    case Qt::Key_F11:
        if (modifiers != Qt::NoModifier)
            return false;
        ToggleFullScreen(context_);
        return true;
    case Qt::Key_M:
        if (modifiers != Qt::NoModifier)
            return false;
        ToggleMute(context_);
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal:
        if (!plain)
            return false;
        StepVolumeUp(context_);
        return true;
    case Qt::Key_Minus:
    case Qt::Key_Underscore:
        if (!plain)
            return false;
        StepVolumeDown(context_);
        return true;
    default:
        return false;
    }
}

// Over the video area only: a notch (120) a step, as a volume button's click.
bool ChannelKeys::takeWheel(const QWheelEvent& wheel)
{
    const QWidget* video = context_.window.control(u"VideoSurface")->widget();
    const QPoint at = context_.window.mapFromGlobal(wheel.globalPosition().toPoint());
    if (!video->geometry().contains(at))
        return false;
    wheelRemainder_ += wheel.angleDelta().y();
    while (wheelRemainder_ >= 120) {
        wheelRemainder_ -= 120;
        StepVolumeUp(context_);
    }
    while (wheelRemainder_ <= -120) {
        wheelRemainder_ += 120;
        StepVolumeDown(context_);
    }
    return true;
}

void ChannelKeys::typeDigit(int digit)
{
    if (typed_.size() >= 5)
        typed_.clear();
    typed_ += QString::number(digit);
    numberTip_->setText(typed_);
    numberTip_->adjustSize();
    const QWidget* video = context_.window.control(u"VideoSurface")->widget();
    numberTip_->move(video->mapToGlobal(QPoint(16, 16)));
    numberTip_->show();
    numberTip_->raise();
    digitPause_.start();
}

void ChannelKeys::chooseTypedNumber()
{
    const int number = typed_.toInt();
    typed_.clear();
    numberTip_->hide();
    if (number > 0)
        PlayChannelNumber(context_, number);
}
