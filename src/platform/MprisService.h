#pragma once

#include "MprisSource.h"

#include <QObject>
#include <QString>
#include <QVariantMap>

#include <functional>

class QDBusConnection;

// The player as a desktop's media controls and media keys see it: MPRIS 2
// (org.mpris.MediaPlayer2 and its Player interface) on the session bus. What
// the desktop asks goes to the actions; what the player does comes in as a
// state, and the desktop is told what changed.
class MprisService final : public QObject, public MprisSource {
    Q_OBJECT
public:
    struct State {
        enum class Status { Stopped, Playing, Paused };
        Status status = Status::Stopped;
        QString trackId;   // changes with every choice; empty while stopped
        QString title;     // the channel's name
        QString programme; // on now, from the guide; may be empty
        QString artUrl;    // the channel's logo; may be empty
        double volume = 1; // 1 is the player's own level
        bool operator==(const State&) const = default;
    };
    using Actions = MprisActions;

    MprisService(QString identity, QString desktopEntry, Actions actions, QObject* parent = nullptr);
    ~MprisService() override;

    // Offers the player on `bus` under `name`; false when the bus refuses.
    bool start(QDBusConnection& bus, const QString& name);
    void setState(const State& state);

    const State& state() const { return state_; }
    static QString statusName(State::Status status);
    // As the adaptors read them.
    QString identity() const override { return identity_; }
    QString desktopEntry() const override { return desktopEntry_; }
    QString playbackStatus() const override { return statusName(state_.status); }
    QVariantMap metadata() const override;
    double volume() const override { return state_.volume; }
    const Actions& actions() const override { return actions_; }

private:
    QString identity_;
    QString desktopEntry_;
    Actions actions_;
    State state_;
    QString busName_; // the connection's name, once started
    QString serviceName_;
};
