#include "core/settings/UserSettings.h"

#include "core/CoreLog.h"
#include "core/guide/GuideSources.h"

#include <QSettings>

#include <algorithm>

namespace {

QSettings store()
{
    return QSettings(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("clipvane"), QStringLiteral("clipvane"));
}

// Opens an array of the file for reading. Its count as the file says, but
// no more than the entries it holds: a damaged or hostile "size=2000000000"
// reads what is there rather than filling memory.
int beginBoundedArray(QSettings& settings, const QString& array)
{
    const int said = settings.beginReadArray(array);
    return std::clamp(said, 0, int(settings.childGroups().size()));
}

// The file's arrays of channels (favourites, first addresses, pictures): one
// group an entry, its channel's name and address, then what it keeps of it.
template <class Entry, class Read>
std::vector<Entry> readChannelArray(const QString& array, Read read)
{
    QSettings settings = store();
    std::vector<Entry> entries;
    const int count = beginBoundedArray(settings, array);
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

// A value as the INI format gives it back: text with a comma comes as a list.
QString writtenText(const QVariant& stored, const SettingRow& row)
{
    const QStringList parts = stored.toStringList();
    return settingNormalized(row, parts.join(row.kind == SettingRow::Kind::GuideList ? u'\n' : u','));
}

} // namespace

QString UserSettings::value(const SettingRow& row) const
{
    const QVariant stored = store().value(QLatin1String(row.key));
    if (!stored.isValid())
        return QString::fromLatin1(row.fallback);
    const QString written = writtenText(stored, row);
    if (written.isEmpty())
        return QString::fromLatin1(row.fallback);
    // Guides one by one: a guide that cannot be read costs the others nothing.
    if (row.kind == SettingRow::Kind::GuideList) {
        QStringList kept;
        for (const QString& line : written.split(u'\n')) {
            if (const QString problem = guideLineProblem(line); !problem.isEmpty())
                tell(row, line, problem, QStringLiteral("it is left out"));
            else
                kept.append(line);
        }
        return kept.join(u'\n');
    }
    const QString problem = settingProblem(row, written);
    if (problem.isEmpty())
        return written;
    tell(row, written, problem, QStringLiteral("the default \"%1\" is taken").arg(QLatin1String(row.fallback)));
    return QString::fromLatin1(row.fallback);
}

void UserSettings::tell(const SettingRow& row, const QString& written, const QString& problem, const QString& instead) const
{
    const QString told = QLatin1String(row.key) + u'=' + written;
    if (told_.contains(told))
        return;
    told_.insert(told);
    qCWarning(lcSettings).noquote() << QStringLiteral("clipvane.conf: %1=%2 is no valid value (%3): %4")
                                           .arg(QLatin1String(row.key), written, problem, instead);
}

QString UserSettings::value(QStringView key) const
{
    const SettingRow* row = settingRow(key);
    Q_ASSERT_X(row, "UserSettings::value", "a key the settings table does not have");
    return row ? value(*row) : QString();
}

SettingValues UserSettings::written() const
{
    const QSettings settings = store();
    SettingValues values;
    for (const SettingRow& row : settingsTable())
        if (const QVariant stored = settings.value(QLatin1String(row.key)); stored.isValid())
            values[QString::fromLatin1(row.key)] = writtenText(stored, row);
    return values;
}

void UserSettings::save(const SettingValues& values)
{
    QSettings settings = store();
    for (const SettingRow& row : settingsTable()) {
        const QString key = QString::fromLatin1(row.key);
        const auto given = values.find(key);
        if (given == values.end())
            continue;
        const QString value = settingNormalized(row, given->second);
        if (value == QLatin1String(row.fallback))
            settings.remove(key);
        else if (row.kind == SettingRow::Kind::GuideList)
            settings.setValue(key, value.split(u'\n'));
        else
            settings.setValue(key, value);
    }
    // QSettings writes a new file and renames it over the old one.
    settings.sync();
}

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

void UserSettings::forgetLastChannel()
{
    QSettings settings = store();
    settings.remove(QStringLiteral("lastChannel"));
}

bool UserSettings::startsPlaying() const
{
    return value(u"start") == u"last";
}

std::vector<Reminder> UserSettings::reminders() const
{
    return readChannelArray<Reminder>(QStringLiteral("reminders"), [](const ChannelKey& channel, const QSettings& kept) {
        return Reminder{channel, kept.value(QStringLiteral("start")).toLongLong(), kept.value(QStringLiteral("title")).toString()};
    });
}

void UserSettings::setReminders(const std::vector<Reminder>& reminders)
{
    writeChannelArray(QStringLiteral("reminders"), reminders, [](const Reminder& one, QSettings& settings) -> const ChannelKey& {
        settings.setValue(QStringLiteral("start"), one.start);
        settings.setValue(QStringLiteral("title"), one.title);
        return one.channel;
    });
}

std::vector<RecordingPlan> UserSettings::recordingPlans() const
{
    return readChannelArray<RecordingPlan>(QStringLiteral("recordings"), [](const ChannelKey& channel, const QSettings& kept) {
        return RecordingPlan{channel, kept.value(QStringLiteral("start")).toLongLong(),
                             kept.value(QStringLiteral("stop")).toLongLong(), kept.value(QStringLiteral("title")).toString()};
    });
}

void UserSettings::setRecordingPlans(const std::vector<RecordingPlan>& plans)
{
    writeChannelArray(QStringLiteral("recordings"), plans, [](const RecordingPlan& one, QSettings& settings) -> const ChannelKey& {
        settings.setValue(QStringLiteral("start"), one.start);
        settings.setValue(QStringLiteral("stop"), one.stop);
        settings.setValue(QStringLiteral("title"), one.title);
        return one.channel;
    });
}

RecordingPlans::Padding UserSettings::recordingPadding() const
{
    return {value(u"record-before-minutes").toInt(), value(u"record-after-minutes").toInt()};
}

bool UserSettings::remindersSwitch() const
{
    return value(u"reminder-switch") == u"on";
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
    return value(u"epg").split(u'\n', Qt::SkipEmptyParts);
}

int UserSettings::guideRefreshHours() const
{
    return value(u"epg-refresh-hours").toInt();
}

QString UserSettings::screenshotFolder() const
{
    return value(u"screenshot-folder");
}

CatchupSettings UserSettings::catchup() const
{
    CatchupSettings catchup;
    catchup.source = value(u"catchup-source");
    catchup.zoneMinutes = readZoneMinutes(value(u"catchup-zone"));
    return catchup;
}

QString UserSettings::preopen() const
{
    return value(u"preopen");
}

int UserSettings::cachingMs() const
{
    return value(u"network-buffer").toInt();
}

int UserSettings::timeShiftMinutes() const
{
    return value(u"timeshift-minutes").toInt();
}

int UserSettings::timeShiftMegabytes() const
{
    return value(u"timeshift-megabytes").toInt();
}

std::vector<ListRef> UserSettings::lists() const
{
    QSettings settings = store();
    std::vector<ListRef> lists;
    const int count = beginBoundedArray(settings, QStringLiteral("lists"));
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
    return value(u"list-start") == u"last";
}

QString UserSettings::listUserAgent() const
{
    return value(u"list-user-agent");
}

int UserSettings::listRefreshHours() const
{
    // At most twenty days: a timer counts milliseconds in an int.
    return value(u"list-refresh-hours").toInt();
}
