#pragma once

#include <QString>
#include <QStringView>

#include <map>
#include <span>
#include <vector>

// The settings a user can choose, one row each: the file reader, the
// settings window, the import of a copy and the README's table are all made
// from these rows, so a new setting is one more row.

// Values of the table's rows by key, as written in the file (a guide list one address a line).
using SettingValues = std::map<QString, QString>;

// The page of the settings window a setting is on.
enum class SettingsPage { Lists, Guide, Catchup, Playback, Screenshot };

// When a changed value is taken up.
enum class SettingTakes { AtOnce, NextOpen, NextStart };

struct SettingChoice {
    const char* value; // as written in the file
    const char* label; // as the window names it
};

struct SettingRow {
    enum class Kind {
        Choice,          // one of `choices`
        Number,          // a whole number from `minimum` to `maximum`
        Text,            // one line of printable text
        Zone,            // "+0800", "+08:00", "-0530"; empty for none
        CatchupTemplate, // an address template, or a part added to the channel's
        GuideList,       // guide addresses, each with its offset and zone (one a line)
        Folder,          // an absolute path; empty for the default
    };
    const char* key; // in clipvane.conf
    SettingsPage page;
    Kind kind;
    const char* fallback; // the default, as written in the file
    const char* label;    // the field's name in the window, and its AT-SPI name
    const char* help;     // one line under the field, and its AT-SPI description
    SettingTakes takes;
    std::vector<SettingChoice> choices = {};
    int minimum = 0;
    int maximum = 0;
};

std::span<const SettingRow> settingsTable();
const SettingRow* settingRow(QStringView key);
QString settingsPageTitle(SettingsPage page);

// The value as the row keeps it: trimmed, a choice in lower case, a guide
// list one address a line with blank lines dropped.
QString settingNormalized(const SettingRow& row, const QString& written);
// Why `written` is not a value of the row, in the window's words; empty when it is.
QString settingProblem(const SettingRow& row, const QString& written);
// Guide lists are judged a line at a time: why this one is no guide.
QString guideLineProblem(const QString& line);
// What the window says beside a field whose change is not taken up at once.
QString settingTakesText(SettingTakes takes);

// The README's table of settings, in Markdown.
QString settingsTableMarkdown();
