#include "PlaybackHandlers.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "Texts.h"
#include "app/ProgramState.h"
#include "controls/ListBox.h"
#include "controls/PicBox.h"
#include "controls/TransLabel.h"
#include "engine/PlaybackTypes.h"

#include <QMessageBox>
#include <QWidget>

void PlaySelectedEntry(HandlerContext& context)
{
    MainWindow& window = context.window;
    ListBox& sources = window.get<ListBox>(u"SourceList");
    if (sources.itemCount() == 0) {
        QMessageBox box(QMessageBox::NoIcon, texts::infoCaption(), texts::emptyList(), QMessageBox::Ok);
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return;
    }
    const int selected = sources.currentSelection();
    context.state.CurrentAddress = window.get<ListBox>(u"AddressList").itemText(selected);
    const QString name = sources.itemText(selected);
    TransLabel& title = window.get<TransLabel>(u"TitleLabel");
    title.setCaption(texts::playingPrefix() + name);
    title.setToolTip({});

    const auto video = std::uint32_t(window.get<PicBox>(u"VideoSurface").winId());
    const auto second = context.secondVideoSurface ? std::uint32_t(context.secondVideoSurface->winId()) : video;
    context.nowPlaying.name = name;
    context.nowPlaying.generation =
        context.state.playback->play(context.state.CurrentAddress, {video, second}, context.state.CachingMs);
}

void StopPlayback(HandlerContext& context)
{
    TransLabel& title = context.window.get<TransLabel>(u"TitleLabel");
    title.setCaption(texts::productTitle());
    title.setToolTip({});
    context.nowPlaying = {};
    context.state.playback->stop();
}

void ShowPlaybackFailure(HandlerContext& context, std::uint64_t generation, const QString& reason)
{
    if (generation == 0 || generation != context.nowPlaying.generation)
        return;
    TransLabel& title = context.window.get<TransLabel>(u"TitleLabel");
    title.setCaption(texts::failedPrefix() + context.nowPlaying.name);
    title.setToolTip(reason);
}

void ShowPlaybackStatus(HandlerContext& context, const PlaybackStatus& status)
{
    if (status.generation == 0 || status.generation != context.nowPlaying.generation)
        return;
    using Phase = PlaybackStatus::Phase;
    const QString buffering = status.bufferPercent < 100 ? texts::buffering(status.bufferPercent) : QString();
    QString caption;
    switch (status.phase) {
    case Phase::Opening:
    case Phase::Playing:
        caption = texts::playingPrefix() + context.nowPlaying.name + buffering;
        break;
    case Phase::Reconnecting:
        caption = texts::reconnectingPrefix() + context.nowPlaying.name + buffering;
        break;
    case Phase::Ended:
        caption = texts::playingPrefix() + context.nowPlaying.name;
        break;
    case Phase::Failed:
        return; // said by ShowPlaybackFailure, with its reason
    }
    context.window.get<TransLabel>(u"TitleLabel").setCaption(caption);
}
