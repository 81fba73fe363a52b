#pragma once

#include <QString>

#include <cstdint>
#include <functional>

struct AppCore;
class GuideGridWindow;
class ListFilterLine;
class MainWindow;
class MediaInfoPanel;
class PositionBar;
class ProgrammeBanner;
class ProgrammeSchedule;
class VideoArea;

// What the window's handlers work on: the window and the widgets beside its
// controls, the core they draw and pass requests to, and what the program
// lends them.
struct HandlerContext {
    HandlerContext(MainWindow& window, AppCore& core) : window(window), core(core) {}

    MainWindow& window;
    AppCore& core;
    VideoArea* video = nullptr; // the players' windows over VideoSurface
    ListFilterLine* filterLine = nullptr;
    // Made when first shown, owned by the window.
    ProgrammeBanner* banner = nullptr;     // what is on, over the video
    ProgrammeSchedule* schedule = nullptr; // a channel's programmes by day
    GuideGridWindow* guideGrid = nullptr;  // every channel by time
    PositionBar* positionBar = nullptr;    // where a file or a programme watched back stands; from the first choice
    MediaInfoPanel* infoPanel = nullptr;   // what plays, from the menu over the video
    std::uint64_t startupLoad = 0; // the load of the list beside the program at start
    QString listCaption; // the list heading's own text, while a check shows its progress there
    // From the program: the list's entries moved (the guide reads again);
    // the list check's module opened once (`ready` when the core has its
    // checker); Esc held from other applications or let go.
    std::function<void()> listReshown;
    std::function<void(std::function<void()> ready, std::function<void(const QString& why)> failed)> openChecker;
    std::function<void(bool held)> holdEscape;
    // The settings file changed (saved from the settings window, or a copy
    // brought in): the core and the window take up what they can now.
    std::function<void()> settingsChanged;
    // A reminder was set or cleared: the program tells of the next in time.
    std::function<void()> remindersChanged;
};
