#pragma once

#include <QString>

// What the desktop's notification of a reminder says.
namespace texts {

inline QString reminderDue() { return QStringLiteral("预约的节目就要开始"); }
// "19:30 焦点访谈  CCTV-1"
inline QString reminderLine(const QString& at, const QString& title, const QString& channel)
{
    return QStringLiteral("%1 %2  %3").arg(at, title, channel);
}
inline QString reminderSwitch() { return QStringLiteral("切换"); }
inline QString reminderDismiss() { return QStringLiteral("忽略"); }

} // namespace texts
