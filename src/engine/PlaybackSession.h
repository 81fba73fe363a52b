#pragma once

#include "OpenerThread.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <cstdint>

class VlcPlayer;
struct libvlc_event_t;

// Plays and stops sources for the window without ever blocking it: each choice
// hands a copy of its address to the opener thread, and libvlc's events come
// back as queued calls on the thread that owns the session. Every choice and
// every stop starts a new generation; what belongs to an older one is ignored,
// so a stop is never undone by an earlier choice finishing late.
class PlaybackSession final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kStartTimeout{20000};

    explicit PlaybackSession(VlcPlayer& player, QObject* parent = nullptr);
    ~PlaybackSession() override;

    // Returns the generation of this choice. cachingMs goes to the file, network
    // and RTSP caching options of the source.
    std::uint64_t play(const QString& address, std::uint32_t xWindow, int cachingMs);
    void stop();
    // Ends the opener after a last stop of the player; later requests are ignored.
    void shutdown();

    std::uint64_t generation() const { return generation_; }
    bool isOpenerBusy() const { return opener_.busy(); }
    // How long a choice may take to start playing before it counts as failed.
    void setStartTimeout(std::chrono::milliseconds timeout) { watchdog_.setInterval(timeout); }

signals:
    // Pre-buffering is done: the source really plays.
    void started(std::uint64_t generation);
    // No media could be made, libvlc reported an error, or nothing started in time.
    void failed(std::uint64_t generation);
    // The player stopped on request: nothing draws into the video window any more.
    void stopped();

private:
    struct Event {
        int type = 0;
        float cache = 0;
        std::uint64_t generation = 0;
    };
    void OpenCurrentSource(const QString& address, std::uint32_t xWindow, int cachingMs, std::uint64_t generation);
    static void onLibVlcEvent(const libvlc_event_t* event, void* session);
    void handle(const Event& event);
    void stopPlayer();
    void opened(std::uint64_t generation, bool mediaCreated);
    void fail(std::uint64_t generation);

    VlcPlayer& player_;
    OpenerThread opener_;
    QTimer watchdog_;
    std::uint64_t generation_ = 0;               // the window's thread
    std::atomic<std::uint64_t> eventGeneration_; // what libvlc's events belong to
    bool shutDown_ = false;
};
