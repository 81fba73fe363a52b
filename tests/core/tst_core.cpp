// The application core's rules without a window: neighbours of a channel and
// channel numbers in a list with group headings; the history for Backspace
// and Space; what is opened ahead after a choice; the filter; the volume's
// steps and mute; favourites ahead of the list and the address tried first.

#include "core/playback/AlternateOrder.h"
#include "core/playback/PictureChoices.h"
#include "core/playback/ChannelHistory.h"
#include "core/lists/ChannelNavigator.h"
#include "core/lists/ChannelOrder.h"
#include "core/lists/PinyinName.h"
#include "core/playback/VolumeState.h"
#include "core/schedule/DueTimer.h"
#include "ManualTime.h"

#include <QSignalSpy>
#include <QTest>

#include <algorithm>
#include <functional>
#include <set>
#include <vector>

class CoreTest : public QObject {
    Q_OBJECT

private slots:
    void neighboursSkipHeadingsAndGoRound();
    void channelNumbersCountChannelsOnly();
    void historyGoesBackAndForth();
    void channelChangesPreopenTheWayTheyGo();
    void filterShowsMatchesUnderTheirHeadings();
    void filterFindsChineseNamesByPinyin();
    void volumeStepsStopPastTheTrack();
    void muteKeepsWhatThereWasAndShowsWhatThePlayerReports();
    void favouritesComeFirstAndFollowTheirEntries();
    void addressThatPlayedGoesFirst();
    void pictureChoicesAreKeptPerChannel();
    void plansWakeAtTheirTimeOnlyOnce();
};

namespace {

// Rows 0 and 3 are headings: "央视", A, B, "卫视", C.
const std::set<int> kHeadings{0, 3};
const channelorder::IsHeading kIsHeading = [](int row) { return kHeadings.count(row) > 0; };
constexpr int kRows = 5;

} // namespace

void CoreTest::neighboursSkipHeadingsAndGoRound()
{
    using channelorder::nextChannel;
    QCOMPARE(nextChannel(kRows, kIsHeading, 2, +1, true), 4);  // over a heading
    QCOMPARE(nextChannel(kRows, kIsHeading, 4, +1, true), 1);  // round the end and over the first heading
    QCOMPARE(nextChannel(kRows, kIsHeading, 1, -1, true), 4);  // round the start
    QCOMPARE(nextChannel(kRows, kIsHeading, 4, +1, false), -1); // the selection stops at the end
    QCOMPARE(nextChannel(kRows, kIsHeading, -1, +1, false), 1); // from before the start
    QCOMPARE(nextChannel(kRows, kIsHeading, kRows, -1, false), 4);
    // A list of one channel is its own neighbour; headings only or nothing: none.
    QCOMPARE(nextChannel(1, [](int) { return false; }, 0, +1, true), 0);
    QCOMPARE(nextChannel(3, [](int) { return true; }, 0, +1, true), -1);
    QCOMPARE(nextChannel(0, kIsHeading, -1, +1, true), -1);
}

void CoreTest::channelNumbersCountChannelsOnly()
{
    using channelorder::rowOfNumber;
    QCOMPARE(rowOfNumber(kRows, kIsHeading, 1), 1);
    QCOMPARE(rowOfNumber(kRows, kIsHeading, 3), 4);
    QCOMPARE(rowOfNumber(kRows, kIsHeading, 4), -1);
    QCOMPARE(rowOfNumber(kRows, kIsHeading, 0), -1);
}

void CoreTest::historyGoesBackAndForth()
{
    ChannelHistory history;
    QCOMPARE(history.current(), -1);
    history.chose(3);
    history.chose(5);
    QCOMPARE(history.previous(), 3);
    history.chose(5); // the same again changes nothing
    QCOMPARE(history.previous(), 3);
    history.chose(history.previous()); // Backspace, then again: back
    QCOMPARE(history.current(), 3);
    QCOMPARE(history.previous(), 5);
    history.forget();
    QCOMPARE(history.current(), -1);
    QCOMPARE(history.previous(), -1);
}

namespace {

// "央视" A B "卫视" C cctv: each entry's name, its address written after it.
PlaySourceFile groupedList()
{
    PlaySourceFile file;
    for (const char* name : {"央视", "A", "B", "卫视", "C", "cctv"}) {
        const QString text = QString::fromUtf8(name);
        const bool heading = text == QStringLiteral("央视") || text == QStringLiteral("卫视");
        file.entries.emplace_back(text, heading ? QStringLiteral("#genre#") : "http://h/" + text,
                                  ChannelTags{text, {}, {}, {}, {}, {}, {}});
    }
    file.fillColumns();
    return file;
}

} // namespace

void CoreTest::channelChangesPreopenTheWayTheyGo()
{
    ChannelNavigator channels;
    channels.replaceList(groupedList());
    QCOMPARE(channels.list().tags(4).tvgId, QStringLiteral("C"));
    QCOMPARE(channels.list().find(QStringLiteral("B"), QStringLiteral("http://h/B")), 2);

    // Nothing played: a channel-up starts from the selection; the choice then opens ahead upwards.
    const int up = channels.neighbourToPlay(4, -1);
    QCOMPARE(up, 2);
    QCOMPARE(channels.chose(up), 1);
    // Every other choice goes on downwards, round the list from what plays.
    QCOMPARE(channels.chose(5), 1);
    QCOMPARE(channels.neighbourToPlay(-1, +1), 1);
    QCOMPARE(channels.chose(1), 2);
    QCOMPARE(channels.previousToPlay(), 5);
    QCOMPARE(channels.lastPlayed(), 1);
    // The selection resting elsewhere is opened ahead; on what plays, or a heading, not.
    QCOMPARE(channels.restingToPreopen(4), 4);
    QCOMPARE(channels.restingToPreopen(1), -1);
    QCOMPARE(channels.restingToPreopen(3), -1);
    // The arrows stop at the ends.
    QCOMPARE(channels.selectionStep(5, +1), -1);
    QCOMPARE(channels.selectionStep(-1, -1), 5);

    channels.setPreopen(PreopenMode::Next);
    QCOMPARE(channels.restingToPreopen(4), -1);
    channels.setPreopen(PreopenMode::Off);
    QCOMPARE(channels.chose(2), -1);
    QCOMPARE(channels.previousToPlay(), 1); // the history still counts

    // A new list forgets the old one's indices.
    channels.replaceList(groupedList());
    QCOMPARE(channels.previousToPlay(), -1);
    QCOMPARE(channels.lastPlayed(), -1);
}

void CoreTest::filterFindsChineseNamesByPinyin()
{
    const struct {
        const char* name;
        const char* typed;
        bool found;
    } cases[]{
        {"湖南卫视", "hnws", true},        {"湖南卫视", "hunan", true},      {"湖南卫视", "hunanweishi", true},
        {"湖南卫视", "HunanWS", true},     {"湖南卫视", "nanwei", true},     {"湖南卫视", "hunanw", true},
        {"湖南卫视", "hbws", false},       {"湖南卫视", "hunana", false},    {"长沙新闻", "cs", true},
        {"长沙新闻", "zs", true},          {"长沙新闻", "zhangsha", true},   {"厦门卫视", "xm", true},
        {"厦门卫视", "shamen", true},      {"CCTV-5+ 体育", "cctv5", true}, {"CCTV-5+ 体育", "cctv5ty", true},
        {"CCTV-5+ 体育", "cctv6", false},  {"湖南衛視", "hnws", true},      {"绿色频道", "lvse", true},
        {"ＣＣＴＶ１", "cctv1", true},     {"湖南卫视", "湖南", false},      {"湖南卫视", "h-n", false},
    };
    for (const auto& one : cases) {
        const QString typed = QString::fromUtf8(one.typed);
        const std::optional<QByteArray> typing = pinyinTyping(typed);
        const bool found = typing && PinyinName(QString::fromUtf8(one.name)).matches(*typing);
        QVERIFY2(found == one.found, qPrintable(QStringLiteral("%1 / %2").arg(QString::fromUtf8(one.name), typed)));
    }
    // In the list: the heading of a match stays, names found by their characters still are.
    PlaySourceFile file;
    for (const char* name : {"卫视", "湖南卫视", "浙江卫视", "CCTV-1"})
        file.entries.emplace_back(QString::fromUtf8(name), QStringLiteral("http://h/x"));
    file.entries[0].address = QStringLiteral("#genre#");
    file.fillColumns();
    ChannelList list;
    list.replace(file);
    list.setFilter(QStringLiteral("hnws"));
    QCOMPARE(list.shown(), (std::vector<int>{0, 1}));
    list.setFilter(QStringLiteral("zj"));
    QCOMPARE(list.shown(), (std::vector<int>{0, 2}));
    list.setFilter(QStringLiteral("浙江"));
    QCOMPARE(list.shown(), (std::vector<int>{0, 2}));
}

void CoreTest::filterShowsMatchesUnderTheirHeadings()
{
    ChannelList list;
    list.replace(groupedList());
    list.setFilter(QStringLiteral("CC")); // letter case ignored
    QCOMPARE(list.shown(), (std::vector<int>{3, 5}));
    QCOMPARE(list.firstShownChannel(), 5);
    QVERIFY(!list.isShown(1));
    list.setFilter(QStringLiteral("央视")); // a heading shows its whole group
    QCOMPARE(list.shown(), (std::vector<int>{0, 1, 2}));
    list.setFilter(QStringLiteral("无此节目"));
    QVERIFY(list.shown().empty());
    QCOMPARE(list.firstShownChannel(), -1);
    list.setFilter({});
    QVERIFY(list.isShown(1));
    QCOMPARE(list.firstShownChannel(), 1);
    // A new list keeps the filter the user typed.
    list.setFilter(QStringLiteral("b"));
    list.replace(groupedList());
    QCOMPARE(list.shown(), (std::vector<int>{0, 2}));
}

namespace {

using Look = VolumeState::Look;

// A player that gives at most `most`, and records what it is asked for.
struct ClippingPlayer {
    int most = 1000;
    std::vector<int> asked;
    int operator()(int level)
    {
        asked.push_back(level);
        return std::min(level, most);
    }
};

} // namespace

void CoreTest::volumeStepsStopPastTheTrack()
{
    ClippingPlayer player;
    VolumeState volume(Look{150, 24, false}, std::ref(player));
    for (int step = 1; step <= 8; ++step)
        volume.stepUp();
    QCOMPARE(volume.look(), (Look{550, 88, false}));
    volume.stepUp(); // past the track: refused, nothing asked
    QCOMPARE(volume.look(), (Look{550, 88, true}));
    QCOMPARE(player.asked.size(), size_t(8));
    volume.stepDown();
    QCOMPARE(volume.look(), (Look{500, 80, false}));
    for (int step = 0; step < 12; ++step)
        volume.stepDown();
    QCOMPARE(volume.look(), (Look{0, 0, false})); // never below 0
    QCOMPARE(player.asked.back(), 0);
}

void CoreTest::muteKeepsWhatThereWasAndShowsWhatThePlayerReports()
{
    ClippingPlayer player{200, {}};
    VolumeState volume(Look{150, 24, false}, std::ref(player));
    volume.stepUp();
    volume.stepUp();
    QCOMPARE(volume.look().number, 200); // what the player gave
    volume.stepUp();
    QCOMPARE(player.asked.back(), 250); // from the number shown
    volume.toggleMute();
    QCOMPARE(volume.look(), (Look{0, 0, false}));
    QCOMPARE(player.asked.back(), 0);
    volume.toggleMute();
    QCOMPARE(volume.look(), (Look{200, 48, false}));
    QCOMPARE(player.asked.back(), 200);
    // A step while muted brings the level back and goes from it.
    volume.toggleMute();
    volume.stepDown();
    QCOMPARE(volume.look(), (Look{150, 40, false}));
}

void CoreTest::plansWakeAtTheirTimeOnlyOnce()
{
    using std::chrono::seconds;
    ManualTime time;
    qint64 now = 1000; // the wall clock, which the user may set
    DueTimer due([&now] { return now; }, time);
    QSignalSpy woke(&due, &DueTimer::due);
    const auto pass = [&](int secondsOn) {
        now += secondsOn;
        time.advance(seconds(secondsOn));
    };
    // A moment already past (the clock was set forward meanwhile) is due at once, once.
    due.wakeAt(now - 5);
    time.advance(seconds(0));
    QCOMPARE(woke.size(), 1);
    pass(120);
    QCOMPARE(woke.size(), 1);
    // Two hours ahead: in steps of a minute, due on the second and not before.
    due.wakeAt(now + 7200);
    pass(7199);
    QCOMPARE(woke.size(), 1);
    pass(1);
    QCOMPARE(woke.size(), 2);
    // The wall clock set back an hour while it waits: still due at the moment, not an hour early.
    due.wakeAt(now + 600);
    now -= 3600;
    pass(600);
    QCOMPARE(woke.size(), 2);
    pass(3600);
    QCOMPARE(woke.size(), 3);
    // Nothing planned: it sleeps, whatever the clock does.
    due.wakeAt(now + 60);
    due.wakeAt(0);
    pass(7200);
    QCOMPARE(woke.size(), 3);
}

QTEST_GUILESS_MAIN(CoreTest)
#include "tst_core.moc"

void CoreTest::favouritesComeFirstAndFollowTheirEntries()
{
    ChannelNavigator channels;
    channels.replaceList(groupedList());
    channels.chose(4); // C
    channels.chose(2); // B
    // C, then B: a heading and their copies ahead of the list; the history follows its entries.
    channels.setFavourites(channels.favouritesToggling(4));
    const auto moved = channels.setFavourites(channels.favouritesToggling(channels.list().find("B", "http://h/B")));
    const ChannelList& list = channels.list();
    QCOMPARE(list.names().mid(0, 4), QStringList({"收藏", "C", "B", "央视"}));
    QVERIFY(list.isHeading(0) && list.isFavourite(1) && !list.isFavourite(3));
    QCOMPARE(moved(4), 5); // B, outside the favourites, from where it was before the change to where it is now
    QCOMPARE(channels.lastPlayed(), 5);
    QCOMPARE(channels.previousToPlay(), 7);
    QCOMPARE(list.addresses(2).front().address, QStringLiteral("http://h/B")); // a copy plays as its entry
    QCOMPARE(list.tags(1).tvgId, QStringLiteral("C"));
    // Numbers count the favourites first; the filter treats their heading as a group.
    QCOMPARE(channels.numbered(1), 1);
    QCOMPARE(channels.numbered(3), 4);
    QCOMPARE(channels.neighbourToPlay(-1, +1), 7); // from B (5) on, over a heading
    channels.setFilter(QStringLiteral("c"));
    QCOMPARE(list.shown(), std::vector<int>({0, 1, 6, 7, 8}));
    channels.setFilter({});

    // A new list: kept favourites match by name and address; one whose entry is gone is kept, not shown.
    PlaySourceFile changed = groupedList();
    changed.entries.erase(changed.entries.begin() + 4); // C
    changed.fillColumns();
    channels.replaceList(changed);
    QCOMPARE(list.favouriteKeys().size(), size_t(2));
    QCOMPARE(list.names().mid(0, 3), QStringList({"收藏", "B", "央视"}));
    // Taken out through its copy; the last one gone takes the heading.
    channels.setFavourites(channels.favouritesToggling(1));
    QCOMPARE(list.favouriteKeys().size(), size_t(1));
    QCOMPARE(list.name(0), QStringLiteral("央视"));
    QCOMPARE(list.favouriteRows(), 0);
}

void CoreTest::addressThatPlayedGoesFirst()
{
    const ChannelKey channel{"A", "http://1#http://2#http://3"};
    const std::vector<ChannelAddress> listed{{"http://1", {}, {}, {}}, {"http://2", {}, {}, {}}, {"http://3", {}, {}, {}}};
    const auto order = [&listed](const AlternateOrder& by, const ChannelKey& key) {
        QStringList addresses;
        for (const ChannelAddress& one : by.ordered(key, listed))
            addresses << one.address;
        return addresses;
    };
    AlternateOrder alternates;
    QVERIFY(alternates.playedAfterFailures(channel, "http://3", "http://1"));
    QVERIFY(!alternates.playedAfterFailures(channel, "http://3", "http://1"));
    QCOMPARE(order(alternates, channel), QStringList({"http://3", "http://1", "http://2"}));
    QCOMPARE(order(alternates, {"B", "x"}), QStringList({"http://1", "http://2", "http://3"}));
    // What is kept is what a restart reads back.
    AlternateOrder restarted;
    restarted.setKept(alternates.kept());
    QCOMPARE(order(restarted, channel), QStringList({"http://3", "http://1", "http://2"}));
    // A check: addresses that answered before the silent; the one that played still first.
    using Reason = AddressCheck::Reason;
    const AddressCheck timeout = AddressCheck::failed(Reason::Timeout);
    const AddressCheck notFound = AddressCheck::failed(Reason::Status, 404);
    restarted.checked("http://1", timeout);
    restarted.checked("http://2", AddressCheck::ok());
    QCOMPARE(order(restarted, channel), QStringList({"http://3", "http://2", "http://1"}));
    QVERIFY(restarted.whyNoneAnswered(listed).empty()); // 3 unchecked
    restarted.checked("http://3", notFound);
    restarted.checked("http://2", timeout);
    // Each reason once, in the addresses' order.
    const std::vector<AddressCheck> why = restarted.whyNoneAnswered(listed);
    QCOMPARE(why.size(), size_t(2));
    QVERIFY(why[0].sameReason(timeout) && why[1].sameReason(notFound));
    // The list's own first playing again: nothing kept.
    QVERIFY(restarted.playedAfterFailures(channel, "http://1", "http://1"));
    QVERIFY(restarted.kept().empty());
}

void CoreTest::pictureChoicesAreKeptPerChannel()
{
    using Shape = PictureSettings::Shape;
    using Deinterlace = PictureSettings::Deinterlace;
    PictureChoices pictures;
    const ChannelKey film{"电影", "http://a/1"};
    PictureSettings standard{Shape::Standard, Deinterlace::Yadif, QSize(640, 360)};
    QVERIFY(pictures.set(film, standard));
    QVERIFY(!pictures.set(film, standard));
    QCOMPARE(pictures.of(film).shape, Shape::Standard);
    QCOMPARE(pictures.of(film).area, QSize()); // the window's, not the channel's
    QVERIFY(pictures.of({"电影", "http://a/2"}).isDefault());
    // As the settings file writes them, read back; what it does not know is the default.
    for (const Shape shape : {Shape::Source, Shape::Wide, Shape::Standard, Shape::Fill, Shape::CropBars})
        QCOMPARE(PictureChoices::shapeNamed(PictureChoices::shapeName(shape)), shape);
    for (const Deinterlace mode : {Deinterlace::Auto, Deinterlace::Off, Deinterlace::Blend, Deinterlace::Yadif})
        QCOMPARE(PictureChoices::deinterlaceNamed(PictureChoices::deinterlaceName(mode)), mode);
    QCOMPARE(PictureChoices::shapeNamed(QStringLiteral("2.35:1")), Shape::Source);
    // Back to the default: nothing kept for it.
    QVERIFY(pictures.set(film, {}));
    QVERIFY(pictures.kept().empty());
    // The channels set last are kept, up to the limit.
    for (int index = 0; index <= PictureChoices::kKeptChannels; ++index)
        pictures.set({QString::number(index), {}}, standard);
    QCOMPARE(pictures.kept().size(), size_t(PictureChoices::kKeptChannels));
    QVERIFY(pictures.of({"0", {}}).isDefault());
    QCOMPARE(pictures.of({QString::number(PictureChoices::kKeptChannels), {}}).shape, Shape::Standard);
}
