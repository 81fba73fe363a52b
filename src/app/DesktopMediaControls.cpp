#include "DesktopMediaControls.h"

#include "ApplicationId.h"
#include "core/ProgramState.h"
#include "platform/MprisService.h"
#include "platform/ScreenSaverInhibitor.h"
#include "ui/CatchupHandlers.h"
#include "ui/ChannelNavigation.h"
#include "ui/HandlerContext.h"
#include "ui/MainWindow.h"
#include "ui/PlaybackHandlers.h"
#include "ui/VideoMenu.h"
#include "ui/VolumeControl.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace {

// A bus to use without starting one: libdbus would otherwise try to launch
// a bus of its own for an X display.
bool hasSessionBus()
{
    if (!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        return true;
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    return !runtime.isEmpty() && QFileInfo::exists(QDir(runtime).filePath(QStringLiteral("bus")));
}

using Status = MprisService::State::Status;

} // namespace

DesktopMediaControls::DesktopMediaControls(HandlerContext& context) : context_(context)
{
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &DesktopMediaControls::refresh);
}

DesktopMediaControls::~DesktopMediaControls() = default;

bool DesktopMediaControls::start()
{
    if (service_ || !hasSessionBus())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    HandlerContext& context = context_;
    MprisService::Actions actions;
    actions.raise = [&context] {
        context.window.show();
        context.window.raise();
        context.window.activateWindow();
    };
    actions.quit = [&context] { context.window.close(); };
    actions.play = [&context] {
        if (context.nowPlaying.generation == 0)
            StopOrPlayAgain(context); // nothing plays: the channel chosen last plays again
        else if (context.state.playback->isPaused())
            PauseOrStopOrPlayAgain(context);
    };
    actions.pause = [this, &context] {
        if (service_->state().status == Status::Playing)
            PauseOrStopOrPlayAgain(context); // a live channel stops, as Space does
    };
    actions.playPause = [&context] { PauseOrStopOrPlayAgain(context); };
    actions.stop = [&context] {
        if (context.nowPlaying.generation != 0)
            StopPlayback(context);
    };
    actions.next = [&context] { PlayNeighbourChannel(context, 1); };
    actions.previous = [&context] { PlayNeighbourChannel(context, -1); };
    // The volume moves by the window's own steps, towards the level asked.
    actions.setVolume = [this, &context](double volume) {
        if (volume > service_->state().volume)
            StepVolumeUp(context);
        else if (volume < service_->state().volume)
            StepVolumeDown(context);
        refresh();
    };
    service_ = std::make_unique<MprisService>(QStringLiteral("澄影播放器"), applicationId(), std::move(actions));
    if (!service_->start(bus, kBusName)) {
        service_.reset();
        return false;
    }
    inhibitor_ = std::make_unique<ScreenSaverInhibitor>(bus, QStringLiteral("澄影播放器"));
    connect(context_.state.playback.get(), &PlaybackSession::statusChanged, this, [this](const PlaybackStatus& status) {
        last_ = status;
        refresh();
    });
    connect(context_.state.playback.get(), &PlaybackSession::stopped, this, &DesktopMediaControls::refresh);
    refresh();
    return true;
}

void DesktopMediaControls::refresh()
{
    if (!service_)
        return;
    const NowPlaying& now = context_.nowPlaying;
    ProgramState& state = context_.state;
    using Phase = PlaybackStatus::Phase;
    const bool ended = last_.generation == now.generation && (last_.phase == Phase::Failed || last_.phase == Phase::Ended);
    MprisService::State shown;
    if (now.generation != 0 && !ended) {
        shown.status = state.playback->isPaused() ? Status::Paused : Status::Playing;
        shown.trackId = QStringLiteral("/org/clipvane/Clipvane/choice/%1").arg(now.generation);
        shown.title = now.name;
        if (const int entry = WatchedEntry(context_); entry >= 0) {
            shown.artUrl = state.channels.list().tags(entry).tvgLogo;
            if (state.guide && !state.watchingBack)
                if (const auto on = state.guide->nowNext(entry, QDateTime::currentSecsSinceEpoch()).now)
                    shown.programme = on->title;
        }
    }
    if (state.volume)
        shown.volume = state.volume->look().number / 100.0;
    service_->setState(shown);
    // Read again while something plays (a pause, the volume, the programme
    // changing); an idle player is not woken for it.
    if (shown.status == Status::Stopped)
        refresh_.stop();
    else if (!refresh_.isActive())
        refresh_.start();
    // A channel watched, its switches and reconnects included: no screen saver over it.
    inhibitor_->setInhibited(shown.status == Status::Playing, QStringLiteral("正在播放视频"));
}
