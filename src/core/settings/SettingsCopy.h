#pragma once

#include "core/lists/ChannelKey.h"
#include "core/lists/ListRef.h"
#include "core/playback/PictureChoices.h"
#include "core/settings/SettingsTable.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>
#include <utility>
#include <vector>

class UserSettings;

// Everything a user set, as one JSON file that moves to another machine:
// the settings, the lists, the favourites, the first addresses, the picture
// choices and the last channel.
struct SettingsCopy {
    static constexpr int kVersion = 1;
    static constexpr qint64 kLargest = 32 * 1024 * 1024; // a copy is kilobytes; more is no copy

    SettingValues settings; // every row of the table, valid values only
    std::vector<ListRef> lists;
    QString chosenList; // the list chosen last, by address; empty for the one beside the program
    std::vector<ChannelKey> favourites;
    std::vector<std::pair<ChannelKey, QString>> firstAddresses;
    std::vector<PictureChoices::Kept> pictures;
    std::optional<ChannelKey> lastChannel;

    bool operator==(const SettingsCopy&) const = default;
};

// What the user's settings file holds now.
SettingsCopy copyOf(const UserSettings& settings);
QByteArray settingsCopyJson(const SettingsCopy& copy);

// Why a file is not taken as a copy, typed; the window words it.
struct CopyRefusal {
    enum class Kind {
        Unreadable,   // the file could not be opened: `detail`, the system's words
        TooLarge,     // larger than a copy ever is
        NotJson,      // no JSON from byte `number` on: `detail`, the parser's words
        NotACopy,     // JSON, but not this program's copy
        NoVersion,    // its format's version is missing
        NewerVersion, // written by a newer version, of format `number`
        Damaged,      // a copy with something wrong inside: `damage`
    };
    enum class Damage {
        None,
        NotAnArray,         // `name` is no array
        ItemWithoutText,    // an item of `within` lacks the text `name`
        ItemNotAnObject,    // an item of `within` is no object
        SettingsNotAnObject,
        SettingNotText,     // the value of setting `name` is no text
        SettingInvalid,     // setting `name` has the value `value`, which `detail` says is wrong
        ListWithoutAddress,
        ChosenListNotText,
    };
    Kind kind = Kind::NotACopy;
    Damage damage = Damage::None;
    int number = 0;
    QString name;
    QString within;
    QString value;
    QString detail;
};

// A file read as a copy: the copy, or why it is refused.
struct SettingsCopyRead {
    std::optional<SettingsCopy> copy;
    std::optional<CopyRefusal> refused;
    // What this machine cannot use (a guide's file that is not here), left out of the copy.
    QStringList leftOut;
};
SettingsCopyRead readSettingsCopy(const QByteArray& json);
// The file at `path`, read off the window's thread.
SettingsCopyRead readSettingsCopyFile(const QString& path);

// Replace: the copy as it is. Merge: what is here stays and what the copy
// adds joins it: its lists, favourites, first addresses and pictures for
// channels not here, its settings where here has the default.
enum class ImportMode { Replace, Merge };
SettingsCopy combined(const SettingsCopy& here, const SettingsCopy& brought, ImportMode mode);

// What bringing a copy in changes, per kind.
struct CopyChanges {
    struct Count {
        int added = 0;
        int removed = 0;
        int changed = 0;
        bool any() const { return added || removed || changed; }
    };
    Count settings, lists, favourites, firstAddresses, pictures;
    bool lastChannel = false;
    bool any() const
    {
        return settings.any() || lists.any() || favourites.any() || firstAddresses.any() || pictures.any() || lastChannel;
    }
};
CopyChanges changesBetween(const SettingsCopy& before, const SettingsCopy& after);

// Whether any list of the copy is a provider's account (whose address holds its password).
bool holdsAccountPasswords(const SettingsCopy& copy);
// The copy with every account's password left out of its lists' addresses.
void leaveOutAccountPasswords(SettingsCopy& copy);

// Writes the copy into the settings file (all of it: what it lacks goes).
void writeCopy(UserSettings& settings, const SettingsCopy& copy);
