#include "GuideHandlers.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "ProgrammeBanner.h"
#include "ProgrammeSchedule.h"
#include "ReminderHandlers.h"
#include "VideoArea.h"
#include "controls/ListBox.h"
#include "core/AppCore.h"

#include <QDateTime>

namespace {

int selectedOrWatched(HandlerContext& context, bool watchedFirst)
{
    const int selected = context.window.get<ListBox>(u"SourceList").currentSelection();
    const int watched = context.core.channels.lastPlayed();
    const int first = watchedFirst ? watched : selected;
    const int second = watchedFirst ? selected : watched;
    const ChannelList& list = context.core.channels.list();
    if (list.contains(first) && !list.isHeading(first))
        return first;
    return list.contains(second) && !list.isHeading(second) ? second : -1;
}

} // namespace

void ShowProgrammeBanner(HandlerContext& context, int entry, bool evenWithoutGuide)
{
    const ChannelList& list = context.core.channels.list();
    if (!list.contains(entry) || list.isHeading(entry))
        return;
    ProgrammeGuide* guide = context.core.guide.get();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (guide)
        guide->want(entry);
    const ProgrammeNowNext nowNext = guide ? guide->nowNext(entry, now) : ProgrammeNowNext{};
    if (!evenWithoutGuide && !nowNext.now && !nowNext.next)
        return;
    if (!context.banner)
        context.banner = new ProgrammeBanner(context.window);
    context.banner->present(entry, list.name(entry), nowNext, now, context.video->onScreen(),
                            guide ? guide->logo(entry) : QByteArray());
}

void RefreshProgrammeBanner(HandlerContext& context)
{
    if (context.banner && context.banner->isVisible() && context.core.guide)
        context.banner->setLogo(context.core.guide->logo(context.banner->entry()));
}

void ShowBannerOfWatched(HandlerContext& context)
{
    ShowProgrammeBanner(context, selectedOrWatched(context, true), true);
}

void ToggleProgrammeSchedule(HandlerContext& context)
{
    PlaybackController& playback = *context.core.playback;
    if (!context.schedule) {
        context.schedule = new ProgrammeSchedule(context.window);
        QObject::connect(context.schedule, &ProgrammeSchedule::watchBack, &playback,
                         [&playback](int entry, const Programme& programme) { playback.watchBack(entry, programme); });
        QObject::connect(context.schedule, &ProgrammeSchedule::reminderToggled, context.schedule,
                         [&context](int entry, const Programme& programme) {
                             context.schedule->markReminded(programme, ToggleReminder(context, entry, programme));
                         });
        QObject::connect(context.schedule, &ProgrammeSchedule::recordingToggled, context.schedule,
                         [&context](int entry, const Programme& programme) {
                             if (context.core.scheduled)
                                 context.schedule->markPlanned(programme, context.core.scheduled->toggle(entry, programme));
                         });
    }
    if (context.schedule->isVisible()) {
        context.schedule->hide();
        return;
    }
    const int entry = selectedOrWatched(context, false);
    if (entry < 0)
        return;
    ProgrammeGuide* guide = context.core.guide.get();
    if (guide)
        guide->want(entry);
    const std::vector<Programme> programmes = guide ? guide->programmes(entry) : std::vector<Programme>{};
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    ProgrammeSchedule::Watchable watchable;
    if (const std::optional<CatchupRule> rule = playback.catchupRuleOf(entry))
        watchable = [rule = *rule, now](const Programme& programme) { return isWatchableBack(programme, rule, now); };
    context.schedule->present(entry, context.core.channels.list().name(entry), programmes, now,
                              context.video->onScreen(), watchable,
                              [&context, entry](const Programme& programme) { return IsReminded(context, entry, programme); },
                              [&context, entry](const Programme& programme) {
                                  return context.core.scheduled && context.core.scheduled->isPlanned(entry, programme);
                              });
}
