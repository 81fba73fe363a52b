// Channels opened ahead, with the real libvlc on the real X server: the next
// channel after a choice and the entry the selection rests on are opened
// silent and out of sight; choosing one brings it forward with its picture
// and at the kept volume while the old one stops; a channel that is not ready
// still switches, over the connection it opened; one that fails says nothing;
// stop and exit take it along. A server that allows one connection keeps
// the channel watched, and its channels switch on the first try.

#include "HttpTestServer.h"
#include "LiveStreamServer.h"
#include "LoopbackPorts.h"
#include "ProgramDriver.h"
#include "RtspTestServer.h"
#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "SessionProbe.h"
#include "core/settings/UserSettings.h"
#include "engine/PlaybackSession.h"
#include "engine/VlcPlayer.h"
#include "ui/lists/ListFilterLine.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "app/ProgramViews.h"
#include "ui/lists/ListPanelView.h"
#include "ui/playback/PlaybackView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <QProcess>
#include <QScopeGuard>
#include <QSignalSpy>

#include <X11/Xlib.h>

#include <sys/socket.h>

#include <vlc/vlc.h>

namespace {

using testmedia::kBlue;
using testmedia::kRed;

const QColor kGreen(0, 128, 0);

} // namespace

class PreopenTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { program_.reset(); }

    void readySwitchBringsTheNextChannelForward();
    void liveChannelsOpenedAheadPlayOnWhenBroughtForward();
    void restingSelectionIsOpenedAheadForEnter(); // and the digits typed, and the filter's first match
    void switchToAChannelNotReadyStillWorks();
    void channelOpenedAheadThatFailsSaysNothing();
    void serverAllowingOneConnectionKeepsTheChannelWatched_data();
    void serverAllowingOneConnectionKeepsTheChannelWatched();
    void oneConnectionFlvChosenAfterItWasOpenedAheadPlays();
    void stopAndExitTakeTheChannelOpenedAhead(); // it ends the program
    void channelWatchedLastIsOpenedAheadAtStart(); // a program of its own
    void serverFoundToCutTheOlderIsKnownAfterARestart(); // programs of its own

private:
    ProgramDriver& ui() { return *driver_; }
    PlaybackSession& playback() { return program_->core().session(); }
    bool preopened(int entry) { return playback().isPreopened(program_->core().playback().entryAlternates(entry)); }
    int stateOf(int player)
    {
        const auto* vlc = dynamic_cast<const VlcPlayer*>(SessionProbe(playback()).player(player));
        return vlc ? vlc->State() : libvlc_Stopped;
    }

    QTemporaryDir media_;
    QString red_, blue_, green_, alternating_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<ProgramDriver> driver_;
};

namespace {

MediaPlayer::Stats readingOf(const MediaPlayer& player)
{
    return player.stats().value_or(MediaPlayer::Stats{});
}

} // namespace

void PreopenTest::initTestCase()
{
    QVERIFY(media_.isValid());
    red_ = media_.filePath(QStringLiteral("red.mp4"));
    blue_ = media_.filePath(QStringLiteral("blue.mp4"));
    green_ = media_.filePath(QStringLiteral("green.mp4"));
    QVERIFY(testmedia::makeClip(red_, QStringLiteral("red"), 20));
    QVERIFY(testmedia::makeClip(blue_, QStringLiteral("blue"), 20));
    QVERIFY(testmedia::makeClip(green_, QStringLiteral("green"), 20));
    alternating_ = media_.filePath(QStringLiteral("alternating.ts"));
    QVERIFY(testmedia::makeAlternatingClip(alternating_, 30));
    program_ = std::make_unique<Program>();
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    driver_ = std::make_unique<ProgramDriver>(*program_);
}

void PreopenTest::init()
{
    if (!program_)
        return;
    program_->views().playback->stop();
    QVERIFY(ui().waitUntilStopped());
    ui().setEntries({{QStringLiteral("红色"), red_}, {QStringLiteral("蓝色"), blue_}, {QStringLiteral("绿色"), green_}});
}

void PreopenTest::readySwitchBringsTheNextChannelForward()
{
    QCOMPARE(playback().transport().setVolume(70), 70);
    ui().doubleClickEntry(0);
    QVERIFY2(ui().videoTurns(kRed, 15000), qPrintable(ui().videoColour().name()));
    const int red = SessionProbe(playback()).showingIndex();
    // The next channel is opened ahead: silent and out of sight.
    QTRY_VERIFY_WITH_TIMEOUT(preopened(1), 15000);
    QVERIFY(testmedia::looksLike(ui().videoColour(), kRed));

    // Channel down: it is brought forward, no new open.
    program_->core().playback().playNeighbour(+1, -1);
    QCOMPARE(ui().title(), QStringLiteral("正在播放：蓝色"));
    QVERIFY2(ui().videoTurns(kBlue, 15000), qPrintable(ui().videoColour().name()));
    QVERIFY(SessionProbe(playback()).showingIndex() != red);
    // The file waited at its first picture: it plays on, pictures and sound.
    const MediaPlayer::Stats atSwitch = readingOf(SessionProbe(playback()).showingPlayer());
    QTRY_VERIFY_WITH_TIMEOUT(readingOf(SessionProbe(playback()).showingPlayer()).displayedPictures > atSwitch.displayedPictures + 10 &&
                                 readingOf(SessionProbe(playback()).showingPlayer()).decodedAudio > atSwitch.decodedAudio + 10,
                             15000);
    // Heard at the kept level; the channel that showed stops.
    QTRY_COMPARE(SessionProbe(playback()).showingPlayer().Volume(0, false), 70);
    QTRY_COMPARE_WITH_TIMEOUT(stateOf(red), int(libvlc_Stopped), 15000);
    QCOMPARE(program_->core().playback().currentAddress(), blue_);
    // And the one after it is opened ahead in turn.
    QTRY_VERIFY_WITH_TIMEOUT(preopened(2), 15000);
    playback().transport().setVolume(100);
}

// A live channel goes on receiving while it waits; brought forward, its next
// picture is drawn at once, and it must play on from there, over HTTP and RTSP.
void PreopenTest::liveChannelsOpenedAheadPlayOnWhenBroughtForward()
{
    const QString live = media_.filePath(QStringLiteral("blue.ts"));
    QVERIFY(testmedia::makeClip(live, QStringLiteral("blue"), 8));
    LiveStreamServer http(live, 8);
    RtspTestServer rtsp({"--colour", "green"});
    QVERIFY(http.isListening() && rtsp.isListening());
    ui().setEntries({{QStringLiteral("红色"), red_},
                     {QStringLiteral("直播"), http.address()},
                     {QStringLiteral("摄像头"), rtsp.address()}});
    ui().doubleClickEntry(0);
    QVERIFY(ui().videoTurns(kRed, 15000));
    const QColor serverGreen(0, 255, 0); // GStreamer's green, not ffmpeg's
    for (const auto& [entry, colour] : {std::pair{1, kBlue}, std::pair{2, serverGreen}}) {
        QTRY_VERIFY_WITH_TIMEOUT(preopened(entry), 15000);
        QVERIFY(http.connections() == 1); // opened ahead once, not again when chosen
        program_->core().playback().playNeighbour(+1, -1);
        QVERIFY2(ui().videoTurns(colour, 15000), qPrintable(ui().videoColour().name()));
        const MediaPlayer::Stats atSwitch = readingOf(SessionProbe(playback()).showingPlayer());
        QTRY_VERIFY_WITH_TIMEOUT(readingOf(SessionProbe(playback()).showingPlayer()).displayedPictures >
                                     atSwitch.displayedPictures + 10,
                                 15000);
        QCOMPARE(stateOf(SessionProbe(playback()).showingIndex()), int(libvlc_Playing));
    }
    QVERIFY(ui().titleTip().isEmpty());
}

void PreopenTest::restingSelectionIsOpenedAheadForEnter()
{
    ui().doubleClickEntry(0);
    QVERIFY(ui().videoTurns(kRed, 15000));
    // The selection rests on the third entry for a moment.
    program_->window().get<ListBox>(u"SourceList").setCurrentSelection(2);
    QTRY_VERIFY_WITH_TIMEOUT(preopened(2), 15000);
    program_->views().playback->playSelected();
    QVERIFY2(ui().videoTurns(kGreen, 15000), qPrintable(ui().videoColour().name()));
    QCOMPARE(ui().title(), QStringLiteral("正在播放：绿色"));

    // A digit typed: the channel it names is opened ahead before the pause that plays it ends.
    program_->window().activateWindow();
    xtest::xdotool({"windowfocus", "--sync", QString::number(program_->window().winId())});
    QVERIFY(xtest::xdotool({"key", "2"}));
    QTRY_VERIFY_WITH_TIMEOUT(preopened(1), 15000);
    QVERIFY2(ui().videoTurns(kBlue, 15000), qPrintable(ui().videoColour().name()));
    // The filter narrowing: its first match, once the typing pauses.
    ProgramViews& views = program_->views();
    views.panel->showFilter();
    program_->window().findChild<ListFilterLine*>()->setText(QStringLiteral("红"));
    QTRY_VERIFY_WITH_TIMEOUT(preopened(0), 15000);
    views.panel->closeFilter();
}

void PreopenTest::switchToAChannelNotReadyStillWorks()
{
    // The next entry never answers, so nothing is ready when another is chosen.
    HttpTestServer silent({}, HttpTestServer::Mode::Stall);
    ui().setEntries({{QStringLiteral("红色"), red_},
                     {QStringLiteral("不回答"), QStringLiteral("http://127.0.0.1:%1/live.ts").arg(silent.port())},
                     {QStringLiteral("蓝色"), blue_}});
    ui().doubleClickEntry(0);
    QVERIFY(ui().videoTurns(kRed, 15000));
    QTRY_VERIFY(silent.requestsSeen() >= 1); // opened ahead, waiting
    QVERIFY(!preopened(1));
    ui().doubleClickEntry(2);
    QVERIFY2(ui().videoTurns(kBlue, 15000), qPrintable(ui().videoColour().name()));
    QCOMPARE(ui().title(), QStringLiteral("正在播放：蓝色"));
}

void PreopenTest::channelOpenedAheadThatFailsSaysNothing()
{
    HttpTestServer missing({}, HttpTestServer::Mode::NotFound);
    ui().setEntries({{QStringLiteral("红色"), red_},
                     {QStringLiteral("没有"), QStringLiteral("http://127.0.0.1:%1/none.ts").arg(missing.port())}});
    ui().doubleClickEntry(0);
    QVERIFY(ui().videoTurns(kRed, 15000));
    // Asked of its server, refused, and let go.
    QTRY_VERIFY_WITH_TIMEOUT(missing.requestsSeen() >= 1, 15000);
    QTRY_VERIFY_WITH_TIMEOUT(!SessionProbe(playback()).holdsPreopened(), 15000);
    QCOMPARE(ui().title(), QStringLiteral("正在播放：红色"));
    QVERIFY(ui().titleTip().isEmpty());
    QVERIFY(testmedia::looksLike(ui().videoColour(), kRed));
}

void PreopenTest::stopAndExitTakeTheChannelOpenedAhead()
{
    ui().doubleClickEntry(0);
    QVERIFY(ui().videoTurns(kRed, 15000));
    QTRY_VERIFY_WITH_TIMEOUT(preopened(1), 15000);
    program_->views().playback->stop();
    QVERIFY(ui().waitUntilStopped()); // every player, the one opened ahead too
    QVERIFY(!preopened(1));
    QVERIFY2(ui().videoTurns(Qt::black, 15000), qPrintable(ui().videoColour().name()));

    ui().doubleClickEntry(0);
    QVERIFY(ui().videoTurns(kRed, 15000));
    QTRY_VERIFY_WITH_TIMEOUT(preopened(1), 15000);
    QElapsedTimer clock;
    clock.start();
    program_->OnProgramExit();
    QVERIFY2(clock.elapsed() < 10000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!program_->core().isPlaying());
    driver_.reset();
    program_.reset();
}

void PreopenTest::channelWatchedLastIsOpenedAheadAtStart()
{
    QTemporaryDir folder;
    QVERIFY(testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")),
                                 "红色," + red_.toUtf8() + "\r\n蓝色," + blue_.toUtf8() + "\r\n"));
    UserSettings().setLastChannel({QStringLiteral("蓝色"), blue_});
    program_ = std::make_unique<Program>(folder.path());
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    driver_ = std::make_unique<ProgramDriver>(*program_);
    // Selected, not shown, not heard, and ready.
    QTRY_VERIFY_WITH_TIMEOUT(preopened(1), 15000);
    QCOMPARE(program_->window().get<ListBox>(u"SourceList").currentSelection(), 1);
    QCOMPARE(ui().title(), QStringLiteral("Clipvane 澄影播放器"));
    QVERIFY2(ui().videoTurns(Qt::black, 2000), qPrintable(ui().videoColour().name()));
    // Enter: it plays at once, on this thread, without a new open.
    QSignalSpy started(&playback(), &PlaybackSession::started);
    program_->views().playback->playSelected();
    QCOMPARE(started.size(), 1);
    QVERIFY2(ui().videoTurns(kBlue, 15000), qPrintable(ui().videoColour().name()));
}

void PreopenTest::serverAllowingOneConnectionKeepsTheChannelWatched_data()
{
    QTest::addColumn<QString>("mode");
    QTest::addColumn<QString>("releaseSeconds"); // how long it counts a connection after it closed
    QTest::newRow("a second connection refused") << QStringLiteral("refuse") << QStringLiteral("0");
    QTest::newRow("refused, a closed one counted a second") << QStringLiteral("refuse") << QStringLiteral("1");
    QTest::newRow("the older connection cut") << QStringLiteral("cut-older") << QStringLiteral("0");
}

void PreopenTest::serverAllowingOneConnectionKeepsTheChannelWatched()
{
    QFETCH(QString, mode);
    QFETCH(QString, releaseSeconds);
    LiveStreamServer server(alternating_, 30, {"--one-connection", mode, "--release-after", releaseSeconds});
    QVERIFY(server.isListening());
    ui().setEntries({{QStringLiteral("一台"), server.address(QStringLiteral("one.ts"))},
                     {QStringLiteral("二台"), server.address(QStringLiteral("two.ts"))}});
    ui().doubleClickEntry(0);
    QVERIFY2(ui().videoAlternates(kRed, kBlue, 2, 15000), qPrintable(ui().videoColour().name()));
    // The second channel was due to be opened ahead: the server's answer tells what it is.
    QTRY_VERIFY_WITH_TIMEOUT(playback().oneConnectionHosts().isOneConnection(server.address()), 15000);
    // From then on nothing of it is opened ahead, and the channel watched moves on.
    QVERIFY2(ui().videoAlternates(kRed, kBlue, 4, 15000), qPrintable(ui().title()));
    QCOMPARE(ui().title(), QStringLiteral("正在播放：一台"));
    QVERIFY(!SessionProbe(playback()).holdsPreopened());

    // Channel down to the other channel of that server: it plays at the first choice.
    QSignalSpy status(&playback(), &PlaybackSession::statusChanged);
    const int connections = server.connections();
    program_->core().playback().playNeighbour(+1, -1);
    QTRY_COMPARE_WITH_TIMEOUT(ui().title(), QStringLiteral("正在播放：二台"), 5000);
    // The old channel's picture may go on for a moment while its player stops: its connection counts first.
    QTRY_VERIFY_WITH_TIMEOUT(server.connections() > connections, 15000);
    QVERIFY2(ui().videoAlternates(kRed, kBlue, 2, 15000), qPrintable(ui().videoColour().name()));
    // One connection, or a few refused while the server still counted the old one.
    if (releaseSeconds == QLatin1String("0"))
        QCOMPARE(server.connections(), connections + 1);
    QCOMPARE(ui().title(), QStringLiteral("正在播放：二台"));
    for (const QList<QVariant>& arguments : status) {
        const PlaybackStatus::Phase phase = arguments.first().value<PlaybackStatus>().phase;
        QVERIFY(phase == PlaybackStatus::Phase::Opening || phase == PlaybackStatus::Phase::Playing);
    }
}

// ffmpeg as an HTTP server takes one client, and the channel opened ahead is
// it: choosing the channel must use that connection.
void PreopenTest::oneConnectionFlvChosenAfterItWasOpenedAheadPlays()
{
    const quint16 port = loopback::freePort(SOCK_STREAM);
    const QString blueTs = media_.filePath(QStringLiteral("blue.ts"));
    QVERIFY(testmedia::makeClip(blueTs, QStringLiteral("blue"), 8));
    QProcess server;
    server.start(QStringLiteral("ffmpeg"),
                 {"-loglevel", "error", "-re", "-stream_loop", "-1", "-i", blueTs, "-c", "copy", "-f", "flv", "-listen",
                  "1", QStringLiteral("http://127.0.0.1:%1/live.flv").arg(port)});
    QVERIFY(server.waitForStarted(10000));
    const auto end = qScopeGuard([&server] {
        server.kill();
        server.waitForFinished(5000);
    });
    QTRY_VERIFY_WITH_TIMEOUT(loopback::tcpSockets(port, "0A") == 1, 10000);
    ui().setEntries({{QStringLiteral("红色"), red_},
                     {QStringLiteral("FLV直播"), QStringLiteral("http://127.0.0.1:%1/live.flv").arg(port)}});
    ui().doubleClickEntry(0);
    QVERIFY(ui().videoTurns(kRed, 15000));
    QTRY_VERIFY_WITH_TIMEOUT(loopback::tcpSockets(port, "01") == 1, 15000); // opened ahead: the server's one client
    ui().doubleClickEntry(1);
    QVERIFY2(ui().videoTurns(kBlue, 15000), qPrintable(ui().videoColour().name()));
    QCOMPARE(ui().title(), QStringLiteral("正在播放：FLV直播"));
    QCOMPARE(server.state(), QProcess::Running);
}

// Found once, a server that cuts the older connection is known at the next
// start: nothing of it is opened ahead, so the channel watched never freezes.
void PreopenTest::serverFoundToCutTheOlderIsKnownAfterARestart()
{
    LiveStreamServer server(alternating_, 30, {"--one-connection", "cut-older"});
    QVERIFY(server.isListening());
    const QList<QPair<QString, QString>> entries{{QStringLiteral("一台"), server.address(QStringLiteral("one.ts"))},
                                                 {QStringLiteral("二台"), server.address(QStringLiteral("two.ts"))}};
    const auto start = [this, &entries] {
        program_ = std::make_unique<Program>();
        program_->open();
        driver_ = std::make_unique<ProgramDriver>(*program_);
        ui().setEntries(entries);
        return QTest::qWaitForWindowExposed(&program_->window());
    };
    QVERIFY(start());
    ui().doubleClickEntry(0);
    QTRY_VERIFY_WITH_TIMEOUT(playback().oneConnectionHosts().isOneConnection(server.address()), 15000);
    driver_.reset();
    program_.reset();

    QVERIFY(start());
    QVERIFY(playback().oneConnectionHosts().isOneConnection(server.address()));
    const int connections = server.connections();
    ui().doubleClickEntry(0);
    // Long past the moment its neighbour would have been opened ahead, one connection, never cut.
    QVERIFY2(ui().videoAlternates(kRed, kBlue, 6, 15000), qPrintable(ui().videoColour().name()));
    QCOMPARE(server.connections(), connections + 1);
    QVERIFY(!SessionProbe(playback()).holdsPreopened());
    QCOMPARE(ui().title(), QStringLiteral("正在播放：一台"));
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    PreopenTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_preopen.moc"
