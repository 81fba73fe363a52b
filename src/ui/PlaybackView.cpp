#include "PlaybackView.h"

#include "GuideHandlers.h"
#include "HandlerContext.h"
#include "ListPanel.h"
#include "MainWindow.h"
#include "PositionBar.h"
#include "TitleView.h"
#include "VideoArea.h"
#include "VolumeControl.h"
#include "controls/TransLabel.h"
#include "core/AppCore.h"

namespace {

// Mouse moves over the video show the position bar from the first choice on.
void watchVideoForPositionBar(HandlerContext& context)
{
    if (context.positionBar)
        return;
    PlaybackController& playback = *context.core.playback;
    AppCore& core = context.core;
    context.positionBar = new PositionBar(
        context.window,
        [&core]() -> std::optional<PositionBar::Shown> {
            // Asked as long as the bar shows; the exit releases the controller first.
            const std::optional<PlaybackController::Position> at =
                core.playback ? core.playback->position() : std::nullopt;
            if (!at)
                return std::nullopt;
            return PositionBar::Shown{at->timeMs, at->lengthMs, at->live};
        },
        [video = context.video] { return video->onScreen(); });
    for (QWidget* surface : context.video->surfaces())
        context.positionBar->watch(*surface);
    QObject::connect(context.positionBar, &PositionBar::jumpTo, &playback, &PlaybackController::jumpTo);
}

} // namespace

void ShowPositionBar(HandlerContext& context)
{
    watchVideoForPositionBar(context);
    context.positionBar->showNow();
}

void FollowPlayback(HandlerContext& context)
{
    PlaybackController& playback = *context.core.playback;
    MainWindow& window = context.window;
    new TitleView(window.get<TransLabel>(u"TitleLabel"), playback);
    QObject::connect(&playback, &PlaybackController::entryPlayed, &window, [&context](int entry) {
        SelectPlayedEntry(context, entry);
        ShowProgrammeBanner(context, entry, false);
    });
    QObject::connect(&playback, &PlaybackController::stateChanged, &window, [&context] {
        if (context.core.playback->nowPlaying().generation != 0)
            watchVideoForPositionBar(context);
    });
    QObject::connect(&playback, &PlaybackController::positionMoved, &window, [&context] { ShowPositionBar(context); });
    QObject::connect(&playback, &PlaybackController::volumeChanged, &window, [&context] { ShowVolume(context); });
    context.video->follow(*context.core.session);
    QObject::connect(context.video, &VideoArea::resized, &playback, &PlaybackController::videoAreaResized);
}
