// Time-shift and recording without a window: the buffer's bounds in time and
// size kept while the stream comes (held or not), positions behind live
// across a trim, a recording's file name and folder, a programme's recording
// span with its padding, and what may be recorded beside the channel watched.

#include "core/playback/LiveShift.h"
#include "core/recording/Recording.h"
#include "engine/LiveRecorder.h"
#include "engine/TimeShiftBuffer.h"
#include "engine/TimeShiftSpan.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>
#include <fcntl.h>
#include <linux/falloc.h>
#include <sys/stat.h>
#include <cerrno>
#include <thread>
#include <utility>
#include <vector>

namespace {

// Bytes that say where they are in the stream.
std::vector<unsigned char> countingBytes(std::int64_t from, std::size_t size)
{
    std::vector<unsigned char> bytes(size);
    for (std::size_t i = 0; i < size; ++i)
        bytes[i] = static_cast<unsigned char>((from + std::int64_t(i)) % 251);
    return bytes;
}

bool countsFrom(const unsigned char* bytes, std::size_t size, std::int64_t from)
{
    for (std::size_t i = 0; i < size; ++i) {
        if (bytes[i] != static_cast<unsigned char>((from + std::int64_t(i)) % 251))
            return false;
    }
    return true;
}

// MPEG-TS packets numbered in their second byte.
QByteArray packets(int first, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i) {
        QByteArray packet(188, char(0xff));
        packet[0] = char(0x47);
        packet[1] = char(first + i);
        bytes += packet;
    }
    return bytes;
}

// An H.264 and AAC channel as ffmpeg's MPEG-TS muxer sends it: a key picture
// every `keyEvery` frames (25 a second), the tables at least every `tablesEvery` seconds.
QByteArray channelStream(const QString& folder, int keyEvery, double tablesEvery)
{
    const QString path = QDir(folder).filePath(QStringLiteral("channel-%1.ts").arg(keyEvery));
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"),
                 {"-v", "error", "-y", "-f", "lavfi", "-i", "testsrc=size=320x240:rate=25", "-f", "lavfi", "-i",
                  "sine=frequency=440", "-t", "6", "-c:v", "libx264", "-preset", "ultrafast", "-g", QString::number(keyEvery),
                  "-c:a", "aac", "-f", "mpegts", "-pat_period", QString::number(tablesEvery), path});
    if (!ffmpeg.waitForFinished(60000) || ffmpeg.exitCode() != 0)
        return {};
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// What ffmpeg says decoding a file from its first byte: nothing when it decodes cleanly.
QString decodingErrors(const QString& path)
{
    QProcess ffmpeg;
    ffmpeg.start(QStringLiteral("ffmpeg"), {"-v", "error", "-i", path, "-f", "null", "-"});
    if (!ffmpeg.waitForFinished(60000))
        return QStringLiteral("ffmpeg did not finish");
    return QString::fromLocal8Bit(ffmpeg.readAllStandardError()).trimmed();
}

int pidAt(const QByteArray& stream, qsizetype packet)
{
    return ((uchar(stream[packet * 188 + 1]) & 0x1f) << 8) | uchar(stream[packet * 188 + 2]);
}

// A pid no process has now, without starting one.
pid_t freePid()
{
    QFile maximum(QStringLiteral("/proc/sys/kernel/pid_max"));
    const pid_t last = maximum.open(QIODevice::ReadOnly) ? pid_t(maximum.readAll().trimmed().toLongLong()) : 32768;
    for (pid_t pid = last - 1; pid > 300; --pid) {
        if (::kill(pid, 0) != 0 && errno == ESRCH)
            return pid;
    }
    return -1;
}

} // namespace

class TimeShiftTest : public QObject {
    Q_OBJECT

private slots:
    void theBufferKeepsItsBoundsAndPositionsAcrossATrim();
    void recordingsAreNamedAndTimed();
    void theBufferOnDiskIsARingReadersFollow();
    void theDiskFollowsTheTimeBoundAcrossARateChange();
    void aRecordingStartsAtAPacketAndStopsWhenTheDiskRunsShort();
    void aRecordingJoinedMidGroupOpensFromItsFirstByte();
    void buffersLeftByACrashAreRemoved();
    void holdingAndJumpingCountBehindLive();
};

void TimeShiftTest::theBufferKeepsItsBoundsAndPositionsAcrossATrim()
{
    // A minute or 1,000 bytes, whichever is less; 10 bytes a second come.
    TimeShiftSpan window({60 * 1000, 1000});
    for (int second = 0; second <= 30; ++second)
        window.arrived(10, second * 1000);
    QCOMPARE(window.oldestByte(), 0);
    QCOMPARE(window.newestByte(), 310);
    QCOMPARE(window.heldMs(), 30000);
    QCOMPARE(window.byteBehind(10000), 200);
    QCOMPARE(window.byteBehind(0), 300);
    QCOMPARE(window.byteBehind(99999), 0); // no further back than what is held

    // Held for two minutes: the stream keeps coming and the oldest goes by time.
    const std::int64_t held = window.byteBehind(10000);
    for (int second = 31; second <= 150; ++second)
        window.arrived(10, second * 1000);
    QCOMPARE(window.heldMs(), 60000);
    QCOMPARE(window.oldestByte(), 900);
    QCOMPARE(window.keptPosition(held), 900); // the held position was let go: it moves up to the oldest kept
    QCOMPARE(window.byteBehind(60000), 900);
    QCOMPARE(window.keptPosition(1200), 1200);

    // Faster, the size bound comes first.
    for (int second = 151; second <= 160; ++second)
        window.arrived(200, second * 1000);
    QCOMPARE(window.oldestByte(), window.newestByte() - 1000);
    QCOMPARE(window.heldMs(), 4000);

    // Nothing comes: time alone lets it all go.
    window.trimAt(160 * 1000 + 60 * 1000 + 1);
    QCOMPARE(window.oldestByte(), window.newestByte());
    QCOMPARE(window.byteBehind(1000), window.newestByte());
    window.arrived(0, 300 * 1000);
    QCOMPARE(window.oldestByte(), window.newestByte());
}

void TimeShiftTest::recordingsAreNamedAndTimed()
{
    const QDateTime start(QDate(2026, 12, 9), QTime(19, 30, 5));
    QCOMPARE(recording::fileName(QStringLiteral("湖南卫视"), start), QStringLiteral("湖南卫视 2026-12-09 19.30.05.ts"));
    QCOMPARE(recording::fileName(QStringLiteral("../新闻: 直播/一?台*"), start),
             QStringLiteral("_新闻_ 直播_一_台_ 2026-12-09 19.30.05.ts"));
    QCOMPARE(recording::fileName(QStringLiteral("\t.\n"), start), QStringLiteral("_._ 2026-12-09 19.30.05.ts"));
    QCOMPARE(recording::fileName(QStringLiteral(" ... "), start), QStringLiteral("录制 2026-12-09 19.30.05.ts"));
    const QString longName = recording::fileName(QString(200, u'台'), start);
    QCOMPARE(longName.size(), 120 + 23);
    QVERIFY(recording::folder().endsWith(QStringLiteral("/Clipvane")));

    // A programme's span with its padding; one without an end lasts an hour.
    const recording::Span span = recording::spanOf({1000000, 1003600, {}, {}}, 2, 5);
    QCOMPARE(span.from, 1000000 - 120);
    QCOMPARE(span.to, 1003600 + 300);
    QCOMPARE(recording::spanOf({1000000, 0, {}, {}}, -1, 0).to, 1003600);

    // Beside the channel watched: asked about only where a second connection
    // would go to the one-connection server the channel watched holds.
    using recording::Beside;
    const QString watched = QStringLiteral("http://a:8080/live/1.ts");
    QCOMPARE(recording::besideWatching(watched, watched, true), Beside::OneConnection);
    QCOMPARE(recording::besideWatching(QStringLiteral("http://a:8080/live/2.ts"), watched, true), Beside::OneConnection);
    QCOMPARE(recording::besideWatching(QStringLiteral("http://b/live/2.ts"), watched, true), Beside::Allowed);
    QCOMPARE(recording::besideWatching(QStringLiteral("http://a:8080/live/2.ts"), watched, false), Beside::Allowed);
    QCOMPARE(recording::besideWatching(QStringLiteral("http://a:8080/live/2.ts"), {}, true), Beside::Allowed);
}

void TimeShiftTest::theBufferOnDiskIsARingReadersFollow()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    // 1,000 bytes on disk at most: the stream wraps round the file many times.
    auto buffer = TimeShiftBuffer::create(folder.path(), {60 * 1000, 1000});
    QVERIFY(buffer);
    QCOMPARE(QDir(folder.path()).entryList(QDir::Files).size(), 1);
    std::int64_t written = 0;
    for (int second = 0; second < 30; ++second) {
        const auto bytes = countingBytes(written, 130);
        QVERIFY(buffer->append(bytes.data(), bytes.size(), second * 1000));
        written += 130;
    }
    TimeShiftBuffer::State state = buffer->state();
    QCOMPARE(state.liveByte, written);
    QVERIFY(state.liveByte - state.oldestByte <= 1000);
    QVERIFY(QFileInfo(QDir(folder.path()).entryInfoList(QDir::Files).value(0)).size() <= 1000);

    // A reader left behind the oldest byte moves up to it, and reads the bytes that were written there.
    std::int64_t position = 0;
    std::vector<unsigned char> read(400);
    std::ptrdiff_t got = buffer->read(position, read.data(), read.size());
    QVERIFY(got > 0);
    QCOMPARE(position - got, state.oldestByte);
    QVERIFY(countsFrom(read.data(), std::size_t(got), state.oldestByte));
    while (position < state.liveByte) { // across the end of the file and back to its start
        const std::int64_t from = position;
        got = buffer->read(position, read.data(), read.size());
        QVERIFY(got > 0);
        QVERIFY(countsFrom(read.data(), std::size_t(got), from));
    }

    // At live it waits for more; abort, or the end, lets it go.
    std::thread writer([&] {
        const auto bytes = countingBytes(written, 50);
        buffer->append(bytes.data(), bytes.size(), 31000);
    });
    got = buffer->read(position, read.data(), read.size());
    writer.join();
    QCOMPARE(got, 50);
    std::atomic<bool> stop{false};
    std::thread stopper([&] {
        stop = true;
        buffer->wakeReaders();
    });
    stopper.join();
    QCOMPARE(buffer->read(position, read.data(), read.size(), &stop), -1);
    buffer->finish();
    QCOMPARE(buffer->read(position, read.data(), read.size()), 0);
    QVERIFY(buffer->state().ended);

    // The file goes with the buffer.
    buffer.reset();
    QVERIFY(QDir(folder.path()).entryList(QDir::Files).isEmpty());
}

namespace {

// Disk in use by a file, as du counts it.
std::int64_t diskUsed(const QString& path)
{
    struct stat status {};
    return ::stat(QFile::encodeName(path).constData(), &status) == 0 ? std::int64_t(status.st_blocks) * 512 : -1;
}

} // namespace

// A minute's bound on a slow channel once kept up to the size bound on disk
// (2 GB by default). The disk follows what is held, through the ring's wraps
// and when the rate changes; what is held still reads back whole.
void TimeShiftTest::theDiskFollowsTheTimeBoundAcrossARateChange()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    {
        QFile probe(folder.filePath(QStringLiteral("probe")));
        QVERIFY(probe.open(QIODevice::WriteOnly) && probe.write(QByteArray(1 << 16, 'x')) == 1 << 16 && probe.flush());
        if (::fallocate(probe.handle(), FALLOC_FL_PUNCH_HOLE | FALLOC_FL_KEEP_SIZE, 0, 1 << 16) != 0)
            QSKIP("this file system cannot punch holes; the buffer keeps its size bound here");
        probe.remove();
    }
    // Two seconds, 8 MiB: at 1 MB/s the time bound is the smaller, and the stream wraps the file.
    auto buffer = TimeShiftBuffer::create(folder.path(), {2000, 8 << 20});
    QVERIFY(buffer);
    const QString file = QDir(folder.path()).entryInfoList(QDir::Files).value(0).filePath();
    std::int64_t written = 0;
    std::int64_t at = 0;
    const auto run = [&](std::size_t perTenth, int tenths) {
        std::int64_t largest = 0;
        for (int tenth = 0; tenth < tenths; ++tenth, at += 100) {
            const auto bytes = countingBytes(written, perTenth);
            if (!buffer->append(bytes.data(), bytes.size(), at))
                return std::int64_t(-1);
            written += std::int64_t(perTenth);
            const TimeShiftBuffer::State state = buffer->state();
            largest = std::max(largest, diskUsed(file) - (state.liveByte - state.oldestByte));
        }
        return largest; // the most the disk held beyond the span
    };
    const std::int64_t slack = TimeShiftBuffer::kGiveBackStep + 2 * 4096; // a step, and the blocks at its two ends
    const std::int64_t slow = run(100 * 1000, 200);
    QVERIFY2(slow >= 0 && slow <= slack, qPrintable(QString::number(slow)));
    const std::int64_t fast = run(300 * 1000, 100); // the rate triples
    QVERIFY2(fast >= 0 && fast <= slack, qPrintable(QString::number(fast)));
    QVERIFY(diskUsed(file) <= 3 * 2 * 1000 * 1000 + slack); // two seconds at 3 MB/s
    // What is held is whole.
    TimeShiftBuffer::State state = buffer->state();
    std::int64_t position = state.oldestByte;
    std::vector<unsigned char> read(256 * 1024);
    while (position < state.liveByte) {
        const std::int64_t from = position;
        const std::ptrdiff_t got = buffer->read(position, read.data(), read.size());
        QVERIFY(got > 0);
        QVERIFY(countsFrom(read.data(), std::size_t(got), from));
    }
}

void TimeShiftTest::aRecordingStartsAtAPacketAndStopsWhenTheDiskRunsShort()
{
    QTemporaryDir folder;
    auto buffer = TimeShiftBuffer::create(folder.filePath(QStringLiteral("cache")), {60 * 1000, 8 << 20});
    QVERIFY(buffer);
    const QString path = folder.filePath(QStringLiteral("videos/Clipvane/a.ts"));
    std::int64_t freeBytes = std::int64_t(1) << 40;
    QVERIFY(buffer->startRecording(path, nullptr, [&](const QString&) { return freeBytes; }));
    // It starts in the middle of a packet and of a group of pictures: the recording from the next key picture.
    const QByteArray stream = channelStream(folder.path(), 25, 0.1).mid(188 * 300 + 100);
    QVERIFY(!stream.isEmpty());
    buffer->append(reinterpret_cast<const unsigned char*>(stream.constData()), std::size_t(stream.size()), 0);
    QVERIFY(buffer->state().recording);
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray recorded = file.readAll();
    QVERIFY(recorded.size() > 0 && recorded.size() % 188 == 0);
    QCOMPARE(pidAt(recorded, 0), 0);
    QCOMPARE(buffer->state().recordedBytes, recorded.size());

    // Never over a file that is there already.
    QString error;
    QVERIFY(!buffer->startRecording(path, &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(buffer->state().recording); // the one under way goes on

    // The disk runs short: the recording stops by itself and says why.
    freeBytes = LiveRecorder::kLeastFreeBytes - 1;
    const QByteArray more = packets(40, 23000); // past the next look at the disk
    buffer->append(reinterpret_cast<const unsigned char*>(more.constData()), std::size_t(more.size()), 1000);
    const TimeShiftBuffer::State state = buffer->state();
    QVERIFY(!state.recording);
    QCOMPARE(state.recordingStop, LiveRecorder::Stop::DiskShort);
    QCOMPARE(state.recordingPath, path);
    QCOMPARE(QFileInfo(path).size() % 188, 0);

    // A stream that is no MPEG-TS (an audio stream) is written whole, from its first bytes.
    auto audio = TimeShiftBuffer::create(folder.filePath(QStringLiteral("cache")), {60 * 1000, 1 << 20});
    const QString mp3 = folder.filePath(QStringLiteral("videos/Clipvane/radio.ts"));
    QVERIFY(audio->startRecording(mp3));
    const QByteArray frames(4096, char(0xfb));
    audio->append(reinterpret_cast<const unsigned char*>(frames.constData()), std::size_t(frames.size()), 0);
    QCOMPARE(QFileInfo(mp3).size(), frames.size());

    // The stream's end ends a recording too.
    const QString second = folder.filePath(QStringLiteral("videos/Clipvane/b.ts"));
    freeBytes = std::int64_t(1) << 40;
    QVERIFY(buffer->startRecording(second));
    buffer->finish();
    QCOMPARE(buffer->state().recordingStop, LiveRecorder::Stop::StreamEnded);
}

// Joined in the middle of a group of pictures, in pieces of any size: the
// file begins with the tables (PAT, then PMT), then a key picture with its
// parameter sets, and decodes from its first byte without an error, also when
// the tables come only with the key pictures, every three seconds.
void TimeShiftTest::aRecordingJoinedMidGroupOpensFromItsFirstByte()
{
    QTemporaryDir folder;
    const quint32 seed = QRandomGenerator::global()->generate();
    qInfo("pieces' seed: %u", seed);
    QRandomGenerator pieces(seed);
    for (const auto& [keyEvery, tablesEvery] : {std::pair{25, 0.1}, std::pair{75, 3.0}}) {
        const QByteArray stream = channelStream(folder.path(), keyEvery, tablesEvery);
        QVERIFY(!stream.isEmpty());
        const QString path = folder.filePath(QStringLiteral("joined-%1.ts").arg(keyEvery));
        {
            LiveRecorder recorder(path, [](const QString&) { return std::int64_t(1) << 40; });
            for (qsizetype at = stream.size() * 2 / 5 + 77; at < stream.size();) {
                const qsizetype piece = std::min<qsizetype>(stream.size() - at, 1 + pieces.bounded(9000));
                recorder.write(reinterpret_cast<const unsigned char*>(stream.constData() + at), std::size_t(piece));
                at += piece;
            }
        }
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray recorded = file.readAll();
        QVERIFY2(recorded.size() > 10 * 188 && recorded.size() % 188 == 0, qPrintable(QString::number(recorded.size())));
        QCOMPARE(pidAt(recorded, 0), 0);
        const int pmt = ((uchar(recorded[15]) & 0x1f) << 8) | uchar(recorded[16]); // the PAT's one programme
        QCOMPARE(pidAt(recorded, 1), pmt);
        const QByteArray first = recorded.mid(2 * 188, 188);
        QVERIFY(first[1] & 0x40); // a PES starts in it
        QVERIFY2(first.contains(QByteArray("\x00\x00\x01\x67", 4)), first.toHex().constData()); // H.264's SPS
        const QString errors = decodingErrors(path);
        QVERIFY2(errors.isEmpty(), qPrintable(errors));
    }
}

void TimeShiftTest::buffersLeftByACrashAreRemoved()
{
    QTemporaryDir folder;
    const pid_t gone = freePid();
    QVERIFY(gone > 0);
    const QString left = folder.filePath(QStringLiteral("timeshift-%1-3.ts").arg(gone));
    const QString running = folder.filePath(QStringLiteral("timeshift-1-1.ts")); // pid 1 always runs
    const QString other = folder.filePath(QStringLiteral("guide.sqlite"));
    for (const QString& path : {left, running, other}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    auto mine = TimeShiftBuffer::create(folder.path(), {});
    TimeShiftBuffer::removeLeftOvers(folder.path());
    QVERIFY(!QFile::exists(left));
    QVERIFY(QFile::exists(running));
    QVERIFY(QFile::exists(other));
    QCOMPARE(QDir(folder.path()).entryList({QStringLiteral("timeshift-*")}, QDir::Files).size(), 2);
}

void TimeShiftTest::holdingAndJumpingCountBehindLive()
{
    LiveShift shift;
    const std::int64_t reach = 60000;
    QCOMPARE(shift.behindMs(0, reach), 0);
    // Held 10 s: 10 s behind; on from the held picture.
    shift.hold(1000);
    QVERIFY(shift.isHeld());
    QCOMPARE(shift.behindMs(11000, reach), 10000);
    QVERIFY(!shift.goOn(11000, reach));
    QCOMPARE(shift.behindMs(50000, reach), 10000); // playing, it stays behind
    // ← twice: 30 s behind; → past live is live.
    QCOMPARE(shift.jumpTo(shift.behindMs(50000, reach) + 20000, reach), 30000);
    QCOMPARE(shift.jumpTo(-5000, reach), 0);
    // Further back than the buffer reaches: its oldest moment.
    QCOMPARE(shift.jumpTo(90000, reach), reach);
    // Held past the reach: the held moment is gone, on from the oldest one kept.
    shift.reset();
    shift.hold(0);
    QCOMPARE(shift.behindMs(70000, reach), reach);
    QVERIFY(shift.goOn(70000, reach));
    QVERIFY(!shift.isHeld());
    QCOMPARE(shift.behindMs(70000, reach), reach);
    // A smaller reach (the buffer trimmed by size) bounds what is said.
    QCOMPARE(shift.behindMs(70000, 20000), 20000);
}

QTEST_GUILESS_MAIN(TimeShiftTest)
#include "tst_timeshift.moc"
