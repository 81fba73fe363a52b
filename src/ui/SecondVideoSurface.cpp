#include "SecondVideoSurface.h"

#include <QEvent>
#include <QPalette>

SecondVideoSurface::SecondVideoSurface(QWidget& videoSurface) : QWidget(&videoSurface)
{
    setObjectName(QStringLiteral("SecondVideoSurface"));
    setAttribute(Qt::WA_NativeWindow);
    setAttribute(Qt::WA_DontCreateNativeAncestors);
    // Clicks, drags and drops belong to the video surface below, as over the first player's picture.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    videoSurface.installEventFilter(this);
    winId(); // the X window exists before a player is handed it
    hide();
}

// Out of sight the window is one pixel: a channel opened ahead into it is
// still decoded, but drawing it costs next to nothing (libvlc draws at the
// window's size, in software where there is no GPU). It takes the video
// surface's size before it is mapped, so the player's next picture fills it.
void SecondVideoSurface::setVisible(bool visible)
{
    if (visible)
        setGeometry(parentWidget()->rect());
    QWidget::setVisible(visible);
    if (!visible)
        setGeometry(0, 0, 1, 1);
}

bool SecondVideoSurface::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize && !isHidden())
        setGeometry(parentWidget()->rect());
    return false;
}
