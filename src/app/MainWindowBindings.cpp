#include "MainWindowBindings.h"

#include "ProgramViews.h"
#include "StartupHandler.h"
#include "core/playback/PlaybackController.h"
#include "ui/MainWindow.h"
#include "ui/guide/GuideGridView.h"
#include "ui/lists/ListLoadView.h"
#include "ui/lists/ListPanelView.h"
#include "ui/playback/MediaInfoView.h"
#include "ui/playback/PlaybackView.h"
#include "ui/window/WindowView.h"

std::vector<EventBinding> mainWindowBindings(MainWindow& mainWindow, ProgramViews& v, PlaybackController& playback,
                                             ProgramState& state)
{
    // The views go at exit before the window does, which may still raise an
    // event (a timer's tick): then nothing is done.
    const auto viewing = [&v](std::function<void(const EventArgs&)> act) {
        return [&v, act = std::move(act)](const EventArgs& e) {
            if (v.window)
                act(e);
        };
    };
    // The window's view, for the bindings that only call one of its functions.
    const auto window = [viewing, &v](void (WindowView::*act)()) {
        return viewing([&v, act](const EventArgs&) { (v.window.get()->*act)(); });
    };
    return {
        {u"MainWindow", ControlEvent::Created, [&mainWindow, &v, &state](const EventArgs&) { OnMainWindowCreated(mainWindow, state, *v.load); }},
        {u"SourceList", ControlEvent::ItemDoubleClicked, viewing([&v](const EventArgs&) { v.playback->playSelected(); })},
        {u"TopEdgeTimer", ControlEvent::Tick, window(&WindowView::topEdgeTick)},
        {u"BottomEdgeTimer", ControlEvent::Tick, window(&WindowView::bottomEdgeTick)},
        {u"FullScreenButton", ControlEvent::Click, window(&WindowView::toggleFullScreen)},
        {u"BrandLabel", ControlEvent::LeftPressed, [](const EventArgs&) { OnBrandLabelPressed(); }},
        {u"StopButton", ControlEvent::Click, viewing([&v](const EventArgs&) { v.playback->stop(); })},
        {u"FileDropTarget", ControlEvent::FilesDropped, viewing([&v](const EventArgs& e) { v.load->filesDropped(e.text); })},
        {u"VolumeDownButton", ControlEvent::Click, viewing([&playback](const EventArgs&) { playback.stepVolumeDown(); })},
        {u"VolumeUpButton", ControlEvent::Click, viewing([&playback](const EventArgs&) { playback.stepVolumeUp(); })},
        {u"ListToggleButton", ControlEvent::Click, window(&WindowView::toggleListPanel)},
        {u"CloseButton", ControlEvent::Click, window(&WindowView::close)},
        // Esc reaches here in the window too, where the hot key is not taken
        // from other programs: what shows over the video closes first, and
        // full screen stays until nothing is left to close.
        {u"EscapeHotKeyLabel", ControlEvent::Notification, viewing([&v](const EventArgs&) {
             if (v.grid->close())
                 return;
             v.info->close();
             v.window->leaveFullScreen();
         })},
        {u"MinimizeButton", ControlEvent::Click, window(&WindowView::minimize)},
        {u"TitleBar", ControlEvent::DoubleClick, window(&WindowView::toggleFullScreen)},
        // Beyond the window's own bindings: the list's heading opens the filter
        // line, and a double-click on the picture switches full screen.
        {u"ListCaptionLabel", ControlEvent::LeftPressed, viewing([&v](const EventArgs&) { v.panel->showFilter(); })},
        {u"VideoSurface", ControlEvent::DoubleClick, window(&WindowView::toggleFullScreen)},
    };
}
