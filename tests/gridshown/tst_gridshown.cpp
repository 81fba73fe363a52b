// The guide's grid as the user meets it, with real libvlc, a guide in +0800
// on a desktop in UTC, and a local catch-up server that notes what it is
// asked for: E opens it over the video and the list on now, the playing
// channel's row marked and the now line drawn; real keys go to a past
// programme of a catch-up channel and Enter watches it back from its start;
// "/" and a word of a description find a coming programme and Enter lands on
// its cell; Esc closes it and the picture shows again.

#include "HttpTestServer.h"
#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "ui/GuideGridWindow.h"
#include "ui/HandlerContext.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/TransLabel.h"

#include <QDateTime>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

class GridShownTest : public QObject {
    Q_OBJECT

private slots:
    void gridOpensOnNowWatchesBackAndFinds();
};

namespace {

QByteArray beijing(qint64 time)
{
    return QDateTime::fromSecsSinceEpoch(time, QTimeZone(8 * 3600)).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1();
}

QByteArray programme(const char* channel, qint64 from, qint64 to, const char* title, const char* description = "")
{
    return "<programme start=\"" + beijing(from) + " +0800\" stop=\"" + beijing(to) + " +0800\" channel=\"" + channel +
           "\"><title>" + title + "</title><desc>" + description + "</desc></programme>\n";
}

bool keys(const QStringList& names)
{
    return xtest::xdotool(QStringList{"key", "--delay", "60"} + names);
}

QString title(Program& program)
{
    return program.window().get<TransLabel>(u"TitleLabel").caption();
}

// Columns of the grid's own red now line in a band of the screen.
bool nowLineShows(const QWidget& canvas)
{
    const QImage shot = xtest::grabScreen(QRect(canvas.mapToGlobal(QPoint(0, 0)), canvas.size()));
    const int y = shot.height() / 2;
    for (int x = 0; x < shot.width(); ++x) {
        const QColor seen = shot.pixelColor(x, y);
        if (seen.red() > 200 && seen.green() < 90 && seen.blue() < 90)
            return true;
    }
    return false;
}

} // namespace

void GridShownTest::gridOpensOnNowWatchesBackAndFinds()
{
    QCOMPARE(qgetenv("TZ"), QByteArray("UTC"));
    QTemporaryDir folder;
    const QString clip = folder.filePath(QStringLiteral("programme.ts"));
    QVERIFY(testmedia::makeClip(clip, QStringLiteral("blue"), 10));
    QFile clipFile(clip);
    QVERIFY(clipFile.open(QIODevice::ReadOnly));
    HttpTestServer server(clipFile.readAll());
    QVERIFY(server.isListening());

    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 morning = now - 3 * 3600, noon = now - 2 * 3600, live = now - 600, evening = now + 2 * 3600;
    const QString guide = folder.filePath(QStringLiteral("guide.xml"));
    QVERIFY(testmedia::writeFile(
        guide, "<tv><channel id=\"c1\"><display-name>湖南卫视</display-name></channel>"
               "<channel id=\"c2\"><display-name>二台</display-name></channel>\n" +
                   programme("c1", morning, noon, "早间新闻") + programme("c1", noon, live, "午间节目") +
                   programme("c1", live, evening, "直播节目") +
                   programme("c1", evening, evening + 3600, "晚间电影", "A Yangtze documentary") +
                   programme("c2", now - 300, now + 300, "二台新闻") + "</tv>"));
    const QByteArray base = "http://127.0.0.1:" + QByteArray::number(server.port());
    QVERIFY(testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")),
                                 "#EXTM3U x-tvg-url=\"" + guide.toUtf8() +
                                     "\" catchup=\"append\" catchup-source=\"?playseek=${(b)yyyyMMddHHmmss}-${(e)yyyyMMddHHmmss}\"\n"
                                     "#EXTINF:-1 group-title=\"卫视\",无指南台\n" + base + "/none.ts\n"
                                     "#EXTINF:-1 tvg-id=\"c2\" group-title=\"卫视\",二台\n" + base + "/two.ts\n"
                                     "#EXTINF:-1 tvg-id=\"c1\" group-title=\"卫视\",湖南卫视\n" + base + "/live.ts\n"));

    Program program(folder.path());
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    HandlerContext& context = program.handlers();
    ListBox& sources = program.window().get<ListBox>(u"SourceList");
    QTRY_VERIFY_WITH_TIMEOUT(program.core().guide && !program.core().guide->programmes(3).empty(), 20000);

    // 湖南卫视 plays; E shows every channel, on now, its row marked.
    sources.setCurrentSelection(3);
    program.window().activateWindow();
    xtest::xdotool({"windowfocus", "--sync", QString::number(program.window().winId())});
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY_WITH_TIMEOUT(title(program).contains(QStringLiteral("湖南卫视")), 10000);
    QVERIFY(keys({"e"}));
    QTRY_VERIFY(context.guideGrid && context.guideGrid->isVisible() && context.guideGrid->isActiveWindow());
    GuideGridCanvas& canvas = context.guideGrid->canvas();
    QCOMPARE(canvas.currentCell().row, 3);
    QVERIFY2(canvas.accessibleDescription().contains(QStringLiteral("直播节目")), qPrintable(canvas.accessibleDescription()));
    QVERIFY(context.guideGrid->geometry().contains(QRect(sources.mapToGlobal(QPoint()), sources.size()).center()));
    QTRY_VERIFY(nowLineShows(canvas));
    // A channel without a guide is a row with its name and nothing more.
    QVERIFY(canvas.describe(canvas.cellAtPoint(QPoint(canvas.width() / 2, 28 + 34 + 10))).contains(QStringLiteral("没有节目信息")));

    // Left twice: the morning news, past and watchable back; Enter asks the server from its start.
    QVERIFY(keys({"Left", "Left"}));
    QTRY_VERIFY(canvas.accessibleDescription().contains(QStringLiteral("早间新闻")));
    QVERIFY(canvas.accessibleDescription().contains(QStringLiteral("〔回看〕")));
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY(!context.guideGrid->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(server.targetsSeen().contains("/live.ts?playseek=" + beijing(morning) + '-' + beijing(noon)), 10000);
    QTRY_VERIFY(title(program).startsWith(QStringLiteral("正在回看：湖南卫视  早间新闻")));

    // "/" and a word of a description: the evening's film; Enter on it lands on its cell.
    QVERIFY(keys({"e"}));
    QTRY_VERIFY(context.guideGrid->isVisible() && canvas.hasFocus());
    QVERIFY(keys({"slash"}));
    auto* search = context.guideGrid->findChild<QLineEdit*>();
    QTRY_VERIFY(search && search->hasFocus());
    QVERIFY(xtest::xdotool({"type", "--delay", "30", "yangtze"}));
    QTRY_VERIFY_WITH_TIMEOUT(context.guideGrid->findings().value(0).contains(QStringLiteral("晚间电影")), 10000);
    QVERIFY(context.guideGrid->findings().value(0).startsWith(QStringLiteral("湖南卫视")));
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY(context.guideGrid->findChild<QListWidget*>()->hasFocus());
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY(canvas.hasFocus());
    QVERIFY2(canvas.accessibleDescription().contains(QStringLiteral("晚间电影")), qPrintable(canvas.accessibleDescription()));
    QCOMPARE(canvas.currentCell().start, evening);

    // Esc closes it; the window has the keys again.
    QVERIFY(keys({"Escape"}));
    QTRY_VERIFY(!context.guideGrid->isVisible());
    QTRY_VERIFY(program.window().isActiveWindow());
    program.OnProgramExit();
}

QTEST_MAIN(GridShownTest)
#include "tst_gridshown.moc"
