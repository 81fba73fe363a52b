#pragma once

#include "core/lists/ChannelKey.h"
#include "core/lists/ListChanges.h"
#include "core/lists/PinyinName.h"
#include "sources/ChannelAddress.h"
#include "sources/PlaySource.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <vector>

// The entries of the list shown, in list order: channels and group headings,
// each with what the list said of it. The window's two list controls are
// filled from it; the views read channels from here, not from them.
//
// Indices are those of the whole list; a filter decides which entries are
// shown and changes no index. The user's favourites come first, under a
// heading of their own, each a copy of its entry (an "entry of the list" is
// one of the file's; a favourite's is the one it copies).
class ChannelList {
public:
    // Where an index points, so that it can be found again after the favourites change.
    struct Place {
        int entry = -1;         // the file's entry; -1: the favourites' heading (or nothing)
        bool favourite = false; // its copy among the favourites
    };

    void replace(const PlaySourceFile& file);
    void clear();
    // The favourites, in the order they were added; those no entry of the
    // list matches are not shown. Indices after the group move.
    void setFavourites(const std::vector<ChannelKey>& favourites);

    int count() const { return front() + int(names_.size()); }
    bool contains(int index) const { return index >= 0 && index < count(); }
    QString name(int index) const;
    // The address as the list writes it: alternates, lines and headers unread.
    QString written(int index) const;
    ChannelKey key(int index) const { return {name(index), written(index)}; }
    bool isHeading(int index) const;
    // What an M3U list said of the entry; empty for other lists.
    const ChannelTags& tags(int index) const;
    const ListTags& listTags() const { return listTags_; }
    QStringList names() const;
    QStringList writtenAddresses() const;
    QList<int> headings() const;

    // The favourites' heading and copies: 0 when there are none.
    int favouriteRows() const { return front(); }
    bool isFavourite(int index) const { return index > 0 && index < front(); }
    // The file's entry behind an index (a favourite's copied entry); -1 for the favourites' heading.
    int entryOf(int index) const;
    // The index of the file's entry `entry`, outside the favourites.
    int indexOfEntry(int entry) const { return entry < 0 ? -1 : entry + front(); }
    int entryCount() const { return int(names_.size()); }
    // The file's entries as written, without the favourites (shared, not copied).
    ListColumns columns() const { return {names_, written_}; }
    Place placeOf(int index) const { return placeAmong(favourites_, index); }
    // The place of an index while these entries were the favourites shown.
    static Place placeAmong(const std::vector<int>& favouriteEntries, int index);
    const std::vector<int>& favouriteEntries() const { return favourites_; }
    // The index of a place now: a favourite no longer one is its entry; -1 when gone.
    int indexOf(const Place& place) const;
    const std::vector<ChannelKey>& favouriteKeys() const { return favouriteKeys_; }

    // The addresses an entry plays, in order, with their lines and headers
    // (the entries of its run of the same name included).
    std::vector<ChannelAddress> addresses(int index) const;
    // The entry of that name and address as written, outside the favourites; -1 when none.
    int find(const QString& name, const QString& written) const;

    // The next channel from `from` (-1 or count() start from an end),
    // skipping headings; round the list when `wrap`; -1 when none.
    int nextChannel(int from, int direction, bool wrap) const;
    // Channel number `number` (from 1, headings not counted); -1 when none.
    int channelNumbered(int number) const;

    // Only entries whose name holds the text (letter case ignored), or whose
    // Chinese name letters and digits type in pinyin (PinyinName), are shown,
    // with the headings of their groups; a heading that holds it shows its
    // whole group. Empty text shows everything.
    void setFilter(const QString& text);
    const QString& filter() const { return filter_; }
    bool isFiltered() const { return !filter_.isEmpty(); }
    // With a filter: the entries shown, ascending.
    const std::vector<int>& shown() const { return shown_; }
    bool isShown(int index) const;
    // The first channel shown; -1 when none.
    int firstShownChannel() const;

private:
    void applyFilter();
    int findEntry(const QString& name, const QString& written) const;
    // A column of the file's entries (names, addresses) as shown: the favourites' heading and copies first.
    QStringList withFavourites(const QStringList& column, const QString& heading) const;
    int front() const { return favourites_.empty() ? 0 : int(favourites_.size()) + 1; }

    // The file's entries.
    QStringList names_;
    QStringList written_;
    std::vector<bool> headings_;
    std::shared_ptr<const std::vector<ChannelTags>> tags_; // shared with the load that made it
    ListTags listTags_;
    std::vector<ChannelKey> favouriteKeys_;
    std::vector<int> favourites_; // the file's entries the favourites copy, in their order
    QString filter_;
    std::vector<int> shown_;
    std::vector<PinyinName> pinyin_; // the file's entries' names as pinyin, made at the first filter that needs them
};
