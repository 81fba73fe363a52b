#include "VideoMenu.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "MediaInfoPanel.h"
#include "Screenshot.h"
#include "core/ProgramState.h"
#include "controls/PicBox.h"

#include <QActionGroup>
#include <QEvent>
#include <QFileDialog>
#include <QMenu>

namespace {

using Shape = PictureSettings::Shape;
using Deinterlace = PictureSettings::Deinterlace;

void choosePicture(HandlerContext& context, PictureSettings picture)
{
    const ChannelKey channel = WatchedChannel(context);
    if (context.state.pictures.set(channel, picture) && context.state.settings)
        context.state.settings->setPictures(context.state.pictures.kept());
    context.state.playback->setPicture(PictureFor(context, channel));
}

// A submenu of choices of which one is checked.
template <class Value, class Choose>
void addChoices(QMenu& menu, const std::vector<std::pair<QString, Value>>& choices, const Value& current,
                Choose choose)
{
    auto* group = new QActionGroup(&menu);
    for (const auto& [text, value] : choices) {
        QAction* action = menu.addAction(text);
        action->setCheckable(true);
        action->setChecked(value == current);
        group->addAction(action);
        QObject::connect(action, &QAction::triggered, &menu, [choose, value = value] { choose(value); });
    }
}

void addTrackMenus(HandlerContext& context, QMenu& menu)
{
    PlaybackSession& playback = *context.state.playback;
    const std::optional<MediaPlayer::Tracks> tracks = playback.tracks();

    QMenu* audio = menu.addMenu(QStringLiteral("音轨"));
    audio->setAccessibleName(QStringLiteral("音轨"));
    std::vector<std::pair<QString, int>> audioChoices;
    if (tracks)
        for (const MediaPlayer::Track& track : tracks->audio)
            audioChoices.emplace_back(track.name, track.id);
    addChoices(*audio, audioChoices, tracks ? tracks->audioId : -1, [&playback](int id) { playback.setAudioTrack(id); });
    audio->setEnabled(!audioChoices.empty());

    QMenu* subtitles = menu.addMenu(QStringLiteral("字幕"));
    subtitles->setAccessibleName(QStringLiteral("字幕"));
    std::vector<std::pair<QString, int>> subtitleChoices{{QStringLiteral("关闭"), -1}};
    if (tracks)
        for (const MediaPlayer::Track& track : tracks->subtitles)
            subtitleChoices.emplace_back(track.name, track.id);
    addChoices(*subtitles, subtitleChoices, tracks ? tracks->subtitleId : -1,
               [&playback](int id) { playback.setSubtitleTrack(id); });
    subtitles->addSeparator();
    subtitles->addAction(QStringLiteral("打开字幕文件…"), &context.window, [&context] {
        const QString path = QFileDialog::getOpenFileName(&context.window, QStringLiteral("打开字幕文件"), {},
                                                          QStringLiteral("字幕文件 (*.srt *.ass *.ssa *.sub *.vtt *.smi);;所有文件 (*)"));
        if (!path.isEmpty())
            context.state.playback->addSubtitleFile(path);
    });
    subtitles->setEnabled(tracks.has_value());
}

// A submenu choosing one field of the channel's picture.
template <class Field>
void addPictureMenu(HandlerContext& context, QMenu& menu, const QString& title, Field PictureSettings::*field,
                    const std::vector<std::pair<QString, Field>>& choices)
{
    const PictureSettings current = context.state.pictures.of(WatchedChannel(context));
    QMenu* submenu = menu.addMenu(title);
    submenu->setAccessibleName(title);
    addChoices(*submenu, choices, current.*field, [&context, current, field](Field chosen) {
        PictureSettings picture = current;
        picture.*field = chosen;
        choosePicture(context, picture);
    });
}

void addPictureMenus(HandlerContext& context, QMenu& menu)
{
    addPictureMenu<Shape>(context, menu, QStringLiteral("画面比例"), &PictureSettings::shape,
                          {{QStringLiteral("默认"), Shape::Source},
                           {QStringLiteral("16:9"), Shape::Wide},
                           {QStringLiteral("4:3"), Shape::Standard},
                           {QStringLiteral("拉伸填满"), Shape::Fill},
                           {QStringLiteral("裁去黑边"), Shape::CropBars}});
    addPictureMenu<Deinterlace>(context, menu, QStringLiteral("去隔行"), &PictureSettings::deinterlace,
                                {{QStringLiteral("关闭"), Deinterlace::Off},
                                 {QStringLiteral("自动"), Deinterlace::Auto},
                                 {QStringLiteral("混合"), Deinterlace::Blend},
                                 {QStringLiteral("Yadif"), Deinterlace::Yadif}});
}

} // namespace

int WatchedEntry(HandlerContext& context)
{
    if (context.nowPlaying.generation == 0)
        return -1;
    const int entry = context.state.watchingBack ? context.state.watchingBack->entry : context.state.channels.lastPlayed();
    return context.state.channels.list().contains(entry) ? entry : -1;
}

ChannelKey WatchedChannel(HandlerContext& context)
{
    if (context.state.watchingBack) {
        const int entry = WatchedEntry(context);
        return entry >= 0 ? context.state.channels.list().key(entry) : ChannelKey{};
    }
    return context.nowPlaying.generation ? context.nowPlaying.channel : ChannelKey{};
}

PictureSettings PictureFor(HandlerContext& context, const ChannelKey& channel)
{
    PictureSettings picture = context.state.pictures.of(channel);
    if (picture.shape == Shape::Fill)
        picture.area = context.window.get<PicBox>(u"VideoSurface").size();
    return picture;
}

void RefitPictureToVideoArea(HandlerContext& context)
{
    class Refit final : public QObject {
    public:
        Refit(HandlerContext& context, QWidget& video) : QObject(&video), context_(context) { video.installEventFilter(this); }
        bool eventFilter(QObject*, QEvent* event) override
        {
            if (event->type() == QEvent::Resize && context_.nowPlaying.generation != 0) {
                const PictureSettings picture = PictureFor(context_, WatchedChannel(context_));
                if (picture.shape == Shape::Fill)
                    context_.state.playback->setPicture(picture);
            }
            return false;
        }

    private:
        HandlerContext& context_;
    };
    new Refit(context, context.window.get<PicBox>(u"VideoSurface"));
}

void ShowVideoMenu(HandlerContext& context, QPoint onScreen)
{
    QMenu menu;
    menu.setAccessibleName(QStringLiteral("视频菜单"));
    const bool playing = context.nowPlaying.generation != 0;
    addTrackMenus(context, menu);
    addPictureMenus(context, menu);
    for (QAction* action : menu.actions())
        action->setEnabled(action->isEnabled() && playing);
    menu.addSeparator();
    menu.addAction(QStringLiteral("截图"), &context.window, [&context] { SaveScreenshot(context); })->setEnabled(playing);
    QAction* info = menu.addAction(QStringLiteral("信息"), &context.window, [&context] { ToggleMediaInfo(context); });
    info->setCheckable(true);
    info->setChecked(IsMediaInfoShown(context));
    menu.exec(onScreen);
}
