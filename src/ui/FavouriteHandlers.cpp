#include "FavouriteHandlers.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "PlaySourceHandlers.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"

#include <algorithm>

void ToggleFavourite(HandlerContext& context, int index)
{
    ProgramState& state = context.state;
    const ChannelList& list = state.channels.list();
    if (!list.contains(index) || list.isHeading(index))
        return;
    ListBox& sources = context.window.get<ListBox>(u"SourceList");
    const int selected = sources.currentSelection();
    const auto moved = state.channels.setFavourites(state.channels.favouritesToggling(index));
    if (state.settings)
        state.settings->setFavourites(list.favouriteKeys());
    if (state.watchingBack)
        state.watchingBack->entry = moved(state.watchingBack->entry);
    FillSourceList(context);
    const int stillSelected = moved(selected);
    if (stillSelected >= 0)
        sources.setCurrentSelection(stillSelected);
    if (context.listReshown)
        context.listReshown();
}

void ToggleSelectedFavourite(HandlerContext& context)
{
    ToggleFavourite(context, context.window.get<ListBox>(u"SourceList").currentSelection());
}

bool IsFavourite(HandlerContext& context, int index)
{
    const ChannelList& list = context.state.channels.list();
    const auto& keys = list.favouriteKeys();
    return list.contains(index) && std::find(keys.begin(), keys.end(), list.key(index)) != keys.end();
}
