#pragma once

#include "PictureSettings.h"
#include "PlaybackFailure.h"
#include "TimeShiftBuffer.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

// What the playback session needs of one player. VlcPlayer is the real one;
// the session's tests drive scripted fakes through the same face.
//
// Threads: SetWindow, OpenSource, Play and Stop may wait on the engine
// and are called on the session's worker threads; Volume, RestoreVolume and
// the readers do not wait.
class MediaPlayer {
public:
    // What a player reports while it plays, as the session sees it.
    struct Event {
        // RecordingEnded: the live channel read by the program ended, or its
        // recording stopped by itself (its disk, its file).
        enum class Type { Buffering, Playing, EndReached, EncounteredError, Stopped, AudioVolume, VideoOutput, RecordingEnded };
        Type type = Type::Playing;
        float cache = 0; // Buffering: 0 to 100
    };
    // Called on any thread, the engine's own included: copy what is needed
    // and hand it on; never call back into the player from it.
    using EventListener = std::function<void(const Event&)>;

    // What the player has done with the source opened last: counters that
    // grow while it plays, and where it stands.
    struct Stats {
        std::int64_t demuxBytes = 0;
        std::int64_t displayedPictures = 0;
        std::int64_t decodedAudio = 0;
        std::int64_t lostPictures = 0; // decoded too late to be shown
        std::int64_t timeMs = -1;   // position; -1 when unknown
        std::int64_t lengthMs = -1; // length; 0 or -1 when the source has none (live)
        bool seekable = false;      // a position may be asked for
    };

    // A source to open, with what it needs besides its address.
    struct Source {
        QString address;   // a network address, or a local path
        QString userAgent; // HTTP headers the server wants; empty: the engine's own
        QString referrer;
        int cachingMs = 0; // how much the engine buffers of a file, a network or an RTSP source
        PictureSettings picture;
        TimeShiftSpan::Bounds timeShift; // how much of a live channel read by the program is kept
    };

    // A track of the source, as the engine numbers it, and what the source says of it.
    struct Track {
        int id = -1;
        int number = 0; // counted from 1 among the tracks of its kind
        QString description;
        QString language;
    };
    // The audio and subtitle tracks of what plays, and the ones chosen (-1: none).
    struct Tracks {
        std::vector<Track> audio;
        std::vector<Track> subtitles;
        int audioId = -1;
        int subtitleId = -1;
    };
    // What plays, as the engine decoded it; empty texts and zeros where unknown.
    struct Description {
        QString container; // the demultiplexers that read it, outermost first
        QString videoCodec;
        QSize videoSize;
        double frameRate = 0;
        QString audioCodec;
        int audioChannels = 0;
        int audioRate = 0; // Hz
    };

    // Events reach the listener from the moment it is made until it is
    // destroyed; once its destructor returns, no call of the listener runs.
    class Subscription {
    public:
        virtual ~Subscription() = default;
    };

    virtual ~MediaPlayer() = default;

    // False when the engine could not be started: nothing can play.
    virtual bool isUsable() const = 0;
    virtual void SetWindow(std::uint32_t xWindow) = 0;
    // Prepares a source; Play starts it. False when no media could be made;
    // then the player is left as it was.
    virtual bool OpenSource(const Source& source) = 0;
    virtual void Play() = 0;
    // Holds the picture shown, or goes on from it; does not wait on the engine.
    virtual void SetPaused(bool paused) = 0;
    // A paused player draws its next picture now, without waiting for its clock.
    // (Asked of a playing one, libvlc pauses it instead.)
    virtual void StepPicture() = 0;
    // Out of sight, its pictures are drawn a few pixels large (decoded all the
    // same, but drawing them costs next to nothing); at the window's size again
    // when not. Holds for the pictures of later sources too.
    virtual void SetDrawnSmall(bool small) = 0;
    // Writes the picture shown, at the source's own size, as PNG; false when
    // there is none. May wait on the engine.
    virtual bool SaveSnapshot(const QString& path) = 0;
    // The picture's shape and deinterlacing, for what plays now and what opens next.
    virtual void SetPicture(const PictureSettings& picture) = 0;
    // Chooses a track by its id (-1: no subtitles). Does not wait on the engine.
    virtual void SetAudioTrack(int id) = 0;
    virtual void SetSubtitleTrack(int id) = 0;
    // Adds a subtitle file to what plays and shows it; false when the engine refuses it.
    virtual bool AddSubtitleFile(const QString& path) = 0;
    // Never wait, as stats(): empty while the player is busy or has no source.
    virtual std::optional<Tracks> tracks() const = 0;
    virtual std::optional<Description> description() const = 0;
    // Goes to a position of the source that plays, if it can.
    virtual void Seek(std::int64_t milliseconds) = 0;
    virtual void Stop() = 0;
    // Sets the level when asked and returns it (the level kept); otherwise
    // returns the level the engine reports.
    virtual int Volume(int level, bool set) = 0;
    // Applies the kept level again if the audio output has another one.
    virtual void RestoreVolume() = 0;
    virtual std::unique_ptr<Subscription> subscribe(EventListener listener) = 0;
    // The last error the engine reported for the source opened last (an
    // engine error or a missing reader module); Kind::None when none.
    virtual PlaybackFailure lastError() const = 0;
    // Never waits: empty while the player is busy opening or stopping, or has no source.
    virtual std::optional<Stats> stats() const = 0;

    // A live channel the player reads through a time-shift buffer of its own
    // connection; empty for any other source. Never waits.
    virtual std::optional<TimeShiftBuffer::State> liveState() const { return std::nullopt; }
    // Plays such a channel from `behindMs` before the newest byte held (0: live),
    // without touching its connection. May wait on the engine.
    virtual void ShiftLive(std::int64_t /*behindMs*/) {}
    // Records what such a channel sends from now on into a new file at `path`.
    virtual bool StartRecording(const QString& /*path*/) { return false; }
    virtual void StopRecording() {}
};

// Makes a new player, on whatever thread asks.
using MediaPlayerFactory = std::function<std::unique_ptr<MediaPlayer>()>;
