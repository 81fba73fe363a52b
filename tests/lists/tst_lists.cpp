// Lists by address without a window or a network: the address and its
// headers, what a fetch brings and what is refused, the copy kept, and a
// refresh that keeps the user's place.

#include "Gzipped.h"
#include "core/lists/ChannelNavigator.h"
#include "core/lists/ListLibrary.h"
#include "core/settings/UserSettings.h"
#include "sources/FetchedList.h"
#include "sources/ListLocation.h"
#include "sources/PlaySourceLoader.h"
#include "sources/PlaySourceText.h"
#include "platform/LogSecrets.h"
#include "ui/lists/ListTexts.h"

#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

// Answers nothing by itself: the test says what each fetch brought.
class ScriptedFetcher final : public ListFetcher {
public:
    void fetch(const ListFetchRequest& request, std::function<void(ListFetchOutcome)> done) override
    {
        requests.push_back(request);
        done_ = std::move(done);
    }
    void cancel() override { done_ = nullptr; }
    void answer(ListFetchOutcome outcome)
    {
        if (auto done = std::exchange(done_, nullptr))
            done(std::move(outcome));
    }
    std::vector<ListFetchRequest> requests;

private:
    std::function<void(ListFetchOutcome)> done_;
};

ListFetchOutcome fetched(const QByteArray& body, const QString& etag = {})
{
    ListFetchOutcome outcome;
    outcome.kind = ListFetchOutcome::Kind::Fetched;
    outcome.body = body;
    outcome.etag = etag;
    return outcome;
}

QStringList addressesOf(const PlaySourceFile& file)
{
    QStringList addresses;
    for (const PlaySource& entry : file.entries)
        addresses << entry.address;
    return addresses;
}

PlaySourceFile listOf(const QString& text)
{
    PlaySourceFile file = parsePlaySourceText(text);
    file.fillColumns();
    return file;
}

const QByteArray kList = "央视,#genre#\nCCTV-1,http://a/1.m3u8\nCCTV-2,http://a/2.m3u8\n";

} // namespace

class ListsTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void addressCarriesTheHeadersOfItsHost();
    void whatComesBackIsTakenOnlyWhenItReadsAsAList_data();
    void whatComesBackIsTakenOnlyWhenItReadsAsAList();
    void relativeAddressesResolveAgainstTheListsAddress();
    void keptCopyStaysThroughRefusedAndFailedFetches();
    void refreshKeepsSelectionFavouritesFilterAndHistoryOnTheirChannels();
    void anAccountIsReadThroughItsApiAndSaysWhereItStands();
    void listsAndTheirSettingsReadBackFromTheFile();

private:
    QTemporaryDir home_;
};

void ListsTest::initTestCase()
{
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(home_.filePath(QStringLiteral("config"))));
}

void ListsTest::addressCarriesTheHeadersOfItsHost()
{
    const ListLocation withHeaders = readListLocation(QStringLiteral(" http://h/tv.txt|User-Agent=okhttp/3.15&Referer=http://h/ "));
    QCOMPARE(withHeaders.address, QStringLiteral("http://h/tv.txt"));
    QCOMPARE(withHeaders.userAgent, QStringLiteral("okhttp/3.15"));
    QCOMPARE(withHeaders.referrer, QStringLiteral("http://h/"));
    QVERIFY(withHeaders.isRemote());
    // A "$" belongs to the address (a password), and a bar not followed by headers too.
    QCOMPARE(readListLocation(QStringLiteral("http://h/get.php?username=u&password=p$1")).address,
             QStringLiteral("http://h/get.php?username=u&password=p$1"));
    QCOMPARE(readListLocation(QStringLiteral("https://h/a|b")).address, QStringLiteral("https://h/a|b"));
    // Written back, what was read reads the same: a bar of the address's own, a bar or "&" in a header.
    for (const ListLocation& written : {ListLocation{QStringLiteral("http://h/x|a=b"), {}, {}},
                                        ListLocation{QStringLiteral("http://h/x|a=b"), QStringLiteral("ua"), {}},
                                        ListLocation{QStringLiteral("/srv/a|b=c.txt"), {}, {}},
                                        ListLocation{QStringLiteral("http://h/a $ b|c$"), {}, {}},
                                        ListLocation{QStringLiteral("http://h/x"), QStringLiteral("a|b&c"), QStringLiteral("http://r/?q=1")}}) {
        const ListLocation read = readListLocation(writeListLocation(written));
        QCOMPARE(read.address, written.address);
        QCOMPARE(readListLocation(writeListLocation(read)).userAgent, read.userAgent);
        QCOMPARE(read.referrer, written.referrer);
    }
    const ListLocation local = readListLocation(QStringLiteral("file:///tmp/my%20list.m3u"));
    QVERIFY(!local.isRemote());
    QCOMPARE(local.localPath(), QStringLiteral("/tmp/my list.m3u"));
    QCOMPARE(readListLocation(QStringLiteral("/tmp/a|b.txt")).localPath(), QStringLiteral("/tmp/a|b.txt"));
    QCOMPARE(ListLibrary::nameFor(QStringLiteral("http://h/lists/ipv6.m3u|User-Agent=x")), QStringLiteral("ipv6"));
    QCOMPARE(ListLibrary::nameFor(QStringLiteral("http://example.org/")), QStringLiteral("example.org"));
    QCOMPARE(ListLibrary::nameFor(QStringLiteral("http://tv.example:8080/get.php?username=ann&password=p&type=m3u_plus")),
             QStringLiteral("ann@tv.example"));
}

void ListsTest::whatComesBackIsTakenOnlyWhenItReadsAsAList_data()
{
    QTest::addColumn<QByteArray>("body");
    QTest::addColumn<ListProblem>("problem");
    QTest::addColumn<int>("entries");
    const QByteArray m3u = "#EXTM3U\n#EXTINF:-1 group-title=\"央视\",CCTV-1\nhttp://a/1.m3u8\n";
    QTest::newRow("text list") << kList << ListProblem::None << 3;
    QTest::newRow("m3u") << m3u << ListProblem::None << 2;
    QTest::newRow("gzip whatever its name") << testdata::gzipped(kList) << ListProblem::None << 3;
    QTest::newRow("html page") << QByteArray("\xEF\xBB\xBF \n<!DOCTYPE html><html><body>403</body></html>") << ListProblem::WebPage << 0;
    QTest::newRow("html fragment") << QByteArray("<head><title>x</title></head><html>") << ListProblem::WebPage << 0;
    QTest::newRow("empty") << QByteArray() << ListProblem::Empty << 0;
    QTest::newRow("blank") << QByteArray(" \r\n\t\n") << ListProblem::Empty << 0;
    QTest::newRow("binary") << QByteArray("\x00\x00\x00\x20" "ftypisom\x00\x00", 14) << ListProblem::Binary << 0;
    QTest::newRow("gzip cut off") << testdata::gzipped(kList.repeated(50)).chopped(20) << ListProblem::CutOff << 0;
    QTest::newRow("text without addresses") << QByteArray("hello\nworld\n") << ListProblem::NoEntries << 0;
    QTest::newRow("a stream's playlist") << QByteArray("#EXTM3U\n#EXT-X-TARGETDURATION:6\n#EXTINF:6,\nseg1.ts\n")
                                         << ListProblem::NoEntries << 0;
}

void ListsTest::whatComesBackIsTakenOnlyWhenItReadsAsAList()
{
    QFETCH(QByteArray, body);
    QFETCH(ListProblem, problem);
    QFETCH(int, entries);
    const FetchedList judged = judgeFetchedList(body, QStringLiteral("http://h/list"));
    QCOMPARE(judged.problem, problem);
    QCOMPARE(int(judged.file.entries.size()), entries);
    if (judged.taken())
        QVERIFY(!judged.bytes.startsWith("\x1f\x8b")); // what is kept is the list itself
}

void ListsTest::relativeAddressesResolveAgainstTheListsAddress()
{
    const QString address = QStringLiteral("http://h:8000/lists/tv.m3u");
    const FetchedList m3u = judgeFetchedList("#EXTM3U\n#EXTINF:-1,One\nch/1.m3u8\n#EXTINF:-1,Two\nhttp://b/2.ts\n", address);
    QCOMPARE(addressesOf(m3u.file), QStringList({QStringLiteral("http://h:8000/lists/ch/1.m3u8"), QStringLiteral("http://b/2.ts")}));
    const FetchedList text = judgeFetchedList("One,../1.ts\nTwo,http://b/2.ts\n", address);
    QCOMPARE(addressesOf(text.file), QStringList({QStringLiteral("http://h:8000/1.ts"), QStringLiteral("http://b/2.ts")}));

    // Inflating stops at the bound rather than filling memory.
    QByteArray big = testdata::gzipped(QByteArray(1 << 20, 'a'));
    QCOMPARE(inflateIfGzip(big, 4096), ListProblem::TooLarge);
}

void ListsTest::keptCopyStaysThroughRefusedAndFailedFetches()
{
    QTemporaryDir cache;
    PlaySourceLoader loader;
    auto library = std::make_unique<ListLibrary>(nullptr, loader, KeptLists(cache.path()));
    QSignalSpy wanted(library.get(), &ListLibrary::fetcherWanted);
    QSignalSpy loaded(&loader, &PlaySourceLoader::loaded);
    const QString written = QStringLiteral("http://h/list.txt|User-Agent=TestAgent");
    // Nothing kept yet: the list is fetched, once the module has given a fetcher.
    QCOMPARE(library->addAndOpen({}, written), std::uint64_t(0));
    QCOMPARE(wanted.count(), 1);
    auto owned = std::make_unique<ScriptedFetcher>();
    ScriptedFetcher& fetcher = *owned;
    library->setFetcher(std::move(owned));
    QCOMPARE(fetcher.requests.size(), size_t(1));
    QCOMPARE(fetcher.requests[0].address, QStringLiteral("http://h/list.txt"));
    QCOMPARE(fetcher.requests[0].userAgent, QStringLiteral("TestAgent"));
    QVERIFY(fetcher.requests[0].etag.isEmpty());

    // Taken: kept, shown (not in place: nothing of it was shown before).
    fetcher.answer(fetched(testdata::gzipped(kList), QStringLiteral("\"v1\"")));
    QTRY_COMPARE(loaded.count(), 1);
    auto shown = [&] {
        const auto generation = loaded.last().at(0).value<std::uint64_t>();
        const auto file = loaded.last().at(1).value<PlaySourceFile>();
        library->shown(generation, file);
        return std::make_pair(library->isInPlace(generation), file);
    };
    QCOMPARE(shown().second.entries.size(), size_t(3));
    QCOMPARE(library->status().kind, ListLibrary::Refresh::Kind::Updated);
    const auto copy = KeptLists(cache.path()).find(QStringLiteral("http://h/list.txt"));
    QVERIFY(copy);
    QCOMPARE(copy->etag, QStringLiteral("\"v1\""));
    QFile kept(copy->path);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), kList);
    kept.close();

    // Refreshed: asked conditionally; a web page is refused and the copy stays.
    library->refresh();
    QCOMPARE(fetcher.requests.back().etag, QStringLiteral("\"v1\""));
    fetcher.answer(fetched("<html><body>login</body></html>"));
    QTRY_COMPARE(loaded.count(), 2);
    QVERIFY(shown().second.keepsCurrentList);
    QCOMPARE(library->status().kind, ListLibrary::Refresh::Kind::Failed);
    QCOMPARE(library->status().problem, ListProblem::WebPage);
    QVERIFY(library->status().copyFrom.isValid());
    // A fetch that failed says why and leaves it too.
    library->refresh();
    ListFetchOutcome timedOut;
    timedOut.problem = ListProblem::Timeout;
    fetcher.answer(timedOut);
    QCOMPARE(library->status().problem, ListProblem::Timeout);
    QVERIFY(kept.open(QIODevice::ReadOnly));
    QCOMPARE(kept.readAll(), kList);
    kept.close();

    // A start without a network: the kept copy shows without waiting for a fetch.
    library = std::make_unique<ListLibrary>(nullptr, loader, KeptLists(cache.path()));
    QSignalSpy wantedAgain(library.get(), &ListLibrary::fetcherWanted);
    QVERIFY(library->addAndOpen({}, written) != 0);
    QTRY_COMPARE(loaded.count(), 3);
    QCOMPARE(loaded.last().at(1).value<PlaySourceFile>().entries.size(), size_t(3));
    QCOMPARE(wantedAgain.count(), 0); // fresh enough: not asked again
}

// The login, the categories and the streams asked one after the other, kept
// as M3U; an account that expired says so and keeps the copy shown.
void ListsTest::anAccountIsReadThroughItsApiAndSaysWhereItStands()
{
    QTemporaryDir cache;
    PlaySourceLoader loader;
    ListLibrary library(nullptr, loader, KeptLists(cache.path()));
    QSignalSpy loaded(&loader, &PlaySourceLoader::loaded);
    auto owned = std::make_unique<ScriptedFetcher>();
    ScriptedFetcher& fetcher = *owned;
    library.setFetcher(std::move(owned));
    const QString written = QStringLiteral("http://s:8080/get.php?username=u&password=secret1&type=m3u_plus&output=ts");
    QSignalSpy oneConnection(&library, &ListLibrary::oneConnectionAccount);
    library.addAndOpen({}, written);
    const QString api = QStringLiteral("http://s:8080/player_api.php?username=u&password=secret1");
    QCOMPARE(fetcher.requests.back().address, api);
    fetcher.answer(fetched(R"({"user_info":{"auth":1,"status":"Active","exp_date":"1803859200","max_connections":"1"},
                               "server_info":{"timezone":"Europe/Berlin"}})"));
    QCOMPARE(fetcher.requests.back().address, api + QStringLiteral("&action=get_live_categories"));
    QCOMPARE(oneConnection.count(), 1); // its server allows one connection from the start
    QCOMPARE(withSecretsHidden(QStringLiteral("opens http://s:8080/live/u/secret1/5.ts")),
             QStringLiteral("opens http://s:8080/live/u/***/5.ts"));
    QCOMPARE(oneConnection.first().first().toString(), QStringLiteral("http://s:8080"));
    fetcher.answer(fetched(R"([{"category_id":"1","category_name":"新闻"}])"));
    QCOMPARE(fetcher.requests.back().address, api + QStringLiteral("&action=get_live_streams"));
    fetcher.answer(fetched(R"([{"stream_id":5,"name":"新闻台","category_id":"1","tv_archive":1,"tv_archive_duration":2}])"));
    QTRY_COMPARE(loaded.count(), 1);
    const auto file = loaded.last().at(1).value<PlaySourceFile>();
    library.shown(loaded.last().at(0).value<std::uint64_t>(), file);
    QCOMPARE(addressesOf(file), (QStringList{QStringLiteral("#genre#"), QStringLiteral("http://s:8080/live/u/secret1/5.ts")}));
    QCOMPARE(file.listTags.catchupZone, QStringLiteral("Europe/Berlin"));
    QCOMPARE(library.status().kind, ListLibrary::Refresh::Kind::Updated);
    QCOMPARE(texts::accountStanding(library.status().account), QStringLiteral("账号有效，到期 2027-03-01，最多 1 个连接"));
    QVERIFY(KeptLists(cache.path()).find(readListLocation(written).address));

    // Expired: nothing more is asked, the copy stays shown, and the heading says why.
    library.refresh();
    const size_t asked = fetcher.requests.size();
    fetcher.answer(fetched(R"({"user_info":{"auth":1,"status":"Expired","exp_date":1767139200}})"));
    QCOMPARE(fetcher.requests.size(), asked);
    QCOMPARE(library.status().kind, ListLibrary::Refresh::Kind::Failed);
    QCOMPARE(library.status().problem, ListProblem::Account);
    QCOMPARE(texts::accountStanding(library.status().account), QStringLiteral("账号已过期（2025-12-31）"));
    QVERIFY(library.status().copyFrom.isValid());

    // The next start shows the kept copy and, before anything is asked, where the account stood last.
    {
        PlaySourceLoader itsLoader;
        ListLibrary again(nullptr, itsLoader, KeptLists(cache.path()));
        again.setFetcher(std::make_unique<ScriptedFetcher>());
        again.addAndOpen({}, written);
        QCOMPARE(texts::accountStanding(again.status().account), QStringLiteral("账号已过期（2025-12-31）"));
        QCOMPARE(again.status().account.state->standing, account::State::Standing::Expired);
    }
    // A note an earlier version kept in words shows those words.
    {
        const QString address = readListLocation(written).address;
        KeptLists(cache.path()).noteStanding(address, account::Noted{std::nullopt, QStringLiteral("账号有效")});
        PlaySourceLoader itsLoader;
        ListLibrary again(nullptr, itsLoader, KeptLists(cache.path()));
        again.setFetcher(std::make_unique<ScriptedFetcher>());
        again.addAndOpen({}, written);
        QCOMPARE(texts::accountStanding(again.status().account), QStringLiteral("账号有效"));
    }

    // A server of that address shape without the API: the address is fetched as the list it is.
    library.addAndOpen({}, QStringLiteral("http://plain/get.php?username=u&password=p"));
    ListFetchOutcome notFound;
    notFound.problem = ListProblem::HttpStatus;
    notFound.httpStatus = 404;
    fetcher.answer(notFound);
    QCOMPARE(fetcher.requests.back().address, QStringLiteral("http://plain/get.php?username=u&password=p"));
    fetcher.answer(fetched(kList));
    QTRY_COMPARE(loaded.count(), 2);
    QCOMPARE(loaded.last().at(1).value<PlaySourceFile>().entries.size(), size_t(3));
    QVERIFY(library.status().account.isEmpty());
}

void ListsTest::refreshKeepsSelectionFavouritesFilterAndHistoryOnTheirChannels()
{
    ChannelNavigator navigator;
    navigator.replaceList(listOf(QStringLiteral("A,http://a\nB,http://b\nC,http://c\nBB,http://bb\n")));
    navigator.setFavourites({{QStringLiteral("B"), QStringLiteral("http://b")}});
    const ChannelList& list = navigator.list();
    // Favourites' heading, B's copy, then A B C BB.
    const int b = list.find(QStringLiteral("B"), QStringLiteral("http://b"));
    navigator.chose(list.find(QStringLiteral("A"), QStringLiteral("http://a")));
    navigator.chose(b);
    navigator.setFilter(QStringLiteral("b"));

    // A goes, C moves to another address, X and D come; B moves down.
    const ListColumns before = list.columns();
    const auto moved = navigator.refreshList(
        listOf(QStringLiteral("X,http://x\n组,#genre#\nC,http://c2\nB,http://b\nD,http://d\nBB,http://bb\nBB,http://bb\n")));
    // Counted by channel: a heading is none, a channel listed twice counts twice.
    const ListChanges changes = countListChanges(before, list.columns());
    QCOMPARE(changes.added, 4);
    QCOMPARE(changes.removed, 2);
    const int bNow = list.find(QStringLiteral("B"), QStringLiteral("http://b"));
    QCOMPARE(moved(b), bNow);
    QCOMPARE(moved(1), 1); // the favourite's copy stays a favourite
    QCOMPARE(list.entryOf(1), list.entryOf(bNow));
    QCOMPARE(moved(0), -1); // a heading is no channel
    QCOMPARE(navigator.history().current(), bNow);
    QCOMPARE(navigator.history().previous(), -1); // A is gone
    // The filter holds over the new list.
    QCOMPARE(list.filter(), QStringLiteral("b"));
    QVERIFY(list.isShown(bNow));
    QVERIFY(!list.isShown(list.find(QStringLiteral("X"), QStringLiteral("http://x"))));
}

void ListsTest::listsAndTheirSettingsReadBackFromTheFile()
{
    UserSettings settings;
    // An address with commas in its query, as the INI format would split it.
    const std::vector<ListRef> lists{{QStringLiteral("账号"), QStringLiteral("http://h/get.php?a=1,2&type=m3u_plus|User-Agent=x")},
                                     {QStringLiteral("本机"), QStringLiteral("/tmp/a,b.txt")}};
    settings.setLists(lists);
    QCOMPARE(settings.lists(), lists);
    settings.setChosenList(lists[0].address);
    QCOMPARE(settings.chosenList(), lists[0].address);
    QVERIFY(!settings.chosenListWins());
    QCOMPARE(settings.listUserAgent(), QStringLiteral("okhttp/3.15"));

    QSettings file(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"));
    const std::pair<const char*, int> hours[]{{"12", 12}, {"0", 6}, {"abc", 6}, {"100000", 6}};
    for (const auto& [written, taken] : hours) {
        file.setValue(QStringLiteral("list-refresh-hours"), QString::fromLatin1(written));
        file.sync();
        QCOMPARE(settings.listRefreshHours(), taken);
    }
    file.setValue(QStringLiteral("list-start"), QStringLiteral(" Last"));
    file.setValue(QStringLiteral("list-user-agent"), QStringLiteral("Mozilla/5.0 (X11, Linux)"));
    file.sync();
    QVERIFY(settings.chosenListWins());
    QCOMPARE(settings.listUserAgent(), QStringLiteral("Mozilla/5.0 (X11, Linux)"));
}

QTEST_GUILESS_MAIN(ListsTest)
#include "tst_lists.moc"
