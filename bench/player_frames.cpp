// First frame and channel switch in the player itself: from the double-click
// on an entry to the first picture of that source on the X screen, for a
// local H.264 clip, an MPEG-TS stream over HTTP and the same stream over RTSP
// on 127.0.0.1.
//   bench_player_frames RUNS RED.mp4 BLUE.mp4 RED.ts BLUE.ts
// Prints "figure clipvane milliseconds" lines.


#include "app/Program.h"
#include "ui/MainWindow.h"
#include "ui/PlaybackHandlers.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/PicBox.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QTest>

#include "support/FrameRuns.h"

#include <X11/Xlib.h>

#include <cstdio>

int main(int argc, char** argv)
{
    XInitThreads();
    QApplication app(argc, argv);
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s RUNS RED.mp4 BLUE.mp4 RED.ts BLUE.ts\n", argv[0]);
        return 2;
    }
    const int runs = std::atoi(argv[1]);
    const bench::FrameSources sources(argv[2], argv[3], argv[4], argv[5]);
    QTemporaryDir folder;
    Program program(folder.path());
    program.open();
    MainWindow& window = program.window();
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;

    const QStringList names{"红", "蓝", "网络红", "网络蓝", "摄像红", "摄像蓝"};
    QStringList addresses;
    for (int entry = 0; entry < 6; ++entry)
        addresses << QString::fromStdString(sources[entry]);
    window.get<ListBox>(u"SourceList").setItems(names);
    window.get<ListBox>(u"AddressList").setItems(addresses);

    PicBox& video = window.get<PicBox>(u"VideoSurface");
    const QPoint centre = video.mapToGlobal(video.rect().center());
    ListBox& list = window.get<ListBox>(u"SourceList");
    const auto doubleClick = [&](int entry) {
        const QRect item = list.visualRect(list.model()->index(entry, 0));
        QTest::mouseDClick(window.windowHandle(), Qt::LeftButton, {}, list.viewport()->mapTo(&window, item.center()));
    };
    const auto stop = [&] {
        StopPlayback(program.handlers());
        (void)QTest::qWaitFor([&] { return !program.state().playback->isOpenerBusy(); }, 10000);
    };
    bench::runFrameFigures(runs, {"clipvane", centre.x(), centre.y(), doubleClick, stop,
                                  [] { QCoreApplication::processEvents(); }, true});
    program.OnProgramExit();
    return 0;
}
