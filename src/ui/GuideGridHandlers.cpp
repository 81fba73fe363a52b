#include "GuideGridHandlers.h"

#include "GuideGridWindow.h"
#include "HandlerContext.h"
#include "MainWindow.h"
#include "ReminderHandlers.h"
#include "VideoArea.h"
#include "controls/ListBox.h"
#include "core/AppCore.h"
#include "core/CatchupAddress.h"
#include "core/GuideGrid.h"

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

// The rows as the list shows them, asked of the guide and the core as they come into view.
GuideGridRows rowsOf(HandlerContext& context)
{
    AppCore& core = context.core;
    const ChannelList& list = core.channels.list();
    PlaybackController& playback = *core.playback;
    GuideGridRows rows;
    rows.count = list.count();
    rows.isHeading = [&list](int row) { return list.isHeading(row); };
    rows.name = [&list](int row) { return list.name(row); };
    rows.schedule = [&core](int row) {
        return core.guide ? core.guide->schedule(row) : std::shared_ptr<const std::vector<Programme>>();
    };
    rows.watchableBack = [watchable = watchableBackOf(playback)](int row, const Programme& programme) {
        return watchable(row, programme, QDateTime::currentSecsSinceEpoch());
    };
    rows.reminded = [&context](int row, const Programme& programme) { return IsReminded(context, row, programme); };
    rows.playing = core.channels.lastPlayed();
    rows.catchupDays = playback.catchupDaysOfList();
    return rows;
}

// Over the video and the list, as far as each shows.
QRect gridArea(HandlerContext& context)
{
    QRect area = context.video->onScreen();
    const ListBox& list = context.window.get<ListBox>(u"SourceList");
    if (list.isVisible())
        area = area.united(QRect(list.mapToGlobal(QPoint()), list.size()));
    return area;
}

void act(HandlerContext& context, const guidegrid::Cell& cell)
{
    GuideGridCanvas& canvas = context.guideGrid->canvas();
    const Programme* programme = canvas.programmeOf(cell);
    PlaybackController& playback = *context.core.playback;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    switch (guidegrid::actionFor(cell, now, canvas.canWatchBack(cell))) {
    case guidegrid::CellAction::Play:
        CloseGuideGrid(context);
        playback.playEntry(cell.row);
        break;
    case guidegrid::CellAction::WatchBack: {
        const Programme chosen = *programme;
        CloseGuideGrid(context);
        playback.watchBack(cell.row, chosen);
        break;
    }
    case guidegrid::CellAction::Remind:
        ToggleReminder(context, cell.row, *programme);
        canvas.refresh();
        break;
    case guidegrid::CellAction::None:
        break;
    }
}

} // namespace

void ToggleGuideGrid(HandlerContext& context)
{
    if (CloseGuideGrid(context))
        return;
    if (!context.guideGrid) {
        context.guideGrid = new GuideGridWindow(context.window);
        QObject::connect(context.guideGrid, &GuideGridWindow::activated, &context.window,
                         [&context](const guidegrid::Cell& cell) { act(context, cell); });
        QObject::connect(context.guideGrid, &GuideGridWindow::reminderAsked, &context.window,
                         [&context](const ProgrammeHit& hit) { ToggleReminder(context, hit.entry, hit.programme); });
        QObject::connect(context.guideGrid, &GuideGridWindow::searchAsked, &context.window, [&context](const QString& text) {
            ProgrammeGuide* guide = context.core.guide.get();
            const qint64 now = QDateTime::currentSecsSinceEpoch();
            if (!guide || text.isEmpty()) {
                context.guideGrid->showFindings({}, {});
                return;
            }
            guide->search(text, now, [&context, text, now](std::vector<ProgrammeHit> hits) {
                if (!context.guideGrid || !context.guideGrid->isVisible())
                    return;
                PlaybackController& playback = *context.core.playback;
                const ChannelList& list = context.core.channels.list();
                // A channel's name, or its pinyin, finds what it shows now and next.
                std::vector<ProgrammeHit> byName = guidegrid::channelNameHits(list, text, now, [&context](int row) {
                    return context.core.guide ? context.core.guide->schedule(row) : nullptr;
                });
                byName.insert(byName.end(), std::make_move_iterator(hits.begin()), std::make_move_iterator(hits.end()));
                hits = guidegrid::withoutRepeats(std::move(byName));
                const WatchableBack watchable = watchableBackOf(playback);
                const auto ranked = guidegrid::rankedHits(std::move(hits), now, [&](const ProgrammeHit& hit) {
                    return watchable(hit.entry, hit.programme, now);
                });
                context.guideGrid->showFindings(ranked, [&list](int entry) { return list.name(entry); },
                                                [&context](const ProgrammeHit& hit) { return IsReminded(context, hit.entry, hit.programme); });
            });
        });
    }
    const int playing = context.core.channels.lastPlayed();
    const int selected = context.window.get<ListBox>(u"SourceList").currentSelection();
    context.guideGrid->present(rowsOf(context), QDateTime::currentSecsSinceEpoch(), playing >= 0 ? playing : selected,
                               gridArea(context));
}

bool CloseGuideGrid(HandlerContext& context)
{
    if (!context.guideGrid || !context.guideGrid->isVisible())
        return false;
    context.guideGrid->closeGrid();
    return true;
}

void RefreshGuideGrid(HandlerContext& context)
{
    if (!context.guideGrid || !context.guideGrid->isVisible())
        return;
    GuideGridCanvas& canvas = context.guideGrid->canvas();
    // Another list, or other favourites: the rows afresh, on the same row number.
    if (canvas.rowCount() != context.core.channels.list().count()) {
        context.guideGrid->present(rowsOf(context), QDateTime::currentSecsSinceEpoch(), canvas.currentCell().row,
                                   gridArea(context));
        return;
    }
    canvas.refresh();
}
