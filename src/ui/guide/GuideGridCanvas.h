#pragma once

#include "core/guide/GuideGrid.h"

#include <QWidget>

#include <functional>
#include <memory>
#include <unordered_map>

// What the grid shows of the list and the guide, asked row by row (a row is
// an index of the list as shown: favourites first, headings as group bars).
struct GuideGridRows {
    int count = 0;
    std::function<bool(int row)> isHeading;
    std::function<QString(int row)> name;
    std::function<std::shared_ptr<const std::vector<Programme>>(int row)> schedule;
    std::function<bool(int row, const Programme&)> watchableBack;
    std::function<bool(int row, const Programme&)> reminded;
    int playing = -1;    // the row of the channel playing
    int catchupDays = 0; // how far back any row can be watched
};

// The grid itself: channel names down the left, half hours along the top,
// each visible programme a cell, the line of now over them. It draws only
// the rows and hours in view. Arrows move a cell, PageUp/PageDown a screen
// of rows, Shift+←/→ a day, Home comes back to now, Enter acts on the cell.
class GuideGridCanvas final : public QWidget {
    Q_OBJECT
public:
    explicit GuideGridCanvas(QWidget* parent);

    // Opens on now, on `row` (else the first channel).
    void present(GuideGridRows rows, qint64 now, int row);
    // What the guide knows changed: the rows' programmes are asked again.
    void refresh();
    void setNow(qint64 now);
    void moveTo(int row, qint64 time);
    void moveByDays(int days);
    guidegrid::Cell currentCell() const;
    qint64 cursorTime() const { return cursor_.time; }
    int rowCount() const { return rows_.count; }
    const Programme* programmeOf(const guidegrid::Cell& cell) const;
    // A past programme the cell holds can be watched back.
    bool canWatchBack(const guidegrid::Cell& cell) const;
    const guidegrid::Days& days() const { return days_; }
    const guidegrid::Timeline& timeline() const { return timeline_; }
    int firstRow() const { return firstRow_; }
    qint64 viewStart() const { return viewStart_; }
    // The cell's channel, times, title and description, as its tooltip says them.
    QString describe(const guidegrid::Cell& cell) const;
    // The cell drawn at a point of the canvas; row -1 when none.
    guidegrid::Cell cellAtPoint(const QPoint& point) const;

signals:
    void activated(const guidegrid::Cell& cell);
    void cursorMoved();
    void searchAsked();
    void closeAsked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    const guidegrid::Schedule* scheduleOf(int row) const;
    guidegrid::Navigation navigation() const;
    void placeCursor(const guidegrid::Cursor& cursor);
    void describeCursor(); // for a screen reader: the cell under the cursor
    void keepCursorInView();
    int visibleRows() const;
    int rowsAreaWidth() const { return width() - kNamesWidth; }
    qint64 viewEnd() const;
    QRect cellRect(const guidegrid::Cell& cell) const;
    void drawCell(QPainter& painter, const guidegrid::Cell& cell, const Programme* programme);

    static constexpr int kNamesWidth = 170;
    static constexpr int kHeaderHeight = 28;
    static constexpr int kRowHeight = 34;

    GuideGridRows rows_;
    mutable std::unordered_map<int, std::shared_ptr<const std::vector<Programme>>> schedules_;
    guidegrid::Timeline timeline_;
    guidegrid::Days days_;
    guidegrid::Cursor cursor_;
    qint64 now_ = 0;
    qint64 viewStart_ = 0;
    int firstRow_ = 0;
};
