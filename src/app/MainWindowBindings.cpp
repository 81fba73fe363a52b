#include "MainWindowBindings.h"

#include "StartupHandler.h"
#include "ui/HandlerContext.h"
#include "ui/ListPanel.h"
#include "ui/PlaySourceHandlers.h"
#include "ui/FullScreenLayout.h"
#include "ui/PlaybackHandlers.h"
#include "ui/VolumeControl.h"
#include "ui/WindowBar.h"
#include "ui/WindowCommands.h"

std::vector<EventBinding> mainWindowBindings(HandlerContext& c, ProgramState& state)
{
    const auto run = [&c](void (*handler)(HandlerContext&)) {
        return [&c, handler](const EventArgs&) { handler(c); };
    };
    return {
        {u"MainWindow", ControlEvent::Created, [&c, &state](const EventArgs&) { OnMainWindowCreated(c, state); }},
        {u"SourceList", ControlEvent::ItemDoubleClicked, run(PlaySelectedEntry)},
        {u"TopEdgeTimer", ControlEvent::Tick, run(OnTopEdgeTick)},
        {u"BottomEdgeTimer", ControlEvent::Tick, run(OnBottomEdgeTick)},
        {u"FullScreenButton", ControlEvent::Click, run(ToggleFullScreen)},
        {u"BrandLabel", ControlEvent::LeftPressed, run(OnBrandLabelPressed)},
        {u"StopButton", ControlEvent::Click, run(StopPlayback)},
        {u"FileDropTarget", ControlEvent::FilesDropped, [&c](const EventArgs& e) { OnFilesDropped(c, e.text); }},
        {u"VolumeDownButton", ControlEvent::Click, run(StepVolumeDown)},
        {u"VolumeUpButton", ControlEvent::Click, run(StepVolumeUp)},
        {u"ListToggleButton", ControlEvent::Click, run(ToggleListPanel)},
        {u"CloseButton", ControlEvent::Click, run(CloseWindow)},
        {u"EscapeHotKeyLabel", ControlEvent::Notification, run(OnEscapeHotKey)},
        {u"MinimizeButton", ControlEvent::Click, run(MinimizeWindow)},
        {u"TitleBar", ControlEvent::DoubleClick, run(ToggleFullScreen)},
        // Beyond the window's own bindings: the list's heading opens the filter
        // line, and a double-click on the picture switches full screen.
        {u"ListCaptionLabel", ControlEvent::LeftPressed, run(ShowListFilter)},
        {u"VideoSurface", ControlEvent::DoubleClick, run(ToggleFullScreen)},
    };
}
