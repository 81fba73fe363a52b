#include "UserSettings.h"

#include "CoreLog.h"
#include "GuideSources.h"

#include <QSettings>

namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"));
}

// The file's arrays of channels (favourites, first addresses, pictures): one
// group an entry, its channel's name and address, then what it keeps of it.
template <class Entry, class Read>
std::vector<Entry> readChannelArray(const QString& array, Read read)
{
    QSettings settings = store();
    std::vector<Entry> entries;
    const int count = settings.beginReadArray(array);
    for (int index = 0; index < count; ++index) {
        settings.setArrayIndex(index);
        entries.push_back(read(ChannelKey{settings.value(QStringLiteral("name")).toString(),
                                          settings.value(QStringLiteral("address")).toString()},
                               settings));
    }
    settings.endArray();
    return entries;
}

template <class Entry, class Write>
void writeChannelArray(const QString& array, const std::vector<Entry>& entries, Write write)
{
    QSettings settings = store();
    settings.remove(array);
    settings.beginWriteArray(array, int(entries.size()));
    for (size_t index = 0; index < entries.size(); ++index) {
        settings.setArrayIndex(int(index));
        const ChannelKey& channel = write(entries[index], settings);
        settings.setValue(QStringLiteral("name"), channel.name);
        settings.setValue(QStringLiteral("address"), channel.address);
    }
    settings.endArray();
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
    return readChannelArray<ChannelKey>(QStringLiteral("favourites"),
                                        [](const ChannelKey& channel, const QSettings&) { return channel; });
}

void UserSettings::setFavourites(const std::vector<ChannelKey>& favourites)
{
    writeChannelArray(QStringLiteral("favourites"), favourites,
                      [](const ChannelKey& channel, QSettings&) -> const ChannelKey& { return channel; });
}

std::vector<UserSettings::FirstAddress> UserSettings::firstAddresses() const
{
    return readChannelArray<FirstAddress>(QStringLiteral("firstAddresses"), [](const ChannelKey& channel, const QSettings& kept) {
        return FirstAddress{channel, kept.value(QStringLiteral("first")).toString()};
    });
}

void UserSettings::setFirstAddresses(const std::vector<FirstAddress>& kept)
{
    writeChannelArray(QStringLiteral("firstAddresses"), kept, [](const FirstAddress& one, QSettings& settings) -> const ChannelKey& {
        settings.setValue(QStringLiteral("first"), one.second);
        return one.first;
    });
}

std::vector<PictureChoices::Kept> UserSettings::pictures() const
{
    return readChannelArray<PictureChoices::Kept>(QStringLiteral("pictures"), [](const ChannelKey& channel, const QSettings& kept) {
        PictureSettings picture;
        picture.shape = PictureChoices::shapeNamed(kept.value(QStringLiteral("shape")).toString());
        picture.deinterlace = PictureChoices::deinterlaceNamed(kept.value(QStringLiteral("deinterlace")).toString());
        return PictureChoices::Kept{channel, picture};
    });
}

void UserSettings::setPictures(const std::vector<PictureChoices::Kept>& kept)
{
    writeChannelArray(QStringLiteral("pictures"), kept, [](const PictureChoices::Kept& one, QSettings& settings) -> const ChannelKey& {
        settings.setValue(QStringLiteral("shape"), PictureChoices::shapeName(one.second.shape));
        settings.setValue(QStringLiteral("deinterlace"), PictureChoices::deinterlaceName(one.second.deinterlace));
        return one.first;
    });
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

std::vector<ListRef> UserSettings::lists() const
{
    QSettings settings = store();
    std::vector<ListRef> lists;
    const int count = settings.beginReadArray(QStringLiteral("lists"));
    for (int index = 0; index < count; ++index) {
        settings.setArrayIndex(index);
        ListRef list{settings.value(QStringLiteral("name")).toString(), settings.value(QStringLiteral("address")).toString()};
        if (!list.address.trimmed().isEmpty())
            lists.push_back(std::move(list));
    }
    settings.endArray();
    return lists;
}

void UserSettings::setLists(const std::vector<ListRef>& lists)
{
    QSettings settings = store();
    settings.remove(QStringLiteral("lists"));
    settings.beginWriteArray(QStringLiteral("lists"), int(lists.size()));
    for (size_t index = 0; index < lists.size(); ++index) {
        settings.setArrayIndex(int(index));
        settings.setValue(QStringLiteral("name"), lists[index].name);
        settings.setValue(QStringLiteral("address"), lists[index].address);
    }
    settings.endArray();
}

QString UserSettings::chosenList() const
{
    // An address with a comma (in its query) comes back from the INI format as a list.
    return store().value(QStringLiteral("list")).toStringList().join(u',');
}

void UserSettings::setChosenList(const QString& address)
{
    QSettings settings = store();
    settings.setValue(QStringLiteral("list"), address);
}

bool UserSettings::chosenListWins() const
{
    return store().value(QStringLiteral("list-start")).toString().trimmed().compare(u"last", Qt::CaseInsensitive) == 0;
}

QString UserSettings::listUserAgent() const
{
    const QString agent = store().value(QStringLiteral("list-user-agent")).toStringList().join(u',').trimmed();
    return agent.isEmpty() ? QStringLiteral("okhttp/3.15") : agent;
}

int UserSettings::listRefreshHours() const
{
    const QVariant written = store().value(QStringLiteral("list-refresh-hours"));
    bool number = false;
    const int hours = written.toInt(&number);
    if (written.isValid() && (!number || hours < 1)) {
        qCWarning(lcLists) << "list-refresh-hours" << written.toString() << "is not a number of hours from 1: 6 is taken";
        return 6;
    }
    // A timer counts milliseconds in an int: twenty days is the longest it holds with room.
    constexpr int kLongest = 24 * 20;
    if (number && hours > kLongest) {
        qCWarning(lcLists) << "list-refresh-hours" << hours << "is more than" << kLongest << "hours:" << kLongest << "is taken";
        return kLongest;
    }
    return number ? hours : 6;
}
