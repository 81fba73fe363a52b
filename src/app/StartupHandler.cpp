#include "StartupHandler.h"

#include "ProgramState.h"
#include "ui/MainWindow.h"
#include "ui/Texts.h"
#include "ui/lists/ListLoadView.h"
#include "ui/controls/DropTarget.h"
#include "ui/controls/Label.h"
#include "ui/controls/Q_tip.h"
#include "ui/controls/Timer.h"
#include "ui/controls/TransLabel.h"
#include "Contact.h"
#include "DesktopShortcut.h"
#include "ProgramFiles.h"
#include "ui/window/ChannelKeys.h"
#include "ui/window/LeadingNumber.h"
#include "platform/ShellOpen.h"

#include <QCoreApplication>
#include "engine/TimeShiftBuffer.h"

#include <QDir>
#include <QTimer>
#include <QFileInfo>
#include <QUrl>

namespace {
constexpr int kEscapeVirtualKey = 0x1B;
constexpr int kBottomEdgePeriodMs = 1000;
constexpr int kTopEdgePeriodMs = 3000;
} // namespace

void OnMainWindowCreated(MainWindow& window, ProgramState& state, ListLoadView& load)
{
    PlaybackController& playback = state.core.playback();

    // Time-shift buffers a crash left behind, once the window shows.
    QTimer::singleShot(0, &window, [] { TimeShiftBuffer::removeLeftOvers(TimeShiftBuffer::defaultFolder()); });

    window.get<DropTarget>(u"FileDropTarget").registerOn(&window);

    // The volume starts as the window's description shows it, and the player gets that level.
    const VolumeState::Look look{leadingInteger(window.get<TransLabel>(u"VolumeValueLabel").caption()),
                                 window.control(u"VolumeLevelBar")->Width(),
                                 window.control(u"VolumeUpButton")->Disabled()};
    playback.startVolume(look);

    EnsureDesktopShortcut(QCoreApplication::applicationFilePath(), programfiles::launcherIcon(state.programFolder));

    // Esc is registered now, but held from other applications only in full screen.
    if (state.hotKeys) {
        // The label raises its notification event for each press, as the hot key's receiver.
        Label& receiver = window.get<Label>(u"EscapeHotKeyLabel");
        QObject::connect(state.hotKeys.get(), &HotKeyService::pressed, &receiver, &Label::Notify,
                         Qt::UniqueConnection);
        state.escapeHotKey = state.hotKeys->Register(window, 0, kEscapeVirtualKey);
        state.hotKeys->SetGrabbed(state.escapeHotKey, false);
    }

    // Beside the program, else in the user's config folder; relative addresses
    // in a list from there resolve from that folder.
    const QString playSources = programfiles::startupPlaySourceFile(state.programFolder);
    if (!playSources.isEmpty()) {
        const QString folder = QFileInfo(playSources).absolutePath();
        if (folder != state.programFolder)
            QDir::setCurrent(folder);
        state.core.lists().setLocalList(playSources);
    }
    // A list given on the command line, else the list beside the program, else the list chosen last.
    ListLibrary& lists = state.core.lists();
    load.setStartupLoad(state.listGiven.isEmpty() ? lists.openAtStart() : lists.addAndOpen({}, state.listGiven));

    Q_tip& tips = window.get<Q_tip>(u"TipBalloon");
    tips.SetTip(window.control(u"TitleBar")->widget(), QStringLiteral("双击此处可以全屏或者缩小。"));
    tips.SetTip(window.control(u"FullScreenButton")->widget(),
                QStringLiteral("全屏模式下把鼠标移动到最顶端可以隐藏窗口条,把鼠标移动到最底端可以显示窗口条。"));
    tips.SetTip(window.control(u"BrandLabel")->widget(), texts::contactTip(contact::pageAddress()));
    tips.SetTip(window.control(u"ListCaptionLabel")->widget(), ChannelKeys::help());

    window.get<Timer>(u"BottomEdgeTimer").setPeriod(kBottomEdgePeriodMs);
    window.get<Timer>(u"TopEdgeTimer").setPeriod(kTopEdgePeriodMs);
}

void OnBrandLabelPressed()
{
    openInBrowser(QUrl(contact::pageAddress()));
}
