#include "PlayerBank.h"

#include "EngineLog.h"
#include "SourceAddress.h"
#include "platform/MemoryTuning.h"

#include <algorithm>

PlayerBank::PlayerBank(MediaPlayerFactory factory, std::unique_ptr<MediaPlayer> first, int players, QObject* parent)
    : QObject(parent), factory_(std::move(factory)), mailbox_(this), wanted_(std::clamp(players, 1, kPlayers))
{
    if (!first && factory_)
        first = factory_();
    if (first)
        adoptPlayer(0, std::move(first));
}

PlayerBank::~PlayerBank()
{
    shutdown();
    // Events first: once a subscription is gone, none of its callbacks runs.
    for (Slot& slot : slots_)
        slot.events.reset();
    for (Slot& slot : slots_) {
        slot.player = nullptr;
        slot.owned.reset();
    }
}

// Before the player is published: from then on its events reach the owner's thread.
void PlayerBank::adoptPlayer(int index, std::unique_ptr<MediaPlayer> player)
{
    Slot& slot = slots_[size_t(index)];
    slot.attempt = 0;
    slot.events = player->subscribe([this, index](const MediaPlayer::Event& event) {
        // On the engine's thread: copy and post; never call the player here.
        const std::uint64_t attempt = slots_[size_t(index)].attempt.load();
        mailbox_.post([this, index, attempt, event] {
            if (event.type == MediaPlayer::Event::Type::VideoOutput)
                keepSize(index);
            emit this->event(index, attempt, event);
        });
    });
    const std::lock_guard lock(volumeLock_);
    if (volumeLevel_ && !slot.silent)
        player->Volume(*volumeLevel_, true);
    slot.owned = std::move(player);
    slot.player = slot.owned.get();
}

MediaPlayer* PlayerBank::player(int index) const
{
    return index >= 0 && index < kPlayers ? slots_[size_t(index)].player.load() : nullptr;
}

void PlayerBank::open(const OpenRequest& request)
{
    if (shutDown_ || !player(request.target))
        return;
    slots_[size_t(request.target)].silent = request.preopen;
    slots_[size_t(request.target)].wholeOwed = false;
    if (!request.preopen) {
        owedStops_ &= ~(1u << request.target); // the newest choice opens there: nothing to stop
        if (request.leaving >= 0 && request.leaving != request.target)
            owedStops_ |= 1u << request.leaving;
    }
    opener_.post([this, request] { run(request); },
                 request.preopen ? OpenerThread::Lane::Preopen : OpenerThread::Lane::Choice);
}

void PlayerBank::cancelPreopen()
{
    if (!shutDown_)
        opener_.post([] {}, OpenerThread::Lane::Preopen);
}

void PlayerBank::retire(unsigned players)
{
    if (shutDown_ || players == 0)
        return;
    owedStops_ |= players;
    opener_.post([this] { stopOwed(-1); }, OpenerThread::Lane::Retire);
}

// This player shows the choice from now on: heard at the kept level, and a
// stop still owed to it (for what it held before) is not made. Its open may
// still be waiting or running: it reads `silent` under the same lock, so the
// level and the size set here are not undone.
void PlayerBank::takeAsChoice(int index)
{
    MediaPlayer* forward = player(index);
    if (!forward)
        return;
    owedStops_ &= ~(1u << index);
    const std::lock_guard lock(volumeLock_);
    Slot& slot = slots_[size_t(index)];
    if (slot.silent.exchange(false))
        slot.wholeOwed = true;
    forward->Volume(volumeLevel_ ? *volumeLevel_ : 100, true);
    forward->SetDrawnSmall(false);
}

// libvlc gives a video output the size asked of its player when the output is
// made, but one made while the size changes may miss the change (it is not
// among the player's outputs yet): a choice taken over from a preopen
// came up drawn small. A player may also bring back the output of what it
// played before, with the size it had then, after the change was asked. So
// the size is asked again at every change of outputs of such a choice, until
// the player opens something else: asked of every choice's outputs, it cost
// every switch a redraw.
void PlayerBank::keepSize(int index)
{
    const Slot& slot = slots_[size_t(index)];
    if (!slot.silent && slot.wholeOwed)
        command(index, [](MediaPlayer& player) { player.SetDrawnSmall(false); });
}

void PlayerBank::adopt(int index)
{
    if (shutDown_)
        return;
    takeAsChoice(index);
    opener_.promote(OpenerThread::Lane::Preopen, OpenerThread::Lane::Choice);
}

void PlayerBank::bringForward(int index, bool paused)
{
    MediaPlayer* forward = player(index);
    if (!forward)
        return;
    takeAsChoice(index);
    if (!paused)
        return;
    // What was drawn while the window was hidden is lost, and the clock would
    // draw the next picture up to a frame after the resume. (A playing stream
    // is not stepped: libvlc's step rebuffers it, which froze it for a second.)
    forward->StepPicture();
    forward->SetPaused(false);
}

void PlayerBank::makeOthersNow()
{
    if (shutDown_)
        return;
    opener_.post([this] {
        if (!othersTried_)
            makeOtherPlayers();
    }, OpenerThread::Lane::Preopen);
}

void PlayerBank::command(int index, std::function<void(MediaPlayer&)> request)
{
    if (shutDown_ || !player(index))
        return;
    opener_.post(
        [this, index, request = std::move(request)] {
            if (MediaPlayer* target = player(index))
                request(*target);
        },
        OpenerThread::Lane::Command);
}

void PlayerBank::stopAll(std::uint64_t attempt)
{
    if (shutDown_)
        return;
    opener_.post([this, attempt] { stopEverything(attempt); });
}

void PlayerBank::shutdown()
{
    if (shutDown_)
        return;
    shutDown_ = true;
    opener_.shutdown([this] { stopEverything(0); });
    waitForStops(); // the opener may have ended before its last request ran
}

// On the opener thread, with its own copy of the request.
void PlayerBank::run(const OpenRequest& request)
{
    for (int index = 0; index < kPlayers; ++index)
        if ((request.stopFirst & (1u << index)) && index != request.target)
            stopNow(index);
    Slot& slot = slots_[size_t(request.target)];
    if (slot.stopping.joinable())
        slot.stopping.join();
    MediaPlayer& chosen = *slot.player.load();
    if (!request.preopen) // one opened ahead stays out of sight
        mailbox_.post([this, target = request.target] { emit showing(target); });
    chosen.SetWindow(request.window);
    {
        // Silent and drawn small while it is opened ahead; otherwise at the
        // level kept, whole. A choice may have taken it over since the request
        // was made (takeAsChoice): under the same lock, what it set stays.
        const std::lock_guard lock(volumeLock_);
        chosen.SetDrawnSmall(slot.silent && request.drawnSmall);
        if (slot.silent)
            chosen.Volume(0, true);
        else if (volumeLevel_)
            chosen.Volume(*volumeLevel_, true);
    }
    const bool created = chosen.OpenSource(
        {request.source.address, request.source.userAgent, request.source.referrer, request.cachingMs,
         request.source.picture, request.source.timeShift});
    // The previous input of this player is gone once Open returns, so every
    // event of it from here on belongs to this attempt.
    slot.attempt = request.attempt;
    if (created)
        chosen.Play();
    if (!request.preopen)
        stopOwed(request.target);
    if (created && !othersTried_)
        makeOtherPlayers(); // while the first source starts, ready for the next switch
    mailbox_.post([this, attempt = request.attempt, created] { emit opened(attempt, created); });
}

// On the opener thread. A player that cannot be made (libvlc gives no more
// instances) leaves the bank switching on the ones it has.
void PlayerBank::makeOtherPlayers()
{
    othersTried_ = true;
    for (int index = 1; index < wanted_; ++index) {
        std::unique_ptr<MediaPlayer> made = factory_ ? factory_() : nullptr;
        if (!made || !made->isUsable()) {
            qCInfo(lcEngine) << "no player" << index << "made: the bank keeps" << index;
            return;
        }
        adoptPlayer(index, std::move(made));
    }
    mailbox_.post([this] { emit othersMade(); });
}

// On the opener thread: the player that showed before stops on a thread of its
// own; the opener waits for it only before it uses that player again. Its
// channel's memory goes back to the system once it has stopped.
void PlayerBank::stopBeside(int index)
{
    MediaPlayer* leaving = player(index);
    if (!leaving)
        return;
    Slot& slot = slots_[size_t(index)];
    if (slot.stopping.joinable())
        slot.stopping.join();
    slot.stopping = std::jthread([leaving] {
        leaving->Stop();
        returnFreedMemory();
    });
}

// On the opener thread. A request that did not start was replaced by a newer
// one of its lane, so the players it was to stop are owed to whichever runs
// next. `keep` is the one the running request opened: a stop of it is owed
// only by a newer choice, whose own request serves it.
void PlayerBank::stopOwed(int keep)
{
    const unsigned kept = keep >= 0 ? 1u << keep : 0u;
    const unsigned owed = owedStops_.fetch_and(kept) & ~kept;
    for (int index = 0; index < kPlayers; ++index)
        if (owed & (1u << index))
            stopBeside(index);
}

// On the opener thread: this player stops before anything else is done.
void PlayerBank::stopNow(int index)
{
    stopBeside(index);
    Slot& slot = slots_[size_t(index)];
    if (slot.stopping.joinable())
        slot.stopping.join();
}

void PlayerBank::waitForStops()
{
    for (Slot& slot : slots_)
        if (slot.stopping.joinable())
            slot.stopping.join();
}

// On the opener thread.
void PlayerBank::stopEverything(std::uint64_t attempt)
{
    owedStops_ = 0;
    waitForStops();
    for (Slot& slot : slots_) {
        if (MediaPlayer* stopping = slot.player.load()) {
            slot.attempt = attempt;
            stopping->Stop();
        }
    }
    mailbox_.post([this] { emit stopped(); });
}

int PlayerBank::Volume(int level, bool set, int shown)
{
    const std::lock_guard lock(volumeLock_);
    if (set) {
        volumeLevel_ = level;
        for (int index = 0; index < kPlayers; ++index)
            if (MediaPlayer* other = player(index); other && index != shown && !slots_[size_t(index)].silent)
                other->Volume(level, true);
    }
    MediaPlayer* reported = player(shown);
    return reported ? reported->Volume(level, set) : (volumeLevel_ ? std::max(*volumeLevel_, 0) : 0);
}
