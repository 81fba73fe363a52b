#pragma once

#include <QWidget>

// Where a player other than the first draws: a native child window over the
// video surface, of its size, black until a picture comes. Two players never
// share one X window, so the channel going away can not draw over the one
// coming in, and a channel opened ahead draws out of sight; a player's picture
// is seen while its window is shown, the first one's while none is.
class SecondVideoSurface final : public QWidget {
public:
    explicit SecondVideoSurface(QWidget& videoSurface);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
