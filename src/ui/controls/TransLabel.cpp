#include "TransLabel.h"

#include "DefaultFont.h"

#include <QAccessible>
#include <QMouseEvent>
#include <QPainter>

TransLabel::TransLabel(QWidget* parent) : QWidget(parent)
{
    // No background of its own: Qt repaints what lies beneath on every update,
    // so a shorter caption leaves nothing of a longer one behind.
    setAutoFillBackground(false);
    setFont(defaultGuiFont());
}

void TransLabel::setCaption(const QString& caption)
{
    if (caption == caption_)
        return;
    caption_ = caption;
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
    update();
}

void TransLabel::setTextColor(Rgb color)
{
    color_ = color;
    update();
}

void TransLabel::setCaptionFont(const QFont& font)
{
    setFont(font);
    update();
}

void TransLabel::setAlignment(HAlign horizontal, VAlign vertical)
{
    horizontal_ = horizontal;
    vertical_ = vertical;
    update();
}

void TransLabel::setWordWrap(bool wrap)
{
    wordWrap_ = wrap;
    update();
}

void TransLabel::setEffect(Effect effect)
{
    effect_ = effect;
    update();
}

void TransLabel::drawCaption(QPainter& painter, const QRect& area, const QColor& color) const
{
    int flags = horizontal_ == HAlign::Center ? Qt::AlignHCenter
                : horizontal_ == HAlign::Right ? Qt::AlignRight
                                               : Qt::AlignLeft;
    if (wordWrap_) {
        flags |= Qt::TextWordWrap | Qt::AlignTop;
    } else {
        flags |= Qt::TextSingleLine;
        flags |= vertical_ == VAlign::Center   ? Qt::AlignVCenter
                 : vertical_ == VAlign::Bottom ? Qt::AlignBottom
                                               : Qt::AlignTop;
    }
    painter.setPen(color);
    painter.drawText(area, flags | Qt::TextDontClip, caption_);
}

void TransLabel::paintEvent(QPaintEvent*)
{
    if (caption_.isEmpty())
        return;
    QPainter painter(this);
    painter.setFont(font());
    const QRect area = rect();
    switch (effect_) {
    case Effect::None:
        break;
    case Effect::WhiteShadow:
        drawCaption(painter, area.translated(1, 1), Qt::white);
        break;
    case Effect::Engraved:
        drawCaption(painter, area, Qt::white);
        drawCaption(painter, area.translated(1, 1), toQColor(color_));
        return;
    case Effect::BlackShadow:
        drawCaption(painter, area.translated(2, 2), Qt::black);
        break;
    }
    drawCaption(painter, area, toQColor(color_));
}

void TransLabel::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit leftPressed(event->position().toPoint(), event->modifiers());
    event->accept();
}
