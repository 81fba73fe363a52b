#pragma once

#include <QColor>
#include <QImage>
#include <QPoint>
#include <QStringList>

#include <functional>

class QMessageBox;
class QObject;
class QWidget;

namespace xtest {

// Runs xdotool with the given arguments against the test's X display; true on success.
bool xdotool(const QStringList& arguments);

// Presses the left button at a screen point, moves by delta in a few steps, releases.
bool dragWithRealPointer(QPoint from, QPoint delta);

// What the X server shows on the screen in that rectangle (screen coordinates).
QImage grabScreen(const QRect& area);
QColor screenPixel(QPoint point);

// Shows a widget and waits until the X server has mapped and painted it.
bool showAndWait(QWidget& widget);

// Answers the next modal message box when it shows, without waiting inside
// the event loop that the box itself runs: the answer gets the box.
void answerNextMessageBox(QObject* context, const std::function<void(QMessageBox&)>& answer);

} // namespace xtest
