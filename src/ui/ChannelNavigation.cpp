#include "ChannelNavigation.h"

#include "HandlerContext.h"
#include "ListFilterHandlers.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "core/ChannelOrder.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"

namespace {

ListBox& sourceList(HandlerContext& context)
{
    return context.window.get<ListBox>(u"SourceList");
}

int nextChannel(const ListBox& list, int from, int direction, bool wrap)
{
    return channelorder::nextChannel(
        list.itemCount(), [&list](int row) { return list.isHeading(row); }, from, direction, wrap);
}

void playEntry(HandlerContext& context, int index)
{
    ListBox& list = sourceList(context);
    // A channel the filter hides: the whole list again, so that what plays is what the user sees.
    if (list.itemRect(index).isNull() && !list.filter().isEmpty())
        CloseListFilter(context);
    list.setCurrentSelection(index);
    list.scrollTo(list.currentIndex());
    PlaySelectedEntry(context);
}

} // namespace

void MoveSelection(HandlerContext& context, int direction)
{
    ListBox& list = sourceList(context);
    const int selected = list.currentSelection();
    const int next = selected < 0 ? nextChannel(list, direction > 0 ? -1 : list.itemCount(), direction, false)
                                  : nextChannel(list, selected, direction, false);
    if (next < 0)
        return;
    list.setCurrentSelection(next);
    list.scrollTo(list.currentIndex());
}

void PlayNeighbourChannel(HandlerContext& context, int direction)
{
    ListBox& list = sourceList(context);
    if (list.itemCount() == 0)
        return;
    int from = context.channels.current() >= 0 ? context.channels.current() : list.currentSelection();
    if (from < 0)
        from = direction > 0 ? -1 : list.itemCount();
    const int next = nextChannel(list, from, direction, true);
    if (next < 0)
        return;
    context.lastDirection = direction;
    playEntry(context, next);
}

bool PlayChannelNumber(HandlerContext& context, int number)
{
    const ListBox& list = sourceList(context);
    const int row =
        channelorder::rowOfNumber(list.itemCount(), [&list](int index) { return list.isHeading(index); }, number);
    if (row < 0)
        return false;
    playEntry(context, row);
    return true;
}

void PlayPreviousChannel(HandlerContext& context)
{
    const int previous = context.channels.previous();
    if (previous >= 0 && previous < sourceList(context).itemCount())
        playEntry(context, previous);
}

void StopOrPlayAgain(HandlerContext& context)
{
    if (context.nowPlaying.generation != 0) {
        StopPlayback(context);
        return;
    }
    const int last = context.channels.current();
    if (last >= 0 && last < sourceList(context).itemCount())
        playEntry(context, last);
}

void SelectRememberedChannel(HandlerContext& context)
{
    if (!context.state.settings)
        return;
    const std::optional<UserSettings::Channel> remembered = context.state.settings->lastChannel();
    if (!remembered)
        return;
    ListBox& list = sourceList(context);
    const ListBox& addresses = context.window.get<ListBox>(u"AddressList");
    for (int index = 0; index < list.itemCount(); ++index) {
        if (list.itemText(index) == remembered->name && addresses.itemText(index) == remembered->address) {
            list.setCurrentSelection(index);
            list.scrollTo(list.currentIndex(), QAbstractItemView::PositionAtCenter);
            return;
        }
    }
}
