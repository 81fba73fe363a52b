// Lists by address through the real program: a list fetched from a local
// host that wants its User-Agent and sends gzip under a plain name, refreshed
// with F5 under a live channel that is not opened again, a web page refused
// with its reason on the heading, the kept copy at a start without the host,
// and a list handed to the running window by the desktop entry's command.

#include "LiveStreamServer.h"
#include "ProgramDriver.h"
#include "TestMedia.h"
#include "XTestSupport.h"
#include "app/Program.h"
#include "app/ProgramState.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/TransLabel.h"

#include <QApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <X11/Xlib.h>

#include <memory>

class ListsByAddressTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void listIsFetchedRefreshedUnderTheChannelAndRefusedAsAWebPage();
    void keptCopyShowsWithoutTheHostAndPlays();
    void desktopEntryHandsAListToTheRunningWindow();

private:
    bool startListServer();
    ListBox& entries() { return program_->window().get<ListBox>(u"SourceList"); }
    QWidget& heading() { return *program_->window().control(u"ListCaptionLabel")->widget(); }
    bool pressInWindow(const char* key);

    QTemporaryDir folder_; // the host's lists, the clips, an empty program folder
    QString clip_, film_, listAddress_;
    std::unique_ptr<LiveStreamServer> live_;
    QProcess listServer_;
    std::unique_ptr<Program> program_;
};

void ListsByAddressTest::initTestCase()
{
    clip_ = folder_.filePath(QStringLiteral("live.ts"));
    film_ = folder_.filePath(QStringLiteral("film.mp4"));
    QVERIFY(testmedia::makeClip(clip_, QStringLiteral("blue"), 8));
    QVERIFY(testmedia::makeClip(film_, QStringLiteral("red"), 30));
    live_ = std::make_unique<LiveStreamServer>(clip_, 8);
    QVERIFY(live_->isListening());
    QVERIFY(QDir(folder_.path()).mkpath(QStringLiteral("host")) && QDir(folder_.path()).mkpath(QStringLiteral("program")));
    const QByteArray list = "频道,#genre#\nLive," + live_->address().toUtf8() + "\nFilm," + film_.toUtf8() + "\n";
    QVERIFY(testmedia::writeFile(folder_.filePath(QStringLiteral("host/tv")), list));
    QVERIFY(startListServer());
}

void ListsByAddressTest::cleanupTestCase()
{
    program_.reset();
    listServer_.kill();
    listServer_.waitForFinished(5000);
}

bool ListsByAddressTest::startListServer()
{
    listServer_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    listServer_.start(QStringLiteral("python3"), {QStringLiteral(LIST_SERVER), folder_.filePath(QStringLiteral("host")),
                                                  QStringLiteral("--require-agent"), QStringLiteral("ClipvaneTest/1")});
    if (!listServer_.waitForStarted(10000))
        return false;
    while (!listServer_.canReadLine() && listServer_.waitForReadyRead(10000)) {
    }
    const int port = listServer_.readLine().trimmed().toInt();
    listAddress_ = QStringLiteral("http://127.0.0.1:%1/tv|User-Agent=ClipvaneTest/1").arg(port);
    return port > 0;
}

bool ListsByAddressTest::pressInWindow(const char* key)
{
    program_->window().activateWindow();
    return QTest::qWaitFor([this] { return program_->window().isActiveWindow(); }, 5000) && xtest::xdotool({"key", key});
}

void ListsByAddressTest::listIsFetchedRefreshedUnderTheChannelAndRefusedAsAWebPage()
{
    program_ = std::make_unique<Program>(folder_.filePath(QStringLiteral("program")));
    program_->giveList(listAddress_);
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    // The host answers 403 to any other User-Agent: the channels show only with the one after "|".
    QTRY_COMPARE_WITH_TIMEOUT(entries().items().size(), 3, 15000);
    QCOMPARE(program_->core().lists().lists().size(), size_t(1));

    ProgramDriver driver(*program_);
    driver.doubleClickEntry(1);
    QVERIFY(driver.videoTurns(testmedia::kBlue, 15000));
    QTRY_COMPARE(live_->connections(), 1);
    const std::uint64_t playing = program_->core().playback().nowPlaying().generation;

    // The host's list changes; F5: the new channels show, the live channel
    // plays on without a new connection and stays selected.
    const QByteArray changed = "新台,http://127.0.0.1:9/new.ts\n频道,#genre#\nLive," + live_->address().toUtf8() +
                               "\nFilm," + film_.toUtf8() + "\nMore,http://127.0.0.1:9/more.ts\n";
    QVERIFY(testmedia::writeFile(folder_.filePath(QStringLiteral("host/tv")), changed));
    QVERIFY(pressInWindow("F5"));
    QTRY_COMPARE_WITH_TIMEOUT(entries().items().size(), 5, 15000);
    QCOMPARE(entries().currentSelection(), 2);
    TransLabel& caption = program_->window().get<TransLabel>(u"ListCaptionLabel");
    QTRY_COMPARE(caption.caption(), QStringLiteral("列表已更新：新增 2，移除 0"));
    QCOMPARE(program_->core().playback().nowPlaying().generation, playing);
    QVERIFY(driver.videoTurns(testmedia::kBlue, 5000));
    QCOMPARE(live_->connections(), 1);

    // A web page with status 200: refused, the list stays, the heading says why.
    QVERIFY(testmedia::writeFile(folder_.filePath(QStringLiteral("host/tv.html")), "x"));
    QVERIFY(pressInWindow("F5"));
    QTRY_VERIFY_WITH_TIMEOUT(heading().accessibleDescription().contains(QStringLiteral("网页")), 15000);
    QVERIFY2(heading().accessibleDescription().startsWith(QStringLiteral("列表未能更新")),
             qPrintable(heading().accessibleDescription()));
    QVERIFY(heading().accessibleDescription().contains(QStringLiteral("的副本")));
    QCOMPARE(entries().items().size(), 5);
    QVERIFY(QFile::remove(folder_.filePath(QStringLiteral("host/tv.html"))));
    program_.reset();
}

void ListsByAddressTest::keptCopyShowsWithoutTheHostAndPlays()
{
    listServer_.kill();
    listServer_.waitForFinished(5000);
    // No list given and none beside the program: the list chosen last, from
    // its kept copy, within a second of the window showing.
    program_ = std::make_unique<Program>(folder_.filePath(QStringLiteral("program")));
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    QTRY_COMPARE_WITH_TIMEOUT(entries().items().size(), 5, 1000);
    ProgramDriver driver(*program_);
    driver.doubleClickEntry(3);
    QVERIFY(driver.videoTurns(testmedia::kRed, 15000));
}

void ListsByAddressTest::desktopEntryHandsAListToTheRunningWindow()
{
    QVERIFY(program_);
    const QString handed = folder_.filePath(QStringLiteral("handed.txt"));
    QVERIFY(testmedia::writeFile(handed, "甲,http://127.0.0.1:9/a.ts\n乙,http://127.0.0.1:9/b.ts\n"));
    // As a file manager runs it: the entry's Exec line with the file's URL for %U.
    QFile entry(QStringLiteral(DESKTOP_ENTRY));
    QVERIFY(entry.open(QIODevice::ReadOnly));
    QString exec;
    for (const QByteArray& line : entry.readAll().split('\n'))
        if (line.startsWith("Exec="))
            exec = QString::fromUtf8(line.mid(5));
    QStringList command = QProcess::splitCommand(exec);
    QCOMPARE(command.value(0), QStringLiteral("clipvane"));
    QVERIFY(command.contains(QStringLiteral("%U")));
    command.replaceInStrings(QStringLiteral("%U"), QUrl::fromLocalFile(handed).toString());
    command[0] = QStringLiteral(CLIPVANE_BINARY);
    QProcess second;
    second.setProcessChannelMode(QProcess::ForwardedChannels);
    second.start(command.takeFirst(), command);
    // It hands the list over and ends; the running window shows it.
    QTRY_VERIFY_WITH_TIMEOUT(second.state() == QProcess::NotRunning, 30000);
    QCOMPARE(second.exitCode(), 0);
    QTRY_COMPARE(entries().items().size(), 2);
    QCOMPARE(program_->core().lists().lists().back().address, handed);
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    ListsByAddressTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_listsbyaddress.moc"
