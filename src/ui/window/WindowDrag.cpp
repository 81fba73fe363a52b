#include "ui/window/WindowDrag.h"

#include <QApplication>
#include <QMouseEvent>
#include <QWidget>
#include <QWindow>

void WindowDrag::press(const QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton)
        return;
    armed_ = true;
    manual_ = false;
    pressGlobal_ = event.globalPosition().toPoint();
    pressWindowPos_ = window_.pos();
}

void WindowDrag::move(const QMouseEvent& event)
{
    if (!armed_ || !(event.buttons() & Qt::LeftButton))
        return;
    const QPoint global = event.globalPosition().toPoint();
    if (manual_) {
        window_.move(pressWindowPos_ + (global - pressGlobal_));
        return;
    }
    // Waiting for the drag distance keeps a double click a double click.
    if ((global - pressGlobal_).manhattanLength() < QApplication::startDragDistance())
        return;
    QWindow* handle = window_.windowHandle();
    if (handle && handle->startSystemMove()) {
        armed_ = false;
        return;
    }
    manual_ = true;
    window_.move(pressWindowPos_ + (global - pressGlobal_));
}

void WindowDrag::release()
{
    armed_ = false;
    manual_ = false;
}
