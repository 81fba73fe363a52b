#include "ListPanel.h"

#include "HandlerContext.h"
#include "ListFilterLine.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "controls/ListBox.h"
#include "core/AppCore.h"

#include <QItemSelectionModel>

#include <algorithm>

namespace {

ListBox& sourceList(HandlerContext& context)
{
    return context.window.get<ListBox>(u"SourceList");
}

void selectEntry(ListBox& list, int index, QAbstractItemView::ScrollHint hint = QAbstractItemView::EnsureVisible)
{
    list.setCurrentSelection(index);
    list.scrollTo(list.currentIndex(), hint);
}

void showFiltered(ListBox& sources, const ChannelList& channels)
{
    if (channels.isFiltered())
        sources.showOnly(channels.shown());
    else
        sources.showAll();
}

} // namespace

void SetUpListPanel(HandlerContext& context)
{
    MainWindow& window = context.window;
    // The line that finds a channel, over the list's heading.
    auto* filter = new ListFilterLine(*window.control(u"ListCaptionLabel")->widget(), window);
    context.filterLine = filter;
    PreopenScheduler& preopen = *context.core.preopen;
    QObject::connect(filter, &QLineEdit::textChanged, &window, [&context, &preopen] {
        FilterSourceList(context);
        // Enter plays the first match: it is opened ahead once the typing pauses.
        preopen.filterMatched(context.core.channels.list().firstShownChannel());
    });
    QObject::connect(filter, &ListFilterLine::accepted, &window, [&context] { PlayFilteredEntry(context); });
    QObject::connect(filter, &ListFilterLine::abandoned, &window, [&context] { CloseListFilter(context); });
    // The Enter or double-click that follows a resting selection finds its entry opened ahead.
    ListBox& list = sourceList(context);
    QObject::connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, &window,
                     [&list, &preopen] { preopen.selectionMoved(list.currentSelection()); });
}

void FillSourceList(HandlerContext& context)
{
    const ChannelList& list = context.core.channels.list();
    ListBox& sources = sourceList(context);
    sources.setItems(list.names());
    // Group headings in the list heading's grey.
    sources.setHeadings(list.headings(), rgb(192, 192, 192));
    // The filter being typed applies to the new list too.
    if (list.isFiltered())
        sources.showOnly(list.shown());
    context.window.get<ListBox>(u"AddressList").setItems(list.writtenAddresses());
}

void MoveSelection(HandlerContext& context, int direction)
{
    ListBox& list = sourceList(context);
    const int next = context.core.channels.selectionStep(list.currentSelection(), direction);
    if (next >= 0)
        selectEntry(list, next);
}

void SelectPlayedEntry(HandlerContext& context, int index)
{
    if (index < 0)
        return;
    // A channel the filter hides: the whole list again, so that what plays is what the user sees.
    if (!context.core.channels.list().isShown(index))
        CloseListFilter(context);
    ListBox& list = sourceList(context);
    if (list.currentSelection() != index)
        selectEntry(list, index);
}

int SelectRememberedChannel(HandlerContext& context)
{
    if (!context.core.settings)
        return -1;
    const std::optional<UserSettings::Channel> remembered = context.core.settings->lastChannel();
    if (!remembered)
        return -1;
    const int index = context.core.channels.list().find(remembered->name, remembered->address);
    if (index >= 0)
        selectEntry(sourceList(context), index, QAbstractItemView::PositionAtCenter);
    return index;
}

void ShowListFilter(HandlerContext& context)
{
    if (context.filterLine && context.window.control(u"ListCaptionLabel")->Visible())
        context.filterLine->open();
}

void FilterSourceList(HandlerContext& context)
{
    if (!context.filterLine)
        return;
    ChannelNavigator& channels = context.core.channels;
    channels.setFilter(context.filterLine->text());
    showFiltered(sourceList(context), channels.list());
}

void PlayFilteredEntry(HandlerContext& context)
{
    ListBox& sources = sourceList(context);
    if (sources.currentSelection() < 0) {
        const int first = context.core.channels.list().firstShownChannel();
        if (first < 0)
            return;
        sources.setCurrentSelection(first);
    }
    PlaySelectedEntry(context);
}

void CloseListFilter(HandlerContext& context)
{
    ListBox& sources = sourceList(context);
    if (context.filterLine)
        context.filterLine->close();
    context.core.channels.setFilter({});
    showFiltered(sources, context.core.channels.list());
    sources.setFocus(Qt::OtherFocusReason);
}

bool IsListFilterTyping(HandlerContext& context)
{
    return context.filterLine && context.filterLine->isVisible() && context.filterLine->hasFocus();
}

void ToggleFavourite(HandlerContext& context, int index)
{
    AppCore& core = context.core;
    const ChannelList& list = core.channels.list();
    if (!list.contains(index) || list.isHeading(index))
        return;
    ShowFavourites(context, core.channels.favouritesToggling(index));
    if (core.settings)
        core.settings->setFavourites(list.favouriteKeys());
}

void ShowFavourites(HandlerContext& context, const std::vector<ChannelKey>& favourites)
{
    AppCore& core = context.core;
    const ChannelList& list = core.channels.list();
    ListBox& sources = sourceList(context);
    const ChannelList::Place selected = list.placeOf(sources.currentSelection());
    core.channels.setFavourites(favourites);
    FillSourceList(context);
    if (const int stillSelected = list.indexOf(selected); stillSelected >= 0)
        sources.setCurrentSelection(stillSelected);
    if (context.listReshown)
        context.listReshown();
}

void ToggleSelectedFavourite(HandlerContext& context)
{
    ToggleFavourite(context, sourceList(context).currentSelection());
}

bool IsFavourite(HandlerContext& context, int index)
{
    const ChannelList& list = context.core.channels.list();
    const auto& keys = list.favouriteKeys();
    return list.contains(index) && std::find(keys.begin(), keys.end(), list.key(index)) != keys.end();
}

void RefillSourceListInPlace(HandlerContext& context, const std::function<std::function<int(int)>()>& refresh)
{
    ListBox& sources = sourceList(context);
    const int selected = sources.currentSelection();
    const int top = sources.indexAt(QPoint(1, 1)).row();
    const std::function<int(int)> moved = refresh();
    FillSourceList(context);
    if (const int topNow = moved(top); topNow >= 0)
        sources.scrollTo(sources.model()->index(topNow, 0), QAbstractItemView::PositionAtTop);
    if (const int selectedNow = moved(selected); selectedNow >= 0)
        sources.setCurrentSelection(selectedNow);
}
