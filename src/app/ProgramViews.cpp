#include "ProgramViews.h"

#include "ui/guide/GuideGridView.h"
#include "ui/guide/ProgrammeView.h"
#include "ui/guide/ReminderView.h"
#include "ui/lists/ListCheckView.h"
#include "ui/lists/ListHeading.h"
#include "ui/lists/ListHeadingMenu.h"
#include "ui/lists/ListLibraryView.h"
#include "ui/lists/ListLoadView.h"
#include "ui/lists/ListPanelView.h"
#include "ui/playback/MediaInfoView.h"
#include "ui/playback/PlaybackView.h"
#include "ui/playback/ScreenshotView.h"
#include "ui/playback/VideoMenuView.h"
#include "ui/recording/RecordingView.h"
#include "ui/settings/SettingsView.h"
#include "ui/window/WindowView.h"

ProgramViews::ProgramViews() = default;

ProgramViews::~ProgramViews()
{
    clear();
}

void ProgramViews::clear()
{
    grid.reset();
    programmes.reset();
    reminders.reset();
    headingMenu.reset();
    settings.reset();
    lists.reset();
    check.reset();
    heading.reset();
    load.reset();
    panel.reset();
    recording.reset();
    videoMenu.reset();
    info.reset();
    screenshot.reset();
    playback.reset();
    window.reset();
}
