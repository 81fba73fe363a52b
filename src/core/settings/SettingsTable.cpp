#include "core/settings/SettingsTable.h"

#include "core/guide/GuideSources.h"

#include <QDir>
#include <QFileInfo>
#include <QUrl>

#include <algorithm>

namespace {

using Kind = SettingRow::Kind;

const std::vector<SettingRow>& rows()
{
    static const std::vector<SettingRow> table{
        {"list-start", SettingsPage::Lists, Kind::Choice, "", "启动时打开", "程序旁有列表时，启动时打开哪一个",
         SettingTakes::NextStart, {{"", "程序旁的列表"}, {"last", "上次选的列表"}}},
        {"list-user-agent", SettingsPage::Lists, Kind::Text, "okhttp/3.15", "列表 User-Agent",
         "下载列表时报给服务器的 User-Agent（地址里“|User-Agent=”写明的优先）", SettingTakes::AtOnce},
        {"list-refresh-hours", SettingsPage::Lists, Kind::Number, "6", "列表刷新间隔（小时）",
         "网络列表的副本旧过这么久就重新下载", SettingTakes::AtOnce, {}, 1, 480},
        {"epg", SettingsPage::Guide, Kind::GuideList, "", "节目指南地址",
         "列表自己没写指南时用这些（http、https 或本机文件），每个可加时间偏移和时区", SettingTakes::AtOnce},
        {"epg-refresh-hours", SettingsPage::Guide, Kind::Number, "6", "指南刷新间隔（小时）",
         "节目指南旧过这么久就重新下载", SettingTakes::AtOnce, {}, 1, 168},
        {"reminder-switch", SettingsPage::Guide, Kind::Choice, "", "到时自动切换",
         "预约的节目开始前一分钟提醒时，直接换到它的频道", SettingTakes::AtOnce, {{"", "否"}, {"on", "是"}}},
        {"catchup-source", SettingsPage::Catchup, Kind::CatchupTemplate, "", "回看地址模板",
         "列表没给频道回看规则时用它：完整地址，或加在频道地址后的部分（如 ?playseek={utc}-{utcend}）",
         SettingTakes::AtOnce},
        {"catchup-zone", SettingsPage::Catchup, Kind::Zone, "", "回看时区",
         "回看服务器的时区，如 +0800；留空按 +0800，{Y}{m}{d} 等按 UTC", SettingTakes::AtOnce},
        {"preopen", SettingsPage::Playback, Kind::Choice, "next+selection", "提前打开",
         "提前打开频道让换台更快，多占一路连接和解码（从“关闭”改开在下次启动时生效）",
         SettingTakes::AtOnce, {{"off", "关闭"}, {"next", "下一个频道"}, {"next+selection", "下一个和选中的频道"}}},
        {"network-buffer", SettingsPage::Playback, Kind::Choice, "300", "网络缓冲",
         "缓冲越长越不易卡顿，画面也越晚于直播、换台越慢",
         SettingTakes::NextOpen,
         {{"300", "快速 300 毫秒（延迟最小）"}, {"1000", "平衡 1 秒（约多 0.7 秒延迟）"}, {"3000", "稳定 3 秒（约多 2.7 秒延迟）"}}},
        {"timeshift-minutes", SettingsPage::Playback, Kind::Number, "30", "时移缓冲（分钟）",
         "暂停或后退直播时，最多保留多久的直播内容（存在缓存文件夹）", SettingTakes::NextOpen, {}, 1, 600},
        {"timeshift-megabytes", SettingsPage::Playback, Kind::Number, "2048", "时移缓冲上限（MB）",
         "时移缓冲占用磁盘的上限；高码率频道先到这个上限", SettingTakes::NextOpen, {}, 64, 65536},
        {"record-before-minutes", SettingsPage::Playback, Kind::Number, "2", "录制提前（分钟）",
         "预约录制在节目开始前多久开始（节目单常有误差）", SettingTakes::AtOnce, {}, 0, 60},
        {"record-after-minutes", SettingsPage::Playback, Kind::Number, "5", "录制延后（分钟）",
         "预约录制在节目结束后多久停止", SettingTakes::AtOnce, {}, 0, 120},
        {"start", SettingsPage::Playback, Kind::Choice, "", "启动时", "启动时只选中上次看的频道，或直接播放它",
         SettingTakes::NextStart, {{"", "不播放"}, {"last", "上次的频道"}}},
        {"screenshot-folder", SettingsPage::Screenshot, Kind::Folder, "", "截图文件夹",
         "截图存到这里；留空存到“图片/Clipvane”", SettingTakes::AtOnce},
    };
    return table;
}

bool printable(const QString& text)
{
    return std::none_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

} // namespace

QString guideLineProblem(const QString& line)
{
    const GuideSetting guide = readGuideSetting(line);
    if (guide.address.isEmpty())
        return QStringLiteral("地址是空的");
    if (guide.problem == GuideSetting::Problem::Zone)
        return QStringLiteral("时区“%1”应写作 +0800、+08:00 或 -0530").arg(guide.unread);
    if (guide.problem == GuideSetting::Problem::Offset)
        return QStringLiteral("偏移“%1”须是 -1440 到 1440 的分钟数").arg(guide.unread);
    const QUrl url(guide.address);
    const QString scheme = url.scheme().toLower();
    if (scheme == u"http" || scheme == u"https")
        return url.host().isEmpty() ? QStringLiteral("“%1”没有主机名").arg(guide.address) : QString();
    // A path, absolute or from the program's folder, or file://: the file must be there.
    const QString path = scheme == u"file" ? url.toLocalFile() : guide.address;
    if (scheme.size() > 1 && scheme != u"file")
        return QStringLiteral("“%1”不是 http(s) 地址，也不是本机文件").arg(guide.address);
    if (!QFileInfo(path).isFile())
        return QStringLiteral("没有这个文件：%1（须是 http(s) 地址或本机文件）").arg(guide.address);
    return {};
}

std::span<const SettingRow> settingsTable()
{
    return rows();
}

const SettingRow* settingRow(QStringView key)
{
    for (const SettingRow& row : rows())
        if (key == QLatin1String(row.key))
            return &row;
    return nullptr;
}

QString settingsPageTitle(SettingsPage page)
{
    switch (page) {
    case SettingsPage::Lists: return QStringLiteral("播放列表");
    case SettingsPage::Guide: return QStringLiteral("节目指南");
    case SettingsPage::Catchup: return QStringLiteral("回看");
    case SettingsPage::Playback: return QStringLiteral("播放");
    case SettingsPage::Screenshot: return QStringLiteral("截图");
    }
    return {};
}

QString settingNormalized(const SettingRow& row, const QString& written)
{
    if (row.kind == Kind::GuideList) {
        QStringList lines;
        for (const QString& line : written.split(u'\n'))
            if (!line.trimmed().isEmpty())
                lines.append(line.trimmed());
        return lines.join(u'\n');
    }
    const QString trimmed = written.trimmed();
    return row.kind == Kind::Choice ? trimmed.toLower() : trimmed;
}

QString settingProblem(const SettingRow& row, const QString& written)
{
    const QString value = settingNormalized(row, written);
    switch (row.kind) {
    case Kind::Choice: {
        const bool known = std::any_of(row.choices.begin(), row.choices.end(),
                                       [&](const SettingChoice& choice) { return value == QLatin1String(choice.value); });
        if (known)
            return {};
        QStringList values;
        for (const SettingChoice& choice : row.choices)
            values.append(*choice.value ? QString::fromLatin1(choice.value) : QStringLiteral("（空）"));
        return QStringLiteral("只能是 %1").arg(values.join(QStringLiteral("、")));
    }
    case Kind::Number: {
        bool number = false;
        const int count = value.toInt(&number);
        if (number && count >= row.minimum && count <= row.maximum)
            return {};
        return QStringLiteral("须是 %1 到 %2 的整数").arg(row.minimum).arg(row.maximum);
    }
    case Kind::Text:
        return printable(value) ? QString() : QStringLiteral("不能含控制字符");
    case Kind::Zone:
        if (value.isEmpty() || readZoneMinutes(value))
            return {};
        return QStringLiteral("时区写作 +0800、+08:00 或 -0530");
    case Kind::CatchupTemplate:
        if (value.isEmpty())
            return {};
        if (!printable(value) || value.contains(u' '))
            return QStringLiteral("不能含空格或控制字符");
        if (value.contains(QLatin1String("://"))) {
            const QString scheme = value.section(QStringLiteral("://"), 0, 0).toLower();
            static const QStringList schemes{QStringLiteral("http"), QStringLiteral("https"), QStringLiteral("rtsp"),
                                             QStringLiteral("rtmp")};
            if (!schemes.contains(scheme))
                return QStringLiteral("完整地址须以 http://、https://、rtsp:// 或 rtmp:// 开头");
        }
        return {};
    case Kind::GuideList:
        for (const QString& line : value.split(u'\n', Qt::SkipEmptyParts))
            if (const QString problem = guideLineProblem(line); !problem.isEmpty())
                return problem;
        return {};
    case Kind::Folder:
        if (value.isEmpty())
            return {};
        if (!QDir::isAbsolutePath(value))
            return QStringLiteral("须是以 / 开头的完整路径");
        if (const QFileInfo folder(value); folder.exists() && !folder.isDir())
            return QStringLiteral("这是一个文件，不是文件夹");
        return {};
    }
    return {};
}

QString settingTakesText(SettingTakes takes)
{
    switch (takes) {
    case SettingTakes::AtOnce: return {};
    case SettingTakes::NextOpen: return QStringLiteral("下次打开频道时生效");
    case SettingTakes::NextStart: return QStringLiteral("下次启动时生效");
    }
    return {};
}

QString settingsTableMarkdown()
{
    QString table = QStringLiteral("| Page | Key | Field | Default | Valid values | What it does |\n"
                                   "|---|---|---|---|---|---|\n");
    for (const SettingRow& row : rows()) {
        QString valid;
        switch (row.kind) {
        case Kind::Choice: {
            QStringList choices;
            for (const SettingChoice& choice : row.choices)
                choices.append(QStringLiteral("%1 %2").arg(*choice.value ? QStringLiteral("`%1`").arg(QLatin1String(choice.value))
                                                                          : QStringLiteral("(empty)"),
                                                           QString::fromUtf8(choice.label)));
            valid = choices.join(QStringLiteral("; "));
            break;
        }
        case Kind::Number: valid = QStringLiteral("%1–%2").arg(row.minimum).arg(row.maximum); break;
        case Kind::Text: valid = QStringLiteral("one line of text"); break;
        case Kind::Zone: valid = QStringLiteral("`+0800`, `+08:00`, `-0530`; empty"); break;
        case Kind::CatchupTemplate: valid = QStringLiteral("an address template or a part added to the channel's; empty"); break;
        case Kind::GuideList: valid = QStringLiteral("http(s) addresses or absolute paths, each with offset and zone"); break;
        case Kind::Folder: valid = QStringLiteral("an absolute path; empty"); break;
        }
        QString help = QString::fromUtf8(row.help);
        help.replace(u'|', QStringLiteral("\\|"));
        const QString fallback = *row.fallback ? QStringLiteral("`%1`").arg(QString::fromLatin1(row.fallback)) : QStringLiteral("(empty)");
        table += QStringLiteral("| %1 | `%2` | %3 | %4 | %5 | %6 |\n")
                     .arg(settingsPageTitle(row.page), QString::fromLatin1(row.key), QString::fromUtf8(row.label), fallback,
                          valid, help);
    }
    return table;
}
