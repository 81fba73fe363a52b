#include "Preopener.h"

#include "EngineLog.h"
#include "SourceAddress.h"

using Type = MediaPlayer::Event::Type;

Preopener::Preopener(PlayerBank& bank, OneConnectionHosts& hosts, TimeSource& time,
                     std::function<ChoiceView()> choice, std::function<std::uint64_t()> newAttempt, QObject* parent)
    : QObject(parent), bank_(bank), hosts_(hosts), choice_(std::move(choice)), newAttempt_(std::move(newAttempt)),
      time_(time), picture_(time.timer([this] { checkPicture(); }, true)), watchdog_(time.timer([this] {
          if (preopened_ && !preopened_->buffered)
              refused("no answer in time");
      }))
{
}

void Preopener::preopen(const Request& request)
{
    const ChoiceView choice = choice_();
    if (request.alternates.empty() || (!choice.exists && !request.beforeAnyChoice) || time_.now() < pausedUntil_)
        return;
    const QString key = request.alternates.front().address;
    if (choice.firstAddress == key || (preopened_ && preopened_->key == key))
        return;
    // A second connection to such a server would cost the channel watched;
    // to any server, one made while the choice's own is being made could be
    // refused in its place: it waits until the choice plays.
    if (OneConnectionHosts::sameServer(key, choice.currentAddress)) {
        if (hosts_.isOneConnection(key))
            return;
        if (choice.opening) {
            waiting_ = request;
            return;
        }
    }
    // Keep one player free beside the one that shows, so that a choice that
    // was not opened ahead switches as fast as ever.
    int target = preopened_ ? preopened_->player : -1;
    if (!preopened_) {
        int free = 0;
        for (int step = 1; step < PlayerBank::kPlayers; ++step) {
            const int index = (choice.showing + step) % PlayerBank::kPlayers;
            if (bank_.player(index)) {
                target = target < 0 ? index : target;
                ++free;
            }
        }
        if (free < 2)
            target = -1;
    }
    if (target < 0 || target == choice.showing) {
        waiting_ = request; // the players come soon after the first open
        return;
    }
    waiting_.reset();
    // Until this source has buffered, what the player reports is the one it replaces.
    picture_->stop();
    preopened_ = Preopened{key, request.alternates, target, newAttempt_(), false, false};
    watchdog_->start(startTimeout_);
    hosts_.preopened(key, time_.now());
    PlayerBank::OpenRequest open;
    open.source = request.alternates.front();
    open.target = target;
    open.window = request.windows[size_t(target)];
    open.cachingMs = request.cachingMs;
    open.attempt = preopened_->attempt;
    open.preopen = true;
    // Drawn small while another channel is watched; with nothing on screen
    // (at start), full size: bringing it forward then shows its next picture
    // as it is, where a change of size waited a picture longer.
    open.drawnSmall = choice.exists;
    qCDebug(lcEngine) << "preopening" << key << "on player" << target;
    bank_.open(open);
}

void Preopener::retryWaiting()
{
    if (std::optional<Request> waiting = std::exchange(waiting_, std::nullopt))
        preopen(*waiting);
}

bool Preopener::isPreopened(const Alternates& alternates) const
{
    return preopened_ && preopened_->ready && !alternates.empty() && preopened_->key == alternates.front().address;
}

void Preopener::checkPicture()
{
    if (!preopened_ || preopened_->ready) {
        picture_->stop();
        return;
    }
    MediaPlayer* ahead = bank_.player(preopened_->player);
    const std::optional<MediaPlayer::Stats> reading = ahead ? ahead->stats() : std::nullopt;
    const bool network = isNetworkAddress(preopened_->key);
    // The first picture of a stream is shown as soon as it is decoded, the
    // next ones only once its clock runs (up to 0.7 s later for MPEG-TS);
    // raised in between, its window would stay empty until then.
    if (reading && reading->displayedPictures >= (network ? 2 : 1)) {
        preopened_->ready = true;
        picture_->stop();
        // A file waits at its first picture; a live source goes on receiving.
        if (!network)
            ahead->SetPaused(true);
    }
}

void Preopener::onEvent(const MediaPlayer::Event& event)
{
    switch (event.type) {
    case Type::Buffering:
        if (event.cache >= 100.0f && !preopened_->buffered) {
            preopened_->buffered = true;
            picture_->start(kPictureCheck);
        }
        break;
    case Type::EncounteredError:
    case Type::EndReached:
        refused("refused or cut");
        break;
    default:
        break;
    }
}

// Nobody chose it: it goes without a word. Refused while a channel of its
// server plays, it tells of a server that allows one connection.
void Preopener::refused(const char* how)
{
    qCInfo(lcEngine).nospace() << "the channel opened ahead failed (" << how << "): " << preopened_->key;
    if (OneConnectionHosts::sameServer(preopened_->key, choice_().currentAddress))
        hosts_.markOneConnection(preopened_->key, "a channel opened ahead was refused while another of it played");
    drop();
}

void Preopener::watchedDropped(const QString& address)
{
    if (!hosts_.preopenedRecently(address, time_.now()) || hosts_.isOneConnection(address))
        return;
    hosts_.markOneConnection(address, "the channel watched was cut as another was opened ahead");
    if (preopened_ && OneConnectionHosts::sameServer(preopened_->key, address))
        drop();
}

void Preopener::watchLosses(const MediaPlayer::Stats& reading)
{
    if (preopened_ && lostPictures_ >= 0 && reading.lostPictures - lostPictures_ > kLostPicturesPerReading) {
        qCInfo(lcEngine) << "the machine falls behind; no channel is opened ahead for a while";
        drop();
        pausedUntil_ = time_.now() + kPause;
    }
    lostPictures_ = reading.lostPictures;
}

std::optional<Preopener::Preopened> Preopener::take()
{
    std::optional<Preopened> taken = preopened_;
    forget();
    return taken;
}

void Preopener::drop()
{
    if (!preopened_)
        return;
    const int player = preopened_->player;
    cancel();
    if (player != choice_().showing)
        bank_.retire(1u << player);
}

void Preopener::cancel()
{
    forget();
    bank_.cancelPreopen();
}

void Preopener::forget()
{
    preopened_.reset();
    picture_->stop();
    watchdog_->stop();
}
