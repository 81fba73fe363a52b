#pragma once

#include "core/recording/RecordingPlans.h"

#include "core/guide/CatchupAddress.h"
#include "core/lists/ChannelKey.h"
#include "core/lists/ListRef.h"
#include "core/playback/PictureChoices.h"
#include "core/guide/Reminders.h"
#include "core/settings/SettingsTable.h"

#include <QString>
#include <QStringList>

#include <QSet>

#include <optional>
#include <utility>
#include <vector>

// What the player remembers for its user between starts, in the user's config
// folder ($XDG_CONFIG_HOME/clipvane/clipvane.conf, ~/.config/… by default).
// The settings of the settings table are read through it: a value that is
// not valid is taken as the row's default, said once in the log, and left in
// the file as the user wrote it until the user saves from the window.
class UserSettings {
public:
    // A row's value: as written when valid, else the row's default.
    QString value(const SettingRow& row) const;
    QString value(QStringView key) const;
    // Every row's value as written in the file, valid or not; rows not written are absent.
    SettingValues written() const;
    // Writes every row of the table at once: a value equal to its row's
    // default leaves the file. The file is replaced whole.
    void save(const SettingValues& values);


    using Channel = ChannelKey;
    // A channel and the address of it to try first.
    using FirstAddress = std::pair<ChannelKey, QString>;

    // The channel played last; none before the first.
    std::optional<Channel> lastChannel() const;
    void setLastChannel(const Channel& channel);
    void forgetLastChannel();

    // "start": "last" plays the channel played last at start; anything else
    // (or nothing) selects it only.
    bool startsPlaying() const;

    // The reminders set, by start.
    std::vector<Reminder> reminders() const;
    void setReminders(const std::vector<Reminder>& reminders);
    // A reminder's time switches to its channel by itself.
    bool remindersSwitch() const;
    // The programmes planned to be recorded, by start.
    std::vector<RecordingPlan> recordingPlans() const;
    void setRecordingPlans(const std::vector<RecordingPlan>& plans);
    // "record-before-minutes" and "record-after-minutes": a plan's padding.
    RecordingPlans::Padding recordingPadding() const;
    // The favourites, in the order they were added.
    std::vector<ChannelKey> favourites() const;
    void setFavourites(const std::vector<ChannelKey>& favourites);

    // Channels whose later address played when the earlier ones failed.
    std::vector<FirstAddress> firstAddresses() const;
    void setFirstAddresses(const std::vector<FirstAddress>& kept);
    // Each channel's picture shape and deinterlacing, where the user chose them.
    std::vector<PictureChoices::Kept> pictures() const;
    void setPictures(const std::vector<PictureChoices::Kept>& kept);

    // "preopen": which channels are opened ahead: "off", "next" or
    // "next+selection" (also when missing or not one of these).
    QString preopen() const;
    void setPreopen(const QString& mode);
    // "network-buffer": the caching of files, networks and RTSP, in milliseconds.
    int cachingMs() const;
    // "timeshift-minutes" and "timeshift-megabytes": how much of a live channel is kept to pause and go back in.
    // How much of a live channel is kept to go back in: minutes, and megabytes on disk.
    int timeShiftMinutes() const;
    int timeShiftMegabytes() const;

    // "epg": the programme guides of lists that name none, separated by
    // commas, each an http(s) address or a local path.
    QStringList guides() const;
    // "epg-refresh-hours": how old a guide may grow before it is fetched again.
    int guideRefreshHours() const;
    // "screenshot-folder": where pictures of the video go; empty for the default.
    QString screenshotFolder() const;

    // The user's lists ("lists": an array of name and address), the one
    // chosen last ("list": its address; empty for the list beside the
    // program), and whether that one opens at start even when the list
    // beside the program is there ("list-start": "last").
    std::vector<ListRef> lists() const;
    void setLists(const std::vector<ListRef>& lists);
    QString chosenList() const;
    void setChosenList(const QString& address);
    bool chosenListWins() const;
    // "list-user-agent": what lists by address are fetched with when their
    // address names none; "list-refresh-hours": how old a kept copy may grow.
    QString listUserAgent() const;
    int listRefreshHours() const;

    // "catchup-source": the catch-up template of lists that give their
    // channels none; "catchup-zone": the service's zone ("+0800") for the
    // dates in catch-up addresses.
    CatchupSettings catchup() const;

private:
    // Says once in the log that a value is not valid and what is taken instead.
    void tell(const SettingRow& row, const QString& written, const QString& problem, const QString& instead) const;

    mutable QSet<QString> told_; // "key=value" already said to be no valid value
};
