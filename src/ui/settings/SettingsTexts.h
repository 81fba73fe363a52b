#pragma once

#include "core/settings/SettingsCopy.h"

#include <QString>
#include <QStringList>

// What the window says of copies of the settings.
namespace texts {

// Why a file was not taken as a copy: "文件已损坏：“lists”里有一个列表没有地址", ….
inline QString copyRefusal(const CopyRefusal& refused)
{
    using Kind = CopyRefusal::Kind;
    using Damage = CopyRefusal::Damage;
    switch (refused.kind) {
    case Kind::Unreadable:
        return QStringLiteral("打不开文件：") + refused.detail;
    case Kind::TooLarge:
        return QStringLiteral("文件太大，不是设置文件");
    case Kind::NotJson:
        return QStringLiteral("文件已损坏或不是 JSON（第 %1 字节：%2）").arg(refused.number).arg(refused.detail);
    case Kind::NotACopy:
        return QStringLiteral("这不是澄影导出的设置文件");
    case Kind::NoVersion:
        return QStringLiteral("文件已损坏：没有格式版本");
    case Kind::NewerVersion:
        return QStringLiteral("这份设置来自更新的版本（格式 %1），这一版只能读格式 %2 及以前的")
            .arg(refused.number)
            .arg(SettingsCopy::kVersion);
    case Kind::Damaged:
        break;
    }
    QString what;
    switch (refused.damage) {
    case Damage::NotAnArray:
        what = QStringLiteral("“%1”不是数组").arg(refused.name);
        break;
    case Damage::ItemWithoutText:
        what = QStringLiteral("“%1”里有一项缺少文字“%2”").arg(refused.within, refused.name);
        break;
    case Damage::ItemNotAnObject:
        what = QStringLiteral("“%1”里有一项不是对象").arg(refused.within);
        break;
    case Damage::SettingsNotAnObject:
        what = QStringLiteral("“settings”不是对象");
        break;
    case Damage::SettingNotText:
        what = QStringLiteral("设置“%1”的值不是文字").arg(refused.name);
        break;
    case Damage::SettingInvalid:
        what = QStringLiteral("设置“%1”的值“%2”无效：%3").arg(refused.name, refused.value, refused.detail);
        break;
    case Damage::ListWithoutAddress:
        what = QStringLiteral("“lists”里有一个列表没有地址");
        break;
    case Damage::ChosenListNotText:
        what = QStringLiteral("“chosenList”不是文字");
        break;
    case Damage::None:
        break;
    }
    return QStringLiteral("文件已损坏：") + what;
}

// "设置 改 2 项；列表 加 1 个；…", or that nothing changes.
inline QString copyChanges(const CopyChanges& changes)
{
    const auto said = [](const QString& kind, const CopyChanges::Count& count, const QString& unit) {
        QStringList parts;
        if (count.added)
            parts.append(QStringLiteral("加 %1 %2").arg(count.added).arg(unit));
        if (count.changed)
            parts.append(QStringLiteral("改 %1 %2").arg(count.changed).arg(unit));
        if (count.removed)
            parts.append(QStringLiteral("去 %1 %2").arg(count.removed).arg(unit));
        return parts.isEmpty() ? QString() : kind + u' ' + parts.join(QStringLiteral("、"));
    };
    const QString item = QStringLiteral("项");
    const QString one = QStringLiteral("个");
    QStringList parts;
    for (const QString& part :
         {said(QStringLiteral("设置"), changes.settings, item), said(QStringLiteral("列表"), changes.lists, one),
          said(QStringLiteral("收藏"), changes.favourites, one),
          said(QStringLiteral("首选地址"), changes.firstAddresses, one),
          said(QStringLiteral("画面设置"), changes.pictures, one)})
        if (!part.isEmpty())
            parts.append(part);
    if (changes.lastChannel)
        parts.append(QStringLiteral("上次的频道"));
    return parts.isEmpty() ? QStringLiteral("没有变化") : parts.join(QStringLiteral("；"));
}

} // namespace texts
