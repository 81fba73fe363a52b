// The playback session's decisions on scripted players, without X and
// without libvlc: which player opens, the options and their order, the latest
// choice winning, a stop winning over an open still under way, the start
// watchdog, failures, the volume across a switch, events from any thread; and
// a source that drops: reconnects with back-off, the next address, the end of
// a file, a stall, the buffering figure. The session's waits run on a clock
// the tests move: no test sleeps, however long the wait it checks.

#include "FakePlayer.h"
#include "ManualTime.h"

#include "engine/PlaybackSession.h"
#include "engine/PlayerRouting.h"
#include "SessionProbe.h"
#include "engine/StreamRates.h"
#include "engine/RecoveryPlan.h"
#include "engine/SourceAddress.h"

#include <QRegularExpression>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QTest>

#include <memory>
#include <mutex>
#include <thread>

using Type = MediaPlayer::Event::Type;

namespace {

constexpr PlaybackSession::VideoWindows kWindows{11, 22, 22};
constexpr PlaybackSession::VideoWindows kWindows3{11, 22, 33};
const QStringList kOptions{"option :file-caching=300", "option :network-caching=300", "option :rtsp-caching=300"};

QStringList opening(const QString& address, std::uint32_t window)
{
    return QStringList{QStringLiteral("window %1").arg(window), QStringLiteral("open ") + address} + kOptions +
           QStringList{QStringLiteral("play")};
}

} // namespace

class SessionTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void routingDecidesWhichPlayerOpensAndWhatStopsFirst();
    void firstChoiceOpensWithItsOptionsThenPlays();
    void switchOpensOnTheOtherPlayerAndStopsTheFirst();
    void stopThenChoiceReusesThePlayerShownLast();
    void latestChoiceWins();
    void eventsOfAnEarlierChoiceAreIgnored();
    void stopWinsOverAnOpenUnderWay();
    void choiceDuringAStopPlaysAfterIt();
    void watchdogFailsAChoiceThatNeverStarts();
    void watchdogLeavesAStartedChoiceAlone();
    void errorsAndMissingMediaFail();
    void eventsFromAnyThreadArrive();
    void volumeIsKeptAcrossASwitch();
    void withoutASecondPlayerItSwitchesOnOne();
    void shutdownStopsEverythingAndRefusesMore();

    void addressesNeedASchemeOfTwoLetters();
    void recoveryPlanBacksOffThenFailsOver();
    void recoveryPlanForgivesDropsAfterSteadyPlay();
    void recoveryPlanStartsAfreshOnceItPlayedAgain();
    void dropsBetweenPlayingPeriodsGoOnReconnecting();
    void dropReconnectsOnTheSamePlayerAndPlaysAgain();
    void pictureGoesWithEveryOpenOfTheChoice();
    void streamRatesCoverTheLastSecondsAndStartOverAfterAReopen();
    void reconnectsUsedUpThenNextAddressThenFailure();
    void addressThatNeverStartsFailsOverAtOnce();
    void endOfAFileIsNoDrop();
    void streamOfKnownLengthEndsOnlyAtItsEnd();
    void stopOrChoiceDuringAReconnectWaitWins();
    void stallIsADrop();
    void pauseHoldsWhatHasALengthWithoutCountingAsAStall();
    void bufferingFigureIsThrottled();

    void channelOpenedAheadIsSilentAndBroughtForwardAtOnce();
    void channelSelectedAtStartIsOpenedAheadBeforeAnyChoice();
    void choiceOfAChannelBeingOpenedAheadTakesItsOpenOver();
    void refusalOfAChannelOpenedAheadMarksItsServer();
    void channelWatchedCutAsItsServerIsOpenedAheadReconnects();
    void refusalJustAfterItsServerWasLetGoIsTriedAgain();
    void channelOpenedAheadInPlaceOfAnotherIsReadyByItsOwnPicture();
    void channelOpenedAheadThatFailsSaysNothing();
    void stopAndEndTakeTheChannelOpenedAheadToo();
    void machineFallingBehindGivesUpTheChannelOpenedAhead();
    void choicesInQuickSuccessionLeaveNothingPlayingUnseen();

private:
    // The factory runs on the session's opener thread.
    std::unique_ptr<MediaPlayer> makePlayer()
    {
        const std::lock_guard guard(playersLock_);
        auto made = std::make_unique<FakePlayer>(int(players_.size()));
        made->setUsable(players_.empty() || secondUsable_);
        players_.push_back(made.get());
        return made;
    }
    FakePlayer& fake(int index)
    {
        const std::lock_guard guard(playersLock_);
        return *players_.at(size_t(index));
    }
    size_t playerCount()
    {
        const std::lock_guard guard(playersLock_);
        return players_.size();
    }
    FakePlayer& first() { return fake(0); }
    SessionProbe probe() { return SessionProbe(*session_); }
    FakePlayer& second() { return fake(1); }
    // Plays and reports the start, as the engine would once pre-buffering is done.
    std::uint64_t playAndStart(const QString& address);
    bool preopenToFirstPicture(const Alternates& next);
    bool waitIdle() { return QTest::qWaitFor([this] { return !probe().isOpenerBusy(); }, 2000); }
    // What the players reported on this thread reaches the session.
    static void deliver() { QCoreApplication::sendPostedEvents(); }
    // The session's clock moves on by `by`, its timers running out on the way.
    void passTime(std::chrono::milliseconds by)
    {
        deliver();
        time_.advance(by);
        deliver();
    }
    // The clock moves on a little at a time until `done`.
    bool passTimeUntil(const std::function<bool()>& done)
    {
        return QTest::qWaitFor([&] { return done() || (time_.advance(std::chrono::milliseconds(10)), done()); }, 5000);
    }
    std::unique_ptr<PlaybackSession> makeSession(int players)
    {
        return std::make_unique<PlaybackSession>([this] { return makePlayer(); }, nullptr, players, time_);
    }

    // A session with the third player, that opens channels ahead.
    void startWithThreePlayers();

    std::mutex playersLock_;
    std::vector<FakePlayer*> players_;
    bool secondUsable_ = true;
    ManualTime time_;
    std::unique_ptr<PlaybackSession> session_;
};

void SessionTest::init()
{
    players_.clear();
    secondUsable_ = true;
    session_ = makeSession(2);
    QCOMPARE(playerCount(), size_t(1));
}

void SessionTest::cleanup()
{
    session_.reset();
}

std::uint64_t SessionTest::playAndStart(const QString& address)
{
    const std::uint64_t generation = session_->play(address, kWindows, 300);
    const int index = probe().showingIndex();
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    if (!QTest::qWaitFor([&] { return fake(index).waitForCall(QStringLiteral("open ") + address, 0); }, 2000))
        return 0;
    if (!waitIdle())
        return 0;
    fake(index).send(Type::Buffering, 100.0f);
    if (!started.wait(2000) || started.first().first().value<std::uint64_t>() != generation)
        return 0;
    return generation;
}

// Opens `next` ahead on the second player, fills its buffer and shows its first
// picture (a stream is not ready at that point, a file is).
bool SessionTest::preopenToFirstPicture(const Alternates& next)
{
    session_->preopen(next, kWindows3, 300);
    if (!second().waitForCall(QStringLiteral("play")) || !waitIdle())
        return false;
    second().send(Type::Buffering, 100.0f);
    second().setStats({});
    second().advance();
    return true;
}

// Which player an open goes to, on what the players hold alone.
void SessionTest::routingDecidesWhichPlayerOpensAndWhatStopsFirst()
{
    using routing::Route;
    routing::Players players;
    players.made = {true, true, true};
    players.showing = 1;
    players.showingHasSource = true;
    players.showingAddress = QStringLiteral("http://h/a");
    // A new choice beside the one that shows, on the player that showed before it; a reconnect on its own.
    Route route = routing::route(players, {QStringLiteral("http://other/b"), true, false});
    QCOMPARE(route.target, 2);
    QCOMPARE(route.leaving, 1);
    QCOMPARE(route.stopFirst, 0u);
    route = routing::route(players, {QStringLiteral("http://h/a"), false, false});
    QCOMPARE(route.target, 1);
    QCOMPARE(route.leaving, -1);
    // Nothing shown: it opens where the last one was.
    players.showingHasSource = false;
    QCOMPARE(routing::route(players, {QStringLiteral("http://h/b"), true, false}).target, 1);
    players.showingHasSource = true;

    // A channel opened ahead on player 2: the choice goes to player 0, and the
    // one opened ahead from the same server is stopped before the connection is made.
    players.preopened = 2;
    players.preopenedAddress = QStringLiteral("http://h/c");
    route = routing::route(players, {QStringLiteral("http://other/d"), true, false});
    QCOMPARE(route.target, 0);
    QCOMPARE(route.preopened, Route::Preopened::Kept);
    route = routing::route(players, {QStringLiteral("http://h/d"), true, false});
    QCOMPARE(route.target, 0);
    QCOMPARE(route.stopFirst, 1u << 2);
    QCOMPARE(route.preopened, Route::Preopened::Cancelled);
    QCOMPARE(route.leaving, 1); // the channel that showed goes beside: the server takes two
    // A server taking one connection: the channel that showed goes first too.
    route = routing::route(players, {QStringLiteral("http://h/d"), true, true});
    QCOMPARE(route.stopFirst, (1u << 2) | (1u << 1));
    QCOMPARE(route.leaving, -1);
    // Only two players, one holding the channel opened ahead: a choice opens where it shows.
    players.made = {true, true, false};
    players.preopened = 0;
    players.preopenedAddress = QStringLiteral("http://x/e");
    route = routing::route(players, {QStringLiteral("http://y/f"), true, false});
    QCOMPARE(route.target, 1);
    QCOMPARE(route.leaving, -1);
    // A reconnect on the player holding it takes it over.
    players.showing = 0;
    QCOMPARE(routing::route(players, {QStringLiteral("http://y/f"), false, false}).preopened,
             Route::Preopened::TakenOver);
}

void SessionTest::firstChoiceOpensWithItsOptionsThenPlays()
{
    QSignalSpy showing(session_.get(), &PlaybackSession::showing);
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    const std::uint64_t generation = session_->play(QStringLiteral("A"), kWindows, 300);
    QVERIFY(waitIdle());
    QCOMPARE(first().calls(), opening(QStringLiteral("A"), 11));
    QTRY_COMPARE(showing.size(), 1);
    QCOMPARE(showing.first().first().toInt(), 0);
    // The second player is made while the first source starts.
    QCOMPARE(playerCount(), size_t(2));
    QVERIFY(second().calls().isEmpty());

    first().send(Type::Buffering, 45.0f);
    first().send(Type::Buffering, 100.0f);
    QVERIFY(started.wait(1000));
    QCOMPARE(started.size(), 1);
    QCOMPARE(started.first().first().value<std::uint64_t>(), generation);
}

void SessionTest::switchOpensOnTheOtherPlayerAndStopsTheFirst()
{
    QVERIFY(playAndStart(QStringLiteral("A")));
    const qsizetype before = first().calls().size();
    QVERIFY(playAndStart(QStringLiteral("B")));
    QCOMPARE(second().calls(), opening(QStringLiteral("B"), 22));
    QVERIFY(first().waitForCall(QStringLiteral("stop")));
    QCOMPARE(first().callsAfter(before), QStringList{QStringLiteral("stop")});
    QCOMPARE(probe().showingIndex(), 1);
    // And back to the first for the next one.
    QVERIFY(playAndStart(QStringLiteral("C")));
    QCOMPARE(first().callsAfter(before + 1), opening(QStringLiteral("C"), 11));
    QVERIFY(second().waitForCall(QStringLiteral("stop")));
}

void SessionTest::stopThenChoiceReusesThePlayerShownLast()
{
    QVERIFY(playAndStart(QStringLiteral("A")));
    QVERIFY(playAndStart(QStringLiteral("B")));
    QSignalSpy stopped(session_.get(), &PlaybackSession::stopped);
    session_->stop();
    QVERIFY(stopped.wait(1000));
    QVERIFY(second().calls().endsWith(QStringLiteral("stop")));
    QVERIFY(playAndStart(QStringLiteral("C")));
    QCOMPARE(probe().showingIndex(), 1);
    QVERIFY(second().calls().join(u'|').endsWith(opening(QStringLiteral("C"), 22).join(u'|')));
}

void SessionTest::latestChoiceWins()
{
    first().holdOpens(true);
    session_->play(QStringLiteral("A"), kWindows, 300);
    QTRY_VERIFY(first().isInsideOpen());
    session_->play(QStringLiteral("B"), kWindows, 300);
    const std::uint64_t last = session_->play(QStringLiteral("C"), kWindows, 300);
    first().holdOpens(false);
    QVERIFY(waitIdle());
    // B was replaced before it started; only the last choice opened after A.
    QStringList opens;
    for (size_t index = 0; index < playerCount(); ++index)
        for (const QString& call : fake(int(index)).calls())
            if (call.startsWith(QStringLiteral("open ")))
                opens << call;
    QCOMPARE(opens, QStringList({QStringLiteral("open A"), QStringLiteral("open C")}));
    QCOMPARE(session_->generation(), last);

    // A command to the player (a picture, a track) waits behind the choice
    // still to open, and replaces neither it nor another command.
    first().holdOpens(true);
    second().holdOpens(true);
    session_->play(QStringLiteral("D"), kWindows, 300);
    QTRY_VERIFY(first().isInsideOpen() || second().isInsideOpen());
    session_->play(QStringLiteral("E"), kWindows, 300);
    session_->transport().setPicture({PictureSettings::Shape::Wide, PictureSettings::Deinterlace::Auto, {}});
    session_->transport().setPicture({PictureSettings::Shape::Fill, PictureSettings::Deinterlace::Off, {}});
    first().holdOpens(false);
    second().holdOpens(false);
    QVERIFY(waitIdle());
    QStringList after;
    for (size_t index = 0; index < playerCount(); ++index)
        after += fake(int(index)).calls().filter(QRegularExpression(QStringLiteral("^(open E|picture)")));
    QCOMPARE(after.filter(QStringLiteral("open E")).size(), 1);
    QCOMPARE(after.filter(QStringLiteral("picture 1 0")).size(), 1);
    QCOMPARE(after.filter(QStringLiteral("picture 3 1")).size(), 1);
}

void SessionTest::eventsOfAnEarlierChoiceAreIgnored()
{
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    QVERIFY(playAndStart(QStringLiteral("A")));
    started.clear();
    const std::uint64_t b = session_->play(QStringLiteral("B"), kWindows, 300);
    QVERIFY(waitIdle());
    // The player going away still reports: none of it is B's.
    first().send(Type::EncounteredError);
    first().send(Type::Buffering, 100.0f);
    deliver();
    QVERIFY(started.isEmpty());
    QVERIFY(failed.isEmpty());
    second().send(Type::Buffering, 100.0f);
    QVERIFY(started.wait(1000));
    QCOMPARE(started.first().first().value<std::uint64_t>(), b);
}

void SessionTest::stopWinsOverAnOpenUnderWay()
{
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    QSignalSpy stopped(session_.get(), &PlaybackSession::stopped);
    first().holdOpens(true);
    session_->play(QStringLiteral("A"), kWindows, 300);
    QTRY_VERIFY(first().isInsideOpen());
    // Restarts the running watchdog with a short time: the stop must end it.
    probe().setStartTimeout(std::chrono::milliseconds(40));
    session_->stop();
    first().holdOpens(false);
    QVERIFY(stopped.wait(1000));
    // The open finished and played, and the stop came after it.
    QVERIFY(first().calls().endsWith(QStringLiteral("stop")));
    QVERIFY(first().calls().contains(QStringLiteral("play")));
    // What the stopped choice reports later changes nothing, and its watchdog is off.
    first().send(Type::Buffering, 100.0f);
    first().send(Type::EncounteredError);
    passTime(std::chrono::milliseconds(80));
    QVERIFY(started.isEmpty());
    QVERIFY(failed.isEmpty());
}

void SessionTest::choiceDuringAStopPlaysAfterIt()
{
    QVERIFY(playAndStart(QStringLiteral("A")));
    first().holdStops(true);
    session_->stop();
    QVERIFY(first().waitForCall(QStringLiteral("stop")));
    const qsizetype before = first().calls().size();
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    const std::uint64_t b = session_->play(QStringLiteral("B"), kWindows, 300);
    QCOMPARE(first().calls().size(), before); // nothing opens while the player stops
    first().holdStops(false);
    QVERIFY(waitIdle());
    QCOMPARE(first().callsAfter(before), opening(QStringLiteral("B"), 11));
    first().send(Type::Buffering, 100.0f);
    QVERIFY(started.wait(1000));
    QCOMPARE(started.first().first().value<std::uint64_t>(), b);
}

void SessionTest::watchdogFailsAChoiceThatNeverStarts()
{
    probe().setStartTimeout(std::chrono::milliseconds(50));
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    const std::uint64_t generation = session_->play(QStringLiteral("A"), kWindows, 300);
    passTime(std::chrono::milliseconds(49));
    QVERIFY(failed.isEmpty());
    passTime(std::chrono::milliseconds(1));
    QCOMPARE(failed.size(), 1);
    QCOMPARE(failed.first().first().value<std::uint64_t>(), generation);
    // The source that never started is stopped, so it can't start much later.
    QVERIFY(first().waitForCall(QStringLiteral("stop")));
    first().send(Type::Buffering, 100.0f);
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    deliver();
    QVERIFY(started.isEmpty());
    QCOMPARE(failed.size(), 1);
}

void SessionTest::watchdogLeavesAStartedChoiceAlone()
{
    probe().setStartTimeout(std::chrono::milliseconds(30));
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    QVERIFY(playAndStart(QStringLiteral("A")));
    passTime(std::chrono::milliseconds(80));
    QVERIFY(failed.isEmpty());
    QVERIFY(!first().calls().contains(QStringLiteral("stop")));
}

void SessionTest::errorsAndMissingMediaFail()
{
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    QVERIFY(playAndStart(QStringLiteral("A")));
    // A later choice with no media: it fails, and what played before stops too.
    second().refuse(QStringLiteral("missing"));
    const std::uint64_t missing = session_->play(QStringLiteral("missing"), kWindows, 300);
    QVERIFY(failed.wait(1000));
    QCOMPARE(failed.last().first().value<std::uint64_t>(), missing);
    QVERIFY(first().waitForCall(QStringLiteral("stop")));
    QVERIFY(!second().calls().contains(QStringLiteral("play")));

    QVERIFY(waitIdle());
    const std::uint64_t broken = session_->play(QStringLiteral("broken"), kWindows, 300);
    QVERIFY(waitIdle());
    fake(probe().showingIndex()).send(Type::EncounteredError);
    QVERIFY(failed.wait(1000));
    QCOMPARE(failed.last().first().value<std::uint64_t>(), broken);
    QCOMPARE(failed.size(), 2);

    // An address whose answer was no live stream: opened again at once for the
    // engine to read, with no wait and no attempt used up.
    QVERIFY(waitIdle());
    session_->play(QStringLiteral("http://a/live"), kWindows, 300);
    QVERIFY(waitIdle());
    FakePlayer& reading = fake(probe().showingIndex());
    const auto opens = [&reading] { return reading.calls().filter(QStringLiteral("open http://a/live")).size(); };
    QCOMPARE(opens(), 1);
    reading.setLastError({PlaybackFailure::Kind::ReadByEngine, 0, {}});
    reading.send(Type::EncounteredError);
    QVERIFY(QTest::qWaitFor([&] { return opens() == 2; }, 1000));
    reading.setLastError({PlaybackFailure::Kind::EngineError, 0, QStringLiteral("fake error")});
    QCOMPARE(failed.size(), 2);
}

void SessionTest::eventsFromAnyThreadArrive()
{
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    const std::uint64_t generation = session_->play(QStringLiteral("A"), kWindows, 300);
    QVERIFY(waitIdle());
    std::thread engine([this] {
        first().send(Type::Playing);
        first().send(Type::Buffering, 100.0f);
    });
    engine.join();
    QVERIFY(started.wait(1000));
    QCOMPARE(started.first().first().value<std::uint64_t>(), generation);
}

void SessionTest::volumeIsKeptAcrossASwitch()
{
    // Set before the second player exists: it takes the level when it comes.
    QCOMPARE(session_->transport().setVolume(70), 70);
    QVERIFY(playAndStart(QStringLiteral("A")));
    QCOMPARE(second().Volume(0, false), 70);
    QVERIFY(playAndStart(QStringLiteral("B")));
    QCOMPARE(session_->transport().volume(), 70);
    QCOMPARE(session_->transport().setVolume(120), 120);
    QCOMPARE(first().Volume(0, false), 120);
    QCOMPARE(session_->transport().setVolume(-5), 0);
}

void SessionTest::withoutASecondPlayerItSwitchesOnOne()
{
    session_.reset();
    players_.clear();
    secondUsable_ = false;
    session_ = makeSession(2);
    QVERIFY(playAndStart(QStringLiteral("A")));
    QVERIFY(playAndStart(QStringLiteral("B")));
    QCOMPARE(probe().showingIndex(), 0);
    QVERIFY(!probe().player(1));
    QVERIFY(first().calls().contains(QStringLiteral("open B")));
}

void SessionTest::shutdownStopsEverythingAndRefusesMore()
{
    QVERIFY(playAndStart(QStringLiteral("A")));
    QVERIFY(playAndStart(QStringLiteral("B")));
    // The program ends while a choice is still opening on the first player.
    first().holdOpens(true);
    session_->play(QStringLiteral("C"), kWindows, 300);
    QTRY_VERIFY(first().isInsideOpen());
    // Let go while the session shuts down, from another thread, as the engine would.
    std::thread release([this] { first().holdOpens(false); });
    session_->shutdown();
    release.join();
    QVERIFY(first().calls().endsWith(QStringLiteral("stop")));
    QVERIFY(second().calls().endsWith(QStringLiteral("stop")));
    const QStringList after = first().calls();
    session_->play(QStringLiteral("D"), kWindows, 300);
    session_->stop();
    passTime(std::chrono::seconds(1));
    QCOMPARE(first().calls(), after);
}

namespace {

PlaybackSession::RecoveryTiming quickTiming()
{
    PlaybackSession::RecoveryTiming timing;
    timing.backoff = {std::chrono::milliseconds(20), std::chrono::milliseconds(40), std::chrono::milliseconds(80)};
    timing.reopenTimeout = std::chrono::milliseconds(100);
    timing.stallTimeout = std::chrono::milliseconds(150);
    timing.statsInterval = std::chrono::milliseconds(20);
    timing.bufferingUpdate = std::chrono::milliseconds(40);
    return timing;
}

QList<PlaybackStatus::Phase> phasesOf(const QSignalSpy& spy)
{
    QList<PlaybackStatus::Phase> phases;
    for (const QList<QVariant>& arguments : spy) {
        const auto phase = arguments.first().value<PlaybackStatus>().phase;
        if (phases.isEmpty() || phases.last() != phase)
            phases << phase;
    }
    return phases;
}

int countOf(const QStringList& calls, const QString& call)
{
    return int(calls.count(call));
}

} // namespace

void SessionTest::addressesNeedASchemeOfTwoLetters()
{
    QVERIFY(hasUriScheme(QStringLiteral("http://127.0.0.1/a.ts")));
    QVERIFY(hasUriScheme(QStringLiteral("rtsp://cam/live")));
    QVERIFY(hasUriScheme(QStringLiteral("udp://@:1234")));
    QVERIFY(hasUriScheme(QStringLiteral("file:///tmp/a.mp4")));
    QVERIFY(!hasUriScheme(QStringLiteral("/media//film.mkv")));
    QVERIFY(!hasUriScheme(QStringLiteral("D://film.mkv")));
    QVERIFY(!hasUriScheme(QStringLiteral("节目//a.mp4")));
    QVERIFY(!hasUriScheme(QString()));
    QVERIFY(!hasUriScheme(QStringLiteral("://x")));
    // A file named by its URI ends; it does not drop.
    QVERIFY(isNetworkAddress(QStringLiteral("udp://@:1234")));
    QVERIFY(!isNetworkAddress(QStringLiteral("FILE:///tmp/a.mp4")));
    QVERIFY(!isNetworkAddress(QStringLiteral("/tmp/a.mp4")));
}

void SessionTest::recoveryPlanBacksOffThenFailsOver()
{
    using Kind = RecoveryPlan::Step::Kind;
    using std::chrono::seconds;
    const auto now = RecoveryPlan::Clock::now();
    RecoveryPlan plan({true, false, true}, {});
    // The first address played, then dropped: 1, 2, 4, 8 s, then the next address.
    plan.playing(now);
    for (const auto expected : {seconds(1), seconds(2), seconds(4), seconds(8)}) {
        const RecoveryPlan::Step step = plan.failed(now);
        QCOMPARE(step.kind, Kind::Reopen);
        QCOMPARE(step.delay, std::chrono::milliseconds(expected));
        QCOMPARE(step.alternate, 0);
    }
    QCOMPARE(plan.failed(now).kind, Kind::NextAlternate);
    QCOMPARE(plan.alternate(), 1);
    // A local file that played and failed is not opened again: the next address.
    plan.playing(now);
    const RecoveryPlan::Step local = plan.failed(now);
    QCOMPARE(local.kind, Kind::NextAlternate);
    QCOMPARE(local.alternate, 2);
    // An address that never played is given up at once.
    QCOMPARE(plan.failed(now).kind, Kind::GiveUp);
    QVERIFY(plan.anyPlayed());
}

void SessionTest::recoveryPlanForgivesDropsAfterSteadyPlay()
{
    using Kind = RecoveryPlan::Step::Kind;
    const auto start = RecoveryPlan::Clock::now();
    RecoveryPlan plan({true}, {});
    plan.playing(start);
    QCOMPARE(plan.failed(start + std::chrono::seconds(5)).delay, std::chrono::milliseconds(1000));
    plan.playing(start + std::chrono::seconds(6));
    QCOMPARE(plan.failed(start + std::chrono::seconds(10)).delay, std::chrono::milliseconds(2000));
    // Thirty seconds of steady playing: the count starts again.
    plan.playing(start + std::chrono::seconds(12));
    QCOMPARE(plan.failed(start + std::chrono::seconds(60)).delay, std::chrono::milliseconds(1000));
    QCOMPARE(plan.failed(start + std::chrono::seconds(61)).kind, Kind::Reopen);
}

void SessionTest::recoveryPlanStartsAfreshOnceItPlayedAgain()
{
    using Kind = RecoveryPlan::Step::Kind;
    using std::chrono::seconds;
    auto now = RecoveryPlan::Clock::now();
    RecoveryPlan plan({true}, {});
    // Each reconnect plays again for a while before the next drop: the first wait, every time.
    for (int drop = 0; drop < 10; ++drop) {
        plan.playing(now);
        plan.progressed(now + seconds(6));
        const RecoveryPlan::Step step = plan.failed(now + seconds(7));
        QCOMPARE(step.kind, Kind::Reopen);
        QCOMPARE(step.delay, std::chrono::milliseconds(1000));
        now += seconds(8);
    }
    // Cut again and again soon after each start: the attempts are used up.
    for (const auto expected : {seconds(2), seconds(4), seconds(8)}) {
        plan.playing(now);
        plan.progressed(now + seconds(1));
        QCOMPARE(plan.failed(now + seconds(2)).delay, std::chrono::milliseconds(expected));
        now += seconds(3);
    }
    plan.playing(now);
    QCOMPARE(plan.failed(now + seconds(1)).kind, Kind::GiveUp);
}

void SessionTest::dropsBetweenPlayingPeriodsGoOnReconnecting()
{
    PlaybackSession::RecoveryTiming timing = quickTiming();
    timing.playedAgain = std::chrono::milliseconds(60);
    probe().setRecoveryTiming(timing);
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    const QString address = QStringLiteral("http://a/live");
    QVERIFY(playAndStart(address));
    first().setStats({});
    for (int drop = 1; drop <= 10; ++drop) {
        // Pictures come for a while, past the time that makes it a success.
        for (int reading = 0; reading < 8; ++reading) {
            first().advance();
            passTime(std::chrono::milliseconds(20));
        }
        const int opens = countOf(first().calls(), QStringLiteral("open ") + address);
        first().send(Type::EndReached);
        QVERIFY(passTimeUntil([&] { return countOf(first().calls(), QStringLiteral("open ") + address) == opens + 1; }));
        QVERIFY(waitIdle());
        first().send(Type::Buffering, 100.0f);
        QTRY_COMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Playing);
    }
    QVERIFY(failed.isEmpty());
    QCOMPARE(phasesOf(status).count(PlaybackStatus::Phase::Reconnecting), 10);
}

void SessionTest::dropReconnectsOnTheSamePlayerAndPlaysAgain()
{
    probe().setRecoveryTiming(quickTiming());
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    QVERIFY(playAndStart(QStringLiteral("http://a/live.ts")));
    QVERIFY(playAndStart(QStringLiteral("http://b/live.ts"))); // now on the second player
    status.clear();
    started.clear();
    const qsizetype before = second().calls().size();
    second().send(Type::EndReached);
    QVERIFY(passTimeUntil([&] { return countOf(second().callsAfter(before), QStringLiteral("open http://b/live.ts")) == 1; }));
    QCOMPARE(probe().showingIndex(), 1);
    // The dropped input's late words change nothing while it reconnects.
    QVERIFY(waitIdle());
    second().send(Type::Buffering, 100.0f);
    QTRY_COMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Playing);
    QCOMPARE(phasesOf(status), QList<PlaybackStatus::Phase>({PlaybackStatus::Phase::Reconnecting,
                                                              PlaybackStatus::Phase::Playing}));
    QVERIFY(started.isEmpty()); // started speaks of the choice's first start only
    QVERIFY(!first().calls().contains(QStringLiteral("open http://b/live.ts")));
}

void SessionTest::pictureGoesWithEveryOpenOfTheChoice()
{
    probe().setRecoveryTiming(quickTiming());
    PictureSettings standard;
    standard.shape = PictureSettings::Shape::Standard;
    session_->play(Alternates{{QStringLiteral("http://a/1"), {}, {}, {}, standard}}, kWindows, 300);
    QVERIFY(waitIdle());
    first().send(Type::Buffering, 100.0f);
    QVERIFY(first().calls().contains(QStringLiteral("picture 2 0")));
    // Changed while it plays: at once, and at the reopen after a drop.
    const PictureSettings wide{PictureSettings::Shape::Wide, PictureSettings::Deinterlace::Blend, {}};
    session_->transport().setPicture(wide);
    QVERIFY(first().waitForCall(QStringLiteral("picture 1 2")));
    const qsizetype before = first().calls().size();
    first().send(Type::EndReached);
    QVERIFY(passTimeUntil([&] { return countOf(first().callsAfter(before), QStringLiteral("open http://a/1")) == 1; }));
    QVERIFY(waitIdle());
    QCOMPARE(countOf(first().callsAfter(before), QStringLiteral("picture 1 2")), 1);
    // A video output taken up by the player gets the picture chosen last, whenever it was chosen.
    const PictureSettings cropped{PictureSettings::Shape::CropBars, PictureSettings::Deinterlace::Blend, {}};
    session_->transport().setPicture(cropped);
    QVERIFY(first().waitForCall(QStringLiteral("picture 4 2")));
    const qsizetype chosen = first().calls().size();
    first().send(Type::VideoOutput);
    QVERIFY(passTimeUntil([&] { return countOf(first().callsAfter(chosen), QStringLiteral("picture 4 2")) == 1; }));
}

void SessionTest::streamRatesCoverTheLastSecondsAndStartOverAfterAReopen()
{
    using std::chrono::seconds;
    StreamRates rates(seconds(5));
    const StreamRates::Clock::time_point start{};
    MediaPlayer::Stats stats;
    rates.add(start, stats);
    QVERIFY(!rates.kilobitsPerSecond());
    // 1 Mbit/s and a picture lost a second, for ten seconds: five of them count.
    for (int second = 1; second <= 10; ++second) {
        stats.demuxBytes = second * 125000;
        stats.lostPictures = second;
        rates.add(start + seconds(second), stats);
    }
    QCOMPARE(qRound(*rates.kilobitsPerSecond()), 1000);
    QCOMPARE(rates.lostPictures(), 5);
    // Opened again: its counters start from nothing, and so does the span.
    stats.demuxBytes = 1000;
    stats.lostPictures = 0;
    rates.add(start + seconds(11), stats);
    QVERIFY(!rates.kilobitsPerSecond());
    QCOMPARE(rates.lostPictures(), 0);
}

void SessionTest::reconnectsUsedUpThenNextAddressThenFailure()
{
    probe().setRecoveryTiming(quickTiming());
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    const Alternates alternates{{QStringLiteral("http://a/1"), {}, {}, {}},
                                {QStringLiteral("http://b/1"), {}, QStringLiteral("okhttp"), QStringLiteral("http://x/")}};
    const std::uint64_t generation = session_->play(alternates, kWindows, 300);
    QVERIFY(waitIdle());
    first().send(Type::Buffering, 100.0f);
    QTRY_VERIFY(playerCount() == 2);
    // It drops, and every reconnect fails at once.
    first().refuse(QStringLiteral("http://a/1"));
    first().send(Type::EncounteredError);
    QVERIFY(passTimeUntil([&] { return countOf(first().calls(), QStringLiteral("open http://b/1")) == 1; }));
    QCOMPARE(countOf(first().calls(), QStringLiteral("open http://a/1")), 1 + 3);
    // The second address's headers go with it, after the caching options.
    QVERIFY(first().calls().contains(QStringLiteral("option :http-user-agent=okhttp")));
    QVERIFY(first().calls().contains(QStringLiteral("option :http-referrer=http://x/")));
    // The next address never starts: the choice fails, and everything stops.
    QVERIFY(waitIdle());
    QVERIFY(passTimeUntil([&] { return !failed.isEmpty(); }));
    QCOMPARE(failed.first().at(0).value<std::uint64_t>(), generation);
    QVERIFY(failed.first().at(1).value<PlaybackFailure>().isKnown());
    QVERIFY(first().waitForCall(QStringLiteral("stop")));
}

void SessionTest::addressThatNeverStartsFailsOverAtOnce()
{
    probe().setRecoveryTiming(quickTiming());
    probe().setStartTimeout(std::chrono::milliseconds(60));
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    const Alternates alternates{{QStringLiteral("http://dead/1"), {}, {}, {}}, {QStringLiteral("http://live/1"), {}, {}, {}}};
    const std::uint64_t generation = session_->play(alternates, kWindows, 300);
    // The watchdog counts as the first address's failure.
    QVERIFY(waitIdle());
    passTime(std::chrono::milliseconds(60));
    QVERIFY(first().waitForCall(QStringLiteral("open http://live/1")));
    QCOMPARE(countOf(first().calls(), QStringLiteral("open http://dead/1")), 1);
    QVERIFY(waitIdle());
    first().send(Type::Buffering, 100.0f);
    QVERIFY(started.wait(1000));
    QCOMPARE(started.first().first().value<std::uint64_t>(), generation);
}

void SessionTest::endOfAFileIsNoDrop()
{
    probe().setRecoveryTiming(quickTiming());
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    QVERIFY(playAndStart(QStringLiteral("/clips/red.mp4")));
    first().send(Type::EndReached);
    QTRY_COMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Ended);
    passTime(std::chrono::seconds(1));
    QVERIFY(waitIdle());
    QCOMPARE(countOf(first().calls(), QStringLiteral("open /clips/red.mp4")), 1);
    QVERIFY(!first().calls().contains(QStringLiteral("stop")));
}

void SessionTest::streamOfKnownLengthEndsOnlyAtItsEnd()
{
    probe().setRecoveryTiming(quickTiming());
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    MediaPlayer::Stats atTheEnd;
    atTheEnd.lengthMs = 60000;
    atTheEnd.timeMs = 59000;
    QVERIFY(playAndStart(QStringLiteral("http://a/film.mp4")));
    first().setStats(atTheEnd);
    passTime(std::chrono::milliseconds(20)); // a reading
    first().send(Type::EndReached);
    QTRY_COMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Ended);

    // The same stream cut off in the middle has dropped.
    MediaPlayer::Stats middle = atTheEnd;
    middle.timeMs = 20000;
    QVERIFY(playAndStart(QStringLiteral("http://a/film2.mp4")));
    second().setStats(middle);
    passTime(std::chrono::milliseconds(20));
    second().send(Type::EndReached);
    QTRY_COMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Reconnecting);
}

void SessionTest::stopOrChoiceDuringAReconnectWaitWins()
{
    PlaybackSession::RecoveryTiming timing = quickTiming();
    timing.backoff = {std::chrono::milliseconds(100)};
    probe().setRecoveryTiming(timing);
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    first().send(Type::EndReached);
    passTime(std::chrono::milliseconds(20));
    session_->stop();
    passTime(std::chrono::milliseconds(200));
    QVERIFY(waitIdle());
    QCOMPARE(countOf(first().calls(), QStringLiteral("open http://a/live")), 1);

    // A new choice made during the wait is the only one that opens.
    QVERIFY(playAndStart(QStringLiteral("http://b/live")));
    first().send(Type::EndReached);
    passTime(std::chrono::milliseconds(20));
    session_->play(QStringLiteral("/clips/blue.mp4"), kWindows, 300);
    passTime(std::chrono::milliseconds(200));
    QVERIFY(waitIdle());
    QCOMPARE(countOf(first().calls(), QStringLiteral("open http://b/live")), 1);
    QCOMPARE(countOf(second().calls(), QStringLiteral("open /clips/blue.mp4")), 1);
}

void SessionTest::stallIsADrop()
{
    probe().setRecoveryTiming(quickTiming());
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    QVERIFY(playAndStart(QStringLiteral("udp://@:1234")));
    first().setStats({});
    // While the counters move, nothing happens.
    for (int i = 0; i < 15; ++i) {
        first().advance();
        passTime(std::chrono::milliseconds(20));
    }
    QCOMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Playing);
    // They stop moving: a drop after the stall's time, and the same address opens again.
    passTime(std::chrono::milliseconds(120));
    QCOMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Playing);
    passTime(std::chrono::milliseconds(40));
    QCOMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Reconnecting);
    QVERIFY(passTimeUntil([&] { return countOf(first().calls(), QStringLiteral("open udp://@:1234")) == 2; }));
}

void SessionTest::pauseHoldsWhatHasALengthWithoutCountingAsAStall()
{
    probe().setRecoveryTiming(quickTiming());
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    // A live stream has no position: it is not held, nor moved.
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    first().setStats({});
    QVERIFY(!session_->transport().position());
    QVERIFY(!session_->transport().setPaused(true));

    // A programme watched back, of no length the stream tells: the one expected counts.
    QVERIFY(playAndStart(QStringLiteral("http://a/back?playseek=1")));
    session_->setExpectedLength(1800000);
    MediaPlayer::Stats reading;
    reading.timeMs = 60000;
    second().setStats(reading);
    QCOMPARE(session_->transport().position()->lengthMs, 1800000);
    QVERIFY(session_->transport().setPaused(true));
    QVERIFY(session_->transport().isPaused());
    session_->transport().seek(70000);
    QCOMPARE(session_->transport().position()->timeMs, 70000); // asked for, before the player is there
    QVERIFY(second().waitForCall(QStringLiteral("seek 70000")));
    QVERIFY(second().calls().indexOf(QStringLiteral("pause")) < second().calls().indexOf(QStringLiteral("seek 70000")));
    // Held far longer than a stall takes: still playing, nothing reopened.
    passTime(std::chrono::seconds(2));
    QCOMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Playing);
    QVERIFY(session_->transport().setPaused(false));
    QVERIFY(second().waitForCall(QStringLiteral("resume")));
    passTime(std::chrono::milliseconds(100)); // resumed: not at once a stall
    QCOMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Playing);

    // It ends near the length expected: an end, not a drop.
    reading.timeMs = 1799000;
    second().setStats(reading);
    passTime(std::chrono::milliseconds(20));
    second().send(Type::EndReached);
    QTRY_COMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Ended);
}

void SessionTest::bufferingFigureIsThrottled()
{
    probe().setRecoveryTiming(quickTiming());
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    session_->play(QStringLiteral("http://a/live"), kWindows, 300);
    QVERIFY(waitIdle());
    status.clear();
    for (int percent = 0; percent < 100; percent += 2)
        first().send(Type::Buffering, float(percent));
    passTime(std::chrono::milliseconds(70));
    first().send(Type::Buffering, 100.0f);
    QTRY_COMPARE(phasesOf(status).last(), PlaybackStatus::Phase::Playing);
    QList<int> shown;
    for (const QList<QVariant>& arguments : status)
        shown << arguments.first().value<PlaybackStatus>().bufferPercent;
    // Fifty figures in a moment: one of them is shown, then the full buffer.
    QVERIFY2(shown.size() <= 3, qPrintable(QString::number(shown.size())));
    QCOMPARE(shown.last(), 100);
    QVERIFY(shown.size() >= 2 && shown.at(shown.size() - 2) < 100);
}

void SessionTest::startWithThreePlayers()
{
    session_.reset();
    players_.clear();
    session_ = makeSession(3);
}

void SessionTest::channelOpenedAheadIsSilentAndBroughtForwardAtOnce()
{
    startWithThreePlayers();
    QCOMPARE(session_->transport().setVolume(80), 80);
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    QCOMPARE(playerCount(), size_t(3));
    const Alternates next{{QStringLiteral("/clips/b.mp4"), {}, {}, {}}};
    session_->preopen(next, kWindows3, 300);
    QVERIFY(second().waitForCall(QStringLiteral("play")));
    QVERIFY(waitIdle());
    // Out of sight and silent.
    QCOMPARE(second().calls(), QStringList({QStringLiteral("window 22"), QStringLiteral("open /clips/b.mp4")}) +
                                   kOptions + QStringList{QStringLiteral("play")});
    QCOMPARE(second().Volume(0, false), 0);
    QVERIFY(second().isDrawnSmall() && !first().isDrawnSmall());
    QVERIFY(!session_->isPreopened(next));
    second().send(Type::Buffering, 100.0f);
    // Ready once its first picture is there, not when its buffer is full.
    passTime(std::chrono::milliseconds(100));
    QVERIFY(!session_->isPreopened(next));
    second().setStats({});
    second().advance();
    QVERIFY(passTimeUntil([&] { return session_->isPreopened(next); }));
    // A file waits at its first picture.
    QVERIFY(second().waitForCall(QStringLiteral("pause")));

    QSignalSpy showing(session_.get(), &PlaybackSession::showing);
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    const qsizetype before = second().calls().size();
    const std::uint64_t generation = session_->play(next, kWindows3, 300);
    // At once, on this thread: its window is the one to see, it is heard, draws
    // its next picture into the window now shown and moves on.
    QCOMPARE(showing.size(), 1);
    QCOMPARE(showing.first().first().toInt(), 1);
    QCOMPARE(started.size(), 1);
    QCOMPARE(started.first().first().value<std::uint64_t>(), generation);
    QCOMPARE(second().callsAfter(before), QStringList({QStringLiteral("step"), QStringLiteral("resume")}));
    QCOMPARE(second().Volume(0, false), 80);
    QVERIFY(!second().isDrawnSmall());
    QCOMPARE(probe().showingIndex(), 1);
    // The channel that showed goes.
    QVERIFY(first().waitForCall(QStringLiteral("stop")));
    // Its events are the choice's now: it plays on, and may drop like any other.
    second().send(Type::EncounteredError);
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    QVERIFY(failed.wait(1000));
}

void SessionTest::channelSelectedAtStartIsOpenedAheadBeforeAnyChoice()
{
    startWithThreePlayers();
    const Alternates remembered{{QStringLiteral("/clips/b.mp4"), {}, {}, {}}};
    session_->preopenBeforeAnyChoice(remembered, kWindows3, 300);
    // The other players are made for it; it opens on one of them, out of sight, the first staying free.
    QTRY_COMPARE(playerCount(), size_t(3));
    QVERIFY(second().waitForCall(QStringLiteral("play")));
    QVERIFY(waitIdle());
    QVERIFY(!first().calls().contains(QStringLiteral("open /clips/b.mp4")));
    second().send(Type::Buffering, 100.0f);
    second().setStats({});
    second().advance();
    QVERIFY(passTimeUntil([&] { return session_->isPreopened(remembered); }));
    // Enter brings it forward at once.
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    const std::uint64_t generation = session_->play(remembered, kWindows3, 300);
    QCOMPARE(started.size(), 1);
    QCOMPARE(started.first().first().value<std::uint64_t>(), generation);
    QCOMPARE(probe().showingIndex(), 1);
    // Once anything was chosen or stopped, it is not done again.
    session_->stop();
    session_->preopenBeforeAnyChoice({{QStringLiteral("/clips/c.mp4"), {}, {}, {}}}, kWindows3, 300);
    passTime(std::chrono::milliseconds(50));
    QVERIFY(waitIdle());
    QVERIFY(std::none_of(players_.begin(), players_.end(), [](FakePlayer* player) {
        return player->calls().contains(QStringLiteral("open /clips/c.mp4"));
    }));
}

// One open, not two: a server that allows one connection would refuse the second.
void SessionTest::choiceOfAChannelBeingOpenedAheadTakesItsOpenOver()
{
    startWithThreePlayers();
    QCOMPARE(session_->transport().setVolume(80), 80);
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    const Alternates next{{QStringLiteral("http://b/live"), {}, {}, {}}};
    session_->preopen(next, kWindows3, 300);
    QVERIFY(second().waitForCall(QStringLiteral("open http://b/live")));
    QVERIFY(waitIdle());
    QSignalSpy showing(session_.get(), &PlaybackSession::showing);
    QSignalSpy started(session_.get(), &PlaybackSession::started);
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    const std::uint64_t generation = session_->play(next, kWindows3, 300);
    // Its window is the one to see, it is heard, and it opens as any choice does.
    QCOMPARE(probe().showingIndex(), 1);
    QCOMPARE(showing.size(), 1);
    QCOMPARE(second().Volume(0, false), 80);
    QCOMPARE(phasesOf(status), QList<PlaybackStatus::Phase>{PlaybackStatus::Phase::Opening});
    QVERIFY(started.isEmpty());
    second().send(Type::Buffering, 100.0f);
    QVERIFY(started.wait(1000));
    QCOMPARE(started.first().first().value<std::uint64_t>(), generation);
    QVERIFY(first().waitForCall(QStringLiteral("stop")));
    QVERIFY(waitIdle());
    int opens = 0;
    for (size_t index = 0; index < playerCount(); ++index)
        opens += countOf(fake(int(index)).calls(), QStringLiteral("open http://b/live"));
    QCOMPARE(opens, 1);

    // Chosen before its open has even begun (the players' thread is busy): it
    // still opens, heard and drawn whole, and the next channel opened ahead
    // does not push it out.
    fake(2).holdOpens(true);
    const auto release = qScopeGuard([this] { fake(2).holdOpens(false); });
    session_->preopen({{QStringLiteral("http://c/live"), {}, {}, {}}}, kWindows3, 300);
    QTRY_VERIFY(fake(2).isInsideOpen());
    const Alternates chosen{{QStringLiteral("http://d/live"), {}, {}, {}}};
    session_->preopen(chosen, kWindows3, 300);
    session_->play(chosen, kWindows3, 300);
    session_->preopen({{QStringLiteral("http://e/live"), {}, {}, {}}}, kWindows3, 300);
    fake(2).holdOpens(false);
    QVERIFY(fake(2).waitForCall(QStringLiteral("open http://d/live")));
    QVERIFY(first().waitForCall(QStringLiteral("open http://e/live")));
    QVERIFY(waitIdle());
    QCOMPARE(fake(2).Volume(0, false), 80);
    QVERIFY(!fake(2).isDrawnSmall()); // whole, though its open asked for it small
    // A video output that comes up small all the same is made whole, and so
    // is the next one (the output of what the player played before, brought back).
    fake(2).videoOutputComesUp(true);
    QTRY_VERIFY(!fake(2).isDrawnSmall());
    fake(2).videoOutputComesUp(true);
    QTRY_VERIFY(!fake(2).isDrawnSmall());
    QCOMPARE(probe().showingIndex(), 2);
}

// A server allowing one connection counts the one let go for a moment: the
// switch's open is refused, and tried again after short waits before it fails.
void SessionTest::refusalJustAfterItsServerWasLetGoIsTriedAgain()
{
    session_->rememberOneConnection(QStringLiteral("h:8000"));
    QVERIFY(playAndStart(QStringLiteral("http://h:8000/a")));
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    const QString b = QStringLiteral("open http://h:8000/b");
    session_->play(QStringLiteral("http://h:8000/b"), kWindows, 300);
    QVERIFY(second().waitForCall(b));
    QVERIFY(waitIdle());
    QVERIFY(first().calls().contains(QStringLiteral("stop"))); // the old connection went first
    for (const int waited : {500, 1000, 2000}) {
        second().send(Type::EncounteredError); // refused: the close is not counted yet
        passTime(std::chrono::milliseconds(waited - 1));
        QVERIFY(waitIdle());
        const int opens = countOf(second().calls(), b);
        passTime(std::chrono::milliseconds(1));
        QVERIFY(passTimeUntil([&] { return countOf(second().calls(), b) == opens + 1; }));
        QVERIFY(failed.isEmpty());
    }
    // Refused three more times: it was a real refusal.
    second().send(Type::EncounteredError);
    QVERIFY(failed.wait(1000));
    for (const PlaybackStatus::Phase phase : phasesOf(status))
        QVERIFY(phase == PlaybackStatus::Phase::Opening || phase == PlaybackStatus::Phase::Failed);

    // The same server, a channel played a while: a refusal later than that fails at once.
    QVERIFY(playAndStart(QStringLiteral("http://h:8000/c")));
    session_->play(QStringLiteral("http://h:8000/d"), kWindows, 300);
    QVERIFY(waitIdle());
    passTime(std::chrono::seconds(11));
    failed.clear();
    fake(probe().showingIndex()).send(Type::EncounteredError);
    QVERIFY(failed.wait(1000));
}

// Many services allow one stream at a time: a second connection is refused.
void SessionTest::refusalOfAChannelOpenedAheadMarksItsServer()
{
    startWithThreePlayers();
    QVERIFY(playAndStart(QStringLiteral("http://h:8000/a")));
    session_->preopen({{QStringLiteral("http://h:8000/b"), {}, {}, {}}}, kWindows3, 300);
    QVERIFY(second().waitForCall(QStringLiteral("play")));
    QVERIFY(waitIdle());
    second().send(Type::EncounteredError);
    QTRY_VERIFY(second().calls().endsWith(QStringLiteral("stop")));
    QVERIFY(session_->oneConnectionHosts().isOneConnection(QStringLiteral("http://h:8000/x")));
    QVERIFY(!session_->oneConnectionHosts().isOneConnection(QStringLiteral("http://h:8001/x")));
    // Nothing more of that server is opened ahead; a channel of another one is.
    session_->preopen({{QStringLiteral("http://h:8000/c"), {}, {}, {}}}, kWindows3, 300);
    session_->preopen({{QStringLiteral("http://other/d"), {}, {}, {}}}, kWindows3, 300);
    QVERIFY(QTest::qWaitFor([this] { return second().waitForCall(QStringLiteral("open http://other/d"), 0); }, 2000));
    QVERIFY(waitIdle());
    QVERIFY(!second().calls().contains(QStringLiteral("open http://h:8000/c")));
    QVERIFY(!fake(2).calls().contains(QStringLiteral("open http://h:8000/c")));

    // A switch to another channel of it lets the connection watched go first.
    first().holdStops(true);
    const auto release = qScopeGuard([this] { first().holdStops(false); });
    session_->play({{QStringLiteral("http://h:8000/c"), {}, {}, {}}}, kWindows3, 300);
    QVERIFY(first().waitForCall(QStringLiteral("stop")));
    QVERIFY(!fake(2).calls().contains(QStringLiteral("open http://h:8000/c")));
    first().holdStops(false);
    QVERIFY(fake(2).waitForCall(QStringLiteral("open http://h:8000/c")));
    QCOMPARE(probe().showingIndex(), 2);
}

// The other way such a service has: the older connection is cut.
void SessionTest::channelWatchedCutAsItsServerIsOpenedAheadReconnects()
{
    startWithThreePlayers();
    probe().setRecoveryTiming(quickTiming());
    session_->play(QStringLiteral("http://h/a"), kWindows, 300);
    session_->preopen({{QStringLiteral("http://h/b"), {}, {}, {}}}, kWindows3, 300);
    QVERIFY(waitIdle());
    // A channel of its server waits until the choice plays: its connection comes first.
    QTRY_COMPARE(playerCount(), size_t(3));
    QVERIFY(waitIdle());
    QVERIFY(second().calls().isEmpty() && fake(2).calls().isEmpty());
    first().send(Type::Buffering, 100.0f);
    QTRY_VERIFY(second().waitForCall(QStringLiteral("play"), 0));
    QVERIFY(waitIdle());
    first().send(Type::EndReached);
    QTRY_VERIFY(second().calls().endsWith(QStringLiteral("stop")));
    QVERIFY(passTimeUntil([&] { return countOf(first().calls(), QStringLiteral("open http://h/a")) == 2; }));
    QVERIFY(session_->oneConnectionHosts().isOneConnection(QStringLiteral("http://h/a")));
    QCOMPARE(probe().showingIndex(), 0);
}

// The selection moves on while a stream is being opened ahead: the file that
// takes its player is ready by its own picture, not by the stream's, which the
// player still reports until the file has replaced it.
void SessionTest::channelOpenedAheadInPlaceOfAnotherIsReadyByItsOwnPicture()
{
    startWithThreePlayers();
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    const Alternates stream{{QStringLiteral("http://b/live"), {}, {}, {}}};
    QVERIFY(preopenToFirstPicture(stream));
    passTime(std::chrono::milliseconds(100));
    QVERIFY(!session_->isPreopened(stream)); // the stream's first picture: not ready yet

    second().holdOpens(true);
    const auto release = qScopeGuard([this] { second().holdOpens(false); }); // also when a check fails
    const Alternates file{{QStringLiteral("/clips/c.mp4"), {}, {}, {}}};
    session_->preopen(file, kWindows3, 300);
    QTRY_VERIFY(second().isInsideOpen());
    passTime(std::chrono::milliseconds(150));
    QVERIFY(!session_->isPreopened(file));
    QVERIFY(!session_->isPreopened(stream));
    QVERIFY(!second().calls().contains(QStringLiteral("pause")));
    second().holdOpens(false);
    QVERIFY(waitIdle());
    second().send(Type::Buffering, 100.0f);
    second().advance();
    QVERIFY(passTimeUntil([&] { return session_->isPreopened(file); }));
    QVERIFY(second().waitForCall(QStringLiteral("pause")));
}

void SessionTest::channelOpenedAheadThatFailsSaysNothing()
{
    startWithThreePlayers();
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    QSignalSpy failed(session_.get(), &PlaybackSession::failed);
    QSignalSpy status(session_.get(), &PlaybackSession::statusChanged);
    session_->preopen({{QStringLiteral("http://dead/live"), {}, {}, {}}}, kWindows3, 300);
    QVERIFY(second().waitForCall(QStringLiteral("play")));
    QVERIFY(waitIdle());
    second().send(Type::EncounteredError);
    QVERIFY(second().waitForCall(QStringLiteral("stop"), 0) || QTest::qWaitFor([&] {
        return second().calls().endsWith(QStringLiteral("stop"));
    }, 1000));
    QVERIFY(failed.isEmpty());
    QVERIFY(status.isEmpty());
    QVERIFY(!first().calls().contains(QStringLiteral("stop")));
}

void SessionTest::stopAndEndTakeTheChannelOpenedAheadToo()
{
    startWithThreePlayers();
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    const Alternates next{{QStringLiteral("http://b/live"), {}, {}, {}}};
    QVERIFY(preopenToFirstPicture(next));
    // A stream's first picture comes before its clock runs: not yet ready.
    passTime(std::chrono::milliseconds(100));
    QVERIFY(!session_->isPreopened(next));
    second().advance();
    QVERIFY(passTimeUntil([&] { return session_->isPreopened(next); }));
    QVERIFY(!second().calls().contains(QStringLiteral("pause"))); // a live source goes on receiving
    // Brought forward, it plays on as it was: no step, no pause.
    const qsizetype callsBefore = second().calls().size();
    session_->play(next, kWindows3, 300);
    QCOMPARE(probe().showingIndex(), 1);
    QCOMPARE(second().callsAfter(callsBefore), QStringList());
    session_->stop();
    QVERIFY(waitIdle());
    QVERIFY(first().calls().endsWith(QStringLiteral("stop")));
    QVERIFY(second().calls().endsWith(QStringLiteral("stop")));
    QVERIFY(!session_->isPreopened(next));
    // Nothing is opened ahead while nothing plays.
    const QStringList before = fake(2).calls();
    session_->preopen({{QStringLiteral("http://c/live"), {}, {}, {}}}, kWindows3, 300);
    QVERIFY(waitIdle());
    QCOMPARE(fake(2).calls(), before);
    // And the end stops every player.
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    session_->preopen(next, kWindows3, 300);
    QVERIFY(waitIdle());
    session_->shutdown();
    for (size_t index = 0; index < playerCount(); ++index)
        QVERIFY(fake(int(index)).calls().endsWith(QStringLiteral("stop")));
}

void SessionTest::machineFallingBehindGivesUpTheChannelOpenedAhead()
{
    startWithThreePlayers();
    probe().setRecoveryTiming(quickTiming());
    QVERIFY(playAndStart(QStringLiteral("http://a/live")));
    MediaPlayer::Stats stats;
    first().setStats(stats);
    session_->preopen({{QStringLiteral("http://b/live"), {}, {}, {}}}, kWindows3, 300);
    QVERIFY(second().waitForCall(QStringLiteral("play")));
    QVERIFY(waitIdle());
    // The channel watched starts to lose pictures.
    for (int i = 0; i < 10 && !second().calls().endsWith(QStringLiteral("stop")); ++i) {
        first().advance();
        stats = first().stats().value();
        stats.lostPictures += 50 * (i + 1);
        first().setStats(stats);
        passTime(std::chrono::milliseconds(30));
    }
    QTRY_VERIFY(second().calls().endsWith(QStringLiteral("stop")));
    // And for a while nothing more is opened ahead.
    const QStringList before = fake(2).calls() + second().calls();
    session_->preopen({{QStringLiteral("http://c/live"), {}, {}, {}}}, kWindows3, 300);
    QVERIFY(waitIdle());
    QCOMPARE(fake(2).calls() + second().calls(), before);
}

// A choice whose open had not begun when the next came is replaced by it; the
// channel it was to stop must stop all the same.
void SessionTest::choicesInQuickSuccessionLeaveNothingPlayingUnseen()
{
    startWithThreePlayers();
    QVERIFY(playAndStart(QStringLiteral("A")));
    QVERIFY(playAndStart(QStringLiteral("B")));
    fake(2).holdOpens(true);
    const auto release = qScopeGuard([this] { fake(2).holdOpens(false); });
    session_->play(QStringLiteral("C"), kWindows3, 300);
    QTRY_VERIFY(fake(2).isInsideOpen());
    session_->play(QStringLiteral("D"), kWindows3, 300); // waits, then is replaced by E
    session_->play(QStringLiteral("E"), kWindows3, 300);
    fake(2).holdOpens(false);
    QVERIFY(waitIdle());
    QVERIFY(second().calls().endsWith(QStringLiteral("play")));
    QVERIFY(second().calls().contains(QStringLiteral("open E")));
    QTRY_VERIFY(first().calls().endsWith(QStringLiteral("stop")));
    QTRY_VERIFY(fake(2).calls().endsWith(QStringLiteral("stop")));
    QVERIFY(!first().calls().contains(QStringLiteral("open D")));
}

QTEST_GUILESS_MAIN(SessionTest)
#include "tst_session.moc"
