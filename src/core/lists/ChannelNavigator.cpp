#include "core/lists/ChannelNavigator.h"

#include <algorithm>

void ChannelNavigator::replaceList(const PlaySourceFile& file)
{
    history_.forget();
    list_.replace(file);
}

std::function<int(int)> ChannelNavigator::refreshList(const PlaySourceFile& file)
{
    const ChannelList before = list_; // its columns are shared, not copied
    list_.replace(file);
    // A few lookups (the selection, the first row in view, the history), each
    // a pass over the list: no index of the whole list is built on the window's thread.
    auto moved = [before, this](int index) {
        if (!before.contains(index) || before.isHeading(index) || before.entryOf(index) < 0)
            return -1;
        const ChannelKey key = before.key(index);
        const int found = list_.find(key.name, key.address);
        if (found < 0)
            return -1;
        if (before.isFavourite(index))
            for (int row = 1; row < list_.favouriteRows(); ++row)
                if (list_.entryOf(row) == list_.entryOf(found))
                    return row;
        return found;
    };
    history_.follow(moved);
    return moved;
}

std::function<int(int)> ChannelNavigator::setFavourites(const std::vector<ChannelKey>& favourites)
{
    std::vector<int> before = list_.favouriteEntries();
    list_.setFavourites(favourites);
    auto moved = [before = std::move(before), this](int index) {
        return list_.indexOf(ChannelList::placeAmong(before, index));
    };
    history_.follow(moved);
    return moved;
}

std::vector<ChannelKey> ChannelNavigator::favouritesToggling(int index) const
{
    std::vector<ChannelKey> favourites = list_.favouriteKeys();
    if (list_.isHeading(index) || !list_.contains(index))
        return favourites;
    const ChannelKey key = list_.key(index);
    const auto found = std::find(favourites.begin(), favourites.end(), key);
    if (found != favourites.end())
        favourites.erase(found);
    else
        favourites.push_back(key);
    return favourites;
}

int ChannelNavigator::selectionStep(int selected, int direction) const
{
    const int from = selected >= 0 ? selected : (direction > 0 ? -1 : list_.count());
    return list_.nextChannel(from, direction, false);
}

int ChannelNavigator::neighbourToPlay(int selected, int direction)
{
    int from = history_.current() >= 0 ? history_.current() : selected;
    if (from < 0)
        from = direction > 0 ? -1 : list_.count();
    const int next = list_.nextChannel(from, direction, true);
    if (next >= 0)
        direction_ = direction;
    return next;
}

int ChannelNavigator::previousToPlay() const
{
    return list_.contains(history_.previous()) ? history_.previous() : -1;
}

int ChannelNavigator::lastPlayed() const
{
    return list_.contains(history_.current()) ? history_.current() : -1;
}

int ChannelNavigator::chose(int index)
{
    const int direction = direction_;
    direction_ = 1;
    if (index < 0)
        return -1;
    history_.chose(index);
    if (preopen_ == PreopenMode::Off)
        return -1;
    const int next = list_.nextChannel(index, direction, true);
    return next == index ? -1 : next;
}

int ChannelNavigator::restingToPreopen(int selected) const
{
    if (preopen_ != PreopenMode::NextAndSelection || selected < 0 || selected == history_.current())
        return -1;
    return list_.isHeading(selected) ? -1 : selected;
}
