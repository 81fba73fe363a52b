// Reading list files and dropped files without a window: the piecewise reader
// stops where the list ends, folders list their playable files in a file
// manager's order, files that are no regular files are skipped, and a read
// that never returns holds up neither a later load nor the loader's end.

#include "sources/FolderListing.h"
#include "sources/PlaySourceBytes.h"
#include "sources/PlaySourceLoader.h"
#include "sources/PlaySourceReading.h"
#include "sources/PlaySourceText.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <semaphore>

#include <sys/stat.h>

namespace {

const std::atomic<bool> kGoOn{false};

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QStringList namesOf(const PlaySourceFile& file)
{
    QStringList names;
    for (const PlaySource& entry : file.entries)
        names << entry.name;
    return names;
}

} // namespace

class ListReadingTest : public QObject {
    Q_OBJECT

private slots:
    void readerStopsWhereTheListEnds_data();
    void readerStopsWhereTheListEnds();
    void readerStopsAtTheLimit();
    void piecesOfAnySizeGiveTheWholeResult();
    void bigVideoIsListedAsOneEntry();
    void folderListsPlayableFilesInNaturalOrder();
    void foldersWithoutPlayableFilesKeepTheList();
    void pipesAndDevicesAreSkipped();
    void listFileThatIsNoRegularFileIsEmpty();
    void hungReadHoldsUpNeitherALaterLoadNorTheEnd();
};

void ListReadingTest::readerStopsWhereTheListEnds_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QByteArray>("kept");
    QTest::addColumn<bool>("binary");
    QTest::newRow("plain list") << QByteArray("A,x\r\n") << QByteArray("A,x\r\n") << false;
    QTest::newRow("zero byte ends it") << QByteArray("A,x\0B,y", 7) << QByteArray("A,x") << true;
    QTest::newRow("zero first") << QByteArray("\0\0\0", 3) << QByteArray() << true;
    QTest::newRow("UTF-16 keeps its zero bytes") << QByteArray("\xff\xfe" "A\0,\0x\0", 8)
                                                 << QByteArray("\xff\xfe" "A\0,\0x\0", 8) << false;
    QTest::newRow("UTF-16 ends at a zero character") << QByteArray("\xfe\xff\0A\0\0\0B", 8)
                                                     << QByteArray("\xfe\xff\0A", 4) << false;
    QTest::newRow("UTF-16 zero bytes across characters") << QByteArray("\xff\xfe" "A\0\0B\0\0", 8)
                                                         << QByteArray("\xff\xfe" "A\0\0B", 6) << false;
    QTest::newRow("half a mark") << QByteArray("\xff") << QByteArray("\xff") << false;
}

void ListReadingTest::readerStopsWhereTheListEnds()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QByteArray, kept);
    QFETCH(bool, binary);
    const PlaySourceBytes collected = PlaySourceBytes::collect(bytes);
    QCOMPARE(collected.bytes(), kept);
    QCOMPARE(collected.isBinary(), binary);
    QVERIFY(!collected.reachedLimit());
    // What was kept reads exactly as the whole would.
    QCOMPARE(parsePlaySourceBytes(collected.bytes()).entries, parsePlaySourceBytes(bytes).entries);
}

void ListReadingTest::readerStopsAtTheLimit()
{
    PlaySourceBytes collected(12);
    QVERIFY(collected.feed("A,x\r\nB,y\r\n"));
    QVERIFY(collected.feed(""));
    QVERIFY(!collected.reachedLimit());
    QVERIFY(!collected.feed("C,z\r\n"));
    QVERIFY(collected.reachedLimit());
    QCOMPARE(collected.bytes(), QByteArray("A,x\r\nB,y\r\nC,"));
    QVERIFY(!collected.feed("more"));
}

void ListReadingTest::piecesOfAnySizeGiveTheWholeResult()
{
    const QByteArray samples[] = {QByteArray("\xff\xfe" "A\0,\0x\0\0\0B\0", 12), QByteArray("A,x\r\n\0B", 7),
                                  QByteArray("\xfe\xff\0A\0,", 6), QByteArray("\xef\xbb\xbf新,/a.mp4\r\n")};
    for (const QByteArray& bytes : samples) {
        const PlaySourceBytes whole = PlaySourceBytes::collect(bytes);
        for (int size = 1; size <= bytes.size(); ++size) {
            PlaySourceBytes pieces;
            for (qsizetype at = 0; at < bytes.size() && pieces.wantsMore(); at += size)
                pieces.feed(QByteArrayView(bytes).sliced(at, std::min<qsizetype>(size, bytes.size() - at)));
            QCOMPARE(pieces.bytes(), whole.bytes());
            QCOMPARE(pieces.isBinary(), whole.isBinary());
        }
    }
}

void ListReadingTest::bigVideoIsListedAsOneEntry()
{
    // Sparse: takes no room on disk, reads as zero bytes. (What it costs in
    // memory is measured where the program runs, in the drop tests.)
    QTemporaryDir dir;
    const QString film = dir.filePath(QStringLiteral("大片.mkv"));
    QFile file(film);
    QVERIFY(file.open(QIODevice::WriteOnly));
    QVERIFY(file.resize(qint64(6) << 30));
    file.close();
    const PlaySourceFile dropped = readDroppedFiles({film}, kGoOn);
    QCOMPARE(namesOf(dropped), QStringList{QStringLiteral("大片.mkv")});
    QCOMPARE(dropped.entries.front().address, film);
}

void ListReadingTest::folderListsPlayableFilesInNaturalOrder()
{
    QTemporaryDir dir;
    const QDir root(dir.path());
    QVERIFY(root.mkpath(QStringLiteral("剧集/第10季")) && root.mkpath(QStringLiteral("剧集/.隐藏")) &&
            root.mkpath(QStringLiteral("剧集/第2季")));
    for (const char* name : {"剧集/第10集.mp4", "剧集/第2集.MKV", "剧集/第1集.mp4", "剧集/说明.txt", "剧集/封面.jpg",
                             "剧集/第10季/第1集.ts", "剧集/第2季/片尾曲.mp3", "剧集/.隐藏/第3集.mp4", "剧集/节目.m3u8"})
        QVERIFY(writeFile(root.filePath(QString::fromUtf8(name)), "x"));
    // A link back up the tree is followed once, never round and round.
    QVERIFY(QFile::link(root.filePath(QStringLiteral("剧集")), root.filePath(QStringLiteral("剧集/第2季/回到上层"))));

    QStringList relative;
    for (const QString& path : playableFilesIn(root.filePath(QStringLiteral("剧集")), kGoOn))
        relative << root.relativeFilePath(path);
    // Subfolders first, as a file manager shows them, then the files; numbers in numeric order.
    const QStringList expected{"剧集/第2季/片尾曲.mp3", "剧集/第10季/第1集.ts", "剧集/第1集.mp4",
                               "剧集/第2集.MKV", "剧集/第10集.mp4", "剧集/节目.m3u8"};
    QCOMPARE(relative, expected);

    // Dropped with a list file: drop order is kept, each file listed by its name and full path.
    const QString list = root.filePath(QStringLiteral("节目单.txt"));
    QVERIFY(writeFile(list, "新闻,http://127.0.0.1/a.ts\r\n"));
    const PlaySourceFile dropped = readDroppedFiles({list, root.filePath(QStringLiteral("剧集"))}, kGoOn);
    QCOMPARE(dropped.entries.size(), size_t(1 + expected.size()));
    QCOMPARE(dropped.entries.front().name, QStringLiteral("新闻"));
    QCOMPARE(dropped.entries.at(3).name, QStringLiteral("第1集.mp4"));
    QCOMPARE(dropped.entries.at(3).address, root.filePath(QStringLiteral("剧集/第1集.mp4")));
    QVERIFY(!dropped.keepsCurrentList);
}

void ListReadingTest::foldersWithoutPlayableFilesKeepTheList()
{
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath(QStringLiteral("空的/也空")));
    QVERIFY(writeFile(dir.filePath(QStringLiteral("空的/照片.jpg")), "x"));
    QVERIFY(readDroppedFiles({dir.filePath(QStringLiteral("空的"))}, kGoOn).keepsCurrentList);
    // An empty list file is a list: it empties the list, as it always did.
    QVERIFY(writeFile(dir.filePath(QStringLiteral("空.txt")), ""));
    const PlaySourceFile empty = readDroppedFiles({dir.filePath(QStringLiteral("空.txt"))}, kGoOn);
    QVERIFY(!empty.keepsCurrentList);
    QVERIFY(empty.entries.empty());
}

void ListReadingTest::pipesAndDevicesAreSkipped()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("管道"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString list = dir.filePath(QStringLiteral("单.txt"));
    QVERIFY(writeFile(list, "A,x\r\n"));
    // Opening a pipe with no writer would wait for ever.
    QVERIFY(readDroppedFiles({pipe}, kGoOn).keepsCurrentList);
    QVERIFY(readDroppedFiles({QStringLiteral("/dev/zero")}, kGoOn).keepsCurrentList);
    const PlaySourceFile both = readDroppedFiles({pipe, list, QStringLiteral("/dev/null")}, kGoOn);
    QCOMPARE(namesOf(both), QStringList{QStringLiteral("A")});
}

void ListReadingTest::listFileThatIsNoRegularFileIsEmpty()
{
    QTemporaryDir dir;
    const QString pipe = dir.filePath(QStringLiteral("澄影播放源.txt"));
    QCOMPARE(mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    QVERIFY(readPlaySourceFile(pipe, kGoOn).entries.empty());
    QVERIFY(readPlaySourceFile(dir.path(), kGoOn).entries.empty());
    QVERIFY(readPlaySourceFile(dir.filePath(QStringLiteral("没有")), kGoOn).entries.empty());
}

void ListReadingTest::hungReadHoldsUpNeitherALaterLoadNorTheEnd()
{
    // The first read blocks as a file on a share that stopped answering would;
    // it is let go only when the test ends, after the loader is gone.
    auto release = std::make_shared<std::binary_semaphore>(0);
    auto hungReads = std::make_shared<std::atomic<int>>(0);
    PlaySourceLoader::Readers readers = PlaySourceLoader::fileSystemReaders();
    readers.dropped = [release, hungReads](const QStringList& paths, const std::atomic<bool>&) {
        if (paths.value(0) == QLatin1String("hangs")) {
            ++*hungReads;
            release->acquire();
            return PlaySourceFile{};
        }
        PlaySourceFile file;
        file.entries = {{paths.value(0), QStringLiteral("/a.mp4")}};
        return file;
    };

    QElapsedTimer clock;
    {
        PlaySourceLoader loader(nullptr, readers);
        loader.setExitWait(std::chrono::milliseconds(100));
        QSignalSpy loaded(&loader, &PlaySourceLoader::loaded);
        loader.loadDropped({QStringLiteral("hangs")});
        QTRY_COMPARE(hungReads->load(), 1);
        const std::uint64_t later = loader.loadDropped({QStringLiteral("列表")});
        QVERIFY(loaded.wait(5000));
        QCOMPARE(loaded.size(), 1);
        QCOMPARE(loaded.first().at(0).value<std::uint64_t>(), later);
        QCOMPARE(loaded.first().at(1).value<PlaySourceFile>().names, QStringList{QStringLiteral("列表")});
        loader.loadDropped({QStringLiteral("hangs")});
        QTRY_COMPARE(hungReads->load(), 2);
        clock.start();
    }
    // The end waits a moment for reads that notice they are cancelled, not for ever.
    QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
    release->release(2);
}

QTEST_GUILESS_MAIN(ListReadingTest)
#include "tst_listreading.moc"
