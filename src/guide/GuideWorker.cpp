#include "GuideWorker.h"

#include "GuideLog.h"
#include "platform/ThreadMailbox.h"
#include "platform/UriScheme.h"

#include "JsonGuide.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimeZone>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>
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
      fetcher_(this), refresh_(this), // children: they move to the guide's thread with it
      apiNetwork_(new QNetworkAccessManager(this))
{
    apiNetwork_->setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
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
    wanted_.clear();
    wantedLogos_.clear();
    logos_.clear();
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
        if (guide.isApi() || pending_.contains(address))
            continue;
        const std::optional<GuideStore::Copy> copy = store_->copyOf(address);
        if (isLocal(address)) {
            const QFileInfo file(localPath(address));
            if (file.exists() && (!copy || file.lastModified().toSecsSinceEpoch() > copy->fetchedAt))
                pending_.append(address);
        } else if (!copy || copy->fetchedAt + qint64(std::max(request_.freshHours, 1)) * 3600 <= now) {
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
                QFile::remove(outcome.path); // what it said is in the database now
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
    QElapsedTimer took;
    took.start();
    const GuideImportResult result = importGuideFile(*store_, address, path, copy, settings);
    if (!result.stored)
        return;
    qCInfo(lcGuide) << "guide" << address << "read:" << result.channels << "channels," << result.programmes
                    << "programmes," << result.skipped << "skipped, in" << took.elapsed() << "ms";
    rebuild();
}

void GuideWorker::rebuild()
{
    QElapsedTimer took;
    took.start();
    ChannelMatcher matcher(variants_.get());
    std::vector<int> rows;
    std::map<std::pair<int, QString>, QString> icons;
    for (const GuideSource& guide : request_.guides) {
        if (const int row = store_->guideRow(guide.address); row > 0) {
            const std::vector<GuideChannel> channels = store_->channels(row);
            for (const GuideChannel& channel : channels)
                if (!channel.icon.isEmpty())
                    icons.emplace(std::pair{row, channel.id}, channel.icon);
            matcher.addGuide(row, channels);
            rows.push_back(row);
        }
    }
    // The entries of each guide channel matched.
    auto channelEntries = std::make_shared<GuideIndex::ChannelEntries>();
    GuideIndex::ChannelEntries& wanted = *channelEntries;
    const int entries = int(request_.entries.size());
    logoAddresses_.assign(size_t(entries), QString());
    for (int entry = 0; entry < entries; ++entry)
        logoAddresses_[size_t(entry)] = request_.entries[size_t(entry)].logo;
    for (int entry = 0; entry < entries; ++entry) {
        const GuideEntryKey& key = request_.entries[size_t(entry)];
        if (key.name.isEmpty() && key.tvgId.isEmpty() && key.tvgName.isEmpty())
            continue;
        if (const auto ref = matcher.match({key.tvgId, key.tvgName, key.name})) {
            wanted[{ref->guide, ref->id}].push_back(entry);
            if (const auto icon = icons.find({ref->guide, ref->id}); icon != icons.end() && key.logo.isEmpty())
                logoAddresses_[size_t(entry)] = icon->second;
        }
    }
    auto index = std::make_shared<GuideIndex>(entries);
    // Memory: titles repeat (the news every day), so each is kept once; and
    // descriptions only near now, where the banner and the schedule look.
    QSet<QString> titles;
    const qint64 now = clock_();
    for (const int row : rows) {
        QString channel;
        const std::vector<int>* entriesOfChannel = nullptr;
        GuideIndex::Programmes programmes;
        const auto flush = [&] {
            if (entriesOfChannel && !programmes.empty()) {
                const auto arranged = GuideIndex::arrange(std::move(programmes));
                for (const int entry : *entriesOfChannel)
                    index->set(entry, arranged);
            }
            programmes.clear();
        };
        store_->programmes(
            row,
            [&](GuideStore::Entry&& entry) {
                if (entry.channel != channel) {
                    flush();
                    channel = entry.channel;
                    const auto found = wanted.find({row, channel});
                    entriesOfChannel = found == wanted.end() ? nullptr : &found->second;
                }
                if (entriesOfChannel)
                    programmes.push_back({entry.start, entry.stop, *titles.insert(entry.title), std::move(entry.description)});
            },
            now - kDetailBefore, now + kDetailAfter);
        flush();
    }
    // What a guide API answered in this run or an earlier one, for the entries the guides do not know.
    if (const GuideSource* source = api()) {
        const QString day = QDateTime::fromSecsSinceEpoch(clock_(), QTimeZone(source->zoneMinutes * 60)).date().toString(Qt::ISODate);
        for (int entry = 0; entry < entries; ++entry) {
            if (index->knows(entry) || request_.entries[size_t(entry)].name.isEmpty())
                continue;
            const QString key = source->address + u'|' + request_.entries[size_t(entry)].name + u'|' + day;
            if (const int row = store_->guideRow(key); row > 0) {
                GuideIndex::Programmes programmes;
                store_->programmes(row, [&](GuideStore::Entry&& kept) {
                    programmes.push_back({kept.start, kept.stop, std::move(kept.title), std::move(kept.description)});
                });
                if (!programmes.empty()) {
                    index->set(entry, GuideIndex::arrange(std::move(programmes)));
                    wanted[{row, key}].push_back(entry);
                }
            }
        }
    }
    index->setChannelEntries(std::move(channelEntries));
    qCInfo(lcGuide) << index->matchedEntries() << "of" << entries << "list entries have a guide (" << took.elapsed()
                    << "ms to gather)";
    index_ = index;
    publish_(std::move(index));
}

const GuideSource* GuideWorker::api() const
{
    for (const GuideSource& source : request_.guides)
        if (source.isApi())
            return &source;
    return nullptr;
}

void GuideWorker::want(int entry)
{
    if (store_ && entry >= 0 && size_t(entry) < logoAddresses_.size() && !logoAddresses_[size_t(entry)].isEmpty() &&
        !logos_.contains(entry) && std::find(wantedLogos_.begin(), wantedLogos_.end(), entry) == wantedLogos_.end()) {
        if (wantedLogos_.size() >= 20)
            wantedLogos_.erase(wantedLogos_.begin());
        wantedLogos_.push_back(entry);
        askLogo();
    }
    if (!api() || !store_ || entry < 0 || size_t(entry) >= request_.entries.size() ||
        request_.entries[size_t(entry)].name.isEmpty())
        return;
    if (index_ && index_->knows(entry))
        return;
    if (std::find(wanted_.begin(), wanted_.end(), entry) != wanted_.end())
        return;
    // A bound: what was looked at long ago is no longer wanted.
    if (wanted_.size() >= 20)
        wanted_.erase(wanted_.begin());
    wanted_.push_back(entry);
    askApi();
}

void GuideWorker::askApi()
{
    const GuideSource* source = api();
    if (askingApi_ || !source || stopping_)
        return;
    while (!wanted_.empty()) {
        const int entry = wanted_.front();
        wanted_.erase(wanted_.begin());
        const QString name = request_.entries[size_t(entry)].name;
        const QDate day = QDateTime::fromSecsSinceEpoch(clock_(), QTimeZone(source->zoneMinutes * 60)).date();
        const QString key = source->address + u'|' + name + u'|' + day.toString(Qt::ISODate);
        if (asked_.contains(key) || store_->guideRow(key) > 0)
            continue;
        asked_.insert(key);
        askingApi_ = true;
        QNetworkRequest request{QUrl(jsonguide::address(source->address, name, day))};
        request.setTransferTimeout(15000);
        QNetworkReply* reply = apiNetwork_->get(request);
        // An answer is a few kilobytes: past a megabyte the reply stops reading and times out.
        reply->setReadBufferSize(1 << 20);
        const int zone = source->zoneMinutes;
        connect(reply, &QNetworkReply::finished, this, [this, reply, entry, key, day, zone] {
            reply->deleteLater();
            askingApi_ = false;
            const QByteArray answer = reply->read(1 << 20);
            if (reply->error() != QNetworkReply::NoError)
                qCWarning(lcGuide) << "the guide API did not answer for" << key << ":" << reply->errorString();
            else
                keepAnswer(entry, key, jsonguide::programmes(answer, day, zone));
            askApi();
        });
        return;
    }
}

QString GuideWorker::logoPath(const QString& address) const
{
    const QByteArray hash = QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex().left(20);
    return QDir(cacheFolder_).filePath(QStringLiteral("logos/") + QString::fromLatin1(hash));
}

void GuideWorker::showLogo(int entry, QByteArray logo)
{
    if (logo.isEmpty())
        return;
    logos_.insert(entry, logo);
    auto index = std::make_shared<GuideIndex>(index_ ? *index_ : GuideIndex(int(request_.entries.size())));
    index->setLogo(entry, std::move(logo));
    index_ = index;
    publish_(std::move(index));
}

// One logo at a time, each fetched once and kept in the cache folder.
void GuideWorker::askLogo()
{
    constexpr qint64 kLargestLogo = 512 * 1024;
    while (!fetchingLogo_ && !wantedLogos_.empty() && !stopping_) {
        const int entry = wantedLogos_.front();
        wantedLogos_.erase(wantedLogos_.begin());
        const QString address = logoAddresses_.at(size_t(entry));
        QFile kept(isLocal(address) ? localPath(address) : logoPath(address));
        if (kept.open(QIODevice::ReadOnly)) {
            showLogo(entry, kept.read(kLargestLogo));
            continue;
        }
        if (isLocal(address) || logosAsked_.contains(address))
            continue;
        logosAsked_.insert(address);
        fetchingLogo_ = true;
        QNetworkRequest request{QUrl(address)};
        request.setTransferTimeout(15000);
        QNetworkReply* reply = apiNetwork_->get(request);
        reply->setReadBufferSize(kLargestLogo + 1); // a larger one stops reading and times out
        connect(reply, &QNetworkReply::finished, this, [this, reply, entry, address] {
            reply->deleteLater();
            fetchingLogo_ = false;
            const QByteArray logo = reply->read(kLargestLogo + 1);
            if (reply->error() != QNetworkReply::NoError || logo.size() > kLargestLogo) {
                qCInfo(lcGuide) << "no logo from" << address << ":" << reply->errorString();
            } else {
                QDir().mkpath(QFileInfo(logoPath(address)).path());
                QFile file(logoPath(address));
                if (file.open(QIODevice::WriteOnly))
                    file.write(logo);
                showLogo(entry, logo);
            }
            askLogo();
        });
    }
}

void GuideWorker::keepAnswer(int entry, const QString& key, std::vector<Programme> programmes)
{
    if (programmes.empty()) {
        qCInfo(lcGuide) << "the guide API knows nothing of" << key;
        return;
    }
    store_->replace(key, {{}, {}, clock_()}, 0, [&](GuideStore::Writer& writer) {
        for (const Programme& programme : programmes)
            writer.programme({key, programme.start, programme.stop, programme.title, programme.description});
    });
    auto index = std::make_shared<GuideIndex>(index_ ? *index_ : GuideIndex(int(request_.entries.size())));
    index->set(entry, GuideIndex::arrange(std::move(programmes)));
    auto channelEntries = index->channelEntries() ? std::make_shared<GuideIndex::ChannelEntries>(*index->channelEntries())
                                                  : std::make_shared<GuideIndex::ChannelEntries>();
    (*channelEntries)[{store_->guideRow(key), key}] = {entry};
    index->setChannelEntries(std::move(channelEntries));
    for (auto logo = logos_.cbegin(); logo != logos_.cend(); ++logo)
        index->setLogo(logo.key(), logo.value());
    index_ = index;
    publish_(std::move(index));
}

QString GuideWorker::downloadPath(const QString& address) const
{
    const QByteArray hash = QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex().left(16);
    return QDir(cacheFolder_).filePath(QStringLiteral("guide-%1.download").arg(QString::fromLatin1(hash)));
}
