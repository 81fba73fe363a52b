#pragma once

#include "core/playback/ChannelHistory.h"
#include "core/lists/ChannelList.h"
#include "core/playback/PreopenMode.h"

#include <functional>

// Which channel a key or a choice leads to, and which one is opened ahead:
// the list shown, the history for Backspace and Space, the direction of the
// change being made and the opening-ahead setting, with one owner.
class ChannelNavigator {
public:
    const ChannelList& list() const { return list_; }
    const ChannelHistory& history() const { return history_; }
    // A new list: the history's indices belonged to the one that goes.
    void replaceList(const PlaySourceFile& file);
    // The same list, refreshed: its new entries replace the old in place. The
    // history, the favourites and the filter follow their channels (by name
    // and address as written). Returns where an index of before is now (-1:
    // its channel is gone).
    std::function<int(int)> refreshList(const PlaySourceFile& file);
    void setFilter(const QString& text) { list_.setFilter(text); }
    // The favourites change: the history follows its entries to where they
    // are shown now. Returns where an index of before is now (-1: gone).
    std::function<int(int)> setFavourites(const std::vector<ChannelKey>& favourites);
    // The favourites with the entry at `index` added at their end, or taken
    // out when it is one (its copy or its entry alike).
    std::vector<ChannelKey> favouritesToggling(int index) const;

    PreopenMode preopen() const { return preopen_; }
    void setPreopen(PreopenMode mode) { preopen_ = mode; }

    // Up and Down: the selection's neighbour, stopping at the ends; from an
    // end when nothing is selected. -1: it stays.
    int selectionStep(int selected, int direction) const;
    // A channel-up or -down: the neighbour of the channel playing (else of
    // the selection), round the list. Opening ahead then follows the same way.
    int neighbourToPlay(int selected, int direction);
    // A channel number typed; -1 when the list has fewer.
    int numbered(int number) const { return list_.channelNumbered(number); }
    // Backspace: the channel before the last one; Space: the last one again.
    int previousToPlay() const;
    int lastPlayed() const;

    // An entry is being played (-1: nothing selected). Returns the channel to
    // preopen: the next one in the direction of the change, -1 for none.
    int chose(int index);
    // The selection rested on an entry: it is opened ahead, or -1.
    int restingToPreopen(int selected) const;

private:
    ChannelList list_;
    ChannelHistory history_;
    PreopenMode preopen_ = PreopenMode::NextAndSelection;
    // -1 while a channel-up makes its choice; +1 for every other choice.
    int direction_ = 1;
};
