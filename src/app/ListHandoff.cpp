#include "ListHandoff.h"

#include "ApplicationId.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcHandoff, "clipvane.handoff", QtWarningMsg)

namespace {

QString serviceName()
{
    return applicationId() + QStringLiteral(".Lists");
}

const QString kPath = QStringLiteral("/org/clipvane/Lists");

} // namespace

ListHandoff::ListHandoff(std::function<void(const QString&)> open, QObject* parent)
    : QObject(parent), open_(std::move(open))
{
}

ListHandoff::~ListHandoff()
{
    if (!registered_)
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    bus.unregisterObject(kPath);
    bus.unregisterService(serviceName());
}

bool ListHandoff::start()
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    if (!bus.registerObject(kPath, this, QDBusConnection::ExportAllSlots))
        return false;
    if (!bus.registerService(serviceName())) {
        qCInfo(lcHandoff) << "another Clipvane takes the lists handed over";
        bus.unregisterObject(kPath);
        return false;
    }
    registered_ = true;
    return true;
}

bool ListHandoff::handToRunning(const QString& list)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface()->isServiceRegistered(serviceName()))
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(serviceName(), kPath, QStringLiteral("org.clipvane.Lists"),
                                                       QStringLiteral("Open"));
    call << list;
    const QDBusMessage reply = bus.call(call, QDBus::Block, 5000);
    return reply.type() == QDBusMessage::ReplyMessage;
}

void ListHandoff::Open(const QString& list)
{
    if (open_ && !list.trimmed().isEmpty())
        open_(list);
}
