#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <vector>
#include <thread>

class ListFetcher;
class SharedLibrary;
struct ProgramState;
class ThreadMailbox;

// The list's network work (the check of its addresses, the fetch of lists by
// address) comes as a module of its own, as it needs Qt's network module:
// opened off the window's thread the first time a check or a fetch is asked
// for; what it makes is then made on the window's thread.
class ListCheckModule final : public QObject {
    Q_OBJECT
public:
    ListCheckModule(ProgramState& state, QStringList modulePaths, QObject* parent = nullptr);
    ~ListCheckModule() override;

    // `ready` runs on the window's thread once the state has its checker;
    // `failed` with why, when the module could not be opened.
    void open(std::function<void()> ready, std::function<void(const QString& why)> failed);
    // `made` gets a list fetcher, on the window's thread.
    void openFetcher(std::function<void(std::unique_ptr<ListFetcher>)> made,
                     std::function<void(const QString& why)> failed);

private:
    // What to make once the module is open; false when it lacks the symbol.
    using Use = std::function<bool(SharedLibrary&)>;
    void whenOpen(Use use, std::function<void(const QString& why)> failed);
    struct Waiting {
        Use use;
        std::function<void(const QString&)> failed;
    };
    std::vector<Waiting> waiting_;

    ProgramState& state_;
    QStringList modulePaths_;
    ThreadMailbox* mailbox_;
    std::thread loader_;
    bool opening_ = false;
};
