// How long a play-source list of 10 000, 100 000 and 1 000 000 entries takes
// from file to shown in the window, and the memory it takes; a 100 000-entry
// M3U list with groups the same way; and one keystroke in the filter line
// over 100 000 entries, from the key to the filtered list painted, by the
// characters typed and by pinyin. Run it on
// an X display (tests/with-xvfb.sh works):
//   bench_list_load [runs]
// Prints "list_load_N clipvane ms" per run and "list_memory_N clipvane MiB",
// "m3u_load_100000 clipvane ms", "filter_keystroke_100000 clipvane ms" and
// "filter_pinyin_100000 clipvane ms".

#include "app/Program.h"
#include "core/AppCore.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"
#include "app/ProgramViews.h"
#include "ui/lists/ListLoadView.h"
#include "ui/lists/ListPanelView.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSignalSpy>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <X11/Xlib.h>

#include <algorithm>
#include <cstdio>

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

QString writeList(const QTemporaryDir& dir, int entries)
{
    const QString path = dir.filePath(QStringLiteral("list-%1.txt").arg(entries));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray chunk;
    for (int i = 0; i < entries; ++i) {
        chunk += "频道 " + QByteArray::number(i) + ",http://127.0.0.1:8080/live/" + QByteArray::number(i) + ".ts\r\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    return path;
}

QString writeM3u(const QTemporaryDir& dir, int entries)
{
    const QString path = dir.filePath(QStringLiteral("list-%1.m3u").arg(entries));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {};
    QByteArray chunk = "#EXTM3U x-tvg-url=\"http://127.0.0.1/guide.xml\"\n";
    for (int i = 0; i < entries; ++i) {
        chunk += "#EXTINF:-1 tvg-id=\"" + QByteArray::number(i) + "\" tvg-logo=\"http://127.0.0.1/logo/" +
                 QByteArray::number(i) + ".png\" group-title=\"分组 " + QByteArray::number(i / 50) + "\",频道 " +
                 QByteArray::number(i) + "\nhttp://127.0.0.1:8080/live/" + QByteArray::number(i) + ".m3u8\n";
        if (chunk.size() > (1 << 20)) {
            file.write(chunk);
            chunk.clear();
        }
    }
    file.write(chunk);
    return path;
}

double loadMilliseconds(Program& program, ListBox& names, const QString& path)
{
    program.views().load->show({});
    QCoreApplication::processEvents();
    QSignalSpy loaded(&program.core().sources(), &PlaySourceLoader::loaded);
    QElapsedTimer clock;
    clock.start();
    program.core().sources().load(path);
    loaded.wait(60000);
    names.repaint(); // shown: the first rows painted
    return double(clock.nsecsElapsed()) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, atoi(argv[1])) : 5;
    QTemporaryDir dir;
    Program program;
    program.open();
    ListBox& names = program.window().get<ListBox>(u"SourceList");

    for (int entries : {10000, 100000, 1000000}) {
        const QString path = writeList(dir, entries);
        long memory = 0;
        for (int run = 0; run < runs; ++run) {
            // Start each run from an empty list, so memory counts one list.
            program.views().load->show({});
            QCoreApplication::processEvents();
            const long before = residentKiB();
            std::printf("list_load_%d clipvane %.1f\n", entries, loadMilliseconds(program, names, path));
            memory = std::max(memory, residentKiB() - before);
            if (names.items().size() != entries)
                std::fprintf(stderr, "loaded %d of %d entries\n", int(names.items().size()), entries);
        }
        std::printf("list_memory_%d clipvane %.1f\n", entries, double(memory) / 1024);
        std::fflush(stdout);
    }

    // M3U, and the filter line over what it gave.
    const QString m3u = writeM3u(dir, 100000);
    for (int run = 0; run < runs; ++run)
        std::printf("m3u_load_100000 clipvane %.1f\n", loadMilliseconds(program, names, m3u));
    program.views().panel->showFilter();
    QLineEdit* line = program.window().findChild<QLineEdit*>(QStringLiteral("ListFilterLine"));
    // Each text as one keystroke leaves it in the line, timed to the list painted.
    const auto typeEach = [&](std::initializer_list<const char*> texts, const char* row) {
        for (const char* text : texts) {
            QElapsedTimer clock;
            clock.start();
            line->setText(QString::fromLatin1(text));
            names.repaint();
            if (*text)
                std::printf("%s clipvane %.1f\n", row, double(clock.nsecsElapsed()) / 1e6);
        }
    };
    for (int run = 0; line && run < runs; ++run)
        typeEach({"9", "99", "999", "99", "9", ""}, "filter_keystroke_100000");
    // Pinyin: 频道 by its initials, then its syllables; the first keystroke
    // also reads the 100 000 names as pinyin.
    for (int run = 0; line && run < runs; ++run) {
        typeEach({"p", "pd", "pd9", "pd99", "pindao999", ""}, "filter_pinyin_100000");
        program.views().load->show({}); // the next run reads the names again
        loadMilliseconds(program, names, m3u);
        program.views().panel->showFilter();
    }
    std::fflush(stdout);
    if (line)
        line->setText({});

    // A list of 100 000 refreshed in place (F5): the longest the window's
    // thread is held, sampled by a 1 ms timer, and the time to the new list
    // shown. A third of the channels changes each run.
    ListLibrary& lists = program.core().lists();
    const QString refreshed = dir.filePath(QStringLiteral("refreshed.txt"));
    QFile::copy(writeList(dir, 100000), refreshed);
    lists.addAndOpen(QStringLiteral("bench"), refreshed);
    QSignalSpy shown(&lists, &ListLibrary::statusChanged);
    if (!QTest::qWaitFor([&names] { return names.items().size() == 100000; }, 60000))
        std::fprintf(stderr, "the list to refresh did not load\n");
    for (int run = 0; run < runs; ++run) {
        QFile file(refreshed);
        if (!file.open(QIODevice::WriteOnly))
            break;
        for (int i = 0; i < 100000; ++i)
            file.write("频道 " + QByteArray::number(i % 3 == run % 3 ? i + 1000000 * (run + 1) : i) +
                       ",http://127.0.0.1:8080/live/" + QByteArray::number(i) + ".ts\r\n");
        file.close();
        names.setCurrentSelection(5000);
        QElapsedTimer clock, sinceTick;
        qint64 longest = 0;
        QTimer ticks;
        QObject::connect(&ticks, &QTimer::timeout, [&] {
            longest = std::max(longest, sinceTick.nsecsElapsed());
            sinceTick.restart();
        });
        ticks.start(1);
        shown.clear();
        clock.start();
        sinceTick.start();
        lists.refresh();
        (void)QTest::qWaitFor([&] { return lists.status().kind == ListLibrary::Refresh::Kind::Updated && !shown.isEmpty(); }, 60000);
        names.repaint();
        const double total = double(clock.nsecsElapsed()) / 1e6;
        ticks.stop();
        longest = std::max(longest, sinceTick.nsecsElapsed());
        std::printf("list_refresh_100000 clipvane %.1f\n", total);
        std::printf("list_refresh_window_held clipvane %.1f\n", double(longest) / 1e6);
    }
    std::fflush(stdout);
    program.OnProgramExit();
    return 0;
}
