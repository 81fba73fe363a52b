#include "MediaInfoPanel.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "VideoArea.h"
#include "controls/DefaultFont.h"
#include "core/AppCore.h"
#include "engine/StreamRates.h"
#include "platform/LogSecrets.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

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

QStringList describe(HandlerContext& context, StreamRates& rates)
{
    if (!context.core.session || !context.core.playback) // the program is ending
        return {};
    PlaybackSession& playback = *context.core.session;
    const std::optional<Alternate> alternate = playback.currentAlternate();
    const NowPlaying& playing = context.core.playback->nowPlaying();
    if (!alternate || playing.generation == 0) {
        rates.clear();
        return {QStringLiteral("没有正在播放的节目")};
    }
    QStringList lines{QStringLiteral("名称：") + playing.name,
                      QStringLiteral("地址：") + shownAddress(alternate->address)};
    if (!alternate->label.isEmpty())
        lines << QStringLiteral("线路：") + alternate->label;
    const std::optional<MediaPlayer::Description> described = playback.transport().description();
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
    if (const std::optional<MediaPlayer::Stats> stats = playback.transport().stats())
        rates.add(StreamRates::Clock::now(), *stats);
    const std::optional<double> rate = rates.kilobitsPerSecond();
    lines << QStringLiteral("码率：") + (rate ? QStringLiteral("%1 kbit/s").arg(*rate, 0, 'f', 0) : QStringLiteral("测量中"))
          << QStringLiteral("丢帧：%1（近 5 秒）").arg(rates.lostPictures());
    return lines;
}

} // namespace

MediaInfoPanel::MediaInfoPanel(QWidget& mainWindow, Lines lines, Corner corner)
    : QWidget(&mainWindow, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      lines_(std::move(lines)), corner_(std::move(corner))
{
    setObjectName(QStringLiteral("MediaInfoPanel"));
    setAccessibleName(QStringLiteral("播放信息"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(defaultGuiFont());
    setStyleSheet(QStringLiteral("MediaInfoPanel { background: rgba(0, 0, 0, 200); }"
                                 " QLabel { color: rgb(230, 230, 230); }"));
    label_ = new QLabel(this);
    label_->setAccessibleName(QStringLiteral("信息内容"));
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label_->setTextFormat(Qt::PlainText);
    auto* copy = new QPushButton(QStringLiteral("复制"), this);
    copy->setAccessibleName(QStringLiteral("复制信息"));
    copy->setFocusPolicy(Qt::NoFocus);
    connect(copy, &QPushButton::clicked, this, [this] { QApplication::clipboard()->setText(text()); });
    auto* close = new QPushButton(QStringLiteral("关闭"), this);
    close->setAccessibleName(QStringLiteral("关闭信息"));
    close->setFocusPolicy(Qt::NoFocus);
    connect(close, &QPushButton::clicked, this, &QWidget::hide);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(copy);
    buttons->addWidget(close);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 8, 10, 8);
    layout->addWidget(label_);
    layout->addLayout(buttons);
    refresh_.setInterval(kRefreshMs);
    connect(&refresh_, &QTimer::timeout, this, &MediaInfoPanel::refresh);
}

void MediaInfoPanel::present()
{
    show();
    raise();
    refresh();
    refresh_.start();
}

QString MediaInfoPanel::text() const
{
    return label_->text();
}

void MediaInfoPanel::refresh()
{
    if (!isVisible()) {
        refresh_.stop();
        return;
    }
    const QString text = lines_().join(u'\n');
    if (text != label_->text()) {
        label_->setText(text);
        setAccessibleDescription(text);
        adjustSize();
    }
    if (const QPoint corner = corner_(); corner != pos())
        move(corner);
}

void ToggleMediaInfo(HandlerContext& context)
{
    if (CloseMediaInfo(context))
        return;
    if (!context.infoPanel) {
        auto rates = std::make_shared<StreamRates>();
        context.infoPanel = new MediaInfoPanel(
            context.window, [&context, rates] { return describe(context, *rates); },
            [video = context.video] { return video->onScreen().topLeft() + QPoint(8, 8); });
    }
    context.infoPanel->present();
}

bool IsMediaInfoShown(HandlerContext& context)
{
    return context.infoPanel && context.infoPanel->isVisible();
}

bool CloseMediaInfo(HandlerContext& context)
{
    if (!IsMediaInfoShown(context))
        return false;
    context.infoPanel->hide();
    return true;
}
