#include "ListFilterHandlers.h"

#include "HandlerContext.h"
#include "ListFilterLine.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"

namespace {

void showFiltered(ListBox& sources, const ChannelList& channels)
{
    if (channels.isFiltered())
        sources.showOnly(channels.shown());
    else
        sources.showAll();
}

} // namespace

void ShowListFilter(HandlerContext& context)
{
    if (context.filterLine && context.window.control(u"ListCaptionLabel")->Visible())
        context.filterLine->open();
}

void FilterSourceList(HandlerContext& context)
{
    if (!context.filterLine)
        return;
    ChannelNavigator& channels = context.state.channels;
    channels.setFilter(context.filterLine->text());
    showFiltered(context.window.get<ListBox>(u"SourceList"), channels.list());
}

void PlayFilteredEntry(HandlerContext& context)
{
    ListBox& sources = context.window.get<ListBox>(u"SourceList");
    if (sources.currentSelection() < 0) {
        const int first = context.state.channels.list().firstShownChannel();
        if (first < 0)
            return;
        sources.setCurrentSelection(first);
    }
    PlaySelectedEntry(context);
}

void CloseListFilter(HandlerContext& context)
{
    ListBox& sources = context.window.get<ListBox>(u"SourceList");
    if (context.filterLine)
        context.filterLine->close();
    context.state.channels.setFilter({});
    showFiltered(sources, context.state.channels.list());
    sources.setFocus(Qt::OtherFocusReason);
}
