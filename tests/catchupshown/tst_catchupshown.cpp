// Watching back, pausing and jumping as the user does it, with real libvlc and
// a local catch-up server that notes what it is asked for and answers with a
// clip: a past programme chosen in the schedule is asked for with its start
// and end in the service's time (the tests run with TZ=UTC, the list's
// template is in +0800); the next programme follows at its end; Space holds
// and resumes; the position bar shows over the video and a click on it asks
// the server again from there; on a local file the arrow keys land where asked.

#include "HttpTestServer.h"
#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "SessionProbe.h"
#include "app/ProgramState.h"
#include "ui/MainWindow.h"
#include "ui/playback/PositionBar.h"
#include "ui/guide/ProgrammeSchedule.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/guide/ProgrammeView.h"
#include "ui/playback/PlaybackView.h"

#include <QApplication>
#include <QDateTime>
#include <QFile>
#include <QTemporaryDir>
#include <QElapsedTimer>
#include <QTest>
#include <QTimeZone>

#include <X11/Xlib.h>

class CatchupShownTest : public QObject {
    Q_OBJECT

private slots:
    void pastProgrammePlaysBackPausesAndJumps();
    void arrowKeysJumpInALocalFile();
};

namespace {

QByteArray beijing(qint64 time, const char* format = "yyyyMMddHHmmss")
{
    return QDateTime::fromSecsSinceEpoch(time, QTimeZone(8 * 3600)).toString(QString::fromLatin1(format)).toLatin1();
}

bool pressKeys(Program& program, const QStringList& keys)
{
    program.window().activateWindow();
    xtest::xdotool({"windowfocus", "--sync", QString::number(program.window().winId())});
    return xtest::xdotool(QStringList{"key", "--delay", "40"} + keys);
}

QString title(Program& program)
{
    return program.window().get<TransLabel>(u"TitleLabel").caption();
}

std::int64_t picturesShown(Program& program)
{
    const std::optional<MediaPlayer::Stats> stats = SessionProbe(program.core().session()).showingPlayer().stats();
    return stats ? stats->displayedPictures : -1;
}

// The count of pictures shown stays the same for `stillMs`, within `timeoutMs`.
bool picturesStayFor(Program& program, int stillMs, int timeoutMs)
{
    QElapsedTimer clock;
    clock.start();
    std::int64_t last = picturesShown(program);
    QElapsedTimer still;
    still.start();
    while (clock.elapsed() < timeoutMs) {
        QTest::qWait(50);
        const std::int64_t now = picturesShown(program);
        if (now != last) {
            last = now;
            still.restart();
        } else if (still.elapsed() >= stillMs) {
            return true;
        }
    }
    return false;
}

int rowSaying(const ProgrammeSchedule& schedule, const QString& text)
{
    const QStringList rows = schedule.rows();
    for (int row = 0; row < rows.size(); ++row)
        if (rows[row].contains(text))
            return row;
    return -1;
}

} // namespace

void CatchupShownTest::pastProgrammePlaysBackPausesAndJumps()
{
    QCOMPARE(qgetenv("TZ"), QByteArray("UTC"));
    QTemporaryDir folder;
    const QString clip = folder.filePath(QStringLiteral("programme.ts"));
    QVERIFY(testmedia::makeClip(clip, QStringLiteral("red"), 10));
    QFile clipFile(clip);
    QVERIFY(clipFile.open(QIODevice::ReadOnly));
    HttpTestServer server(clipFile.readAll());
    QVERIFY(server.isListening());

    // Two short programmes that have passed, of the clip's length, and one on now.
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 first = now - 600, second = first + 10, live = now - 60;
    const auto programme = [](qint64 from, qint64 to, const char* name) {
        return "<programme start=\"" + beijing(from) + " +0800\" stop=\"" + beijing(to) +
               " +0800\" channel=\"c1\"><title>" + QByteArray(name) + "</title></programme>";
    };
    const QString guide = folder.filePath(QStringLiteral("guide.xml"));
    QVERIFY(testmedia::writeFile(guide, "<tv><channel id=\"c1\"><display-name>一台</display-name></channel>" +
                                            programme(first, second, "早间新闻") + programme(second, second + 10, "天气预报") +
                                            programme(live, now + 3600, "直播节目") + "</tv>"));
    const QByteArray liveAddress = "http://127.0.0.1:" + QByteArray::number(server.port()) + "/live.ts";
    QVERIFY(testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")),
                                 "#EXTM3U x-tvg-url=\"" + guide.toUtf8() +
                                     "\" catchup=\"append\" catchup-source=\"?playseek=${(b)yyyyMMddHHmmss}-${(e)yyyyMMddHHmmss}\"\n"
                                     "#EXTINF:-1 tvg-id=\"c1\",一台\n" + liveAddress + "\n"));

    Program program(folder.path());
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    QTRY_VERIFY_WITH_TIMEOUT(program.core().guide() && !program.core().guide()->programmes(0).empty(), 20000);

    // G: the past programmes say they can be watched back; Enter plays one.
    program.window().get<ListBox>(u"SourceList").setCurrentSelection(0);
    QVERIFY(pressKeys(program, {"g"}));
    QTRY_VERIFY(program.window().findChild<ProgrammeSchedule*>() && program.window().findChild<ProgrammeSchedule*>()->isVisible());
    const int row = rowSaying(*program.window().findChild<ProgrammeSchedule*>(), QStringLiteral("早间新闻"));
    QVERIFY(program.window().findChild<ProgrammeSchedule*>()->rows().value(row).endsWith(QStringLiteral("〔回看〕")));
    QTRY_VERIFY(program.window().findChild<ProgrammeSchedule*>()->isActiveWindow());
    // Down from the programme on now to the one asked for.
    const int onNow = program.window().findChild<ProgrammeSchedule*>()->currentRow();
    QStringList moves;
    for (int step = row; step < onNow; ++step)
        moves << QStringLiteral("Up");
    QVERIFY(xtest::xdotool(QStringList{"key", "--delay", "40"} + moves + QStringList{"Return"}));
    QTRY_VERIFY(title(program).startsWith(QStringLiteral("正在回看：一台  早间新闻")));
    const QByteArray asked = "/live.ts?playseek=" + beijing(first) + '-' + beijing(second);
    QTRY_VERIFY_WITH_TIMEOUT(server.targetsSeen().contains(asked), 10000);

    // Space holds the picture and the sound; again, they go on.
    QTRY_VERIFY_WITH_TIMEOUT(program.core().session().transport().position() && picturesShown(program) > 5, 10000);
    QVERIFY(pressKeys(program, {"space"}));
    QTRY_VERIFY(title(program).startsWith(QStringLiteral("已暂停：")));
    QTRY_VERIFY(program.core().session().transport().isPaused());
    // Once the pause has reached the engine, no picture comes for a second.
    QVERIFY(picturesStayFor(program, 1000, 15000));
    const std::int64_t held = picturesShown(program);
    QVERIFY(pressKeys(program, {"space"}));
    QTRY_VERIFY_WITH_TIMEOUT(picturesShown(program) > held + 5, 15000);
    QVERIFY(title(program).startsWith(QStringLiteral("正在回看：")));

    // The pointer over the video shows where it stands; a click far along asks the server from there.
    const PicBox& video = program.window().get<PicBox>(u"VideoSurface");
    const QPoint middle = video.mapToGlobal(video.rect().center());
    QVERIFY(xtest::xdotool({"mousemove", QString::number(middle.x()), QString::number(middle.y() - 20)}));
    QVERIFY(xtest::xdotool({"mousemove", QString::number(middle.x()), QString::number(middle.y())}));
    QTRY_VERIFY(program.window().findChild<PositionBar*>() && program.window().findChild<PositionBar*>()->isVisible());
    QVERIFY(program.window().findChild<PositionBar*>()->text().endsWith(QStringLiteral(" / 00:10")));
    QCOMPARE(program.window().findChild<PositionBar*>()->accessibleName(), QStringLiteral("播放进度"));
    const QRect bar = program.window().findChild<PositionBar*>()->geometry();
    QVERIFY(xtest::xdotool({"mousemove", QString::number(bar.left() + int(bar.width() * 0.7)),
                            QString::number(bar.center().y()), "click", "1"}));
    const auto askedFromLater = [&] {
        const QList<QByteArray> targets = server.targetsSeen();
        return std::any_of(targets.begin(), targets.end(), [&](const QByteArray& target) {
            return target.startsWith("/live.ts?playseek=") && target != asked && target.endsWith('-' + beijing(second));
        });
    };
    QTRY_VERIFY_WITH_TIMEOUT(askedFromLater(), 10000);
    QVERIFY(program.core().playback().watchingBack()->fromSecond > 3);

    // At its end the next programme of the channel follows.
    QTRY_VERIFY_WITH_TIMEOUT(title(program).startsWith(QStringLiteral("正在回看：一台  天气预报")), 20000);
    QTRY_VERIFY(server.targetsSeen().contains("/live.ts?playseek=" + beijing(second) + '-' + beijing(second + 10)));
    program.OnProgramExit();
}

void CatchupShownTest::arrowKeysJumpInALocalFile()
{
    QTemporaryDir folder;
    const QString film = folder.filePath(QStringLiteral("影片.mp4"));
    QVERIFY(testmedia::makeClip(film, QStringLiteral("blue"), 40));
    QVERIFY(testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")), "影片," + film.toUtf8() + "\r\n"));
    Program program(folder.path());
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    PlaybackSession& playback = program.core().session();
    // The list is read off the window's thread: a selection made before it is shown is lost.
    ListBox& channels = program.window().get<ListBox>(u"SourceList");
    QTRY_COMPARE_WITH_TIMEOUT(channels.items().size(), 1, 10000);
    channels.setCurrentSelection(0);
    QVERIFY(pressKeys(program, {"Return"}));
    QTRY_VERIFY_WITH_TIMEOUT(playback.transport().position() && playback.transport().position()->timeMs > 500, 10000);
    QCOMPARE(playback.transport().position()->lengthMs / 1000, 40);

    const auto landsNear = [&](std::int64_t target) {
        return QTest::qWaitFor([&] {
            const auto position = playback.transport().position();
            return position && std::abs(position->timeMs - target) < 1000;
        }, 5000);
    };
    const std::int64_t from = playback.transport().position()->timeMs;
    QVERIFY(pressKeys(program, {"Right"}));
    QVERIFY2(landsNear(from + 10000), qPrintable(QString::number(playback.transport().position()->timeMs)));
    QVERIFY(program.window().findChild<PositionBar*>()->isVisible()); // a jump shows where it landed
    QVERIFY(pressKeys(program, {"Home"}));
    QVERIFY2(landsNear(0), qPrintable(QString::number(playback.transport().position()->timeMs)));
    QVERIFY(pressKeys(program, {"Right", "Right", "Left"}));
    QVERIFY2(landsNear(10000), qPrintable(QString::number(playback.transport().position()->timeMs)));
    // Sixty seconds on from ten is past the end: it goes to the end and no further.
    QVERIFY(pressKeys(program, {"shift+Right"}));
    QTRY_VERIFY_WITH_TIMEOUT(!playback.transport().position() || playback.transport().position()->timeMs > 37000, 5000);
    program.OnProgramExit();
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    CatchupShownTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_catchupshown.moc"
