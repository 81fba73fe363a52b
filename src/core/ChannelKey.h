#pragma once

#include <QString>

// A channel as its user knows it across lists and restarts: its name and its
// address as the list writes it.
struct ChannelKey {
    QString name;
    QString address;
    bool operator==(const ChannelKey&) const = default;
};
