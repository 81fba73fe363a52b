// Pausing, going back in and recording a live channel, as the user sees it:
// the real program under Xvfb, keys through xdotool, and a live MPEG-TS
// server on 127.0.0.1 whose pictures tell their second by their colour. The
// server counts its connections, and some allow only one.

#include "LiveStreamServer.h"
#include "ProgramDriver.h"
#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "core/AppCore.h"
#include "core/playback/PlaybackController.h"
#include "core/recording/Recording.h"
#include "engine/OneConnectionHosts.h"
#include "ui/guide/ProgrammeSchedule.h"
#include "ui/controls/ListBox.h"
#include "ui/MainWindow.h"
#include "ui/recording/RecordingMark.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/guide/ProgrammeView.h"
#include "ui/playback/PlaybackView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDateTime>
#include <QMessageBox>
#include <QPushButton>
#include <QSettings>
#include <QTimeZone>
#include <QDir>
#include <QElapsedTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

namespace {

constexpr int kClipSeconds = 64;

bool pressKeys(Program& program, const QStringList& keys)
{
    program.window().activateWindow();
    xtest::xdotool({"windowfocus", "--sync", QString::number(program.window().winId())});
    return xtest::xdotool(QStringList{"key", "--delay", "40"} + keys);
}

// a − b round the clip's count, from −32 to 31.
int secondsBetween(int a, int b)
{
    const int difference = ((a - b) % kClipSeconds + kClipSeconds) % kClipSeconds;
    return difference >= kClipSeconds / 2 ? difference - kClipSeconds : difference;
}

// How long a recording plays, as ffprobe reads it; -1 when it cannot.
double probedSeconds(const QString& path)
{
    QProcess probe;
    probe.start(QStringLiteral("ffprobe"), {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0)
        return -1;
    bool isNumber = false;
    const double seconds = probe.readAllStandardOutput().trimmed().toDouble(&isNumber);
    return isNumber ? seconds : -1;
}

QStringList recordings()
{
    QDir folder(recording::folder());
    QStringList paths;
    for (const QString& name : folder.entryList({QStringLiteral("*.ts")}, QDir::Files))
        paths << folder.filePath(name);
    return paths;
}

} // namespace

class TimeShiftShownTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { program_.reset(); }

    void heldLiveGoesOnFromTheHeldPictureOverOneConnection();
    void twentySecondsRecordedFromAOneConnectionServer();
    void heldLongerThanTheBufferKeepsItsBound();
    void aRecordingCutByAKillPlaysToItsLastPacket();
    void aPlannedProgrammeRecordsBesideTheChannelWatched();
    void aOneConnectionServerAsksAndRecordsFromItsConnection();

private:
    ProgramDriver& ui() { return *driver_; }
    PlaybackController& playback() { return program_->core().playback(); }
    QString title() { return program_->window().get<TransLabel>(u"TitleLabel").caption(); }
    // Plays the server's channel and waits until it plays from its buffer.
    bool playLive(LiveStreamServer& server);
    // The second the picture shows, once two readings a moment apart agree within a second.
    int shownSecond();
    std::int64_t behindLiveMs();

    QTemporaryDir media_;
    QString clip_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<ProgramDriver> driver_;
};

void TimeShiftShownTest::initTestCase()
{
    QVERIFY(media_.isValid());
    clip_ = media_.filePath(QStringLiteral("counting.ts"));
    QVERIFY(testmedia::makeCountingClip(clip_));
    program_ = std::make_unique<Program>();
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    driver_ = std::make_unique<ProgramDriver>(*program_);
}

void TimeShiftShownTest::init()
{
    if (!program_) // the tests of planned recordings make programs of their own
        return;
    program_->core().playback().setTimeShiftBounds({});
    program_->views().playback->stop();
    QVERIFY(ui().waitUntilStopped());
}

bool TimeShiftShownTest::playLive(LiveStreamServer& server)
{
    if (!server.isListening())
        return false;
    ui().setEntries({{QStringLiteral("时移台"), server.address()}});
    ui().doubleClickEntry(0);
    return QTest::qWaitFor([&] { return playback().live().isAvailable() && title().startsWith(QStringLiteral("正在播放：")) &&
                                        ui().videoColour().blue() > 80; },
                           30000);
}

int TimeShiftShownTest::shownSecond()
{
    int seen = -100;
    const bool steady = QTest::qWaitFor(
        [&] {
            const int first = testmedia::secondShown(ui().videoColour());
            QTest::qWait(200);
            const int second = testmedia::secondShown(ui().videoColour());
            seen = second;
            return std::abs(secondsBetween(second, first)) <= 1;
        },
        5000);
    return steady ? seen : -100;
}

std::int64_t TimeShiftShownTest::behindLiveMs()
{
    const auto position = playback().position();
    return position && position->live ? position->lengthMs - position->timeMs : -1;
}

void TimeShiftShownTest::heldLiveGoesOnFromTheHeldPictureOverOneConnection()
{
    LiveStreamServer server(clip_, kClipSeconds, {"--one-connection", "refuse"});
    QVERIFY(playLive(server));
    QTest::qWait(12000); // enough in the buffer to go 20 s back after the hold

    QVERIFY(pressKeys(*program_, {"space"}));
    QTRY_VERIFY(title().startsWith(QStringLiteral("已暂停：")));
    const int held = shownSecond();
    QTest::qWait(10000); // held for ten seconds: live moves on meanwhile
    QCOMPARE(secondsBetween(shownSecond(), held), 0);
    QVERIFY(pressKeys(*program_, {"space"}));
    QTRY_VERIFY(title().startsWith(QStringLiteral("时移：")));
    // On from the held picture, not from live, ten seconds behind it.
    const int resumed = shownSecond();
    QVERIFY2(std::abs(secondsBetween(resumed, held)) <= 2, qPrintable(QStringLiteral("held %1, resumed %2").arg(held).arg(resumed)));
    QVERIFY2(std::abs(behindLiveMs() - 10000) <= 2500, qPrintable(QString::number(behindLiveMs())));

    // ← goes ten seconds further back; the picture plays on meanwhile.
    QElapsedTimer clock;
    clock.start();
    const int before = shownSecond();
    const auto playedOn = [&clock] { return int(clock.elapsed() / 1000); };
    QVERIFY(pressKeys(*program_, {"Left"}));
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(secondsBetween(shownSecond(), before - 10 + playedOn())) <= 2, 10000);
    qInfo() << "back 10 s shown after" << clock.elapsed() << "ms";
    QVERIFY(std::abs(behindLiveMs() - 20000) <= 3000);

    // End: live again, and still the one connection.
    clock.restart();
    const int behind = shownSecond();
    QVERIFY(pressKeys(*program_, {"End"}));
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(secondsBetween(shownSecond(), behind + 20 + playedOn())) <= 3, 10000);
    QTRY_VERIFY(title().startsWith(QStringLiteral("正在播放：")));
    QCOMPARE(behindLiveMs() < 1000, true);
    QCOMPARE(server.connections(), 1);
}

void TimeShiftShownTest::twentySecondsRecordedFromAOneConnectionServer()
{
    for (const QString& path : recordings())
        QFile::remove(path);
    LiveStreamServer server(clip_, kClipSeconds, {"--one-connection", "refuse"});
    QVERIFY(playLive(server));

    QVERIFY(pressKeys(*program_, {"r"}));
    QTRY_VERIFY(playback().live().recording().has_value());
    auto* mark = program_->window().findChild<QWidget*>(QStringLiteral("RecordingMark"));
    QTRY_VERIFY(mark && mark->isVisible());
    QCOMPARE(mark->accessibleName(), QStringLiteral("录制中"));
    QTest::qWait(20000); // the length of the recording
    QVERIFY(title().startsWith(QStringLiteral("正在播放："))); // the picture never stopped
    QVERIFY(pressKeys(*program_, {"r"}));
    QTRY_VERIFY(!playback().live().recording().has_value());
    QTRY_VERIFY(!mark->isVisible());

    const QStringList made = recordings();
    QCOMPARE(made.size(), 1);
    QVERIFY(QFileInfo(made.front()).fileName().startsWith(QStringLiteral("时移台 ")));
    const double seconds = probedSeconds(made.front());
    QVERIFY2(seconds >= 18 && seconds <= 23, qPrintable(QString::number(seconds)));
    QCOMPARE(server.connections(), 1);
}

void TimeShiftShownTest::heldLongerThanTheBufferKeepsItsBound()
{
    program_->core().playback().setTimeShiftBounds({15 * 1000, std::int64_t(64) << 20});
    LiveStreamServer server(clip_, kClipSeconds);
    QVERIFY(playLive(server));
    QVERIFY(pressKeys(*program_, {"space"}));
    QTRY_VERIFY(title().startsWith(QStringLiteral("已暂停：")));
    const int held = shownSecond();
    QTest::qWait(25000); // longer than the buffer reaches
    const auto state = playback().live().where();
    QVERIFY(state);
    QVERIFY2(state->reachMs <= 16000, qPrintable(QString::number(state->reachMs)));
    QCOMPARE(state->behindMs, state->reachMs);
    // On from the oldest moment kept: about 15 s behind live, 10 s after the held one.
    QElapsedTimer clock;
    clock.start();
    QVERIFY(pressKeys(*program_, {"space"}));
    QTRY_VERIFY_WITH_TIMEOUT(std::abs(secondsBetween(shownSecond(), held + 10 + int(clock.elapsed() / 1000))) <= 3, 10000);
    QVERIFY(std::abs(behindLiveMs() - 15000) <= 3000);
}

// The program itself records in a process of its own, which is killed.
void TimeShiftShownTest::aRecordingCutByAKillPlaysToItsLastPacket()
{
    LiveStreamServer server(clip_, kClipSeconds);
    QVERIFY(server.isListening());
    QTemporaryDir home;
    QProcess child;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), home.path());
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral(".config")));
    environment.insert(QStringLiteral("CLIPVANE_RECORDING_CHILD"), server.address());
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(QCoreApplication::applicationFilePath(), {});
    QVERIFY(child.waitForStarted());
    QVERIFY(child.waitForReadyRead(60000));
    QVERIFY(child.readLine().startsWith("recording"));
    QTest::qWait(10000);
    ::kill(pid_t(child.processId()), SIGKILL);
    QVERIFY(child.waitForFinished(10000));
    const QDir folder(home.filePath(QStringLiteral("Videos/Clipvane")));
    const QStringList made = folder.entryList({QStringLiteral("*.ts")}, QDir::Files);
    QCOMPARE(made.size(), 1);
    const double seconds = probedSeconds(folder.filePath(made.front()));
    QVERIFY2(seconds >= 8 && seconds <= 12.5, qPrintable(QString::number(seconds)));
}

namespace {

// A list of 一台 and 二台 at these addresses, and a guide in which 二台's
// programme "录制节目" runs from `from` to `to`; no padding.
bool writeListWithGuide(const QTemporaryDir& folder, const QString& first, const QString& second, qint64 from, qint64 to)
{
    const auto utc = [](qint64 time) {
        return QDateTime::fromSecsSinceEpoch(time, QTimeZone::utc()).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
    };
    const QString guide = folder.filePath(QStringLiteral("guide.xml"));
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"))
        .remove(QStringLiteral("recordings")); // another test's plans
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"))
        .setValue(QStringLiteral("record-before-minutes"), QStringLiteral("0"));
    QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"))
        .setValue(QStringLiteral("record-after-minutes"), QStringLiteral("0"));
    return testmedia::writeFile(guide, "<tv><channel id=\"c2\"><display-name>二台</display-name></channel>"
                                       "<programme start=\"" + utc(from) + " +0000\" stop=\"" + utc(to) +
                                           " +0000\" channel=\"c2\"><title>录制节目</title></programme></tv>") &&
           testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")),
                                "#EXTM3U x-tvg-url=\"" + guide.toUtf8() + "\"\n#EXTINF:-1 tvg-id=\"c1\",一台\n" +
                                    first.toUtf8() + "\n#EXTINF:-1 tvg-id=\"c2\",二台\n" + second.toUtf8() + "\n");
}

// R on the programme on now in 二台's schedule (G).
bool planFromTheSchedule(Program& program)
{
    if (!QTest::qWaitFor([&] { return program.core().guide() && !program.core().guide()->programmes(1).empty(); }, 20000))
        return false;
    program.window().get<ListBox>(u"SourceList").setCurrentSelection(1);
    if (!pressKeys(program, {"g"}) || !QTest::qWaitFor([&] { return program.window().findChild<ProgrammeSchedule*>() && program.window().findChild<ProgrammeSchedule*>()->isActiveWindow(); }, 5000))
        return false;
    xtest::xdotool({"key", "r"});
    return QTest::qWaitFor([&] { return program.window().findChild<ProgrammeSchedule*>()->rows().join(u'\n').contains(QStringLiteral("〔预约录制〕")); }, 5000);
}

} // namespace

void TimeShiftShownTest::aPlannedProgrammeRecordsBesideTheChannelWatched()
{
    program_.reset();
    driver_.reset();
    QDir(recording::folder()).removeRecursively();
    LiveStreamServer watchedServer(clip_, kClipSeconds);
    LiveStreamServer recordedServer(clip_, kClipSeconds);
    QVERIFY(watchedServer.isListening() && recordedServer.isListening());
    QTemporaryDir folder;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QVERIFY(writeListWithGuide(folder, watchedServer.address(), recordedServer.address(), now - 5, now + 12));
    Program program(folder.path());
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    ProgramDriver driver(program);
    // The list is read off the window's thread: a click before it is there plays nothing.
    QTRY_VERIFY_WITH_TIMEOUT(program.core().channels().list().count() == 2, 10000);
    driver.doubleClickEntry(0);
    QTRY_VERIFY_WITH_TIMEOUT(program.core().playback().live().isAvailable(), 30000);

    QVERIFY(planFromTheSchedule(program));
    QTRY_VERIFY_WITH_TIMEOUT(recordedServer.connections() >= 1, 10000);
    // The mark over the video says a recording runs beside, and goes once it is over.
    RecordingMark* mark = program.window().findChild<RecordingMark*>();
    QVERIFY(mark);
    QTRY_VERIFY(mark->isVisible() && mark->text() == QStringLiteral("● 后台录制 1"));
    // At the programme's end it stops by itself; the channel watched played on all along.
    QTRY_VERIFY_WITH_TIMEOUT(program.core().recordingPlans().kept().empty(), 30000);
    QTRY_VERIFY(!mark->isVisible());
    QVERIFY(driver.title().startsWith(QStringLiteral("正在播放：一台")));
    QCOMPARE(watchedServer.connections(), 1);
    const QStringList made = recordings();
    QCOMPARE(made.size(), 1);
    QVERIFY(QFileInfo(made.front()).fileName().startsWith(QStringLiteral("二台 ")));
    const double seconds = probedSeconds(made.front());
    QVERIFY2(seconds >= 6 && seconds <= 16, qPrintable(QString::number(seconds)));
}

void TimeShiftShownTest::aOneConnectionServerAsksAndRecordsFromItsConnection()
{
    program_.reset();
    driver_.reset();
    QDir(recording::folder()).removeRecursively();
    LiveStreamServer server(clip_, kClipSeconds, {"--one-connection", "refuse"});
    QVERIFY(server.isListening());
    QTemporaryDir folder;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    QVERIFY(writeListWithGuide(folder, server.address(QStringLiteral("one.ts")), server.address(QStringLiteral("two.ts")),
                               now - 5, now + 60));
    // Known from an earlier run to allow one connection: nothing of it is opened ahead from the start.
    QVERIFY(QDir().mkpath(TimeShiftBuffer::defaultFolder()));
    const QString known = TimeShiftBuffer::defaultFolder() + QStringLiteral("/one-connection-servers");
    QVERIFY(testmedia::writeFile(known, OneConnectionHosts::serverOf(server.address()).toUtf8() + '\t' +
                                            QByteArray::number(now) + '\n'));
    Program program(folder.path());
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    QVERIFY(program.core().session().oneConnectionHosts().isOneConnection(server.address()));
    ProgramDriver driver(program);
    // The list is read off the window's thread: a click before it is there plays nothing.
    QTRY_VERIFY_WITH_TIMEOUT(program.core().channels().list().count() == 2, 10000);
    driver.doubleClickEntry(0);
    QTRY_VERIFY_WITH_TIMEOUT(program.core().playback().live().isAvailable(), 30000);

    QVERIFY(planFromTheSchedule(program));
    // Asked, not connected: the one connection stays the channel watched's.
    QMessageBox* asked = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((asked = program.window().findChild<QMessageBox*>()) && asked->isVisible(), 5000);
    QCOMPARE(asked->accessibleName(), QStringLiteral("预约录制"));
    QCOMPARE(server.connections(), 1);
    // "换台录制": 二台 plays and records from its one connection.
    QPushButton* record = nullptr;
    for (QAbstractButton* button : asked->buttons())
        if (button->text() == QStringLiteral("换台录制"))
            record = qobject_cast<QPushButton*>(button);
    QVERIFY(record);
    record->click();
    QTRY_VERIFY_WITH_TIMEOUT(driver.title().startsWith(QStringLiteral("正在播放：二台")), 15000);
    QTRY_VERIFY_WITH_TIMEOUT(program.core().playback().live().recording().has_value(), 30000);
    QTRY_VERIFY_WITH_TIMEOUT(!recordings().isEmpty(), 5000);
    // One recording, from the channel watched: nothing was recorded beside it.
    QCOMPARE(recordings().size(), 1);
}

// The child: plays the address it is given, records it, says so, and waits for its end.
int recordUntilKilled(int argc, char** argv, const QString& address)
{
    QApplication app(argc, argv);
    Program program;
    program.open();
    ProgramDriver driver(program);
    driver.setEntries({{QStringLiteral("被杀台"), address}});
    driver.doubleClickEntry(0);
    PlaybackController& playback = program.core().playback();
    if (!QTest::qWaitFor([&] { return playback.live().isAvailable(); }, 30000))
        return 1;
    playback.toggleRecording();
    if (!QTest::qWaitFor([&] { return QDir(recording::folder()).entryList({QStringLiteral("*.ts")}).size() == 1; }, 10000))
        return 1;
    std::fputs("recording\n", stdout);
    std::fflush(stdout);
    return app.exec();
}

int main(int argc, char** argv)
{
    if (const QString address = qEnvironmentVariable("CLIPVANE_RECORDING_CHILD"); !address.isEmpty())
        return recordUntilKilled(argc, argv, address);
    QApplication app(argc, argv);
    TimeShiftShownTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_timeshiftshown.moc"
