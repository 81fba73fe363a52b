// Catch-up addresses without a window: each kind of rule, every placeholder,
// the Chinese lists' template in the service's zone whatever the desktop's,
// "?" and "&", the programme that follows, and what is given wrong.

#include "core/guide/CatchupAddress.h"

#include <QDateTime>
#include <QTest>
#include <QTimeZone>

#include <cstdlib>
#include <ctime>
#include <limits>

class CatchupTest : public QObject {
    Q_OBJECT

private slots:
    void kindsMakeTheirAddresses();
    void placeholdersAreFilled();
    void chineseTemplateIsInTheServiceZoneWhateverTheDesktop_data();
    void chineseTemplateIsInTheServiceZoneWhateverTheDesktop();
    void nextProgrammeAndProgrammesWithoutAnEnd();
    void badInputHasSoundDefaults();
};

namespace {

// 2026-12-07 19:00:00 +0800, to 19:30.
const qint64 kStart = QDateTime(QDate(2026, 12, 7), QTime(11, 0), Qt::UTC).toSecsSinceEpoch();
const qint64 kEnd = kStart + 1800;
const qint64 kNow = kStart + 7200;

CatchupRule ruleOf(const QString& address, const ChannelTags& tags, const ListTags& list = {},
                   const CatchupSettings& settings = {})
{
    QString why;
    const std::optional<CatchupRule> rule = catchupRuleFor(address, tags, list, settings, &why);
    if (!rule)
        qWarning() << "no rule:" << why;
    return rule.value_or(CatchupRule{});
}

QString addressOf(const QString& channel, const ChannelTags& tags, const ListTags& list = {})
{
    return catchupAddress(ruleOf(channel, tags, list), kStart, kEnd, kNow);
}

ChannelTags tagged(const QString& kind, const QString& source = {}, const QString& days = {})
{
    ChannelTags tags;
    tags.catchup = kind;
    tags.catchupSource = source;
    tags.catchupDays = days;
    return tags;
}

} // namespace

void CatchupTest::kindsMakeTheirAddresses()
{
    const QString utc = QString::number(kStart);
    QCOMPARE(addressOf("http://a/live/1.m3u8", tagged("default", "http://a/tv/1.m3u8?start={utc}&end={utcend}")),
             "http://a/tv/1.m3u8?start=" + utc + "&end=" + QString::number(kEnd));
    // append: "?" becomes "&" after an address with a query already.
    QCOMPARE(addressOf("http://a/1.m3u8", tagged("append", "?begin={utc}")), "http://a/1.m3u8?begin=" + utc);
    QCOMPARE(addressOf("http://a/1.m3u8?token=x", tagged("append", "?begin={utc}")),
             "http://a/1.m3u8?token=x&begin=" + utc);
    QCOMPARE(addressOf("http://a/1.ts?k=v", tagged("shift")),
             "http://a/1.ts?k=v&utc=" + utc + "&lutc=" + QString::number(kNow));
    QCOMPARE(addressOf("http://h:8888/325/index.m3u8?token=s", tagged("flussonic")),
             "http://h:8888/325/timeshift_rel-7200.m3u8?token=s");
    QCOMPARE(addressOf("http://h/325/mono.m3u8", tagged("fs")), "http://h/325/mono-timeshift_rel-7200.m3u8");
    QCOMPARE(addressOf("http://h/325/mpegts", tagged("flussonic")), "http://h/325/timeshift_abs-" + utc + ".ts");
    QCOMPARE(addressOf("http://h:80/live/user/pass/77.ts", tagged("xc")),
             "http://h:80/timeshift/user/pass/30/2026-12-07:11-00/77.ts");
    // The list's header gives the default; an entry's own attribute wins.
    ListTags list;
    list.catchup = "append";
    list.catchupSource = "?a={utc}";
    QCOMPARE(addressOf("http://a/1", {}, list), "http://a/1?a=" + utc);
    QCOMPARE(addressOf("http://a/1", tagged({}, "?b={utc}"), list), "http://a/1?b=" + utc);
    // A plain text list: the setting's template.
    const CatchupRule fromSetting = ruleOf("http://a/1", {}, {}, {"?playseek=${(b)yyyyMMddHHmmss}", {}});
    QCOMPARE(catchupAddress(fromSetting, kStart, kEnd, kNow), "http://a/1?playseek=20261207190000");
}

void CatchupTest::placeholdersAreFilled()
{
    CatchupRule rule;
    rule.address = "x/{utc}/{utcend}/{lutc}/{duration}/{duration:60}/{offset:60}/{Y}{m}{d}{H}{M}{S}/{utc:Y-m-d H:M:S}/"
                   "${start}/${end}/${timestamp}";
    QCOMPARE(catchupAddress(rule, kStart, kEnd, kNow),
             QString("x/%1/%2/%3/1800/30/120/20261207110000/2026-12-07 11:00:00/%1/%2/%3")
                 .arg(kStart).arg(kEnd).arg(kNow));
    // A zone given by a setting counts for every date; "|UTC" keeps UTC.
    rule.zoneMinutes = -300;
    rule.zoneGiven = true;
    rule.address = "{H}{M}|${(b)HHmm}|${(e)HHmm|UTC}";
    QCOMPARE(catchupAddress(rule, kStart, kEnd, kNow), "0600|0600|1130");
}

void CatchupTest::chineseTemplateIsInTheServiceZoneWhateverTheDesktop_data()
{
    QTest::addColumn<QByteArray>("zone");
    QTest::newRow("desktop in UTC") << QByteArray("UTC");
    QTest::newRow("desktop with daylight saving") << QByteArray("America/New_York");
    QTest::newRow("desktop in China") << QByteArray("Asia/Shanghai");
}

void CatchupTest::chineseTemplateIsInTheServiceZoneWhateverTheDesktop()
{
    QFETCH(QByteArray, zone);
    const QByteArray before = qgetenv("TZ");
    qputenv("TZ", zone);
    tzset();
    const QString made = addressOf("http://iptv/PLTV/88/224/3221225804/index.m3u8?fmt=ts",
                                   tagged("append", "?playseek=${(b)yyyyMMddHHmmss}-${(e)yyyyMMddHHmmss}"));
    // A programme in summer, when New York keeps daylight saving time.
    const qint64 summer = QDateTime(QDate(2026, 7, 1), QTime(12, 0), Qt::UTC).toSecsSinceEpoch();
    const QString summerMade = catchupAddress(ruleOf("http://a/1", tagged("append", "?s=${(b)yyyyMMddHHmm}")), summer,
                                              summer + 60, summer + 600);
    qputenv("TZ", before);
    tzset();
    QCOMPARE(made, "http://iptv/PLTV/88/224/3221225804/index.m3u8?fmt=ts&playseek=20261207190000-20261207193000");
    QCOMPARE(summerMade, "http://a/1?s=202607012000");
}

void CatchupTest::nextProgrammeAndProgrammesWithoutAnEnd()
{
    const std::vector<Programme> schedule{{kStart, kEnd, "新闻联播", {}},
                                          {kEnd, 0, "焦点访谈", {}},
                                          {kEnd + 2400, kEnd + 4200, "电视剧", {}},
                                          {kEnd + 4200, 0, "晚间新闻", {}}};
    const std::optional<Programme> next = programmeAfter(schedule[0], schedule);
    QVERIFY(next);
    QCOMPARE(next->title, QStringLiteral("焦点访谈"));
    QCOMPARE(withEnd(*next, schedule).stop, kEnd + 2400); // to the next one's start
    QCOMPARE(withEnd(schedule[3], schedule).stop, kEnd + 4200 + 3600); // the last: an hour
    QVERIFY(!programmeAfter(schedule[3], schedule));
    const CatchupRule rule = ruleOf("http://a/1", tagged("append", "?b=${(b)HHmm}-${(e)HHmm}", "3"));
    QCOMPARE(catchupAddress(rule, next->start, withEnd(*next, schedule).stop, kNow), "http://a/1?b=1930-2010");
    // Started and within the days: watchable; ahead or too old: not.
    QVERIFY(isWatchableBack(schedule[0], rule, kNow));
    QVERIFY(!isWatchableBack({kNow + 60, kNow + 600, {}, {}}, rule, kNow));
    QVERIFY(!isWatchableBack({kNow - 4 * 86400, kNow - 4 * 86400 + 60, {}, {}}, rule, kNow));
}

void CatchupTest::badInputHasSoundDefaults()
{
    // An unknown placeholder stays as written and is said.
    CatchupRule rule;
    rule.address = "http://a/?x={nonsense}&d={duration:0}&t={utc}";
    QStringList unknown;
    QCOMPARE(catchupAddress(rule, kStart, kEnd, kNow, &unknown),
             "http://a/?x={nonsense}&d={duration:0}&t=" + QString::number(kStart));
    QCOMPARE(unknown, QStringList({"{nonsense}", "{duration:0}"}));
    // Days of 0 or nonsense: a week.
    QCOMPARE(ruleOf("http://a/1", tagged("shift", {}, "0")).days, 7);
    QCOMPARE(ruleOf("http://a/1", tagged("shift", {}, "many")).days, 7);
    // What cannot be used gives no catch-up, and says why.
    QString why;
    QVERIFY(!catchupRuleFor("http://a/1", tagged("append"), {}, {}, &why));
    QVERIFY(why.contains("catchup-source"));
    QVERIFY(!catchupRuleFor("http://a/1", tagged("teleport", "?x"), {}, {}, &why));
    QVERIFY(!catchupRuleFor("rtsp://a/1", tagged("xc"), {}, {}, &why));
    QVERIFY(!catchupRuleFor("http://a/1", {}, {}, {}, &why)); // nothing says it has any
    QVERIFY(!catchupRuleFor("http://a/1", tagged("vod"), {}, {}, &why));

    // Found by fuzzing: times at the ends of 64 bits and a zone past an int's
    // minutes overflowed; the length is the largest there is, the zone 14 hours.
    rule.address = "?d={duration}&o={offset}&h={H}";
    constexpr qint64 kEarliest = std::numeric_limits<qint64>::min(), kLatest = std::numeric_limits<qint64>::max();
    QCOMPARE(catchupAddress(rule, kEarliest, kLatest, kEarliest).left(23), QStringLiteral("?d=9223372036854775807&"));
    QVERIFY(!isWatchableBack({kEarliest, kLatest, "t", {}}, rule, kLatest));
    rule.zoneMinutes = 103916369;
    rule.zoneGiven = true;
    QCOMPARE(catchupAddress(rule, kStart, kEnd, kNow).right(2), QStringLiteral("01")); // 11:00 UTC, 14 hours on
}

QTEST_GUILESS_MAIN(CatchupTest)
#include "tst_catchup.moc"
