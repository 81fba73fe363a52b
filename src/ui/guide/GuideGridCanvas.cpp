#include "ui/guide/GuideGridCanvas.h"

#include "ui/Texts.h"
#include "core/guide/GuideText.h"

#include <QAccessible>
#include <QDateTime>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QPainter>
#include <QToolTip>
#include <QWheelEvent>

using namespace guidegrid;

namespace {

constexpr double kPixelsPerColumn = 150;

const QColor kBackground(16, 16, 16);
const QColor kPastCell(30, 30, 30);
const QColor kCell(44, 44, 44);
const QColor kNowCell(28, 64, 46);
const QColor kChosen(50, 177, 108);
const QColor kHeading(60, 60, 60);
const QColor kNowLine(230, 60, 60);

} // namespace

GuideGridCanvas::GuideGridCanvas(QWidget* parent)
    : QWidget(parent), timeline_(QTimeZone::systemTimeZone(), kPixelsPerColumn)
{
    setObjectName(QStringLiteral("GuideGridCanvas"));
    setAccessibleName(QStringLiteral("节目网格"));
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void GuideGridCanvas::present(GuideGridRows rows, qint64 now, int row)
{
    rows_ = std::move(rows);
    schedules_.clear();
    now_ = now;
    // The days offered reach the last programme any row knows.
    qint64 lastStop = 0;
    for (int each = 0; each < rows_.count; ++each)
        if (const Schedule* schedule = rows_.isHeading(each) ? nullptr : scheduleOf(each); schedule && !schedule->empty())
            lastStop = std::max(lastStop, schedule->back().stop);
    days_ = daysOf(timeline_, now, rows_.catchupDays, lastStop);
    const Navigation move = navigation();
    const int first = rows_.count > 0 && rows_.isHeading(0) ? move.rowBy(0, 1) : 0;
    const int shown = row >= 0 && row < rows_.count && !rows_.isHeading(row) ? row : first;
    // Now a column in from the left; the row in the middle when it can be.
    viewStart_ = Timeline::columnStart(now) - kColumn;
    firstRow_ = std::max(0, shown - visibleRows() / 2);
    placeCursor({shown, days_.clamp(now)});
}

void GuideGridCanvas::refresh()
{
    schedules_.clear();
    describeCursor();
    update();
}

void GuideGridCanvas::describeCursor()
{
    setAccessibleDescription(describe(currentCell()));
    QAccessibleEvent changed(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&changed);
}

void GuideGridCanvas::setNow(qint64 now)
{
    now_ = now;
    update();
}

const Schedule* GuideGridCanvas::scheduleOf(int row) const
{
    if (row < 0 || row >= rows_.count || !rows_.schedule)
        return nullptr;
    auto found = schedules_.find(row);
    if (found == schedules_.end())
        found = schedules_.emplace(row, rows_.schedule(row)).first;
    return found->second.get();
}

Navigation GuideGridCanvas::navigation() const
{
    return Navigation(rows_.count, rows_.isHeading ? rows_.isHeading : [](int) { return false; }, days_,
                      [this](int row) { return scheduleOf(row); });
}

Cell GuideGridCanvas::currentCell() const
{
    return navigation().cellOf(cursor_);
}

const Programme* GuideGridCanvas::programmeOf(const Cell& cell) const
{
    const Schedule* schedule = scheduleOf(cell.row);
    return schedule && cell.programme >= 0 && size_t(cell.programme) < schedule->size() ? &(*schedule)[size_t(cell.programme)]
                                                                                        : nullptr;
}

bool GuideGridCanvas::canWatchBack(const Cell& cell) const
{
    const Programme* programme = programmeOf(cell);
    return programme && programme->stop <= now_ && rows_.watchableBack && rows_.watchableBack(cell.row, *programme);
}

void GuideGridCanvas::moveTo(int row, qint64 time)
{
    if (row < 0 || row >= rows_.count)
        return;
    placeCursor({row, days_.clamp(time)});
}

void GuideGridCanvas::moveByDays(int days)
{
    placeCursor(navigation().byDays(cursor_, days, timeline_));
}

void GuideGridCanvas::placeCursor(const Cursor& cursor)
{
    cursor_ = cursor;
    keepCursorInView();
    describeCursor();
    update();
    emit cursorMoved();
}

int GuideGridCanvas::visibleRows() const
{
    return std::max(1, (height() - kHeaderHeight) / kRowHeight);
}

qint64 GuideGridCanvas::viewEnd() const
{
    return timeline_.timeAt(rowsAreaWidth(), viewStart_);
}

void GuideGridCanvas::keepCursorInView()
{
    if (cursor_.row < firstRow_)
        firstRow_ = cursor_.row;
    else if (cursor_.row >= firstRow_ + visibleRows())
        firstRow_ = cursor_.row - visibleRows() + 1;
    firstRow_ = std::clamp(firstRow_, 0, std::max(0, rows_.count - visibleRows()));
    // The moment the cursor holds in view, a column in from the left when it was out of it.
    const qint64 span = viewEnd() - viewStart_;
    if (cursor_.time < viewStart_ || cursor_.time >= viewStart_ + span)
        viewStart_ = Timeline::columnStart(cursor_.time) - kColumn;
    viewStart_ = std::clamp(viewStart_, days_.from, std::max(days_.from, days_.to - span));
}

QRect GuideGridCanvas::cellRect(const Cell& cell) const
{
    const int left = kNamesWidth + int(std::max(0.0, timeline_.x(cell.start, viewStart_)));
    const int right = kNamesWidth + int(std::min(double(rowsAreaWidth()), timeline_.x(cell.stop, viewStart_)));
    const int top = kHeaderHeight + (cell.row - firstRow_) * kRowHeight;
    return QRect(QPoint(left, top), QPoint(right - 1, top + kRowHeight - 2));
}

QString GuideGridCanvas::describe(const Cell& cell) const
{
    if (cell.row < 0 || cell.row >= rows_.count)
        return {};
    const Programme* programme = programmeOf(cell);
    QString text = rows_.name(cell.row);
    if (!programme)
        return text + QStringLiteral("\n没有节目信息");
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    text += QLatin1Char('\n') + chinese.toString(QDateTime::fromSecsSinceEpoch(programme->start).date(), QStringLiteral("M月d日 ")) +
            programmeTimes(*programme) + QStringLiteral("  ") + programme->title;
    if (canWatchBack(cell))
        text += QStringLiteral("  〔") + texts::watchableBack() + QStringLiteral("〕");
    if (rows_.reminded && rows_.reminded(cell.row, *programme))
        text += QStringLiteral("  〔已预约〕");
    if (!programme->description.isEmpty())
        text += QLatin1Char('\n') + programme->description;
    return text;
}

void GuideGridCanvas::drawCell(QPainter& painter, const Cell& cell, const Programme* programme)
{
    const QRect area = cellRect(cell);
    if (area.width() <= 0)
        return;
    const bool chosen = cell == currentCell();
    const bool past = cell.stop <= now_;
    const bool onNow = cell.start <= now_ && now_ < cell.stop;
    painter.fillRect(area, chosen ? kChosen : onNow ? kNowCell : past ? kPastCell : kCell);
    if (!programme)
        return;
    QString text = programme->title;
    if (canWatchBack(cell))
        text += QStringLiteral("〔") + texts::watchableBack() + QStringLiteral("〕");
    if (rows_.reminded && rows_.reminded(cell.row, *programme))
        text = QStringLiteral("⏰") + text;
    painter.setPen(past && !chosen ? QColor(128, 128, 128) : QColor(255, 255, 255));
    const QRect inside = area.adjusted(6, 0, -4, 0);
    painter.drawText(inside, Qt::AlignVCenter | Qt::AlignLeft,
                     painter.fontMetrics().elidedText(text, Qt::ElideRight, inside.width()));
}

void GuideGridCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    const qint64 end = viewEnd();
    // The half hours along the top.
    painter.setPen(QColor(192, 192, 192));
    for (const Timeline::Column& column : timeline_.columns(viewStart_, end)) {
        const int x = kNamesWidth + int(timeline_.x(column.start, viewStart_));
        painter.drawLine(x, kHeaderHeight - 6, x, kHeaderHeight);
        painter.drawText(QRect(x + 4, 0, int(kPixelsPerColumn) - 4, kHeaderHeight), Qt::AlignVCenter, column.label);
    }
    const int lastRow = std::min(rows_.count - 1, firstRow_ + visibleRows() - 1);
    for (int row = firstRow_; row <= lastRow; ++row) {
        const int top = kHeaderHeight + (row - firstRow_) * kRowHeight;
        const QRect nameArea(6, top, kNamesWidth - 10, kRowHeight - 2);
        if (rows_.isHeading(row)) {
            painter.fillRect(QRect(0, top, width(), kRowHeight - 2), kHeading);
            painter.setPen(QColor(230, 230, 230));
            painter.drawText(nameArea.adjusted(0, 0, width(), 0), Qt::AlignVCenter, rows_.name(row));
            continue;
        }
        const bool playing = row == rows_.playing;
        painter.setPen(playing ? kChosen : QColor(230, 230, 230));
        const QString name = (playing ? QStringLiteral("▶ ") : QString()) + rows_.name(row);
        painter.drawText(nameArea, Qt::AlignVCenter, painter.fontMetrics().elidedText(name, Qt::ElideRight, nameArea.width()));
    }
    // Only the programmes in view are looked at.
    painter.setClipRect(QRect(kNamesWidth, kHeaderHeight, rowsAreaWidth(), height() - kHeaderHeight));
    const auto scheduleOfRow = [this](int row) { return rows_.isHeading(row) ? nullptr : scheduleOf(row); };
    for (const Cell& cell : cellsIn(firstRow_, lastRow, viewStart_, end, scheduleOfRow))
        drawCell(painter, cell, programmeOf(cell));
    // A cursor on a row without a programme there still shows where it is.
    if (const Cell chosen = currentCell(); chosen.programme < 0 && chosen.row >= firstRow_ && chosen.row <= lastRow)
        drawCell(painter, chosen, nullptr);
    painter.setClipping(false);
    if (now_ >= viewStart_ && now_ < end) {
        const int x = kNamesWidth + int(timeline_.x(now_, viewStart_));
        painter.fillRect(QRect(x - 1, 0, 2, height()), kNowLine);
    }
}

Cell GuideGridCanvas::cellAtPoint(const QPoint& point) const
{
    if (point.x() < kNamesWidth || point.y() < kHeaderHeight)
        return {};
    const int row = firstRow_ + (point.y() - kHeaderHeight) / kRowHeight;
    if (row >= rows_.count || rows_.isHeading(row))
        return {};
    return cellAt(row, timeline_.timeAt(point.x() - kNamesWidth, viewStart_), scheduleOf(row));
}

void GuideGridCanvas::keyPressEvent(QKeyEvent* event)
{
    const Navigation move = navigation();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int direction = event->key() == Qt::Key_Left ? -1 : 1;
        placeCursor(shift ? move.byDays(cursor_, direction, timeline_) : move.across(cursor_, direction));
        return;
    }
    case Qt::Key_Up:
    case Qt::Key_Down:
        placeCursor({move.rowBy(cursor_.row, event->key() == Qt::Key_Up ? -1 : 1), cursor_.time});
        return;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
        placeCursor({move.rowBy(cursor_.row, event->key() == Qt::Key_PageUp ? -visibleRows() : visibleRows()), cursor_.time});
        return;
    case Qt::Key_Home:
        viewStart_ = Timeline::columnStart(now_) - kColumn;
        placeCursor(move.toTime(cursor_, now_));
        return;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        emit activated(currentCell());
        return;
    case Qt::Key_Slash:
        emit searchAsked();
        return;
    case Qt::Key_Escape:
    case Qt::Key_E:
        emit closeAsked();
        return;
    default:
        QWidget::keyPressEvent(event);
    }
}

void GuideGridCanvas::wheelEvent(QWheelEvent* event)
{
    const QPoint steps = event->angleDelta() / 120;
    const bool acrossTime = steps.x() != 0 || (event->modifiers() & Qt::ShiftModifier);
    const int step = steps.x() != 0 ? steps.x() : steps.y();
    if (step == 0)
        return;
    if (acrossTime) {
        const qint64 span = viewEnd() - viewStart_;
        viewStart_ = std::clamp(viewStart_ - step * kColumn, days_.from, std::max(days_.from, days_.to - span));
    } else {
        firstRow_ = std::clamp(firstRow_ - 3 * step, 0, std::max(0, rows_.count - visibleRows()));
    }
    update();
    event->accept();
}

void GuideGridCanvas::mousePressEvent(QMouseEvent* event)
{
    const Cell cell = cellAtPoint(event->position().toPoint());
    if (cell.row >= 0)
        placeCursor({cell.row, std::clamp(timeline_.timeAt(event->position().x() - kNamesWidth, viewStart_), cell.start, cell.stop - 1)});
}

void GuideGridCanvas::mouseDoubleClickEvent(QMouseEvent* event)
{
    const Cell cell = cellAtPoint(event->position().toPoint());
    if (cell.row >= 0)
        emit activated(cell);
}

bool GuideGridCanvas::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto* help = static_cast<QHelpEvent*>(event);
        const QString text = describe(cellAtPoint(help->pos()));
        if (text.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), text, this);
        return true;
    }
    return QWidget::event(event);
}
