#include "ChannelNavigator.h"

void ChannelNavigator::replaceList(const PlaySourceFile& file)
{
    history_.forget();
    list_.replace(file);
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

int ChannelNavigator::restingToOpenAhead(int selected) const
{
    if (preopen_ != PreopenMode::NextAndSelection || selected < 0 || selected == history_.current())
        return -1;
    return list_.isHeading(selected) ? -1 : selected;
}
