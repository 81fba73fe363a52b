#include "DesktopMediaControls.h"

#include "ApplicationId.h"
#include "core/AppCore.h"
#include "platform/MprisService.h"
#include "platform/ScreenSaverInhibitor.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QWidget>

#include <algorithm>

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

DesktopMediaControls::DesktopMediaControls(AppCore& core, QWidget& window, std::function<int()> selection,
                                           QString screenSaverReason)
    : core_(core), window_(window), selection_(std::move(selection)), screenSaverReason_(std::move(screenSaverReason))
{
    programmeEnds_.setSingleShot(true);
    connect(&programmeEnds_, &QTimer::timeout, this, &DesktopMediaControls::refresh);
}

DesktopMediaControls::~DesktopMediaControls() = default;

bool DesktopMediaControls::start()
{
    if (service_ || !hasSessionBus())
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    PlaybackController& playback = core_.playback();
    QWidget& window = window_;
    const std::function<int()> selection = selection_;
    MprisService::Actions actions;
    actions.raise = [&window] {
        window.show();
        window.raise();
        window.activateWindow();
    };
    actions.quit = [&window] { window.close(); };
    actions.play = [&playback] { playback.play(); };
    actions.pause = [&playback] { playback.pause(); };
    actions.playPause = [&playback] { playback.pauseOrStopOrPlayAgain(); };
    actions.stop = [&playback] {
        if (playback.nowPlaying().generation != 0)
            playback.stop();
    };
    actions.next = [&playback, selection] { playback.playNeighbour(1, selection()); };
    actions.previous = [&playback, selection] { playback.playNeighbour(-1, selection()); };
    // The volume moves by the window's own steps, towards the level asked.
    actions.setVolume = [this, &playback](double volume) {
        if (volume > service_->state().volume)
            playback.stepVolumeUp();
        else if (volume < service_->state().volume)
            playback.stepVolumeDown();
    };
    service_ = std::make_unique<MprisService>(QStringLiteral("澄影播放器"), applicationId(), std::move(actions));
    if (!service_->start(bus, kBusName)) {
        service_.reset();
        return false;
    }
    inhibitor_ = std::make_unique<ScreenSaverInhibitor>(bus, QStringLiteral("澄影播放器"));
    connect(&playback, &PlaybackController::stateChanged, this, &DesktopMediaControls::refresh);
    connect(&playback, &PlaybackController::volumeChanged, this, &DesktopMediaControls::refresh);
    refresh();
    return true;
}

void DesktopMediaControls::refresh()
{
    if (!service_)
        return;
    MprisService::State shown;
    programmeEnds_.stop();
    const PlaybackController& playback = core_.playback();
    const NowPlaying& playing = playback.nowPlaying();
    const PlaybackController::State state = playback.state();
    if (state != PlaybackController::State::Stopped) {
        shown.status = state == PlaybackController::State::Paused ? Status::Paused : Status::Playing;
        shown.trackId = QStringLiteral("/org/clipvane/Clipvane/choice/%1").arg(playing.generation);
        shown.title = playing.name;
        if (const int entry = playback.watchedEntry(); entry >= 0) {
            shown.artUrl = core_.channels().list().tags(entry).tvgLogo;
            ProgrammeGuide* guide = core_.guide();
            const qint64 now = QDateTime::currentSecsSinceEpoch();
            if (guide && !playback.watchingBack()) {
                if (const auto on = guide->nowNext(entry, now).now) {
                    shown.programme = on->title;
                    // Told again when it ends: the next one is on then.
                    programmeEnds_.start(int(std::clamp<qint64>(on->stop - now, 1, 24 * 3600) * 1000));
                }
            }
        }
    }
    if (const std::optional<VolumeState::Look> volume = playback.volume())
        shown.volume = volume->number / 100.0;
    service_->setState(shown);
    // A channel watched, its switches and reconnects included: no screen saver over it.
    inhibitor_->setInhibited(shown.status == Status::Playing, screenSaverReason_);
}
