#pragma once

#include "core/lists/AddressCheck.h"
#include "core/lists/ChannelKey.h"
#include "sources/ChannelAddress.h"

#include <QHash>
#include <QString>

#include <utility>
#include <vector>

// Which of a channel's addresses is tried first: the one that played the
// last time its earlier ones failed (kept across restarts, by channel), then
// those a check of the list found answering (for this run), then the rest,
// each in the list's order. The list itself never changes.
class AlternateOrder {
public:
    using FirstAddress = std::pair<ChannelKey, QString>;
    static constexpr int kKeptChannels = 1000;

    void setKept(const std::vector<FirstAddress>& kept);
    const std::vector<FirstAddress>& kept() const { return kept_; }

    // `played` of the channel plays, after the addresses tried before it
    // failed; `listFirst` is the list's own first. True when what is kept changed.
    bool playedAfterFailures(const ChannelKey& channel, const QString& played, const QString& listFirst);

    // A check of the list: what it found of each address so far.
    void setChecked(QHash<QString, AddressCheck> checked) { checked_ = std::move(checked); }
    void checked(const QString& address, const AddressCheck& found) { checked_.insert(address, found); }
    const QHash<QString, AddressCheck>& checked() const { return checked_; }
    // Why none of these addresses answered the check; empty while one did or one is unchecked.
    std::vector<AddressCheck> whyNoneAnswered(const std::vector<ChannelAddress>& addresses) const;

    std::vector<ChannelAddress> ordered(const ChannelKey& channel, std::vector<ChannelAddress> addresses) const;

private:
    std::vector<FirstAddress> kept_; // oldest first
    QHash<QString, AddressCheck> checked_;
};
