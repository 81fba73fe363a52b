#pragma once

#include "core/lists/ListChanges.h"
#include "core/lists/ListFetcher.h"
#include "core/lists/ListRef.h"
#include "sources/KeptLists.h"
#include "sources/PlaySource.h"
#include "sources/ProviderAccount.h"

#include <array>

#include <QDateTime>
#include <QObject>
#include <QTimer>

#include <cstdint>
#include <memory>
#include <mutex>
#include <set>
#include <vector>

class PlaySourceLoader;
class UserSettings;

// The user's lists and which one is shown: the list beside the program (or in
// the config folder) as before, and any number of lists by name and address.
// A list by address shows its kept copy at once and is fetched in the
// background when that copy is older than the refresh setting, and again at
// that interval; what a fetch brings replaces the list in place. The fetcher
// comes with the network module, asked for the first time one is needed.
class ListLibrary final : public QObject {
    Q_OBJECT
public:
    // What the last refresh of the list shown came to.
    struct Refresh {
        enum class Kind { Quiet, Fetching, Updated, Unchanged, Failed };
        Kind kind = Kind::Quiet;
        int added = 0;
        int removed = 0;
        ListProblem problem = ListProblem::None; // Failed: why
        int httpStatus = 0;
        QDateTime copyFrom; // Failed: when the copy shown was fetched; invalid when none is shown
        account::Noted account; // a provider's account: where it stands; empty for other lists

        static Refresh of(Kind kind, int added = 0, int removed = 0)
        {
            Refresh status;
            status.kind = kind;
            status.added = added;
            status.removed = removed;
            return status;
        }
    };
    static constexpr int kLocalList = -1; // current(): the list beside the program
    static constexpr int kNoList = -2;    // current(): no list opened yet

    ListLibrary(UserSettings* settings, PlaySourceLoader& loader, KeptLists kept = KeptLists(), QObject* parent = nullptr);
    ~ListLibrary() override;

    // The list beside the program, if there is one (empty: none).
    void setLocalList(const QString& path) { localList_ = path; }
    const QString& localList() const { return localList_; }
    const std::vector<ListRef>& lists() const { return lists_; }
    // kLocalList, an index of lists(), or kNoList before any list was opened.
    int current() const { return current_; }
    bool isCurrentRemote() const;
    const Refresh& status() const { return status_; }

    // At start: the list beside the program when there is one (unless the
    // list chosen last wins by the setting), else the list chosen last.
    // Returns the load's generation, 0 when nothing loads now.
    std::uint64_t openAtStart();
    // `remember`: it becomes the list chosen last.
    std::uint64_t openLocal(bool remember = true);
    std::uint64_t open(int index);
    // A list the user named (or gave on the command line): added, or renamed
    // when its address is there already, and opened.
    std::uint64_t addAndOpen(const QString& name, const QString& written);
    // The list leaves the menu and its kept copy goes; the list shown stays until another is opened.
    void remove(int index);
    // The lists as the settings window (or a copy brought in) left them, in
    // their order. The list shown stays shown; it stays the one chosen while
    // its address is there.
    void replaceLists(std::vector<ListRef> lists);
    // The refresh interval changed: the next refresh comes that long after now.
    void refreshIntervalChanged();
    // F5: the list shown again: a list by address fetched, a local file read again.
    void refresh();

    // The network module is open: its fetcher does what was waiting for it.
    void setFetcher(std::unique_ptr<ListFetcher> fetcher);
    bool hasFetcher() const { return fetcher_ != nullptr; }
    // The network module could not be opened: what waited for it fails, the list shown stays.
    void fetcherUnavailable();

    // Whether this load replaces the list shown in place (a refresh of it).
    bool isInPlace(std::uint64_t generation) const { return inPlace_.count(generation) != 0; }
    // The window showed (or refused) what a load brought in place of the list.
    void shown(std::uint64_t generation, const PlaySourceFile& file);
    // The window refreshed the list in place; what changed is counted from its entries before and after.
    void shownInPlace(std::uint64_t generation, ListColumns before, ListColumns after);

    // A name for a list given by address alone: its file's name, else its host.
    static QString nameFor(const QString& written);

signals:
    void fetcherWanted();
    void statusChanged();
    void listsChanged();
    // A provider's account allows one connection at a time: its server is such from the start.
    void oneConnectionAccount(const QString& server);

private:
    std::uint64_t openRemote(const ListRef& list);
    // An account's address is read through its API unless `throughAccountApi` is false.
    void fetchCurrent(bool throughAccountApi = true);
    void forgetCurrent();
    void fetched(const QString& address, const ListFetchOutcome& outcome);
    // A provider's account: its login, categories and streams, asked one after the other.
    void askAccount();
    void accountAnswered(const ListFetchOutcome& outcome);
    void failAccount(const QString& written, Refresh failed);
    void setStatus(Refresh status);
    void completeShown(std::uint64_t generation, ListProblem refused, bool inPlace, ListChanges changes);
    QString currentAddress() const;

    UserSettings* settings_;
    PlaySourceLoader& loader_;
    KeptLists kept_;
    std::unique_ptr<ListFetcher> fetcher_;
    QString localList_;
    std::vector<ListRef> lists_;
    int current_ = kNoList;
    QString shownAddress_; // the address whose entries are shown (a kept copy or fetched)
    bool fetchWaiting_ = false;
    std::set<std::uint64_t> inPlace_;
    std::uint64_t fetchLoad_ = 0; // the load of what the last fetch brought
    QString fetchLoadAddress_;
    Refresh status_;
    QTimer refreshTimer_;
    struct AccountFetch {
        account::Login login;
        QString written; // the list's address as the user gave it
        ListFetchRequest request;
        std::array<QByteArray, 3> answers;
        std::size_t asked = 0;
    };
    std::optional<AccountFetch> accountFetch_;
    account::Noted accountNoted_; // where the account of accountNotedFor_ stands
    QString accountNotedFor_;
    // What a count on the thread pool posts its answer to, until the library goes.
    struct Alive {
        std::mutex lock;
        ListLibrary* library = nullptr;
    };
    std::shared_ptr<Alive> alive_;
};
