// The play-source list: cutting a file into entries, reading it whatever its
// encoding, loading it without freezing the window, and files, folders, films
// and pipes dropped on the window by a real XDND drag from another X client.

#include "HttpTestServer.h"
#include "LiveStreamServer.h"
#include "TestMedia.h"
#include "XTestSupport.h"

#include "app/Program.h"
#include "sources/PlaySourceBytes.h"
#include "sources/PlaySourceText.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"
#include "ui/controls/TransLabel.h"
#include "app/ProgramViews.h"
#include "ui/playback/PlaybackView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <X11/Xlib.h>

#include <sys/stat.h>

using Entries = QList<QPair<QString, QString>>;
Q_DECLARE_METATYPE(Entries)

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

Entries entriesOf(const QByteArray& bytes)
{
    Entries entries;
    for (const PlaySource& entry : parsePlaySourceBytes(bytes).entries)
        entries.append({entry.name, entry.address});
    return entries;
}

QByteArray encoded(const QString& text, const char* encoding, bool mark)
{
    QStringEncoder encoder(encoding, mark ? QStringConverter::Flag::WriteBom : QStringConverter::Flag::Default);
    return encoder.encode(text);
}

} // namespace

class SourcesTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase() { program_.reset(); }

    void cuttingRules_data();
    void cuttingRules();
    void everyEncodingGivesTheSameList_data();
    void everyEncodingGivesTheSameList();
    void unreadableFilesGiveEmptyLists();
    void gbkListPlaysItsChinesePath();
    void aHundredThousandEntriesLoadWithoutFreezingTheWindow();
    void droppedListReplacesTheList();
    void sameFileTwiceGivesTheSameList();
    void severalFilesAreListedInDropOrder();
    void droppedVideoBecomesOneEntry();
    void dragWithoutFilesIsRefused();
    void dropsAnywhereOnTheWindowCount_data();
    void dropsAnywhereOnTheWindowCount();
    void bigVideoDroppedTakesAlmostNoMemory();
    void droppedFolderListsItsPlayableFiles();
    void droppedFolderWithNothingPlayableKeepsTheList();
    void droppedPipeIsSkipped();
    void programEndsPromptlyAfterAPipeWasDropped();
    void droppedM3uListShowsItsGroupsAndPlaysWithItsHeaders();
    void headingDoubleClickedChangesNothing();
    void filterLineFindsAChannelByRealKeys();

private:
    QStringList names() const { return list(u"SourceList"); }
    QStringList addresses() const { return list(u"AddressList"); }
    QStringList list(QStringView name) const;
    // Drops with the XDND helper at a point of the window; the helper's exit code.
    int drop(QPoint windowPoint, const QString& mime, const QByteArray& data);
    int dropFiles(QPoint windowPoint, const QStringList& paths);
    void loadAndWait(const QString& path);

    QTemporaryDir dir_;
    QString list_, video_;
    std::unique_ptr<Program> program_;
};

void SourcesTest::initTestCase()
{
    QVERIFY(dir_.isValid());
    program_ = std::make_unique<Program>();
    program_->open();
    QVERIFY(QTest::qWaitForWindowExposed(&program_->window()));
    list_ = dir_.filePath(QStringLiteral("节目单.txt"));
    QVERIFY(testmedia::writeFile(list_, QStringLiteral("新闻,http://127.0.0.1/新闻.ts\r\n体育,/媒体/体育.mp4\r\n").toUtf8()));
    video_ = dir_.filePath(QStringLiteral("红色 片段.mp4"));
    QVERIFY(testmedia::makeClip(video_, QStringLiteral("red"), 3));
}

QStringList SourcesTest::list(QStringView name) const
{
    const ListBox& box = program_->window().get<ListBox>(name);
    QStringList items;
    for (int i = 0; i < box.items().size(); ++i)
        items << box.items().value(i);
    return items;
}

void SourcesTest::loadAndWait(const QString& path)
{
    QSignalSpy loaded(&program_->core().sources(), &PlaySourceLoader::loaded);
    program_->core().sources().load(path);
    QVERIFY(loaded.wait(10000));
}

int SourcesTest::drop(QPoint windowPoint, const QString& mime, const QByteArray& data)
{
    const QPoint at = program_->window().mapToGlobal(windowPoint);
    QProcess helper;
    helper.start(QStringLiteral(XDND_DROP), {QString::number(at.x()), QString::number(at.y()), mime, QString::fromUtf8(data)});
    // The window must keep handling events while the drag talks to it.
    if (!QTest::qWaitFor([&] { return helper.state() == QProcess::NotRunning; }, 15000))
        return -1;
    return helper.exitStatus() == QProcess::NormalExit ? helper.exitCode() : -1;
}

int SourcesTest::dropFiles(QPoint windowPoint, const QStringList& paths)
{
    QByteArray uris;
    for (const QString& path : paths)
        uris += QUrl::fromLocalFile(path).toEncoded() + "\r\n";
    return drop(windowPoint, QStringLiteral("text/uri-list"), uris);
}

void SourcesTest::cuttingRules_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<Entries>("expected");
    const Entries ab{{"A", "D:\\films\\a.mkv"}, {"B", "D:\\films\\b.mkv"}};
    QTest::newRow("two lines") << QByteArray("A,D:\\films\\a.mkv\r\nB,D:\\films\\b.mkv\r\n") << ab;
    QTest::newRow("no final line end") << QByteArray("A,D:\\films\\a.mkv\r\nB,D:\\films\\b.mkv") << ab;
    QTest::newRow("two entries on a line") << QByteArray("A,x,B,y") << Entries{{"A", "x"}, {"B", "y"}};
    QTest::newRow("name and address on two lines") << QByteArray("A\r\nx") << Entries{{"A", "x"}};
    QTest::newRow("blanks kept") << QByteArray(" A , x \r\n") << Entries{{" A ", " x "}};
    QTest::newRow("same name twice") << QByteArray("A,x\r\nA,y\r\n") << Entries{{"A", "x"}, {"A", "y"}};
    QTest::newRow("blank line skipped") << QByteArray("A,x\r\n\r\nB,y\r\n") << Entries{{"A", "x"}, {"B", "y"}};
    QTest::newRow("blank lines first and last") << QByteArray("\r\n\nA,x\r\n\r\n\n") << Entries{{"A", "x"}};
    QTest::newRow("LF line ends") << QByteArray("A,x\nB,y\n") << Entries{{"A", "x"}, {"B", "y"}};
    QTest::newRow("mixed line ends") << QByteArray("A,x\r\nB,y\nC,z") << Entries{{"A", "x"}, {"B", "y"}, {"C", "z"}};
    QTest::newRow("lone CR stays") << QByteArray("A\rB,x\r\r\nC,y") << Entries{{"A\rB", "x\r"}, {"C", "y"}};
    QTest::newRow("empty piece between commas") << QByteArray("A,,x") << Entries{{"A", ""}, {"x", ""}};
    QTest::newRow("unpaired last name") << QByteArray("A,x\r\nB") << Entries{{"A", "x"}, {"B", ""}};
    QTest::newRow("final comma adds nothing") << QByteArray("A,x,") << Entries{{"A", "x"}};
    QTest::newRow("empty file") << QByteArray() << Entries{};
    QTest::newRow("starts with a zero byte") << QByteArray("\0A,x", 4) << Entries{};
    QTest::newRow("bytes after a zero byte") << QByteArray("A,x\r\n\0B,y", 10) << Entries{{"A", "x"}};
}

void SourcesTest::cuttingRules()
{
    QFETCH(QByteArray, bytes);
    QFETCH(Entries, expected);
    QCOMPARE(entriesOf(bytes), expected);
}

void SourcesTest::everyEncodingGivesTheSameList_data()
{
    QTest::addColumn<QByteArray>("bytes");
    const QString text = QStringLiteral("新闻频道,http://127.0.0.1/新闻.ts\r\n体育,/媒体/体育.mp4\r\n");
    QTest::newRow("GBK") << encoded(text, "GB18030", false);
    QTest::newRow("UTF-8") << encoded(text, "UTF-8", false);
    QTest::newRow("UTF-8 with mark") << encoded(text, "UTF-8", true);
    QTest::newRow("UTF-16 LE with mark") << encoded(text, "UTF-16LE", true);
    QTest::newRow("UTF-16 BE with mark") << encoded(text, "UTF-16BE", true);
}

void SourcesTest::everyEncodingGivesTheSameList()
{
    QFETCH(QByteArray, bytes);
    const Entries expected{{QStringLiteral("新闻频道"), QStringLiteral("http://127.0.0.1/新闻.ts")},
                           {QStringLiteral("体育"), QStringLiteral("/媒体/体育.mp4")}};
    QCOMPARE(entriesOf(bytes), expected);
    QVERIFY(!PlaySourceBytes::collect(bytes).isBinary());
}

void SourcesTest::unreadableFilesGiveEmptyLists()
{
    loadAndWait(list_);
    QCOMPARE(names().size(), 2);
    loadAndWait(dir_.filePath(QStringLiteral("没有这个文件.txt")));
    QVERIFY(names().isEmpty());
    QVERIFY(addresses().isEmpty());
    loadAndWait(list_);
    loadAndWait(dir_.path()); // a folder
    QVERIFY(names().isEmpty());
}

void SourcesTest::gbkListPlaysItsChinesePath()
{
    QVERIFY(QDir(dir_.path()).mkpath(QStringLiteral("电视 节目")));
    const QString clip = dir_.filePath(QStringLiteral("电视 节目/蓝色.mp4"));
    QVERIFY(testmedia::makeClip(clip, QStringLiteral("blue"), 4));
    const QString gbkList = dir_.filePath(QStringLiteral("gbk.txt"));
    QVERIFY(testmedia::writeFile(gbkList, encoded(QStringLiteral("第一,/没有.mp4\r\n蓝色节目,%1\r\n").arg(clip), "GB18030", false)));
    loadAndWait(gbkList);
    QCOMPARE(names(), QStringList({QStringLiteral("第一"), QStringLiteral("蓝色节目")}));
    QCOMPARE(program_->window().get<ListBox>(u"SourceList").currentSelection(), -1);

    program_->window().get<ListBox>(u"SourceList").setCurrentSelection(1);
    QSignalSpy started(&program_->core().session(), &PlaybackSession::started);
    program_->views().playback->playSelected();
    QVERIFY(started.wait(10000));
    PicBox& video = program_->window().get<PicBox>(u"VideoSurface");
    QTRY_VERIFY_WITH_TIMEOUT(testmedia::looksLike(xtest::screenPixel(video.mapToGlobal(video.rect().center())),
                                                  QColor(0, 0, 255)),
                             10000);
    program_->views().playback->stop();
}

void SourcesTest::aHundredThousandEntriesLoadWithoutFreezingTheWindow()
{
    QByteArray bytes;
    for (int i = 0; i < 100000; ++i)
        bytes += "频道 " + QByteArray::number(i) + ",http://127.0.0.1/live/" + QByteArray::number(i) + ".ts\r\n";
    const QString big = dir_.filePath(QStringLiteral("big.txt"));
    QVERIFY(testmedia::writeFile(big, bytes));

    const xtest::Heartbeat heartbeat(10);
    loadAndWait(big);
    QCOMPARE(names().size(), 100000);
    QCOMPARE(program_->window().get<ListBox>(u"AddressList").items().value(99999),
             QStringLiteral("http://127.0.0.1/live/99999.ts"));
    // The window's thread kept beating while the file was read and cut (how
    // long that takes is measured in bench/); only showing the finished list
    // may take it for a moment, far less than reading it would.
    QVERIFY2(heartbeat.longestGapMs() < 1000, qPrintable(QStringLiteral("the window stood still for %1 ms").arg(heartbeat.longestGapMs())));
}

void SourcesTest::droppedListReplacesTheList()
{
    program_->window().get<ListBox>(u"SourceList").setItems({QStringLiteral("旧的")});
    const std::uint64_t generation = program_->core().session().generation();
    QCOMPARE(dropFiles(QPoint(250, 395), {list_}), 0);
    QTRY_COMPARE(names(), QStringList({QStringLiteral("新闻"), QStringLiteral("体育")}));
    QCOMPARE(addresses(), QStringList({QStringLiteral("http://127.0.0.1/新闻.ts"), QStringLiteral("/媒体/体育.mp4")}));
    QCOMPARE(program_->core().session().generation(), generation); // nothing plays
}

void SourcesTest::sameFileTwiceGivesTheSameList()
{
    QCOMPARE(dropFiles(QPoint(250, 395), {list_}), 0);
    QTRY_COMPARE(names().size(), 2);
    program_->window().get<ListBox>(u"SourceList").setItems({});
    QCOMPARE(dropFiles(QPoint(250, 395), {list_}), 0);
    QTRY_COMPARE(names(), QStringList({QStringLiteral("新闻"), QStringLiteral("体育")}));
}

void SourcesTest::severalFilesAreListedInDropOrder()
{
    QCOMPARE(dropFiles(QPoint(250, 395), {video_, list_}), 0);
    QTRY_COMPARE(names(), QStringList({QStringLiteral("红色 片段.mp4"), QStringLiteral("新闻"), QStringLiteral("体育")}));
    QCOMPARE(addresses().first(), video_);
}

void SourcesTest::droppedVideoBecomesOneEntry()
{
    QCOMPARE(dropFiles(QPoint(250, 395), {video_}), 0);
    QTRY_COMPARE(names(), QStringList({QStringLiteral("红色 片段.mp4")}));
    QCOMPARE(addresses(), QStringList({video_}));
}

void SourcesTest::dragWithoutFilesIsRefused()
{
    loadAndWait(list_);
    QCOMPARE(drop(QPoint(250, 395), QStringLiteral("text/plain"), "选中的文字"), 1);
    QCOMPARE(drop(QPoint(250, 395), QStringLiteral("text/uri-list"), "http://127.0.0.1/a.ts\r\n"), 1);
    QCoreApplication::processEvents();
    QCOMPARE(names().size(), 2);
}

void SourcesTest::dropsAnywhereOnTheWindowCount_data()
{
    QTest::addColumn<QPoint>("at");
    QTest::newRow("SourceList") << QPoint(600, 200);
    QTest::newRow("TitleBar") << QPoint(400, 16);
    QTest::newRow("VideoSurface") << QPoint(200, 200);
    QTest::newRow("StopButton") << QPoint(20, 394);
}

void SourcesTest::dropsAnywhereOnTheWindowCount()
{
    QFETCH(QPoint, at);
    program_->window().get<ListBox>(u"SourceList").setItems({});
    QCOMPARE(dropFiles(at, {list_}), 0);
    QTRY_COMPARE(names().size(), 2);
}

void SourcesTest::bigVideoDroppedTakesAlmostNoMemory()
{
    // Sparse: no room on disk, and every byte reads as zero.
    const QString film = dir_.filePath(QStringLiteral("蓝光原盘.mkv"));
    QFile file(film);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(qint64(6) << 30));
    file.close();
    loadAndWait(list_);
    const long before = residentKiB();
    QCOMPARE(dropFiles(QPoint(250, 395), {film}), 0);
    QTRY_COMPARE(names(), QStringList{QStringLiteral("蓝光原盘.mkv")});
    QCOMPARE(addresses(), QStringList{film});
    const long grown = residentKiB() - before;
    QVERIFY2(grown < 50 * 1024, qPrintable(QStringLiteral("resident memory grew by %1 KiB").arg(grown)));
}

void SourcesTest::droppedFolderListsItsPlayableFiles()
{
    const QDir root(dir_.filePath(QStringLiteral("连续剧")));
    QVERIFY(root.mkpath(QStringLiteral("花絮")));
    for (const char* name : {"第10集.mp4", "第2集.mp4", "第1集.mkv", "字幕.srt", "花絮/片花.mp4"})
        QVERIFY(testmedia::writeFile(root.filePath(QString::fromUtf8(name)), "x"));
    QCOMPARE(dropFiles(QPoint(250, 395), {root.path(), video_}), 0);
    QTRY_COMPARE(names(), QStringList({QStringLiteral("片花.mp4"), QStringLiteral("第1集.mkv"), QStringLiteral("第2集.mp4"),
                                       QStringLiteral("第10集.mp4"), QStringLiteral("红色 片段.mp4")}));
    QCOMPARE(addresses().value(2), root.filePath(QStringLiteral("第2集.mp4")));
    QCOMPARE(addresses().value(4), video_);
}

void SourcesTest::droppedFolderWithNothingPlayableKeepsTheList()
{
    const QDir empty(dir_.filePath(QStringLiteral("没有视频")));
    QVERIFY(empty.mkpath(QStringLiteral("子目录")));
    QVERIFY(testmedia::writeFile(empty.filePath(QStringLiteral("说明.txt.bak")), "x"));
    loadAndWait(list_);
    // The drop's load finishes, and the list is still the one before it.
    QSignalSpy loaded(&program_->core().sources(), &PlaySourceLoader::loaded);
    QCOMPARE(dropFiles(QPoint(250, 395), {empty.path()}), 0);
    QTRY_COMPARE(loaded.size(), 1);
    QCOMPARE(names(), QStringList({QStringLiteral("新闻"), QStringLiteral("体育")}));
}

void SourcesTest::droppedPipeIsSkipped()
{
    const QString pipe = dir_.filePath(QStringLiteral("管道"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    loadAndWait(list_);
    QSignalSpy loaded(&program_->core().sources(), &PlaySourceLoader::loaded);
    QCOMPARE(dropFiles(QPoint(250, 395), {pipe}), 0);
    QTRY_COMPARE(loaded.size(), 1);
    QCOMPARE(names().size(), 2);
    // A list dropped after it shows.
    QCOMPARE(dropFiles(QPoint(250, 395), {video_}), 0);
    QTRY_COMPARE(names(), QStringList{QStringLiteral("红色 片段.mp4")});
}

void SourcesTest::programEndsPromptlyAfterAPipeWasDropped()
{
    const QString pipe = dir_.filePath(QStringLiteral("另一个管道"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString emptyList = dir_.filePath(QStringLiteral("空.txt"));
    QVERIFY(testmedia::writeFile(emptyList, ""));
    QByteArray many;
    for (int i = 0; i < 40; ++i)
        many += "频道" + QByteArray::number(i) + ",http://127.0.0.1/" + QByteArray::number(i) + ".ts\r\n";
    const QString longList = dir_.filePath(QStringLiteral("长.txt"));
    QVERIFY(testmedia::writeFile(longList, many));

    QProcess player;
    player.start(QStringLiteral(CLIPVANE_BINARY), {});
    QVERIFY(player.waitForStarted(10000));
    QVERIFY2(xtest::waitForWindowOf(player.processId()),
             qPrintable(QStringLiteral("no window; the program said: ") +
                        QString::fromLocal8Bit(player.readAllStandardError().right(3000))));
    // The window opens centred on the screen; wait until it shows its skin.
    const QPoint origin = MainWindow::centredPosition(QSize(707, 415));
    QTRY_VERIFY_WITH_TIMEOUT(testmedia::looksLike(xtest::screenPixel(origin + QPoint(400, 16)), QColor(50, 177, 108)),
                             10000);
    const QRect listArea(origin + QPoint(561, 56), QSize(144, 320));
    const auto listShowsText = [&] {
        const QImage shot = xtest::grabScreen(listArea);
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < shot.width(); ++x)
                if (qGray(shot.pixel(x, y)) > 160)
                    return true;
        return false;
    };
    const auto dropOnPlayer = [&](const QString& path) {
        QProcess helper;
        helper.start(QStringLiteral(XDND_DROP), {QString::number(origin.x() + 250), QString::number(origin.y() + 395),
                                                 QStringLiteral("text/uri-list"),
                                                 QString::fromUtf8(QUrl::fromLocalFile(path).toEncoded() + "\r\n")});
        return helper.waitForFinished(15000) && helper.exitCode() == 0;
    };
    QVERIFY(dropOnPlayer(emptyList));
    QTRY_VERIFY_WITH_TIMEOUT(!listShowsText(), 10000);
    QVERIFY(dropOnPlayer(pipe));
    QVERIFY(dropOnPlayer(longList));
    QTRY_VERIFY_WITH_TIMEOUT(listShowsText(), 10000);

    const QPoint close = origin + QPoint(676 + 15, 15);
    QVERIFY(xtest::xdotool({"mousemove", QString::number(close.x()), QString::number(close.y()), "click", "1"}));
    QElapsedTimer clock;
    clock.start();
    const bool ended = player.waitForFinished(5000);
    if (!ended)
        player.kill();
    QVERIFY2(ended, "the program was still running 5 s after the close button");
    QVERIFY2(clock.elapsed() < 2000, qPrintable(QStringLiteral("ended %1 ms after the close button").arg(clock.elapsed())));
    QCOMPARE(player.exitStatus(), QProcess::NormalExit);
}

void SourcesTest::droppedM3uListShowsItsGroupsAndPlaysWithItsHeaders()
{
    const QString clip = dir_.filePath(QStringLiteral("红色.ts"));
    QVERIFY(testmedia::makeClip(clip, QStringLiteral("red"), 20));
    LiveStreamServer server(clip, 20, {"--require", "User-Agent: okhttp", "--require", "Referer: http://x/"});
    const QString m3u = dir_.filePath(QStringLiteral("频道.m3u"));
    QVERIFY(testmedia::writeFile(m3u, QStringLiteral("#EXTM3U\n"
                                                      "#EXTINF:-1 group-title=\"央视\",CCTV-1\n"
                                                      "#EXTVLCOPT:http-user-agent=okhttp\n"
                                                      "#EXTVLCOPT:http-referrer=http://x/\n%1\n"
                                                      "#EXTINF:-1 group-title=\"本地\",红色片段\n红色 片段.mp4\n")
                                          .arg(server.address())
                                          .toUtf8()));
    QCOMPARE(dropFiles(QPoint(250, 395), {m3u}), 0);
    QTRY_COMPARE(names(), QStringList({QStringLiteral("央视"), QStringLiteral("CCTV-1"), QStringLiteral("本地"),
                                       QStringLiteral("红色片段")}));
    QCOMPARE(addresses().value(3), video_); // relative to the list's folder
    ListBox& list = program_->window().get<ListBox>(u"SourceList");
    QVERIFY(list.isHeading(0) && list.isHeading(2) && !list.isHeading(1));

    list.setCurrentSelection(1);
    program_->views().playback->playSelected();
    PicBox& video = program_->window().get<PicBox>(u"VideoSurface");
    QTRY_VERIFY_WITH_TIMEOUT(testmedia::looksLike(xtest::screenPixel(video.mapToGlobal(video.rect().center())),
                                                  QColor(255, 0, 0)),
                             20000);
    QCOMPARE(program_->window().get<TransLabel>(u"TitleLabel").caption(), QStringLiteral("正在播放：CCTV-1"));
    program_->views().playback->stop();
}

void SourcesTest::headingDoubleClickedChangesNothing()
{
    const QString list = dir_.filePath(QStringLiteral("分组.txt"));
    QVERIFY(testmedia::writeFile(list, QStringLiteral("央视频道,#genre#\r\nCCTV-1,/没有/1.mp4\r\n").toUtf8()));
    loadAndWait(list);
    ListBox& sources = program_->window().get<ListBox>(u"SourceList");
    sources.setCurrentSelection(1);
    TransLabel& title = program_->window().get<TransLabel>(u"TitleLabel");
    const QString before = title.caption();
    const std::uint64_t generation = program_->core().session().generation();
    // A real double-click on the heading, through the X server.
    const QPoint at = xtest::entryOnScreen(sources, 0);
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "--repeat", "2",
                            "--delay", "80", "1"}));
    QTest::qWait(300);
    QCOMPARE(title.caption(), before);
    QCOMPARE(program_->core().session().generation(), generation);
    // The heading takes no selection; screen readers hear it as a group heading.
    QCOMPARE(sources.currentSelection(), 1);
    QCOMPARE(sources.model()->index(0, 0).data(Qt::AccessibleDescriptionRole).toString(), QStringLiteral("分组标题"));
    QVERIFY(!(sources.model()->flags(sources.model()->index(0, 0)) & Qt::ItemIsSelectable));
}

void SourcesTest::filterLineFindsAChannelByRealKeys()
{
    const QString list = dir_.filePath(QStringLiteral("很多.txt"));
    QVERIFY(testmedia::writeFile(list, QStringLiteral("央视,#genre#\r\nCCTV-1 综合,/没有/1.mp4\r\nCCTV-5 体育,/没有/5.mp4\r\n"
                                                      "卫视,#genre#\r\n湖南卫视,/没有/湖南.mp4\r\n红色,%1\r\n")
                                          .arg(video_)
                                          .toUtf8()));
    loadAndWait(list);
    MainWindow& window = program_->window();
    ListBox& sources = window.get<ListBox>(u"SourceList");
    sources.setCurrentSelection(2);
    // A click on the list's heading opens the line; typing filters as it goes.
    const QWidget* heading = window.control(u"ListCaptionLabel")->widget();
    const QPoint at = heading->mapToGlobal(heading->rect().center());
    QVERIFY(xtest::xdotool({"mousemove", QString::number(at.x()), QString::number(at.y()), "click", "1"}));
    QLineEdit* line = window.findChild<QLineEdit*>(QStringLiteral("ListFilterLine"));
    QVERIFY(line);
    QTRY_VERIFY(line->isVisible() && line->hasFocus());
    QVERIFY(xtest::xdotool({"type", "--delay", "30", "cctv"}));
    QTRY_COMPARE(line->text(), QStringLiteral("cctv"));
    QCOMPARE(sources.model()->rowCount(), 3); // the heading and both of its channels
    QCOMPARE(sources.currentSelection(), 2);  // still on its entry
    QVERIFY(xtest::xdotool({"key", "--delay", "30", "minus", "5"}));
    QTRY_COMPARE(sources.model()->rowCount(), 2);
    // Esc: the whole list again, the selection kept.
    QVERIFY(xtest::xdotool({"key", "Escape"}));
    QTRY_VERIFY(!line->isVisible());
    QCOMPARE(sources.model()->rowCount(), 6);
    QCOMPARE(sources.currentSelection(), 2);

    // Chinese through the line (an input method sets the text); Enter plays the first match.
    QVERIFY(xtest::xdotool({"key", "ctrl+f"}));
    QTRY_VERIFY(line->isVisible() && line->hasFocus());
    line->setText(QStringLiteral("红"));
    QCOMPARE(sources.model()->rowCount(), 2); // 红色 under its group's heading
    QCOMPARE(sources.currentSelection(), -1);
    QVERIFY(xtest::xdotool({"key", "Return"}));
    QTRY_COMPARE(window.get<TransLabel>(u"TitleLabel").caption(), QStringLiteral("正在播放：红色"));
    QCOMPARE(program_->core().playback().currentAddress(), video_);
    program_->views().playback->stop();
    line->setText({});
    QCOMPARE(sources.model()->rowCount(), 6);
    QVERIFY(xtest::xdotool({"key", "Escape"}));
}

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    SourcesTest test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_sources.moc"
