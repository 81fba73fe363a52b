#include "PicBtn.h"

#include <QMouseEvent>
#include <QPainter>

PicBtn::PicBtn(QWidget* parent) : QWidget(parent)
{
    setMouseTracking(true);
}

QRegion PicBtn::opaqueRegion(const QImage& picture, Rgb transparent)
{
    if (picture.isNull())
        return {};
    const QImage image = picture.convertToFormat(QImage::Format_RGB32);
    const QRgb clear = toQColor(transparent).rgb() & 0xFFFFFF;
    QList<QRect> runs;
    for (int y = 0; y < image.height(); ++y) {
        const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < image.width()) {
            while (x < image.width() && (line[x] & 0xFFFFFF) == clear)
                ++x;
            const int start = x;
            while (x < image.width() && (line[x] & 0xFFFFFF) != clear)
                ++x;
            if (x > start)
                runs.append(QRect(start, y, x - start, 1));
        }
    }
    QRegion region;
    region.setRects(runs.constData(), int(runs.size()));
    return region;
}

void PicBtn::setNormalPicture(const QImage& picture)
{
    normal_ = picture;
    pictureChanged();
}

void PicBtn::setHoverPicture(const QImage& picture)
{
    hover_ = picture;
    pictureChanged();
}

void PicBtn::setPressedPicture(const QImage& picture)
{
    pressed_ = picture;
    pictureChanged();
}

void PicBtn::setDisabledPicture(const QImage& picture)
{
    disabled_ = picture;
    pictureChanged();
}

void PicBtn::setTransparentColor(Rgb color)
{
    transparent_ = color;
    shapeKey_ = -1;
    pictureChanged();
}

void PicBtn::setToggleMode(bool toggle)
{
    toggle_ = toggle;
}

const QImage& PicBtn::shownPicture() const
{
    if (!isEnabled() && !disabled_.isNull())
        return disabled_;
    if (state_ == State::Hover && !hover_.isNull())
        return hover_;
    if (state_ == State::Pressed && !pressed_.isNull())
        return pressed_;
    return normal_;
}

void PicBtn::setState(State state)
{
    if (state == state_)
        return;
    state_ = state;
    pictureChanged();
}

void PicBtn::pictureChanged()
{
    rebuildShape();
    update();
}

// The mask follows the picture being shown; it is rebuilt only when that changes.
void PicBtn::rebuildShape()
{
    const QImage& picture = shownPicture();
    if (transparent_ == kNoColor) {
        shapeKey_ = -1;
        shape_ = QRegion(rect());
        clearMask();
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
        return;
    }
    if (picture.cacheKey() == shapeKey_)
        return;
    shapeKey_ = picture.cacheKey();
    shape_ = opaqueRegion(picture, transparent_);
    // An empty region would mean "no mask" to Qt, so an all-transparent picture
    // is made transparent for the mouse instead, and paints nothing.
    if (shape_.isEmpty()) {
        clearMask();
        setAttribute(Qt::WA_TransparentForMouseEvents, true);
    } else {
        setMask(shape_);
        setAttribute(Qt::WA_TransparentForMouseEvents, false);
    }
}

void PicBtn::paintEvent(QPaintEvent*)
{
    if (transparent_ != kNoColor && shape_.isEmpty())
        return;
    QPainter painter(this);
    painter.fillRect(rect(), Qt::black);
    const QImage& picture = shownPicture();
    if (!picture.isNull())
        painter.drawImage(QPoint(0, 0), picture);
}

void PicBtn::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    // Qt grabs the mouse for the pressed widget until the release.
    if (!toggle_)
        setState(State::Pressed);
    event->accept();
}

void PicBtn::mouseMoveEvent(QMouseEvent* event)
{
    if (toggle_)
        return;
    const bool inside = rect().contains(event->position().toPoint());
    if (inside)
        setState((event->buttons() & Qt::LeftButton) ? State::Pressed : State::Hover);
    else
        setState(State::Normal);
}

void PicBtn::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        event->ignore();
        return;
    }
    const bool inside = rect().contains(event->position().toPoint());
    if (!inside || !isEnabled()) {
        if (!toggle_)
            setState(State::Normal);
        return;
    }
    if (toggle_) {
        latched_ = !latched_;
        setState(latched_ ? State::Pressed : State::Normal);
    } else {
        setState(State::Normal);
    }
    emit clicked();
}

void PicBtn::enterEvent(QEnterEvent*)
{
    if (!toggle_)
        setState(State::Hover);
}

void PicBtn::leaveEvent(QEvent*)
{
    if (!toggle_)
        setState(State::Normal);
}

void PicBtn::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::EnabledChange) {
        if (!isEnabled() && !toggle_)
            setState(State::Normal);
        pictureChanged();
    }
    QWidget::changeEvent(event);
}
