#pragma once

#include "core/guide/ProgrammeGuide.h"

#include <map>
#include <memory>
#include <utility>
#include <vector>

// What the window asks of the guide, answered from memory: each list entry's
// programmes by start, shared by the entries of one guide channel. Built
// whole on the guide's thread and then never changed, so any thread may read it.
class GuideIndex {
public:
    using Programmes = std::vector<Programme>;
    // The list entries of each guide channel matched: (guide row, channel id) to entries, ascending.
    using ChannelEntries = std::map<std::pair<int, QString>, std::vector<int>>;

    explicit GuideIndex(int entries) : entries_(size_t(std::max(entries, 0))) {}

    // Sorts them by start; one without a stop ends where the next begins.
    static std::shared_ptr<const Programmes> arrange(Programmes programmes);
    void set(int entry, std::shared_ptr<const Programmes> programmes);

    ProgrammeNowNext nowNext(int entry, qint64 now) const;
    Programmes programmes(int entry) const;
    std::shared_ptr<const Programmes> schedule(int entry) const { return knows(entry) ? entries_[size_t(entry)] : nullptr; }
    void setChannelEntries(std::shared_ptr<const ChannelEntries> channelEntries) { channelEntries_ = std::move(channelEntries); }
    // The first entry showing a guide's channel; -1 when none does.
    int firstEntryOf(int guide, const QString& channel) const;
    const std::shared_ptr<const ChannelEntries>& channelEntries() const { return channelEntries_; }
    int matchedEntries() const;
    // A logo as its file holds it; the index of an entry without one is empty.
    void setLogo(int entry, QByteArray logo);
    QByteArray logo(int entry) const;
    bool knows(int entry) const { return entry >= 0 && size_t(entry) < entries_.size() && entries_[size_t(entry)]; }

private:
    std::vector<std::shared_ptr<const Programmes>> entries_;
    std::vector<QByteArray> logos_;
    std::shared_ptr<const ChannelEntries> channelEntries_;
};
