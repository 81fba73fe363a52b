// The guide's grid without a window: where times fall across it (over
// midnight and a change of the clocks), which programmes a view holds, how
// the cursor moves, what Enter does on a cell, and how a search's findings
// are listed; reminders kept across runs, told once, dropped when missed.

#include "core/lists/ChannelList.h"
#include "core/CoreLog.h"
#include "core/guide/GuideGrid.h"
#include "core/settings/UserSettings.h"

#include <QDateTime>
#include <QTemporaryDir>
#include <QTest>

using namespace guidegrid;

class GuideGridTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void timesRunEvenlyOverMidnightAndAChangeOfTheClocks();
    void aViewHoldsTheProgrammesItShows();
    void theCursorMovesByCellRowAndDay();
    void enterOnACell();
    void findingsAreListedNowComingThenPastToWatchBack();
    void aChannelsNameOrPinyinFindsWhatItShows();
    void remindersAreKeptToldOnceAndDroppedWhenMissed();

private:
    QTemporaryDir home_;
};

void GuideGridTest::initTestCase()
{
    // Before anything asks QSettings where the user's file is.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath(QStringLiteral("config"))));
}

namespace {

const QTimeZone kBeijing(8 * 3600);

qint64 beijing(int day, int hour, int minute)
{
    return QDateTime(QDate(2026, 12, day), QTime(hour, minute), kBeijing).toSecsSinceEpoch();
}

Programme programme(qint64 start, qint64 stop, const char* title)
{
    return {start, stop, QString::fromUtf8(title), {}};
}

} // namespace

void GuideGridTest::timesRunEvenlyOverMidnightAndAChangeOfTheClocks()
{
    const Timeline timeline(kBeijing, 120);
    const qint64 late = beijing(8, 23, 0);
    QCOMPARE(timeline.x(beijing(9, 0, 30), late), 360.0);
    QCOMPARE(timeline.timeAt(360, late), beijing(9, 0, 30));
    QStringList labels;
    for (const Timeline::Column& column : timeline.columns(late + 60, beijing(9, 1, 0)))
        labels << column.label;
    QCOMPARE(labels, QStringList({"23:30", "00:00", "00:30"}));
    QCOMPARE(timeline.dayOf(beijing(9, 0, 0) - 1), QDate(2026, 12, 8));
    QCOMPARE(timeline.dayStart(QDate(2026, 12, 9)), beijing(9, 0, 0));

    // New York's clocks go back an hour on 1 November 2026: a day of 25 hours, 01:00 twice.
    const QTimeZone newYork("America/New_York");
    QVERIFY2(newYork.isValid(), "tzdata is needed");
    const Timeline east(newYork, 100);
    const qint64 first = east.dayStart(QDate(2026, 11, 1));
    const qint64 second = east.dayStart(QDate(2026, 11, 2));
    QCOMPARE(second - first, 25 * 3600);
    QCOMPARE(east.x(second, first), 50.0 * 100);
    labels.clear();
    for (const Timeline::Column& column : east.columns(first, first + 4 * 3600))
        labels << column.label;
    QCOMPARE(labels, QStringList({"00:00", "00:30", "01:00", "01:30", "01:00", "01:30", "02:00", "02:30"}));
    // A day on keeps the clock time: 25 hours over that night, 23 over the spring's.
    const qint64 evening = QDateTime(QDate(2026, 10, 31), QTime(20, 0), newYork).toSecsSinceEpoch();
    QCOMPARE(east.addDays(evening, 1) - evening, 25 * 3600);
    const qint64 spring = QDateTime(QDate(2026, 3, 7), QTime(20, 0), newYork).toSecsSinceEpoch();
    QCOMPARE(east.addDays(spring, 1) - spring, 23 * 3600);

    // The days offered: catch-up's days back, to the day of the guide's last programme.
    const Days days = daysOf(timeline, beijing(9, 10, 0), 2, beijing(12, 0, 0));
    QCOMPARE(days.first, QDate(2026, 12, 7));
    QCOMPARE(days.last, QDate(2026, 12, 11));
    QCOMPARE(days.from, beijing(7, 0, 0));
    QCOMPARE(days.to, beijing(12, 0, 0));
    QCOMPARE(daysOf(timeline, beijing(9, 10, 0), 0, 0).last, QDate(2026, 12, 9)); // no guide: today
}

void GuideGridTest::aViewHoldsTheProgrammesItShows()
{
    // Row 0 a heading, row 1 a day of hour-long programmes, row 2 no guide, row 3 one long film.
    Schedule hours;
    for (int hour = 0; hour < 24; ++hour)
        hours.push_back(programme(beijing(9, hour, 0), beijing(9, hour, 0) + 3600, "hour"));
    const Schedule film{programme(beijing(9, 18, 0), beijing(9, 22, 0), "film")};
    const ScheduleOf scheduleOf = [&](int row) -> const Schedule* {
        return row == 1 ? &hours : row == 3 ? &film : nullptr;
    };
    // 19:15 to 21:00: the hour under way at the left edge, the one starting at the right edge left out.
    const std::vector<Cell> cells = cellsIn(0, 3, beijing(9, 19, 15), beijing(9, 21, 0), scheduleOf);
    QCOMPARE(cells.size(), size_t(3));
    QCOMPARE(cells[0], (Cell{1, beijing(9, 19, 0), beijing(9, 20, 0), 19}));
    QCOMPARE(cells[1].programme, 20);
    QCOMPARE(cells[2], (Cell{3, beijing(9, 18, 0), beijing(9, 22, 0), 0}));
    // Rows outside the view are not looked at.
    QCOMPARE(cellsIn(2, 2, beijing(9, 0, 0), beijing(10, 0, 0), scheduleOf).size(), size_t(0));
    QCOMPARE(cellsIn(1, 1, beijing(10, 0, 0), beijing(10, 5, 0), scheduleOf).size(), size_t(0));
    // A row without a programme then has its half hour.
    QCOMPARE(cellAt(2, beijing(9, 19, 40), nullptr), (Cell{2, beijing(9, 19, 30), beijing(9, 20, 0), -1}));
    QCOMPARE(cellAt(3, beijing(9, 22, 0), &film).programme, -1);
}

void GuideGridTest::theCursorMovesByCellRowAndDay()
{
    const Schedule news{programme(beijing(9, 19, 0), beijing(9, 19, 30), "新闻"),
                        programme(beijing(9, 19, 30), beijing(9, 20, 0), "天气"),
                        programme(beijing(9, 21, 0), beijing(9, 22, 0), "电影")};
    const Timeline timeline(kBeijing, 120);
    const Days days = daysOf(timeline, beijing(9, 19, 10), 1, beijing(10, 12, 0));
    const std::vector<bool> headings{true, false, true, false, false};
    const Navigation move(int(headings.size()), [&](int row) { return bool(headings[size_t(row)]); }, days,
                          [&](int row) { return row == 1 ? &news : nullptr; });
    QCOMPARE(move.rowBy(1, 1), 3);  // over a heading
    QCOMPARE(move.rowBy(3, -1), 1);
    QCOMPARE(move.rowBy(1, -1), 1); // the first channel stays
    QCOMPARE(move.rowBy(1, 10), 4); // a page beyond the end stops at the last
    QCOMPARE(move.rowBy(4, -10), 1);

    Cursor cursor{1, beijing(9, 19, 10)};
    cursor = move.across(cursor, 1);
    QCOMPARE(move.cellOf(cursor).programme, 1);
    cursor = move.across(cursor, 1); // the hour with nothing: its half hours
    QCOMPARE(move.cellOf(cursor), (Cell{1, beijing(9, 20, 0), beijing(9, 20, 30), -1}));
    cursor = move.across(move.across(cursor, 1), 1);
    QCOMPARE(move.cellOf(cursor).programme, 2);
    cursor = move.across(move.across(cursor, -1), -1);
    QCOMPARE(cursor.time, beijing(9, 20, 0));
    // Up and down keep the time; a row without a guide has its half hour there.
    QCOMPARE(move.cellOf({3, cursor.time}), (Cell{3, beijing(9, 20, 0), beijing(9, 20, 30), -1}));
    // Days: within catch-up's day back and the guide's last day.
    QCOMPARE(move.byDays(cursor, -1, timeline).time, beijing(8, 20, 0));
    QCOMPARE(move.byDays(cursor, -2, timeline).time, beijing(8, 0, 0));
    QCOMPARE(move.byDays(cursor, 5, timeline).time, beijing(11, 0, 0) - 1);
    const Cursor first{4, beijing(8, 0, 10)};
    QCOMPARE(move.across(first, -1).time, first.time); // nothing before the first day
    QCOMPARE(move.toTime(first, beijing(9, 19, 10)).time, beijing(9, 19, 10));
}

void GuideGridTest::enterOnACell()
{
    const qint64 now = beijing(9, 19, 10);
    const Cell onNow{1, beijing(9, 19, 0), beijing(9, 19, 30), 0};
    const Cell past{1, beijing(9, 18, 0), beijing(9, 19, 0), 1};
    const Cell coming{1, beijing(9, 20, 0), beijing(9, 21, 0), 2};
    QCOMPARE(actionFor(onNow, now, false), CellAction::Play);
    QCOMPARE(actionFor({2, beijing(9, 19, 0), beijing(9, 19, 30), -1}, now, false), CellAction::Play); // a channel without a guide
    QCOMPARE(actionFor(past, now, true), CellAction::WatchBack);
    QCOMPARE(actionFor(past, now, false), CellAction::None);
    QCOMPARE(actionFor(coming, now, false), CellAction::Remind);
    QCOMPARE(actionFor({1, beijing(9, 21, 0), beijing(9, 21, 30), -1}, now, false), CellAction::None);
}

void GuideGridTest::findingsAreListedNowComingThenPastToWatchBack()
{
    const qint64 now = beijing(9, 19, 10);
    const std::vector<ProgrammeHit> hits{
        {5, programme(beijing(8, 19, 0), beijing(8, 19, 30), "昨天，可回看")},
        {6, programme(beijing(9, 18, 0), beijing(9, 18, 30), "今天早些，不可回看")},
        {5, programme(beijing(10, 19, 0), beijing(10, 19, 30), "明天")},
        {5, programme(beijing(9, 18, 30), beijing(9, 19, 0), "刚才，可回看")},
        {6, programme(beijing(9, 19, 0), beijing(9, 20, 0), "正在播")},
        {5, programme(beijing(9, 21, 0), beijing(9, 22, 0), "今晚")}};
    QStringList order;
    for (const ProgrammeHit& hit : rankedHits(hits, now, [](const ProgrammeHit& hit) { return hit.entry == 5; }))
        order << hit.programme.title;
    QCOMPARE(order, QStringList({"正在播", "今晚", "明天", "刚才，可回看", "昨天，可回看"}));
}

void GuideGridTest::aChannelsNameOrPinyinFindsWhatItShows()
{
    PlaySourceFile file;
    for (const char* name : {"卫视", "湖南卫视", "湖南衛視 备用", "CCTV-5+ 体育", "长沙新闻"})
        file.entries.emplace_back(QString::fromUtf8(name), QStringLiteral("http://h/x"));
    file.entries[0].address = QStringLiteral("#genre#");
    file.fillColumns();
    ChannelList list;
    list.replace(file);
    list.setFavourites({list.key(1)});
    const qint64 now = beijing(9, 19, 10);
    const auto schedule = std::make_shared<const Schedule>(Schedule{programme(beijing(9, 18, 0), beijing(9, 19, 0), "过去"),
                                                                     programme(beijing(9, 19, 0), beijing(9, 20, 0), "现在"),
                                                                     programme(beijing(9, 20, 0), beijing(9, 21, 0), "以后"),
                                                                     programme(beijing(9, 21, 0), beijing(9, 22, 0), "再后")});
    const auto scheduleOf = [&](int) { return schedule; };
    const auto rowsFound = [&](const char* text) {
        QList<int> rows;
        for (const ProgrammeHit& hit : channelNameHits(list, QString::fromUtf8(text), now, scheduleOf))
            rows << hit.entry;
        return rows;
    };
    // Rows: 0 收藏, 1 湖南卫视 (its copy), 2 卫视, 3 湖南卫视, 4 湖南衛視 备用, 5 CCTV-5+, 6 长沙新闻.
    QCOMPARE(rowsFound("hnws"), QList<int>({3, 3, 4, 4})); // now and next of each; the favourite's copy left out
    const auto hits = channelNameHits(list, QStringLiteral("hunan"), now, scheduleOf);
    QCOMPARE(hits.front().programme.title, QStringLiteral("现在"));
    QCOMPARE(hits[1].programme.title, QStringLiteral("以后"));
    QCOMPARE(rowsFound("cctv5"), QList<int>({5, 5}));
    QCOMPARE(rowsFound("zs"), QList<int>({6, 6})); // 长 read zhang
    QCOMPARE(rowsFound("新闻"), QList<int>({6, 6}));
    QCOMPARE(rowsFound("  "), QList<int>());
    QCOMPARE(channelNameHits(list, QStringLiteral("hnws"), now, scheduleOf, 1).size(), size_t(2));
    // With the guide's findings, each programme of an entry once.
    std::vector<ProgrammeHit> both = channelNameHits(list, QStringLiteral("hnws"), now, scheduleOf);
    both.push_back({3, (*schedule)[1]});
    both.push_back({3, (*schedule)[3]});
    QCOMPARE(withoutRepeats(both).size(), size_t(5));
}

void GuideGridTest::remindersAreKeptToldOnceAndDroppedWhenMissed()
{
    const ChannelKey hunan{QStringLiteral("湖南卫视"), QStringLiteral("http://h/hn.ts")};
    const ChannelKey other{QStringLiteral("二台"), QStringLiteral("http://h/2.ts")};
    const qint64 now = beijing(9, 19, 0);
    Reminders reminders;
    QVERIFY(reminders.toggle({hunan, beijing(9, 21, 0), QStringLiteral("电影")}));
    QVERIFY(reminders.toggle({other, beijing(9, 20, 0), QStringLiteral("新闻")}));
    QVERIFY(reminders.toggle({hunan, beijing(9, 22, 0), QStringLiteral("晚间")}));
    QVERIFY(!reminders.toggle({hunan, beijing(9, 22, 0), QStringLiteral("晚间")})); // cleared
    QVERIFY(reminders.has(hunan, beijing(9, 21, 0)));
    QVERIFY(!reminders.has(other, beijing(9, 21, 0)));
    QCOMPARE(reminders.nextDue(), beijing(9, 19, 59));

    // Kept in the settings file, and read back by the next run.
    UserSettings settings;
    settings.setReminders(reminders.kept());
    Reminders next;
    next.setKept(settings.reminders(), now);
    QCOMPARE(next.kept(), reminders.kept());

    // A minute ahead each is told, once.
    QVERIFY(next.takeDue(beijing(9, 19, 58)).empty());
    const std::vector<Reminder> due = next.takeDue(beijing(9, 19, 59));
    QCOMPARE(due.size(), size_t(1));
    QCOMPARE(due[0].title, QStringLiteral("新闻"));
    QCOMPARE(due[0].channel, other);
    QVERIFY(next.takeDue(beijing(9, 19, 59)).empty());
    QCOMPARE(next.nextDue(), beijing(9, 20, 59));

    // A run starting after its time: dropped, with a word in the log.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("新闻.*二台.*missed")));
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("电影.*湖南卫视.*missed")));
    Reminders late;
    late.setKept(settings.reminders(), beijing(9, 20, 59));
    QCOMPARE(late.kept().size(), size_t(0));
}

QTEST_GUILESS_MAIN(GuideGridTest)
#include "tst_guidegrid.moc"
