#include "ui/guide/ProgrammeBanner.h"

#include "core/guide/GuideText.h"
#include "ui/controls/DefaultFont.h"

#include <QPainter>

namespace {

constexpr int kMargin = 8;
constexpr int kBarHeight = 3;

} // namespace

ProgrammeBanner::ProgrammeBanner(QWidget& mainWindow)
    : QWidget(&mainWindow, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowTransparentForInput |
                           Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("ProgrammeBanner"));
    setAccessibleName(QStringLiteral("节目信息"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(defaultGuiFont());
    hide_.setSingleShot(true);
    hide_.setInterval(kShownMs);
    connect(&hide_, &QTimer::timeout, this, &QWidget::hide);
}

void ProgrammeBanner::present(int entry, const QString& name, const ProgrammeNowNext& nowNext, qint64 now,
                              const QRect& video, const QByteArray& logo)
{
    entry_ = entry;
    name_ = name;
    logo_ = logo.isEmpty() ? QImage() : QImage::fromData(logo);
    nowNext_ = nowNext;
    now_ = now;
    setGeometry(video.left(), video.bottom() + 1 - kHeight, video.width(), kHeight);
    setAccessibleDescription(lines().join(u'\n'));
    show();
    raise();
    update();
    hide_.start();
}

void ProgrammeBanner::setLogo(const QByteArray& logo)
{
    if (logo.isEmpty() || !logo_.isNull())
        return;
    logo_ = QImage::fromData(logo);
    update();
}

QStringList ProgrammeBanner::lines() const
{
    QStringList said{name_};
    if (nowNext_.now)
        said << programmeTimes(*nowNext_.now) + u' ' + nowNext_.now->title;
    if (nowNext_.next)
        said << QStringLiteral("下一个：") + nowNextLine({std::nullopt, nowNext_.next});
    return said;
}

void ProgrammeBanner::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(16, 16, 16));
    const QStringList said = lines();
    QFont bold = font();
    bold.setBold(true);
    const int lineHeight = fontMetrics().height();
    QRect text = rect().adjusted(kMargin, 4, -kMargin, -kBarHeight - 2);
    if (!logo_.isNull()) {
        const QImage shown = logo_.scaled(QSize(text.height() * 2, text.height()), Qt::KeepAspectRatio,
                                          Qt::SmoothTransformation);
        painter.drawImage(QPoint(text.left(), text.top() + (text.height() - shown.height()) / 2), shown);
        text.setLeft(text.left() + shown.width() + kMargin);
    }
    painter.setPen(QColor(255, 255, 255));
    painter.setFont(bold);
    painter.drawText(QRect(text.left(), text.top(), text.width(), lineHeight), Qt::AlignLeft | Qt::AlignVCenter,
                     said.value(0));
    painter.setFont(font());
    painter.setPen(QColor(192, 192, 192));
    const QString details = said.mid(1).join(QStringLiteral("    "));
    painter.drawText(QRect(text.left(), text.top() + lineHeight + 2, text.width(), lineHeight),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     fontMetrics().elidedText(details, Qt::ElideRight, text.width()));
    // How far the programme on now has come.
    if (nowNext_.now && nowNext_.now->stop > nowNext_.now->start) {
        const double done = double(now_ - nowNext_.now->start) / double(nowNext_.now->stop - nowNext_.now->start);
        const QRect track(0, height() - kBarHeight, width(), kBarHeight);
        painter.fillRect(track, QColor(96, 96, 96));
        painter.fillRect(QRect(track.topLeft(), QSize(int(track.width() * std::clamp(done, 0.0, 1.0)), kBarHeight)),
                         QColor(0, 224, 128));
    }
}
