#include "ui/window/ChannelKeys.h"

#include "core/lists/ChannelNavigator.h"
#include "core/playback/PlaybackController.h"
#include "core/playback/PreopenScheduler.h"
#include "ui/MainWindow.h"
#include "ui/controls/Control.h"
#include "ui/controls/DefaultFont.h"
#include "ui/controls/ListBox.h"
#include "ui/guide/GuideGridView.h"
#include "ui/guide/ProgrammeView.h"
#include "ui/lists/ListLibraryView.h"
#include "ui/lists/ListPanelView.h"
#include "ui/playback/PlaybackView.h"
#include "ui/playback/ScreenshotView.h"
#include "ui/settings/SettingsView.h"
#include "ui/window/WindowView.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QWheelEvent>

#include <algorithm>

ChannelKeys::ChannelKeys(Parts parts) : parts_(parts)
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

// What each key does, which modifiers it takes, and its line in the list
// heading's tooltip (empty: another row's line tells it; no keys: a key taken
// elsewhere, named here for the tooltip).
struct ChannelKeys::KeyAction {
    enum class Modifiers { None, NoneOrShift, Shift, Control };
    std::initializer_list<int> keys;
    Modifiers modifiers;
    const char* tip;
    void (*act)(ChannelKeys& self, int key);
};

std::span<const ChannelKeys::KeyAction> ChannelKeys::actions()
{
    using M = KeyAction::Modifiers;
    static const KeyAction table[]{
        {{Qt::Key_Return, Qt::Key_Enter}, M::NoneOrShift, "回车  播放选中的节目",
         [](ChannelKeys& self, int) { self.parts_.playbackView.playSelected(); }},
        {{Qt::Key_Up, Qt::Key_Down}, M::None, "↑ ↓  选择节目",
         [](ChannelKeys& self, int key) { self.parts_.panel.moveSelection(key == Qt::Key_Up ? -1 : 1); }},
        {{Qt::Key_PageUp, Qt::Key_PageDown}, M::None, "PgUp PgDn、Ctrl+↑ ↓  上一个 / 下一个频道",
         [](ChannelKeys& self, int key) { self.playNeighbour(key == Qt::Key_PageUp ? -1 : 1); }},
        {{Qt::Key_Up, Qt::Key_Down}, M::Control, "",
         [](ChannelKeys& self, int key) { self.playNeighbour(key == Qt::Key_Up ? -1 : 1); }},
        {{Qt::Key_0, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4, Qt::Key_5, Qt::Key_6, Qt::Key_7, Qt::Key_8, Qt::Key_9},
         M::NoneOrShift, "数字  按频道号选台", [](ChannelKeys& self, int key) { self.typeDigit(key - Qt::Key_0); }},
        {{Qt::Key_Backspace}, M::None, "退格  回到上一个看的频道",
         [](ChannelKeys& self, int) { self.playback().playPrevious(); }},
        {{Qt::Key_Space}, M::None, "空格  暂停 / 继续（直播也可暂停，从暂停处继续）",
         [](ChannelKeys& self, int) { self.playback().pauseOrStopOrPlayAgain(); }},
        {{Qt::Key_Left, Qt::Key_Right}, M::None, "← →  后退 / 前进 10 秒，Shift 加 ← → 60 秒",
         [](ChannelKeys& self, int key) { self.playback().jumpBy(key == Qt::Key_Left ? -10000 : 10000); }},
        {{Qt::Key_Left, Qt::Key_Right}, M::Shift, "",
         [](ChannelKeys& self, int key) { self.playback().jumpBy(key == Qt::Key_Left ? -60000 : 60000); }},
        {{Qt::Key_Home}, M::None, "Home  回到开头", [](ChannelKeys& self, int) { self.playback().jumpTo(0); }},
        {{Qt::Key_End}, M::None, "End  回到直播", [](ChannelKeys& self, int) { self.playback().backToLive(); }},
        {{Qt::Key_R}, M::None, "R  录制 / 停止录制", [](ChannelKeys& self, int) { self.playback().toggleRecording(); }},
        {{Qt::Key_F, Qt::Key_F11}, M::None, "F、F11  全屏", [](ChannelKeys& self, int) { self.parts_.windowView.toggleFullScreen(); }},
        {{Qt::Key_M}, M::None, "M  静音", [](ChannelKeys& self, int) { self.playback().toggleMute(); }},
        {{Qt::Key_I}, M::None, "I  正在播出的节目", [](ChannelKeys& self, int) { self.parts_.programmes.showBannerOfWatched(); }},
        {{Qt::Key_G}, M::None, "G  节目表", [](ChannelKeys& self, int) { self.parts_.programmes.toggleSchedule(); }},
        {{Qt::Key_E}, M::None, "E  电视指南（所有频道的节目）", [](ChannelKeys& self, int) { self.parts_.grid.toggle(); }},
        {{Qt::Key_F5}, M::None, "F5  刷新列表", [](ChannelKeys& self, int) { self.parts_.lists.refresh(); }},
        {{Qt::Key_F12}, M::None, "F12  截图", [](ChannelKeys& self, int) { self.parts_.screenshot.save(); }},
        {{Qt::Key_Comma}, M::Control, "Ctrl+,  设置", [](ChannelKeys& self, int) { self.parts_.settings.show(); }},
        {{Qt::Key_S}, M::None, "S  收藏 / 取消收藏选中的频道",
         [](ChannelKeys& self, int) { self.parts_.panel.toggleSelectedFavourite(); }},
        {{Qt::Key_Plus, Qt::Key_Equal}, M::NoneOrShift, "+ −、滚轮  音量",
         [](ChannelKeys& self, int) { self.playback().stepVolumeUp(); }},
        {{Qt::Key_Minus, Qt::Key_Underscore}, M::NoneOrShift, "",
         [](ChannelKeys& self, int) { self.playback().stepVolumeDown(); }},
        {{}, M::None, "Esc  退出全屏、关闭信息", nullptr}, // the hot key's
        {{}, M::Control, "Ctrl+F  查找节目", nullptr}, // the filter line's shortcut
    };
    return table;
}

QString ChannelKeys::help()
{
    QString text = QStringLiteral("快捷键：");
    for (const KeyAction& action : actions())
        if (*action.tip)
            text += QLatin1Char('\n') + QString::fromUtf8(action.tip);
    return text;
}

bool ChannelKeys::belongsToWindow(QObject* watched) const
{
    auto* widget = qobject_cast<QWidget*>(watched);
    return widget && widget->window() == &parts_.window;
}

bool ChannelKeys::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::KeyPress:
        if (!belongsToWindow(watched))
            return false;
        // The filter line keeps its keys while it shows.
        if (parts_.panel.isFilterTyping())
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
    using M = KeyAction::Modifiers;
    const Qt::KeyboardModifiers modifiers = key.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::ShiftModifier);
    const int code = key.key();
    for (const KeyAction& action : actions()) {
        if (!action.act || std::find(action.keys.begin(), action.keys.end(), code) == action.keys.end())
            continue;
        const bool taken = action.modifiers == M::None          ? modifiers == Qt::NoModifier
                           : action.modifiers == M::NoneOrShift ? (modifiers & ~Qt::ShiftModifier) == Qt::NoModifier
                           : action.modifiers == M::Shift       ? modifiers == Qt::ShiftModifier
                                                                : modifiers == Qt::ControlModifier;
        if (taken) {
            action.act(*this, code);
            return true;
        }
    }
    return false;
}

// Over the video area only: a notch (120) a step, as a volume button's click.
bool ChannelKeys::takeWheel(const QWheelEvent& wheel)
{
    const QWidget* video = parts_.window.control(u"VideoSurface")->widget();
    const QPoint at = parts_.window.mapFromGlobal(wheel.globalPosition().toPoint());
    if (!video->geometry().contains(at))
        return false;
    wheelRemainder_ += wheel.angleDelta().y();
    while (wheelRemainder_ >= 120) {
        wheelRemainder_ -= 120;
        playback().stepVolumeUp();
    }
    while (wheelRemainder_ <= -120) {
        wheelRemainder_ += 120;
        playback().stepVolumeDown();
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
    const QWidget* video = parts_.window.control(u"VideoSurface")->widget();
    numberTip_->move(video->mapToGlobal(QPoint(16, 16)));
    numberTip_->show();
    numberTip_->raise();
    digitPause_.start();
    // The channel the digits name so far is likely the one: opened ahead while more may come.
    parts_.preopen.digitsTyped(parts_.channels.numbered(typed_.toInt()));
}

void ChannelKeys::chooseTypedNumber()
{
    const int number = typed_.toInt();
    typed_.clear();
    numberTip_->hide();
    if (number > 0)
        playback().playNumber(number);
}

void ChannelKeys::playNeighbour(int direction)
{
    playback().playNeighbour(direction, parts_.panel.selection());
}
