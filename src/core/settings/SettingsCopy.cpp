#include "core/settings/SettingsCopy.h"

#include "core/CoreLog.h"
#include "core/settings/UserSettings.h"
#include "sources/ListLocation.h"
#include "sources/ProviderAccount.h"

#include <QFile>
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
struct Damaged {
    QString why;
};

QJsonArray arrayOf(const QJsonObject& root, const char* name)
{
    const QJsonValue value = root.value(QLatin1String(name));
    if (value.isUndefined())
        return {};
    if (!value.isArray())
        throw Damaged{QStringLiteral("“%1”不是数组").arg(QLatin1String(name))};
    return value.toArray();
}

QString textOf(const QJsonObject& object, const char* name, const char* within)
{
    const QJsonValue value = object.value(QLatin1String(name));
    if (!value.isString())
        throw Damaged{QStringLiteral("“%1”里有一项缺少文字“%2”").arg(QLatin1String(within), QLatin1String(name))};
    return value.toString();
}

ChannelKey channelOf(const QJsonValue& value, const char* within)
{
    if (!value.isObject())
        throw Damaged{QStringLiteral("“%1”里有一项不是对象").arg(QLatin1String(within))};
    const QJsonObject object = value.toObject();
    return ChannelKey{textOf(object, "name", within), textOf(object, "address", within)};
}

SettingsCopy readCopy(const QJsonObject& root, QStringList& leftOut)
{
    SettingsCopy copy;
    const QJsonValue settings = root.value(QLatin1String("settings"));
    if (!settings.isUndefined() && !settings.isObject())
        throw Damaged{QStringLiteral("“settings”不是对象")};
    const QJsonObject written = settings.toObject();
    for (auto it = written.begin(); it != written.end(); ++it) {
        const SettingRow* row = settingRow(it.key());
        if (!row) {
            qCWarning(lcSettings) << "a copy names the setting" << it.key() << "this version does not know: left out";
            continue;
        }
        if (!it.value().isString())
            throw Damaged{QStringLiteral("设置“%1”的值不是文字").arg(it.key())};
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
            if (row->kind != SettingRow::Kind::Folder)
                throw Damaged{QStringLiteral("设置“%1”的值“%2”无效：%3").arg(it.key(), value, problem)};
            leftOut.append(QStringLiteral("%1：%2").arg(QString::fromUtf8(row->label), problem));
            value = QString::fromLatin1(row->fallback);
        }
        copy.settings[it.key()] = value;
    }
    for (const QJsonValue& value : arrayOf(root, "lists")) {
        const ChannelKey list = channelOf(value, "lists");
        if (list.address.trimmed().isEmpty())
            throw Damaged{QStringLiteral("“lists”里有一个列表没有地址")};
        copy.lists.push_back({list.name, list.address});
    }
    const QJsonValue chosen = root.value(QLatin1String("chosenList"));
    if (!chosen.isUndefined() && !chosen.isString())
        throw Damaged{QStringLiteral("“chosenList”不是文字")};
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

// Entries added, removed and changed, matched by key.
template <class Entry, class Key>
CopyChanges::Count counted(const std::vector<Entry>& before, const std::vector<Entry>& after, Key key)
{
    CopyChanges::Count count;
    for (const Entry& entry : after) {
        const auto was = std::find_if(before.begin(), before.end(), [&](const Entry& old) { return key(old) == key(entry); });
        if (was == before.end())
            ++count.added;
        else if (!(*was == entry))
            ++count.changed;
    }
    for (const Entry& entry : before)
        if (std::none_of(after.begin(), after.end(), [&](const Entry& now) { return key(now) == key(entry); }))
            ++count.removed;
    return count;
}

QString said(const char* kind, const CopyChanges::Count& count, const char* unit)
{
    QStringList parts;
    const QString measure = QString::fromUtf8(unit);
    if (count.added)
        parts.append(QStringLiteral("加 %1 %2").arg(count.added).arg(measure));
    if (count.changed)
        parts.append(QStringLiteral("改 %1 %2").arg(count.changed).arg(measure));
    if (count.removed)
        parts.append(QStringLiteral("去 %1 %2").arg(count.removed).arg(measure));
    return parts.isEmpty() ? QString() : QString::fromUtf8(kind) + u' ' + parts.join(QStringLiteral("、"));
}

SettingsCopyRead refusal(const QString& why)
{
    SettingsCopyRead read;
    read.refused = why;
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
        return refusal(QStringLiteral("文件已损坏或不是 JSON（第 %1 字节：%2）").arg(error.offset).arg(error.errorString()));
    const QJsonObject root = document.object();
    if (!document.isObject() || root.value(QLatin1String("format")).toString() != kFormat)
        return refusal(QStringLiteral("这不是澄影导出的设置文件"));
    const QJsonValue version = root.value(QLatin1String("version"));
    if (!version.isDouble() || version.toDouble() < 1 || version.toDouble() != double(version.toInt()))
        return refusal(QStringLiteral("文件已损坏：没有格式版本"));
    if (version.toInt() > SettingsCopy::kVersion)
        return refusal(QStringLiteral("这份设置来自更新的版本（格式 %1），这一版只能读格式 %2 及以前的")
                           .arg(version.toInt())
                           .arg(SettingsCopy::kVersion));
    try {
        SettingsCopyRead read;
        read.copy = readCopy(root, read.leftOut);
        return read;
    } catch (const Damaged& damaged) {
        return refusal(QStringLiteral("文件已损坏：") + damaged.why);
    }
}

SettingsCopyRead readSettingsCopyFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return refusal(QStringLiteral("打不开文件：") + file.errorString());
    if (file.size() > SettingsCopy::kLargest)
        return refusal(QStringLiteral("文件太大，不是设置文件"));
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

QString describeChanges(const CopyChanges& changes)
{
    QStringList parts;
    for (const QString& part : {said("设置", changes.settings, "项"), said("列表", changes.lists, "个"),
                                said("收藏", changes.favourites, "个"), said("首选地址", changes.firstAddresses, "个"),
                                said("画面设置", changes.pictures, "个")})
        if (!part.isEmpty())
            parts.append(part);
    if (changes.lastChannel)
        parts.append(QStringLiteral("上次的频道"));
    return parts.isEmpty() ? QStringLiteral("没有变化") : parts.join(QStringLiteral("；"));
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

// The account's list address as written (headers and all), without its password; empty when it is no account.
QString withoutAccountPassword(const QString& written)
{
    const QString address = readListLocation(written).address;
    if (!account::fromListAddress(address))
        return {};
    QString kept = written;
    return kept.replace(address, account::withoutPassword(address));
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
