#include "CatchupHandlers.h"

#include "ChannelNavigation.h"
#include "HandlerContext.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "PositionBar.h"
#include "Texts.h"
#include "core/CoreLog.h"
#include "core/ProgramState.h"
#include "controls/PicBox.h"
#include "controls/TransLabel.h"

#include <QDateTime>
#include <QLocale>

namespace {

qint64 nowSeconds()
{
    return QDateTime::currentSecsSinceEpoch();
}

// "CCTV-1  新闻联播  12月7日 19:00"
QString programmeName(const QString& channel, const Programme& programme)
{
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    return channel + QStringLiteral("  ") + programme.title + QStringLiteral("  ") +
           chinese.toString(QDateTime::fromSecsSinceEpoch(programme.start), QStringLiteral("M月d日 HH:mm"));
}

std::optional<PositionBar::Shown> shownPosition(HandlerContext& context)
{
    const std::optional<PlaybackSession::Position> position = context.state.playback->position();
    if (!position)
        return std::nullopt;
    if (const auto& back = context.state.watchingBack)
        return PositionBar::Shown{back->fromSecond * 1000 + position->timeMs,
                                  (back->programme.stop - back->programme.start) * 1000};
    return PositionBar::Shown{position->timeMs, position->lengthMs};
}

} // namespace

std::optional<CatchupRule> CatchupRuleOf(HandlerContext& context, int entry)
{
    const ChannelList& list = context.state.channels.list();
    if (!list.contains(entry) || list.isHeading(entry))
        return std::nullopt;
    const Alternates alternates = EntryAlternates(context, entry);
    if (alternates.empty())
        return std::nullopt;
    const CatchupSettings settings = context.state.settings ? context.state.settings->catchup() : CatchupSettings{};
    QString why;
    std::optional<CatchupRule> rule =
        catchupRuleFor(alternates.front().address, list.tags(entry), list.listTags(), settings, &why);
    if (!rule && !why.isEmpty())
        qCWarning(lcCatchup) << list.name(entry) << "has no catch-up:" << why;
    return rule;
}

void WatchProgrammeBack(HandlerContext& context, int entry, const Programme& programme, qint64 fromSecond)
{
    const std::optional<CatchupRule> rule = CatchupRuleOf(context, entry);
    const Alternates live = EntryAlternates(context, entry);
    if (!rule || live.empty())
        return;
    const ChannelList& list = context.state.channels.list();
    const Programme asked =
        withEnd(programme, context.state.guide ? context.state.guide->programmes(entry) : std::vector<Programme>{});
    fromSecond = std::clamp<qint64>(fromSecond, 0, std::max<qint64>(asked.stop - asked.start - 1, 0));
    QStringList unknown;
    Alternate back = live.front(); // its headers go with it
    back.address = catchupAddress(*rule, asked.start + fromSecond, asked.stop, nowSeconds(), &unknown);
    back.label.clear();
    if (!unknown.isEmpty())
        qCWarning(lcCatchup) << "placeholders left as written:" << unknown << "in" << rule->address;

    context.state.watchingBack = ProgramState::WatchingBack{entry, asked, fromSecond};
    context.nowPlaying.name = programmeName(list.name(entry), asked);
    context.nowPlaying.labels.clear();
    context.nowPlaying.addresses.clear();
    TransLabel& title = context.window.get<TransLabel>(u"TitleLabel");
    title.setCaption(texts::watchingBackPrefix() + context.nowPlaying.name);
    title.setToolTip({});
    context.nowPlaying.generation =
        context.state.playback->play({back}, PlayerWindows(context), context.state.CachingMs);
    context.state.playback->setExpectedLength((asked.stop - asked.start - fromSecond) * 1000);
    WatchVideoForPositionBar(context);
}

void FollowWithNextProgramme(HandlerContext& context)
{
    if (!context.state.watchingBack)
        return;
    const ProgramState::WatchingBack ended = *context.state.watchingBack;
    const std::vector<Programme> schedule =
        context.state.guide ? context.state.guide->programmes(ended.entry) : std::vector<Programme>{};
    const std::optional<Programme> next = programmeAfter(ended.programme, schedule);
    if (next && next->start <= nowSeconds()) {
        WatchProgrammeBack(context, ended.entry, *next);
        return;
    }
    context.state.watchingBack.reset();
    PlayEntry(context, ended.entry); // caught up with what is on: the channel live
}

void PauseOrStopOrPlayAgain(HandlerContext& context)
{
    PlaybackSession& playback = *context.state.playback;
    if (context.nowPlaying.generation != 0 && playback.setPaused(!playback.isPaused())) {
        context.window.get<TransLabel>(u"TitleLabel")
            .setCaption(PlayingPrefix(context) + texts::withLabel(context.nowPlaying.name, context.nowPlaying.labels.value(0)));
        ShowPositionBar(context);
        return;
    }
    StopOrPlayAgain(context);
}

void JumpBy(HandlerContext& context, std::int64_t milliseconds)
{
    if (const std::optional<PositionBar::Shown> shown = shownPosition(context))
        JumpTo(context, shown->timeMs + milliseconds);
}

void JumpTo(HandlerContext& context, std::int64_t milliseconds)
{
    const std::optional<PlaybackSession::Position> position = context.state.playback->position();
    if (!position)
        return;
    if (const auto& back = context.state.watchingBack) {
        const std::int64_t length = (back->programme.stop - back->programme.start) * 1000;
        const std::int64_t target = std::clamp<std::int64_t>(milliseconds, 0, std::max<std::int64_t>(length - 1000, 0));
        const std::int64_t inStream = target - back->fromSecond * 1000;
        // Within what the stream has and can seek: there; else the server is asked from there.
        if (position->seekable && inStream >= 0 && inStream <= position->lengthMs)
            context.state.playback->seek(inStream);
        else
            WatchProgrammeBack(context, back->entry, back->programme, target / 1000);
    } else if (position->seekable) {
        context.state.playback->seek(std::clamp<std::int64_t>(milliseconds, 0, position->lengthMs));
    }
    ShowPositionBar(context);
}

void ShowPositionBar(HandlerContext& context)
{
    WatchVideoForPositionBar(context);
    context.positionBar->showNow();
}

void WatchVideoForPositionBar(HandlerContext& context)
{
    if (context.positionBar)
        return;
    context.positionBar = new PositionBar(
        context.window, [&context] { return shownPosition(context); }, [&context] { return VideoOnScreen(context); });
    context.positionBar->watch(context.window.get<PicBox>(u"VideoSurface"));
    for (QWidget* surface : context.playerSurfaces)
        if (surface)
            context.positionBar->watch(*surface);
    QObject::connect(context.positionBar, &PositionBar::jumpTo,
                     [&context](std::int64_t milliseconds) { JumpTo(context, milliseconds); });
}
