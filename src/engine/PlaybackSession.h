#pragma once

#include "BufferingThrottle.h"
#include "ChoiceRecovery.h"
#include "OneConnectionHosts.h"
#include "PlaybackFailure.h"
#include "PlaybackTypes.h"
#include "PlayerBank.h"
#include "PlayerTransport.h"
#include "Preopener.h"
#include "RecoveryPlan.h"
#include "VolumeRestorer.h"
#include "platform/TimeSource.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>

class SessionProbe;

// Plays and stops sources for the window without ever blocking it: the
// players open and stop on a thread of their own (PlayerBank), and what they
// report comes back to the thread that owns the session, where every decision
// is made. Every choice and every stop starts a new generation; what belongs
// to an older one is ignored, so a stop is never undone by an earlier choice
// finishing late, and each open of a source (a choice, a reconnect, the next
// address) is an attempt of its own whose events alone count.
//
// A choice's source is watched while it plays: the end of a file is an end; a
// network source that ends, reports an error or stalls (nothing read and
// nothing shown for a while) has dropped and is opened again after growing
// waits (RecoveryPlan); then the choice's next address is tried; then the
// choice fails and nothing plays. ChoiceRecovery tells when; the session acts.
//
// Switching channels: libvlc tears an input down before it starts the next one
// on the same media player, and that teardown waits for the video output to
// show the picture it is holding back, up to the stream's whole clock offset.
// So a choice opens beside what plays, on another player (see routing::route);
// reconnects and the next addresses open on the player that shows.
//
// A channel opened ahead (Preopener) never costs the one watched, nor the one
// chosen: a choice of it takes its connection over instead of making a second
// one, and servers that allow one connection at a time (OneConnectionHosts)
// are found by what they do and then get one connection only.
class PlaybackSession final : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds kStartTimeout{20000};
    static constexpr int kPlayers = PlayerBank::kPlayers;
    static_assert(VolumeRestorer::kPlayers == kPlayers);
    using Clock = TimeSource::Clock;
    using Position = PlayerTransport::Position;

    // How the session watches and recovers a source.
    struct RecoveryTiming {
        std::vector<std::chrono::milliseconds> backoff = RecoveryPlan::Timing{}.backoff;
        std::chrono::milliseconds steadyPlay = RecoveryPlan::Timing{}.steadyPlay;
        std::chrono::milliseconds playedAgain = RecoveryPlan::Timing{}.playedAgain;
        std::chrono::milliseconds startTimeout = kStartTimeout; // a choice that does not start playing
        std::chrono::milliseconds reopenTimeout{10000}; // a reconnect or next address that does not start
        std::chrono::milliseconds stallTimeout{5000};   // nothing read or shown while playing
        std::chrono::milliseconds statsInterval{1000};
        std::chrono::milliseconds bufferingUpdate{250}; // at most one buffering figure this often
    };
    // The first player may be given ready-made (it is started beside the
    // window); the others are made by the factory once a source plays: one to
    // switch beside what plays, and one more to open channels ahead when
    // players is 3. Its waits run on `time`.
    explicit PlaybackSession(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first = nullptr,
                             int players = PlayerBank::kPlayers, TimeSource& time = TimeSource::system(),
                             QObject* parent = nullptr);
    ~PlaybackSession() override;

    // One X window for each player; they may be the same one when nothing can
    // be shown above the other.
    using VideoWindows = PlayerBank::VideoWindows;

    // Returns the generation of this choice. cachingMs goes to the file, network
    // and RTSP caching options of each address.
    std::uint64_t play(const Alternates& alternates, VideoWindows windows, int cachingMs);
    std::uint64_t play(const QString& address, VideoWindows windows, int cachingMs)
    {
        return play(Alternates{Alternate{address}}, windows, cachingMs);
    }
    // Opens a channel ahead while one plays, silent and out of sight, so that
    // choosing it next only brings it forward (or, not ready yet, takes its
    // open over). A newer one replaces it; one that fails goes quietly.
    // Nothing happens without a choice that plays, with too few players, or
    // for a channel of a server that allows one connection while a channel of
    // that server plays.
    void preopen(const Alternates& alternates, VideoWindows windows, int cachingMs);
    // The same while nothing has been chosen yet: the channel selected at start,
    // which Enter then only brings forward. Nothing happens once a choice was made.
    void preopenBeforeAnyChoice(const Alternates& alternates, VideoWindows windows, int cachingMs);
    // Opening ahead was turned off: what is opened ahead is let go, what waits to be is not opened.
    void dropPreopened();
    // Whether it was made with a player to open channels ahead on.
    bool canPreopen() const { return bank_.size() >= PlayerBank::kPlayers; }
    // Whether a channel opened ahead for these addresses is ready to be brought forward.
    bool isPreopened(const Alternates& alternates) const;
    void stop();
    // Ends the players' thread after a last stop of every player; later requests are ignored.
    void shutdown();

    // Pause, jumps, tracks, picture, snapshot and volume of the choice that plays.
    PlayerTransport& transport() { return transport_; }
    const PlayerTransport& transport() const { return transport_; }
    // The choice that plays lasts this long (a programme watched back): a
    // network source that ends near it has ended, not dropped.
    void setExpectedLength(std::int64_t milliseconds);
    // The address the choice opens or plays now, with its line and headers.
    std::optional<Alternate> currentAlternate() const;

    // Whether the first player's engine started: false means nothing can play.
    bool isUsable() const { return bank_.player(0) && bank_.player(0)->isUsable(); }
    std::uint64_t generation() const { return generation_; }
    // The servers found to allow one connection at a time; they may be given
    // at start (found in an earlier run).
    const OneConnectionHosts& oneConnectionHosts() const { return hosts_; }
    void rememberOneConnection(const QString& server) { hosts_.markServer(server); }
    // Known to allow one connection without having refused one (a provider's account says so); kept as those found.
    void learnOneConnection(const QString& address, const char* why) { hosts_.markOneConnection(address, why); }

signals:
    // Pre-buffering of the choice's first source is done: it really plays.
    void started(std::uint64_t generation);
    // Every address failed (no media, an error, no start in time, attempts used up).
    void failed(std::uint64_t generation, const PlaybackFailure& why);
    // Where the current choice stands: each change of phase, address or buffering figure.
    void statusChanged(const PlaybackStatus& status);
    // The players stopped on request: nothing draws into the video windows any more.
    void stopped();
    // This player is about to open a source, or was brought forward: its window is the one to see.
    void showing(int player);
    // A server was found to allow one connection ("host:port").
    void oneConnectionFound(const QString& server);
    // The live channel the choice plays through its buffer ended, or its
    // recording stopped by itself.
    void liveEnded();

private:
    friend class SessionProbe;
    struct Choice {
        Choice(std::uint64_t generation, Alternates alternates, VideoWindows windows, int cachingMs)
            : generation(generation), alternates(std::move(alternates)), windows(windows), cachingMs(cachingMs)
        {
            status.generation = generation;
        }
        std::uint64_t generation = 0;
        Alternates alternates;
        VideoWindows windows{};
        int cachingMs = 0;
        PlaybackStatus status;
        std::uint64_t attempt = 0; // the open whose events count
        bool opening = true;       // the attempt has not started playing yet
        bool startedOnce = false;
        std::int64_t expectedLengthMs = 0;
    };

    void applyTiming(const RecoveryTiming& timing);
    void openAttempt(bool newChoice);
    std::uint64_t beginChoice(const Alternates& alternates, VideoWindows windows, int cachingMs);
    bool takePreopened(const Alternates& alternates, VideoWindows windows, int cachingMs);
    Preopener::ChoiceView choiceView() const;
    PlayerTransport::ChoiceView transportView() const;
    QString currentAddress() const;
    void onOpened(std::uint64_t attempt, bool mediaCreated);
    void onEvent(int player, std::uint64_t attempt, const MediaPlayer::Event& event);
    void onStarted(int player);
    void onEnd();
    void checkStall();
    void onStartTimeout(std::chrono::milliseconds waited);
    void recover(const PlaybackFailure& why);
    void fail(const PlaybackFailure& why);
    void endChoice();
    void publish();

    PlayerBank bank_;
    RecoveryTiming timing_;
    std::optional<Choice> choice_;
    ChoiceRecovery recovery_;
    OneConnectionHosts hosts_;
    Preopener preopener_;
    PlayerTransport transport_;
    BufferingThrottle buffering_;
    VolumeRestorer volume_;
    std::uint64_t generation_ = 0;
    std::uint64_t attempts_ = 0;
    int showing_ = 0;               // the player whose picture is shown
    bool showingHasSource_ = false; // it was given a source that has not been stopped
    QString showingAddress_;        // the address it was given
    bool shutDown_ = false;
};
