#include "PlaybackHandlers.h"

#include "CatchupHandlers.h"
#include "GuideHandlers.h"
#include "HandlerContext.h"
#include "ListCheckHandlers.h"
#include "Preopen.h"
#include "MainWindow.h"
#include "Texts.h"
#include "VideoMenu.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"
#include "controls/PicBox.h"
#include "controls/TransLabel.h"
#include "engine/PlaybackTypes.h"
#include "sources/ChannelAddress.h"

#include <QMessageBox>
#include <QTimer>
#include <QWidget>

void PlaySelectedEntry(HandlerContext& context)
{
    MainWindow& window = context.window;
    ChannelNavigator& channels = context.state.channels;
    if (channels.list().count() == 0) {
        QMessageBox box(QMessageBox::NoIcon, texts::infoCaption(), texts::emptyList(), QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return;
    }
    const int selected = window.get<ListBox>(u"SourceList").currentSelection();
    // A group heading is no channel: a double-click on it does nothing at all.
    if (channels.list().isHeading(selected))
        return;
    context.state.CurrentAddress = channels.list().written(selected);
    const QString name = channels.list().name(selected);
    QStringList labels;
    Alternates alternates = EntryAlternates(context, selected, &labels);
    if (alternates.empty()) // nothing selected, or an empty address: opened as it stands
        alternates.push_back({context.state.CurrentAddress, {}, {}, {}});

    context.state.watchingBack.reset(); // a channel chosen plays live
    context.nowPlaying.name = name;
    context.nowPlaying.labels = labels;
    context.nowPlaying.channel = channels.list().key(selected);
    context.nowPlaying.addresses.clear();
    for (const Alternate& alternate : alternates)
        context.nowPlaying.addresses << alternate.address;
    const std::vector<ChannelAddress> listed = channels.list().addresses(selected);
    context.nowPlaying.listFirst = listed.empty() ? QString() : listed.front().address;
    // The channel the user is likely to go to next, opened ahead once this one is asked for.
    const int openAhead = channels.chose(selected);
    if (selected >= 0 && context.state.settings)
        context.state.settings->setLastChannel({name, context.state.CurrentAddress});
    TransLabel& title = window.get<TransLabel>(u"TitleLabel");
    title.setCaption(texts::playingPrefix() + texts::withLabel(name, labels.value(0)));
    title.setToolTip({});

    context.nowPlaying.generation =
        context.state.playback->play(alternates, PlayerWindows(context), context.state.CachingMs);
    PrepareEntry(context, openAhead);
    ShowProgrammeBanner(context, selected, false);
    WatchVideoForPositionBar(context);
}

Alternates EntryAlternates(HandlerContext& context, int index, QStringList* labels)
{
    Alternates alternates;
    const ChannelList& list = context.state.channels.list();
    if (!list.contains(index))
        return alternates;
    const PictureSettings picture = PictureFor(context, list.key(index));
    for (const ChannelAddress& read : context.state.alternates.ordered(list.key(index), list.addresses(index))) {
        alternates.push_back({read.address, read.label, read.userAgent, read.referrer, picture});
        if (labels)
            *labels << read.label;
    }
    return alternates;
}

std::array<std::uint32_t, 3> PlayerWindows(HandlerContext& context)
{
    const auto video = std::uint32_t(context.window.get<PicBox>(u"VideoSurface").winId());
    std::array<std::uint32_t, 3> windows{video, video, video};
    for (size_t index = 0; index < context.playerSurfaces.size(); ++index)
        if (QWidget* surface = context.playerSurfaces[index])
            windows[index + 1] = std::uint32_t(surface->winId());
    return windows;
}

QRect VideoOnScreen(HandlerContext& context)
{
    const PicBox& video = context.window.get<PicBox>(u"VideoSurface");
    return QRect(video.mapToGlobal(QPoint(0, 0)), video.size());
}

QString PlayingPrefix(HandlerContext& context)
{
    return context.state.playback->isPaused() ? texts::pausedPrefix()
           : context.state.watchingBack       ? texts::watchingBackPrefix()
                                              : texts::playingPrefix();
}

void StopPlayback(HandlerContext& context)
{
    TransLabel& title = context.window.get<TransLabel>(u"TitleLabel");
    title.setCaption(texts::productTitle());
    title.setToolTip({});
    context.nowPlaying = {};
    context.state.watchingBack.reset();
    context.state.playback->stop();
    TellCheckWhatPlays(context, {});
}

void ShowPlaybackFailure(HandlerContext& context, std::uint64_t generation, const QString& reason)
{
    if (generation == 0 || generation != context.nowPlaying.generation)
        return;
    TransLabel& title = context.window.get<TransLabel>(u"TitleLabel");
    title.setCaption(texts::failedPrefix() + context.nowPlaying.name);
    title.setToolTip(reason);
}

namespace {

// The earlier addresses failed and this one plays: it goes first next time.
void KeepAddressThatPlayed(HandlerContext& context, int alternate)
{
    const NowPlaying& now = context.nowPlaying;
    if (context.state.watchingBack || alternate >= int(now.addresses.size()))
        return;
    AlternateOrder& order = context.state.alternates;
    if (order.playedAfterFailures(now.channel, now.addresses.at(alternate), now.listFirst) && context.state.settings)
        context.state.settings->setFirstAddresses(order.kept());
}

} // namespace

void ShowPlaybackStatus(HandlerContext& context, const PlaybackStatus& status)
{
    if (status.generation == 0 || status.generation != context.nowPlaying.generation)
        return;
    using Phase = PlaybackStatus::Phase;
    const QString buffering = status.bufferPercent < 100 ? texts::buffering(status.bufferPercent) : QString();
    const QString name = texts::withLabel(context.nowPlaying.name, context.nowPlaying.labels.value(status.alternate));
    const QString playing = PlayingPrefix(context);
    QString caption;
    switch (status.phase) {
    case Phase::Opening:
        caption = playing + name + buffering;
        TellCheckWhatPlays(context, context.nowPlaying.addresses.value(status.alternate));
        break;
    case Phase::Playing:
        caption = playing + name + buffering;
        TellCheckWhatPlays(context, context.nowPlaying.addresses.value(status.alternate));
        if (status.alternate > 0)
            KeepAddressThatPlayed(context, status.alternate);
        break;
    case Phase::Reconnecting:
        caption = texts::reconnectingPrefix() + name + buffering;
        break;
    case Phase::Ended:
        caption = playing + name;
        if (context.state.watchingBack) {
            // Not from inside the session's own report: the next choice comes after it.
            QTimer::singleShot(0, &context.window, [&context, generation = status.generation] {
                if (context.nowPlaying.generation == generation)
                    FollowWithNextProgramme(context);
            });
        }
        break;
    case Phase::Failed:
        return; // said by ShowPlaybackFailure, with its reason
    }
    context.window.get<TransLabel>(u"TitleLabel").setCaption(caption);
}
