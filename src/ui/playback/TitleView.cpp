#include "ui/playback/TitleView.h"

#include "ui/Texts.h"
#include "ui/controls/TransLabel.h"
#include "core/playback/PlaybackController.h"

namespace {

QString captionOf(const PlaybackTitle& title)
{
    using Kind = PlaybackTitle::Kind;
    const QString name = texts::withLabel(title.name, title.label);
    const QString buffering = title.bufferPercent < 100 ? texts::buffering(title.bufferPercent) : QString();
    switch (title.kind) {
    case Kind::Idle:
        return texts::productTitle();
    case Kind::Playing:
        return texts::playingPrefix() + name + buffering;
    case Kind::Paused:
        return texts::pausedPrefix() + name + buffering;
    case Kind::WatchingBack:
        return texts::watchingBackPrefix() + name + buffering;
    case Kind::BehindLive:
        return texts::behindLivePrefix() + name + buffering;
    case Kind::Reconnecting:
        return texts::reconnectingPrefix() + name + buffering;
    case Kind::Failed:
        return texts::failedPrefix() + title.name;
    }
    return {};
}

} // namespace

TitleView::TitleView(TransLabel& title, PlaybackController& playback) : QObject(&title)
{
    connect(&playback, &PlaybackController::titleChanged, this, [&title](const PlaybackTitle& now) {
        title.setCaption(captionOf(now));
        title.setToolTip(now.kind == PlaybackTitle::Kind::Failed ? texts::failureReason(now.failure) : QString());
    });
}
