// Provider accounts read through their player API, on answers as services
// send them: numbers as strings, nulls, pages of HTML with status 200,
// categories with no channel, channels in none, repeated stream ids.

#include "core/guide/CatchupAddress.h"
#include "sources/ListWriter.h"
#include "sources/FetchedList.h"
#include "sources/ProviderAccount.h"
#include "ui/lists/ListTexts.h"

#include <QTest>

#include <ctime>

class AccountsTest : public QObject {
    Q_OBJECT
private slots:
    void accountAddressesAreRecognisedAndMade();
    void loginAnswersSayWhereTheAccountStands();
    void categoriesAndStreamsBecomeHeadingsAndEntries();
    void catchupIsAskedInTheServicesZone();
    void oddAnswersKeepACopyThatReadsBackTheSame();
};

void AccountsTest::accountAddressesAreRecognisedAndMade()
{
    const std::optional<account::Login> login = account::fromListAddress(
        QStringLiteral("http://tv.example:8080/get.php?username=ann&password=p%26ss&type=m3u_plus&output=ts"));
    QVERIFY(login);
    QCOMPARE(login->server, QStringLiteral("http://tv.example:8080"));
    QCOMPARE(login->user, QStringLiteral("ann"));
    QCOMPARE(login->password, QStringLiteral("p&ss"));
    // Not an account: another path, or no password.
    QVERIFY(!account::fromListAddress(QStringLiteral("http://tv.example/list.php?username=a&password=b")));
    QVERIFY(!account::fromListAddress(QStringLiteral("http://tv.example/get.php?username=a")));
    QVERIFY(!account::fromListAddress(QStringLiteral("ftp://tv.example/get.php?username=a&password=b")));
    // No host: it would be written back as "http://http:/get.php…".
    QVERIFY(!account::fromListAddress(QStringLiteral("http:0/get.php?username=u&password=p")));

    // What is asked of it keeps the password whole, its "&" encoded.
    QCOMPARE(account::apiAddress(*login, QStringLiteral("get_live_streams")).toString(QUrl::FullyEncoded),
             QStringLiteral("http://tv.example:8080/player_api.php?username=ann&password=p%26ss&action=get_live_streams"));
    QCOMPARE(account::streamAddress(*login, QStringLiteral("42"), false),
             QStringLiteral("http://tv.example:8080/live/ann/p%26ss/42.ts"));
    QCOMPARE(account::streamAddress(*login, QStringLiteral("42"), true),
             QStringLiteral("http://tv.example:8080/live/ann/p%26ss/42.m3u8"));
    // Entered as a server, a user and a password: the address services give, which reads back the same.
    const QString entered = account::listAddress({QStringLiteral("tv.example:8080/"), QStringLiteral("ann"),
                                                  QStringLiteral("p&ss")}, true);
    QCOMPARE(entered, QStringLiteral("http://tv.example:8080/get.php?username=ann&password=p%26ss&type=m3u_plus&output=m3u8"));
    QCOMPARE(account::fromListAddress(entered), login);
    QVERIFY(account::wantsHls(entered));
    // Shown without its password, the rest as it was.
    QCOMPARE(account::withoutPassword(entered, QStringLiteral("***")),
             QStringLiteral("http://tv.example:8080/get.php?username=ann&password=***&type=m3u_plus&output=m3u8"));
}

void AccountsTest::loginAnswersSayWhereTheAccountStands()
{
    QString why;
    // Numbers as strings, as most services send them.
    std::optional<account::State> state = account::readLogin(
        R"({"user_info":{"auth":1,"status":"Active","exp_date":"1803859200","max_connections":"1","active_cons":"0"},
            "server_info":{"timezone":"Europe/Berlin"}})",
        &why);
    QVERIFY2(state, qPrintable(why));
    QCOMPARE(state->standing, account::State::Standing::Active);
    QCOMPARE(state->timezone, QStringLiteral("Europe/Berlin"));
    QCOMPARE(texts::accountStanding({*state, {}}), QStringLiteral("账号有效，到期 2027-03-01，最多 1 个连接"));

    // Numbers as numbers, and null for an account that does not expire.
    state = account::readLogin(R"({"user_info":{"auth":1,"status":"Active","exp_date":null,"max_connections":2}})", &why);
    QVERIFY(state);
    QCOMPARE(texts::accountStanding({*state, {}}), QStringLiteral("账号有效，不过期，最多 2 个连接"));

    state = account::readLogin(R"({"user_info":{"auth":1,"status":"Expired","exp_date":1767139200}})", &why);
    QVERIFY(state);
    QCOMPARE(state->standing, account::State::Standing::Expired);
    QCOMPARE(texts::accountStanding({*state, {}}), QStringLiteral("账号已过期（2025-12-31）"));

    state = account::readLogin(R"({"user_info":{"auth":0}})", &why);
    QVERIFY(state);
    QCOMPARE(state->standing, account::State::Standing::Refused);
    QVERIFY(texts::accountStanding({*state, {}}).startsWith(QStringLiteral("账号被拒绝")));

    state = account::readLogin(R"({"user_info":{"auth":1,"status":"Active","max_connections":"1","active_cons":"2"}})",
                               &why);
    QVERIFY(state);
    QCOMPARE(state->standing, account::State::Standing::OverConnections);
    QCOMPARE(texts::accountStanding({*state, {}}), QStringLiteral("账号连接已满（2/1）"));

    // A page with status 200 is no answer of the API, and says so.
    QVERIFY(!account::readLogin("<html><body>Please log in</body></html>", &why));
    QVERIFY(why.contains(QStringLiteral("page")));
    QVERIFY(!account::readStreams("<!DOCTYPE html><html></html>", &why));
    QVERIFY(!account::readCategories(R"({"error":"wrong action"})", &why));
}

void AccountsTest::categoriesAndStreamsBecomeHeadingsAndEntries()
{
    QString why;
    const std::optional<std::vector<account::Category>> categories = account::readCategories(
        R"([{"category_id":"7","category_name":"新闻"},{"category_id":3,"category_name":"体育"},
            {"category_id":"9","category_name":"空的"},{"category_id":null,"category_name":"无号"}])",
        &why);
    QVERIFY2(categories, qPrintable(why));
    QCOMPARE(categories->size(), size_t(3)); // one without an id is no category
    const std::optional<std::vector<account::Stream>> streams = account::readStreams(
        R"([{"stream_id":"11","name":"体育一","category_id":"3","tv_archive":"1","tv_archive_duration":"3",
             "epg_channel_id":"sport1.cn","stream_icon":"http://i/1.png"},
            {"stream_id":12,"name":"新闻台","category_id":7,"tv_archive":0,"tv_archive_duration":null,
             "epg_channel_id":null,"stream_icon":null},
            {"stream_id":"11","name":"体育一（重复）","category_id":"3"},
            {"stream_id":"13","name":null,"category_id":"55"},
            {"stream_id":null,"name":"无号台"},
            {"stream_id":"14","name":"散台","category_id":null}])",
        &why);
    QVERIFY2(streams, qPrintable(why));
    QCOMPARE(streams->size(), size_t(5));

    const account::Login login{QStringLiteral("http://s:80"), QStringLiteral("u"), QStringLiteral("p")};
    const PlaySourceFile list = account::makeList(login, *categories, *streams, false, QStringLiteral("Europe/Berlin"));
    // The service's order of categories; the empty one left out; the others under "其他".
    QCOMPARE(list.names, (QStringList{QStringLiteral("新闻"), QStringLiteral("新闻台"), QStringLiteral("体育"),
                                      QStringLiteral("体育一"), QStringLiteral("其他"), QStringLiteral("频道 13"),
                                      QStringLiteral("散台")}));
    QCOMPARE(list.headingRows, (QList<int>{0, 2, 4}));
    QCOMPARE(list.addresses[3], QStringLiteral("http://s:80/live/u/p/11.ts"));
    const ChannelTags& sport = list.entries[3].tags;
    QCOMPARE(sport.tvgId, QStringLiteral("sport1.cn"));
    QCOMPARE(sport.tvgLogo, QStringLiteral("http://i/1.png"));
    QCOMPARE(sport.catchup, QStringLiteral("xc"));
    QCOMPARE(sport.catchupDays, QStringLiteral("3"));
    QVERIFY(list.entries[1].tags.catchup.isEmpty()); // no archive
    QCOMPARE(list.listTags.serviceGuide, QStringLiteral("http://s:80/xmltv.php?username=u&password=p"));
    QVERIFY(list.listTags.guideAddresses.isEmpty());

    // An account with no live channel gives an empty list, which a refresh refuses with a word;
    // a page in place of the streams is a page; a login that lets it play is needed first.
    QVERIFY(account::makeList(login, *categories, {}, false, {}).entries.empty());
    const QByteArray active = R"({"user_info":{"auth":1,"status":"Active"}})";
    QCOMPARE(account::judge(login, active, "[]", "[]", false).fetched.problem, ListProblem::NoEntries);
    QCOMPARE(account::judge(login, active, "[]", "<html>busy</html>", false).fetched.problem, ListProblem::WebPage);
    QCOMPARE(account::judge(login, R"({"user_info":{"auth":0}})", "[]", "[]", false).fetched.problem,
             ListProblem::Account);
    // Categories that do not read put every channel under "其他".
    const account::Judged taken = account::judge(login, active, "oops", R"([{"stream_id":1,"name":"一"}])", true);
    QVERIFY(taken.fetched.taken());
    QCOMPARE(taken.fetched.file.names, (QStringList{QStringLiteral("其他"), QStringLiteral("一")}));
    QCOMPARE(taken.fetched.file.addresses[1], QStringLiteral("http://s:80/live/u/p/1.m3u8"));
    // The copy kept for offline starts reads back with the service's zone and
    // guide, whatever the password holds.
    const account::Login odd{QStringLiteral("http://s:80"), QStringLiteral("u"), QStringLiteral("p,|\"1")};
    const account::Judged written = account::judge(odd, active, "[]", R"([{"stream_id":1,"name":"一"}])", false);
    const FetchedList kept = judgeFetchedList(written.fetched.bytes, QStringLiteral("http://s:80/get.php"));
    QCOMPARE(kept.file.listTags, written.fetched.file.listTags);
    QCOMPARE(kept.file.entries, written.fetched.file.entries);
    QVERIFY(account::wantsHls(QStringLiteral("http://s/get.php?username=u&password=p&output=m3u8")));
    QVERIFY(account::readStreams("[]", &why) && account::readStreams("{}", &why)->empty());
}

// /timeshift/U/P/MINUTES/YYYY-MM-DD:HH-MM/ID.ts with the start in the
// service's zone (summer time too), whatever the desktop's zone is.
void AccountsTest::catchupIsAskedInTheServicesZone()
{
    const account::Login login{QStringLiteral("http://s:80"), QStringLiteral("u"), QStringLiteral("p")};
    const std::vector<account::Category> categories{{QStringLiteral("1"), QStringLiteral("新闻")}};
    account::Stream news{QStringLiteral("42"), QStringLiteral("新闻台"), {}, {}, QStringLiteral("1"), 2};
    const PlaySourceFile list = account::makeList(login, categories, {news}, false, QStringLiteral("Europe/Berlin"));
    const PlaySource& entry = list.entries.at(1);
    const qint64 summer = QDateTime(QDate(2026, 7, 1), QTime(18, 0), Qt::UTC).toSecsSinceEpoch();
    const qint64 winter = QDateTime(QDate(2026, 1, 15), QTime(18, 0), Qt::UTC).toSecsSinceEpoch();
    const QByteArray desktop = qgetenv("TZ");
    for (const char* zone : {"UTC", "America/New_York"}) {
        qputenv("TZ", zone);
        tzset();
        // A zone set for every list does not move the service's own.
        const std::optional<CatchupRule> rule = catchupRuleFor(entry.address, entry.tags, list.listTags, {{}, 8 * 60});
        QVERIFY(rule);
        QCOMPARE(rule->days, 2);
        QCOMPARE(catchupAddress(*rule, summer, summer + 3600, summer + 7200),
                 QStringLiteral("http://s:80/timeshift/u/p/60/2026-07-01:20-00/42.ts"));
        QCOMPARE(catchupAddress(*rule, winter, winter + 1800, winter + 7200),
                 QStringLiteral("http://s:80/timeshift/u/p/30/2026-01-15:19-00/42.ts"));
    }
    qputenv("TZ", desktop);
    tzset();
    // Kept as M3U (for offline starts), the list reads back with the service's zone.
    const PlaySourceFile kept = readListBytes(writeM3uList(list.entries, list.listTags), QStringLiteral("http://s:80/get.php?username=u&password=p"));
    QCOMPARE(kept.listTags, list.listTags);
    QCOMPARE(kept.entries, list.entries);
    QCOMPARE(kept.entries.at(1).tags, entry.tags);
    // A zone the service names wrongly: the setting's, as for any list.
    ListTags wrong = list.listTags;
    wrong.catchupZone = QStringLiteral("Mars/Olympus");
    const std::optional<CatchupRule> fallback = catchupRuleFor(entry.address, entry.tags, wrong, {{}, 8 * 60});
    QVERIFY(fallback);
    QCOMPARE(catchupAddress(*fallback, winter, winter + 1800, winter),
             QStringLiteral("http://s:80/timeshift/u/p/30/2026-01-16:02-00/42.ts"));
}

// What services were seen to send: control characters in names, categories
// named alike, quotes, separators written as channels, numbers past 64 bits.
// The copy kept for offline starts reads back exactly as the list was shown.
void AccountsTest::oddAnswersKeepACopyThatReadsBackTheSame()
{
    QString why;
    const std::optional<account::State> huge = account::readLogin(R"({"user_info":{"auth":1,"exp_date":1e300,
        "max_connections":-1e30,"active_cons":9.3e18}})", &why);
    QVERIFY2(huge, qPrintable(why));
    QCOMPARE(huge->expires, 0);
    QCOMPARE(huge->maxConnections, 0);
    QCOMPARE(huge->standing, account::State::Standing::Active);

    const std::optional<std::vector<account::Category>> categories = account::readCategories(
        R"([{"category_id":"1","category_name":"体育"},{"category_id":"2","category_name":"Sport \"HD\""},
            {"category_id":"3","category_name":"体育"},{"category_id":"4","category_name":"其他"}])", &why);
    const std::optional<std::vector<account::Stream>> streams = account::readStreams(
        "[{\"stream_id\":1,\"name\":\"一\\u0000台\",\"category_id\":1,\"stream_icon\":\"http://i/\\u0000.png\"},"
        R"({"stream_id":2,"name":"二\r\n#EXTINF:-1,假台","category_id":2},
            {"stream_id":3,"name":"三台","category_id":3},
            {"stream_id":4,"name":"##### GENERAL #####","category_id":4},
            {"stream_id":5,"name":"四台","category_id":4},
            {"stream_id":6,"name":"散台"},
            {"stream_id":7,"name":"★★ 精选 ★★"},
            {"stream_id":8,"name":"[HD] 五台"}])", &why);
    QVERIFY(categories && streams);
    const account::Login login{QStringLiteral("http://s:80"), QStringLiteral("u"), QStringLiteral("p")};
    const PlaySourceFile list = account::makeList(login, *categories, *streams, false, QStringLiteral("Asia/Shanghai"));
    // Categories of one name are one heading; a separator heads the channels after it.
    QCOMPARE(list.names, (QStringList{QStringLiteral("体育"), QStringLiteral("一 台"), QStringLiteral("三台"),
                                      QStringLiteral("Sport 'HD'"), QStringLiteral("二  #EXTINF:-1,假台"),
                                      QStringLiteral("其他"), QStringLiteral("散台"), QStringLiteral("GENERAL"),
                                      QStringLiteral("四台"), QStringLiteral("精选"), QStringLiteral("[HD] 五台")}));
    QCOMPARE(list.headingRows, (QList<int>{0, 3, 5, 7, 9}));
    const PlaySourceFile kept = readListBytes(writeM3uList(list.entries, list.listTags), QStringLiteral("http://s:80/get.php"));
    QCOMPARE(kept.entries, list.entries);
    QCOMPARE(kept.listTags, list.listTags);
}

QTEST_GUILESS_MAIN(AccountsTest)
#include "tst_accounts.moc"
