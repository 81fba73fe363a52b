#include "ChannelNavigation.h"

#include "HandlerContext.h"
#include "ListFilterHandlers.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"

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

} // namespace

void PlayEntry(HandlerContext& context, int index)
{
    // A channel the filter hides: the whole list again, so that what plays is what the user sees.
    if (!context.state.channels.list().isShown(index))
        CloseListFilter(context);
    selectEntry(sourceList(context), index);
    PlaySelectedEntry(context);
}

void MoveSelection(HandlerContext& context, int direction)
{
    ListBox& list = sourceList(context);
    const int next = context.state.channels.selectionStep(list.currentSelection(), direction);
    if (next >= 0)
        selectEntry(list, next);
}

void PlayNeighbourChannel(HandlerContext& context, int direction)
{
    const int next = context.state.channels.neighbourToPlay(sourceList(context).currentSelection(), direction);
    if (next >= 0)
        PlayEntry(context, next);
}

bool PlayChannelNumber(HandlerContext& context, int number)
{
    const int index = context.state.channels.numbered(number);
    if (index < 0)
        return false;
    PlayEntry(context, index);
    return true;
}

void PlayPreviousChannel(HandlerContext& context)
{
    if (const int previous = context.state.channels.previousToPlay(); previous >= 0)
        PlayEntry(context, previous);
}

void StopOrPlayAgain(HandlerContext& context)
{
    if (context.nowPlaying.generation != 0) {
        StopPlayback(context);
        return;
    }
    if (const int last = context.state.channels.lastPlayed(); last >= 0)
        PlayEntry(context, last);
}

void SelectRememberedChannel(HandlerContext& context)
{
    if (!context.state.settings)
        return;
    const std::optional<UserSettings::Channel> remembered = context.state.settings->lastChannel();
    if (!remembered)
        return;
    const int index = context.state.channels.list().find(remembered->name, remembered->address);
    if (index >= 0)
        selectEntry(sourceList(context), index, QAbstractItemView::PositionAtCenter);
}
