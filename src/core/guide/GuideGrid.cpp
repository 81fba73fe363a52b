#include "core/guide/GuideGrid.h"

#include "core/lists/ChannelList.h"
#include "core/lists/PinyinName.h"

#include <QDateTime>

#include <algorithm>

namespace guidegrid {

qint64 Timeline::columnStart(qint64 time)
{
    const qint64 rest = time % kColumn;
    return time - (rest < 0 ? rest + kColumn : rest);
}

std::vector<Timeline::Column> Timeline::columns(qint64 from, qint64 to) const
{
    std::vector<Column> found;
    for (qint64 start = columnStart(from) + (from % kColumn == 0 ? 0 : kColumn); start < to; start += kColumn)
        found.push_back({start, QDateTime::fromSecsSinceEpoch(start, zone_).toString(QStringLiteral("HH:mm"))});
    return found;
}

QDate Timeline::dayOf(qint64 time) const
{
    return QDateTime::fromSecsSinceEpoch(time, zone_).date();
}

qint64 Timeline::dayStart(const QDate& day) const
{
    // A zone whose clocks skip midnight starts the day at the first moment it has.
    return day.startOfDay(zone_).toSecsSinceEpoch();
}

qint64 Timeline::addDays(qint64 time, int days) const
{
    return QDateTime::fromSecsSinceEpoch(time, zone_).addDays(days).toSecsSinceEpoch();
}

Days daysOf(const Timeline& timeline, qint64 now, int catchupDays, qint64 lastStop)
{
    Days days;
    days.first = timeline.dayOf(now).addDays(-std::max(catchupDays, 0));
    days.last = timeline.dayOf(std::max(now, lastStop - 1));
    days.from = timeline.dayStart(days.first);
    days.to = timeline.dayStart(days.last.addDays(1));
    return days;
}

namespace {

// The programme on at `time`, else the first after it.
Schedule::const_iterator firstEndingAfter(const Schedule& schedule, qint64 time)
{
    const auto later = std::upper_bound(schedule.begin(), schedule.end(), time,
                                        [](qint64 moment, const Programme& programme) { return moment < programme.start; });
    return later != schedule.begin() && std::prev(later)->stop > time ? std::prev(later) : later;
}

} // namespace

std::vector<Cell> cellsIn(int firstRow, int lastRow, qint64 from, qint64 to, const ScheduleOf& scheduleOf)
{
    std::vector<Cell> cells;
    for (int row = std::max(firstRow, 0); row <= lastRow; ++row) {
        const Schedule* schedule = scheduleOf(row);
        if (!schedule)
            continue;
        for (auto at = firstEndingAfter(*schedule, from); at != schedule->end() && at->start < to; ++at)
            if (at->stop > at->start)
                cells.push_back({row, at->start, at->stop, int(at - schedule->begin())});
    }
    return cells;
}

Cell cellAt(int row, qint64 time, const Schedule* schedule)
{
    if (schedule) {
        const auto at = firstEndingAfter(*schedule, time);
        if (at != schedule->end() && at->start <= time && time < at->stop)
            return {row, at->start, at->stop, int(at - schedule->begin())};
    }
    const qint64 start = Timeline::columnStart(time);
    return {row, start, start + kColumn, -1};
}

int Navigation::rowBy(int row, int step) const
{
    const int direction = step < 0 ? -1 : 1;
    int found = row;
    int left = std::abs(step);
    for (int at = row + direction; at >= 0 && at < rows_ && left > 0; at += direction) {
        if (isHeading_(at))
            continue;
        found = at;
        --left;
    }
    return found;
}

Cursor Navigation::across(const Cursor& cursor, int direction) const
{
    const Cell cell = cellOf(cursor);
    const qint64 beyond = direction < 0 ? cell.start - 1 : cell.stop;
    if (beyond < days_.from || beyond >= days_.to)
        return cursor;
    // On the cell's first moment in view: moving on from there goes to its neighbour.
    return {cursor.row, days_.clamp(cellAt(cursor.row, beyond, scheduleOf_(cursor.row)).start)};
}

Cursor Navigation::byDays(const Cursor& cursor, int days, const Timeline& timeline) const
{
    return {cursor.row, days_.clamp(timeline.addDays(cursor.time, days))};
}

CellAction actionFor(const Cell& cell, qint64 now, bool watchableBack)
{
    if (cell.row < 0)
        return CellAction::None;
    if (cell.start <= now && now < cell.stop)
        return CellAction::Play;
    if (cell.stop <= now)
        return watchableBack && cell.programme >= 0 ? CellAction::WatchBack : CellAction::None;
    return cell.programme >= 0 ? CellAction::Remind : CellAction::None;
}

std::vector<ProgrammeHit> rankedHits(std::vector<ProgrammeHit> hits, qint64 now,
                                     const std::function<bool(const ProgrammeHit&)>& watchableBack)
{
    const auto group = [now](const Programme& programme) {
        return programme.stop <= now ? 2 : programme.start <= now ? 0 : 1;
    };
    std::erase_if(hits, [&](const ProgrammeHit& hit) { return group(hit.programme) == 2 && !watchableBack(hit); });
    std::stable_sort(hits.begin(), hits.end(), [&](const ProgrammeHit& a, const ProgrammeHit& b) {
        const int first = group(a.programme);
        const int second = group(b.programme);
        if (first != second)
            return first < second;
        return first == 2 ? a.programme.start > b.programme.start : a.programme.start < b.programme.start;
    });
    return hits;
}

std::vector<ProgrammeHit> channelNameHits(const ChannelList& list, const QString& text, qint64 now,
                                          const std::function<std::shared_ptr<const Schedule>(int)>& scheduleOf, int most)
{
    std::vector<ProgrammeHit> hits;
    const QString wanted = text.trimmed();
    if (wanted.isEmpty())
        return hits;
    const std::optional<QByteArray> typing = pinyinTyping(wanted);
    int channels = 0;
    for (int row = list.favouriteRows(); row < list.count() && channels < most; ++row) {
        if (list.isHeading(row))
            continue;
        const QString name = list.name(row);
        if (!name.contains(wanted, Qt::CaseInsensitive) && !(typing && PinyinName(name).matches(*typing)))
            continue;
        const std::shared_ptr<const Schedule> schedule = scheduleOf(row);
        if (!schedule)
            continue;
        ++channels;
        auto at = firstEndingAfter(*schedule, now);
        for (int taken = 0; at != schedule->end() && taken < 2; ++at, ++taken)
            hits.push_back({row, *at});
    }
    return hits;
}

std::vector<ProgrammeHit> withoutRepeats(std::vector<ProgrammeHit> hits)
{
    std::vector<ProgrammeHit> kept;
    for (ProgrammeHit& hit : hits)
        if (std::none_of(kept.begin(), kept.end(), [&](const ProgrammeHit& other) {
                return other.entry == hit.entry && other.programme.start == hit.programme.start;
            }))
            kept.push_back(std::move(hit));
    return kept;
}

} // namespace guidegrid
