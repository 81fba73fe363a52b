#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>
#include <thread>

struct ProgramState;
class ThreadMailbox;
class QWidget;

// The programme guide comes as a module of its own (its database, network
// and Chinese-variant libraries): nothing of it is loaded before the window
// has been painted. Then it is opened off the window's thread, the guide is
// made on the window's thread, and it is handed each list shown.
class GuideModule final : public QObject {
    Q_OBJECT
public:
    // `modulePaths` are tried in order.
    GuideModule(ProgramState& state, QStringList modulePaths, QString cacheFolder, QObject* parent = nullptr);
    ~GuideModule() override;

    // Starts once `window` has been painted.
    void startAfterPaint(QWidget& window);
    // A list is shown, or the settings changed: the guide reads for it (now, or once it is there).
    void listShown();

signals:
    // What the guide knows changed: what shows it may look again.
    void changed();

private:
    void start();
    void made();

    ProgramState& state_;
    QStringList modulePaths_;
    QString cacheFolder_;
    ThreadMailbox* mailbox_;
    std::thread loader_;
};
