#pragma once

#include <QObject>
#include <QString>

#include <functional>

// A second start with a list hands it to the Clipvane that runs, over the
// session bus, and ends: one window, whichever way a list is opened.
class ListHandoff final : public QObject {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.clipvane.Lists")
public:
    // The running window's side: `open` gets each list handed to it.
    explicit ListHandoff(std::function<void(const QString&)> open, QObject* parent = nullptr);
    ~ListHandoff() override;
    // Takes the bus name; false when another Clipvane has it (or there is no bus).
    bool start();

    // The second start's side: true when a running Clipvane took the list.
    static bool handToRunning(const QString& list);

public slots:
    void Open(const QString& list);

private:
    std::function<void(const QString&)> open_;
    bool registered_ = false;
};
