#pragma once

#include "OpenerThread.h"

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

class VlcPlayer;
struct libvlc_event_t;

// Plays and stops sources for the window without ever blocking it: each choice
// hands a copy of its address to the opener thread, and libvlc's events come
// back as queued calls on the thread that owns the session. Every choice and
// every stop starts a new generation; what belongs to an older one is ignored,
// so a stop is never undone by an earlier choice finishing late.
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

    explicit PlaybackSession(VlcPlayer& player, QObject* parent = nullptr);
    ~PlaybackSession() override;

    // One X window for each player; they may be the same one when nothing can
    // be shown above the other.
    using VideoWindows = std::array<std::uint32_t, 2>;

    // Returns the generation of this choice. cachingMs goes to the file, network
    // and RTSP caching options of the source.
    std::uint64_t play(const QString& address, VideoWindows windows, int cachingMs);
    void stop();
    // Ends the opener after a last stop of both players; later requests are ignored.
    void shutdown();

    // The volume of what plays: set on both players when asked, reported by
    // the one that shows (see VlcPlayer::Volume).
    int Volume(int level, bool set);

    std::uint64_t generation() const { return generation_; }
    // True while a request runs or waits on the opener thread; a stop request
    // also waits for a channel that is still going away.
    bool isOpenerBusy() const { return opener_.busy(); }
    // How long a choice may take to start playing before it counts as failed.
    void setStartTimeout(std::chrono::milliseconds timeout) { watchdog_.setInterval(timeout); }
    // The player that shows now; the second one once a switch has used it.
    VlcPlayer& showingPlayer() const;
    VlcPlayer* secondPlayer() const { return second_.load(); }

signals:
    // Pre-buffering is done: the source really plays.
    void started(std::uint64_t generation);
    // No media could be made, libvlc reported an error, or nothing started in time.
    void failed(std::uint64_t generation);
    // The player stopped on request: nothing draws into the video window any more.
    void stopped();
    // This player (0 or 1) is about to open a source: its window is the one to see.
    void showing(int player);

private:
    struct Event {
        int type = 0;
        float cache = 0;
        int player = 0;
        std::uint64_t generation = 0;
    };
    struct VolumeRetry {
        QTimer timer;
        std::uint64_t generation = 0;
        int attemptsLeft = 0;
    };
    static constexpr std::chrono::milliseconds kVolumeRetryInterval{50};
    static constexpr int kVolumeRetries = 60; // three seconds
    // What a libvlc callback gets: which session, which player.
    struct EventSource {
        PlaybackSession* session = nullptr;
        int player = 0;
    };
    void OpenCurrentSource(const QString& address, VideoWindows windows, int cachingMs, std::uint64_t generation);
    static void onLibVlcEvent(const libvlc_event_t* event, void* source);
    void handle(const Event& event);
    void stopPlayer();
    void opened(std::uint64_t generation, bool mediaCreated);
    void fail(std::uint64_t generation);
    void restoreVolume(int index);
    void retryVolume(int index);

    VlcPlayer* player(int index) const;
    void attachEvents(VlcPlayer& player, int index);
    void detachEvents(VlcPlayer& player, int index);
    void makeSecondPlayer();
    void stopBeside(int index);
    void waitForStops();

    VlcPlayer& first_;
    std::unique_ptr<VlcPlayer> secondOwned_;       // made on the opener thread
    std::atomic<VlcPlayer*> second_{nullptr};      // published once it is ready
    std::atomic<int> showing_{0};                  // the player whose picture is shown
    bool showingHasSource_ = false;                // opener thread
    bool secondTried_ = false;                     // opener thread: made once, or never
    std::array<std::jthread, 2> stopping_;         // opener thread: channels going away
    std::array<EventSource, 2> eventSources_;
    std::array<std::atomic<std::uint64_t>, 2> eventGeneration_{}; // what each player's events belong to
    mutable std::mutex volumeLock_;                // the level and the second player's arrival
    std::optional<int> volumeLevel_;
    OpenerThread opener_;
    QTimer watchdog_;
    std::array<VolumeRetry, 2> volumeRetry_;
    std::uint64_t generation_ = 0; // the window's thread
    bool shutDown_ = false;
};
