#pragma once

#include <QColor>
#include <QElapsedTimer>
#include <QImage>
#include <QPoint>
#include <QStringList>

#include <functional>
#include <memory>

class QMenu;
class QMessageBox;
class QTimer;
class QObject;
class QWidget;

namespace xtest {

// Runs xdotool with the given arguments against the test's X display; true on success.
bool xdotool(const QStringList& arguments);

// Waits until a process shows a window (slow under the sanitizers); true when it does.
bool waitForWindowOf(qint64 pid, int timeoutMs = 60000);

// Presses the left button at a screen point, moves by delta in a few steps, releases.
bool dragWithRealPointer(QPoint from, QPoint delta);

// What the X server shows on the screen in that rectangle (screen coordinates).
QImage grabScreen(const QRect& area);
QColor screenPixel(QPoint point);

// Whether another client could take Esc now: false while someone (the
// program's hot key among them) holds it.
bool escapeIsFree();

// Where an item of a list box shows on the screen, found with the list's own
// hit test: the middle of the viewport rows that hold it; (-1, -1) when none do.
template <typename List>
QPoint entryOnScreen(const List& list, int item)
{
    int first = -1, last = -1;
    for (int y = 0; y < list.viewport()->height(); ++y)
        if (list.itemAt(QPoint(4, y)) == item) {
            first = first < 0 ? y : first;
            last = y;
        }
    if (first < 0)
        return {-1, -1};
    return list.viewport()->mapToGlobal(QPoint(list.viewport()->width() / 2, (first + last) / 2));
}

// Shows a widget and waits until the X server has mapped and painted it.
bool showAndWait(QWidget& widget);

// Answers the next modal message box when it shows, without waiting inside
// the event loop that the box itself runs: the answer gets the box.
void answerNextMessageBox(QObject* context, const std::function<void(QMessageBox&)>& answer);
// The same for the next popup menu: `act` runs from inside the menu's own loop once it shows.
void actOnNextMenu(QObject* context, const std::function<void(QMenu&)>& act);

// Beats on the window's thread every few milliseconds and keeps the longest
// gap between two beats: a window thread that blocks shows as a long gap.
class Heartbeat {
public:
    explicit Heartbeat(int periodMs);
    ~Heartbeat();
    qint64 longestGapMs() const { return longest_; }

private:
    std::unique_ptr<QTimer> timer_;
    QElapsedTimer sinceBeat_;
    qint64 longest_ = 0;
};

} // namespace xtest
