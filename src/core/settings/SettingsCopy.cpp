#include "core/settings/SettingsCopy.h"

#include "core/CoreLog.h"
#include "core/settings/UserSettings.h"
#include "sources/ListLocation.h"
#include "sources/ProviderAccount.h"

#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

namespace {

const QLatin1String kFormat("clipvane-settings");

QJsonObject channelJson(const ChannelKey& channel)
{
    return QJsonObject{{QStringLiteral("name"), channel.name}, {QStringLiteral("address"), channel.address}};
}

// What makes a copy damaged: said once, the read stops.
using Damage = CopyRefusal::Damage;

// What is wrong inside a copy, thrown from deep in its reading.
struct Damaged {
    CopyRefusal refusal;
};

Damaged damaged(Damage damage, QString name = {}, QString within = {})
{
    CopyRefusal refusal;
    refusal.kind = CopyRefusal::Kind::Damaged;
    refusal.damage = damage;
    refusal.name = std::move(name);
    refusal.within = std::move(within);
    return {refusal};
}

QJsonArray arrayOf(const QJsonObject& root, const char* name)
{
    const QJsonValue value = root.value(QLatin1String(name));
    if (value.isUndefined())
        return {};
    if (!value.isArray())
        throw damaged(Damage::NotAnArray, QLatin1String(name));
    return value.toArray();
}

QString textOf(const QJsonObject& object, const char* name, const char* within)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isString())
        throw damaged(Damage::ItemWithoutText, QLatin1String(name), QLatin1String(within));
    return value.toString();
}

ChannelKey channelOf(const QJsonValue& value, const char* within)
{
    if (!value.isObject())
        throw damaged(Damage::ItemNotAnObject, {}, QLatin1String(within));
    const QJsonObject object = value.toObject();
    return ChannelKey{textOf(object, "name", within), textOf(object, "address", within)};
}

SettingsCopy readCopy(const QJsonObject& root, QStringList& leftOut)
{
    SettingsCopy copy;
    const QJsonValue settings = root.value(QLatin1String("settings"));
    if (!settings.isUndefined() && !settings.isObject())
        throw damaged(Damage::SettingsNotAnObject);
    const QJsonObject written = settings.toObject();
    for (auto it = written.begin(); it != written.end(); ++it) {
        const SettingRow* row = settingRow(it.key());
        if (!row) {
            qCWarning(lcSettings) << "a copy names the setting" << it.key() << "this version does not know: left out";
            continue;
        }
        if (!it.value().isString())
            throw damaged(Damage::SettingNotText, it.key());
        QString value = settingNormalized(*row, it.value().toString());
        // What depends on this machine (a guide's file, a folder) is left out, not taken as damage.
        if (row->kind == SettingRow::Kind::GuideList) {
            QStringList kept;
            for (const QString& line : value.split(u'\n', Qt::SkipEmptyParts)) {
                if (const QString problem = guideLineProblem(line); problem.isEmpty())
                    kept.append(line);
                else
                    leftOut.append(QStringLiteral("%1：%2").arg(QString::fromUtf8(row->label), problem));
            }
            value = kept.join(u'\n');
        } else if (const QString problem = settingProblem(*row, value); !problem.isEmpty()) {
            if (row->kind != SettingRow::Kind::Folder) {
                Damaged invalid = damaged(Damage::SettingInvalid, it.key());
                invalid.refusal.value = value;
                invalid.refusal.detail = problem;
                throw invalid;
            }
            leftOut.append(QStringLiteral("%1：%2").arg(QString::fromUtf8(row->label), problem));
            value = QString::fromLatin1(row->fallback);
        }
        copy.settings[it.key()] = value;
    }
    for (const QJsonValue& value : arrayOf(root, "lists")) {
        const ChannelKey list = channelOf(value, "lists");
        if (list.address.trimmed().isEmpty())
            throw damaged(Damage::ListWithoutAddress);
        copy.lists.push_back({list.name, list.address});
    }
    const QJsonValue chosen = root.value(QLatin1String("chosenList"));
    if (!chosen.isUndefined() && !chosen.isString())
        throw damaged(Damage::ChosenListNotText);
    copy.chosenList = chosen.toString();
    for (const QJsonValue& value : arrayOf(root, "favourites"))
        copy.favourites.push_back(channelOf(value, "favourites"));
    for (const QJsonValue& value : arrayOf(root, "firstAddresses"))
        copy.firstAddresses.emplace_back(channelOf(value, "firstAddresses"),
                                         textOf(value.toObject(), "first", "firstAddresses"));
    for (const QJsonValue& value : arrayOf(root, "pictures")) {
        const ChannelKey channel = channelOf(value, "pictures");
        PictureSettings picture;
        picture.shape = PictureChoices::shapeNamed(value.toObject().value(QLatin1String("shape")).toString());
        picture.deinterlace =
            PictureChoices::deinterlaceNamed(value.toObject().value(QLatin1String("deinterlace")).toString());
        copy.pictures.emplace_back(channel, picture);
    }
    const QJsonValue last = root.value(QLatin1String("lastChannel"));
    if (!last.isUndefined() && !last.isNull())
        copy.lastChannel = channelOf(last, "lastChannel");
    return copy;
}

// Here's entries, then the brought ones for keys here has not.
template <class Entry, class Key>
std::vector<Entry> joined(const std::vector<Entry>& here, const std::vector<Entry>& brought, Key key)
{
    std::vector<Entry> all = here;
    for (const Entry& entry : brought)
        if (std::none_of(all.begin(), all.end(), [&](const Entry& kept) { return key(kept) == key(entry); }))
            all.push_back(entry);
    return all;
}

// Entries added, removed and changed, matched by key: the n-th entry of a key
// after with the n-th of that key before, so that two lists of one address
// compared with themselves change nothing.
template <class Entry, class Key>
CopyChanges::Count counted(const std::vector<Entry>& before, const std::vector<Entry>& after, Key key)
{
    using KeyType = std::decay_t<decltype(key(before.front()))>;
    QHash<KeyType, std::vector<const Entry*>> earlier;
    for (const Entry& entry : before)
        earlier[key(entry)].push_back(&entry);
    QHash<KeyType, size_t> met;
    CopyChanges::Count count;
    for (const Entry& entry : after) {
        const KeyType k = key(entry);
        const size_t nth = met[k]++;
        const auto was = earlier.constFind(k);
        if (was == earlier.cend() || nth >= was->size())
            ++count.added;
        else if (!(*(*was)[nth] == entry))
            ++count.changed;
    }
    for (auto it = earlier.cbegin(); it != earlier.cend(); ++it)
        count.removed += int(it->size() - std::min(it->size(), size_t(met.value(it.key()))));
    return count;
}

SettingsCopyRead refusal(CopyRefusal::Kind kind, int number = 0, QString detail = {})
{
    SettingsCopyRead read;
    read.refused = CopyRefusal{kind, Damage::None, number, {}, {}, {}, std::move(detail)};
    return read;
}

} // namespace

SettingsCopy copyOf(const UserSettings& settings)
{
    SettingsCopy copy;
    for (const SettingRow& row : settingsTable())
        copy.settings[QString::fromLatin1(row.key)] = settings.value(row);
    copy.lists = settings.lists();
    copy.chosenList = settings.chosenList();
    copy.favourites = settings.favourites();
    copy.firstAddresses = settings.firstAddresses();
    copy.pictures = settings.pictures();
    copy.lastChannel = settings.lastChannel();
    return copy;
}

QByteArray settingsCopyJson(const SettingsCopy& copy)
{
    QJsonObject values;
    for (const auto& [key, value] : copy.settings)
        values.insert(key, value);
    QJsonArray lists, favourites, firstAddresses, pictures;
    for (const ListRef& list : copy.lists)
        lists.append(QJsonObject{{QStringLiteral("name"), list.name}, {QStringLiteral("address"), list.address}});
    for (const ChannelKey& channel : copy.favourites)
        favourites.append(channelJson(channel));
    for (const auto& [channel, first] : copy.firstAddresses) {
        QJsonObject entry = channelJson(channel);
        entry.insert(QStringLiteral("first"), first);
        firstAddresses.append(entry);
    }
    for (const auto& [channel, picture] : copy.pictures) {
        QJsonObject entry = channelJson(channel);
        entry.insert(QStringLiteral("shape"), PictureChoices::shapeName(picture.shape));
        entry.insert(QStringLiteral("deinterlace"), PictureChoices::deinterlaceName(picture.deinterlace));
        pictures.append(entry);
    }
    QJsonObject root{{QStringLiteral("format"), kFormat},
                     {QStringLiteral("version"), SettingsCopy::kVersion},
                     {QStringLiteral("settings"), values},
                     {QStringLiteral("lists"), lists},
                     {QStringLiteral("chosenList"), copy.chosenList},
                     {QStringLiteral("favourites"), favourites},
                     {QStringLiteral("firstAddresses"), firstAddresses},
                     {QStringLiteral("pictures"), pictures}};
    if (copy.lastChannel)
        root.insert(QStringLiteral("lastChannel"), channelJson(*copy.lastChannel));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

SettingsCopyRead readSettingsCopy(const QByteArray& json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        return refusal(CopyRefusal::Kind::NotJson, error.offset, error.errorString());
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QLatin1String("format")).toString() != kFormat)
        return refusal(CopyRefusal::Kind::NotACopy);
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != double(version.toInt()))
        return refusal(CopyRefusal::Kind::NoVersion);
    if (version.toInt() > SettingsCopy::kVersion)
        return refusal(CopyRefusal::Kind::NewerVersion, version.toInt());
    try {
        SettingsCopyRead read;
        read.copy = readCopy(root, read.leftOut);
        return read;
    } catch (const Damaged& found) {
        SettingsCopyRead read;
        read.refused = found.refusal;
        return read;
    }
}

SettingsCopyRead readSettingsCopyFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refusal(CopyRefusal::Kind::Unreadable, 0, file.errorString());
    if (file.size() > SettingsCopy::kLargest)
        return refusal(CopyRefusal::Kind::TooLarge);
    return readSettingsCopy(file.read(SettingsCopy::kLargest));
}

SettingsCopy combined(const SettingsCopy& here, const SettingsCopy& brought, ImportMode mode)
{
    if (mode == ImportMode::Replace) {
        SettingsCopy copy = brought;
        // What the copy leaves out of the table goes back to its default.
        for (const SettingRow& row : settingsTable())
            copy.settings.try_emplace(QString::fromLatin1(row.key), QString::fromLatin1(row.fallback));
        return copy;
    }
    SettingsCopy copy = here;
    for (const auto& [key, value] : brought.settings) {
        const SettingRow* row = settingRow(key);
        const auto kept = here.settings.find(key);
        if (row && (kept == here.settings.end() || kept->second == QLatin1String(row->fallback)))
            copy.settings[key] = value;
    }
    copy.lists = joined(here.lists, brought.lists, [](const ListRef& list) { return list.address; });
    if (copy.chosenList.isEmpty())
        copy.chosenList = brought.chosenList;
    copy.favourites = joined(here.favourites, brought.favourites, [](const ChannelKey& channel) { return channel; });
    const auto channelOfPair = [](const auto& entry) { return entry.first; };
    copy.firstAddresses = joined(here.firstAddresses, brought.firstAddresses, channelOfPair);
    copy.pictures = joined(here.pictures, brought.pictures, channelOfPair);
    if (!copy.lastChannel)
        copy.lastChannel = brought.lastChannel;
    return copy;
}

CopyChanges changesBetween(const SettingsCopy& before, const SettingsCopy& after)
{
    CopyChanges changes;
    for (const SettingRow& row : settingsTable()) {
        const QString key = QString::fromLatin1(row.key);
        const auto value = [&](const SettingsCopy& copy) {
            const auto found = copy.settings.find(key);
            return found == copy.settings.end() ? QString::fromLatin1(row.fallback) : found->second;
        };
        if (value(before) != value(after))
            ++changes.settings.changed;
    }
    changes.lists = counted(before.lists, after.lists, [](const ListRef& list) { return list.address; });
    changes.favourites = counted(before.favourites, after.favourites, [](const ChannelKey& channel) { return channel; });
    const auto channelOfPair = [](const auto& entry) { return entry.first; };
    changes.firstAddresses = counted(before.firstAddresses, after.firstAddresses, channelOfPair);
    changes.pictures = counted(before.pictures, after.pictures, channelOfPair);
    changes.lastChannel = before.lastChannel != after.lastChannel;
    return changes;
}

void writeCopy(UserSettings& settings, const SettingsCopy& copy)
{
    settings.save(copy.settings);
    settings.setLists(copy.lists);
    settings.setChosenList(copy.chosenList);
    settings.setFavourites(copy.favourites);
    settings.setFirstAddresses(copy.firstAddresses);
    settings.setPictures(copy.pictures);
    if (copy.lastChannel)
        settings.setLastChannel(*copy.lastChannel);
    else
        settings.forgetLastChannel();
}

namespace {

// The account's list address as written (headers and all), without its
// password; empty when it is no account. Rebuilt from what was read, so that
// no way of writing the address (a line's label after " $ ", say) keeps it.
QString withoutAccountPassword(const QString& written)
{
    ListLocation location = readListLocation(written);
    if (!account::fromListAddress(location.address))
        return {};
    location.address = account::withoutPassword(location.address);
    return writeListLocation(location);
}

} // namespace

bool holdsAccountPasswords(const SettingsCopy& copy)
{
    return std::any_of(copy.lists.begin(), copy.lists.end(),
                       [](const ListRef& list) { return !withoutAccountPassword(list.address).isEmpty(); });
}

void leaveOutAccountPasswords(SettingsCopy& copy)
{
    for (ListRef& list : copy.lists)
        if (const QString kept = withoutAccountPassword(list.address); !kept.isEmpty())
            list.address = kept;
    if (const QString kept = withoutAccountPassword(copy.chosenList); !kept.isEmpty())
        copy.chosenList = kept;
}
