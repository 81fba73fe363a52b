#include "core/lists/ListLibrary.h"

#include "core/CoreLog.h"
#include "core/settings/UserSettings.h"
#include "platform/LogSecrets.h"
#include "sources/FetchedList.h"
#include "sources/ListLocation.h"
#include "sources/PlaySourceLoader.h"
#include "sources/PlaySourceReading.h"

#include <QFile>
#include <QThreadPool>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace {

// A kept copy read as the list it was, relative addresses against the list's own.
PlaySourceFile readKeptCopy(const QString& path, const QString& address)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return readListBytes(file.read(kListSizeBound), address);
}

} // namespace

ListLibrary::ListLibrary(UserSettings* settings, PlaySourceLoader& loader, KeptLists kept, QObject* parent)
    : QObject(parent), settings_(settings), loader_(loader), kept_(std::move(kept)), alive_(std::make_shared<Alive>())
{
    alive_->library = this;
    if (settings_)
        lists_ = settings_->lists();
    refreshTimer_.setTimerType(Qt::VeryCoarseTimer);
    connect(&refreshTimer_, &QTimer::timeout, this, [this] {
        if (isCurrentRemote())
            fetchCurrent();
    });
}

ListLibrary::~ListLibrary()
{
    const std::lock_guard lock(alive_->lock);
    alive_->library = nullptr;
}

bool ListLibrary::isCurrentRemote() const
{
    return current_ >= 0 && readListLocation(lists_[size_t(current_)].address).isRemote();
}

QString ListLibrary::currentAddress() const
{
    return current_ >= 0 ? lists_[size_t(current_)].address : current_ == kLocalList ? localList_ : QString();
}

QString ListLibrary::nameFor(const QString& written)
{
    const ListLocation location = readListLocation(written);
    const QUrl url = location.isRemote() ? QUrl(location.address) : QUrl::fromLocalFile(location.localPath());
    if (const std::optional<account::Login> login = account::fromListAddress(location.address))
        return login->user + u'@' + url.host(); // not "get", the name of every account's address
    const QString file = QFileInfo(url.path()).completeBaseName();
    return !file.isEmpty() ? file : url.host().isEmpty() ? location.address : url.host();
}

std::uint64_t ListLibrary::openAtStart()
{
    const QString chosen = settings_ ? settings_->chosenList() : QString();
    const auto found = std::find_if(lists_.begin(), lists_.end(), [&](const ListRef& list) { return list.address == chosen; });
    const bool chosenWins = settings_ && settings_->chosenListWins();
    if (!localList_.isEmpty() && (found == lists_.end() || !chosenWins))
        return openLocal(false); // the list chosen last stays remembered
    if (found != lists_.end())
        return open(int(found - lists_.begin()));
    return 0;
}

std::uint64_t ListLibrary::openLocal(bool remember)
{
    if (localList_.isEmpty())
        return 0;
    current_ = kLocalList;
    refreshTimer_.stop();
    setStatus({});
    if (settings_ && remember)
        settings_->setChosenList({});
    shownAddress_ = localList_;
    emit listsChanged();
    return loader_.load(localList_);
}

std::uint64_t ListLibrary::open(int index)
{
    if (index < 0 || size_t(index) >= lists_.size())
        return 0;
    current_ = index;
    const ListRef list = lists_[size_t(index)];
    if (settings_)
        settings_->setChosenList(list.address);
    setStatus({});
    emit listsChanged();
    const ListLocation location = readListLocation(list.address);
    if (location.isRemote())
        return openRemote(list);
    refreshTimer_.stop();
    shownAddress_ = list.address;
    return loader_.load(location.localPath());
}

std::uint64_t ListLibrary::openRemote(const ListRef& list)
{
    const QString address = readListLocation(list.address).address;
    // Its channels' addresses hold the password too, from the kept copy on.
    if (const std::optional<account::Login> login = account::fromListAddress(address))
        hideInLog(login->password);
    const int hours = settings_ ? settings_->listRefreshHours() : 6;
    refreshTimer_.start(std::chrono::hours(hours));
    const std::optional<KeptLists::Copy> copy = kept_.find(address);
    if (!copy) {
        shownAddress_.clear();
        fetchCurrent();
        return 0;
    }
    // The kept copy at once; the server asked again only when the copy is old.
    shownAddress_ = list.address;
    if (!copy->account.isEmpty()) { // where the account stood when last asked, until it is asked again
        accountNoted_ = copy->account;
        accountNotedFor_ = list.address;
        setStatus(status_);
    }
    const std::uint64_t generation =
        loader_.loadWith([path = copy->path, address](const std::atomic<bool>&) { return readKeptCopy(path, address); });
    if (!copy->fetched.isValid() || copy->fetched.secsTo(QDateTime::currentDateTimeUtc()) >= qint64(hours) * 3600)
        fetchCurrent();
    return generation;
}

std::uint64_t ListLibrary::addAndOpen(const QString& name, const QString& written)
{
    const QString address = written.trimmed();
    if (address.isEmpty())
        return 0;
    const QString shownName = name.trimmed().isEmpty() ? nameFor(address) : name.trimmed();
    auto found = std::find_if(lists_.begin(), lists_.end(), [&](const ListRef& list) { return list.address == address; });
    if (found == lists_.end())
        found = lists_.insert(lists_.end(), {shownName, address});
    else if (!name.trimmed().isEmpty())
        found->name = shownName;
    if (settings_)
        settings_->setLists(lists_);
    return open(int(found - lists_.begin()));
}

void ListLibrary::remove(int index)
{
    if (index < 0 || size_t(index) >= lists_.size())
        return;
    const QString address = lists_[size_t(index)].address;
    lists_.erase(lists_.begin() + index);
    if (std::none_of(lists_.begin(), lists_.end(), [&](const ListRef& list) { return list.address == address; }))
        kept_.forget(readListLocation(address).address);
    if (current_ == index) {
        forgetCurrent();
    } else if (current_ > index) {
        --current_;
    }
    if (settings_)
        settings_->setLists(lists_);
    emit listsChanged();
}

// The list shown left the lists: it stays shown, but is no longer fetched nor chosen.
void ListLibrary::forgetCurrent()
{
    current_ = kNoList;
    refreshTimer_.stop();
    if (fetcher_)
        fetcher_->cancel();
    if (settings_)
        settings_->setChosenList({});
}

void ListLibrary::replaceLists(std::vector<ListRef> lists)
{
    const auto hasAddress = [](const std::vector<ListRef>& in, const QString& address) {
        return std::any_of(in.begin(), in.end(), [&](const ListRef& list) { return list.address == address; });
    };
    for (const ListRef& old : lists_)
        if (!hasAddress(lists, old.address))
            kept_.forget(readListLocation(old.address).address);
    const QString shown = current_ >= 0 ? lists_[size_t(current_)].address : QString();
    lists_ = std::move(lists);
    if (current_ >= 0) {
        const auto found = std::find_if(lists_.begin(), lists_.end(), [&](const ListRef& list) { return list.address == shown; });
        if (found != lists_.end())
            current_ = int(found - lists_.begin());
        else
            forgetCurrent();
    }
    if (settings_)
        settings_->setLists(lists_);
    emit listsChanged();
}

void ListLibrary::refreshIntervalChanged()
{
    if (refreshTimer_.isActive() && settings_)
        refreshTimer_.start(std::chrono::hours(settings_->listRefreshHours()));
}

void ListLibrary::refresh()
{
    if (current_ == kLocalList || (current_ >= 0 && !isCurrentRemote())) {
        const QString path = current_ == kLocalList ? localList_ : readListLocation(currentAddress()).localPath();
        const std::uint64_t generation = loader_.load(path);
        if (shownAddress_ == currentAddress())
            inPlace_.insert(generation);
        return;
    }
    if (current_ >= 0)
        fetchCurrent();
}

void ListLibrary::fetchCurrent(bool throughAccountApi)
{
    if (!fetcher_) {
        fetchWaiting_ = true;
        emit fetcherWanted();
        return;
    }
    const QString written = currentAddress();
    const ListLocation location = readListLocation(written);
    ListFetchRequest request{location.address, location.userAgent, location.referrer, {}, {}, kListSizeBound};
    if (request.userAgent.isEmpty())
        request.userAgent = settings_ ? settings_->listUserAgent() : QString();
    // Conditional only when the copy is what is shown: else the whole list is wanted.
    if (shownAddress_ == written)
        if (const std::optional<KeptLists::Copy> copy = kept_.find(location.address)) {
            request.etag = copy->etag;
            request.lastModified = copy->lastModified;
        }
    Refresh fetching = status_;
    fetching.kind = Refresh::Kind::Fetching;
    setStatus(fetching);
    std::optional<account::Login> login = throughAccountApi ? account::fromListAddress(location.address) : std::nullopt;
    if (login) {
        qCDebug(lcLists) << "asking the account of" << login->server;
        accountFetch_ = AccountFetch{std::move(*login), written, request, {}, 0};
        askAccount();
        return;
    }
    qCDebug(lcLists) << "fetching the list" << QUrl(location.address).adjusted(QUrl::RemoveQuery | QUrl::RemoveUserInfo).toString();
    fetcher_->fetch(request, [this, written](const ListFetchOutcome& outcome) { fetched(written, outcome); });
}

void ListLibrary::fetched(const QString& written, const ListFetchOutcome& outcome)
{
    if (written != currentAddress())
        return; // another list was opened meanwhile
    const QString address = readListLocation(written).address;
    const std::optional<KeptLists::Copy> copy = kept_.find(address);
    switch (outcome.kind) {
    case ListFetchOutcome::Kind::Failed: {
        Refresh failed;
        failed.kind = Refresh::Kind::Failed;
        failed.problem = outcome.problem;
        failed.httpStatus = outcome.httpStatus;
        failed.copyFrom = shownAddress_ == written && copy ? copy->fetched : QDateTime();
        qCInfo(lcLists) << "the list was not fetched:" << int(outcome.problem) << outcome.httpStatus;
        setStatus(failed);
        return;
    }
    case ListFetchOutcome::Kind::NotModified:
        kept_.stillCurrent(address, QDateTime::currentDateTimeUtc());
        if (shownAddress_ == written) {
            setStatus(Refresh::of(Refresh::Kind::Unchanged));
            return;
        }
        // The copy was not shown (it was asked for whole): show it.
        if (copy)
            fetchLoad_ = loader_.loadWith([path = copy->path, address](const std::atomic<bool>&) { return readKeptCopy(path, address); });
        break;
    case ListFetchOutcome::Kind::Fetched:
        // Judged, read and kept off the window's thread; the copy is replaced only by a list that was taken.
        fetchLoad_ = loader_.loadWith([body = outcome.body, address, etag = outcome.etag, modified = outcome.lastModified,
                                       kept = kept_](const std::atomic<bool>&) {
            FetchedList judged = judgeFetchedList(body, address);
            if (!judged.taken()) {
                PlaySourceFile refused;
                refused.keepsCurrentList = true;
                refused.refused = judged.problem;
                return refused;
            }
            kept.keep(address, judged.bytes, etag, modified, QDateTime::currentDateTimeUtc());
            return std::move(judged.file);
        });
        break;
    }
    fetchLoadAddress_ = written;
    if (shownAddress_ == written)
        inPlace_.insert(fetchLoad_);
}

void ListLibrary::shown(std::uint64_t generation, const PlaySourceFile& file)
{
    const bool inPlace = inPlace_.erase(generation) != 0;
    completeShown(generation, file.refused, inPlace && !file.keepsCurrentList, {});
}

void ListLibrary::shownInPlace(std::uint64_t generation, ListColumns before, ListColumns after)
{
    inPlace_.erase(generation);
    // Counted off the window's thread: for a big list it takes longer than a
    // frame. The answer is posted only while the library is there to take it.
    QThreadPool::globalInstance()->start([alive = alive_, generation, before = std::move(before), after = std::move(after)] {
        const ListChanges changes = countListChanges(before, after);
        const std::lock_guard lock(alive->lock);
        if (ListLibrary* library = alive->library)
            QMetaObject::invokeMethod(library, [library, generation, changes] {
                library->completeShown(generation, ListProblem::None, true, changes);
            }, Qt::QueuedConnection);
    });
}

void ListLibrary::completeShown(std::uint64_t generation, ListProblem refused, bool inPlace, ListChanges changes)
{
    if (generation != fetchLoad_ || fetchLoadAddress_ != currentAddress()) {
        if (inPlace) // a local list read again
            setStatus(Refresh::of(Refresh::Kind::Updated, changes.added, changes.removed));
        return;
    }
    if (refused != ListProblem::None) {
        Refresh failed;
        failed.kind = Refresh::Kind::Failed;
        failed.problem = refused;
        const std::optional<KeptLists::Copy> copy = kept_.find(readListLocation(fetchLoadAddress_).address);
        failed.copyFrom = shownAddress_ == fetchLoadAddress_ && copy ? copy->fetched : QDateTime();
        qCInfo(lcLists) << "the fetched list was refused:" << int(refused);
        setStatus(failed);
        return;
    }
    shownAddress_ = fetchLoadAddress_;
    setStatus(Refresh::of(Refresh::Kind::Updated, changes.added, changes.removed));
}

void ListLibrary::setFetcher(std::unique_ptr<ListFetcher> fetcher)
{
    fetcher_ = std::move(fetcher);
    if (fetcher_ && std::exchange(fetchWaiting_, false) && isCurrentRemote())
        fetchCurrent();
}

void ListLibrary::fetcherUnavailable()
{
    if (!std::exchange(fetchWaiting_, false))
        return;
    Refresh failed;
    failed.kind = Refresh::Kind::Failed;
    failed.problem = ListProblem::Network;
    if (const std::optional<KeptLists::Copy> copy = kept_.find(readListLocation(currentAddress()).address);
        copy && shownAddress_ == currentAddress())
        failed.copyFrom = copy->fetched;
    setStatus(failed);
}

void ListLibrary::setStatus(Refresh status)
{
    // An account's standing stays with its list, whatever its last refresh came to.
    status.account = accountNotedFor_ == currentAddress() ? accountNoted_ : account::Noted{};
    status_ = std::move(status);
    emit statusChanged();
}
