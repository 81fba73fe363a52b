#include "PlayerTransport.h"

#include <QPointer>

#include <cstdlib>
#include <memory>

PlayerTransport::PlayerTransport(PlayerBank& bank, TimeSource& time, Hooks hooks)
    : bank_(bank), time_(time), hooks_(std::move(hooks))
{
}

void PlayerTransport::reset()
{
    paused_ = false;
    seeking_.reset();
}

MediaPlayer* PlayerTransport::showingPlayer(const ChoiceView& choice) const
{
    return bank_.player(choice.showing);
}

void PlayerTransport::command(std::function<void(MediaPlayer&)> request)
{
    const ChoiceView choice = hooks_.choice();
    if (choice.exists)
        bank_.command(choice.showing, std::move(request));
}

std::optional<PlayerTransport::Position> PlayerTransport::position() const
{
    const ChoiceView choice = hooks_.choice();
    if (!choice.exists || choice.opening)
        return std::nullopt;
    const MediaPlayer* shown = showingPlayer(choice);
    const std::optional<MediaPlayer::Stats> reading = shown ? shown->stats() : std::nullopt;
    const MediaPlayer::Stats& stats = reading ? *reading : choice.lastReading;
    const std::int64_t length = stats.lengthMs > 0 ? stats.lengthMs : choice.expectedLengthMs;
    if (length <= 0 || stats.timeMs < 0)
        return std::nullopt;
    Position position{stats.timeMs, length, stats.seekable};
    if (seeking_) {
        constexpr std::int64_t kThere = 1500;
        constexpr std::chrono::seconds kGivenUp{2};
        if (std::abs(stats.timeMs - seeking_->targetMs) > kThere && time_.now() - seeking_->asked < kGivenUp)
            position.timeMs = seeking_->targetMs;
    }
    return position;
}

bool PlayerTransport::setPaused(bool paused)
{
    if (paused == paused_)
        return true;
    if (paused && !position())
        return false;
    paused_ = paused;
    command([paused](MediaPlayer& player) { player.SetPaused(paused); });
    hooks_.pausedChanged(paused);
    return true;
}

void PlayerTransport::seek(std::int64_t milliseconds)
{
    if (!position())
        return;
    seeking_ = Seeking{milliseconds, time_.now()};
    command([milliseconds](MediaPlayer& player) { player.Seek(milliseconds); });
}

void PlayerTransport::ask(std::function<bool(MediaPlayer&)> question, QObject* context, std::function<void(bool)> reply)
{
    if (!hooks_.choice().exists) {
        reply(false);
        return;
    }
    // The reply and its context are made, read and called on the owner's
    // thread only; the opener's thread holds them through the shared pointer
    // alone, and hands the answer back through the bank's mailbox.
    struct Reply {
        QPointer<QObject> context;
        std::function<void(bool)> call;
    };
    auto pending = std::make_shared<const Reply>(Reply{context, std::move(reply)});
    command([question = std::move(question), pending, &bank = bank_](MediaPlayer& player) {
        const bool answer = question(player);
        bank.postBack([pending, answer] {
            if (pending->context)
                pending->call(answer);
        });
    });
}

void PlayerTransport::saveSnapshot(const QString& path, QObject* context, std::function<void(bool)> saved)
{
    ask([path](MediaPlayer& player) { return player.SaveSnapshot(path); }, context, std::move(saved));
}

std::optional<MediaPlayer::Tracks> PlayerTransport::tracks() const
{
    const ChoiceView choice = hooks_.choice();
    const MediaPlayer* shown = choice.exists && !choice.opening ? showingPlayer(choice) : nullptr;
    return shown ? shown->tracks() : std::nullopt;
}

std::optional<MediaPlayer::Description> PlayerTransport::description() const
{
    const ChoiceView choice = hooks_.choice();
    const MediaPlayer* shown = choice.exists && !choice.opening ? showingPlayer(choice) : nullptr;
    return shown ? shown->description() : std::nullopt;
}

std::optional<MediaPlayer::Stats> PlayerTransport::stats() const
{
    const MediaPlayer* shown = showingPlayer(hooks_.choice());
    return shown ? shown->stats() : std::nullopt;
}

void PlayerTransport::setAudioTrack(int id)
{
    command([id](MediaPlayer& player) { player.SetAudioTrack(id); });
}

void PlayerTransport::setSubtitleTrack(int id)
{
    command([id](MediaPlayer& player) { player.SetSubtitleTrack(id); });
}

void PlayerTransport::addSubtitleFile(const QString& path)
{
    command([path](MediaPlayer& player) { player.AddSubtitleFile(path); });
}

void PlayerTransport::setPicture(const PictureSettings& picture)
{
    if (!hooks_.choice().exists)
        return;
    hooks_.pictureSet(picture);
    command([picture](MediaPlayer& player) { player.SetPicture(picture); });
}

int PlayerTransport::setVolume(int level)
{
    return bank_.Volume(level, true, hooks_.choice().showing);
}

int PlayerTransport::volume()
{
    return bank_.Volume(0, false, hooks_.choice().showing);
}

std::optional<TimeShiftBuffer::State> PlayerTransport::liveState() const
{
    const ChoiceView choice = hooks_.choice();
    const MediaPlayer* shown = choice.exists && !choice.opening ? showingPlayer(choice) : nullptr;
    return shown ? shown->liveState() : std::nullopt;
}

void PlayerTransport::holdLive(bool held)
{
    if (held == paused_ || !hooks_.choice().exists)
        return;
    paused_ = held;
    command([held](MediaPlayer& player) { player.SetPaused(held); });
    hooks_.pausedChanged(held);
}

void PlayerTransport::shiftLive(std::int64_t behindMs)
{
    if (!hooks_.choice().exists)
        return;
    command([behindMs](MediaPlayer& player) { player.ShiftLive(behindMs); });
    if (paused_) {
        paused_ = false;
        hooks_.pausedChanged(false);
    }
}

void PlayerTransport::startRecording(const QString& path, QObject* context, std::function<void(bool started)> started)
{
    ask([path](MediaPlayer& player) { return player.StartRecording(path); }, context, std::move(started));
}

void PlayerTransport::stopRecording()
{
    command([](MediaPlayer& player) { player.StopRecording(); });
}
