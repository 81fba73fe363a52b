#include "MainWindowBindings.h"

#include "StartupHandler.h"
#include "ui/HandlerContext.h"
#include "ui/PlaySourceHandlers.h"
#include "ui/PlaybackHandlers.h"

std::vector<EventBinding> mainWindowBindings(HandlerContext& c)
{
    return {
        {u"MainWindow", ControlEvent::Created, [&c](const EventArgs&) { OnMainWindowCreated(c); }},
        {u"SourceList", ControlEvent::ItemDoubleClicked, [&c](const EventArgs&) { PlaySelectedEntry(c); }},
        {u"StopButton", ControlEvent::Click, [&c](const EventArgs&) { StopPlayback(c); }},
        {u"BrandLabel", ControlEvent::LeftPressed, [&c](const EventArgs&) { OnBrandLabelPressed(c); }},
        {u"FileDropTarget", ControlEvent::FilesDropped, [&c](const EventArgs& e) { OnFilesDropped(c, e.text); }},
    };
}
