#pragma once

#include "MediaPlayer.h"

#include <QByteArray>
#include <QSize>
#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <vector>

struct libvlc_instance_t;
struct libvlc_media_player_t;
struct libvlc_media_t;
struct libvlc_event_manager_t;
struct libvlc_event_t;
class VlcLogSink;
class StreamReader;
class LiveChannel;

using VlcCallback = void (*)(const libvlc_event_t*, void*);

// The program's one binding to libvlc: an instance, its media player, the media
// opened last and the player's event manager. Every handle may be missing (when
// libvlc gives no instance), and then every operation does nothing and returns
// a neutral value.
//
// Open only prepares a source; options are added to it and Play starts it, so
// that options act on the playback they are meant for.
//
// Threads: Open, SetWindow, AddOption, Play, Pause and Stop may block on libvlc's
// input thread and belong on a worker; Volume and the readers do not block.
//
// libvlc's log goes to the "clipvane.vlc" logging category, not to the terminal.
class VlcPlayer : public MediaPlayer {
public:
    VlcPlayer();
    ~VlcPlayer() override;
    VlcPlayer(const VlcPlayer&) = delete;
    VlcPlayer& operator=(const VlcPlayer&) = delete;

    virtual libvlc_instance_t* Instance() const;
    void SetWindow(std::uint32_t xWindow) override;
    // Creates the media of a source (a network address, or a local path in
    // UTF-8) and hands it to the media player. False when libvlc made no media;
    // then the player is left as it was.
    virtual bool Open(const QString& source);
    // Open, with the source's caching and headers as libvlc's options.
    bool OpenSource(const Source& source) override;
    void Play() override;
    virtual void Pause();
    void SetPaused(bool paused) override;
    void StepPicture() override;
    void SetDrawnSmall(bool small) override;
    bool SaveSnapshot(const QString& path) override;
    void SetPicture(const PictureSettings& picture) override;
    void SetAudioTrack(int id) override;
    void SetSubtitleTrack(int id) override;
    bool AddSubtitleFile(const QString& path) override;
    std::optional<Tracks> tracks() const override;
    std::optional<Description> description() const override;
    void Seek(std::int64_t milliseconds) override;
    void Stop() override;
    // Sets the level when asked, then returns the volume libvlc reports. While
    // libvlc has no audio output (before playback, after a stop) it returns the
    // level kept from the last request, which is applied again when audio returns.
    int Volume(int level, bool set) override;
    virtual std::int64_t Duration() const;
    virtual std::int64_t Time() const;
    virtual std::uint32_t Window() const;
    virtual int State() const;
    virtual void SetTime(int milliseconds);
    virtual int VideoHeight() const;
    virtual int VideoWidth() const;
    virtual void OnTimeChanged(VlcCallback callback, void* data = nullptr);
    virtual void OnPaused(VlcCallback callback, void* data = nullptr);
    virtual void OnStopped(VlcCallback callback, void* data = nullptr);
    virtual void OnPlaying(VlcCallback callback, void* data = nullptr);
    virtual void OnBuffering(VlcCallback callback, void* data = nullptr);
    virtual void AddOption(const QByteArray& option);
    virtual void Release();
    // Code page 936 (GBK, read as GB18030, its superset) to UTF-8.
    static QByteArray ToUtf8(const QByteArray& gbk);

    // Applies the kept level again if libvlc's audio output has another one.
    void RestoreVolume() override;

    // What the playback session uses beyond the operations above.
    bool isUsable() const override { return mediaPlayer_ != nullptr; }
    std::unique_ptr<Subscription> subscribe(EventListener listener) override;
    PlaybackFailure lastError() const override;
    std::optional<Stats> stats() const override;
    std::optional<TimeShiftBuffer::State> liveState() const override;
    void ShiftLive(std::int64_t behindMs) override;
    bool StartRecording(const QString& path) override;
    void StopRecording() override;

private:
    struct InstanceRelease {
        void operator()(libvlc_instance_t* instance) const;
    };
    struct PlayerRelease {
        void operator()(libvlc_media_player_t* player) const;
    };
    struct MediaRelease {
        void operator()(libvlc_media_t* media) const;
    };

    QSize videoSize() const; // of the first video track; empty without one
    void attach(int eventType, VlcCallback callback, void* data);
    libvlc_media_t* liveMedia(const Source& source);
    libvlc_media_t* mediaReading(StreamReader& reader, bool live);
    void replaceMedia(libvlc_media_t* media, std::unique_ptr<StreamReader> reader);
    void addOptions(const Source& source);

    std::unique_ptr<libvlc_instance_t, InstanceRelease> instance_;
    std::unique_ptr<VlcLogSink> log_; // before the media player goes, after the instance came
    std::unique_ptr<libvlc_media_player_t, PlayerRelease> mediaPlayer_;
    // The events of the program's own reading (a live channel's end), told to
    // the same listeners as libvlc's. Shared with the reading's thread, which
    // tells them and may end a moment after the player.
    struct OwnListeners {
        std::mutex lock;
        std::vector<std::pair<int, EventListener>> listeners;
        int next = 0;
        void tell(const Event& event);
    };
    class OwnSubscription;
    const std::shared_ptr<OwnListeners> own_ = std::make_shared<OwnListeners>();
    mutable std::mutex mediaLock_; // media_ is replaced on the opener thread
    std::unique_ptr<libvlc_media_t, MediaRelease> media_;
    std::unique_ptr<StreamReader> reader_; // what media_ reads, when the program reads the address itself
    std::shared_ptr<LiveChannel> live_;    // the live channel reader_ reads, when there is one
    Source liveSource_;                    // its source, opened again at another position
    libvlc_event_manager_t* eventManager_ = nullptr; // belongs to the media player
    std::atomic<int> keptVolume_{100}; // libvlc's own starting level
    // libvlc 3 cannot set its automatic deinterlacing back once another mode was set.
    bool deinterlaceChanged_ = false;
};
