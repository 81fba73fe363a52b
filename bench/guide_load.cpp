// The programme guide with a big guide: 2,000 channels × 7 days (about 500,000
// programmes, about 100 MB of XML, and the same gzipped), taken through the
// module's service as the program takes it: from the first byte to what is on
// now and next for every channel, the memory it grew by, the longest the
// window's thread was held meanwhile, and 1,000 look-ups of now and next.
// Beside it, the common way in the same run: Python's iterparse into sqlite3.
// Then programme search: a word of the titles through the service, beside
// Python's sqlite3 with LIKE over the same programmes, and what the full-text
// index adds to an import (and to one whose every description differs).
// Prints "figure subject value" lines. Argument: runs.

#include "guide/GuideImport.h"
#include "guide/GuideService.h"
#include "guide/GuideStore.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>
#include <QTimeZone>

#include <zlib.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

namespace {

constexpr int kChannels = 2000;
constexpr int kDays = 7;
constexpr int kMinutes = 40; // 36 programmes a day

QByteArray beijing(qint64 time)
{
    return QDateTime::fromSecsSinceEpoch(time, QTimeZone(8 * 3600)).toString(QStringLiteral("yyyyMMddHHmmss")).toLatin1() +
           " +0800";
}

// Writes the guide, plain and gzipped; returns the number of programmes.
qint64 writeGuide(const QString& plain, const QString& packed, qint64 from, bool distinctDescriptions = false)
{
    QFile out(plain);
    if (!out.open(QIODevice::WriteOnly))
        return 0;
    gzFile gz = gzopen(packed.toLocal8Bit().constData(), "wb6");
    const auto write = [&](const QByteArray& bytes) {
        out.write(bytes);
        gzwrite(gz, bytes.constData(), unsigned(bytes.size()));
    };
    write("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<tv generator-info-name=\"bench\">\n");
    for (int channel = 0; channel < kChannels; ++channel)
        write("<channel id=\"ch" + QByteArray::number(channel) + "\"><display-name lang=\"zh\">频道" +
              QByteArray::number(channel) + "</display-name><icon src=\"http://logo/" + QByteArray::number(channel) +
              ".png\"/></channel>\n");
    qint64 programmes = 0;
    const QByteArray description = "今日节目的介绍，内容丰富，精彩纷呈，欢迎收看。本节目由本台出品。";
    for (int channel = 0; channel < kChannels; ++channel) {
        QByteArray block;
        for (qint64 start = from; start < from + kDays * 86400; start += kMinutes * 60, ++programmes)
            block += "<programme start=\"" + beijing(start) + "\" stop=\"" + beijing(start + kMinutes * 60) +
                     "\" channel=\"ch" + QByteArray::number(channel) + "\"><title lang=\"zh\">节目 " +
                     QByteArray::number(programmes % 997) + "</title><desc lang=\"zh\">" + description +
                     (distinctDescriptions ? QByteArray::number(programmes) : QByteArray()) + "</desc></programme>\n";
        write(block);
    }
    write("</tv>\n");
    gzclose(gz);
    return programmes;
}

long residentKiB(const char* field)
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(qsizetype(std::strlen(field))).trimmed().split(' ').value(0).toLong();
    return 0;
}

struct LoadFigures {
    double loadMs = 0;
    double longestHoldMs = 0;
    double lookupMs = 0;
    double searchMs = 0; // the slowest of a few searches, asked to answered
};

constexpr const char* kSearchedWord = "节目 996"; // the title of 505 programmes, one a week on each of 505 channels

// One search through the service, from the window's thread and back; -1 when nothing was found.
double searchThroughService(GuideService& service, qint64 now)
{
    QEventLoop loop;
    size_t found = 0;
    QElapsedTimer clock;
    clock.start();
    service.search(QString::fromUtf8(kSearchedWord), now, [&](std::vector<ProgrammeHit> hits) {
        found = hits.size();
        loop.quit();
    });
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    return found > 0 ? clock.nsecsElapsed() / 1e6 : -1;
}

double pythonSearchMs(const QString& database, qint64 now)
{
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral(BENCH_GUIDE_REFERENCE), QStringLiteral("--search"), database,
                                             QString::fromUtf8(kSearchedWord), QString::number(now)});
    if (!python.waitForFinished(120000))
        return -1;
    return python.readAllStandardOutput().trimmed().toDouble() * 1000;
}

// An import into a fresh database, with the full-text index or without it.
double importMs(const QString& guide, bool searchable)
{
    QTemporaryDir folder;
    QString error;
    const std::unique_ptr<GuideStore> store = GuideStore::open(folder.filePath(QStringLiteral("guide.sqlite")), &error, searchable);
    if (!store)
        return -1;
    QElapsedTimer clock;
    clock.start();
    const GuideImportResult result = importGuideFile(*store, guide, guide, {}, GuideImportSettings{});
    return result.stored ? clock.nsecsElapsed() / 1e6 : -1;
}

// What the index adds to an import, in percent of the import without it:
// the quickest of three of each, taken in turns so that the machine's other
// work weighs on both alike.
double indexCostPercent(const QString& guide)
{
    double without = 1e12;
    double with = 1e12;
    for (int turn = 0; turn < 3; ++turn) {
        without = std::min(without, importMs(guide, false));
        with = std::min(with, importMs(guide, true));
    }
    return without > 0 && with > 0 ? 100 * (with - without) / without : -1;
}

// Loads the guide into a fresh cache folder, as the program does at its first start.
std::optional<LoadFigures> loadThroughService(const QString& guide, qint64 now)
{
    QTemporaryDir cache;
    GuideService service(cache.path());
    GuideRequest request;
    request.guides = {{guide, 0}};
    for (int channel = 0; channel < kChannels; ++channel)
        request.entries.push_back({QStringLiteral("ch%1").arg(channel), {}, QStringLiteral("频道%1").arg(channel), {}});
    LoadFigures figures;
    QElapsedTimer clock;
    // The window's thread ticks as often as it can; the longest gap is how long it was held.
    QElapsedTimer sinceTick;
    QTimer tick;
    tick.setInterval(1);
    QObject::connect(&tick, &QTimer::timeout, [&] {
        figures.longestHoldMs = std::max(figures.longestHoldMs, sinceTick.nsecsElapsed() / 1e6);
        sinceTick.restart();
    });
    QEventLoop loop;
    service.setChangedHandler([&] {
        if (service.nowNext(kChannels - 1, now).now)
            loop.quit();
    });
    QTimer::singleShot(120000, &loop, &QEventLoop::quit);
    clock.start();
    sinceTick.start();
    tick.start();
    service.load(request);
    loop.exec();
    figures.loadMs = clock.nsecsElapsed() / 1e6;
    tick.stop();
    if (!service.nowNext(kChannels - 1, now).now)
        return std::nullopt;
    QElapsedTimer lookups;
    lookups.start();
    int found = 0;
    for (int entry = 0; entry < 1000; ++entry)
        found += service.nowNext(entry * 2, now).now ? 1 : 0;
    figures.lookupMs = lookups.nsecsElapsed() / 1e6;
    for (int search = 0; search < 5; ++search)
        figures.searchMs = std::max(figures.searchMs, searchThroughService(service, now));
    return found == 1000 ? std::optional(figures) : std::nullopt;
}

double pythonSeconds(const QString& guide, const QString& database)
{
    QFile::remove(database);
    QProcess python;
    python.start(QStringLiteral("python3"), {QStringLiteral(BENCH_GUIDE_REFERENCE), guide, database});
    if (!python.waitForFinished(600000))
        return -1;
    return python.readAllStandardOutput().trimmed().toDouble();
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    QTemporaryDir work;
    const QString plain = work.filePath(QStringLiteral("guide.xml"));
    const QString packed = work.filePath(QStringLiteral("guide")); // gzip under a name without ".gz"
    const QString reference = work.filePath(QStringLiteral("ref.sqlite"));
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const qint64 programmes = writeGuide(plain, packed, now - 86400);
    std::printf("guide_programmes clipvane %lld\n", static_cast<long long>(programmes));
    std::printf("guide_size_mib clipvane %.1f\n", double(QFile(plain).size()) / (1 << 20));
    for (int run = 0; run < runs; ++run) {
        for (const auto& [figure, guide] : {std::pair{"guide_load_xml", plain}, std::pair{"guide_load_gzip", packed}}) {
            // The peak counts from here: "5" resets it (Linux 4.0 on).
            if (QFile peak(QStringLiteral("/proc/self/clear_refs")); peak.open(QIODevice::WriteOnly))
                peak.write("5");
            const long before = residentKiB("VmRSS:");
            const std::optional<LoadFigures> figures = loadThroughService(guide, now);
            if (!figures) {
                std::fprintf(stderr, "the guide did not load\n");
                return 1;
            }
            std::printf("%s clipvane %.1f\n", figure, figures->loadMs);
            std::printf("%s python %.1f\n", figure, pythonSeconds(guide, reference) * 1000);
            std::printf("guide_window_held clipvane %.1f\n", figures->longestHoldMs);
            std::printf("guide_lookup_1000 clipvane %.3f\n", figures->lookupMs);
            std::printf("guide_search clipvane %.1f\n", figures->searchMs);
            std::printf("guide_search python %.1f\n", pythonSearchMs(reference, now));
            std::printf("guide_memory_growth clipvane %.1f\n", double(residentKiB("VmHWM:") - before) / 1024);
            std::fflush(stdout);
        }
        std::printf("guide_index_cost clipvane %.1f\n", indexCostPercent(plain));
        std::fflush(stdout);
    }
    // Every description its own: the index's cost when nothing repeats.
    const QString distinct = work.filePath(QStringLiteral("distinct.xml"));
    writeGuide(distinct, work.filePath(QStringLiteral("distinct.gz")), now - 86400, true);
    std::printf("guide_index_cost_distinct clipvane %.1f\n", indexCostPercent(distinct));
    return 0;
}
