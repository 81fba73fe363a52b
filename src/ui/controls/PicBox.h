#pragma once

#include "Color.h"
#include "Control.h"

#include <QImage>
#include <QWidget>

// Picture box: a background colour with a picture over it. Single presses pass
// to the window (which drags itself); double clicks are raised here.
class PicBox final : public QWidget, public Control {
    Q_OBJECT
public:
    enum class DisplayMode { Natural = 0, Stretched = 1, CenteredFit = 2 };

    explicit PicBox(QWidget* parent = nullptr);

    QObject& object() override { return *this; }
    QWidget* widget() override { return this; }

    void setBackground(Rgb color);
    Rgb background() const { return background_; }
    void setPicture(const QImage& picture);
    const QImage& picture() const { return picture_; }
    void setDisplayMode(DisplayMode mode);

    // Where the picture lands in a box of the given size.
    static QRect pictureRect(QSize box, QSize picture, DisplayMode mode);

signals:
    void doubleClicked(QPoint position, Qt::KeyboardModifiers keys);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    Rgb background_ = 0;
    QImage picture_;
    DisplayMode mode_ = DisplayMode::Natural;
};
