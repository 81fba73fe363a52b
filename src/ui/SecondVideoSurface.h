#pragma once

#include <QWidget>

// Where the second player draws: a native child window over the video surface,
// of its size, black until a picture comes. Two players never share one X
// window, so the channel going away can not draw over the one coming in; the
// second player's picture is seen while this is shown, the first one's while it
// is hidden.
class SecondVideoSurface final : public QWidget {
public:
    explicit SecondVideoSurface(QWidget& videoSurface);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
