#include "UserSettings.h"

#include "CoreLog.h"
#include "GuideSources.h"

#include <QSettings>

namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"));
}

} // namespace

std::optional<UserSettings::Channel> UserSettings::lastChannel() const
{
    const QSettings settings = store();
    if (!settings.contains(QStringLiteral("lastChannel/name")))
        return std::nullopt;
    return Channel{settings.value(QStringLiteral("lastChannel/name")).toString(),
                   settings.value(QStringLiteral("lastChannel/address")).toString()};
}

void UserSettings::setLastChannel(const Channel& channel)
{
    QSettings settings = store();
    settings.setValue(QStringLiteral("lastChannel/name"), channel.name);
    settings.setValue(QStringLiteral("lastChannel/address"), channel.address);
}

void UserSettings::setPreopen(const QString& mode)
{
    QSettings settings = store();
    settings.setValue(QStringLiteral("preopen"), mode);
}

QStringList UserSettings::guides() const
{
    // The INI format reads "a,b" as a list, and a single address as a string.
    return store().value(QStringLiteral("epg")).toStringList();
}

CatchupSettings UserSettings::catchup() const
{
    const QSettings settings = store();
    CatchupSettings catchup;
    // A template with a comma comes back as a list.
    catchup.source = settings.value(QStringLiteral("catchup-source")).toStringList().join(u',');
    const QString zone = settings.value(QStringLiteral("catchup-zone")).toString();
    catchup.zoneMinutes = readZoneMinutes(zone);
    if (!zone.isEmpty() && !catchup.zoneMinutes)
        qCWarning(lcCatchup) << "catchup-zone" << zone << "is no zone: +0800 is taken";
    return catchup;
}

QString UserSettings::preopen() const
{
    const QString value = store().value(QStringLiteral("preopen")).toString().trimmed().toLower();
    if (value == QLatin1String("off") || value == QLatin1String("next"))
        return value;
    return QStringLiteral("next+selection");
}
