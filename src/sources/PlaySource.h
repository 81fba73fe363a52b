#pragma once

#include "ListProblem.h"

#include <QString>
#include <QStringList>

#include <memory>
#include <utility>
#include <vector>

// What an M3U list says of a channel besides its name and address, as
// written (empty when it says nothing): kept for the programme guide and
// catch-up.
struct ChannelTags {
    QString tvgId;
    QString tvgName;
    QString tvgLogo;
    QString groupTitle;
    QString catchup;       // the catch-up kind ("default", "append", "shift", "flussonic", …)
    QString catchupSource; // the catch-up address template
    QString catchupDays;
    bool operator==(const ChannelTags&) const = default;
};

// One entry of the play-source list: the name shown and the address played.
struct PlaySource {
    PlaySource(QString name = {}, QString address = {}, ChannelTags tags = {})
        : name(std::move(name)), address(std::move(address)), tags(std::move(tags))
    {
    }
    QString name;
    QString address;
    ChannelTags tags;
    // The same entry when name and address agree: the tags ride along.
    bool operator==(const PlaySource& other) const { return name == other.name && address == other.address; }
};

// What an M3U list's "#EXTM3U" line says for the whole list: the guides'
// addresses (x-tvg-url and url-tvg, each possibly several separated by
// commas) and the catch-up defaults of its channels.
struct ListTags {
    QStringList guideAddresses;
    QString catchup;
    QString catchupSource;
    QString catchupDays;
    // The zone the service reads catch-up times in (an IANA name), when the
    // list knows it: a provider's account says it.
    QString catchupZone;
    // The guide the service offers (a provider's account's own), taken only
    // when the user names none in the settings; the guides above win over it.
    // One address, read whole: an account's password may hold a comma.
    QString serviceGuide;
    bool operator==(const ListTags&) const = default;
};

using PlaySourceList = std::vector<PlaySource>;

// What one load produced: the decoded text, its pieces in order, the entries
// paired from them, and the same entries as the two columns the window shows.
struct PlaySourceFile {
    QString text;
    QStringList fields;
    PlaySourceList entries;
    QStringList names;
    QStringList addresses;
    QList<int> headingRows; // the entries that are group headings
    // The entries' tags in one shared column, made with the other columns off
    // the window's thread, so that the list shown takes them without a copy.
    std::shared_ptr<const std::vector<ChannelTags>> tagColumn;
    ListTags listTags;
    // A drop that brought nothing to list (only pipes and devices, or folders
    // without a playable file), or a list by address that was refused: the
    // list shown stays as it is.
    bool keepsCurrentList = false;
    ListProblem refused = ListProblem::None; // why a list by address was refused

    void fillColumns();
};
