#include "GuideHandlers.h"

#include "CatchupHandlers.h"
#include "HandlerContext.h"
#include "MainWindow.h"
#include "ProgrammeBanner.h"
#include "ProgrammeSchedule.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"
#include "PlaybackHandlers.h"

#include <QDateTime>

namespace {

int selectedOrWatched(HandlerContext& context, bool watchedFirst)
{
    const int selected = context.window.get<ListBox>(u"SourceList").currentSelection();
    const int watched = context.state.channels.lastPlayed();
    const int first = watchedFirst ? watched : selected;
    const int second = watchedFirst ? selected : watched;
    const ChannelList& list = context.state.channels.list();
    if (list.contains(first) && !list.isHeading(first))
        return first;
    return list.contains(second) && !list.isHeading(second) ? second : -1;
}

} // namespace

void ShowProgrammeBanner(HandlerContext& context, int entry, bool evenWithoutGuide)
{
    const ChannelList& list = context.state.channels.list();
    if (!list.contains(entry) || list.isHeading(entry))
        return;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (context.state.guide)
        context.state.guide->want(entry);
    const ProgrammeNowNext nowNext = context.state.guide ? context.state.guide->nowNext(entry, now) : ProgrammeNowNext{};
    if (!evenWithoutGuide && !nowNext.now && !nowNext.next)
        return;
    if (!context.banner)
        context.banner = new ProgrammeBanner(context.window);
    context.banner->present(entry, list.name(entry), nowNext, now, VideoOnScreen(context),
                            context.state.guide ? context.state.guide->logo(entry) : QByteArray());
}

void RefreshProgrammeBanner(HandlerContext& context)
{
    if (context.banner && context.banner->isVisible() && context.state.guide)
        context.banner->setLogo(context.state.guide->logo(context.banner->entry()));
}

void ShowBannerOfWatched(HandlerContext& context)
{
    ShowProgrammeBanner(context, selectedOrWatched(context, true), true);
}

void ToggleProgrammeSchedule(HandlerContext& context)
{
    if (!context.schedule) {
        context.schedule = new ProgrammeSchedule(context.window);
        QObject::connect(context.schedule, &ProgrammeSchedule::watchBack,
                         [&context](int entry, const Programme& programme) {
                             WatchProgrammeBack(context, entry, programme);
                         });
    }
    if (context.schedule->isVisible()) {
        context.schedule->hide();
        return;
    }
    const int entry = selectedOrWatched(context, false);
    if (entry < 0)
        return;
    if (context.state.guide)
        context.state.guide->want(entry);
    const std::vector<Programme> programmes = context.state.guide ? context.state.guide->programmes(entry)
                                                                    : std::vector<Programme>{};
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    ProgrammeSchedule::Watchable watchable;
    if (const std::optional<CatchupRule> rule = CatchupRuleOf(context, entry))
        watchable = [rule = *rule, now](const Programme& programme) { return isWatchableBack(programme, rule, now); };
    context.schedule->present(entry, context.state.channels.list().name(entry), programmes, now,
                              VideoOnScreen(context), watchable);
}
