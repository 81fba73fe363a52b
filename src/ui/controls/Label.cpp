#include "Label.h"

#include <QMouseEvent>

Label::Label(QWidget* parent) : QWidget(parent) {}

void Label::mousePressEvent(QMouseEvent* event)
{
    event->ignore();
}
