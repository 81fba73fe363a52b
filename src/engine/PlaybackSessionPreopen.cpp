// The channel opened ahead, as the session asks for it and hands it over to a choice.
#include "PlaybackSession.h"

#include "EngineLog.h"
#include "SourceAddress.h"

bool PlaybackSession::isPreopened(const Alternates& alternates) const
{
    return preopener_.isPreopened(alternates);
}

void PlaybackSession::preopen(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    if (!shutDown_)
        preopener_.preopen({alternates, windows, cachingMs});
}

// Kept until the other players are made; the one that shows stays free for a choice of another channel.
void PlaybackSession::preopenBeforeAnyChoice(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    if (shutDown_ || choice_ || generation_ != 0)
        return;
    preopener_.preopen({alternates, windows, cachingMs, true});
    bank_.makeOthersNow();
}

Preopener::ChoiceView PlaybackSession::choiceView() const
{
    Preopener::ChoiceView view;
    view.showing = showing_;
    if (choice_) {
        view.exists = true;
        view.firstAddress = choice_->alternates.front().address;
        view.currentAddress = currentAddress();
        view.opening = choice_->opening;
    }
    return view;
}

// A choice of the channel opened ahead: brought forward at once when it is
// ready; still opening, its open is taken over: the same player and
// connection (a server that allows one would refuse a second, or cut this
// one), heard at once, shown as its pictures come, and given the start
// watchdog's time from the choice on.
bool PlaybackSession::takePreopened(const Alternates& alternates, VideoWindows windows, int cachingMs)
{
    const bool ready = isPreopened(alternates);
    const std::optional<Preopener::Preopened>& waiting = preopener_.preopened();
    if (!ready && (!waiting || waiting->key != alternates.front().address))
        return false;
    const Preopener::Preopened preopened = *preopener_.take();
    const std::uint64_t generation = beginChoice(alternates, windows, cachingMs);
    choice_->attempt = preopened.attempt;
    const int leaving = showing_;
    showing_ = preopened.player;
    showingHasSource_ = true;
    showingAddress_ = preopened.key;
    emit showing(showing_);
    if (ready) {
        bank_.bringForward(showing_, !isNetworkAddress(preopened.key)); // a ready file was paused
        qCDebug(lcEngine) << "choice" << generation << "brought forward from player" << showing_;
        onStarted(showing_);
    } else {
        bank_.adopt(showing_);
        qCDebug(lcEngine) << "choice" << generation << "takes over the preopen on player" << showing_;
        recovery_.opening(timing_.startTimeout);
        publish();
        if (preopened.buffered)
            onStarted(showing_);
    }
    if (leaving != showing_)
        bank_.retire(1u << leaving);
    return true;
}

void PlaybackSession::dropPreopened()
{
    preopener_.forgetWaiting();
    preopener_.drop();
}
