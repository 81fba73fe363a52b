// The programme guide without a window: XMLTV times, gzip read in pieces and
// cut when it grows too far, a guide that breaks off or blows up, matching
// list entries to guide channels, the guides of a list and its settings, and
// the guide kept in the database through a fetch that fails, and programme
// search kept with each import.

#include "core/lists/ChannelList.h"
#include "core/guide/GuideSources.h"
#include "core/guide/GuideText.h"
#include "guide/ChannelMatcher.h"
#include "guide/GuideImport.h"
#include "guide/GuideIndex.h"
#include "guide/GuideSearch.h"
#include "guide/GuideWorker.h"
#include "guide/GzipStream.h"
#include "guide/JsonGuide.h"
#include "guide/XmltvReader.h"
#include "guide/XmltvTime.h"

#include "Gzipped.h"
#include "HttpTestServer.h"
#include "LoopbackPorts.h"

#include <QDateTime>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTimeZone>
#include <QTemporaryDir>
#include <QStringEncoder>
#include <QTest>

#include <sqlite3.h>

#include <ctime>
#include <sys/socket.h>

class GuideTest : public QObject {
    Q_OBJECT

private slots:
    void timesAsXmltvWritesThem();
    void timesShownInTheDesktopsZone();
    void gzipInPiecesAndABombCut();
    void brokenGuidesKeepWhatCameFirst();
    void stopAfterMidnightWrittenOnTheStartsDayIsTheNextDay();
    void entriesFindTheirChannels();
    void guidesOfAListAndItsSettings();
    void aFailedFetchKeepsTheGuideKnown();
    void programmeSearchFollowsEachImport();
    void aDatabaseOfAnEarlierVersionIsReadAgainForSearch();
    void answersOfTheJsonGuideApi();
    void guideApiIsAskedOncePerChannelAndDay();
};

namespace {

using testdata::gzipped;

struct ReadGuide {
    std::vector<GuideChannel> channels;
    std::vector<GuideProgramme> programmes;
    QString fault;
    qint64 skipped = 0;
};

ReadGuide readXmltv(const QByteArray& document, qsizetype piece = 7)
{
    ReadGuide read;
    XmltvReader reader([&](GuideChannel&& c) { read.channels.push_back(std::move(c)); },
                       [&](GuideProgramme&& p) { read.programmes.push_back(std::move(p)); });
    for (qsizetype at = 0; at < document.size(); at += piece)
        if (!reader.feed(document.mid(at, piece)))
            break;
    reader.finish();
    read.fault = reader.fault();
    read.skipped = reader.programmesSkipped();
    return read;
}

const QByteArray kGuide = R"(<?xml version="1.0" encoding="UTF-8"?>
<tv>
  <channel id="cctv1.cn"><display-name lang="zh">CCTV1</display-name><display-name>CCTV-1 综合</display-name>
    <icon src="http://logo/cctv1.png"/></channel>
  <channel id="phoenix"><display-name>鳳凰衛視中文台</display-name></channel>
  <programme start="20261208190000 +0800" stop="20261208193000 +0800" channel="cctv1.cn">
    <title lang="zh">新闻联播</title><title lang="en">News</title><desc>每日新闻</desc></programme>
  <programme start="20261208193800 +0800" stop="20261208200000 +0800" channel="cctv1.cn"><title>焦点访谈</title></programme>
  <programme start="20261208200000 +0800" stop="20261207190000 +0800" channel="cctv1.cn"><title>倒流</title></programme>
  <programme start="not a time" channel="cctv1.cn"><title>无时</title></programme>
</tv>
)";

} // namespace

void GuideTest::timesAsXmltvWritesThem()
{
    using xmltv::parseTime;
    const qint64 sevenPmInBeijing = 1796727600; // 2026-12-08 11:00 UTC
    QCOMPARE(parseTime(u"20261208190000 +0800"), sevenPmInBeijing);
    QCOMPARE(parseTime(u"20261208110000"), sevenPmInBeijing);        // no offset: UTC
    QCOMPARE(parseTime(u"202612081100 Z"), sevenPmInBeijing);        // no seconds
    QCOMPARE(parseTime(u"20261208053000 -05:30"), sevenPmInBeijing); // an offset with a colon
    QCOMPARE(parseTime(u"20261208190000 +0000", -480), sevenPmInBeijing); // a guide's correction
    QCOMPARE(parseTime(u"20261208"), sevenPmInBeijing - 11 * 3600);
    for (const char16_t* bad : {u"", u"2026120", u"202612081", u"20261308190000", u"20261208250000", u"20261208190000 +2500",
                                u"20261208190000 CET", u"２０２６１２０８"})
        QVERIFY2(!parseTime(bad), qPrintable(QString::fromUtf16(bad)));
}

// The same programme, read from a guide in +0800, shown in the desktop's own
// time, summer time included.
void GuideTest::timesShownInTheDesktopsZone()
{
    const QByteArray zone = qgetenv("TZ");
    const auto restore = qScopeGuard([&] {
        qputenv("TZ", zone);
        tzset();
    });
    const Programme news{*xmltv::parseTime(u"20260708190000 +0800"), *xmltv::parseTime(u"20260708193000 +0800"),
                         QStringLiteral("新闻联播"), {}};
    const Programme next{*xmltv::parseTime(u"20260708193800 +0800"), 0, QStringLiteral("焦点访谈"), {}};
    const struct {
        const char* zone;
        const char* line;
    } cases[]{{"UTC", "11:00–11:30 新闻联播 / 11:38 焦点访谈"},
              {"Asia/Shanghai", "19:00–19:30 新闻联播 / 19:38 焦点访谈"},
              {"Europe/Berlin", "13:00–13:30 新闻联播 / 13:38 焦点访谈"},   // summer time, UTC+2
              {"America/New_York", "07:00–07:30 新闻联播 / 07:38 焦点访谈"}}; // UTC−4
    for (const auto& [name, line] : cases) {
        qputenv("TZ", name);
        tzset();
        QCOMPARE(nowNextLine({news, next}), QString::fromUtf8(line));
    }
    // In winter Berlin is UTC+1.
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const Programme winter{*xmltv::parseTime(u"20261208190000 +0800"), *xmltv::parseTime(u"20261208193000 +0800"),
                           QStringLiteral("新闻联播"), {}};
    QCOMPARE(programmeTimes(winter), QStringLiteral("12:00–12:30"));
}

void GuideTest::gzipInPiecesAndABombCut()
{
    QByteArray plain;
    for (int i = 0; i < 20000; ++i)
        plain += QByteArray::number(i) + ' ';
    const QByteArray packed = gzipped(plain) + gzipped("second member");
    QVERIFY(looksGzipped(packed) && !looksGzipped(plain));
    GzipStream stream(1 << 30);
    QByteArray out;
    for (qsizetype at = 0; at < packed.size(); at += 333)
        out += stream.feed(QByteArrayView(packed).sliced(at, std::min<qsizetype>(333, packed.size() - at)));
    stream.finish();
    QVERIFY2(!stream.failed(), qPrintable(stream.error()));
    QCOMPARE(out, plain + "second member");

    // A megabyte of zeros in a kilobyte: cut at the bound, not followed.
    const QByteArray bomb = gzipped(QByteArray(8 << 20, '\0'));
    GzipStream bounded(1 << 20);
    QCOMPARE(bounded.feed(bomb).size(), qsizetype(1 << 20));
    QVERIFY(bounded.failed());

    GzipStream truncated(1 << 30);
    truncated.feed(QByteArrayView(packed).first(packed.size() / 2));
    truncated.finish();
    QVERIFY(truncated.failed());
}

void GuideTest::stopAfterMidnightWrittenOnTheStartsDayIsTheNextDay()
{
    // As a published Chinese guide writes the last programme of a day.
    const ReadGuide read = readXmltv(R"(<tv>
  <programme start="20261208235800 +0800" stop="20261208001000 +0800" channel="a"><title>晚间新闻</title></programme>
  <programme start="202612092350 +0800" stop="202612090005 +0800" channel="a"><title>无秒</title></programme>
  <programme start="20261208235800 +0800" stop="20261208235900 +0900" channel="a"><title>时区不同</title></programme>
  <programme start="20261208235800 +0800" stop="20261207235900 +0800" channel="a"><title>早一天多</title></programme>
</tv>)");
    QCOMPARE(read.programmes.size(), size_t(2));
    QCOMPARE(read.programmes[0].stop - read.programmes[0].start, qint64(12 * 60));
    QCOMPARE(read.programmes[1].stop - read.programmes[1].start, qint64(15 * 60));
    // A stop at a later time of day in another zone, or more than a day before, is still wrong.
    QCOMPARE(read.skipped, 2);
}

void GuideTest::brokenGuidesKeepWhatCameFirst()
{
    const ReadGuide whole = readXmltv(kGuide);
    QVERIFY2(whole.fault.isEmpty(), qPrintable(whole.fault));
    QCOMPARE(whole.channels.size(), size_t(2));
    QCOMPARE(whole.channels[0].names, QStringList({"CCTV1", "CCTV-1 综合"}));
    QCOMPARE(whole.channels[0].icon, QStringLiteral("http://logo/cctv1.png"));
    QCOMPARE(whole.programmes.size(), size_t(2)); // one ends before it starts, one has no time
    QCOMPARE(whole.skipped, 2);
    QCOMPARE(whole.programmes[0].title, QStringLiteral("新闻联播")); // the first language's title
    QCOMPARE(whole.programmes[0].description, QStringLiteral("每日新闻"));

    // Broken off in the middle: what came before stays, and it says where it stopped.
    const ReadGuide cut = readXmltv(kGuide.left(kGuide.indexOf("<programme start=\"20261208193800")) + "<programme <<<");
    QCOMPARE(cut.programmes.size(), size_t(1));
    QVERIFY(cut.fault.contains(QStringLiteral("line")));
    QVERIFY(!readXmltv(kGuide.left(kGuide.size() / 2)).fault.isEmpty()); // truncated
    QVERIFY(!readXmltv("this is no guide at all").fault.isEmpty());
    QVERIFY(!readXmltv("<html><body/></html>").fault.isEmpty());

    // A guide in another encoding is read as it declares, its characters split across pieces.
    const QByteArray gbk = QStringEncoder("GBK")(
        QStringLiteral("<?xml version=\"1.0\" encoding=\"GBK\"?><tv><programme start=\"20261208190000\" "
                       "channel=\"x\"><title>新闻联播</title></programme></tv>"));
    const ReadGuide declared = readXmltv(gbk, 5);
    QVERIFY2(declared.fault.isEmpty(), qPrintable(declared.fault));
    QCOMPARE(declared.programmes.at(0).title, QStringLiteral("新闻联播"));

    // An entity bomb stops; an enormous title is cut.
    QByteArray bomb = "<?xml version=\"1.0\"?><!DOCTYPE tv [<!ENTITY a \"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa\">";
    for (char level = 'b'; level <= 'k'; ++level)
        bomb += QByteArray("<!ENTITY ") + level + " \"" + QByteArray("&") + char(level - 1) + ";" +
                QByteArray("&") + char(level - 1) + ";&" + char(level - 1) + ";&" + char(level - 1) + ";\">";
    bomb += "]><tv><programme start=\"20261208190000\" channel=\"x\"><title>&k;</title></programme></tv>";
    const ReadGuide exploded = readXmltv(bomb, 4096);
    QVERIFY(!exploded.fault.isEmpty());
    const QByteArray longTitle = "<tv><programme start=\"20261208190000\" channel=\"x\"><title>" +
                                 QByteArray(3 << 20, 'x') + "</title></programme></tv>";
    const ReadGuide cutTitle = readXmltv(longTitle, 65536);
    QCOMPARE(cutTitle.programmes.size(), size_t(1));
    QCOMPARE(cutTitle.programmes[0].title.size(), XmltvReader::kLongestText);
}

void GuideTest::entriesFindTheirChannels()
{
    ChineseVariants variants;
    QVERIFY2(variants.isUsable(), "OpenCC's tables did not open");
    ChannelMatcher matcher(&variants);
    matcher.addGuide(1, {{"cctv1.cn", {"CCTV1", "CCTV-1 综合"}, {}},
                         {"cctv5p", {"CCTV5+ 体育赛事"}, {}},
                         {"phoenix", {"鳳凰衛視中文台"}, {}},
                         {"hunan", {"湖南卫视"}, {}}});
    matcher.addGuide(2, {{"cctv1.cn", {"CCTV1"}, {}}, {"other", {"湖南卫视"}, {}}}); // the first guide wins
    const auto channelOf = [&](const QString& tvgId, const QString& tvgName, const QString& name) {
        const auto found = matcher.match({tvgId, tvgName, name});
        return found ? QString::number(found->guide) + u'/' + found->id : QString();
    };
    QCOMPARE(channelOf("phoenix", "", "随便"), QStringLiteral("1/phoenix"));      // tvg-id first
    QCOMPARE(channelOf("", "CCTV1", "乱名"), QStringLiteral("1/cctv1.cn"));        // then tvg-name
    QCOMPARE(channelOf("", "", "cctv-1"), QStringLiteral("1/cctv1.cn"));           // case, "-"
    QCOMPARE(channelOf("", "", "CCTV-1高清"), QStringLiteral("1/cctv1.cn"));       // a suffix
    QCOMPARE(channelOf("", "", "CCTV1 综合 HD"), QStringLiteral("1/cctv1.cn"));
    QCOMPARE(channelOf("", "", "ＣＣＴＶ５＋"), QStringLiteral("1/cctv5p"));        // full-width, the "+" kept
    QCOMPARE(channelOf("", "", "凤凰卫视中文台"), QStringLiteral("1/phoenix"));     // Simplified against Traditional
    QCOMPARE(channelOf("", "", "湖南卫视 4K"), QStringLiteral("1/hunan"));
    QCOMPARE(channelOf("", "", "CCTV5"), QString()); // CCTV5 is not CCTV5+
    QCOMPARE(channelOf("", "", "东方卫视"), QString());
}

void GuideTest::guidesOfAListAndItsSettings()
{
    ListTags list;
    QCOMPARE(guideSourcesFor(list, {" http://a/e.xml|offset=-480", "b.xml", "http://a/e.xml", ""}),
             (std::vector<GuideSource>{{"http://a/e.xml", -480}, {"b.xml", 0}}));
    list.guideAddresses = QStringList{"http://list/guide.gz"}; // the list's own come first and alone
    QCOMPARE(guideSourcesFor(list, {"b.xml"}), (std::vector<GuideSource>{{"http://list/guide.gz", 0}}));
    // A provider's own guide gives way to one the user named, and stands in for none.
    ListTags account;
    account.serviceGuide = QStringLiteral("http://s/xmltv.php");
    QCOMPARE(guideSourcesFor(account, {"b.xml"}), (std::vector<GuideSource>{{"b.xml", 0}}));
    QCOMPARE(guideSourcesFor(account, {" "}), (std::vector<GuideSource>{{"http://s/xmltv.php", 0}}));
    QCOMPARE(readGuideSource("http://x/g.xml|offset=9999").address, QStringLiteral("http://x/g.xml|offset=9999"));

    PlaySourceFile file;
    file.entries = {{"央视", "#genre#"}, {"CCTV-1", "http://a/1", {"cctv1.cn", "CCTV1", {}, {}, {}, {}, "10"}}};
    file.fillColumns();
    ChannelList channels;
    channels.replace(file);
    const GuideRequest request = guideRequestFor(channels, {"g.xml"});
    QCOMPARE(request.entries.size(), size_t(2));
    QVERIFY(request.entries[0].name.isEmpty()); // a heading has no guide
    QCOMPARE(request.entries[1].tvgId, QStringLiteral("cctv1.cn"));
    QCOMPARE(request.keepDays, 10); // catch-up days past the week
}

void GuideTest::aFailedFetchKeepsTheGuideKnown()
{
    QTemporaryDir cache;
    const QString address = QStringLiteral("http://127.0.0.1:%1/guide").arg(loopback::freePort(SOCK_STREAM));
    const qint64 now = 1796727600 + 600; // 19:10 in Beijing
    {
        // An earlier run kept the guide, long ago enough to fetch it again.
        QString error;
        auto store = GuideStore::open(cache.filePath(QStringLiteral("guide.sqlite")), &error);
        QVERIFY2(store, qPrintable(error));
        QFile file(cache.filePath(QStringLiteral("g.xml.gz")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(gzipped(kGuide));
        file.close();
        const GuideImportResult read = importGuideFile(*store, address, file.fileName(), {"\"v1\"", {}, now - 86400},
                                                       {now - 7 * 86400, 0, qint64(1) << 30, nullptr});
        QVERIFY(read.stored);
        QCOMPARE(read.programmes, 2);
    }
    std::vector<std::shared_ptr<const GuideIndex>> published;
    const std::atomic<bool> stopping{false};
    GuideWorker worker(cache.path(), [&](std::shared_ptr<const GuideIndex> index) { published.push_back(index); },
                       stopping, [now] { return now; });
    GuideRequest request;
    request.guides = {{address, 0}};
    request.entries = {{{}, {}, QStringLiteral("CCTV-1 高清"), {}}, {{}, {}, QStringLiteral("无名台"), {}}};
    QSignalSpy settled(&worker, &GuideWorker::settled);
    worker.load(request);
    QVERIFY(settled.isEmpty()); // fetching
    // What was kept shows at once, before the fetch has even failed.
    QCOMPARE(published.size(), size_t(1));
    const ProgrammeNowNext shown = published.back()->nowNext(0, now);
    QVERIFY(shown.now && shown.next);
    QCOMPARE(shown.now->title, QStringLiteral("新闻联播"));
    QCOMPARE(shown.next->title, QStringLiteral("焦点访谈"));
    QVERIFY(!published.back()->nowNext(1, now).now);
    // The server is not there: the guide known stays, nothing new is published.
    QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("fetching .* failed")));
    QVERIFY(settled.wait(10000));
    QCOMPARE(published.size(), size_t(1));
    QString error;
    auto store = GuideStore::open(cache.filePath(QStringLiteral("guide.sqlite")), &error);
    QCOMPARE(store->copyOf(address)->etag, QStringLiteral("\"v1\""));
}

namespace {

QStringList titlesFound(const GuideSearch& search, const QString& text, qint64 now, std::vector<int> guides = {1})
{
    QStringList titles;
    for (const GuideSearch::Hit& hit : search.find(text, now, guides, 50))
        titles << hit.programme.title;
    return titles;
}

} // namespace

void GuideTest::programmeSearchFollowsEachImport()
{
    QTemporaryDir cache;
    const QString database = cache.filePath(QStringLiteral("guide.sqlite"));
    QString error;
    auto store = GuideStore::open(database, &error);
    QVERIFY2(store, qPrintable(error));
    const qint64 at19 = 1796727600; // 19:00 in Beijing
    const auto programme = [](qint64 start, const char* title, const char* description) {
        return GuideProgramme{QStringLiteral("c"), start, start + 1800, QString::fromUtf8(title), QString::fromUtf8(description)};
    };
    const std::vector<GuideProgramme> first{
        programme(at19 - 3600, "新闻联播", "每日新闻 Daily News"), programme(at19 - 1800, "天气预报", "明日天气"),
        programme(at19, "焦点访谈", "新闻评论"), programme(at19 + 1800, "新闻联播", "每日新闻 Daily News"),
        programme(at19 + 3600, "电影：100% 真实", "一部电影")};
    const auto keep = [&](const QString& address, const std::vector<GuideProgramme>& programmes, bool abandon = false) {
        return store->replace(address, {}, 0, [&](GuideStore::Writer& writer) {
            for (const GuideProgramme& each : programmes)
                writer.programme(each);
            if (abandon)
                writer.abandon();
        });
    };
    QVERIFY(keep(QStringLiteral("g1"), first));
    const auto search = GuideSearch::open(database, &error);
    QVERIFY2(search, qPrintable(error));
    const qint64 now = at19 + 60;

    // A word of a description, through the index; on now first, then coming, then the past, latest first.
    QCOMPARE(titlesFound(*search, QStringLiteral("新闻"), now),
             QStringList({QStringLiteral("焦点访谈"), QStringLiteral("新闻联播"), QStringLiteral("新闻联播")}));
    const auto hits = search->find(QStringLiteral("每日新闻"), now, {1}, 50);
    QCOMPARE(hits.size(), size_t(2));
    QCOMPARE(hits[0].programme.start, at19 + 1800);
    QCOMPARE(hits[1].programme.start, at19 - 3600);
    QCOMPARE(hits[0].channel, QStringLiteral("c"));
    QCOMPARE(hits[0].programme.description, QStringLiteral("每日新闻 Daily News"));
    // Latin letters in any case; one or two characters looked for plainly; every word must be held.
    QCOMPARE(titlesFound(*search, QStringLiteral("daily NEWS"), now).size(), 2);
    QCOMPARE(titlesFound(*search, QStringLiteral("天"), now), QStringList{QStringLiteral("天气预报")});
    QCOMPARE(titlesFound(*search, QStringLiteral("新闻 评论"), now), QStringList{QStringLiteral("焦点访谈")});
    QCOMPARE(titlesFound(*search, QStringLiteral("新闻 天气"), now), QStringList());
    // What is typed is never the index's own syntax, nor LIKE's.
    QCOMPARE(titlesFound(*search, QStringLiteral("100%"), now), QStringList{QStringLiteral("电影：100% 真实")});
    QCOMPARE(titlesFound(*search, QStringLiteral("\"新闻 OR"), now), QStringList());
    QCOMPARE(titlesFound(*search, QStringLiteral("%"), now), QStringList{QStringLiteral("电影：100% 真实")});
    QCOMPARE(titlesFound(*search, QStringLiteral("_"), now), QStringList());
    QCOMPARE(titlesFound(*search, QStringLiteral("   "), now), QStringList());
    // Only the guides asked for.
    QCOMPARE(titlesFound(*search, QStringLiteral("焦点访谈"), now, {2}), QStringList());

    // An import that fails leaves the search as it was; one that is kept replaces it whole.
    std::vector<GuideProgramme> second{programme(at19, "今日说法", "法治节目")};
    QVERIFY(!keep(QStringLiteral("g1"), second, true));
    QCOMPARE(titlesFound(*search, QStringLiteral("今日说法"), now), QStringList());
    QCOMPARE(titlesFound(*search, QStringLiteral("焦点访谈"), now), QStringList{QStringLiteral("焦点访谈")});
    QVERIFY(keep(QStringLiteral("g1"), second));
    QCOMPARE(titlesFound(*search, QStringLiteral("今日说法"), now), QStringList{QStringLiteral("今日说法")});
    QCOMPARE(titlesFound(*search, QStringLiteral("焦点访谈"), now), QStringList());
    // Another guide's programmes are its own.
    QVERIFY(keep(QStringLiteral("g2"), first));
    QCOMPARE(titlesFound(*search, QStringLiteral("焦点访谈"), now, {1, 2}), QStringList{QStringLiteral("焦点访谈")});
    QCOMPARE(search->find(QStringLiteral("焦点访谈"), now, {1, 2}, 50).front().guide, 2);
}

void GuideTest::aDatabaseOfAnEarlierVersionIsReadAgainForSearch()
{
    QTemporaryDir cache;
    const QString database = cache.filePath(QStringLiteral("guide.sqlite"));
    {
        sqlite3* raw = nullptr;
        QCOMPARE(sqlite3_open(database.toUtf8().constData(), &raw), SQLITE_OK);
        const sqlite::Database db(raw);
        QCOMPARE(sqlite3_exec(raw,
                              "CREATE TABLE guides(row INTEGER PRIMARY KEY, address TEXT UNIQUE NOT NULL, etag TEXT, "
                              "modified TEXT, fetched INTEGER);"
                              "CREATE TABLE programmes(guide INTEGER NOT NULL, channel TEXT NOT NULL, start INTEGER NOT NULL,"
                              " stop INTEGER NOT NULL, title TEXT, description TEXT);"
                              "INSERT INTO guides VALUES(1, 'http://g', '\"v1\"', NULL, 1796727600);"
                              "INSERT INTO programmes VALUES(1, 'c', 1796727600, 1796729400, '新闻联播', '');",
                              nullptr, nullptr, nullptr),
                 SQLITE_OK);
    }
    QString error;
    auto store = GuideStore::open(database, &error);
    QVERIFY2(store, qPrintable(error));
    // The programmes kept still show; the guide is fetched in full again to be searched.
    const auto copy = store->copyOf(QStringLiteral("http://g"));
    QVERIFY(copy);
    QCOMPARE(copy->fetchedAt, 0);
    QVERIFY(copy->etag.isEmpty());
    int kept = 0;
    store->programmes(1, [&](GuideStore::Entry&&) { ++kept; });
    QCOMPARE(kept, 1);
}

void GuideTest::answersOfTheJsonGuideApi()
{
    const QDate day(2026, 12, 8);
    QCOMPARE(jsonguide::address(QStringLiteral("http://h/?ch={name}&date={date}"), QStringLiteral("CCTV-1 综合"), day),
             QStringLiteral("http://h/?ch=CCTV-1%20%E7%BB%BC%E5%90%88&date=2026-12-08"));
    QCOMPARE(jsonguide::address(QStringLiteral("http://h/{name}/{date:compact}"), QStringLiteral("A"), day),
             QStringLiteral("http://h/A/20261208"));
    const std::vector<Programme> read = jsonguide::programmes(
        R"({"channel_name": "CCTV-1", "date": "2026-12-08", "epg_data": [
              {"start": "19:00", "end": "19:30", "title": "新闻联播", "desc": ""},
              {"start": "23:30", "end": "00:15", "title": "晚间新闻", "desc": "d"},
              {"start": "25:00", "end": "26:00", "title": "坏时间"}, {"start": "20:00", "title": ""}]})",
        day, 480);
    QCOMPARE(read.size(), size_t(2));
    QCOMPARE(read[0].start, 1796727600); // 19:00 in Beijing
    QCOMPARE(read[0].stop, 1796727600 + 1800);
    QCOMPARE(read[1].stop - read[1].start, 45 * 60); // past midnight
    QCOMPARE(jsonguide::programmes(R"({"epg_data": [{"start": "19:00", "title": "x"}]})", day, 0)[0].start,
             1796727600 + 8 * 3600); // another zone

    QByteArray placeholder = R"({"epg_data": [)";
    for (int hour = 0; hour < 24; ++hour)
        placeholder += QStringLiteral(R"(%1{"start": "%2:00", "end": "%2:59", "title": "精彩节目"})")
                           .arg(hour ? "," : "")
                           .arg(hour, 2, 10, QLatin1Char('0'))
                           .toUtf8();
    QVERIFY(jsonguide::programmes(placeholder + "]}", day, 480).empty());
    QVERIFY(jsonguide::programmes("<html>not json</html>", day, 480).empty());
}

void GuideTest::guideApiIsAskedOncePerChannelAndDay()
{
    HttpTestServer server(R"({"channel_name": "CCTV-1", "epg_data": [
        {"start": "00:00", "end": "12:00", "title": "上午节目"}, {"start": "12:00", "end": "00:00", "title": "下午节目"}]})");
    QTemporaryDir cache;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    GuideRequest request;
    request.guides = {readGuideSource(QStringLiteral("http://127.0.0.1:%1/epg?ch={name}&date={date}|zone=+0800")
                                          .arg(server.port()))};
    QCOMPARE(request.guides[0].zoneMinutes, 480);
    request.entries = {{{}, {}, QStringLiteral("CCTV-1"), {}}};
    const auto lookAt = [&](std::vector<std::shared_ptr<const GuideIndex>>& published) {
        const std::atomic<bool> stopping{false};
        GuideWorker worker(cache.path(), [&](auto index) { published.push_back(index); }, stopping, [now] { return now; });
        worker.load(request);
        worker.want(0);
        worker.want(0); // asked once
        return QTest::qWaitFor([&] { return published.back()->nowNext(0, now).now.has_value(); }, 10000);
    };
    std::vector<std::shared_ptr<const GuideIndex>> first;
    QVERIFY(lookAt(first));
    const int beijingHour = QDateTime::fromSecsSinceEpoch(now, QTimeZone(8 * 3600)).time().hour();
    QCOMPARE(first.back()->nowNext(0, now).now->title, beijingHour < 12 ? QStringLiteral("上午节目") : QStringLiteral("下午节目"));
    QCOMPARE(server.requestsSeen(), 1);
    // The next start: the answer kept shows at once, nothing is asked again.
    std::vector<std::shared_ptr<const GuideIndex>> again;
    QVERIFY(lookAt(again));
    QCOMPARE(again.size(), size_t(1));
    QCOMPARE(server.requestsSeen(), 1);
}

QTEST_GUILESS_MAIN(GuideTest)
#include "tst_guide.moc"
