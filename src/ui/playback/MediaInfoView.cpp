#include "ui/playback/MediaInfoView.h"

#include "core/playback/PlaybackController.h"
#include "engine/StreamRates.h"
#include "platform/LogSecrets.h"
#include "ui/MainWindow.h"
#include "ui/playback/MediaInfoPanel.h"
#include "ui/playback/VideoArea.h"

#include <QUrl>

namespace {

// Credentials in an address are not shown (its headers are not part of it),
// nor an account's password in its path (/live/user/password/1.ts).
QString shownAddress(const QString& address)
{
    const QUrl url(address);
    if (!url.isValid() || url.scheme().size() < 2 || url.password().isEmpty())
        return withSecretsHidden(address);
    return withSecretsHidden(url.toString(QUrl::RemovePassword));
}

QString orUnknown(const QString& text)
{
    return text.isEmpty() ? QStringLiteral("未知") : text;
}

QStringList describe(const PlaybackController& playback, StreamRates& rates)
{
    const std::optional<Alternate> alternate = playback.currentAlternate();
    const NowPlaying& playing = playback.nowPlaying();
    if (!alternate || playing.generation == 0) {
        rates.clear();
        return {QStringLiteral("没有正在播放的节目")};
    }
    QStringList lines{QStringLiteral("名称：") + playing.name,
                      QStringLiteral("地址：") + shownAddress(alternate->address)};
    if (!alternate->label.isEmpty())
        lines << QStringLiteral("线路：") + alternate->label;
    const std::optional<MediaPlayer::Description> described = playback.description();
    if (!described) {
        lines << QStringLiteral("正在打开…");
        return lines;
    }
    lines << QStringLiteral("封装：") + orUnknown(described->container);
    QString video = orUnknown(described->videoCodec);
    if (!described->videoSize.isEmpty())
        video += QStringLiteral("，%1×%2").arg(described->videoSize.width()).arg(described->videoSize.height());
    if (described->frameRate > 0)
        video += QStringLiteral("，%1 帧/秒").arg(described->frameRate, 0, 'f', 2);
    lines << QStringLiteral("视频：") + video;
    QString audio = orUnknown(described->audioCodec);
    if (described->audioChannels > 0)
        audio += QStringLiteral("，%1 声道").arg(described->audioChannels);
    if (described->audioRate > 0)
        audio += QStringLiteral("，%1 Hz").arg(described->audioRate);
    lines << QStringLiteral("音频：") + audio;
    if (const std::optional<MediaPlayer::Stats> stats = playback.stats())
        rates.add(StreamRates::Clock::now(), *stats);
    const std::optional<double> rate = rates.kilobitsPerSecond();
    lines << QStringLiteral("码率：") + (rate ? QStringLiteral("%1 kbit/s").arg(*rate, 0, 'f', 0) : QStringLiteral("测量中"))
          << QStringLiteral("丢帧：%1（近 5 秒）").arg(rates.lostPictures());
    return lines;
}

} // namespace

MediaInfoView::MediaInfoView(MainWindow& window, const PlaybackController& playback, VideoArea& video)
    : window_(window), playback_(playback), video_(video)
{
}

MediaInfoView::~MediaInfoView()
{
    delete panel_.data();
}

void MediaInfoView::toggle()
{
    if (close())
        return;
    if (!panel_) {
        auto rates = std::make_shared<StreamRates>();
        panel_ = new MediaInfoPanel(
            window_, [&playback = playback_, rates] { return describe(playback, *rates); },
            [&video = video_] { return video.onScreen().topLeft() + QPoint(8, 8); });
    }
    panel_->present();
}

bool MediaInfoView::isShown() const
{
    return panel_ && panel_->isVisible();
}

bool MediaInfoView::close()
{
    if (!isShown())
        return false;
    panel_->hide();
    return true;
}
