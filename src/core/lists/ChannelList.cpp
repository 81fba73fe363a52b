#include "core/lists/ChannelList.h"

#include "core/lists/ChannelOrder.h"

#include <algorithm>

namespace {

// The favourites' heading, read as a group heading like the lists' own.
QString favouritesHeading()
{
    return QStringLiteral("收藏");
}

const QString& headingAddress()
{
    static const QString genre = QStringLiteral("#genre#");
    return genre;
}

} // namespace

void ChannelList::replace(const PlaySourceFile& file)
{
    pinyin_.clear();
    names_ = file.names;
    written_ = file.addresses;
    headings_.assign(size_t(names_.size()), false);
    for (int row : file.headingRows)
        if (contains(row))
            headings_[size_t(row)] = true;
    // The columns come from the entries one for one; a file made of columns alone has no tags.
    if (file.tagColumn && file.tagColumn->size() == size_t(names_.size())) {
        tags_ = file.tagColumn;
    } else if (file.entries.size() == size_t(names_.size())) {
        auto tags = std::make_shared<std::vector<ChannelTags>>();
        tags->reserve(file.entries.size());
        for (const PlaySource& entry : file.entries)
            tags->push_back(entry.tags);
        tags_ = std::move(tags);
    } else {
        tags_.reset();
    }
    listTags_ = file.listTags;
    setFavourites(std::vector<ChannelKey>(favouriteKeys_));
}

void ChannelList::setFavourites(const std::vector<ChannelKey>& favourites)
{
    favouriteKeys_ = favourites;
    favourites_.clear();
    for (const ChannelKey& key : favourites) {
        const int entry = findEntry(key.name, key.address);
        if (entry >= 0 && std::find(favourites_.begin(), favourites_.end(), entry) == favourites_.end())
            favourites_.push_back(entry);
    }
    applyFilter();
}

int ChannelList::entryOf(int index) const
{
    if (!contains(index) || (index == 0 && front() > 0))
        return -1;
    return index < front() ? favourites_[size_t(index - 1)] : index - front();
}

ChannelList::Place ChannelList::placeAmong(const std::vector<int>& favouriteEntries, int index)
{
    const int front = favouriteEntries.empty() ? 0 : int(favouriteEntries.size()) + 1;
    if (index < 0)
        return {};
    if (index >= front)
        return {index - front, false};
    return {index == 0 ? -1 : favouriteEntries[size_t(index - 1)], true};
}

int ChannelList::indexOf(const Place& place) const
{
    if (place.entry < 0)
        return place.favourite && front() > 0 ? 0 : -1;
    if (place.entry >= entryCount())
        return -1;
    if (place.favourite) {
        const auto found = std::find(favourites_.begin(), favourites_.end(), place.entry);
        if (found != favourites_.end())
            return 1 + int(found - favourites_.begin());
    }
    return indexOfEntry(place.entry);
}

QString ChannelList::name(int index) const
{
    if (front() > 0 && index == 0)
        return favouritesHeading();
    return names_.value(entryOf(index));
}

QString ChannelList::written(int index) const
{
    if (front() > 0 && index == 0)
        return headingAddress();
    return written_.value(entryOf(index));
}

QStringList ChannelList::names() const
{
    return withFavourites(names_, favouritesHeading());
}

QStringList ChannelList::writtenAddresses() const
{
    return withFavourites(written_, headingAddress());
}

QStringList ChannelList::withFavourites(const QStringList& column, const QString& heading) const
{
    if (front() == 0)
        return column;
    QStringList all{heading};
    for (int entry : favourites_)
        all.append(column.at(entry));
    return all + column;
}

void ChannelList::clear()
{
    replace({});
}

bool ChannelList::isHeading(int index) const
{
    if (front() > 0 && index == 0)
        return true;
    const int entry = entryOf(index);
    return entry >= 0 && headings_[size_t(entry)];
}

const ChannelTags& ChannelList::tags(int index) const
{
    static const ChannelTags none;
    const int entry = entryOf(index);
    return tags_ && entry >= 0 && size_t(entry) < tags_->size() ? (*tags_)[size_t(entry)] : none;
}

QList<int> ChannelList::headings() const
{
    QList<int> rows;
    if (front() > 0)
        rows.append(0);
    for (int entry = 0; entry < entryCount(); ++entry)
        if (headings_[size_t(entry)])
            rows.append(entry + front());
    return rows;
}

std::vector<ChannelAddress> ChannelList::addresses(int index) const
{
    const int entry = entryOf(index);
    return entry < 0 ? std::vector<ChannelAddress>{} : channelAddresses(names_, written_, entry);
}

int ChannelList::find(const QString& name, const QString& written) const
{
    const int entry = findEntry(name, written);
    return entry < 0 ? -1 : entry + front();
}

int ChannelList::findEntry(const QString& name, const QString& written) const
{
    for (int entry = 0; entry < entryCount(); ++entry)
        if (names_.at(entry) == name && written_.at(entry) == written)
            return entry;
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
    // Letters and digits typed also find a Chinese name by its pinyin.
    const std::optional<QByteArray> typing = pinyinTyping(filter_);
    if (typing && pinyin_.size() != size_t(names_.size())) {
        pinyin_.clear();
        pinyin_.reserve(size_t(names_.size()));
        for (const QString& written : std::as_const(names_))
            pinyin_.emplace_back(written);
    }
    const auto holds = [this, &typing](int index) {
        if (name(index).contains(filter_, Qt::CaseInsensitive))
            return true;
        const int entry = entryOf(index);
        return typing && entry >= 0 && pinyin_[size_t(entry)].matches(*typing);
    };
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
