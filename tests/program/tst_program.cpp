// The program where libvlc is missing or gives no instance: the runtime error
// box and exit code -1, or a clear message and a window that keeps working;
// and a run that crashes: its report, and the next start's word about it.
// This executable itself runs on a stand-in libvlc that gives no instance.

#include "XTestSupport.h"

#include "app/Program.h"
#include "SessionProbe.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/lists/ListLoadView.h"
#include "ui/playback/PlaybackView.h"

#include <QApplication>
#include <QMessageBox>
#include <QProcess>
#include <QTest>
#include <QTemporaryDir>
#include <QTimer>

#include <csignal>
#include <utility>

#include <X11/Xlib.h>

namespace {

// Waits for a visible window of that title; returns its id, or empty.
QString waitForWindow(const QString& title)
{
    QProcess search;
    search.start(QStringLiteral("xdotool"), {"search", "--sync", "--onlyvisible", "--name", title});
    if (!search.waitForFinished(20000)) {
        search.kill();
        return {};
    }
    return QString::fromUtf8(search.readAllStandardOutput()).split(QLatin1Char('\n'), Qt::SkipEmptyParts).value(0);
}

struct Run {
    int exitCode = 0;
    QString errors;
    bool boxSeen = false;
};

// Starts the player on a stand-in libvlc, answers its error box with Return.
Run runPlayerWith(const QString& libvlc)
{
    QProcess player;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("CLIPVANE_LIBVLC"), libvlc);
    player.setProcessEnvironment(env);
    player.start(QStringLiteral(CLIPVANE_BINARY), {});
    Run run;
    if (!player.waitForStarted(10000))
        return run;
    const QString box = waitForWindow(QStringLiteral("错误"));
    run.boxSeen = !box.isEmpty();
    if (run.boxSeen)
        xtest::xdotool({"windowfocus", "--sync", box, "key", "Return"});
    if (!player.waitForFinished(20000))
        player.kill();
    player.waitForFinished(5000);
    run.exitCode = player.exitCode();
    run.errors = QString::fromLocal8Bit(player.readAllStandardError());
    return run;
}

} // namespace

class ProgramTest : public QObject {
    Q_OBJECT

private slots:
    void missingLibraryEndsWithMinusOne();
    void missingFunctionIsNamedAndEndsWithMinusOne();
    void noInstanceKeepsTheWindowWorking();
    void aCrashLeavesAReportTheNextStartTellsOf();
};

void ProgramTest::missingLibraryEndsWithMinusOne()
{
    const Run run = runPlayerWith(QStringLiteral("/nonexistent/libvlc.so.5"));
    QVERIFY(run.boxSeen);
    QCOMPARE(run.exitCode, 255);
    QVERIFY2(run.errors.contains(QStringLiteral("运行时出错!\n\n错误信息：")), qPrintable(run.errors));
    QVERIFY2(run.errors.contains(QStringLiteral("libvlc_new")), qPrintable(run.errors));
}

void ProgramTest::missingFunctionIsNamedAndEndsWithMinusOne()
{
    const Run run = runPlayerWith(QStringLiteral(FAKE_LIBVLC_MISSING_FUNCTION));
    QVERIFY(run.boxSeen);
    QCOMPARE(run.exitCode, 255);
    QVERIFY2(run.errors.contains(QStringLiteral("libvlc_media_player_new")), qPrintable(run.errors));
}

void ProgramTest::noInstanceKeepsTheWindowWorking()
{
    // In this process libvlc is the stand-in that gives no instance.
    QString said;
    xtest::answerNextMessageBox(this, [&](QMessageBox& box) {
        said = box.text();
        box.accept();
    });
    Program program;
    program.open();
    QTRY_VERIFY(!said.isEmpty());
    QVERIFY2(said.contains(QStringLiteral("libvlc")), qPrintable(said));
    QVERIFY(!program.core().session().isUsable());

    MainWindow& window = program.window();
    PlaySourceFile file;
    file.entries.emplace_back(QStringLiteral("红色"), QStringLiteral("/tmp/red.mp4"));
    file.fillColumns();
    program.views().load->show(file, 0);
    window.get<ListBox>(u"SourceList").setCurrentSelection(0);
    program.views().playback->playSelected();
    QTRY_COMPARE(window.get<TransLabel>(u"TitleLabel").caption(), QStringLiteral("播放失败：红色"));
    QCOMPARE(program.core().session().transport().setVolume(70), 70);
    QCOMPARE(program.core().session().transport().volume(), 70);
    program.views().playback->stop();
    QCOMPARE(window.get<TransLabel>(u"TitleLabel").caption(), QStringLiteral("Clipvane 澄影播放器"));
    QTRY_VERIFY(!SessionProbe(program.core().session()).isOpenerBusy());
    program.OnProgramExit();
}

void ProgramTest::aCrashLeavesAReportTheNextStartTellsOf()
{
    QTemporaryDir home;
    QVERIFY(home.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.remove(QStringLiteral("CLIPVANE_LIBVLC")); // the real one: the child plays as a user's would
    env.insert(QStringLiteral("XDG_CACHE_HOME"), home.filePath(QStringLiteral("cache")));
    env.insert(QStringLiteral("XDG_CONFIG_HOME"), home.filePath(QStringLiteral("config")));
    const QDir reports(home.filePath(QStringLiteral("cache/clipvane")));
    const auto start = [&](QProcess& player) {
        player.setProcessEnvironment(env);
        player.start(QStringLiteral(CLIPVANE_BINARY), {});
        return player.waitForStarted(10000) && xtest::waitForWindowOf(player.processId());
    };
    for (const auto& [signal, named] : {std::pair{SIGSEGV, "SIGSEGV"}, std::pair{SIGABRT, "SIGABRT"}}) {
        QProcess player;
        QVERIFY(start(player));
        const QStringList before = reports.entryList({QStringLiteral("crash-*.txt")});
        QCOMPARE(::kill(pid_t(player.processId()), signal), 0);
        QVERIFY(player.waitForFinished(20000));
        QCOMPARE(player.exitStatus(), QProcess::CrashExit);
        QStringList made = reports.entryList({QStringLiteral("crash-*.txt")});
        for (const QString& old : before)
            made.removeAll(old);
        QCOMPARE(made.size(), 1);
        QFile report(reports.filePath(made.front()));
        QVERIFY(report.open(QIODevice::ReadOnly));
        const QByteArray text = report.readAll();
        QVERIFY2(text.startsWith("Clipvane " CLIPVANE_VERSION) && text.contains(named), text.constData());
        // The handler's own frame, in the program.
        QVERIFY2(text.contains("backtrace:\n") && text.contains("/clipvane("), text.constData());
    }
    // The next start says so, once.
    QProcess player;
    QVERIFY(start(player));
    const QString box = waitForWindow(QStringLiteral("上次运行异常结束"));
    QVERIFY(!box.isEmpty());
    QVERIFY(xtest::xdotool({"windowfocus", "--sync", box, "key", "Return"}));
    QFile told(reports.filePath(QStringLiteral("crash-told")));
    QVERIFY(told.open(QIODevice::ReadOnly));
    QCOMPARE(QString::fromUtf8(told.readAll()), reports.entryList({QStringLiteral("crash-*.txt")}, QDir::Files, QDir::Time).front());
    player.terminate();
    if (!player.waitForFinished(10000))
        player.kill();
}

int main(int argc, char** argv)
{
    qputenv("CLIPVANE_LIBVLC", FAKE_LIBVLC_NO_INSTANCE);
    XInitThreads();
    QApplication app(argc, argv);
    ProgramTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_program.moc"
