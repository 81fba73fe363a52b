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

bool UserSettings::startsPlaying() const
{
    return store().value(QStringLiteral("start")).toString().trimmed().compare(u"last", Qt::CaseInsensitive) == 0;
}

std::vector<ChannelKey> UserSettings::favourites() const
{
    QSettings settings = store();
    std::vector<ChannelKey> favourites;
    const int count = settings.beginReadArray(QStringLiteral("favourites"));
    for (int index = 0; index < count; ++index) {
        settings.setArrayIndex(index);
        favourites.push_back({settings.value(QStringLiteral("name")).toString(),
                              settings.value(QStringLiteral("address")).toString()});
    }
    settings.endArray();
    return favourites;
}

void UserSettings::setFavourites(const std::vector<ChannelKey>& favourites)
{
    QSettings settings = store();
    settings.remove(QStringLiteral("favourites"));
    settings.beginWriteArray(QStringLiteral("favourites"), int(favourites.size()));
    for (size_t index = 0; index < favourites.size(); ++index) {
        settings.setArrayIndex(int(index));
        settings.setValue(QStringLiteral("name"), favourites[index].name);
        settings.setValue(QStringLiteral("address"), favourites[index].address);
    }
    settings.endArray();
}

std::vector<UserSettings::FirstAddress> UserSettings::firstAddresses() const
{
    QSettings settings = store();
    std::vector<FirstAddress> kept;
    const int count = settings.beginReadArray(QStringLiteral("firstAddresses"));
    for (int index = 0; index < count; ++index) {
        settings.setArrayIndex(index);
        kept.push_back({{settings.value(QStringLiteral("name")).toString(),
                         settings.value(QStringLiteral("address")).toString()},
                        settings.value(QStringLiteral("first")).toString()});
    }
    settings.endArray();
    return kept;
}

void UserSettings::setFirstAddresses(const std::vector<FirstAddress>& kept)
{
    QSettings settings = store();
    settings.remove(QStringLiteral("firstAddresses"));
    settings.beginWriteArray(QStringLiteral("firstAddresses"), int(kept.size()));
    for (size_t index = 0; index < kept.size(); ++index) {
        settings.setArrayIndex(int(index));
        settings.setValue(QStringLiteral("name"), kept[index].first.name);
        settings.setValue(QStringLiteral("address"), kept[index].first.address);
        settings.setValue(QStringLiteral("first"), kept[index].second);
    }
    settings.endArray();
}

std::vector<PictureChoices::Kept> UserSettings::pictures() const
{
    QSettings settings = store();
    std::vector<PictureChoices::Kept> kept;
    const int count = settings.beginReadArray(QStringLiteral("pictures"));
    for (int index = 0; index < count; ++index) {
        settings.setArrayIndex(index);
        PictureSettings picture;
        picture.shape = PictureChoices::shapeNamed(settings.value(QStringLiteral("shape")).toString());
        picture.deinterlace = PictureChoices::deinterlaceNamed(settings.value(QStringLiteral("deinterlace")).toString());
        kept.emplace_back(ChannelKey{settings.value(QStringLiteral("name")).toString(),
                                     settings.value(QStringLiteral("address")).toString()},
                          picture);
    }
    settings.endArray();
    return kept;
}

void UserSettings::setPictures(const std::vector<PictureChoices::Kept>& kept)
{
    QSettings settings = store();
    settings.remove(QStringLiteral("pictures"));
    settings.beginWriteArray(QStringLiteral("pictures"), int(kept.size()));
    for (size_t index = 0; index < kept.size(); ++index) {
        settings.setArrayIndex(int(index));
        settings.setValue(QStringLiteral("name"), kept[index].first.name);
        settings.setValue(QStringLiteral("address"), kept[index].first.address);
        settings.setValue(QStringLiteral("shape"), PictureChoices::shapeName(kept[index].second.shape));
        settings.setValue(QStringLiteral("deinterlace"), PictureChoices::deinterlaceName(kept[index].second.deinterlace));
    }
    settings.endArray();
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
