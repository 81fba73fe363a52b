#pragma once

#include "Control.h"

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QRect>

class QWidget;

// Balloon-tip component: one tip per target control, shown while the mouse
// rests on the target (or on an area of it).
class Q_tip final : public QObject, public Control {
    Q_OBJECT
public:
    explicit Q_tip(QObject* parent = nullptr);

    QObject& object() override { return *this; }

    // Adds or replaces the tip of target. An empty area covers the whole target.
    // The icon index points into the component's image list, which is empty;
    // a negative index means no icon.
    // The text is the target's accessible description as well.
    bool SetTip(QWidget* target, const QString& text, int icon = -1, const QRect& area = {});

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Tip {
        QPointer<QWidget> target;
        QString text;
        QRect area;
    };
    QHash<const QObject*, Tip> tips_;
};
