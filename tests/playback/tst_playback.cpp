// Playing and stopping sources with the real libvlc, into the real window on
// Xvfb: local clips and an HTTP stream, switching while one plays, failures
// that must say so instead of hanging, caching that really acts, the volume
// across a stop, and a storm of choices and stops ending in an exit.

#include "HttpTestServer.h"
#include "ProgramDriver.h"
#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "SessionProbe.h"
#include "core/settings/UserSettings.h"
#include "engine/PlaybackSession.h"
#include "engine/VlcPlayer.h"
#include "platform/LibVlc.h"
#include "ui/MainWindow.h"
#include "ui/playback/VideoArea.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/PicBtn.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/playback/PlaybackView.h"

#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QMessageBox>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <X11/Xlib.h>

#include <cstdarg>
#include <mutex>

namespace {

using testmedia::kBlue;
using testmedia::kRed;

const QColor kGreen(0, 128, 0);

// Collects libvlc's log lines while it is installed on an instance.
class LibVlcLog {
public:
    explicit LibVlcLog(libvlc_instance_t* instance) : instance_(instance)
    {
        LIBVLC(libvlc_log_set)(instance_, &LibVlcLog::receive, this);
    }
    ~LibVlcLog() { LIBVLC(libvlc_log_unset)(instance_); }

    // The pre-buffering lengths libvlc reports, in milliseconds.
    QList<int> bufferingDone() const
    {
        static const QRegularExpression done(QStringLiteral("Stream buffering done \\((\\d+) ms"));
        const std::lock_guard guard(lock_);
        QList<int> lengths;
        for (const QString& line : lines_)
            if (const auto match = done.match(line); match.hasMatch())
                lengths << match.captured(1).toInt();
        return lengths;
    }

private:
    static void receive(void* self, int, const libvlc_log_t*, const char* format, va_list arguments)
    {
        char text[1024];
        std::vsnprintf(text, sizeof text, format, arguments);
        auto* log = static_cast<LibVlcLog*>(self);
        const std::lock_guard guard(log->lock_);
        log->lines_ << QString::fromUtf8(text);
    }

    libvlc_instance_t* instance_;
    mutable std::mutex lock_;
    QStringList lines_;
};

} // namespace

class PlaybackTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase();

    void gbkTextBecomesUtf8();
    void doubleClickPlaysTheThirdEntryAndStopStops();
    void pathsWithChineseNamesAndDoubleSlashesPlay();
    void emptyListSaysSoAndStartsNothing();
    void httpStreamPlays();
    void switchingOpensBesideWhatPlays();
    void failuresSaySoInsteadOfHanging_data();
    void failuresSaySoInsteadOfHanging();
    void stalledServerFailsAfterTheStartTimeout();
    void cachingOptionsAct();
    void volumeSurvivesAStop();
    void f12SavesThePictureAtItsOwnSize();
    void storyOfChoicesAndStopsEndsInACleanExit(); // it ends the program
    void libvlcSpeaksOnlyWhenAsked();

private:
    void setEntries(const QList<QPair<QString, QString>>& entries) { driver_->setEntries(entries); }
    void doubleClickEntry(int index) { driver_->doubleClickEntry(index); }
    QColor videoColour() { return driver_->videoColour(); }
    bool videoTurns(const QColor& colour, int timeoutMs) { return driver_->videoTurns(colour, timeoutMs); }
    QString title() { return driver_->title(); }
    bool waitUntilStopped() { return driver_->waitUntilStopped(); }

    QTemporaryDir media_;
    QString red_, blue_, chinese_, stream_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<ProgramDriver> driver_;
};

void PlaybackTest::initTestCase()
{
    QVERIFY(media_.isValid());
    red_ = media_.filePath(QStringLiteral("red.mp4"));
    blue_ = media_.filePath(QStringLiteral("blue.mp4"));
    QVERIFY(QDir(media_.path()).mkpath(QStringLiteral("节目 片段")));
    chinese_ = media_.filePath(QStringLiteral("节目 片段/绿色 片段.mp4"));
    stream_ = media_.filePath(QStringLiteral("red.ts"));
    QVERIFY(testmedia::makeClip(red_, QStringLiteral("red")));
    QVERIFY(testmedia::makeClip(blue_, QStringLiteral("blue")));
    QVERIFY(testmedia::makeClip(chinese_, QStringLiteral("green")));
    QVERIFY(testmedia::makeClip(stream_, QStringLiteral("red")));

    // Switching between two players as such; channels opened ahead have tests of their own.
    UserSettings().setPreopen(QStringLiteral("off"));
    program_ = std::make_unique<Program>();
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    QVERIFY(program_->core().session().isUsable());
    driver_ = std::make_unique<ProgramDriver>(*program_);
    QCOMPARE(program_->core().playback().cachingMs(), 300);
}

void PlaybackTest::init()
{
    if (program_ && program_->core().isPlaying()) {
        SessionProbe(program_->core().session()).setStartTimeout(PlaybackSession::kStartTimeout);
        program_->views().playback->stop();
        QVERIFY(waitUntilStopped());
    }
}

void PlaybackTest::cleanupTestCase()
{
    program_.reset();
}

void PlaybackTest::gbkTextBecomesUtf8()
{
    const QByteArray gbk("D:\\\xb3\xce\xd3\xb0.mp4"); // "澄影" in code page 936
    QCOMPARE(VlcPlayer::ToUtf8(gbk), QStringLiteral("D:\\澄影.mp4").toUtf8());
    QCOMPARE(VlcPlayer::ToUtf8(QByteArray()), QByteArray());
    QCOMPARE(VlcPlayer::ToUtf8("plain"), QByteArray("plain"));
}

void PlaybackTest::doubleClickPlaysTheThirdEntryAndStopStops()
{
    setEntries({{QStringLiteral("蓝色"), blue_}, {QStringLiteral("绿色"), chinese_}, {QStringLiteral("红色"), red_}});
    QSignalSpy started(&program_->core().session(), &PlaybackSession::started);
    doubleClickEntry(2);
    QCOMPARE(title(), QStringLiteral("正在播放：红色"));
    QCOMPARE(program_->core().playback().currentAddress(), red_);
    QVERIFY(started.wait(10000));
    QVERIFY2(videoTurns(kRed, 10000), qPrintable(videoColour().name()));

    PicBtn& stop = program_->window().get<PicBtn>(u"StopButton");
    QTest::mouseClick(program_->window().windowHandle(), Qt::LeftButton, {},
                      stop.geometry().topLeft() + QPoint(17, 17));
    QCOMPARE(title(), QStringLiteral("Clipvane 澄影播放器"));
    QVERIFY(waitUntilStopped());
    QTRY_COMPARE_WITH_TIMEOUT(videoColour(), QColor(0, 0, 0), 5000);
    // Stopping leaves the choice and the selection as they were.
    QCOMPARE(program_->core().playback().currentAddress(), red_);
    QCOMPARE(program_->window().get<ListBox>(u"SourceList").currentSelection(), 2);
}

void PlaybackTest::pathsWithChineseNamesAndDoubleSlashesPlay()
{
    QString doubled = blue_;
    doubled.replace(media_.path() + QLatin1Char('/'), media_.path() + QStringLiteral("//"));
    setEntries({{QStringLiteral("绿色"), chinese_}, {QStringLiteral("双斜线"), doubled}});
    doubleClickEntry(0);
    QVERIFY2(videoTurns(kGreen, 10000), qPrintable(videoColour().name()));
    doubleClickEntry(1);
    QCOMPARE(title(), QStringLiteral("正在播放：双斜线"));
    QVERIFY2(videoTurns(kBlue, 10000), qPrintable(videoColour().name()));
    QCOMPARE(title(), QStringLiteral("正在播放：双斜线"));
}

void PlaybackTest::emptyListSaysSoAndStartsNothing()
{
    setEntries({});
    const std::uint64_t before = program_->core().session().generation();
    const QString titleBefore = title();
    QString text, caption;
    QMessageBox::Icon icon = QMessageBox::Critical;
    bool modal = false;
    xtest::answerNextMessageBox(this, [&](QMessageBox& box) {
        text = box.text();
        caption = box.windowTitle();
        icon = box.icon();
        modal = box.windowModality() == Qt::ApplicationModal;
        box.button(QMessageBox::Ok)->click();
    });
    program_->views().playback->playSelected();
    QCOMPARE(text, QStringLiteral("无内容"));
    QCOMPARE(caption, QStringLiteral("信息："));
    QCOMPARE(icon, QMessageBox::NoIcon);
    QVERIFY(modal);
    QCOMPARE(program_->core().session().generation(), before);
    QVERIFY(!SessionProbe(program_->core().session()).isOpenerBusy());
    QCOMPARE(title(), titleBefore);
}

void PlaybackTest::httpStreamPlays()
{
    QFile file(stream_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    HttpTestServer server(file.readAll());
    QVERIFY(server.isListening());
    setEntries({{QStringLiteral("网络红色"), QStringLiteral("http://127.0.0.1:%1/red.ts").arg(server.port())}});
    doubleClickEntry(0);
    QVERIFY2(videoTurns(kRed, 10000), qPrintable(videoColour().name()));
    QVERIFY(server.requestsSeen() >= 1);
    QCOMPARE(title(), QStringLiteral("正在播放：网络红色"));
    program_->views().playback->stop();
    QVERIFY(waitUntilStopped());
}

// A choice made while a stream plays opens on the second player at once; the
// first stops beside it. On one player, libvlc would first wait for the
// stream's held-back picture (ffmpeg's MPEG-TS starts 0.7 s ahead of its clock)
// before it even began the next source.
void PlaybackTest::switchingOpensBesideWhatPlays()
{
    QFile file(stream_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    HttpTestServer server(file.readAll());
    setEntries({{QStringLiteral("网络"), QStringLiteral("http://127.0.0.1:%1/red.ts").arg(server.port())},
                {QStringLiteral("蓝色"), blue_},
                {QStringLiteral("红色"), red_}});
    PlaybackSession& playback = program_->core().session();
    doubleClickEntry(0);
    QVERIFY2(videoTurns(kRed, 15000), qPrintable(videoColour().name()));
    auto& streaming = dynamic_cast<VlcPlayer&>(SessionProbe(playback).showingPlayer());
    QCOMPARE(playback.transport().setVolume(70), 70);

    // How long the switch takes is measured in bench/ (channel switch).
    doubleClickEntry(1);
    QVERIFY2(videoTurns(kBlue, 15000), qPrintable(videoColour().name()));
    QCOMPARE(title(), QStringLiteral("正在播放：蓝色"));
    auto& local = dynamic_cast<VlcPlayer&>(SessionProbe(playback).showingPlayer());
    QVERIFY(&local != &streaming);
    // Each draws into an X window of its own, so the one going away can not
    // paint over the one coming in.
    QVERIFY(local.Window() != streaming.Window());
    QTRY_COMPARE(program_->views().video->surfaces()[1]->isVisible(), &local == SessionProbe(playback).player(1));
    QTRY_COMPARE_WITH_TIMEOUT(streaming.State(), int(libvlc_Stopped), 5000);
    QTRY_COMPARE(local.Volume(0, false), 70); // the level followed the switch
    // The second player's window lets the pointer through: the picture still drags the window.
    const QPoint before = program_->window().pos();
    PicBox& video = program_->window().get<PicBox>(u"VideoSurface");
    QVERIFY(xtest::dragWithRealPointer(video.mapToGlobal(QPoint(200, 200)), QPoint(20, 20)));
    QTRY_COMPARE(program_->window().pos(), before + QPoint(20, 20));
    program_->window().move(before);

    // And back: the first player is free again and takes the next source.
    doubleClickEntry(2);
    QVERIFY2(videoTurns(kRed, 15000), qPrintable(videoColour().name()));
    QCOMPARE(&SessionProbe(playback).showingPlayer(), static_cast<MediaPlayer*>(&streaming));
    QTRY_COMPARE_WITH_TIMEOUT(local.State(), int(libvlc_Stopped), 5000);
    QCOMPARE(title(), QStringLiteral("正在播放：红色"));

    // A stop leaves both stopped and the video area black.
    program_->views().playback->stop();
    QVERIFY(waitUntilStopped());
    QVERIFY2(videoTurns(Qt::black, 5000), qPrintable(videoColour().name()));
    playback.transport().setVolume(100);
}

void PlaybackTest::failuresSaySoInsteadOfHanging_data()
{
    QTest::addColumn<QString>("address");
    QTest::newRow("missing file") << QStringLiteral("/nonexistent/片段.mp4");
    QTest::newRow("not a media file") << QStringLiteral("/etc/hostname");
    QTest::newRow("refused http") << QStringLiteral("http://127.0.0.1:9/none.ts");
    QTest::newRow("rtsp") << QStringLiteral("rtsp://127.0.0.1:9/live");
}

void PlaybackTest::failuresSaySoInsteadOfHanging()
{
    QFETCH(QString, address);
    setEntries({{QStringLiteral("坏的"), address}});
    // The window's thread keeps running while the source fails: no long gap between beats.
    const xtest::Heartbeat heartbeat(20);
    doubleClickEntry(0);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("播放失败：坏的"), 15000);
    // libvlc's failing opens take seconds; the window may pause for a repaint, not for them.
    QVERIFY2(heartbeat.longestGapMs() < 1500, qPrintable(QStringLiteral("the window stood still for %1 ms").arg(heartbeat.longestGapMs())));
}

void PlaybackTest::stalledServerFailsAfterTheStartTimeout()
{
    HttpTestServer server({}, HttpTestServer::Mode::Stall);
    QVERIFY(server.isListening());
    SessionProbe(program_->core().session()).setStartTimeout(std::chrono::milliseconds(2000));
    setEntries({{QStringLiteral("不回答"), QStringLiteral("http://127.0.0.1:%1/live.ts").arg(server.port())},
                {QStringLiteral("红色"), red_}});
    QElapsedTimer clock;
    clock.start();
    doubleClickEntry(0);
    QTRY_COMPARE_WITH_TIMEOUT(title(), QStringLiteral("播放失败：不回答"), 10000);
    QVERIFY(clock.elapsed() >= 1900);
    QTRY_VERIFY(server.requestsSeen() >= 1);
    // The stalled open is stopped, and the next choice plays.
    doubleClickEntry(1);
    QVERIFY2(videoTurns(kRed, 15000), qPrintable(videoColour().name()));
    QCOMPARE(title(), QStringLiteral("正在播放：红色"));
}

void PlaybackTest::cachingOptionsAct()
{
    QFile file(stream_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    HttpTestServer server(file.readAll());
    setEntries({{QStringLiteral("本地"), red_},
                {QStringLiteral("网络"), QStringLiteral("http://127.0.0.1:%1/red.ts").arg(server.port())}});
    for (int caching : {300, 2000}) {
        program_->core().playback().setCachingMs(caching);
        for (int entry : {0, 1}) {
            // After a stop the next choice opens on the player that showed last.
            LibVlcLog log(dynamic_cast<VlcPlayer&>(SessionProbe(program_->core().session()).showingPlayer()).Instance());
            QSignalSpy started(&program_->core().session(), &PlaybackSession::started);
            doubleClickEntry(entry);
            QVERIFY(started.wait(10000));
            QTRY_VERIFY(!log.bufferingDone().isEmpty());
            // libvlc pre-buffers at least what the option asks for (rounded up to
            // whole frames and packets); without it, it would take its own 1000 ms.
            const int buffered = log.bufferingDone().first();
            QVERIFY2(buffered >= caching && buffered < (caching < 1000 ? 1000 : caching + 1000),
                     qPrintable(QStringLiteral("entry %1, caching %2: buffered %3 ms").arg(entry).arg(caching).arg(buffered)));
            program_->views().playback->stop();
            QVERIFY(waitUntilStopped());
        }
    }
    program_->core().playback().setCachingMs(300);
}

void PlaybackTest::volumeSurvivesAStop()
{
    // What the volume buttons use.
    PlaybackSession& player = program_->core().session();
    QCOMPARE(player.transport().setVolume(80), 80);
    setEntries({{QStringLiteral("红色"), red_}});
    QSignalSpy started(&program_->core().session(), &PlaybackSession::started);
    doubleClickEntry(0);
    QVERIFY(started.wait(10000));
    QTRY_COMPARE(player.transport().volume(), 80);
    program_->views().playback->stop();
    QVERIFY(waitUntilStopped());
    QCOMPARE(player.transport().volume(), 80); // libvlc itself has no figure now
    QCOMPARE(player.transport().setVolume(120), 120);
    QCOMPARE(player.transport().setVolume(-50), 0);
    QCOMPARE(player.transport().setVolume(120), 120);
    doubleClickEntry(0);
    QVERIFY(started.wait(10000));
    QTRY_COMPARE(player.transport().volume(), 120);
}

void PlaybackTest::storyOfChoicesAndStopsEndsInACleanExit()
{
    QFile file(stream_);
    QVERIFY(file.open(QIODevice::ReadOnly));
    HttpTestServer server(file.readAll());
    HttpTestServer stalled({}, HttpTestServer::Mode::Stall);
    setEntries({{QStringLiteral("红色"), red_},
                {QStringLiteral("蓝色"), blue_},
                {QStringLiteral("网络"), QStringLiteral("http://127.0.0.1:%1/red.ts").arg(server.port())},
                {QStringLiteral("不回答"), QStringLiteral("http://127.0.0.1:%1/live.ts").arg(stalled.port())},
                {QStringLiteral("没有"), QStringLiteral("/nonexistent.mp4")}});
    ListBox& names = program_->window().get<ListBox>(u"SourceList");
    // CLIPVANE_TEST_SEED replays a storm.
    const quint32 seed = qEnvironmentVariableIsSet("CLIPVANE_TEST_SEED")
                             ? quint32(qEnvironmentVariableIntValue("CLIPVANE_TEST_SEED"))
                             : QRandomGenerator::global()->generate();
    qInfo("storm seed %u (CLIPVANE_TEST_SEED=%u replays it)", seed, seed);
    QRandomGenerator storm(seed);
    auto* random = &storm;
    for (int i = 0; i < 200; ++i) {
        if (i % 9 == 8) {
            program_->views().playback->stop();
        } else {
            names.setCurrentSelection(random->bounded(names.items().size()));
            program_->views().playback->playSelected();
        }
        if (i % 4 == 0)
            QCoreApplication::processEvents();
    }
    // The last intent wins: a stop after the storm leaves the player stopped.
    program_->views().playback->stop();
    QVERIFY(waitUntilStopped());
    QCOMPARE(title(), QStringLiteral("Clipvane 澄影播放器"));

    // A choice whose open is still under way when the program ends.
    names.setCurrentSelection(3);
    program_->views().playback->playSelected();
    QElapsedTimer clock;
    clock.start();
    program_->OnProgramExit();
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!program_->core().isPlaying());
    program_->OnProgramExit(); // once only
    // The window outlives the views: a click or a key on it now does nothing.
    QTest::mouseClick(program_->window().control(u"StopButton")->widget(), Qt::LeftButton);
    QTest::keyClick(&program_->window(), Qt::Key_Space);
    QCoreApplication::processEvents();
    QVERIFY(program_->window().isVisible());
    driver_.reset();
    program_.reset();
}

// The program itself, in a folder of its own with a one-clip list: played by a
// real double-click, once as a user starts it and once with the log turned on.
void PlaybackTest::libvlcSpeaksOnlyWhenAsked()
{
    QTemporaryDir folder;
    const QString program = folder.filePath(QStringLiteral("clipvane"));
    QVERIFY(QFile::copy(QStringLiteral(CLIPVANE_BINARY), program));
    QVERIFY(QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    QVERIFY(testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")), ("红色," + red_ + "\r\n").toUtf8()));
    const QPoint origin = MainWindow::centredPosition(QSize(707, 415));
    const QPoint video = origin + QPoint(3 + 557 / 2, 32 + 344 / 2);

    const auto playOnce = [&](const QString& rules) -> QString {
        QProcess player;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_LOGGING_RULES"));
        if (!rules.isEmpty())
            environment.insert(QStringLiteral("QT_LOGGING_RULES"), rules);
        player.setProcessEnvironment(environment);
        player.start(program, {});
        if (!player.waitForStarted(10000))
            return QStringLiteral("(did not start)");
        if (!xtest::waitForWindowOf(player.processId()))
            return QStringLiteral("(no window)");
        // The first entry of the list, double-clicked.
        const QPoint entry = origin + QPoint(561 + 40, 56 + 6);
        QTest::qWait(300);
        xtest::xdotool({"mousemove", QString::number(entry.x()), QString::number(entry.y()), "click", "--repeat", "2",
                        "--delay", "80", "1"});
        const bool played = QTest::qWaitFor([&] { return testmedia::looksLike(xtest::screenPixel(video), kRed); }, 15000);
        player.terminate();
        player.waitForFinished(10000);
        const QString said = QString::fromLocal8Bit(player.readAllStandardError());
        return played ? said : QStringLiteral("(never played) ") + said;
    };

    const QString quiet = playOnce({});
    QVERIFY2(!quiet.startsWith(QLatin1Char('(')), qPrintable(quiet));
    // libvlc's own console lines start with an object address in brackets.
    static const QRegularExpression vlcLine(QStringLiteral("^\\[[0-9a-f]{8,16}\\] "), QRegularExpression::MultilineOption);
    QVERIFY2(!quiet.contains(vlcLine), qPrintable(quiet));
    QVERIFY2(!quiet.contains(QStringLiteral("clipvane.vlc")), qPrintable(quiet));
    QVERIFY2(!quiet.contains(QStringLiteral("ALSA lib")), qPrintable(quiet));

    const QString loud = playOnce(QStringLiteral("clipvane.*=true"));
    QVERIFY2(!loud.startsWith(QLatin1Char('(')), qPrintable(loud.left(2000)));
    QVERIFY2(loud.contains(QStringLiteral("clipvane.vlc: main: creating audio output")), qPrintable(loud.left(2000)));
}

void PlaybackTest::f12SavesThePictureAtItsOwnSize()
{
    const QDir shots(QStandardPaths::writableLocation(QStandardPaths::PicturesLocation) + QStringLiteral("/Clipvane"));
    setEntries({{QStringLiteral("红色/频道"), red_}});
    doubleClickEntry(0);
    QVERIFY2(videoTurns(kRed, 10000), qPrintable(videoColour().name()));
    program_->window().activateWindow();
    QVERIFY(xtest::xdotool({"key", "F12"}));
    // Named by the channel (its "/" made harmless) and the time, at the clip's own 320 x 240.
    const auto shot = [&shots] {
        const QStringList names = shots.entryList({QStringLiteral("红色_频道 *.png")});
        return names.size() == 1 ? QImage(shots.filePath(names.first())) : QImage();
    };
    QTRY_COMPARE_WITH_TIMEOUT(shot().size(), QSize(320, 240), 10000);
    QVERIFY(testmedia::looksLike(shot().pixelColor(160, 120), kRed));
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    PlaybackTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_playback.moc"
