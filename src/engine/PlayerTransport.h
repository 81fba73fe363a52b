#pragma once

#include "MediaPlayer.h"
#include "PlayerBank.h"
#include "platform/TimeSource.h"

#include <QObject>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>

// What the user does to the choice that plays, on the player that shows it:
// hold it and go on, jump in it, choose its tracks and its picture, save its
// picture, and the volume. The requests that may wait on the engine run on
// the players' thread, after what was asked before them; the readers never wait.
class PlayerTransport {
public:
    using Clock = TimeSource::Clock;

    // What it must know of the choice, asked when it needs it.
    struct ChoiceView {
        bool exists = false;
        bool opening = true;   // its current open has not started playing yet
        int showing = 0;       // the player that shows it
        MediaPlayer::Stats lastReading; // the last reading of it, for when the player is busy
        std::int64_t expectedLengthMs = 0; // a length known beforehand (a programme watched back)
    };
    struct Hooks {
        std::function<ChoiceView()> choice;
        std::function<void(bool paused)> pausedChanged;               // the stall watch rests while held
        std::function<void(const PictureSettings& picture)> pictureSet; // kept for the choice's reopens
    };

    PlayerTransport(PlayerBank& bank, TimeSource& time, Hooks hooks);

    // A new choice, a stop or a reopen: not held, no jump on its way.
    void reset();

    // Where the choice stands in its source. Its length is the one the player
    // reports, else the one expected; a source of neither (a live channel) has
    // no position.
    struct Position {
        std::int64_t timeMs = 0;
        std::int64_t lengthMs = 0;
        bool seekable = false;
    };
    std::optional<Position> position() const;
    // Holds or resumes the choice that plays, if it has a position; false when
    // it cannot be held.
    bool setPaused(bool paused);
    bool isPaused() const { return paused_; }
    // Goes to a position of the choice that plays (held, it stays held).
    // Until the player is seen there (or a while has passed) the position is
    // the one asked for, so that jumps in quick succession add up.
    void seek(std::int64_t milliseconds);

    // A live channel the choice reads through its time-shift buffer; empty for
    // anything else, while it opens, or while its player is busy. Never waits.
    std::optional<TimeShiftBuffer::State> liveState() const;
    // Holds such a channel's picture, or goes on from it: the buffer keeps
    // what comes meanwhile.
    void holdLive(bool held);
    // Plays it from `behindMs` before the newest byte held (0: live); held, it goes on.
    void shiftLive(std::int64_t behindMs);
    // Records what it sends from now on into `path`, or stops; `started` runs
    // in `context`'s thread with whether the file was made.
    void startRecording(const QString& path, QObject* context, std::function<void(bool started)> started);
    void stopRecording();

    // Writes the picture the choice shows as PNG off this thread; `saved`
    // then runs in `context`'s thread, with whether it was written.
    void saveSnapshot(const QString& path, QObject* context, std::function<void(bool saved)> saved);

    // The tracks of what the choice plays and what it is; empty while nothing
    // plays or its player is busy. Neither waits.
    std::optional<MediaPlayer::Tracks> tracks() const;
    std::optional<MediaPlayer::Description> description() const;
    // The reading of the player that shows; empty while it is busy.
    std::optional<MediaPlayer::Stats> stats() const;
    // For this play of the choice only: a reconnect opens the source as it comes.
    void setAudioTrack(int id);
    void setSubtitleTrack(int id);
    void addSubtitleFile(const QString& path);
    // The choice's picture, now and at each reopen of it.
    void setPicture(const PictureSettings& picture);

    // The volume of what plays: kept, set on every player, and reported by the
    // one that shows (see VlcPlayer::Volume). Setting returns what it reports.
    int setVolume(int level);
    int volume();

private:
    MediaPlayer* showingPlayer(const ChoiceView& choice) const;
    // Asks the player that shows, while a choice exists.
    void command(std::function<void(MediaPlayer&)> request);
    // Asks the player on its thread; `reply` runs in `context` with its answer
    // (false at once when nothing is chosen to ask).
    void ask(std::function<bool(MediaPlayer&)> question, QObject* context, std::function<void(bool)> reply);

    PlayerBank& bank_;
    TimeSource& time_;
    Hooks hooks_;
    bool paused_ = false;
    struct Seeking {
        std::int64_t targetMs = 0;
        Clock::time_point asked;
    };
    std::optional<Seeking> seeking_;
};
