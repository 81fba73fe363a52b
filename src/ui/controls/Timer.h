#pragma once

#include "Control.h"

#include <QObject>
#include <QTimer>

// Periodic timer. Writing a period restarts it (first tick one period later);
// 0 or less stops it; writing the period it already has changes nothing.
class Timer final : public QObject, public Control {
    Q_OBJECT
public:
    explicit Timer(QObject* parent = nullptr);

    QObject& object() override { return *this; }

    int period() const { return period_; }
    void setPeriod(int milliseconds);
    bool isRunning() const { return timer_.isActive(); }

signals:
    void ticked();

private:
    QTimer timer_;
    int period_ = 0;
};
