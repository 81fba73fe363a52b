#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>
#include <thread>

struct ProgramState;
class ThreadMailbox;

// The list check comes as a module of its own (it needs Qt's network
// module): opened off the window's thread the first time a check is asked
// for; the checker is then made on the window's thread, into the state.
class ListCheckModule final : public QObject {
    Q_OBJECT
public:
    ListCheckModule(ProgramState& state, QStringList modulePaths, QObject* parent = nullptr);
    ~ListCheckModule() override;

    // `ready` runs on the window's thread once the state has its checker;
    // `failed` with why, when the module could not be opened.
    void open(std::function<void()> ready, std::function<void(const QString& why)> failed);

private:
    ProgramState& state_;
    QStringList modulePaths_;
    ThreadMailbox* mailbox_;
    std::thread loader_;
    bool opening_ = false;
};
