#pragma once

#include <QString>

// The window's own texts.
namespace texts {

inline QString productTitle() { return QStringLiteral("Clipvane 澄影播放器"); }
inline QString playingPrefix() { return QStringLiteral("正在播放："); }
inline QString failedPrefix() { return QStringLiteral("播放失败："); }
inline QString reconnectingPrefix() { return QStringLiteral("正在重连："); }
inline QString watchingBackPrefix() { return QStringLiteral("正在回看："); }
inline QString pausedPrefix() { return QStringLiteral("已暂停："); }
// After a programme of the schedule that can be watched back.
inline QString watchableBack() { return QStringLiteral("回看"); }
// A channel's name with the line that plays: "CCTV-1（线路3）"; the name alone without one.
inline QString withLabel(const QString& name, const QString& label)
{
    return label.isEmpty() ? name : name + QStringLiteral("（") + label + QStringLiteral("）");
}
// After the name while the player fills its buffer: "  缓冲 45%".
inline QString buffering(int percent) { return QStringLiteral("  缓冲 %1%").arg(percent); }
inline QString emptyList() { return QStringLiteral("无内容"); }
inline QString infoCaption() { return QStringLiteral("信息："); }

// The mode flag, the tag of FullScreenButton: what the button offers to do.
inline QString enlarge() { return QStringLiteral("放大"); } // windowed
inline QString shrink() { return QStringLiteral("缩小"); }  // full screen
// The list flag, the tag of ListToggleButton.
inline QString listShown() { return QStringLiteral("隐藏"); }
inline QString listHidden() { return QStringLiteral("可视"); }

} // namespace texts
