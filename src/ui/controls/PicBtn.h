#pragma once

#include "Color.h"
#include "Control.h"

#include <QImage>
#include <QRegion>
#include <QWidget>

// Picture button: normal, hover and pressed pictures by visual state, a disabled
// picture, and an optional transparent colour whose pixels are not part of the
// button (neither drawn nor hit), so what lies below shows through and takes the click.
class PicBtn final : public QWidget, public Control {
    Q_OBJECT
public:
    enum class State { Normal = 0, Hover = 1, Pressed = 2 };

    explicit PicBtn(QWidget* parent = nullptr);

    QObject& object() override { return *this; }
    QWidget* widget() override { return this; }

    void setNormalPicture(const QImage& picture);
    void setHoverPicture(const QImage& picture);
    void setPressedPicture(const QImage& picture);
    void setDisabledPicture(const QImage& picture);
    void setTransparentColor(Rgb color);
    void setToggleMode(bool toggle);
    bool isLatched() const { return latched_; }

    State state() const { return state_; }
    // The picture the button shows now (may be null: then only black is drawn).
    const QImage& shownPicture() const;
    // The part of the button that draws and takes the mouse, in its own coordinates.
    // The pixels of picture whose colour differs from the transparent one.
    static QRegion opaqueRegion(const QImage& picture, Rgb transparent);

    QRegion shape() const { return transparent_ == kNoColor ? QRegion(rect()) : shape_; }

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void setState(State state);
    void pictureChanged();
    void rebuildShape();

    QImage normal_, hover_, pressed_, disabled_;
    Rgb transparent_ = kNoColor;
    bool toggle_ = false;
    bool latched_ = false;
    State state_ = State::Normal;
    qint64 shapeKey_ = -1;
    QRegion shape_;
};
