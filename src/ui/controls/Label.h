#pragma once

#include "Control.h"

#include <QWidget>

// Plain label. The window uses one, never shown, as the receiver of the hot key:
// Notify() raises its notification event with two integers.
class Label final : public QWidget, public Control {
    Q_OBJECT
public:
    explicit Label(QWidget* parent = nullptr);

    QObject& object() override { return *this; }
    QWidget* widget() override { return this; }

    void Notify(int first, int second) { emit notified(first, second); }

signals:
    void notified(int first, int second);

protected:
    // Presses pass to the window, which drags itself.
    void mousePressEvent(QMouseEvent* event) override;
};
