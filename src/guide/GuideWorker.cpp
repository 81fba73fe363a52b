#include "GuideWorker.h"

#include "GuideLog.h"
#include "platform/ThreadMailbox.h"
#include "platform/UriScheme.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <map>

namespace {

bool isLocal(const QString& address)
{
    return !startsWithUriScheme(address) || address.startsWith(QLatin1String("file://"), Qt::CaseInsensitive);
}

QString localPath(const QString& address)
{
    return address.startsWith(QLatin1String("file://"), Qt::CaseInsensitive) ? QUrl(address).toLocalFile() : address;
}

} // namespace

GuideWorker::GuideWorker(QString cacheFolder, Publish publish, const std::atomic<bool>& stopping, Clock clock)
    : inbox_(new ThreadMailbox(this)), cacheFolder_(std::move(cacheFolder)), publish_(std::move(publish)), stopping_(stopping), clock_(std::move(clock)),
      fetcher_(this), refresh_(this) // children: they move to the guide's thread with it
{
    refresh_.setInterval(kRefreshCheckMs);
    connect(&refresh_, &QTimer::timeout, this, &GuideWorker::queueStale);
}

GuideWorker::~GuideWorker() = default;

bool GuideWorker::openStore()
{
    if (store_)
        return true;
    QDir().mkpath(cacheFolder_);
    QString error;
    store_ = GuideStore::open(QDir(cacheFolder_).filePath(QStringLiteral("guide.sqlite")), &error);
    if (!store_)
        qCWarning(lcGuide) << "no guide database in" << cacheFolder_ << ":" << error;
    return bool(store_);
}

void GuideWorker::load(const GuideRequest& request)
{
    request_ = request;
    fetcher_.abort();
    busy_ = false;
    pending_.clear();
    if (!openStore())
        return;
    if (!variants_)
        variants_ = std::make_unique<ChineseVariants>();
    rebuild();
    queueStale();
    refresh_.start();
}

void GuideWorker::queueStale()
{
    const qint64 now = clock_();
    for (const GuideSource& guide : request_.guides) {
        const QString& address = guide.address;
        if (pending_.contains(address))
            continue;
        const std::optional<GuideStore::Copy> copy = store_->copyOf(address);
        if (isLocal(address)) {
            const QFileInfo file(localPath(address));
            if (file.exists() && (!copy || file.lastModified().toSecsSinceEpoch() > copy->fetchedAt))
                pending_.append(address);
        } else if (!copy || copy->fetchedAt + kFreshSeconds <= now) {
            pending_.append(address);
        }
    }
    takeNext();
}

void GuideWorker::takeNext()
{
    while (!busy_ && !pending_.isEmpty() && !stopping_) {
        const QString address = pending_.takeFirst();
        if (isLocal(address)) {
            import(address, localPath(address), {{}, {}, clock_()});
            continue;
        }
        busy_ = true;
        const std::optional<GuideStore::Copy> kept = store_->copyOf(address);
        fetcher_.fetch(address, kept, downloadPath(address), [this, address](const GuideFetcher::Outcome& outcome) {
            busy_ = false;
            switch (outcome.kind) {
            case GuideFetcher::Outcome::Kind::Fetched:
                import(address, outcome.path, outcome.copy);
                break;
            case GuideFetcher::Outcome::Kind::NotModified:
                qCInfo(lcGuide) << "guide" << address << "has not changed";
                store_->touch(address, outcome.copy.fetchedAt);
                break;
            case GuideFetcher::Outcome::Kind::Failed:
                break; // the guide already known stays; said by the fetcher
            }
            takeNext();
        });
    }
    if (!busy_ && pending_.isEmpty())
        emit settled();
}

void GuideWorker::import(const QString& address, const QString& path, const GuideStore::Copy& copy)
{
    GuideImportSettings settings;
    settings.keepFrom = clock_() - qint64(std::max(request_.keepDays, 1)) * 86400;
    for (const GuideSource& guide : request_.guides)
        if (guide.address == address)
            settings.correctionMinutes = guide.correctionMinutes;
    settings.cancel = &stopping_;
    const GuideImportResult result = importGuideFile(*store_, address, path, copy, settings);
    if (!result.stored)
        return;
    qCInfo(lcGuide) << "guide" << address << "read:" << result.channels << "channels," << result.programmes
                    << "programmes," << result.skipped << "skipped";
    rebuild();
}

void GuideWorker::rebuild()
{
    ChannelMatcher matcher(variants_.get());
    std::vector<int> rows;
    for (const GuideSource& guide : request_.guides) {
        if (const int row = store_->guideRow(guide.address); row > 0) {
            matcher.addGuide(row, store_->channels(row));
            rows.push_back(row);
        }
    }
    // The entries of each guide channel matched.
    std::map<std::pair<int, QString>, std::vector<int>> wanted;
    const int entries = int(request_.entries.size());
    for (int entry = 0; entry < entries; ++entry) {
        const GuideEntryKey& key = request_.entries[size_t(entry)];
        if (key.name.isEmpty() && key.tvgId.isEmpty() && key.tvgName.isEmpty())
            continue;
        if (const auto ref = matcher.match({key.tvgId, key.tvgName, key.name}))
            wanted[{ref->guide, ref->id}].push_back(entry);
    }
    auto index = std::make_shared<GuideIndex>(entries);
    for (const int row : rows) {
        QString channel;
        GuideIndex::Programmes programmes;
        const auto flush = [&] {
            const auto found = wanted.find({row, channel});
            if (found != wanted.end() && !programmes.empty()) {
                const auto arranged = GuideIndex::arrange(std::move(programmes));
                for (const int entry : found->second)
                    index->set(entry, arranged);
            }
            programmes.clear();
        };
        store_->programmes(row, [&](GuideStore::Entry&& entry) {
            if (entry.channel != channel) {
                flush();
                channel = entry.channel;
            }
            if (wanted.count({row, channel}))
                programmes.push_back({entry.start, entry.stop, std::move(entry.title), std::move(entry.description)});
        });
        flush();
    }
    qCInfo(lcGuide) << index->matchedEntries() << "of" << entries << "list entries have a guide";
    publish_(std::move(index));
}

QString GuideWorker::downloadPath(const QString& address) const
{
    const QByteArray hash = QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(cacheFolder_).filePath(QStringLiteral("guide-%1.download").arg(QString::fromLatin1(hash)));
}
