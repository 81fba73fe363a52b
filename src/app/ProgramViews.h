#pragma once

#include <memory>

class GuideGridView;
class ListCheckView;
class ListHeading;
class ListHeadingMenu;
class ListLibraryView;
class ListLoadView;
class ListPanelView;
class MediaInfoView;
class PlaybackView;
class ProgrammeView;
class RecordingView;
class ReminderView;
class ScreenshotView;
class SettingsView;
class VideoArea;
class VideoMenuView;
class WindowView;

// The window's parts, each built by the program with the core services and
// widgets it uses; they go before the core at exit.
struct ProgramViews {
    ProgramViews();
    ~ProgramViews();
    ProgramViews(const ProgramViews&) = delete;
    ProgramViews& operator=(const ProgramViews&) = delete;
    // At exit, before the core they draw: those that use others go first.
    void clear();

    VideoArea* video = nullptr; // the players' windows over VideoSurface, owned by it
    std::unique_ptr<WindowView> window;
    std::unique_ptr<PlaybackView> playback;
    std::unique_ptr<ScreenshotView> screenshot;
    std::unique_ptr<MediaInfoView> info;
    std::unique_ptr<VideoMenuView> videoMenu;
    std::unique_ptr<RecordingView> recording;
    std::unique_ptr<ListPanelView> panel;
    std::unique_ptr<ListLoadView> load;
    std::unique_ptr<ListHeading> heading;
    std::unique_ptr<ListCheckView> check;
    std::unique_ptr<ListLibraryView> lists;
    std::unique_ptr<ListHeadingMenu> headingMenu;
    std::unique_ptr<SettingsView> settings;
    std::unique_ptr<ReminderView> reminders;
    std::unique_ptr<ProgrammeView> programmes;
    std::unique_ptr<GuideGridView> grid;
};
