#include "GuideImport.h"

#include "GuideLog.h"
#include "GzipStream.h"

#include <QFile>

#include <condition_variable>
#include <deque>
#include <mutex>
#include <optional>
#include <thread>
#include <variant>
#include <vector>

namespace {

using Item = std::variant<GuideChannel, GuideProgramme>;
using Batch = std::vector<Item>;

// Reading and writing go side by side: the XML is read on the caller's
// thread while the batches read before it go into the database on another.
// A few batches at most wait, so memory stays bounded.
class BatchQueue {
public:
    static constexpr size_t kWaiting = 4;

    void push(Batch batch)
    {
        std::unique_lock lock(lock_);
        changed_.wait(lock, [this] { return batches_.size() < kWaiting; });
        batches_.push_back(std::move(batch));
        changed_.notify_all();
    }
    // Empty once the queue is closed and drained.
    std::optional<Batch> pop()
    {
        std::unique_lock lock(lock_);
        changed_.wait(lock, [this] { return !batches_.empty() || closed_; });
        if (batches_.empty())
            return std::nullopt;
        Batch batch = std::move(batches_.front());
        batches_.pop_front();
        changed_.notify_all();
        return batch;
    }
    void close()
    {
        const std::lock_guard lock(lock_);
        closed_ = true;
        changed_.notify_all();
    }

private:
    std::mutex lock_;
    std::condition_variable changed_;
    std::deque<Batch> batches_;
    bool closed_ = false;
};

} // namespace

GuideImportResult importGuideFile(GuideStore& store, const QString& address, const QString& path,
                                  const GuideStore::Copy& copy, const GuideImportSettings& settings)
{
    GuideImportResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.fault = file.errorString();
        return result;
    }
    result.stored = store.replace(address, copy, settings.keepFrom, [&](GuideStore::Writer& writer) {
        BatchQueue queue;
        std::thread inserting([&] {
            while (std::optional<Batch> batch = queue.pop())
                for (const Item& item : *batch)
                    std::visit([&](const auto& read) {
                        if constexpr (std::is_same_v<std::decay_t<decltype(read)>, GuideChannel>)
                            writer.channel(read);
                        else
                            writer.programme(read);
                    }, item);
        });
        constexpr size_t kBatch = 4096;
        Batch batch;
        batch.reserve(kBatch);
        const auto add = [&](Item&& item) {
            batch.push_back(std::move(item));
            if (batch.size() == kBatch) {
                queue.push(std::exchange(batch, {}));
                batch.reserve(kBatch);
            }
        };
        XmltvReader reader([&](GuideChannel&& channel) { add(std::move(channel)), ++result.channels; },
                           [&](GuideProgramme&& programme) { add(std::move(programme)), ++result.programmes; },
                           settings.correctionMinutes);
        std::optional<GzipStream> gzip;
        bool first = true;
        bool cancelled = false;
        constexpr qint64 kPiece = 1 << 20;
        while (!file.atEnd()) {
            if (settings.cancel && settings.cancel->load()) {
                cancelled = true;
                break;
            }
            // Gzip grows eight times or so: smaller pieces keep what waits to be read small.
            const QByteArray piece = file.read(gzip ? kPiece / 16 : kPiece);
            if (piece.isEmpty())
                break;
            if (first && looksGzipped(piece))
                gzip.emplace(settings.decompressedLimit);
            first = false;
            if (!reader.feed(gzip ? gzip->feed(piece) : piece))
                break;
            if (gzip && gzip->failed())
                break;
        }
        if (!cancelled) {
            if (gzip) {
                gzip->finish();
                if (gzip->failed())
                    result.fault = gzip->error();
            }
            reader.finish();
            if (!batch.empty())
                queue.push(std::move(batch));
        }
        queue.close();
        inserting.join();
        if (cancelled) {
            writer.abandon();
            result.fault = QStringLiteral("stopped");
            return;
        }
        if (result.fault.isEmpty())
            result.fault = reader.fault();
        result.skipped = reader.programmesSkipped();
    });
    if (!result.fault.isEmpty())
        qCWarning(lcGuide) << "guide" << address << "read up to a fault:" << result.fault;
    return result;
}
