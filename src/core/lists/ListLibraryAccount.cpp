// A provider's account as a list: its login, its categories and its streams
// asked one after the other, and made into a list kept as any other.
#include "core/lists/ListLibrary.h"

#include "core/CoreLog.h"
#include "sources/FetchedList.h"
#include "sources/ListLocation.h"
#include "sources/PlaySourceLoader.h"
#include "sources/ProviderAccount.h"

#include <QDateTime>

void ListLibrary::askAccount()
{
    AccountFetch& fetch = *accountFetch_;
    static const QString kActions[] = {QString(), QStringLiteral("get_live_categories"),
                                       QStringLiteral("get_live_streams")};
    ListFetchRequest request = fetch.request;
    request.address = account::apiAddress(fetch.login, kActions[fetch.asked]).toString(QUrl::FullyEncoded);
    request.etag.clear(); // the API's answers are asked whole
    request.lastModified.clear();
    fetcher_->fetch(request, [this](const ListFetchOutcome& outcome) { accountAnswered(outcome); });
}

void ListLibrary::accountAnswered(const ListFetchOutcome& outcome)
{
    if (!accountFetch_ || accountFetch_->written != currentAddress()) {
        accountFetch_.reset(); // another list was opened meanwhile
        return;
    }
    AccountFetch& fetch = *accountFetch_;
    const QString written = fetch.written;
    // A server of that address shape without the API (or with another): the address is a list as it stands.
    const auto asAList = [this](const QString& why) {
        qCInfo(lcLists) << "no account API answers there (" << why << "): the address is fetched as a list";
        accountFetch_.reset();
        fetchCurrent(false);
    };
    if (fetch.asked == 0 && outcome.kind == ListFetchOutcome::Kind::Failed && outcome.problem == ListProblem::HttpStatus) {
        asAList(QStringLiteral("status %1").arg(outcome.httpStatus));
        return;
    }
    if (outcome.kind != ListFetchOutcome::Kind::Fetched) {
        accountFetch_.reset();
        ListFetchOutcome failed = outcome;
        failed.kind = ListFetchOutcome::Kind::Failed;
        fetched(written, failed);
        return;
    }
    fetch.answers[fetch.asked] = outcome.body;
    if (fetch.asked == 0) {
        // The login says where the account stands before anything else is asked.
        QString why;
        const std::optional<account::State> state = account::readLogin(outcome.body, &why);
        if (!state) {
            asAList(why);
            return;
        }
        accountNoted_ = account::Noted{*state, {}};
        accountNotedFor_ = written;
        kept_.noteStanding(readListLocation(written).address, accountNoted_);
        if (state->maxConnections == 1)
            emit oneConnectionAccount(fetch.login.server);
        if (!account::letsPlay(*state)) {
            qCInfo(lcLists) << "the account cannot play:" << state->status;
            accountFetch_.reset();
            Refresh failed;
            failed.kind = Refresh::Kind::Failed;
            failed.problem = ListProblem::Account;
            failAccount(written, failed);
            return;
        }
    }
    if (++fetch.asked < fetch.answers.size()) {
        askAccount();
        return;
    }
    // Judged, made into M3U and kept off the window's thread, as any list.
    const QString address = readListLocation(written).address;
    fetchLoad_ = loader_.loadWith([fetch = std::move(fetch), address, kept = kept_,
                                   standing = accountNoted_](const std::atomic<bool>&) {
        account::Judged judged = account::judge(fetch.login, fetch.answers[0], fetch.answers[1], fetch.answers[2],
                                                account::wantsHls(address));
        if (!judged.fetched.taken()) {
            qCInfo(lcLists) << "the account's answers were refused:" << judged.why;
            PlaySourceFile refused;
            refused.keepsCurrentList = true;
            refused.refused = judged.fetched.problem;
            return refused;
        }
        kept.keep(address, judged.fetched.bytes, {}, {}, QDateTime::currentDateTimeUtc(), standing);
        return std::move(judged.fetched.file);
    });
    accountFetch_.reset();
    fetchLoadAddress_ = written;
    if (shownAddress_ == written)
        inPlace_.insert(fetchLoad_);
}

// The copy kept stays shown; the heading says why in the account's words.
void ListLibrary::failAccount(const QString& written, Refresh failed)
{
    const std::optional<KeptLists::Copy> copy = kept_.find(readListLocation(written).address);
    failed.copyFrom = shownAddress_ == written && copy ? copy->fetched : QDateTime();
    setStatus(failed);
}
