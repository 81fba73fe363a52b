#include "ui/playback/PositionBar.h"

#include "ui/controls/DefaultFont.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr int kMargin = 10;
constexpr int kTextWidth = 130;

QString clock(std::int64_t milliseconds)
{
    const std::int64_t seconds = std::max<std::int64_t>(milliseconds, 0) / 1000;
    const QString minutesAndSeconds =
        QStringLiteral("%1:%2").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds >= 3600 ? QString::number(seconds / 3600) + u':' + minutesAndSeconds : minutesAndSeconds;
}

} // namespace

PositionBar::PositionBar(QWidget& mainWindow, Reader reader, Area area)
    : QWidget(&mainWindow, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus),
      reader_(std::move(reader)), area_(std::move(area))
{
    setObjectName(QStringLiteral("PositionBar"));
    setAccessibleName(QStringLiteral("播放进度"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setCursor(Qt::PointingHandCursor);
    setFont(defaultGuiFont());
    hide_.setSingleShot(true);
    hide_.setInterval(kShownMs);
    connect(&hide_, &QTimer::timeout, this, [this] {
        hide();
        refresh_.stop();
    });
    refresh_.setInterval(250);
    connect(&refresh_, &QTimer::timeout, this, &PositionBar::refresh);
}

void PositionBar::showNow()
{
    const std::optional<Shown> now = reader_();
    if (!now) {
        hide();
        return;
    }
    shown_ = *now;
    setAccessibleDescription(text());
    hide_.start();
    update();
    if (isVisible())
        return; // every move of the pointer only keeps it a while longer
    const QRect video = area_();
    setGeometry(video.left(), video.bottom() + 1 - kHeight, video.width(), kHeight);
    show();
    raise();
    refresh_.start();
}

void PositionBar::watch(QWidget& surface)
{
    surface.setMouseTracking(true);
    surface.installEventFilter(this);
}

QString PositionBar::text() const
{
    if (shown_.live) {
        // Within a second of the newest moment held is live: the engine's own buffering.
        const std::int64_t behind = shown_.lengthMs - shown_.timeMs;
        return behind < 1000 ? QStringLiteral("直播") : QStringLiteral("−") + clock(behind);
    }
    return clock(shown_.timeMs) + QStringLiteral(" / ") + clock(shown_.lengthMs);
}

bool PositionBar::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove)
        showNow();
    return QWidget::eventFilter(watched, event);
}

void PositionBar::refresh()
{
    const std::optional<Shown> now = reader_();
    if (!now) {
        hide();
        refresh_.stop();
        return;
    }
    shown_ = *now;
    setAccessibleDescription(text());
    update();
}

QRect PositionBar::track() const
{
    return QRect(kMargin, height() / 2 - 3, width() - 3 * kMargin - kTextWidth, 6);
}

void PositionBar::mousePressEvent(QMouseEvent* event)
{
    const QRect bar = track();
    if (event->button() != Qt::LeftButton || shown_.lengthMs <= 0 || bar.width() <= 0)
        return;
    const double fraction = std::clamp((event->position().x() - bar.left()) / bar.width(), 0.0, 1.0);
    emit jumpTo(std::int64_t(fraction * double(shown_.lengthMs)));
    hide_.start();
}

void PositionBar::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 200));
    const QRect bar = track();
    painter.fillRect(bar, QColor(90, 90, 90));
    if (shown_.lengthMs > 0) {
        const double fraction = std::clamp(double(shown_.timeMs) / double(shown_.lengthMs), 0.0, 1.0);
        painter.fillRect(QRect(bar.left(), bar.top(), int(bar.width() * fraction), bar.height()), QColor(50, 177, 108));
    }
    painter.setPen(Qt::white);
    painter.drawText(QRect(width() - kMargin - kTextWidth, 0, kTextWidth, height()), Qt::AlignVCenter | Qt::AlignRight,
                     text());
}
