#pragma once

#include "CatchupAddress.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the player remembers for its user between starts, in the user's config
// folder ($XDG_CONFIG_HOME/clipvane/clipvane.conf, ~/.config/… by default).
class UserSettings {
public:
    struct Channel {
        QString name;
        QString address; // as written in the list
    };

    // The channel played last; none before the first.
    std::optional<Channel> lastChannel() const;
    void setLastChannel(const Channel& channel);

    // "preopen": which channels are opened ahead: "off", "next" or
    // "next+selection" (also when missing or not one of these).
    QString preopen() const;
    void setPreopen(const QString& mode);

    // "epg": the programme guides of lists that name none, separated by
    // commas, each an http(s) address or a local path.
    QStringList guides() const;

    // "catchup-source": the catch-up template of lists that give their
    // channels none; "catchup-zone": the service's zone ("+0800") for the
    // dates in catch-up addresses.
    CatchupSettings catchup() const;
};
