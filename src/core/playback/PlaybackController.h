#pragma once

#include "core/playback/AlternateOrder.h"
#include "core/guide/CatchupAddress.h"
#include "core/lists/ChannelNavigator.h"
#include "core/playback/LiveControl.h"
#include "core/playback/NowPlaying.h"
#include "core/playback/PictureChoices.h"
#include "core/playback/PlaybackTitle.h"
#include "core/guide/ProgrammeGuide.h"
#include "core/playback/VideoTarget.h"
#include "core/playback/VolumeState.h"
#include "engine/PlaybackSession.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <optional>

class UserSettings;

// The one owner of what plays: which entry, which of its addresses first,
// what the title says, a programme watched back and the one that follows it,
// pause and jumps, tracks and picture, the volume. Every request a user can
// make comes here, from the window's keys and buttons, the media keys or the
// start; what changed goes out as signals for the window, the desktop's
// media controls and the list check. Entries are asked for by their index in
// the list shown; what plays is kept by its channel (name and address as
// written), which a change of the favourites does not move.
class PlaybackController final : public QObject {
    Q_OBJECT
public:
    struct Parts {
        PlaybackSession& session;
        ChannelNavigator& channels;
        AlternateOrder& alternates;
        PictureChoices& pictures;
        UserSettings* settings = nullptr; // none: nothing is kept between runs
        VideoTarget& video;
    };
    // Where a file or a programme watched back stands, from its start.
    // A live channel's is within its time-shift buffer: from its oldest moment held to live.
    struct Position {
        std::int64_t timeMs = 0;
        std::int64_t lengthMs = 0;
        bool live = false;
    };
    // As the desktop's media controls say it.
    enum class State { Stopped, Playing, Paused };
    using WallClock = std::function<qint64()>; // seconds since 1970 UTC

    explicit PlaybackController(Parts parts, QObject* parent = nullptr);

    // The guide made once the window shows (none before, and after the exit).
    void setGuide(ProgrammeGuide* guide) { guide_ = guide; }
    ProgrammeGuide* guide() const { return guide_; }
    // The caching of the file, network and RTSP options of every open.
    void setCachingMs(int milliseconds) { cachingMs_ = milliseconds; }
    int cachingMs() const { return cachingMs_; }
    // How much of a live channel is kept to go back in, from the next open.
    void setTimeShiftBounds(TimeShiftSpan::Bounds bounds) { timeShift_ = bounds; }
    void setWallClock(WallClock clock) { now_ = std::move(clock); }
    // The volume as the window starts with it; steps go from there.
    void startVolume(const VolumeState::Look& look);

    const NowPlaying& nowPlaying() const { return playing_; }
    const std::optional<WatchingBack>& watchingBack() const { return watchingBack_; }
    // The address of the entry chosen last, as the list writes it; kept after a stop.
    const QString& currentAddress() const { return currentAddress_; }
    const PlaybackTitle& title() const { return title_; }
    State state() const;
    bool isPaused() const { return session_.transport().isPaused(); }
    std::optional<Position> position() const;
    std::optional<VolumeState::Look> volume() const;
    // The list entry of what plays: the channel of the programme watched back,
    // else the channel chosen last; -1 while nothing plays or the list lost it.
    int watchedEntry() const;
    // The channel whose picture is shaped: the one chosen, or the channel of
    // the programme watched back. Empty while nothing plays.
    ChannelKey watchedChannel() const;
    // What entry `index` plays: its addresses in the order they are tried,
    // with lines, headers and its picture; the line names in `labels`. Empty for a heading.
    Alternates entryAlternates(int index, QStringList* labels = nullptr) const;
    // What the list and the settings give the entry for watching back; none
    // when nothing does (logged when what is given cannot be used).
    std::optional<CatchupRule> catchupRuleOf(int entry) const;
    // How far back any channel of the list can be watched, in days; 0 when none can.
    int catchupDaysOfList() const;
    // The picture kept for a channel, fitted to the video area as it is now.
    PictureSettings pictureOf(const ChannelKey& channel) const;

    // Holding, going back in and recording the live channel that plays.
    LiveControl& live() { return live_; }
    const LiveControl& live() const { return live_; }

    // What the player tells of the media that plays, for the window's menus
    // and information panel; none while nothing plays.
    std::optional<Alternate> currentAlternate() const;
    std::optional<MediaPlayer::Tracks> tracks() const;
    std::optional<MediaPlayer::Description> description() const;
    std::optional<MediaPlayer::Stats> stats() const;
    // The picture that shows, as PNG at `path`; `saved` runs on `context`'s thread.
    void saveSnapshot(const QString& path, QObject* context, std::function<void(bool saved)> saved);
    // The servers known to allow one connection, which a check of the list keeps off.
    const OneConnectionHosts& oneConnectionHosts() const;

    // Opening ahead, for the choices to come.
    void preopen(int entry);
    void preopenBeforeAnyChoice(int entry);

public slots:
    // Entry `index` plays (-1: nothing selected, an empty address is opened
    // as it stands); a heading or an empty list: nothing.
    void playEntry(int index);
    // The channel before (-1) or after (+1) the one chosen last (else `selected`), round the list.
    void playNeighbour(int direction, int selected);
    // Channel number `number`, from 1 over the entries that are no heading; false when none.
    bool playNumber(int number);
    // The channel played before the one that plays; again, the one after it.
    void playPrevious();
    void stop();
    // Stops what plays; when nothing plays, the entry chosen last plays again.
    void stopOrPlayAgain();
    // Space: what has a position, and a live channel read through its buffer,
    // is held or goes on; another live channel stops, or plays again.
    void pauseOrStopOrPlayAgain();
    // The media keys: play goes on (or plays the last channel again), pause holds (or stops live).
    void play();
    void pause();
    // Jumps by an amount, or to a position from the start of the file or of
    // the programme watched back; a jump the stream cannot make asks the server
    // again. A live channel moves within its time-shift buffer, and further
    // back plays that moment's programme when the channel has catch-up.
    void jumpBy(std::int64_t milliseconds);
    void jumpTo(std::int64_t milliseconds);
    // End: a live channel played behind live plays live again.
    void backToLive();
    // R: the live channel that plays is recorded into the recordings' folder, or stops being.
    void toggleRecording();
    // A past programme of entry `entry` plays from `fromSecond` into it, in place of the live channel.
    void watchBack(int entry, const Programme& programme, qint64 fromSecond = 0);
    void chooseAudioTrack(int id);
    void chooseSubtitleTrack(int id);
    void addSubtitleFile(const QString& path);
    // The channel's picture, kept for it and applied now.
    void choosePicture(const PictureSettings& picture);
    // The video area changed size: a picture stretched to fill it follows.
    void videoAreaResized();
    void stepVolumeUp();
    void stepVolumeDown();
    void toggleMute();

signals:
    void titleChanged(const PlaybackTitle& title);
    // An entry was chosen and plays: the window selects it and shows what is on.
    void entryPlayed(int index);
    // What plays changed: a choice, a stop, held or going on, its end or failure.
    void stateChanged(PlaybackController::State state);
    // The session shows the picture of player `player` (0 the first); the
    // window shows that player's surface.
    void playerShown(int player);
    // The players stopped: their last pictures are painted over.
    void playersStopped();
    // A pause or a jump: where it stands is worth showing.
    void positionMoved();
    // The address playing (or opening) now; empty when nothing plays.
    void addressInUse(const QString& address);
    // These addresses are about to be opened (before their connection is):
    // a connection that would cost them on a one-connection service is let go now.
    void aboutToOpen(const Alternates& alternates);
    void volumeChanged(const VolumeState::Look& look);

private:
    void showTitle(PlaybackTitle title);
    PlaybackTitle::Kind playingKind() const;
    int entryOf(const ChannelKey& channel) const;
    void onStatus(const PlaybackStatus& status);
    void followWithNextProgramme();
    void onLiveMoved();
    bool watchBackFromLive(std::int64_t behindMs);
    std::vector<Programme> scheduleOf(int entry) const;

    PlaybackSession& session_;
    ChannelNavigator& channels_;
    AlternateOrder& alternates_;
    PictureChoices& pictures_;
    UserSettings* settings_;
    VideoTarget& video_;
    ProgrammeGuide* guide_ = nullptr;
    WallClock now_;
    int cachingMs_ = 0;
    TimeShiftSpan::Bounds timeShift_;
    NowPlaying playing_;
    std::optional<WatchingBack> watchingBack_;
    QString currentAddress_;
    PlaybackTitle title_;
    PlaybackStatus::Phase phase_ = PlaybackStatus::Phase::Opening; // the last said of the choice
    std::optional<VolumeState> volume_;
    LiveControl live_;
};
