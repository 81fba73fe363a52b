// First frame and channel switch in the player itself: from the double-click
// on an entry (or the key) to the first picture of that source on the X
// screen, for a local H.264 clip, an MPEG-TS stream over HTTP and the same
// stream over RTSP on 127.0.0.1.
//   bench_player_frames RUNS RED.mp4 BLUE.mp4 RED.ts BLUE.ts
//       first frame and switch with nothing opened ahead (preopen=off)
//   bench_player_frames ready RUNS RED.mp4 BLUE.mp4 RED.ts BLUE.ts
//       switches to a channel opened ahead: channel-down (PageDown) once the
//       next channel is ready, and Enter once the selection has rested on an
//       entry and it is ready; and Enter at start on the channel watched last,
//       once it is ready (opened ahead as the window shows)
// Prints "figure clipvane milliseconds" lines (BENCH_SUBJECT names another subject).

#include "app/Program.h"
#include "core/settings/UserSettings.h"
#include "ui/MainWindow.h"
#include "SessionProbe.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include "support/FrameRuns.h"
#include "support/ShowEntries.h"
#include "app/ProgramViews.h"
#include "ui/playback/PlaybackView.h"

#include <X11/Xlib.h>

#include <cstdio>
#include <cstring>

namespace {

// The user's settings, in a folder of this run's.
bool configure(const QTemporaryDir& config, const char* preopen)
{
    QDir().mkpath(config.filePath(QStringLiteral("clipvane")));
    QFile file(config.filePath(QStringLiteral("clipvane/clipvane.conf")));
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(QByteArray("[General]\npreopen=") + preopen + "\n");
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(config.path()));
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    const bool ready = argc == 7 && std::strcmp(argv[1], "ready") == 0;
    char** args = ready ? argv + 1 : argv;
    if (argc != (ready ? 7 : 6)) {
        std::fprintf(stderr, "usage: %s [ready] RUNS RED.mp4 BLUE.mp4 RED.ts BLUE.ts\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(args[1]);
    QTemporaryDir config;
    if (!configure(config, ready ? "next+selection" : "off"))
        return 1;
    const bench::FrameSources sources(args[2], args[3], args[4], args[5]);
    QTemporaryDir folder;
    Program program(folder.path());
    program.open();
    MainWindow& window = program.window();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    const QStringList names{"红", "蓝", "网络红", "网络蓝", "摄像红", "摄像蓝", "直播红", "直播蓝"};
    QStringList addresses;
    for (int entry = 0; entry < names.size(); ++entry)
        addresses << QString::fromStdString(sources[entry]);
    ListBox& list = window.get<ListBox>(u"SourceList");
    bench::showEntries(program, names, addresses);

    PicBox& video = window.get<PicBox>(u"VideoSurface");
    const QPoint centre = video.mapToGlobal(video.rect().center());
    const auto doubleClick = [&](int entry) {
        const QRect item = list.visualRect(list.model()->index(entry, 0));
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, list.viewport()->mapTo(&window, item.center()));
    };
    const auto stop = [&] {
        program.views().playback->stop();
        (void)QTest::qWaitFor([&] { return !SessionProbe(program.core().session()).isOpenerBusy(); }, 10000);
    };
    const auto idle = [] { QCoreApplication::processEvents(); };
    if (!ready) {
        // BENCH_SUBJECT names another way of running the player (CLIPVANE_LIVE=vlc) beside it.
        const QByteArray subject = qEnvironmentVariableIsSet("BENCH_SUBJECT") ? qgetenv("BENCH_SUBJECT") : "clipvane";
        bench::runFrameFigures(runs, {subject.toStdString(), centre.x(), centre.y(), doubleClick, stop, idle, true});
        program.OnProgramExit();
        return 0;
    }

    // Ready switches: wait until the channel is opened ahead and ready, then the key.
    const auto isReady = [&](int entry) {
        return program.core().session().isPreopened(program.core().playback().entryAlternates(entry));
    };
    const bench::ScreenProbe probe;
    const auto measure = [&](const char* figure, const std::function<void()>& key, bench::Rgb colour) {
        const auto start = std::chrono::steady_clock::now();
        key();
        std::printf("%s clipvane %.1f\n", figure, probe.waitFor(centre.x(), centre.y(), colour, start, idle));
        std::fflush(stdout);
    };
    const auto press = [&](Qt::Key key) { return [&window, key] { QTest::keyClick(&window, key); }; };
    for (int run = 0; run < runs; ++run) {
        for (const int red : {0, 2}) {
            const char* down = red == 0 ? "zap_ready_local" : "zap_ready_http";
            const char* enter = red == 0 ? "enter_rest_local" : "enter_rest_http";
            stop();
            probe.waitFor(centre.x(), centre.y(), {0, 0, 0}, std::chrono::steady_clock::now(), idle);
            doubleClick(red);
            probe.waitFor(centre.x(), centre.y(), bench::kRed, std::chrono::steady_clock::now(), idle);
            // Channel-down once the next channel is ready.
            (void)QTest::qWaitFor([&] { return isReady(red + 1); }, 15000);
            measure(down, press(Qt::Key_PageDown), bench::kBlue);
            // The selection rests on the red one again; Enter once it is ready.
            list.setCurrentSelection(red);
            (void)QTest::qWaitFor([&] { return isReady(red); }, 15000);
            measure(enter, press(Qt::Key_Return), bench::kRed);
        }
    }
    program.OnProgramExit();

    // A start with the channel watched last remembered: Enter once it is ready.
    QTemporaryDir started;
    QFile listFile(started.filePath(QStringLiteral("澄影播放源.txt")));
    if (!listFile.open(QIODevice::WriteOnly))
        return 1;
    for (int entry = 0; entry < names.size(); ++entry)
        listFile.write((names[entry] + u',' + addresses[entry] + QStringLiteral("\r\n")).toUtf8());
    listFile.close();
    for (int run = 0; run < runs; ++run) {
        for (const int red : {0, 2}) {
            UserSettings().setLastChannel({names[red], addresses[red]});
            Program again(started.path());
            again.open();
            if (!QTest::qWaitForWindowExposed(&again.window()))
                return 1;
            AppCore& core = again.core();
            (void)QTest::qWaitFor([&] { return core.session().isPreopened(core.playback().entryAlternates(red)); }, 15000);
            PicBox& shown = again.window().get<PicBox>(u"VideoSurface");
            const QPoint middle = shown.mapToGlobal(shown.rect().center());
            const auto start = std::chrono::steady_clock::now();
            QTest::keyClick(&again.window(), Qt::Key_Return);
            std::printf("%s clipvane %.1f\n", red == 0 ? "start_enter_local" : "start_enter_http",
                        probe.waitFor(middle.x(), middle.y(), bench::kRed, start, idle));
            std::fflush(stdout);
            again.OnProgramExit();
        }
    }
    return 0;
}
