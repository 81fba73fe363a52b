#include "ChannelList.h"

#include "ChannelOrder.h"

#include <algorithm>

void ChannelList::replace(const PlaySourceFile& file)
{
    names_ = file.names;
    written_ = file.addresses;
    headings_.assign(size_t(names_.size()), false);
    for (int row : file.headingRows)
        if (contains(row))
            headings_[size_t(row)] = true;
    tags_.clear();
    // The columns come from the entries one for one; a file made of columns alone has no tags.
    if (file.entries.size() == size_t(names_.size())) {
        tags_.reserve(file.entries.size());
        for (const PlaySource& entry : file.entries)
            tags_.push_back(entry.tags);
    }
    listTags_ = file.listTags;
    applyFilter();
}

void ChannelList::clear()
{
    replace({});
}

bool ChannelList::isHeading(int index) const
{
    return contains(index) && headings_[size_t(index)];
}

const ChannelTags& ChannelList::tags(int index) const
{
    static const ChannelTags none;
    return index >= 0 && size_t(index) < tags_.size() ? tags_[size_t(index)] : none;
}

QList<int> ChannelList::headings() const
{
    QList<int> rows;
    for (int index = 0; index < count(); ++index)
        if (headings_[size_t(index)])
            rows.append(index);
    return rows;
}

std::vector<ChannelAddress> ChannelList::addresses(int index) const
{
    return channelAddresses(names_, written_, index);
}

int ChannelList::find(const QString& name, const QString& written) const
{
    for (int index = 0; index < count(); ++index)
        if (names_.at(index) == name && written_.at(index) == written)
            return index;
    return -1;
}

int ChannelList::nextChannel(int from, int direction, bool wrap) const
{
    return channelorder::nextChannel(
        count(), [this](int row) { return isHeading(row); }, from, direction, wrap);
}

int ChannelList::channelNumbered(int number) const
{
    return channelorder::rowOfNumber(count(), [this](int row) { return isHeading(row); }, number);
}

void ChannelList::setFilter(const QString& text)
{
    if (text == filter_)
        return;
    filter_ = text;
    applyFilter();
}

bool ChannelList::isShown(int index) const
{
    if (!contains(index))
        return false;
    return !isFiltered() || std::binary_search(shown_.begin(), shown_.end(), index);
}

int ChannelList::firstShownChannel() const
{
    if (!isFiltered())
        return nextChannel(-1, +1, false);
    const auto found = std::find_if(shown_.begin(), shown_.end(), [this](int index) { return !isHeading(index); });
    return found == shown_.end() ? -1 : *found;
}

void ChannelList::applyFilter()
{
    shown_.clear();
    if (!isFiltered())
        return;
    const auto holds = [this](int index) { return names_.at(index).contains(filter_, Qt::CaseInsensitive); };
    // A group runs from its heading to the next one; entries before any heading form a group of their own.
    int group = 0;
    while (group < count()) {
        int end = group + 1;
        while (end < count() && !isHeading(end))
            ++end;
        const bool headed = isHeading(group);
        const bool wholeGroup = headed && holds(group);
        const size_t headingAt = shown_.size();
        bool any = false;
        for (int index = headed ? group + 1 : group; index < end; ++index) {
            if (wholeGroup || holds(index)) {
                shown_.push_back(index);
                any = true;
            }
        }
        if (headed && (any || wholeGroup))
            shown_.insert(shown_.begin() + std::ptrdiff_t(headingAt), group);
        group = end;
    }
}
