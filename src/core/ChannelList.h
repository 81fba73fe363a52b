#pragma once

#include "sources/ChannelAddress.h"
#include "sources/PlaySource.h"

#include <QString>
#include <QStringList>

#include <vector>

// The entries of the list shown, in list order: channels and group headings,
// each with what the list said of it. The window's two list controls are
// filled from it; the handlers read channels from here, not from them.
//
// Indices are those of the whole list; a filter decides which entries are
// shown and changes no index.
class ChannelList {
public:
    void replace(const PlaySourceFile& file);
    void clear();

    int count() const { return int(names_.size()); }
    bool contains(int index) const { return index >= 0 && index < count(); }
    QString name(int index) const { return names_.value(index); }
    // The address as the list writes it: alternates, lines and headers unread.
    QString written(int index) const { return written_.value(index); }
    bool isHeading(int index) const;
    // What an M3U list said of the entry; empty for other lists.
    const ChannelTags& tags(int index) const;
    const ListTags& listTags() const { return listTags_; }
    const QStringList& names() const { return names_; }
    const QStringList& writtenAddresses() const { return written_; }
    QList<int> headings() const;

    // The addresses an entry plays, in order, with their lines and headers
    // (the entries of its run of the same name included).
    std::vector<ChannelAddress> addresses(int index) const;
    // The entry of that name and address as written; -1 when none.
    int find(const QString& name, const QString& written) const;

    // The next channel from `from` (-1 or count() start from an end),
    // skipping headings; round the list when `wrap`; -1 when none.
    int nextChannel(int from, int direction, bool wrap) const;
    // Channel number `number` (from 1, headings not counted); -1 when none.
    int channelNumbered(int number) const;

    // Only entries whose name holds the text (letter case ignored) are shown,
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

    QStringList names_;
    QStringList written_;
    std::vector<bool> headings_;
    std::vector<ChannelTags> tags_;
    ListTags listTags_;
    QString filter_;
    std::vector<int> shown_;
};
