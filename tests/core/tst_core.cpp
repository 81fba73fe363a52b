// The application core's rules without a window: neighbours of a channel and
// channel numbers in a list with group headings; the history for Backspace
// and Space; the volume's steps and mute.

#include "core/ChannelHistory.h"
#include "core/ChannelOrder.h"
#include "core/VolumeState.h"

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
    void volumeStepsStopPastTheTrack();
    void muteKeepsWhatThereWasAndShowsWhatThePlayerReports();
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
    QVERIFY(volume.isMuted());
    QCOMPARE(volume.look(), (Look{0, 0, false}));
    QCOMPARE(player.asked.back(), 0);
    volume.toggleMute();
    QCOMPARE(volume.look(), (Look{200, 48, false}));
    QCOMPARE(player.asked.back(), 200);
    // A step while muted brings the level back and goes from it.
    volume.toggleMute();
    volume.stepDown();
    QVERIFY(!volume.isMuted());
    QCOMPARE(volume.look(), (Look{150, 40, false}));
}

QTEST_GUILESS_MAIN(CoreTest)
#include "tst_core.moc"
