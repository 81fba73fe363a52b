#include "ui/playback/SecondVideoSurface.h"

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
    setGeometry(videoSurface.rect());
    videoSurface.installEventFilter(this);
    winId(); // the X window exists before a player is handed it
    hide();
}

bool SecondVideoSurface::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return false;
}
