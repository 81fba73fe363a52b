#pragma once

#include <QString>
#include <QStringList>

#include <cstdint>

class ListFilterLine;
class MainWindow;
class QWidget;
struct ProgramState;

// The choice whose name the title shows, so that a late failure of an older
// choice never overwrites the title of a newer one.
struct NowPlaying {
    std::uint64_t generation = 0;
    QString name;
    QStringList labels; // the line name of each of its addresses; may be empty
};

// What the window's handlers work on.
struct HandlerContext {
    MainWindow& window;
    ProgramState& state;
    NowPlaying nowPlaying;
    QWidget* secondVideoSurface = nullptr; // where the second player draws; none: VideoSurface for both
    ListFilterLine* filterLine = nullptr;
};
