#pragma once

#include "core/ChannelKey.h"

#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>

class ListFilterLine;
class MediaInfoPanel;
class ProgrammeBanner;
class PositionBar;
class ProgrammeSchedule;
class MainWindow;
class QWidget;
struct ProgramState;

// The choice whose name the title shows, so that a late failure of an older
// choice never overwrites the title of a newer one.
struct NowPlaying {
    std::uint64_t generation = 0;
    QString name;
    QStringList labels; // the line name of each of its addresses; may be empty
    // The channel chosen, and its addresses in the order they are tried
    // (empty for a programme watched back).
    ChannelKey channel;
    QStringList addresses;
    QString listFirst; // the address the list gives first
};

// What the window's handlers work on.
struct HandlerContext {
    HandlerContext(MainWindow& window, ProgramState& state) : window(window), state(state) {}

    MainWindow& window;
    ProgramState& state;
    NowPlaying nowPlaying;
    // Where the players after the first draw (the first draws into VideoSurface); none: VideoSurface.
    std::array<QWidget*, 2> playerSurfaces{};
    ListFilterLine* filterLine = nullptr;
    // Made when first shown, owned by the window.
    ProgrammeBanner* banner = nullptr;     // what is on, over the video
    ProgrammeSchedule* schedule = nullptr; // a channel's programmes by day
    PositionBar* positionBar = nullptr;    // where a file or a programme watched back stands; from the first choice
    MediaInfoPanel* infoPanel = nullptr;   // what plays, from the menu over the video
    std::uint64_t startupLoad = 0; // the load of the list beside the program at start
    bool windowPainted = false;    // the first picture of the window is on the screen
    std::function<void()> listReshown; // the entries' indices changed: what follows them by index reloads
    // Opens the list check's module (once); `ready` when the state has its checker.
    std::function<void(std::function<void()> ready, std::function<void(const QString& why)> failed)> openChecker;
    QString listCaption; // the list heading's own text, while a check shows its progress there
};
