// The desktop's media controls and screen saver, over the test's own session
// bus: dbus-send as a desktop's media keys, a stand-in screen saver that
// counts the inhibitions it holds.

#include "ProgramDriver.h"
#include "TestMedia.h"
#include "app/DesktopMediaControls.h"
#include "app/Program.h"
#include "app/ProgramState.h"
#include "ui/MainWindow.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <X11/Xlib.h>

#include <memory>

// What a desktop's screen saver offers to programs that play.
class FakeScreenSaver : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.ScreenSaver")
public:
    QSet<uint> held;

public slots:
    uint Inhibit(const QString&, const QString&)
    {
        held.insert(++last_);
        return last_;
    }
    void UnInhibit(uint cookie) { held.remove(cookie); }

private:
    uint last_ = 0;
};

class MediaKeysTest : public QObject {
    Q_OBJECT

private slots:
    void mediaKeysAndTheScreenSaverFollowWhatPlays();
};

namespace {

// Calls the player as another program on the bus does; the window's thread
// keeps running meanwhile, for the player answers from it.
QString dbusSend(const QStringList& arguments)
{
    QProcess send;
    send.start(QStringLiteral("dbus-send"), QStringList{"--session", "--print-reply",
                                                        "--dest=org.mpris.MediaPlayer2.clipvane",
                                                        "/org/mpris/MediaPlayer2"} + arguments);
    if (!QTest::qWaitFor([&send] { return send.state() == QProcess::NotRunning; }, 10000))
        return QStringLiteral("dbus-send did not end");
    return QString::fromUtf8(send.readAllStandardOutput() + send.readAllStandardError());
}

QString playerProperty(const QString& name)
{
    return dbusSend({"org.freedesktop.DBus.Properties.Get", "string:org.mpris.MediaPlayer2.Player",
                     "string:" + name});
}

QString call(const QString& method)
{
    return dbusSend({"org.mpris.MediaPlayer2.Player." + method});
}

} // namespace

void MediaKeysTest::mediaKeysAndTheScreenSaverFollowWhatPlays()
{
    QVERIFY2(!qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"), "run under a session bus of its own");
    QDBusConnection desktop = QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("desktop"));
    FakeScreenSaver screenSaver;
    QVERIFY(desktop.registerObject(QStringLiteral("/org/freedesktop/ScreenSaver"), &screenSaver,
                                   QDBusConnection::ExportAllSlots));
    QVERIFY(desktop.registerService(QStringLiteral("org.freedesktop.ScreenSaver")));

    QTemporaryDir media;
    const QString red = media.filePath(QStringLiteral("red.mp4"));
    const QString blue = media.filePath(QStringLiteral("blue.mp4"));
    QVERIFY(testmedia::makeClip(red, QStringLiteral("red"), 30) && testmedia::makeClip(blue, QStringLiteral("blue"), 30));
    Program program;
    program.open();
    QVERIFY(QTest::qWaitForWindowExposed(&program.window()));
    ProgramDriver driver(program);
    driver.setEntries({{QStringLiteral("红色频道"), red}, {QStringLiteral("蓝色频道"), blue}});
    // Offered once the window has been painted.
    QTRY_VERIFY(desktop.interface()->isServiceRegistered(DesktopMediaControls::kBusName));
    QVERIFY(playerProperty("PlaybackStatus").contains(QLatin1String("\"Stopped\"")));
    QVERIFY(screenSaver.held.isEmpty());

    driver.doubleClickEntry(0);
    QVERIFY(driver.videoTurns(testmedia::kRed, 10000));
    QTRY_COMPARE(screenSaver.held.size(), 1);

    // Next: the next channel plays and the desktop is told its name.
    call(QStringLiteral("Next"));
    QVERIFY(driver.videoTurns(testmedia::kBlue, 10000));
    QTRY_VERIFY(playerProperty("Metadata").contains(QStringLiteral("蓝色频道")));
    QCOMPARE(screenSaver.held.size(), 1);

    // PlayPause holds the file and lets the screen saver come; again, it plays on.
    call(QStringLiteral("PlayPause"));
    QTRY_VERIFY(program.core().session().transport().isPaused());
    QTRY_VERIFY(playerProperty("PlaybackStatus").contains(QLatin1String("\"Paused\"")));
    QTRY_VERIFY(screenSaver.held.isEmpty());
    call(QStringLiteral("PlayPause"));
    QTRY_VERIFY(playerProperty("PlaybackStatus").contains(QLatin1String("\"Playing\"")));
    QTRY_COMPARE(screenSaver.held.size(), 1);

    // Previous, then Stop: nothing plays and nothing is held.
    call(QStringLiteral("Previous"));
    QVERIFY(driver.videoTurns(testmedia::kRed, 10000));
    call(QStringLiteral("Stop"));
    QTRY_VERIFY(playerProperty("PlaybackStatus").contains(QLatin1String("\"Stopped\"")));
    QTRY_VERIFY(screenSaver.held.isEmpty());
    QVERIFY(driver.waitUntilStopped());
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    MediaKeysTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_mediakeys.moc"
