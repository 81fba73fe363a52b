#pragma once

#include <QHashFunctions>
#include <QString>

// A channel as its user knows it across lists and restarts: its name and its
// address as the list writes it.
struct ChannelKey {
    QString name;
    QString address;
    bool operator==(const ChannelKey&) const = default;
};

inline size_t qHash(const ChannelKey& key, size_t seed = 0)
{
    return qHashMulti(seed, key.name, key.address);
}
