#pragma once

#include "engine/MediaPlayer.h"

#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

// A scripted player for tests of the playback session: it records every call
// (in order, from whatever thread), can be made to hold Open or Stop until the
// test lets them go, and sends the events the test asks for, from the thread
// the test sends them on, exactly as an engine's callback would.
class FakePlayer : public MediaPlayer {
public:
    explicit FakePlayer(int id = 0) : id_(id) {}
    ~FakePlayer() override;

    int id() const { return id_; }
    // "window 7", "open A", "option :file-caching=300", "play", "stop", …
    QStringList calls() const;
    // Calls recorded after the first `skip` ones.
    QStringList callsAfter(qsizetype skip) const { return calls().mid(skip); }
    // Blocks until a call equal to `call` has been recorded (or the timeout passes).
    bool waitForCall(const QString& call, int timeoutMs = 2000) const;

    // Open makes no media for these addresses.
    void refuse(const QString& address);
    void setUsable(bool usable) { usable_ = usable; }
    // While held, Open (or Stop) waits inside the call until released.
    void holdOpens(bool hold);
    void holdStops(bool hold);
    bool isInsideOpen() const;

    // As the engine's event thread would.
    void send(Event::Type type, float cache = 0);
    // A video output comes up drawn as asked before the last change of size
    // (libvlc's output made while the size changed misses the change).
    void videoOutputComesUp(bool small);
    // What stats() reports from now on; nothing (busy) until it is set.
    void setStats(const Stats& stats);
    // Moves every counter on, as a playing source does.
    void advance();
    bool hasListener() const;
    bool isDrawnSmall() const { return drawnSmall_; }

    bool isUsable() const override { return usable_; }
    void SetWindow(std::uint32_t xWindow) override;
    bool OpenSource(const Source& source) override;
    void Play() override;
    void SetPaused(bool paused) override;
    void StepPicture() override;
    void SetDrawnSmall(bool small) override;
    bool SaveSnapshot(const QString&) override { return false; }
    // "picture <shape> <deinterlace>", as the enums number them.
    void SetPicture(const PictureSettings& picture) override;
    void SetAudioTrack(int) override {}
    void SetSubtitleTrack(int) override {}
    bool AddSubtitleFile(const QString&) override { return false; }
    std::optional<Tracks> tracks() const override { return std::nullopt; }
    std::optional<Description> description() const override { return std::nullopt; }
    void Seek(std::int64_t milliseconds) override;
    void Stop() override;
    int Volume(int level, bool set) override;
    void RestoreVolume() override;
    std::unique_ptr<Subscription> subscribe(EventListener listener) override;
    PlaybackFailure lastError() const override;
    // What lastError() says from now on (an engine error by default).
    void setLastError(const PlaybackFailure& error);
    std::optional<Stats> stats() const override;
    // A live channel read through a time-shift buffer, as liveState() reports it.
    void setLiveState(std::optional<TimeShiftBuffer::State> state);
    std::optional<TimeShiftBuffer::State> liveState() const override;
    void ShiftLive(std::int64_t behindMs) override;
    bool StartRecording(const QString& path) override;
    void StopRecording() override;

private:
    class FakeSubscription;
    void record(const QString& call);
    void waitWhile(const bool& held);

    const int id_;
    mutable std::mutex lock_;
    std::optional<TimeShiftBuffer::State> live_;
    PlaybackFailure lastError_{PlaybackFailure::Kind::EngineError, 0, QStringLiteral("fake error")};
    mutable std::condition_variable changed_;
    QStringList calls_;
    QStringList refused_;
    bool usable_ = true;
    bool holdOpens_ = false;
    bool holdStops_ = false;
    bool insideOpen_ = false;
    int level_ = 100;
    std::atomic<bool> drawnSmall_{false};
    std::optional<Stats> stats_;
    EventListener listener_;
};
