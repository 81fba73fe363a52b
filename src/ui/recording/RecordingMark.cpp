#include "ui/recording/RecordingMark.h"

#include "ui/controls/DefaultFont.h"

#include <QPainter>

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
    const std::int64_t seconds = shownMs_ / 1000;
    QString clock = QStringLiteral("%1:%2").arg(seconds / 60 % 60, 2, 10, QLatin1Char('0')).arg(seconds % 60, 2, 10, QLatin1Char('0'));
    if (seconds >= 3600)
        clock.prepend(QString::number(seconds / 3600) + u':');
    return QStringLiteral("● 录制 ") + clock;
}

void RecordingMark::follow()
{
    const std::int64_t elapsed = elapsed_();
    if (elapsed < 0) {
        tick_.stop();
        hide();
        return;
    }
    shownMs_ = elapsed;
    setAccessibleDescription(text());
    const QRect video = area_();
    const QSize size(fontMetrics().horizontalAdvance(text()) + 20, fontMetrics().height() + 10);
    setGeometry(QRect(video.topLeft() + QPoint(kMargin, kMargin), size));
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
