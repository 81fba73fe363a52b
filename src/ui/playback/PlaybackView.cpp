#include "ui/playback/PlaybackView.h"

#include "core/lists/ChannelNavigator.h"
#include "core/playback/PlaybackController.h"
#include "ui/MainWindow.h"
#include "ui/Texts.h"
#include "ui/controls/Control.h"
#include "ui/controls/ListBox.h"
#include "ui/controls/TransLabel.h"
#include "ui/playback/PositionBar.h"
#include "ui/playback/TitleView.h"
#include "ui/playback/VideoArea.h"

#include <QMessageBox>

PlaybackView::PlaybackView(MainWindow& window, PlaybackController& playback, const ChannelNavigator& channels,
                           VideoArea& video)
    : window_(window), playback_(playback), channels_(channels), video_(video)
{
    new TitleView(window.get<TransLabel>(u"TitleLabel"), playback);
    connect(&playback, &PlaybackController::stateChanged, this, [this] {
        if (playback_.nowPlaying().generation != 0)
            makePositionBar();
    });
    connect(&playback, &PlaybackController::positionMoved, this, &PlaybackView::showPositionBar);
    // The number, the level bar and the up button as the controller keeps them.
    connect(&playback, &PlaybackController::volumeChanged, this, [this](const VolumeState::Look& look) {
        window_.get<TransLabel>(u"VolumeValueLabel").setCaption(QString::number(look.number));
        window_.control(u"VolumeLevelBar")->SetWidth(look.barWidth);
        window_.control(u"VolumeUpButton")->SetDisabled(look.upDisabled);
    });
    video.follow(playback);
    connect(&video, &VideoArea::resized, &playback, &PlaybackController::videoAreaResized);
}

PlaybackView::~PlaybackView()
{
    delete positionBar_.data();
}

void PlaybackView::playSelected()
{
    if (channels_.list().count() == 0) {
        QMessageBox box(QMessageBox::NoIcon, texts::infoCaption(), texts::emptyList(), QMessageBox::Ok);
        box.setAccessibleName(texts::infoCaption());
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return;
    }
    playback_.playEntry(window_.get<ListBox>(u"SourceList").currentSelection());
}

void PlaybackView::stop()
{
    playback_.stop();
}

void PlaybackView::showPositionBar()
{
    makePositionBar();
    positionBar_->showNow();
}

// Mouse moves over the video show the position bar from the first choice on.
void PlaybackView::makePositionBar()
{
    if (positionBar_)
        return;
    positionBar_ = new PositionBar(
        window_,
        [&playback = playback_]() -> std::optional<PositionBar::Shown> {
            const std::optional<PlaybackController::Position> at = playback.position();
            if (!at)
                return std::nullopt;
            return PositionBar::Shown{at->timeMs, at->lengthMs, at->live};
        },
        [&video = video_] { return video.onScreen(); });
    for (QWidget* surface : video_.surfaces())
        positionBar_->watch(*surface);
    connect(positionBar_, &PositionBar::jumpTo, &playback_, &PlaybackController::jumpTo);
}
