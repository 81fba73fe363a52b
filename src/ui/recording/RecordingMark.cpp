#include "ui/recording/RecordingMark.h"

#include "ui/controls/DefaultFont.h"

#include <QPainter>
#include <QStringList>

namespace {

constexpr int kMargin = 12;

} // namespace

RecordingMark::RecordingMark(QWidget& mainWindow, Elapsed elapsed, Area area)
    : QWidget(&mainWindow, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus |
                               Qt::WindowTransparentForInput),
      elapsed_(std::move(elapsed)), area_(std::move(area))
{
    setObjectName(QStringLiteral("RecordingMark"));
    setAccessibleName(QStringLiteral("录制中"));
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFont(defaultGuiFont());
    tick_.setInterval(500);
    connect(&tick_, &QTimer::timeout, this, &RecordingMark::follow);
}

QString RecordingMark::text() const
{
    QStringList parts;
    if (shownMs_ >= 0) {
        const std::int64_t seconds = shownMs_ / 1000;
        QString clock = QStringLiteral("%1:%2").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
        if (seconds >= 3600)
            clock.prepend(QString::number(seconds / 3600) + u':');
        parts << QStringLiteral("录制 ") + clock;
    }
    if (beside_ > 0)
        parts << QStringLiteral("后台录制 %1").arg(beside_);
    return QStringLiteral("● ") + parts.join(QStringLiteral(" · "));
}

void RecordingMark::setBeside(int recordings)
{
    beside_ = recordings;
    follow();
}

void RecordingMark::follow()
{
    const std::int64_t elapsed = elapsed_();
    if (elapsed < 0 && beside_ <= 0) {
        tick_.stop();
        hide();
        return;
    }
    shownMs_ = elapsed;
    setAccessibleDescription(text());
    const QRect video = area_();
    const QSize size(fontMetrics().horizontalAdvance(text()) + 20, fontMetrics().height() + 10);
    setGeometry(QRect(video.topLeft() + QPoint(kMargin, kMargin), size));
    // The tick moves the clock on and keeps the mark over the video as the window moves.
    if (!isVisible()) {
        show();
        tick_.start();
    }
    raise();
    update();
}

void RecordingMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), QColor(0, 0, 0, 170));
    painter.setPen(QColor(235, 64, 52));
    painter.drawText(rect(), Qt::AlignCenter, text());
}
