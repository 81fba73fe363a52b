// The guide's grid as the user meets it, with real libvlc, a guide in +0800
// on a desktop in UTC, and a local catch-up server that notes what it is
// asked for: E opens it over the video and the list on now, the playing
// channel's row marked and the now line drawn; real keys go to a past
// programme of a catch-up channel and Enter watches it back from its start;
// "/" and a word of a description find a coming programme and Enter lands on
// its cell; Esc closes it and the picture shows again. A reminder set on the
// grid a minute ahead is told through a stand-in notification service on the
// test's own bus, and with "到时自动切换" its channel plays.

#include "HttpTestServer.h"
#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "core/settings/UserSettings.h"
#include "ui/guide/GuideGridWindow.h"
#include "ui/guide/ProgrammeBanner.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/guide/GuideGridView.h"
#include "ui/guide/ProgrammeView.h"

#include <QDBusConnection>
#include <QDBusMessage>
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
    void aReminderIsToldAndSwitches();
};

// The desktop's notification service as the test plays it, on a connection of its own.
class StandInNotifications final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")
public:
    struct Shown {
        QString summary;
        QString body;
        QStringList actions;
    };
    std::vector<Shown> shown;

public slots:
    uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body,
                const QStringList& actions, const QVariantMap&, int)
    {
        shown.push_back({summary, body, actions});
        return uint(shown.size());
    }
    QStringList GetCapabilities() { return {QStringLiteral("actions"), QStringLiteral("body")}; }
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
    ListBox& sources = program.window().get<ListBox>(u"SourceList");
    QTRY_VERIFY_WITH_TIMEOUT(program.core().guide() && !program.core().guide()->programmes(3).empty(), 20000);

    // 湖南卫视 plays; E shows every channel, on now, its row marked.
    sources.setCurrentSelection(3);
    program.window().activateWindow();
    xtest::xdotool({"windowfocus", "--sync", QString::number(program.window().winId())});
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY_WITH_TIMEOUT(title(program).contains(QStringLiteral("湖南卫视")), 10000);
    QVERIFY(keys({"e"}));
    QTRY_VERIFY(program.window().findChild<GuideGridWindow*>() && program.window().findChild<GuideGridWindow*>()->isVisible() && program.window().findChild<GuideGridWindow*>()->isActiveWindow());
    GuideGridCanvas& canvas = program.window().findChild<GuideGridWindow*>()->canvas();
    QCOMPARE(canvas.currentCell().row, 3);
    QVERIFY2(canvas.accessibleDescription().contains(QStringLiteral("直播节目")), qPrintable(canvas.accessibleDescription()));
    QVERIFY(program.window().findChild<GuideGridWindow*>()->geometry().contains(QRect(sources.mapToGlobal(QPoint()), sources.size()).center()));
    QTRY_VERIFY(nowLineShows(canvas));
    // A channel without a guide is a row with its name and nothing more.
    QVERIFY(canvas.describe(canvas.cellAtPoint(QPoint(canvas.width() / 2, 28 + 34 + 10))).contains(QStringLiteral("没有节目信息")));

    // Left twice: the morning news, past and watchable back; Enter asks the server from its start.
    QVERIFY(keys({"Left", "Left"}));
    QTRY_VERIFY(canvas.accessibleDescription().contains(QStringLiteral("早间新闻")));
    QVERIFY(canvas.accessibleDescription().contains(QStringLiteral("〔回看〕")));
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY(!program.window().findChild<GuideGridWindow*>()->isVisible());
    QTRY_VERIFY_WITH_TIMEOUT(server.targetsSeen().contains("/live.ts?playseek=" + beijing(morning) + '-' + beijing(noon)), 10000);
    QTRY_VERIFY(title(program).startsWith(QStringLiteral("正在回看：湖南卫视  早间新闻")));

    // "/" and a word of a description: the evening's film; Enter on it lands on its cell.
    QVERIFY(keys({"e"}));
    QTRY_VERIFY(program.window().findChild<GuideGridWindow*>()->isVisible() && canvas.hasFocus());
    QVERIFY(keys({"slash"}));
    auto* search = program.window().findChild<GuideGridWindow*>()->findChild<QLineEdit*>();
    QTRY_VERIFY(search && search->hasFocus());
    QVERIFY(xtest::xdotool({"type", "--delay", "30", "yangtze"}));
    QTRY_VERIFY_WITH_TIMEOUT(program.window().findChild<GuideGridWindow*>()->findings().value(0).contains(QStringLiteral("晚间电影")), 10000);
    QVERIFY(program.window().findChild<GuideGridWindow*>()->findings().value(0).startsWith(QStringLiteral("湖南卫视")));
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY(program.window().findChild<GuideGridWindow*>()->findChild<QListWidget*>()->hasFocus());
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY(canvas.hasFocus());
    QVERIFY2(canvas.accessibleDescription().contains(QStringLiteral("晚间电影")), qPrintable(canvas.accessibleDescription()));
    QCOMPARE(canvas.currentCell().start, evening);

    // Esc closes it; the window has the keys again, and the filter finds 湖南卫视 by its pinyin.
    QVERIFY(keys({"Escape"}));
    QTRY_VERIFY(!program.window().findChild<GuideGridWindow*>()->isVisible());
    QTRY_VERIFY(program.window().isActiveWindow());
    QVERIFY(keys({"ctrl+f"}));
    auto* filter = program.window().findChild<QLineEdit*>(QStringLiteral("ListFilterLine"));
    QTRY_VERIFY(filter && filter->hasFocus());
    QVERIFY(xtest::xdotool({"type", "--delay", "30", "hnws"}));
    QTRY_COMPARE(sources.model()->rowCount(), 2); // its group's heading and itself
    QCOMPARE(sources.model()->index(1, 0).data().toString(), QStringLiteral("湖南卫视"));
    program.OnProgramExit();
}

void GridShownTest::aReminderIsToldAndSwitches()
{
    QDBusConnection bus = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("stand-in"));
    QVERIFY2(bus.isConnected(), "the test runs on a session bus of its own");
    StandInNotifications notifications;
    QVERIFY(bus.registerObject(QStringLiteral("/org/freedesktop/Notifications"), &notifications, QDBusConnection::ExportAllSlots));
    QVERIFY(bus.registerService(QStringLiteral("org.freedesktop.Notifications")));
    UserSettings().save({{QStringLiteral("reminder-switch"), QStringLiteral("on")}});

    QTemporaryDir folder;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 soon = now + 65; // told five seconds from now
    const QString guide = folder.filePath(QStringLiteral("guide.xml"));
    QVERIFY(testmedia::writeFile(guide, "<tv><channel id=\"c1\"><display-name>湖南卫视</display-name></channel>"
                                        "<channel id=\"c2\"><display-name>二台</display-name></channel>\n" +
                                            programme("c1", now - 600, soon, "直播节目") + programme("c1", soon, soon + 3600, "预约节目") +
                                            programme("c2", now - 600, now + 3600, "二台新闻") + "</tv>"));
    const QString clip = folder.filePath(QStringLiteral("clip.ts"));
    const QString other = folder.filePath(QStringLiteral("other.ts"));
    QVERIFY(testmedia::makeClip(clip, QStringLiteral("blue"), 5));
    QVERIFY(QFile::copy(clip, other));
    QVERIFY(testmedia::writeFile(folder.filePath(QStringLiteral("澄影播放源.txt")),
                                 "#EXTM3U x-tvg-url=\"" + guide.toUtf8() + "\"\n"
                                 "#EXTINF:-1 tvg-id=\"c2\",二台\n" + clip.toUtf8() + "\n"
                                 "#EXTINF:-1 tvg-id=\"c1\",湖南卫视\n" + other.toUtf8() + "\n"));
    Program program(folder.path());
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    QTRY_VERIFY_WITH_TIMEOUT(program.core().guide() && !program.core().guide()->programmes(1).empty(), 20000);
    program.window().get<ListBox>(u"SourceList").setCurrentSelection(0);
    program.window().activateWindow();
    xtest::xdotool({"windowfocus", "--sync", QString::number(program.window().winId())});
    QVERIFY(keys({"Return"}));
    QTRY_VERIFY_WITH_TIMEOUT(title(program).contains(QStringLiteral("二台")), 10000);

    // On the grid: down to 湖南卫视, on to the coming programme, Enter sets its reminder.
    QVERIFY(keys({"e"}));
    QTRY_VERIFY(program.window().findChild<GuideGridWindow*>() && program.window().findChild<GuideGridWindow*>()->isActiveWindow());
    GuideGridCanvas& canvas = program.window().findChild<GuideGridWindow*>()->canvas();
    QVERIFY(keys({"Down", "Right", "Return"}));
    QTRY_VERIFY2(canvas.accessibleDescription().contains(QStringLiteral("预约节目  〔已预约〕")),
                 qPrintable(canvas.accessibleDescription()));
    QCOMPARE(program.core().reminders().kept().size(), size_t(1));
    QCOMPARE(UserSettings().reminders().size(), size_t(1));
    QVERIFY(keys({"Escape"}));
    QTRY_VERIFY(!program.window().findChild<GuideGridWindow*>()->isVisible());

    // A minute ahead: the notification with its two actions, the banner, and the channel by itself.
    QTRY_VERIFY_WITH_TIMEOUT(!notifications.shown.empty(), 30000);
    QVERIFY2(notifications.shown[0].body.contains(QStringLiteral("预约节目")), qPrintable(notifications.shown[0].body));
    QVERIFY(notifications.shown[0].body.contains(QStringLiteral("湖南卫视")));
    QCOMPARE(notifications.shown[0].actions, QStringList({"switch", "切换", "dismiss", "忽略"}));
    QTRY_VERIFY_WITH_TIMEOUT(title(program).contains(QStringLiteral("湖南卫视")), 10000);
    QVERIFY(program.window().findChild<ProgrammeBanner*>() && program.window().findChild<ProgrammeBanner*>()->isVisible() && program.window().findChild<ProgrammeBanner*>()->entry() == 1);
    // Told once, and gone from the file.
    QVERIFY(program.core().reminders().kept().empty());
    QVERIFY(UserSettings().reminders().empty());
    program.OnProgramExit();
    bus.unregisterService(QStringLiteral("org.freedesktop.Notifications"));
}

QTEST_MAIN(GridShownTest)
#include "tst_gridshown.moc"
