// The guide's grid with a big guide: 2,000 channels × 7 days (252 programmes
// a channel, about 500,000 in all) held in memory as the guide's index holds
// them. Opened and drawn once (from the request to the last pixel painted),
// then a screen of rows down and a column across at a time, each drawn at
// once: the slowest frame and the median. Prints "figure subject value"
// lines. Argument: runs.

#include "ui/guide/GuideGridWindow.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr int kChannels = 2000;
constexpr int kDays = 7;
constexpr int kMinutes = 40;

using Schedules = std::vector<std::shared_ptr<const std::vector<Programme>>>;

Schedules makeSchedules(qint64 from)
{
    Schedules schedules;
    const QString description = QStringLiteral("今日节目的介绍，内容丰富，精彩纷呈，欢迎收看。");
    for (int channel = 0; channel < kChannels; ++channel) {
        auto programmes = std::make_shared<std::vector<Programme>>();
        // Each channel a little apart from its neighbours, as real ones are.
        for (qint64 start = from + channel % 7 * 300; start < from + kDays * 86400; start += kMinutes * 60)
            programmes->push_back({start, start + kMinutes * 60, QStringLiteral("节目 %1").arg(start % 997), description});
        schedules.push_back(std::move(programmes));
    }
    return schedules;
}

GuideGridRows rowsOf(const Schedules& schedules)
{
    GuideGridRows rows;
    rows.count = kChannels + kChannels / 50; // a heading every fifty channels
    const auto channelOf = [](int row) { return row - row / 51 - 1; };
    rows.isHeading = [](int row) { return row % 51 == 0; };
    rows.name = [](int row) { return row % 51 == 0 ? QStringLiteral("分组 %1").arg(row / 51) : QStringLiteral("频道 %1").arg(row); };
    rows.schedule = [&schedules, channelOf](int row) {
        const int channel = channelOf(row);
        return row % 51 == 0 || channel >= kChannels ? nullptr : schedules[size_t(channel)];
    };
    rows.watchableBack = [](int row, const Programme&) { return row % 3 == 0; };
    rows.reminded = [](int, const Programme&) { return false; };
    rows.playing = 700;
    rows.catchupDays = 7;
    return rows;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values.empty() ? -1 : values[values.size() / 2];
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 3;
    const qint64 now = QDateTime::currentSecsSinceEpoch();
    const Schedules schedules = makeSchedules(now - 2 * 86400);
    QWidget main;
    main.resize(1280, 720);
    main.show();
    if (!QTest::qWaitForWindowExposed(&main))
        return 1;
    for (int run = 0; run < runs; ++run) {
        GuideGridWindow grid(main);
        QElapsedTimer clock;
        clock.start();
        grid.present(rowsOf(schedules), now, 700, QRect(0, 0, 1280, 720));
        grid.repaint();
        std::printf("grid_open clipvane %.2f\n", clock.nsecsElapsed() / 1e6);
        if (!QTest::qWaitForWindowExposed(&grid))
            return 1;
        std::vector<double> frames;
        GuideGridCanvas& canvas = grid.canvas();
        canvas.setFocus();
        const auto frame = [&](Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
            clock.restart();
            QTest::keyClick(&canvas, key, modifiers);
            canvas.repaint();
            frames.push_back(clock.nsecsElapsed() / 1e6);
        };
        for (int page = 0; page < 10; ++page)
            frame(Qt::Key_PageDown);
        for (int cell = 0; cell < 20; ++cell)
            frame(Qt::Key_Right);
        for (int day = 0; day < 3; ++day)
            frame(Qt::Key_Right, Qt::ShiftModifier);
        std::printf("grid_scroll_frame clipvane %.2f\n", *std::max_element(frames.begin(), frames.end()));
        std::printf("grid_scroll_frame_median clipvane %.2f\n", median(frames));
        std::fflush(stdout);
    }
    return 0;
}
