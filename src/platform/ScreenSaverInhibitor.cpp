#include "ScreenSaverInhibitor.h"

#include "PlatformLog.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

QDBusMessage screenSaverCall(const QString& method)
{
    return QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.ScreenSaver"),
                                          QStringLiteral("/org/freedesktop/ScreenSaver"),
                                          QStringLiteral("org.freedesktop.ScreenSaver"), method);
}

} // namespace

ScreenSaverInhibitor::ScreenSaverInhibitor(QDBusConnection bus, QString application, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), application_(std::move(application))
{
}

ScreenSaverInhibitor::~ScreenSaverInhibitor()
{
    wanted_ = false;
    release();
}

void ScreenSaverInhibitor::setInhibited(bool inhibited, const QString& reason)
{
    wanted_ = inhibited;
    if (inhibited && !cookie_ && !asking_)
        ask(reason);
    else if (!inhibited)
        release();
}

void ScreenSaverInhibitor::ask(const QString& reason)
{
    if (!bus_.isConnected())
        return;
    asking_ = true;
    QDBusMessage call = screenSaverCall(QStringLiteral("Inhibit"));
    call << application_ << reason;
    auto* watcher = new QDBusPendingCallWatcher(bus_.asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, reason](QDBusPendingCallWatcher* answered) {
        answered->deleteLater();
        asking_ = false;
        const QDBusPendingReply<uint> reply = *answered;
        if (reply.isError()) {
            qCInfo(lcDesktop) << "the screen saver could not be held off:" << reply.error().message();
            return;
        }
        cookie_ = reply.value();
        if (!wanted_)
            release();
    });
}

void ScreenSaverInhibitor::release()
{
    if (!cookie_)
        return;
    QDBusMessage call = screenSaverCall(QStringLiteral("UnInhibit"));
    call << *cookie_;
    cookie_.reset();
    bus_.asyncCall(call);
}
