#pragma once

#include "OneConnectionHosts.h"
#include "PlaybackTypes.h"
#include "PlayerBank.h"
#include "platform/TimeSource.h"

#include <QObject>
#include <QString>

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>

// The channel opened ahead while one plays: one at a time, on a player that
// neither shows nor is needed to switch, silent and out of sight, so that
// choosing it next only brings it forward. It is ready once its picture
// flows (a file then waits at its first picture; a stream goes on receiving).
// One that fails, ends or does not answer goes without a word, and tells of a
// server that allows one connection when the choice plays from the same
// server. When the channel watched loses pictures because of it, it is let go
// and nothing is opened ahead for a while.
class Preopener final : public QObject {
    Q_OBJECT
public:
    using Clock = TimeSource::Clock;

    struct Preopened {
        QString key; // its first address: what a choice must ask for to take it
        Alternates alternates;
        int player = 0;
        std::uint64_t attempt = 0;
        bool buffered = false; // pre-buffering done
        bool ready = false;    // its picture flows (out of sight)
    };
    struct Request {
        Alternates alternates;
        PlayerBank::VideoWindows windows{};
        int cachingMs = 0;
        bool beforeAnyChoice = false; // the channel selected at start: nothing plays, no connection to spare
    };
    // What it must know of the choice, asked when it needs it.
    struct ChoiceView {
        bool exists = false;
        QString firstAddress;   // what the choice asked for first
        QString currentAddress; // the address it plays or opens now
        bool opening = true;
        int showing = 0; // the player whose picture is shown
    };

    Preopener(PlayerBank& bank, OneConnectionHosts& hosts, TimeSource& time, std::function<ChoiceView()> choice,
              std::function<std::uint64_t()> newAttempt, QObject* parent = nullptr);

    void setStartTimeout(std::chrono::milliseconds timeout) { startTimeout_ = timeout; }

    // Opens it, or keeps the request until it can be: the players are made,
    // or the choice from the same server plays.
    void preopen(const Request& request);
    // The players were made, or the choice plays: a request kept for that is made.
    void retryWaiting();
    void forgetWaiting() { waiting_.reset(); }

    bool isPreopened(const Alternates& alternates) const;
    const std::optional<Preopened>& preopened() const { return preopened_; }
    bool owns(std::uint64_t attempt) const { return preopened_ && attempt == preopened_->attempt; }
    void onEvent(const MediaPlayer::Event& event);
    // The channel watched dropped. Just as another of its server was opened
    // ahead, that server took the new connection for a second one and cut
    // the first: it allows one connection, and the one opened ahead goes.
    void watchedDropped(const QString& address);
    // A reading of the channel watched: too many pictures lost since the last one
    // and the channel opened ahead is let go, and nothing is opened ahead for a while.
    void watchLosses(const MediaPlayer::Stats& reading);

    // Taken by a choice: forgotten here.
    std::optional<Preopened> take();
    // Let go: its open does not happen if it has not begun, and it stops on
    // its own thread unless it is the player that shows.
    void drop();
    // Its open does not happen if it has not begun; nothing of it counts any more.
    void cancel();
    // Nothing of it counts any more; its player is the caller's.
    void forget();

private:
    // More pictures dropped than this between two readings, with a channel
    // opened ahead, is a machine that can't keep up with both.
    static constexpr std::int64_t kLostPicturesPerReading = 10;
    static constexpr std::chrono::seconds kPause{60};
    // A stream shows its first picture well after its buffer is full (up to
    // its clock's offset): it is ready to be brought forward only then.
    static constexpr std::chrono::milliseconds kPictureCheck{40};

    void checkPicture();
    void refused(const char* how);

    PlayerBank& bank_;
    OneConnectionHosts& hosts_;
    std::function<ChoiceView()> choice_;
    std::function<std::uint64_t()> newAttempt_;
    std::chrono::milliseconds startTimeout_{20000};
    std::optional<Preopened> preopened_;
    std::optional<Request> waiting_;
    TimeSource& time_;
    std::unique_ptr<TimeSource::Timer> picture_;  // looks for its picture
    std::unique_ptr<TimeSource::Timer> watchdog_; // a preopen that does not start
    Clock::time_point pausedUntil_{};
    std::int64_t lostPictures_ = -1; // what the player that shows had dropped at the last reading
};
