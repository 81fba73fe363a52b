#include "Control.h"

#include <QObject>
#include <QWidget>

#include <algorithm>

int Control::clampPosition(int value)
{
    return std::clamp(value, -kCoordinateLimit, kCoordinateLimit);
}

int Control::clampExtent(int value)
{
    return std::clamp(value, 0, kCoordinateLimit);
}

QString Control::name() const
{
    return object().objectName();
}

QRect Control::Rect() const
{
    if (const QWidget* w = widget())
        return w->geometry();
    return storedRect_;
}

int Control::Left() const { return Rect().x(); }
int Control::Top() const { return Rect().y(); }
int Control::Width() const { return Rect().width(); }
int Control::Height() const { return Rect().height(); }

void Control::SetRect(const QRect& rect)
{
    const QRect clamped(clampPosition(rect.x()), clampPosition(rect.y()), clampExtent(rect.width()),
                        clampExtent(rect.height()));
    if (QWidget* w = widget())
        w->setGeometry(clamped);
    else
        storedRect_ = clamped;
}

void Control::SetLeft(int value)
{
    QRect r = Rect();
    r.moveLeft(value);
    SetRect(r);
}

void Control::SetTop(int value)
{
    QRect r = Rect();
    r.moveTop(value);
    SetRect(r);
}

void Control::SetWidth(int value)
{
    QRect r = Rect();
    r.setWidth(value);
    SetRect(r);
}

void Control::SetHeight(int value)
{
    QRect r = Rect();
    r.setHeight(value);
    SetRect(r);
}

bool Control::Visible() const
{
    if (const QWidget* w = widget())
        return !w->isHidden();
    return visible_;
}

void Control::SetVisible(bool visible)
{
    if (QWidget* w = widget())
        w->setVisible(visible);
    else
        visible_ = visible;
}

bool Control::Disabled() const
{
    if (const QWidget* w = widget())
        return !w->isEnabled();
    return disabled_;
}

void Control::SetDisabled(bool disabled)
{
    if (QWidget* w = widget())
        w->setEnabled(!disabled);
    else
        disabled_ = disabled;
}

void Control::SetCursor(CursorKind cursor)
{
    cursor_ = cursor;
    if (QWidget* w = widget())
        w->setCursor(cursor == CursorKind::Hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}
