#pragma once

#include "MediaPlayer.h"
#include "OpenerThread.h"
#include "PlaybackTypes.h"
#include "platform/ThreadMailbox.h"

#include <QObject>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

// The players and the thread that drives them. Requests come from the owner's
// thread and run on the opener thread one at a time, a newer request
// replacing one that has not started (only the latest intent counts). What the
// players report comes back to the owner's thread, each event tagged with the
// attempt it belongs to: the attempt whose open last returned on that player.
//
// The first player exists from the start; the others are made once, on the
// opener thread, when the first source has been opened. A player that goes
// away from the screen stops on a thread of its own, so that the next source
// need not wait for it. A player opened ahead is silent until it is
// brought forward.
class PlayerBank final : public QObject {
    Q_OBJECT
public:
    static constexpr int kPlayers = 3;
    // One X window for each player; they may be the same one when nothing can
    // be shown above the other.
    using VideoWindows = std::array<std::uint32_t, kPlayers>;

    struct OpenRequest {
        Alternate source;       // the address and the HTTP headers it needs
        int target = 0;         // the player that opens it
        int leaving = -1;       // the player that showed before, stopped beside
        unsigned stopFirst = 0; // players stopped before the open, so that their connections go first
        std::uint32_t window = 0;
        int cachingMs = 0;
        std::uint64_t attempt = 0;
        bool preopen = false;  // opened ahead: silent, and a local file waits at its first picture
        bool drawnSmall = false; // opened ahead while another shows: its pictures drawn tiny until brought forward
    };

    // players: how many to have in all (two to switch beside what plays, a third to preopen).
    PlayerBank(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first, int players = kPlayers,
               QObject* parent = nullptr);
    ~PlayerBank() override;

    void open(const OpenRequest& request);
    // The players beside the first are made now rather than at the first open
    // (othersMade() says when), so that a channel can be opened ahead before it.
    void makeOthersNow();
    // A preopen that has not started yet does not happen.
    void cancelPreopen();
    // These players stop, each on a thread of its own (one bit a player).
    void retire(unsigned players);
    // A player opened ahead is heard and plays on; one `paused` at its first
    // picture first draws the next one at once, into the window just shown. On
    // the owner's thread, without waiting on the player.
    void bringForward(int index, bool paused);
    // A player still preopening is the user's choice now: heard at the kept
    // level, and its open, if it has not started yet, goes before any other
    // preopen.
    void adopt(int index);
    // Asks something of a player on the opener's thread, after what was asked
    // before it there: pausing and seeking may wait on the engine.
    void command(int index, std::function<void(MediaPlayer&)> request);
    // From a command on the opener's thread: `call` runs on the owner's thread,
    // after what the players reported before it.
    void postBack(std::function<void()> call) { mailbox_.post(std::move(call)); }
    // Every player stops; their events from then on belong to `attempt`.
    void stopAll(std::uint64_t attempt);
    // A last stop of every player, then the opener ends; later requests are ignored.
    void shutdown();

    bool isBusy() const { return opener_.busy(); }
    // How many players it has in all once they are made.
    int size() const { return wanted_; }
    // Player 0, 1 or 2; null while it does not exist.
    MediaPlayer* player(int index) const;
    // The level is kept, set on every player, and reported by `shown`.
    int Volume(int level, bool set, int shown);

signals:
    void opened(std::uint64_t attempt, bool mediaCreated);
    void event(int player, std::uint64_t attempt, const MediaPlayer::Event& event);
    // The players stopped on request.
    void stopped();
    // This player is about to open a source: its window is the one to see.
    void showing(int player);
    // The players beyond the first exist now.
    void othersMade();

private:
    struct Slot {
        std::unique_ptr<MediaPlayer> owned;
        std::atomic<MediaPlayer*> player{nullptr}; // published once it is ready
        std::unique_ptr<MediaPlayer::Subscription> events;
        std::atomic<std::uint64_t> attempt{0};
        std::atomic<bool> silent{false}; // opened ahead: the level is not given to it
        // Taken over while opened ahead and drawn small: its video outputs may come up small.
        std::atomic<bool> wholeOwed{false};
        std::jthread stopping; // opener thread: the channel going away
    };

    void takeAsChoice(int index);
    void keepSize(int index);

    // Opener thread.
    void run(const OpenRequest& request);
    void adoptPlayer(int index, std::unique_ptr<MediaPlayer> player);
    void makeOtherPlayers();
    void stopBeside(int index);
    void stopNow(int index);
    void stopOwed(int keep);
    void stopEverything(std::uint64_t attempt);
    void waitForStops();

    MediaPlayerFactory factory_;
    ThreadMailbox mailbox_; // what the opener thread and the players report
    std::array<Slot, kPlayers> slots_;
    const int wanted_;
    std::atomic<unsigned> owedStops_{0}; // players gone from the screen, not stopped yet (one bit a player)
    bool othersTried_ = false;       // opener thread
    std::optional<int> volumeLevel_; // the level asked for last; guarded by volumeLock_
    mutable std::mutex volumeLock_;  // the level and a player's arrival
    OpenerThread opener_;
    bool shutDown_ = false; // owner's thread
};
