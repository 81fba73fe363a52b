#pragma once

#include <QObject>
#include <QPointer>

#include <memory>

// System-wide hot keys, reported by the pressed signal on the window's thread,
// with the arguments (hot-key id, 0). Ids start at 33001 and grow by one with
// each registration; 0 means the registration failed.
//
// A registered key is held (grabbed from every other application) only while
// SetGrabbed(id, true) is in force. While the key is not held, or could not be
// had at all, it still reaches the receiver when the window has the keyboard focus.
class HotKeyService : public QObject {
    Q_OBJECT
public:
    // Modifier codes: 1 Ctrl, 2 Shift, 4 Alt, and their sums.
    enum Modifier { Ctrl = 1, Shift = 2, Alt = 4 };
    static constexpr int kFirstId = 33001;

    // The platform's implementation.
    static std::unique_ptr<HotKeyService> create();
    ~HotKeyService() override;

    // Registers the key and takes it at once; returns its id, or 0 when the key
    // can't be taken (another application holds it, or there is no such service).
    // `window` is the window whose keys the focus path watches.
    int Register(QObject& window, int modifiers, int virtualKey);
    // Takes or gives back a registered key; false when it can't be taken.
    bool SetGrabbed(int id, bool grabbed);

signals:
    void pressed(int id, int second);

protected:
    struct Key {
        int id = 0;
        int modifiers = 0;
        int virtualKey = 0;
        bool grabbed = false;
    };

    // Platform part: take and give back the key system-wide.
    virtual bool grab(const Key& key) = 0;
    virtual void ungrab(const Key& key) = 0;
    // A press of a held key, seen by the platform part.
    void deliver(const Key& key);
    const Key* findKey(int id) const;
    const std::vector<Key>& keys() const { return keys_; }

    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::vector<Key> keys_;
    int lastId_ = kFirstId - 1;
    QPointer<QObject> window_;
};
