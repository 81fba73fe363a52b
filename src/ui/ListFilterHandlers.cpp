#include "ListFilterHandlers.h"

#include "HandlerContext.h"
#include "ListFilterLine.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "controls/ListBox.h"

void ShowListFilter(HandlerContext& context)
{
    if (context.filterLine && context.window.control(u"ListCaptionLabel")->Visible())
        context.filterLine->open();
}

void FilterSourceList(HandlerContext& context)
{
    if (context.filterLine)
        context.window.get<ListBox>(u"SourceList").setFilter(context.filterLine->text());
}

void PlayFilteredEntry(HandlerContext& context)
{
    ListBox& sources = context.window.get<ListBox>(u"SourceList");
    if (sources.currentSelection() < 0) {
        const int first = sources.firstShownEntry();
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
    sources.setFilter({});
    sources.setFocus(Qt::OtherFocusReason);
}
