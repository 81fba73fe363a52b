#include "FakePlayer.h"

#include "engine/VlcOptions.h"

class FakePlayer::FakeSubscription final : public MediaPlayer::Subscription {
public:
    explicit FakeSubscription(FakePlayer& player) : player_(player) {}
    ~FakeSubscription() override
    {
        const std::lock_guard guard(player_.lock_);
        player_.listener_ = nullptr;
    }

private:
    FakePlayer& player_;
};

FakePlayer::~FakePlayer() = default;

QStringList FakePlayer::calls() const
{
    // A list of its own, not one sharing the recorded list's buffer: the
    // player's thread appends to that one while the caller reads this one
    // (Qt sees whether a buffer is shared with a relaxed load).
    const std::lock_guard guard(lock_);
    QStringList copy;
    copy.reserve(calls_.size());
    for (const QString& call : calls_)
        copy.append(call);
    return copy;
}

bool FakePlayer::waitForCall(const QString& call, int timeoutMs) const
{
    std::unique_lock guard(lock_);
    return changed_.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return calls_.contains(call); });
}

void FakePlayer::refuse(const QString& address)
{
    const std::lock_guard guard(lock_);
    refused_ << address;
}

void FakePlayer::holdOpens(bool hold)
{
    {
        const std::lock_guard guard(lock_);
        holdOpens_ = hold;
    }
    changed_.notify_all();
}

void FakePlayer::holdStops(bool hold)
{
    {
        const std::lock_guard guard(lock_);
        holdStops_ = hold;
    }
    changed_.notify_all();
}

bool FakePlayer::isInsideOpen() const
{
    const std::lock_guard guard(lock_);
    return insideOpen_;
}

// The listener is called under the lock, as libvlc calls its callbacks under
// its event manager's lock: a subscription destroyed meanwhile waits for it.
void FakePlayer::send(Event::Type type, float cache)
{
    const std::lock_guard guard(lock_);
    if (listener_)
        listener_(Event{type, cache});
}

void FakePlayer::videoOutputComesUp(bool small)
{
    drawnSmall_ = small;
    send(Event::Type::VideoOutput);
}

bool FakePlayer::hasListener() const
{
    const std::lock_guard guard(lock_);
    return bool(listener_);
}

void FakePlayer::record(const QString& call)
{
    {
        const std::lock_guard guard(lock_);
        calls_ << call;
    }
    changed_.notify_all();
}

void FakePlayer::waitWhile(const bool& held)
{
    std::unique_lock guard(lock_);
    changed_.wait(guard, [&] { return !held; });
}

void FakePlayer::SetWindow(std::uint32_t xWindow)
{
    record(QStringLiteral("window %1").arg(xWindow));
}

bool FakePlayer::OpenSource(const Source& source)
{
    {
        const std::lock_guard guard(lock_);
        insideOpen_ = true;
    }
    record(QStringLiteral("open ") + source.address);
    waitWhile(holdOpens_);
    bool created = false;
    {
        const std::lock_guard guard(lock_);
        insideOpen_ = false;
        created = !refused_.contains(source.address);
    }
    // As libvlc would be given them.
    if (created)
        for (const QByteArray& option : vlcSourceOptions(source))
            record(QStringLiteral("option ") + QString::fromUtf8(option));
    if (created)
        SetPicture(source.picture);
    return created;
}

void FakePlayer::Play()
{
    record(QStringLiteral("play"));
}

void FakePlayer::SetPaused(bool paused)
{
    record(paused ? QStringLiteral("pause") : QStringLiteral("resume"));
}

void FakePlayer::SetDrawnSmall(bool small)
{
    drawnSmall_ = small;
}

void FakePlayer::StepPicture()
{
    record(QStringLiteral("step"));
}

void FakePlayer::SetPicture(const PictureSettings& picture)
{
    if (!picture.isDefault())
        record(QStringLiteral("picture %1 %2").arg(int(picture.shape)).arg(int(picture.deinterlace)));
}

void FakePlayer::Seek(std::int64_t milliseconds)
{
    record(QStringLiteral("seek %1").arg(milliseconds));
}

void FakePlayer::Stop()
{
    record(QStringLiteral("stop"));
    waitWhile(holdStops_);
}

int FakePlayer::Volume(int level, bool set)
{
    const std::lock_guard guard(lock_);
    if (set)
        level_ = std::max(level, 0);
    return level_;
}

void FakePlayer::RestoreVolume() {}

std::unique_ptr<MediaPlayer::Subscription> FakePlayer::subscribe(EventListener listener)
{
    const std::lock_guard guard(lock_);
    listener_ = std::move(listener);
    return std::make_unique<FakeSubscription>(*this);
}

PlaybackFailure FakePlayer::lastError() const
{
    const std::lock_guard guard(lock_);
    return lastError_;
}

void FakePlayer::setLastError(const PlaybackFailure& error)
{
    const std::lock_guard guard(lock_);
    lastError_ = error;
}

void FakePlayer::setStats(const Stats& stats)
{
    const std::lock_guard guard(lock_);
    stats_ = stats;
}

void FakePlayer::advance()
{
    const std::lock_guard guard(lock_);
    if (!stats_)
        stats_ = Stats{};
    stats_->demuxBytes += 1000;
    ++stats_->displayedPictures;
    ++stats_->decodedAudio;
    stats_->timeMs += 40;
}

std::optional<MediaPlayer::Stats> FakePlayer::stats() const
{
    const std::lock_guard guard(lock_);
    return stats_;
}

void FakePlayer::setLiveState(std::optional<TimeShiftBuffer::State> state)
{
    const std::lock_guard guard(lock_);
    live_ = std::move(state);
}

std::optional<TimeShiftBuffer::State> FakePlayer::liveState() const
{
    const std::lock_guard guard(lock_);
    return live_;
}

void FakePlayer::ShiftLive(std::int64_t behindMs)
{
    record(QStringLiteral("shift %1").arg(behindMs));
}

bool FakePlayer::StartRecording(const QString& path)
{
    record(QStringLiteral("record ") + path);
    return true;
}

void FakePlayer::StopRecording()
{
    record(QStringLiteral("stop recording"));
}
