#pragma once

#include "MediaPlayer.h"
#include "OpenerThread.h"
#include "platform/ThreadMailbox.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// Plays and stops sources for the window without ever blocking it: each choice
// hands a copy of its address to the opener thread, and the players' events
// come back through a mailbox to the thread that owns the session. Every choice
// and every stop starts a new generation; what belongs to an older one is
// ignored, so a stop is never undone by an earlier choice finishing late.
//
// Decisions are made on the owner's thread (which player opens, when a choice
// has failed); the opener thread only carries them out, one request at a
// time, a newer request replacing one that has not started.
//
// Switching channels: libvlc tears an input down before it starts the next one
// on the same media player, and that teardown waits for the video output to
// show the picture it is holding back, up to the stream's whole clock offset.
// So a choice made while a source plays opens on a second player (its own
// libvlc instance, drawing into an X window of its own that the UI shows above
// the first one's) and the first one stops beside it on a thread of its own.
// After a stop, the next choice reuses the player that showed last.
class PlaybackSession final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kStartTimeout{20000};
    static constexpr int kPlayers = 2;

    // The first player may be given ready-made (it is started beside the
    // window); the second is made by the factory on the opener thread once a
    // source plays.
    explicit PlaybackSession(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first = nullptr,
                             QObject* parent = nullptr);
    ~PlaybackSession() override;

    // One X window for each player; they may be the same one when nothing can
    // be shown above the other.
    using VideoWindows = std::array<std::uint32_t, kPlayers>;

    // Returns the generation of this choice. cachingMs goes to the file, network
    // and RTSP caching options of the source.
    std::uint64_t play(const QString& address, VideoWindows windows, int cachingMs);
    void stop();
    // Ends the opener after a last stop of every player; later requests are ignored.
    void shutdown();

    // The volume of what plays: kept, set on every player, and reported by the
    // one that shows (see VlcPlayer::Volume).
    int Volume(int level, bool set);

    // Whether the first player's engine started: false means nothing can play.
    bool isUsable() const;
    std::uint64_t generation() const { return generation_; }
    // True while a request runs or waits on the opener thread; a stop request
    // also waits for a channel that is still going away.
    bool isOpenerBusy() const { return opener_.busy(); }
    // How long a choice may take to start playing before it counts as failed.
    void setStartTimeout(std::chrono::milliseconds timeout) { watchdog_.setInterval(timeout); }
    // Player 0 or 1; null while it does not exist.
    MediaPlayer* player(int index) const;
    // The player that shows now; the second one once a switch has used it.
    MediaPlayer& showingPlayer() const;
    int showingIndex() const { return showing_; }

signals:
    // Pre-buffering is done: the source really plays.
    void started(std::uint64_t generation);
    // No media could be made, the player reported an error, or nothing started in time.
    void failed(std::uint64_t generation);
    // The players stopped on request: nothing draws into the video windows any more.
    void stopped();
    // This player (0 or 1) is about to open a source: its window is the one to see.
    void showing(int player);

private:
    struct VolumeRetry {
        QTimer timer;
        std::uint64_t generation = 0;
        int attemptsLeft = 0;
    };
    // Everything about one player. The player itself is made once and released
    // only by the session's end; the opener thread alone uses `stopping`.
    struct Slot {
        std::unique_ptr<MediaPlayer> owned;
        std::atomic<MediaPlayer*> player{nullptr}; // published once it is ready
        std::unique_ptr<MediaPlayer::Subscription> events;
        std::atomic<std::uint64_t> eventGeneration{0}; // the choice its events belong to
        std::jthread stopping;                          // opener thread: the channel going away
        VolumeRetry volumeRetry;                        // owner's thread
    };
    // What a choice asks of the opener thread.
    struct OpenRequest {
        QString address;
        int target = 0;
        int leaving = -1; // the player that showed a source before, stopped beside
        std::uint32_t window = 0;
        int cachingMs = 0;
        std::uint64_t generation = 0;
    };
    struct Event {
        MediaPlayer::Event event;
        int player = 0;
        std::uint64_t generation = 0;
    };
    static constexpr std::chrono::milliseconds kVolumeRetryInterval{50};
    static constexpr int kVolumeRetries = 60; // three seconds

    // Opener thread.
    void open(const OpenRequest& request);
    void adopt(int index, std::unique_ptr<MediaPlayer> player);
    void makeSecondPlayer();
    void stopBeside(int index);
    void stopAll(std::uint64_t generation);
    void waitForStops();

    // Owner's thread.
    void handle(const Event& event);
    void opened(std::uint64_t generation, bool mediaCreated);
    void fail(std::uint64_t generation);
    void restoreVolume(int index);
    void retryVolume(int index);

    MediaPlayerFactory factory_;
    ThreadMailbox mailbox_; // what the opener thread and the players report, to the owner's thread
    std::array<Slot, kPlayers> slots_;
    bool secondTried_ = false; // opener thread
    std::optional<int> volumeLevel_; // the level asked for last; guarded by volumeLock_
    mutable std::mutex volumeLock_;  // the level and a player's arrival
    OpenerThread opener_;
    QTimer watchdog_;
    // Owner's thread.
    std::uint64_t generation_ = 0;
    int showing_ = 0;               // the player whose picture is shown
    bool showingHasSource_ = false; // it was given a source that has not been stopped
    bool choosing_ = false;         // the current generation is a choice, not a stop
    bool shutDown_ = false;
};
