// The programme guide as the user meets it, with the real module: an M3U
// list naming a guide that a local server sends gzipped under a name without
// ".gz"; the list's tooltip says what is on now and next in the desktop's
// time (the tests run with TZ=UTC, the guide is written in +0800); after a
// restart with the server gone, the same within a second, from what was kept.
// The banner over the video after a channel change and on I; the schedule on
// G and from the list's menu, the programme on now marked; Esc closes it.

#include "Gzipped.h"
#include "HttpTestServer.h"

#include "app/Program.h"
#include "XTestSupport.h"
#include "ui/MainWindow.h"
#include "ui/guide/ProgrammeBanner.h"
#include "ui/guide/ProgrammeSchedule.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/ListBox.h"
#include "app/ProgramViews.h"
#include "ui/guide/ProgrammeView.h"
#include "ui/playback/PlaybackView.h"

#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <X11/Xlib.h>

class GuideShownTest : public QObject {
    Q_OBJECT

private slots:
    void listTooltipSaysWhatIsOnAndKeepsItAcrossARestart();
    void aGuideThatNeverAnswersHoldsUpNothing();

private:
    std::unique_ptr<HttpTestServer> logoServer_;
};

namespace {

using testdata::gzipped;

// As a Chinese guide writes it: Beijing time with its offset.
QByteArray beijing(qint64 time)
{
    return QDateTime::fromSecsSinceEpoch(time, QTimeZone(8 * 3600)).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() +
           " +0800";
}

QByteArray redPicture()
{
    QImage red(16, 16, QImage::Format_RGB32);
    red.fill(Qt::red);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    red.save(&buffer, "PNG");
    return png;
}

QString clock(qint64 time)
{
    return QDateTime::fromSecsSinceEpoch(time, QTimeZone::utc()).toString(QStringLiteral("HH:mm"));
}

bool pressKeys(Program& program, const QStringList& keys)
{
    program.window().activateWindow();
    xtest::xdotool({"windowfocus", "--sync", QString::number(program.window().winId())});
    return xtest::xdotool(QStringList{"key", "--delay", "40"} + keys);
}

QString toolTipOf(Program& program, int entry)
{
    const ListBox& list = program.window().get<ListBox>(u"SourceList");
    return list.model()->index(entry, 0).data(Qt::ToolTipRole).toString();
}

// The guide's icon, all red, drawn in the banner showing.
bool bannerShowsLogo(Program& program)
{
    auto* banner = program.window().findChild<ProgrammeBanner*>();
    if (!banner || !banner->isVisible())
        return false;
    const QImage shown = banner->grab().toImage();
    for (int y = 0; y < shown.height(); ++y)
        for (int x = 0; x < shown.width() / 3; ++x)
            if (const QColor pixel = shown.pixelColor(x, y); pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60)
                return true;
    return false;
}

void checkBannerAndSchedule(Program& program, const QString& onNow)
{
    ProgramViews& views = program.views();
    ListBox& list = program.window().get<ListBox>(u"SourceList");
    // A channel change: the banner comes over the bottom of the video, and goes.
    list.setCurrentSelection(0);
    views.playback->playSelected();
    QVERIFY(program.window().findChild<ProgrammeBanner*>() && program.window().findChild<ProgrammeBanner*>()->isVisible());
    QCOMPARE(program.window().findChild<ProgrammeBanner*>()->lines().value(1), onNow);
    QVERIFY(program.window().findChild<ProgrammeBanner*>()->lines().value(2).contains(QStringLiteral("焦点访谈")));
    const PicBox& video = program.window().get<PicBox>(u"VideoSurface");
    QCOMPARE(program.window().findChild<ProgrammeBanner*>()->geometry().bottom(), video.mapToGlobal(QPoint(0, video.height() - 1)).y());
    // Its logo, from the guide's icon, is fetched as the channel is looked at and comes into the banner shown.
    QTRY_VERIFY_WITH_TIMEOUT(bannerShowsLogo(program), 3000);
    QTRY_VERIFY_WITH_TIMEOUT(!program.window().findChild<ProgrammeBanner*>()->isVisible(), 10000);
    // Kept: I shows it at once.
    QVERIFY(!program.core().guide()->logo(0).isEmpty());
    QVERIFY(pressKeys(program, {"i"}));
    QTRY_VERIFY(program.window().findChild<ProgrammeBanner*>()->isVisible());
    QVERIFY(bannerShowsLogo(program));
    QTRY_VERIFY_WITH_TIMEOUT(!program.window().findChild<ProgrammeBanner*>()->isVisible(), 10000);
    // A channel the guide does not know: no banner after the change; I shows its name.
    list.setCurrentSelection(1);
    views.playback->playSelected();
    QVERIFY(!program.window().findChild<ProgrammeBanner*>()->isVisible());
    QVERIFY(pressKeys(program, {"i"}));
    QTRY_VERIFY(program.window().findChild<ProgrammeBanner*>()->isVisible());
    QCOMPARE(program.window().findChild<ProgrammeBanner*>()->lines(), QStringList{QStringLiteral("二台")});
    views.playback->stop();

    // G: the selected channel's schedule, the programme on now marked; Esc closes it.
    list.setCurrentSelection(0);
    QVERIFY(pressKeys(program, {"g"}));
    QTRY_VERIFY(program.window().findChild<ProgrammeSchedule*>() && program.window().findChild<ProgrammeSchedule*>()->isVisible());
    QVERIFY(program.window().findChild<ProgrammeSchedule*>()->currentRow() > 0);
    QCOMPARE(program.window().findChild<ProgrammeSchedule*>()->rows().value(program.window().findChild<ProgrammeSchedule*>()->currentRow()),
             QStringLiteral("▶ ") + QString(onNow).replace(QStringLiteral(" 新"), QStringLiteral("  新")));
    QVERIFY(program.window().findChild<ProgrammeSchedule*>()->accessibleName() == QStringLiteral("节目表"));
    QTRY_VERIFY(program.window().findChild<ProgrammeSchedule*>()->isActiveWindow());
    QVERIFY(xtest::xdotool({"key", "Escape"}));
    QTRY_VERIFY(!program.window().findChild<ProgrammeSchedule*>()->isVisible());
}

} // namespace

void GuideShownTest::listTooltipSaysWhatIsOnAndKeepsItAcrossARestart()
{
    QCOMPARE(qgetenv("TZ"), QByteArray("UTC"));
    logoServer_ = std::make_unique<HttpTestServer>(redPicture());
    const QByteArray logoAddress = "http://127.0.0.1:" + QByteArray::number(logoServer_->port()) + "/logo.png";
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 start = now - 600, change = now + 1200, end = now + 3000;
    const QByteArray guide = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv>"
                             "<channel id=\"c1\"><display-name>一台</display-name><icon src=\"" + logoAddress + "\"/></channel>"
                             "<programme start=\"" + beijing(start) + "\" stop=\"" + beijing(change) +
                             "\" channel=\"c1\"><title>新闻联播</title></programme>"
                             "<programme start=\"" + beijing(change) + "\" stop=\"" + beijing(end) +
                             "\" channel=\"c1\"><title>焦点访谈</title></programme></tv>\n";
    auto server = std::make_unique<HttpTestServer>(gzipped(guide));
    QVERIFY(server->isListening());

    QTemporaryDir folder;
    QFile list(folder.filePath(QStringLiteral("澄影播放源.txt")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("#EXTM3U x-tvg-url=\"http://127.0.0.1:" + QByteArray::number(server->port()) + "/epg\"\n"
               "#EXTINF:-1 tvg-id=\"c1\",一台\nhttp://127.0.0.1:9/one.ts\n"
               "#EXTINF:-1,二台\nhttp://127.0.0.1:9/two.ts\n");
    list.close();
    const QString expected =
        clock(start) + u'–' + clock(change) + QStringLiteral(" 新闻联播 / ") + clock(change) + QStringLiteral(" 焦点访谈");

    {
        Program program(folder.path());
        program.open();
        QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
        QTRY_COMPARE_WITH_TIMEOUT(toolTipOf(program, 0), expected, 20000);
        QCOMPARE(toolTipOf(program, 1), QString()); // not in the guide
        QCOMPARE(server->requestsSeen(), 1);
        checkBannerAndSchedule(program, clock(start) + u'–' + clock(change) + QStringLiteral(" 新闻联播"));
        program.OnProgramExit();
    }
    server.reset();

    Program again(folder.path());
    QElapsedTimer clockRunning;
    clockRunning.start();
    again.open();
    QTRY_COMPARE_WITH_TIMEOUT(toolTipOf(again, 0), expected, 5000);
    QVERIFY2(clockRunning.elapsed() < 1000, qPrintable(QString::number(clockRunning.elapsed())));
    again.OnProgramExit();
}

void GuideShownTest::aGuideThatNeverAnswersHoldsUpNothing()
{
    HttpTestServer silent({}, HttpTestServer::Mode::Stall);
    QTemporaryDir folder;
    QFile list(folder.filePath(QStringLiteral("澄影播放源.txt")));
    QVERIFY(list.open(QIODevice::WriteOnly));
    list.write("#EXTM3U url-tvg=\"http://127.0.0.1:" + QByteArray::number(silent.port()) + "/epg.xml\"\n"
               "#EXTINF:-1,一台\nhttp://127.0.0.1:9/one.ts\n");
    list.close();
    Program program(folder.path());
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    QTRY_VERIFY(silent.requestsSeen() == 1); // asked, and waiting
    // The window answers meanwhile, and the exit does not wait for the server.
    program.window().get<ListBox>(u"SourceList").setCurrentSelection(0);
    QVERIFY(pressKeys(program, {"i"}));
    QTRY_VERIFY(program.window().findChild<ProgrammeBanner*>() && program.window().findChild<ProgrammeBanner*>()->isVisible());
    QElapsedTimer exiting;
    exiting.start();
    program.OnProgramExit();
    QVERIFY2(exiting.elapsed() < 2000, qPrintable(QString::number(exiting.elapsed())));
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    GuideShownTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_guideshown.moc"
