// Time-shift and recording without a window: the buffer's bounds in time and
// size kept while the stream comes (held or not), positions behind live
// across a trim, a recording's file name and folder, a programme's recording
// span with its padding, and what may be recorded beside the channel watched.

#include "core/Recording.h"
#include "engine/TimeShiftWindow.h"

#include <QDateTime>
#include <QTest>

class TimeShiftTest : public QObject {
    Q_OBJECT

private slots:
    void theBufferKeepsItsBoundsAndPositionsAcrossATrim();
    void recordingsAreNamedAndTimed();
};

void TimeShiftTest::theBufferKeepsItsBoundsAndPositionsAcrossATrim()
{
    // A minute or 1,000 bytes, whichever is less; 10 bytes a second come.
    TimeShiftWindow window({60 * 1000, 1000});
    for (int second = 0; second <= 30; ++second)
        window.arrived(10, second * 1000);
    QCOMPARE(window.oldestByte(), 0);
    QCOMPARE(window.newestByte(), 310);
    QCOMPARE(window.heldMs(), 30000);
    QCOMPARE(window.byteBehind(10000), 200);
    QCOMPARE(window.behindLiveMs(205), 10000);
    QCOMPARE(window.behindLiveMs(310), 0);
    QCOMPARE(window.byteBehind(99999), 0); // no further back than what is held

    // Held for two minutes: the stream keeps coming and the oldest goes by time.
    const std::int64_t held = window.byteBehind(10000);
    for (int second = 31; second <= 150; ++second)
        window.arrived(10, second * 1000);
    QCOMPARE(window.heldMs(), 60000);
    QCOMPARE(window.oldestByte(), 900);
    QCOMPARE(window.keptPosition(held), 900); // the held position was let go: it moves up to the oldest kept
    QCOMPARE(window.behindLiveMs(window.keptPosition(held)), 60000);
    QCOMPARE(window.keptPosition(1200), 1200);

    // Faster, the size bound comes first.
    for (int second = 151; second <= 160; ++second)
        window.arrived(200, second * 1000);
    QVERIFY(window.heldBytes() <= 1000);
    QCOMPARE(window.oldestByte(), window.newestByte() - 1000);
    QCOMPARE(window.behindLiveMs(window.oldestByte()), 4000);

    // Nothing comes: time alone lets it all go.
    window.trimAt(160 * 1000 + 60 * 1000 + 1);
    QCOMPARE(window.heldBytes(), 0);
    QCOMPARE(window.byteBehind(1000), window.newestByte());
    window.arrived(0, 300 * 1000);
    QCOMPARE(window.heldBytes(), 0);
}

void TimeShiftTest::recordingsAreNamedAndTimed()
{
    const QDateTime start(QDate(2026, 12, 9), QTime(19, 30, 5));
    QCOMPARE(recording::fileName(QStringLiteral("湖南卫视"), start), QStringLiteral("湖南卫视 2026-12-09 19.30.05.ts"));
    QCOMPARE(recording::fileName(QStringLiteral("../新闻: 直播/一?台*"), start),
             QStringLiteral("_新闻_ 直播_一_台_ 2026-12-09 19.30.05.ts"));
    QCOMPARE(recording::fileName(QStringLiteral("\t.\n"), start), QStringLiteral("_._ 2026-12-09 19.30.05.ts"));
    QCOMPARE(recording::fileName(QStringLiteral(" ... "), start), QStringLiteral("录制 2026-12-09 19.30.05.ts"));
    const QString longName = recording::fileName(QString(200, u'台'), start);
    QCOMPARE(longName.size(), 120 + 23);
    QVERIFY(recording::folder().endsWith(QStringLiteral("/Clipvane")));

    // A programme's span with its padding; one without an end lasts an hour.
    const recording::Span span = recording::spanOf({1000000, 1003600, {}, {}}, 2, 5);
    QCOMPARE(span.from, 1000000 - 120);
    QCOMPARE(span.to, 1003600 + 300);
    QCOMPARE(recording::spanOf({1000000, 0, {}, {}}, -1, 0).to, 1003600);

    // Beside the channel watched: from the one connection when it is the same; never from a one-connection server.
    using recording::Beside;
    const QString watched = QStringLiteral("http://a:8080/live/1.ts");
    QCOMPARE(recording::besideWatching(watched, watched, true), Beside::SameChannel);
    QCOMPARE(recording::besideWatching(QStringLiteral("http://a:8080/live/2.ts"), watched, true), Beside::OneConnection);
    QCOMPARE(recording::besideWatching(QStringLiteral("http://b/live/2.ts"), watched, false), Beside::Allowed);
    QCOMPARE(recording::besideWatching(QStringLiteral("http://b/live/2.ts"), {}, false), Beside::Allowed);
}

QTEST_GUILESS_MAIN(TimeShiftTest)
#include "tst_timeshift.moc"
