// rtsp:// sources through the program's own reader, against GStreamer's RTSP
// server on 127.0.0.1: over TCP, over UDP when the server refuses TCP, with a
// password, with G.711 audio; failures that say so within seconds; stops that
// never wait on the reader; switching between RTSP and HTTP both ways.

#include "HttpTestServer.h"
#include "LiveStreamServer.h"
#include "ProgramDriver.h"
#include "RtspTestServer.h"
#include "TestMedia.h"

#include "app/Program.h"
#include "SessionProbe.h"
#include "engine/PlaybackSession.h"
#include "engine/StreamModule.h"
#include "ui/controls/TransLabel.h"
#include "ui/MainWindow.h"
#include "app/ProgramViews.h"
#include "ui/playback/PlaybackView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>

#include <array>
#include <thread>

namespace {

using testmedia::kBlue;
using testmedia::kRed;

const QColor kGreen(0, 255, 0);

} // namespace

class RtspTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void init();
    void cleanupTestCase() { program_.reset(); }

    void missingModuleFailsThatSourceOnly();
    void readerReturnsAtOnceWhenAborted();
    void playsOverTcp();
    void fallsBackToUdpWhenTcpIsRefused();
    void passesTheUserAndPassword();
    void keepsTheVideoOfACameraWithG711Audio();
    void wrongPathAndRefusedPortFailWithinSeconds();
    void stopsNeverWaitOnTheReader();
    void switchesBetweenRtspAndHttpBothWays();

private:
    ProgramDriver& ui() { return *driver_; }
    // Plays one entry and waits for its colour.
    bool plays(const QString& address, const QColor& colour, const QString& name = QStringLiteral("摄像头"));

    QTemporaryDir media_;
    QString live_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<ProgramDriver> driver_;
};

void RtspTest::initTestCase()
{
    QVERIFY(media_.isValid());
    live_ = media_.filePath(QStringLiteral("live.ts"));
    QVERIFY(testmedia::makeAlternatingClip(live_, 30));
    program_ = std::make_unique<Program>();
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    driver_ = std::make_unique<ProgramDriver>(*program_);
}

void RtspTest::init()
{
    program_->views().playback->stop();
    QVERIFY(ui().waitUntilStopped());
}

bool RtspTest::plays(const QString& address, const QColor& colour, const QString& name)
{
    ui().setEntries({{name, address}});
    ui().doubleClickEntry(0);
    return ui().videoTurns(colour, 20000);
}

// First: the module has not been opened yet in this process, and is not found.
void RtspTest::missingModuleFailsThatSourceOnly()
{
    const QByteArray module = qgetenv("CLIPVANE_STREAM_MODULE");
    qputenv("CLIPVANE_STREAM_MODULE", "/nonexistent/libclipvane_streams.so");
    ui().setEntries({{QStringLiteral("摄像头"), QStringLiteral("rtsp://127.0.0.1:9/live")}, {QStringLiteral("网络"), live_}});
    ui().doubleClickEntry(0);
    QTRY_COMPARE_WITH_TIMEOUT(ui().title(), QStringLiteral("播放失败：摄像头"), 20000);
    QVERIFY2(program_->window().get<TransLabel>(u"TitleLabel").toolTip().contains(QStringLiteral("缺少 RTSP 模块")),
             qPrintable(program_->window().get<TransLabel>(u"TitleLabel").toolTip()));
    // The program goes on: another source plays, and the module found later is used.
    QVERIFY(plays(live_, kRed, QStringLiteral("网络")));
    qputenv("CLIPVANE_STREAM_MODULE", module);
}

void RtspTest::readerReturnsAtOnceWhenAborted()
{
    // A server that takes the connection and never answers: the reader waits on it.
    HttpTestServer silent({}, HttpTestServer::Mode::Stall);
    const std::unique_ptr<StreamReader> reader = makeRtspReader(QStringLiteral("rtsp://127.0.0.1:%1/live").arg(silent.port()));
    std::array<unsigned char, 4096> buffer{};
    std::ptrdiff_t got = 0;
    QElapsedTimer clock;
    std::thread libvlc([&] { got = reader->read(buffer.data(), buffer.size()); });
    QTest::qWait(200);
    clock.start();
    reader->abort();
    libvlc.join();
    QCOMPARE(got, std::ptrdiff_t(-1));
    QVERIFY2(clock.elapsed() < 100, qPrintable(QString::number(clock.elapsed())));
}

void RtspTest::playsOverTcp()
{
    RtspTestServer server({"--colour", "red"});
    QVERIFY(server.isListening());
    QVERIFY2(plays(server.address(), kRed), qPrintable(ui().videoColour().name()));
    QCOMPARE(ui().title(), QStringLiteral("正在播放：摄像头"));
}

void RtspTest::fallsBackToUdpWhenTcpIsRefused()
{
    RtspTestServer server({"--colour", "blue", "--transport", "udp"});
    QVERIFY2(plays(server.address(), kBlue), qPrintable(ui().videoColour().name()));
}

void RtspTest::passesTheUserAndPassword()
{
    RtspTestServer server({"--colour", "green", "--user", "admin", "--password", "秘密123"});
    QVERIFY2(plays(server.address(QStringLiteral("admin:秘密123")), kGreen), qPrintable(ui().videoColour().name()));
    program_->views().playback->stop();
    ui().setEntries({{QStringLiteral("错的密码"), server.address(QStringLiteral("admin:wrong"))}});
    ui().doubleClickEntry(0);
    QTRY_COMPARE_WITH_TIMEOUT(ui().title(), QStringLiteral("播放失败：错的密码"), 15000);
    QVERIFY(!ui().titleTip().isEmpty());
}

void RtspTest::keepsTheVideoOfACameraWithG711Audio()
{
    // MPEG-TS can't carry G.711: the sound is left out, the picture plays.
    RtspTestServer server({"--colour", "red", "--audio", "pcmu"});
    QVERIFY2(plays(server.address(), kRed), qPrintable(ui().videoColour().name()));
}

void RtspTest::wrongPathAndRefusedPortFailWithinSeconds()
{
    RtspTestServer server;
    QElapsedTimer clock;
    clock.start();
    ui().setEntries({{QStringLiteral("错路径"), server.address({}, QStringLiteral("nothing"))},
                     {QStringLiteral("没开"), QStringLiteral("rtsp://127.0.0.1:9/live")}});
    ui().doubleClickEntry(0);
    QTRY_COMPARE_WITH_TIMEOUT(ui().title(), QStringLiteral("播放失败：错路径"), 10000);
    ui().doubleClickEntry(1);
    QTRY_COMPARE_WITH_TIMEOUT(ui().title(), QStringLiteral("播放失败：没开"), 10000);
    qInfo("both failed in %lld ms", static_cast<long long>(clock.elapsed()));
}

void RtspTest::stopsNeverWaitOnTheReader()
{
    PlaybackSession& playback = program_->core().session();
    // During the open: the server never answers, the reader would wait for its timeout.
    HttpTestServer silent({}, HttpTestServer::Mode::Stall);
    ui().setEntries({{QStringLiteral("不回答"), QStringLiteral("rtsp://127.0.0.1:%1/live").arg(silent.port())}});
    ui().doubleClickEntry(0);
    QTRY_VERIFY(silent.requestsSeen() >= 1 || !SessionProbe(playback).isOpenerBusy());
    QTest::qWait(300);
    QElapsedTimer clock;
    clock.start();
    program_->views().playback->stop();
    QVERIFY(QTest::qWaitFor([&] { return !SessionProbe(playback).isOpenerBusy(); }, 10000));
    const qint64 duringOpen = clock.elapsed();
    // While playing.
    RtspTestServer server({"--colour", "blue"});
    QVERIFY(plays(server.address(), kBlue));
    clock.restart();
    program_->views().playback->stop();
    QVERIFY(QTest::qWaitFor([&] { return !SessionProbe(playback).isOpenerBusy(); }, 10000));
    const qint64 whilePlaying = clock.elapsed();
    qInfo("stopped in %lld ms during the open, %lld ms while playing", static_cast<long long>(duringOpen),
          static_cast<long long>(whilePlaying));
    // Far below the reader's 5 s timeout: nothing waited on it.
    QVERIFY2(duringOpen < 2000, qPrintable(QString::number(duringOpen)));
    QVERIFY2(whilePlaying < 2000, qPrintable(QString::number(whilePlaying)));
    QVERIFY2(ui().videoTurns(Qt::black, 5000), qPrintable(ui().videoColour().name()));
}

void RtspTest::switchesBetweenRtspAndHttpBothWays()
{
    RtspTestServer camera({"--colour", "green"});
    LiveStreamServer http(live_, 30);
    ui().setEntries({{QStringLiteral("摄像头"), camera.address()}, {QStringLiteral("网络"), http.address()}});
    ui().doubleClickEntry(0);
    QVERIFY2(ui().videoTurns(kGreen, 20000), qPrintable(ui().videoColour().name()));
    ui().doubleClickEntry(1);
    QVERIFY2(ui().videoAlternates(kRed, kBlue, 2, 20000), qPrintable(ui().videoColour().name()));
    ui().doubleClickEntry(0);
    QVERIFY2(ui().videoTurns(kGreen, 20000), qPrintable(ui().videoColour().name()));
    QCOMPARE(ui().title(), QStringLiteral("正在播放：摄像头"));
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    RtspTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_rtsp.moc"
