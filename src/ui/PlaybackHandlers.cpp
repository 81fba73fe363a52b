#include "PlaybackHandlers.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "Texts.h"
#include "app/ProgramState.h"
#include "controls/ListBox.h"
#include "controls/PicBox.h"
#include "controls/TransLabel.h"

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
    window.get<TransLabel>(u"TitleLabel").setCaption(texts::playingPrefix() + name);

    const auto video = std::uint32_t(window.get<PicBox>(u"VideoSurface").winId());
    const auto second = context.secondVideoSurface ? std::uint32_t(context.secondVideoSurface->winId()) : video;
    context.nowPlaying.name = name;
    context.nowPlaying.generation =
        context.state.playback->play(context.state.CurrentAddress, {video, second}, context.state.CachingMs);
}

void StopPlayback(HandlerContext& context)
{
    context.window.get<TransLabel>(u"TitleLabel").setCaption(texts::productTitle());
    context.nowPlaying = {};
    context.state.playback->stop();
}

void ShowPlaybackFailure(HandlerContext& context, std::uint64_t generation)
{
    if (generation == 0 || generation != context.nowPlaying.generation)
        return;
    context.window.get<TransLabel>(u"TitleLabel").setCaption(texts::failedPrefix() + context.nowPlaying.name);
}
