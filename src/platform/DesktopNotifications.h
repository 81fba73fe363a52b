#pragma once

#include <QDBusConnection>
#include <QHash>
#include <QObject>
#include <QStringList>

#include <functional>

// Notifications through the desktop's org.freedesktop.Notifications on the
// session bus, with actions the user can pick. Never waits on the bus: a
// notification's number comes later, and the action picked after that.
class DesktopNotifications final : public QObject {
    Q_OBJECT
public:
    // What the user did with a notification: an action's key, or empty when it was closed without one.
    using Answered = std::function<void(const QString& action)>;

    DesktopNotifications(QDBusConnection bus, QString application, QObject* parent = nullptr);

    // `actions` as pairs of key and label. `failed` runs when no service shows it.
    void show(const QString& summary, const QString& body, const QStringList& actions, Answered answered,
              std::function<void()> failed = {});

private slots:
    void actionInvoked(uint id, const QString& action);
    void closed(uint id, uint reason);

private:
    QDBusConnection bus_;
    QString application_;
    QHash<uint, Answered> waiting_;
};
