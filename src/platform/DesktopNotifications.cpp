#include "DesktopNotifications.h"

#include "PlatformLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");

} // namespace

DesktopNotifications::DesktopNotifications(QDBusConnection bus, QString application, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), application_(std::move(application))
{
    if (!bus_.isConnected())
        return;
    // Any sender: the service's name may change hands while the program runs.
    bus_.connect({}, kPath, kService, QStringLiteral("ActionInvoked"), this,
                 SLOT(actionInvoked(uint, QString)));
    bus_.connect({}, kPath, kService, QStringLiteral("NotificationClosed"), this, SLOT(closed(uint, uint)));
}

void DesktopNotifications::show(const QString& summary, const QString& body, const QStringList& actions,
                                Answered answered, std::function<void()> failed)
{
    if (!bus_.isConnected()) {
        if (failed)
            failed();
        return;
    }
    QDBusMessage call = QDBusMessage::createMethodCall(kService, kPath, kService, QStringLiteral("Notify"));
    call << application_ << uint(0) << QString() << summary << body << actions << QVariantMap() << int(-1);
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this,
            [this, answered = std::move(answered), failed = std::move(failed)](QDBusPendingCallWatcher* done) {
                done->deleteLater();
                const QDBusPendingReply<uint> reply = *done;
                if (reply.isError()) {
                    qCInfo(lcDesktop) << "no desktop notification:" << reply.error().message();
                    if (failed)
                        failed();
                    return;
                }
                waiting_.insert(reply.value(), answered);
            });
}

void DesktopNotifications::actionInvoked(uint id, const QString& action)
{
    if (const Answered answered = waiting_.take(id))
        answered(action);
}

void DesktopNotifications::closed(uint id, uint)
{
    waiting_.remove(id);
}
