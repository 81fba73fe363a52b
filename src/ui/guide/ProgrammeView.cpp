#include "ui/guide/ProgrammeView.h"

#include "core/guide/GuideText.h"
#include "core/lists/ChannelNavigator.h"
#include "core/playback/PlaybackController.h"
#include "core/recording/ScheduledRecordings.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/guide/ProgrammeBanner.h"
#include "ui/guide/ProgrammeSchedule.h"
#include "ui/guide/ReminderView.h"
#include "ui/playback/VideoArea.h"

#include <QDateTime>

ProgrammeView::ProgrammeView(Parts parts) : parts_(std::move(parts)), sources_(parts_.window.get<ListBox>(u"SourceList"))
{
    // Each entry's tooltip says what is on.
    sources_.setItemToolTips([guide = parts_.guide](int item) {
        ProgrammeGuide* known = guide();
        if (!known)
            return QString();
        known->want(item);
        return nowNextLine(known->nowNext(item, QDateTime::currentSecsSinceEpoch()));
    });
}

ProgrammeView::~ProgrammeView()
{
    sources_.setItemToolTips({});
    delete banner_.data();
    delete schedule_.data();
}

int ProgrammeView::selectedOrWatched(bool watchedFirst) const
{
    const int selected = sources_.currentSelection();
    const int watched = parts_.channels.lastPlayed();
    const int first = watchedFirst ? watched : selected;
    const int second = watchedFirst ? selected : watched;
    const ChannelList& list = parts_.channels.list();
    if (list.contains(first) && !list.isHeading(first))
        return first;
    return list.contains(second) && !list.isHeading(second) ? second : -1;
}

void ProgrammeView::showBanner(int entry, bool evenWithoutGuide)
{
    const ChannelList& list = parts_.channels.list();
    if (!list.contains(entry) || list.isHeading(entry))
        return;
    ProgrammeGuide* guide = parts_.guide();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (guide)
        guide->want(entry);
    const ProgrammeNowNext nowNext = guide ? guide->nowNext(entry, now) : ProgrammeNowNext{};
    if (!evenWithoutGuide && !nowNext.now && !nowNext.next)
        return;
    if (!banner_)
        banner_ = new ProgrammeBanner(parts_.window);
    banner_->present(entry, list.name(entry), nowNext, now, parts_.video.onScreen(),
                     guide ? guide->logo(entry) : QByteArray());
}

void ProgrammeView::refreshBanner()
{
    ProgrammeGuide* guide = parts_.guide();
    if (banner_ && banner_->isVisible() && guide)
        banner_->setLogo(guide->logo(banner_->entry()));
}

void ProgrammeView::showBannerOfWatched()
{
    showBanner(selectedOrWatched(true), true);
}

void ProgrammeView::makeSchedule()
{
    schedule_ = new ProgrammeSchedule(parts_.window);
    PlaybackController& playback = parts_.playback;
    connect(schedule_, &ProgrammeSchedule::watchBack, &playback,
            [&playback](int entry, const Programme& programme) { playback.watchBack(entry, programme); });
    connect(schedule_, &ProgrammeSchedule::reminderToggled, schedule_, [this](int entry, const Programme& programme) {
        schedule_->markReminded(programme, parts_.reminders.toggle(entry, programme));
    });
    connect(schedule_, &ProgrammeSchedule::recordingToggled, schedule_, [this](int entry, const Programme& programme) {
        if (parts_.scheduled)
            schedule_->markPlanned(programme, parts_.scheduled->toggle(entry, programme));
    });
}

void ProgrammeView::toggleSchedule()
{
    if (!schedule_)
        makeSchedule();
    if (schedule_->isVisible()) {
        schedule_->hide();
        return;
    }
    const int entry = selectedOrWatched(false);
    if (entry < 0)
        return;
    ProgrammeGuide* guide = parts_.guide();
    if (guide)
        guide->want(entry);
    const std::vector<Programme> programmes = guide ? guide->programmes(entry) : std::vector<Programme>{};
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    ProgrammeSchedule::Watchable watchable;
    if (const std::optional<CatchupRule> rule = parts_.playback.catchupRuleOf(entry))
        watchable = [rule = *rule, now](const Programme& programme) { return isWatchableBack(programme, rule, now); };
    ScheduledRecordings* scheduled = parts_.scheduled;
    schedule_->present(
        entry, parts_.channels.list().name(entry), programmes, now, parts_.video.onScreen(), watchable,
        [&reminders = parts_.reminders, entry](const Programme& programme) { return reminders.isReminded(entry, programme); },
        [scheduled, entry](const Programme& programme) { return scheduled && scheduled->isPlanned(entry, programme); });
}
