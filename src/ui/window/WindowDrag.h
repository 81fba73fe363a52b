#pragma once

#include <QPoint>

class QMouseEvent;
class QWidget;

// Moves a borderless window when the left button is pressed on its background
// (or on a control that passes presses on) and the mouse moves. The window
// manager moves it where there is one; otherwise the window follows the mouse.
class WindowDrag {
public:
    explicit WindowDrag(QWidget& window) : window_(window) {}

    void press(const QMouseEvent& event);
    void move(const QMouseEvent& event);
    void release();

private:
    QWidget& window_;
    bool armed_ = false;
    bool manual_ = false;
    QPoint pressGlobal_;
    QPoint pressWindowPos_;
};
