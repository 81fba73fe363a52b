// The playback controller's rules without a window or libvlc: scripted
// players, a guide the test fills and a clock it moves. What follows a
// programme watched back, which address goes first, the start, what is
// opened ahead and when, stop and play again, pause and jumps, the media
// keys, and what a change of the favourites leaves in place.

#include "FakePlayer.h"
#include "ManualTime.h"

#include "core/lists/ChannelNavigator.h"
#include "core/playback/KnownServers.h"
#include "core/playback/PlaybackController.h"
#include "core/recording/Recording.h"
#include "core/recording/ScheduledRecordings.h"
#include "core/playback/PreopenScheduler.h"
#include "core/settings/UserSettings.h"
#include "SessionProbe.h"

#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <map>
#include <mutex>

using Type = MediaPlayer::Event::Type;
using Kind = PlaybackTitle::Kind;

namespace {

constexpr qint64 kNow = 1765000000; // the wall clock the controller is given

class FakeVideo final : public VideoTarget {
public:
    PlaybackSession::VideoWindows playerWindows() const override { return {11, 22, 33}; }
    QSize size() const override { return {640, 360}; }
};

class FakeGuide final : public ProgrammeGuide {
public:
    std::map<int, std::vector<Programme>> schedules;
    void load(const GuideRequest&) override {}
    ProgrammeNowNext nowNext(int, qint64) const override { return {}; }
    std::vector<Programme> programmes(int entry) const override
    {
        const auto found = schedules.find(entry);
        return found == schedules.end() ? std::vector<Programme>{} : found->second;
    }
    std::shared_ptr<const std::vector<Programme>> schedule(int entry) const override
    {
        return std::make_shared<const std::vector<Programme>>(programmes(entry));
    }
    void search(const QString&, qint64, std::function<void(std::vector<ProgrammeHit>)>) override {}
    void want(int) override {}
    QByteArray logo(int) const override { return {}; }
    void setChangedHandler(std::function<void()>) override {}
};

// "央视" (a heading), 一台 (with catch-up), 二台 (two addresses), 三台 (a file).
PlaySourceFile channelList()
{
    PlaySourceFile file;
    ChannelTags catchup;
    catchup.catchup = QStringLiteral("default");
    catchup.catchupSource = QStringLiteral("http://h/back/{utc}-{utcend}.ts");
    file.entries = {{QStringLiteral("央视"), QStringLiteral("#genre#")},
                    {QStringLiteral("一台"), QStringLiteral("http://h/1.ts"), catchup},
                    {QStringLiteral("二台"), QStringLiteral("http://a/2.ts#http://b/2.ts")},
                    {QStringLiteral("三台"), QStringLiteral("/clips/3.mp4")}};
    file.fillColumns();
    return file;
}

} // namespace

class ControllerTest : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void nextProgrammeFollowsAtAProgrammesEnd();
    void addressThatFinallyPlayedGoesFirstNextTime();
    void startLastPlaysOnceTheWindowShowsAndTheListIsThere();
    void whatIsOpenedAheadFollowsChoicesRestsDigitsAndTheFilter();
    void stopOrPlayAgainAndTheMediaKeys();
    void pauseAndJumpsInAFileAndAProgrammeWatchedBack();
    void favouritesChangeKeepsWhatIsWatchedBack();
    void liveChannelHeldMovedRecordedAndBeyondItsBuffer();
    void plannedProgrammesRecordOnlyWhereAConnectionIsFree();
    void serversFoundToAllowOneConnectionAreKeptForWeeks();

private:
    FakePlayer& fake(int index)
    {
        const std::lock_guard guard(lock_);
        return *players_.at(size_t(index));
    }
    FakePlayer& showing() { return fake(SessionProbe(*session_).showingIndex()); }
    bool waitIdle()
    {
        return QTest::qWaitFor([this] { return !SessionProbe(*session_).isOpenerBusy(); }, 2000);
    }
    // The address opens on the player that shows, and starts playing.
    bool starts(const QString& address)
    {
        if (!QTest::qWaitFor([&] { return showing().calls().contains(QStringLiteral("open ") + address); }, 2000) ||
            !waitIdle())
            return false;
        QSignalSpy started(session_.get(), &PlaybackSession::started);
        showing().send(Type::Buffering, 100.0f);
        return started.wait(2000);
    }
    bool isPreopened(int entry) const { return session_->isPreopened(controller_->entryAlternates(entry)); }
    // Which address was last opened ahead (on the third player, silent).
    QString openedAhead()
    {
        const std::lock_guard guard(lock_);
        QString last;
        for (FakePlayer* player : players_)
            for (const QString& call : player->calls())
                if (call.startsWith(QStringLiteral("open ")) && player->Volume(0, false) == 0)
                    last = call.mid(5);
        return last;
    }
    void passTime(std::chrono::milliseconds by)
    {
        QCoreApplication::sendPostedEvents();
        time_.advance(by);
        QCoreApplication::sendPostedEvents();
    }
    static void writeSetting(const QString& key, const QString& value)
    {
        QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"))
            .setValue(key, value);
    }

    std::mutex lock_;
    std::vector<FakePlayer*> players_;
    ManualTime time_;
    FakeVideo video_;
    FakeGuide guide_;
    ChannelNavigator channels_;
    AlternateOrder alternates_;
    PictureChoices pictures_;
    std::unique_ptr<UserSettings> settings_;
    std::unique_ptr<PlaybackSession> session_;
    std::unique_ptr<PlaybackController> controller_;
    std::unique_ptr<PreopenScheduler> scheduler_;
};

void ControllerTest::init()
{
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane")).clear();
    players_.clear();
    session_ = std::make_unique<PlaybackSession>(
        [this]() -> std::unique_ptr<MediaPlayer> {
            const std::lock_guard guard(lock_);
            auto made = std::make_unique<FakePlayer>(int(players_.size()));
            players_.push_back(made.get());
            return made;
        },
        nullptr, 3, time_);
    channels_ = {};
    channels_.replaceList(channelList());
    alternates_ = {};
    pictures_ = {};
    settings_ = std::make_unique<UserSettings>();
    controller_ = std::make_unique<PlaybackController>(
        PlaybackController::Parts{*session_, channels_, alternates_, pictures_, settings_.get(), video_});
    controller_->setGuide(&guide_);
    controller_->setCachingMs(300);
    controller_->setWallClock([] { return kNow; });
    scheduler_ = std::make_unique<PreopenScheduler>(*controller_, channels_, settings_.get(), time_);
}

void ControllerTest::cleanup()
{
    scheduler_.reset();
    controller_.reset();
    session_.reset();
}

void ControllerTest::nextProgrammeFollowsAtAProgrammesEnd()
{
    // Three programmes of 一台: one that ended, the one on now, one to come.
    const Programme first{kNow - 7200, kNow - 3600, QStringLiteral("早间新闻"), {}};
    const Programme second{kNow - 3600, kNow + 600, QStringLiteral("午间新闻"), {}};
    const Programme later{kNow + 600, kNow + 1800, QStringLiteral("晚间新闻"), {}};
    guide_.schedules[1] = {first, second, later};
    QSignalSpy titles(controller_.get(), &PlaybackController::titleChanged);
    controller_->watchBack(1, first);
    const QString firstAddress = QStringLiteral("http://h/back/%1-%2.ts").arg(first.start).arg(first.stop);
    QVERIFY(starts(firstAddress));
    QCOMPARE(controller_->title().kind, Kind::WatchingBack);
    QVERIFY(controller_->title().name.contains(QStringLiteral("早间新闻")));
    QCOMPARE(controller_->watchedEntry(), 1);

    // At its end the next programme of the channel follows, watched back too.
    showing().setStats({0, 0, 0, 0, 3600000, 3600000, false});
    passTime(std::chrono::seconds(1)); // a reading of where it stands
    showing().send(Type::EndReached);
    const QString secondAddress = QStringLiteral("http://h/back/%1-%2.ts").arg(second.start).arg(second.stop);
    QVERIFY(starts(secondAddress));
    QVERIFY(controller_->title().name.contains(QStringLiteral("午间新闻")));

    // At the end of that one the next has not begun: the channel live.
    showing().setStats({0, 0, 0, 0, 4200000, 4200000, false});
    passTime(std::chrono::seconds(1));
    showing().send(Type::EndReached);
    QVERIFY(starts(QStringLiteral("http://h/1.ts")));
    QCOMPARE(controller_->title(), (PlaybackTitle{Kind::Playing, QStringLiteral("一台"), {}, 100, {}}));
    QVERIFY(!controller_->watchingBack());
}

void ControllerTest::addressThatFinallyPlayedGoesFirstNextTime()
{
    controller_->playEntry(2);
    QCOMPARE(controller_->nowPlaying().addresses, QStringList({"http://a/2.ts", "http://b/2.ts"}));
    // The first address fails before it plays: the second is tried and plays.
    QVERIFY(QTest::qWaitFor([this] { return showing().calls().contains(QStringLiteral("open http://a/2.ts")); }, 2000));
    QVERIFY(waitIdle());
    showing().send(Type::EncounteredError);
    QVERIFY(starts(QStringLiteral("http://b/2.ts")));
    QCOMPARE(controller_->currentAddress(), QStringLiteral("http://a/2.ts#http://b/2.ts"));
    // Next time, in this run and the next, it goes first.
    controller_->playEntry(3);
    controller_->playEntry(2);
    QCOMPARE(controller_->nowPlaying().addresses, QStringList({"http://b/2.ts", "http://a/2.ts"}));
    QCOMPARE(controller_->entryAlternates(2).front().address, QStringLiteral("http://b/2.ts"));
    AlternateOrder restarted;
    restarted.setKept(UserSettings().firstAddresses());
    QCOMPARE(restarted.kept().size(), size_t(1));
    QCOMPARE(restarted.kept().front().second, QStringLiteral("http://b/2.ts"));
}

void ControllerTest::startLastPlaysOnceTheWindowShowsAndTheListIsThere()
{
    // Without "start=last" the remembered channel is opened ahead, not played.
    scheduler_->startListShown(3);
    QCOMPARE(controller_->nowPlaying().generation, 0u);
    scheduler_->windowPainted(3);
    QVERIFY(QTest::qWaitFor([this] { return openedAhead() == QStringLiteral("/clips/3.mp4"); }, 2000));
    QCOMPARE(controller_->nowPlaying().generation, 0u);
    // Nobody chose anything for a minute: let go.
    passTime(PreopenScheduler::kStartKept);
    QVERIFY(!SessionProbe(*session_).holdsPreopened());

    // With it, the channel plays as soon as both the list and the window are there.
    cleanup();
    init();
    writeSetting(QStringLiteral("start"), QStringLiteral("last"));
    QSignalSpy played(controller_.get(), &PlaybackController::entryPlayed);
    scheduler_->windowPainted(-1); // the list is not there yet
    QCOMPARE(played.size(), 0);
    scheduler_->startListShown(3);
    QCOMPARE(played.size(), 1);
    QCOMPARE(played.first().first().toInt(), 3);
    QCOMPARE(controller_->title().name, QStringLiteral("三台"));
}

void ControllerTest::whatIsOpenedAheadFollowsChoicesRestsDigitsAndTheFilter()
{
    // After a choice: the next channel, once the choice plays.
    controller_->playEntry(1);
    QVERIFY(starts(QStringLiteral("http://h/1.ts")));
    QVERIFY(QTest::qWaitFor([this] { return openedAhead() == QStringLiteral("http://a/2.ts"); }, 2000));
    // A channel-up: the one before, round the list over the heading.
    controller_->playNeighbour(-1, 1);
    QCOMPARE(controller_->nowPlaying().name, QStringLiteral("三台"));
    QVERIFY(starts(QStringLiteral("/clips/3.mp4")));
    QVERIFY(QTest::qWaitFor([this] { return openedAhead() == QStringLiteral("http://a/2.ts"); }, 2000));

    // The selection rests on 一台 for a moment: opened ahead then, not before.
    scheduler_->selectionMoved(1);
    passTime(PreopenScheduler::kRest - std::chrono::milliseconds(50));
    QVERIFY(waitIdle());
    QVERIFY(openedAhead() != QStringLiteral("http://h/1.ts"));
    passTime(std::chrono::milliseconds(50));
    QVERIFY(QTest::qWaitFor([this] { return openedAhead() == QStringLiteral("http://h/1.ts"); }, 2000));
    // Passing over an entry opens nothing; the heading and the channel watched neither.
    scheduler_->selectionMoved(0);
    passTime(PreopenScheduler::kRest);
    scheduler_->selectionMoved(3);
    passTime(PreopenScheduler::kRest);
    QVERIFY(waitIdle());
    QCOMPARE(openedAhead(), QStringLiteral("http://h/1.ts"));

    // Digits typed: the channel they name so far, at once.
    scheduler_->digitsTyped(channels_.numbered(2));
    QVERIFY(QTest::qWaitFor([this] { return openedAhead() == QStringLiteral("http://a/2.ts"); }, 2000));
    // The filter's first match, once the typing pauses.
    channels_.setFilter(QStringLiteral("一"));
    scheduler_->filterMatched(channels_.list().firstShownChannel());
    passTime(PreopenScheduler::kRest);
    QVERIFY(QTest::qWaitFor([this] { return openedAhead() == QStringLiteral("http://h/1.ts"); }, 2000));
    channels_.setFilter({});

    // "next" opens only the next channel after a choice; "off" nothing at all.
    channels_.setPreopen(PreopenMode::Next);
    scheduler_->selectionMoved(2);
    passTime(PreopenScheduler::kRest);
    QVERIFY(waitIdle());
    QCOMPARE(openedAhead(), QStringLiteral("http://h/1.ts"));
}

void ControllerTest::stopOrPlayAgainAndTheMediaKeys()
{
    QSignalSpy states(controller_.get(), &PlaybackController::stateChanged);
    // Next from nothing played: the channel after the selection.
    controller_->playNeighbour(+1, 1);
    QCOMPARE(controller_->nowPlaying().name, QStringLiteral("二台"));
    QVERIFY(starts(QStringLiteral("http://a/2.ts")));
    QCOMPARE(controller_->state(), PlaybackController::State::Playing);
    // A live channel: pause stops it, play plays it again.
    controller_->pause();
    QCOMPARE(controller_->state(), PlaybackController::State::Stopped);
    QCOMPARE(controller_->title().kind, Kind::Idle);
    QCOMPARE(controller_->currentAddress(), QStringLiteral("http://a/2.ts#http://b/2.ts")); // kept after a stop
    controller_->play();
    QCOMPARE(controller_->nowPlaying().name, QStringLiteral("二台"));
    QVERIFY(starts(QStringLiteral("http://a/2.ts")));
    // Space: stop, and again the entry chosen last.
    controller_->stopOrPlayAgain();
    QCOMPARE(controller_->nowPlaying().generation, 0u);
    controller_->pauseOrStopOrPlayAgain();
    QCOMPARE(controller_->nowPlaying().name, QStringLiteral("二台"));
    QVERIFY(!states.isEmpty());
    // Next and previous go round from the channel chosen last, whatever the selection.
    controller_->playNeighbour(+1, 1);
    QCOMPARE(controller_->nowPlaying().name, QStringLiteral("三台"));
    controller_->playNeighbour(+1, 1);
    QCOMPARE(controller_->nowPlaying().name, QStringLiteral("一台"));
    controller_->playPrevious();
    QCOMPARE(controller_->nowPlaying().name, QStringLiteral("三台"));
    QVERIFY(!controller_->playNumber(4));
    QVERIFY(controller_->playNumber(1));
    QCOMPARE(controller_->nowPlaying().name, QStringLiteral("一台"));
    // A heading is no channel; an empty address of nothing selected is opened as it stands.
    const std::uint64_t before = controller_->nowPlaying().generation;
    controller_->playEntry(0);
    QCOMPARE(controller_->nowPlaying().generation, before);
    controller_->playEntry(-1);
    QCOMPARE(controller_->title(), (PlaybackTitle{Kind::Playing, {}, {}, 100, {}}));
}

void ControllerTest::pauseAndJumpsInAFileAndAProgrammeWatchedBack()
{
    controller_->playEntry(3);
    QVERIFY(QTest::qWaitFor([this] { return showing().calls().contains(QStringLiteral("open /clips/3.mp4")); }, 2000));
    showing().setStats({0, 0, 0, 0, 5000, 60000, true});
    QVERIFY(starts(QStringLiteral("/clips/3.mp4")));
    QSignalSpy moved(controller_.get(), &PlaybackController::positionMoved);
    // Space holds a file and goes on; the title says so.
    controller_->pauseOrStopOrPlayAgain();
    QCOMPARE(controller_->state(), PlaybackController::State::Paused);
    QCOMPARE(controller_->title().kind, Kind::Paused);
    controller_->play();
    QCOMPARE(controller_->title().kind, Kind::Playing);
    // Jumps add up from where it is asked to be, within the file.
    controller_->jumpBy(10000);
    controller_->jumpBy(10000);
    QCOMPARE(controller_->position()->timeMs, 25000);
    controller_->jumpTo(-5);
    QCOMPARE(controller_->position()->timeMs, 0);
    QCOMPARE(moved.size(), 5);

    // A programme watched back counts from its own start; a jump its stream
    // cannot make asks the server again from there.
    const Programme past{kNow - 3600, kNow - 1800, QStringLiteral("旧闻"), {}};
    guide_.schedules[1] = {past};
    controller_->watchBack(1, past, 600);
    const QString from600 = QStringLiteral("http://h/back/%1-%2.ts").arg(past.start + 600).arg(past.stop);
    QVERIFY(QTest::qWaitFor([&] { return showing().calls().contains(QStringLiteral("open ") + from600); }, 2000));
    showing().setStats({0, 0, 0, 0, 1000, -1, false});
    QVERIFY(starts(from600));
    QCOMPARE(controller_->position()->timeMs, 601000);
    QCOMPARE(controller_->position()->lengthMs, 1800000);
    controller_->jumpTo(0);
    QVERIFY(QTest::qWaitFor([&] {
        return showing().calls().contains(QStringLiteral("open http://h/back/%1-%2.ts").arg(past.start).arg(past.stop));
    }, 2000));
    QCOMPARE(controller_->watchingBack()->fromSecond, 0);
}

void ControllerTest::liveChannelHeldMovedRecordedAndBeyondItsBuffer()
{
    std::int64_t steady = 0;
    controller_->live().setSteadyClock([&steady] { return steady; });
    controller_->playEntry(1);
    QVERIFY(starts(QStringLiteral("http://h/1.ts")));
    FakePlayer& player = showing();
    TimeShiftBuffer::State buffer;
    buffer.heldMs = 60000;
    player.setLiveState(buffer);
    const auto asked = [&player](const QString& call) {
        return QTest::qWaitFor([&] { return player.calls().contains(call); }, 2000);
    };

    // Space holds; ten seconds later it goes on from the held picture, behind live.
    controller_->pauseOrStopOrPlayAgain();
    QVERIFY(asked(QStringLiteral("pause")));
    QCOMPARE(controller_->state(), PlaybackController::State::Paused);
    QCOMPARE(controller_->title().kind, Kind::Paused);
    steady += 10000;
    controller_->pauseOrStopOrPlayAgain();
    QVERIFY(asked(QStringLiteral("resume")));
    QCOMPARE(controller_->title().kind, Kind::BehindLive);
    QCOMPARE(controller_->position()->lengthMs - controller_->position()->timeMs, 10000);
    QVERIFY(controller_->position()->live);
    // ← 10 s further back, End to live.
    controller_->jumpBy(-10000);
    QVERIFY(asked(QStringLiteral("shift 20000")));
    controller_->backToLive();
    QVERIFY(asked(QStringLiteral("shift 0")));
    QCOMPARE(controller_->title().kind, Kind::Playing);
    // Held longer than the buffer reaches: on from its oldest moment.
    controller_->pauseOrStopOrPlayAgain();
    steady += 70000;
    controller_->pauseOrStopOrPlayAgain();
    QVERIFY(asked(QStringLiteral("shift 60000")));

    // R records into the recordings' folder, named by the channel; R again stops.
    controller_->toggleRecording();
    QVERIFY(QTest::qWaitFor([&] { return !player.calls().filter(QStringLiteral("record ")).isEmpty(); }, 2000));
    const QString recorded = player.calls().filter(QStringLiteral("record ")).value(0).mid(7);
    QVERIFY(recorded.startsWith(recording::folder() + QStringLiteral("/一台 ")));
    QVERIFY(controller_->live().recording().has_value());
    controller_->toggleRecording();
    QVERIFY(asked(QStringLiteral("stop recording")));
    QVERIFY(!controller_->live().recording().has_value());
    // One that stops by itself (its disk ran short) is told by the player's event, with why.
    std::vector<LiveRecorder::Stop> ended;
    connect(&controller_->live(), &LiveControl::recordingEnded, this,
            [&ended](LiveRecorder::Stop why, const QString&) { ended.push_back(why); });
    controller_->toggleRecording();
    QVERIFY(QTest::qWaitFor([&] { return player.calls().filter(QStringLiteral("record ")).size() == 2; }, 2000));
    TimeShiftBuffer::State full = buffer;
    full.recordingPath = player.calls().filter(QStringLiteral("record ")).value(1).mid(7);
    full.recordingStop = LiveRecorder::Stop::DiskShort;
    player.setLiveState(full);
    player.send(MediaPlayer::Event::Type::RecordingEnded);
    QVERIFY(QTest::qWaitFor([&] { return !ended.empty(); }, 2000));
    QCOMPARE(ended, std::vector<LiveRecorder::Stop>{LiveRecorder::Stop::DiskShort});
    QVERIFY(!controller_->live().recording().has_value());
    player.setLiveState(buffer);

    // Further back than the buffer: the programme of that moment, from the server.
    const Programme earlier{kNow - 3600, kNow - 60, QStringLiteral("午间新闻"), {}};
    guide_.schedules[1] = {earlier};
    controller_->jumpBy(-60000); // 120 s behind live
    QVERIFY(controller_->watchingBack().has_value());
    QCOMPARE(controller_->watchingBack()->fromSecond, 3600 - 120);
    QVERIFY(QTest::qWaitFor([&] {
        return showing().calls().contains(
            QStringLiteral("open http://h/back/%1-%2.ts").arg(earlier.start + 3600 - 120).arg(earlier.stop));
    }, 2000));

    // A channel without catch-up stops at the buffer's start.
    controller_->playEntry(2);
    QVERIFY(starts(QStringLiteral("http://a/2.ts")));
    showing().setLiveState(buffer);
    const auto shiftsToOldest = [this] { return showing().calls().filter(QStringLiteral("shift 60000")).size(); };
    const qsizetype before = shiftsToOldest();
    controller_->jumpBy(-600000);
    QVERIFY(QTest::qWaitFor([&] { return shiftsToOldest() == before + 1; }, 2000));
    QVERIFY(!controller_->watchingBack());
}

void ControllerTest::plannedProgrammesRecordOnlyWhereAConnectionIsFree()
{
    qint64 now = kNow;
    RecordingPlans plans;
    ScheduledRecordings scheduled({plans, *controller_, *session_, channels_, settings_.get(), &time_});
    scheduled.setWallClock([&now] { return now; });
    QSignalSpy asked(&scheduled, &ScheduledRecordings::askSwitch);
    QSignalSpy beside(&scheduled, &ScheduledRecordings::besideChanged);
    const auto besideNow = [&beside] { return beside.isEmpty() ? 0 : beside.last().first().toInt(); };
    PlaySourceFile list = channelList(); // and 四台, of 二台's server
    list.entries.push_back({QStringLiteral("四台"), QStringLiteral("http://a/4.ts")});
    list.fillColumns();
    channels_.replaceList(list);
    // 一台 plays live from its buffer.
    controller_->playEntry(1);
    QVERIFY(starts(QStringLiteral("http://h/1.ts")));
    FakePlayer& watched = showing();
    watched.setLiveState(TimeShiftBuffer::State{});

    // Its programme in ten minutes, with the default padding of 2 and 5 minutes.
    const Programme news{kNow + 600, kNow + 1800, QStringLiteral("晚间新闻"), {}};
    QVERIFY(scheduled.toggle(1, news));
    QVERIFY(scheduled.isPlanned(1, news));
    QCOMPARE(settings_->recordingPlans().size(), size_t(1)); // kept at once
    now = kNow + 600 - 121;
    scheduled.look();
    QVERIFY(watched.calls().filter(QStringLiteral("record ")).isEmpty());
    // A second on, it starts by itself: the plans wake at their next moment, from the connection that plays it.
    now = kNow + 600 - 120;
    passTime(std::chrono::seconds(1));
    QVERIFY(QTest::qWaitFor([&] { return !watched.calls().filter(QStringLiteral("record ")).isEmpty(); }, 2000));
    QCOMPARE(besideNow(), 0);
    now = kNow + 1800 + 300;
    scheduled.look();
    QVERIFY(QTest::qWaitFor([&] { return watched.calls().contains(QStringLiteral("stop recording")); }, 2000));
    QVERIFY(!scheduled.isPlanned(1, news));
    QVERIFY(settings_->recordingPlans().empty());

    // 四台 on a server known to allow one connection while 二台 of that server plays: asked, never opened beside.
    session_->rememberOneConnection(OneConnectionHosts::serverOf(QStringLiteral("http://a/4.ts")));
    controller_->playEntry(2);
    QVERIFY(starts(QStringLiteral("http://a/2.ts")));
    const Programme film{now + 60, now + 3600, QStringLiteral("电影"), {}};
    QVERIFY(scheduled.toggle(4, film));
    QCOMPARE(asked.size(), 1);
    QCOMPARE(besideNow(), 0);
    scheduled.look();
    QCOMPARE(asked.size(), 1); // once
    // "换台录制": 四台 plays, and is recorded from its one connection once it does.
    scheduled.answer(asked.first().first().value<RecordingPlan>(), true);
    QVERIFY(starts(QStringLiteral("http://a/4.ts")));
    FakePlayer& switched = showing();
    switched.setLiveState(TimeShiftBuffer::State{});
    scheduled.look();
    QVERIFY(QTest::qWaitFor([&] { return !switched.calls().filter(QStringLiteral("record ")).isEmpty(); }, 2000));
    // The user's R on it ends the plan.
    controller_->toggleRecording();
    QVERIFY(QTest::qWaitFor([&] { return !scheduled.isPlanned(4, film); }, 2000));

    // Another server's channel records beside, over a connection of its own; dropping the plan ends it.
    const Programme sport{now - 60, now + 600, QStringLiteral("体育"), {}};
    QVERIFY(scheduled.toggle(1, sport));
    QCOMPARE(besideNow(), 1);
    QVERIFY(!scheduled.toggle(1, sport));
    QCOMPARE(besideNow(), 0);
    // One beside on a one-connection server gives way, before its connection opens, to a channel chosen on that server.
    controller_->playEntry(1);
    QVERIFY(starts(QStringLiteral("http://h/1.ts")));
    const Programme match{now - 60, now + 600, QStringLiteral("比赛"), {}};
    QVERIFY(scheduled.toggle(4, match));
    QCOMPARE(besideNow(), 1);
    controller_->playEntry(2);
    QCOMPARE(besideNow(), 0);
    QVERIFY(starts(QStringLiteral("http://a/2.ts")));
    scheduled.look();
    QCOMPARE(asked.size(), 2); // and the user is asked, as for any plan of that server
    QVERIFY(scheduled.isPlanned(4, match));
    QVERIFY(!scheduled.toggle(4, match));
    // A programme over is not planned; plans missed while the program was closed are dropped.
    QVERIFY(!scheduled.toggle(1, {now - 600, now - 60, QStringLiteral("旧"), {}}));
    RecordingPlans kept;
    kept.setKept({{{QStringLiteral("一台"), QStringLiteral("http://h/1.ts")}, now - 3600, now - 600, QStringLiteral("错过")},
                  {{QStringLiteral("一台"), QStringLiteral("http://h/1.ts")}, now + 60, now + 600, QStringLiteral("将来")}},
                 now, {2, 5});
    QCOMPARE(kept.kept().size(), size_t(1));
    QCOMPARE(kept.nextChange(now, {2, 5}), now + 600 + 300); // it started (padded) already: its end
}

void ControllerTest::favouritesChangeKeepsWhatIsWatchedBack()
{
    const Programme past{kNow - 3600, kNow - 1800, QStringLiteral("旧闻"), {}};
    guide_.schedules[1] = {past};
    controller_->watchBack(1, past);
    QCOMPARE(controller_->watchedEntry(), 1);
    // 三台 and 一台 become favourites: 一台's entry moves down the list, and
    // the programme watched back stays its.
    channels_.setFavourites(channels_.favouritesToggling(3));
    channels_.setFavourites(channels_.favouritesToggling(channels_.list().find(QStringLiteral("一台"), QStringLiteral("http://h/1.ts"))));
    const int moved = channels_.list().find(QStringLiteral("一台"), QStringLiteral("http://h/1.ts"));
    QCOMPARE(moved, 4);
    QCOMPARE(controller_->watchedEntry(), moved);
    QCOMPARE(controller_->watchedChannel(), (ChannelKey{QStringLiteral("一台"), QStringLiteral("http://h/1.ts")}));
    // Its picture shape goes to the channel, not to what took its place.
    controller_->choosePicture({PictureSettings::Shape::Standard, PictureSettings::Deinterlace::Auto, {}});
    QCOMPARE(pictures_.of({QStringLiteral("一台"), QStringLiteral("http://h/1.ts")}).shape, PictureSettings::Shape::Standard);
    // At its end the channel follows live, where it is now.
    QSignalSpy played(controller_.get(), &PlaybackController::entryPlayed);
    QVERIFY(QTest::qWaitFor([this] { return !SessionProbe(*session_).isOpenerBusy(); }, 2000));
    showing().send(Type::Buffering, 100.0f);
    showing().setStats({0, 0, 0, 0, 1800000, 1800000, false});
    passTime(std::chrono::seconds(1));
    showing().send(Type::EndReached);
    QVERIFY(played.wait(2000));
    QCOMPARE(played.first().first().toInt(), moved);
}

void ControllerTest::serversFoundToAllowOneConnectionAreKeptForWeeks()
{
    QTemporaryDir folder;
    const QString path = folder.filePath(QStringLiteral("cache/one-connection-servers"));
    KnownServers written(path);
    QVERIFY(written.found(QStringLiteral("h:8000"), kNow - KnownServers::kKeptSeconds - 1)); // found too long ago
    QVERIFY(written.found(QStringLiteral("a:80"), kNow - 3600));
    QVERIFY(written.found(QStringLiteral("b:443"), kNow));
    QCOMPARE(KnownServers(path).load(kNow), QStringList({"a:80", "b:443"}));
    // Found again: its time starts over. A file not of this kind gives nothing.
    KnownServers again(path);
    again.load(kNow);
    QVERIFY(again.found(QStringLiteral("a:80"), kNow + KnownServers::kKeptSeconds));
    QCOMPARE(KnownServers(path).load(kNow + KnownServers::kKeptSeconds + 1), QStringList({"a:80"}));
    QFile garbage(path);
    QVERIFY(garbage.open(QIODevice::WriteOnly) && garbage.write("\x01\x02 not\ta number\n\t\n") > 0);
    garbage.close();
    QVERIFY(KnownServers(path).load(kNow).isEmpty());
}

int main(int argc, char** argv)
{
    // The settings the controller keeps go to a folder of the test's own.
    QTemporaryDir config;
    qputenv("XDG_CONFIG_HOME", config.path().toUtf8());
    QCoreApplication app(argc, argv);
    ControllerTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_controller.moc"
