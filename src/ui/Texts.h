#pragma once

#include "engine/MediaPlayer.h"
#include "engine/PlaybackFailure.h"

#include <QString>

// The window's own texts.
namespace texts {

inline QString productTitle() { return QStringLiteral("Clipvane 澄影播放器"); }
inline QString playingPrefix() { return QStringLiteral("正在播放："); }
inline QString failedPrefix() { return QStringLiteral("播放失败："); }
inline QString reconnectingPrefix() { return QStringLiteral("正在重连："); }
inline QString watchingBackPrefix() { return QStringLiteral("正在回看："); }
inline QString pausedPrefix() { return QStringLiteral("已暂停："); }
inline QString behindLivePrefix() { return QStringLiteral("时移："); }
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
// Over the brand's tooltip: how to reach the maker.
inline QString contactTip(const QString& page) { return QStringLiteral("联系我们：") + page; }
// What the desktop is told while its screen saver is held.
inline QString screenSaverHeld() { return QStringLiteral("正在播放视频"); }

// Why a choice failed, for the title's tooltip; empty when it is not known.
inline QString failureReason(const PlaybackFailure& failure)
{
    using Kind = PlaybackFailure::Kind;
    switch (failure.kind) {
    case Kind::None:
        return {};
    case Kind::NoStartInTime:
        return QStringLiteral("%1 秒内没有开始播放").arg(failure.seconds);
    case Kind::NoMedia:
        return QStringLiteral("无法打开这个地址");
    case Kind::NothingPlayable:
        return QStringLiteral("没有收到可以播放的内容");
    case Kind::ConnectionLost:
        return QStringLiteral("连接中断，重连没有成功");
    case Kind::EngineError:
        return failure.detail; // libvlc's or the reader's own words
    case Kind::StreamModuleMissing:
        return QStringLiteral("缺少 RTSP 模块（%1）").arg(failure.detail);
    case Kind::ReadByEngine: // never the last word: the engine then reads the address itself
        return QStringLiteral("无法打开这个地址");
    }
    return {};
}

// A track in the video's menu: "音轨 2：Commentary [eng]", "字幕 1 [chi]".
inline QString trackName(const QString& kind, const MediaPlayer::Track& track)
{
    QString name = kind + QLatin1Char(' ') + QString::number(track.number);
    if (!track.description.isEmpty())
        name += QStringLiteral("：") + track.description;
    if (!track.language.isEmpty())
        name += QStringLiteral(" [") + track.language + QLatin1Char(']');
    return name;
}
inline QString audioTrack() { return QStringLiteral("音轨"); }
inline QString subtitleTrack() { return QStringLiteral("字幕"); }

// The mode flag, the tag of FullScreenButton: what the button offers to do.
inline QString enlarge() { return QStringLiteral("放大"); } // windowed
inline QString shrink() { return QStringLiteral("缩小"); }  // full screen
// The list flag, the tag of ListToggleButton.
inline QString listShown() { return QStringLiteral("隐藏"); }
inline QString listHidden() { return QStringLiteral("可视"); }

} // namespace texts
