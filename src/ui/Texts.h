#pragma once

#include <QString>

// The window's own texts.
namespace texts {

inline QString productTitle() { return QStringLiteral("Clipvane 澄影播放器"); }
inline QString playingPrefix() { return QStringLiteral("正在播放："); }
inline QString failedPrefix() { return QStringLiteral("播放失败："); }
inline QString emptyList() { return QStringLiteral("无内容"); }
inline QString infoCaption() { return QStringLiteral("信息："); }

} // namespace texts
