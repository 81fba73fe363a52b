#include "PlaySourceLoader.h"

#include "PlaySourceReading.h"
#include "SourcesLog.h"

#include <condition_variable>
#include <mutex>
#include <system_error>
#include <thread>

// What the loader and its reading threads share. The threads may outlive the
// loader; they find it gone here and drop their result.
struct PlaySourceLoader::Shared {
    std::mutex lock;
    std::condition_variable finished;
    PlaySourceLoader* owner = nullptr; // null once the loader is gone
    int running = 0;
};

PlaySourceLoader::Readers PlaySourceLoader::fileSystemReaders()
{
    return {readPlaySourceFile, readDroppedFiles};
}

PlaySourceLoader::PlaySourceLoader(QObject* parent, Readers readers)
    : QObject(parent), readers_(std::move(readers)), mailbox_(this), shared_(std::make_shared<Shared>())
{
    shared_->owner = this;
}

PlaySourceLoader::~PlaySourceLoader()
{
    if (cancelLatest_)
        *cancelLatest_ = true;
    std::unique_lock guard(shared_->lock);
    shared_->owner = nullptr;
    // A load that notices the request ends within moments; one blocked in the
    // file system is not waited for.
    if (!shared_->finished.wait_for(guard, exitWait_, [this] { return shared_->running == 0; }))
        qCWarning(lcSources) << shared_->running << "list read(s) still waiting on the file system; left behind";
}

std::uint64_t PlaySourceLoader::start(std::function<PlaySourceFile(const std::atomic<bool>&)> read)
{
    const std::uint64_t generation = ++generation_;
    if (cancelLatest_)
        *cancelLatest_ = true; // superseded
    auto cancelled = std::make_shared<std::atomic<bool>>(false);
    cancelLatest_ = cancelled;
    {
        const std::lock_guard guard(shared_->lock);
        ++shared_->running;
    }
    auto body = [shared = shared_, cancelled, generation, read = std::move(read)] {
        PlaySourceFile result = read(*cancelled);
        result.fillColumns();
        const std::lock_guard guard(shared->lock);
        if (PlaySourceLoader* owner = shared->owner; owner && !*cancelled) {
            owner->mailbox_.post([owner, generation, result = std::move(result)] {
                if (generation == owner->generation_)
                    emit owner->loaded(generation, result);
            });
        }
        --shared->running;
        shared->finished.notify_all();
    };
    try {
        std::thread(std::move(body)).detach();
    } catch (const std::system_error& error) {
        qCWarning(lcSources) << "no thread for a list read:" << error.what();
        const std::lock_guard guard(shared_->lock);
        --shared_->running;
    }
    return generation;
}

std::uint64_t PlaySourceLoader::load(const QString& path)
{
    return start([read = readers_.listFile, path](const std::atomic<bool>& cancelled) { return read(path, cancelled); });
}

std::uint64_t PlaySourceLoader::loadDropped(const QStringList& paths)
{
    return start(
        [read = readers_.dropped, paths](const std::atomic<bool>& cancelled) { return read(paths, cancelled); });
}
