#pragma once

#include "core/guide/ProgrammeGuide.h"

class ChannelList;

#include <QDate>
#include <QTimeZone>

#include <algorithm>
#include <functional>
#include <vector>

// The guide's grid of channels by time, without its drawing: where times fall
// across it, which programmes a view holds, where the cursor goes and what
// Enter does there. Rows are the list's indexes; times are seconds since 1970 UTC.
namespace guidegrid {

inline constexpr qint64 kColumn = 1800; // a column: half an hour

// Real time runs evenly across the grid, across midnight and across a change
// of the clocks alike; only the labels follow the zone's clock (the night
// clocks go back shows 01:00 and 01:30 twice).
class Timeline {
public:
    Timeline(QTimeZone zone, double pixelsPerColumn) : zone_(std::move(zone)), pixelsPerColumn_(pixelsPerColumn) {}

    double x(qint64 time, qint64 viewStart) const { return double(time - viewStart) * pixelsPerColumn_ / kColumn; }
    qint64 timeAt(double x, qint64 viewStart) const { return viewStart + qint64(x * kColumn / pixelsPerColumn_); }
    double pixelsPerColumn() const { return pixelsPerColumn_; }

    struct Column {
        qint64 start = 0;
        QString label; // "19:30"
    };
    // The columns that begin in [from, to), on the half hours of real time.
    std::vector<Column> columns(qint64 from, qint64 to) const;
    static qint64 columnStart(qint64 time);

    QDate dayOf(qint64 time) const;
    // The zone's midnight starting `day`.
    qint64 dayStart(const QDate& day) const;
    // The same clock time `days` days on; 23 or 25 hours across a change of the clocks.
    qint64 addDays(qint64 time, int days) const;
    const QTimeZone& zone() const { return zone_; }

private:
    QTimeZone zone_;
    double pixelsPerColumn_;
};

// The days a grid offers: from as far back as catch-up goes to the day of the guide's last programme.
struct Days {
    QDate first;
    QDate last;
    qint64 from = 0; // the first day's start
    qint64 to = 0;   // the day after the last's start
    qint64 clamp(qint64 time) const { return std::clamp(time, from, to - 1); }
};
Days daysOf(const Timeline& timeline, qint64 now, int catchupDays, qint64 lastStop);

using Schedule = std::vector<Programme>;
// A row's programmes by start (null: the channel has no guide); never null for a row that has them.
using ScheduleOf = std::function<const Schedule*(int row)>;

struct Cell {
    int row = -1;
    qint64 start = 0;
    qint64 stop = 0;
    int programme = -1; // its index in the row's schedule; -1: a half hour of a row with nothing there
    bool operator==(const Cell&) const = default;
};
// The programmes of rows [firstRow, lastRow] that show between `from` and `to`.
std::vector<Cell> cellsIn(int firstRow, int lastRow, qint64 from, qint64 to, const ScheduleOf& scheduleOf);
// The cell of `row` at `time`: the programme on then, else its half hour.
Cell cellAt(int row, qint64 time, const Schedule* schedule);

// Where the cursor is: a row, and a moment its cell holds.
struct Cursor {
    int row = -1;
    qint64 time = 0;
};

// Moves over a grid of `rows` rows (headings skipped) within `days`.
class Navigation {
public:
    Navigation(int rows, std::function<bool(int)> isHeading, Days days, ScheduleOf scheduleOf)
        : rows_(rows), isHeading_(std::move(isHeading)), days_(days), scheduleOf_(std::move(scheduleOf))
    {
    }
    // The next row `step` rows on that is a channel, stopping at the ends; `row` when none.
    int rowBy(int row, int step) const;
    // The cell before (-1) or after (+1) the cursor's in its row.
    Cursor across(const Cursor& cursor, int direction) const;
    Cursor byDays(const Cursor& cursor, int days, const Timeline& timeline) const;
    Cursor toTime(const Cursor& cursor, qint64 time) const { return {cursor.row, days_.clamp(time)}; }
    Cell cellOf(const Cursor& cursor) const { return cellAt(cursor.row, cursor.time, scheduleOf_(cursor.row)); }
    const Days& days() const { return days_; }

private:
    int rows_;
    std::function<bool(int)> isHeading_;
    Days days_;
    ScheduleOf scheduleOf_;
};

// What Enter on a cell does.
enum class CellAction { None, Play, WatchBack, Remind };
CellAction actionFor(const Cell& cell, qint64 now, bool watchableBack);

// A search's findings as they are listed: on now, then coming by start, then
// the past that can be watched back, latest first; the rest of the past left out.
std::vector<ProgrammeHit> rankedHits(std::vector<ProgrammeHit> hits, qint64 now,
                                     const std::function<bool(const ProgrammeHit&)>& watchableBack);

// What a search finds by channel name: the programme on now and the next of
// each channel whose name holds `text` or types it in pinyin ("hnws" finds
// 湖南卫视); favourites' copies left out (their entries are there); at most `most` channels.
std::vector<ProgrammeHit> channelNameHits(const ChannelList& list, const QString& text, qint64 now,
                                          const std::function<std::shared_ptr<const Schedule>(int row)>& scheduleOf,
                                          int most = 50);
// The guide's findings and those by name together, each programme of an entry once.
std::vector<ProgrammeHit> withoutRepeats(std::vector<ProgrammeHit> hits);

} // namespace guidegrid
