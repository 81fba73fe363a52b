#include "ui/playback/VideoMenuView.h"

#include "ui/MainWindow.h"
#include "core/playback/PictureChoices.h"
#include "core/playback/PlaybackController.h"
#include "ui/controls/PicBox.h"
#include "ui/playback/MediaInfoView.h"
#include "ui/playback/ScreenshotView.h"
#include "ui/Texts.h"

#include <QActionGroup>
#include <QFileDialog>
#include <QMenu>

namespace {

using Shape = PictureSettings::Shape;
using Deinterlace = PictureSettings::Deinterlace;

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

void addTrackMenus(QWidget& window, PlaybackController& playback, QMenu& menu)
{
    const std::optional<MediaPlayer::Tracks> tracks = playback.tracks();

    QMenu* audio = menu.addMenu(texts::audioTrack());
    audio->setAccessibleName(texts::audioTrack());
    std::vector<std::pair<QString, int>> audioChoices;
    if (tracks)
        for (const MediaPlayer::Track& track : tracks->audio)
            audioChoices.emplace_back(texts::trackName(texts::audioTrack(), track), track.id);
    addChoices(*audio, audioChoices, tracks ? tracks->audioId : -1, [&playback](int id) { playback.chooseAudioTrack(id); });
    audio->setEnabled(!audioChoices.empty());

    QMenu* subtitles = menu.addMenu(texts::subtitleTrack());
    subtitles->setAccessibleName(texts::subtitleTrack());
    std::vector<std::pair<QString, int>> subtitleChoices{{QStringLiteral("关闭"), -1}};
    if (tracks)
        for (const MediaPlayer::Track& track : tracks->subtitles)
            subtitleChoices.emplace_back(texts::trackName(texts::subtitleTrack(), track), track.id);
    addChoices(*subtitles, subtitleChoices, tracks ? tracks->subtitleId : -1,
               [&playback](int id) { playback.chooseSubtitleTrack(id); });
    subtitles->addSeparator();
    subtitles->addAction(QStringLiteral("打开字幕文件…"), &window, [&window, &playback] {
        QFileDialog dialog(&window, QStringLiteral("打开字幕文件"), {},
                           QStringLiteral("字幕文件 (*.srt *.ass *.ssa *.sub *.vtt *.smi);;所有文件 (*)"));
        dialog.setAccessibleName(QStringLiteral("打开字幕文件"));
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() == QDialog::Accepted && !dialog.selectedFiles().isEmpty())
            playback.addSubtitleFile(dialog.selectedFiles().constFirst());
    });
    subtitles->setEnabled(tracks.has_value());
}

// A submenu choosing one field of the channel's picture.
template <class Field>
void addPictureMenu(PlaybackController& playback, const PictureChoices& pictures, QMenu& menu, const QString& title,
                    Field PictureSettings::*field, const std::vector<std::pair<QString, Field>>& choices)
{
    const PictureSettings current = pictures.of(playback.watchedChannel());
    QMenu* submenu = menu.addMenu(title);
    submenu->setAccessibleName(title);
    addChoices(*submenu, choices, current.*field, [&playback, current, field](Field chosen) {
        PictureSettings picture = current;
        picture.*field = chosen;
        playback.choosePicture(picture);
    });
}

void addPictureMenus(PlaybackController& playback, const PictureChoices& pictures, QMenu& menu)
{
    addPictureMenu<Shape>(playback, pictures, menu, QStringLiteral("画面比例"), &PictureSettings::shape,
                          {{QStringLiteral("默认"), Shape::Source},
                           {QStringLiteral("16:9"), Shape::Wide},
                           {QStringLiteral("4:3"), Shape::Standard},
                           {QStringLiteral("拉伸填满"), Shape::Fill},
                           {QStringLiteral("裁去黑边"), Shape::CropBars}});
    addPictureMenu<Deinterlace>(playback, pictures, menu, QStringLiteral("去隔行"), &PictureSettings::deinterlace,
                                {{QStringLiteral("关闭"), Deinterlace::Off},
                                 {QStringLiteral("自动"), Deinterlace::Auto},
                                 {QStringLiteral("混合"), Deinterlace::Blend},
                                 {QStringLiteral("Yadif"), Deinterlace::Yadif}});
}

// A live channel read through its time-shift buffer: back to live, and recording.
void addLiveEntries(PlaybackController& playback, QMenu& menu)
{
    const LiveControl& live = playback.live();
    if (!live.isAvailable() || playback.watchingBack())
        return;
    menu.addAction(QStringLiteral("回到直播"), &playback, &PlaybackController::backToLive)->setEnabled(live.isBehind());
    menu.addAction(live.recording() ? QStringLiteral("停止录制") : QStringLiteral("录制"), &playback,
                   &PlaybackController::toggleRecording);
    menu.addSeparator();
}

} // namespace

VideoMenuView::VideoMenuView(MainWindow& window, PlaybackController& playback, const PictureChoices& pictures,
                             ScreenshotView& screenshot, MediaInfoView& info)
    : window_(window), playback_(playback), pictures_(pictures), screenshot_(screenshot), info_(info)
{
    // Over the video, in the window and in full screen.
    PicBox& video = window.get<PicBox>(u"VideoSurface");
    video.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&video, &QWidget::customContextMenuRequested, this,
            [this, &video](QPoint at) { show(video.mapToGlobal(at)); });
}

void VideoMenuView::show(QPoint onScreen)
{
    QMenu menu;
    menu.setAccessibleName(QStringLiteral("视频菜单"));
    const bool playing = playback_.nowPlaying().generation != 0;
    addTrackMenus(window_, playback_, menu);
    addPictureMenus(playback_, pictures_, menu);
    for (QAction* action : menu.actions())
        action->setEnabled(action->isEnabled() && playing);
    menu.addSeparator();
    addLiveEntries(playback_, menu);
    menu.addAction(QStringLiteral("截图"), this, [this] { screenshot_.save(); })->setEnabled(playing);
    QAction* info = menu.addAction(QStringLiteral("信息"), this, [this] { info_.toggle(); });
    info->setCheckable(true);
    info->setChecked(info_.isShown());
    menu.addSeparator();
    menu.addAction(QStringLiteral("设置…"), this, &VideoMenuView::settingsAsked)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    menu.exec(onScreen);
}
