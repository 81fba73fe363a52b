#include "PicBox.h"

#include <QMouseEvent>
#include <QPainter>

PicBox::PicBox(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PicBox::setBackground(Rgb color)
{
    background_ = color;
    update();
}

void PicBox::setPicture(const QImage& picture)
{
    picture_ = picture;
    update();
}

void PicBox::setDisplayMode(DisplayMode mode)
{
    mode_ = mode;
    update();
}

QRect PicBox::pictureRect(QSize box, QSize picture, DisplayMode mode)
{
    switch (mode) {
    case DisplayMode::Natural:
        return QRect(QPoint(0, 0), picture);
    case DisplayMode::Stretched:
        return QRect(QPoint(0, 0), box);
    case DisplayMode::CenteredFit: {
        QSize size = picture;
        if (picture.width() > box.width() || picture.height() > box.height())
            size = picture.scaled(box, Qt::KeepAspectRatio);
        return QRect(QPoint((box.width() - size.width()) / 2, (box.height() - size.height()) / 2), size);
    }
    }
    return {};
}

void PicBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), backgroundColor(background_, palette()));
    if (picture_.isNull())
        return;
    painter.setRenderHint(QPainter::SmoothPixmapTransform, mode_ != DisplayMode::Natural);
    painter.drawImage(pictureRect(size(), picture_.size(), mode_), picture_);
}

void PicBox::mousePressEvent(QMouseEvent* event)
{
    event->ignore();
}

void PicBox::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        emit doubleClicked(event->position().toPoint(), event->modifiers());
    event->accept();
}
