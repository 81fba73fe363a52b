#include "ui/guide/GuideGridView.h"

#include "ui/guide/GuideGridWindow.h"
#include "ui/MainWindow.h"
#include "ui/guide/ReminderView.h"
#include "ui/playback/VideoArea.h"
#include "ui/controls/ListBox.h"
#include "core/lists/ChannelNavigator.h"
#include "core/playback/PlaybackController.h"
#include "core/guide/CatchupAddress.h"
#include "core/guide/GuideGrid.h"

#include <QDateTime>

#include <unordered_map>

namespace {

using WatchableBack = std::function<bool(int row, const Programme& programme, qint64 now)>;

// Whether a row's programme can be watched back, each row's rule asked of the core once.
WatchableBack watchableBackOf(PlaybackController& playback)
{
    auto rules = std::make_shared<std::unordered_map<int, std::optional<CatchupRule>>>();
    return [&playback, rules](int row, const Programme& programme, qint64 now) {
        auto rule = rules->find(row);
        if (rule == rules->end())
            rule = rules->emplace(row, playback.catchupRuleOf(row)).first;
        return rule->second && isWatchableBack(programme, *rule->second, now);
    };
}

} // namespace

GuideGridView::GuideGridView(Parts parts) : parts_(std::move(parts)) {}

GuideGridView::~GuideGridView()
{
    delete grid_.data();
}

// The rows as the list shows them, asked of the guide and the core as they come into view.
GuideGridRows GuideGridView::rows() const
{
    const ChannelList& list = parts_.channels.list();
    GuideGridRows rows;
    rows.count = list.count();
    rows.isHeading = [&list](int row) { return list.isHeading(row); };
    rows.name = [&list](int row) { return list.name(row); };
    rows.schedule = [guide = parts_.guide](int row) {
        ProgrammeGuide* known = guide();
        return known ? known->schedule(row) : std::shared_ptr<const std::vector<Programme>>();
    };
    rows.watchableBack = [watchable = watchableBackOf(parts_.playback)](int row, const Programme& programme) {
        return watchable(row, programme, QDateTime::currentSecsSinceEpoch());
    };
    rows.reminded = [&reminders = parts_.reminders](int row, const Programme& programme) {
        return reminders.isReminded(row, programme);
    };
    rows.playing = parts_.channels.lastPlayed();
    rows.catchupDays = parts_.playback.catchupDaysOfList();
    return rows;
}

// Over the video and the list, as far as each shows.
QRect GuideGridView::area() const
{
    QRect area = parts_.video.onScreen();
    const ListBox& list = parts_.window.get<ListBox>(u"SourceList");
    if (list.isVisible())
        area = area.united(QRect(list.mapToGlobal(QPoint()), list.size()));
    return area;
}

void GuideGridView::act(const guidegrid::Cell& cell)
{
    GuideGridCanvas& canvas = grid_->canvas();
    const Programme* programme = canvas.programmeOf(cell);
    PlaybackController& playback = parts_.playback;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    switch (guidegrid::actionFor(cell, now, canvas.canWatchBack(cell))) {
    case guidegrid::CellAction::Play:
        close();
        playback.playEntry(cell.row);
        break;
    case guidegrid::CellAction::WatchBack: {
        const Programme chosen = *programme;
        close();
        playback.watchBack(cell.row, chosen);
        break;
    }
    case guidegrid::CellAction::Remind:
        parts_.reminders.toggle(cell.row, *programme);
        canvas.refresh();
        break;
    case guidegrid::CellAction::None:
        break;
    }
}

void GuideGridView::search(const QString& text)
{
    ProgrammeGuide* guide = parts_.guide();
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    if (!guide || text.isEmpty()) {
        grid_->showFindings({}, {});
        return;
    }
    guide->search(text, now, [self = QPointer<GuideGridView>(this), this, text, now](std::vector<ProgrammeHit> hits) {
        if (!self || !grid_ || !grid_->isVisible())
            return;
        const ChannelList& list = parts_.channels.list();
        // A channel's name, or its pinyin, finds what it shows now and next.
        std::vector<ProgrammeHit> byName = guidegrid::channelNameHits(list, text, now, [guide = parts_.guide](int row) {
            ProgrammeGuide* known = guide();
            return known ? known->schedule(row) : nullptr;
        });
        byName.insert(byName.end(), std::make_move_iterator(hits.begin()), std::make_move_iterator(hits.end()));
        hits = guidegrid::withoutRepeats(std::move(byName));
        const WatchableBack watchable = watchableBackOf(parts_.playback);
        const auto ranked = guidegrid::rankedHits(std::move(hits), now, [&](const ProgrammeHit& hit) {
            return watchable(hit.entry, hit.programme, now);
        });
        grid_->showFindings(ranked, [&list](int entry) { return list.name(entry); },
                            [&reminders = parts_.reminders](const ProgrammeHit& hit) {
                                return reminders.isReminded(hit.entry, hit.programme);
                            });
    });
}

void GuideGridView::toggle()
{
    if (close())
        return;
    if (!grid_) {
        grid_ = new GuideGridWindow(parts_.window);
        connect(grid_, &GuideGridWindow::activated, this, &GuideGridView::act);
        connect(grid_, &GuideGridWindow::reminderAsked, this,
                [this](const ProgrammeHit& hit) { parts_.reminders.toggle(hit.entry, hit.programme); });
        connect(grid_, &GuideGridWindow::searchAsked, this, &GuideGridView::search);
    }
    const int playing = parts_.channels.lastPlayed();
    const int selected = parts_.window.get<ListBox>(u"SourceList").currentSelection();
    grid_->present(rows(), QDateTime::currentSecsSinceEpoch(), playing >= 0 ? playing : selected, area());
}

bool GuideGridView::close()
{
    if (!grid_ || !grid_->isVisible())
        return false;
    grid_->closeGrid();
    return true;
}

void GuideGridView::refresh()
{
    if (!grid_ || !grid_->isVisible())
        return;
    GuideGridCanvas& canvas = grid_->canvas();
    // Another list, or other favourites: the rows afresh, on the same row number.
    if (canvas.rowCount() != parts_.channels.list().count()) {
        grid_->present(rows(), QDateTime::currentSecsSinceEpoch(), canvas.currentCell().row, area());
        return;
    }
    canvas.refresh();
}
