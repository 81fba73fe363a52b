// The player under a storm of channel switches by double-click among a local
// clip, an HTTP MPEG-TS stream and another clip, and what it holds afterwards.
//   bench_switch_soak SWITCHES SEED RED.mp4 BLUE.mp4 RED.ts
// Prints "soak_… clipvane value" lines.

#include "app/Program.h"
#include "platform/MemoryTuning.h"
#include "ui/MainWindow.h"
#include "ui/controls/ListBox.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "support/FrameRuns.h"
#include "support/ShowEntries.h"
#include "support/SwitchStorm.h"

#include <X11/Xlib.h>

int main(int argc, char** argv)
{
    limitAllocatorArenas(); // as the program's main does
    XInitThreads();
    QApplication app(argc, argv);
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s SWITCHES SEED RED.mp4 BLUE.mp4 RED.ts\n", argv[0]);
        return 2;
    }
    const bench::FrameSources sources(argv[3], argv[4], argv[5], argv[5]);
    QTemporaryDir folder;
    Program program(folder.path());
    program.open();
    MainWindow& window = program.window();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    ListBox& list = window.get<ListBox>(u"SourceList");
    // BENCH_SOAK_LOCAL=1 plays a clip in place of the stream, for memory
    // profilers: libvlc cancels its name look-up threads inside malloc, which
    // their hooks do not survive.
    const std::string middle = qEnvironmentVariableIsSet("BENCH_SOAK_LOCAL") ? sources[0] : sources[2];
    bench::showEntries(program, {"红", "网络", "蓝"},
                       {QString::fromStdString(sources[0]), QString::fromStdString(middle),
                        QString::fromStdString(sources[1])});
    const auto doubleClick = [&](int entry) {
        const QRect item = list.visualRect(list.model()->index(entry, 0));
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, list.viewport()->mapTo(&window, item.center()));
    };
    bench::runSwitchStorm(std::atoi(argv[1]), unsigned(std::strtoul(argv[2], nullptr, 10)),
                          {"clipvane", doubleClick, [](std::chrono::milliseconds time) { QTest::qWait(int(time.count())); }});
    program.OnProgramExit();
    return 0;
}
