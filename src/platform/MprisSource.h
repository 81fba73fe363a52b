#pragma once

#include <QString>
#include <QVariantMap>

#include <functional>

// What the desktop asks of the player over MPRIS.
struct MprisActions {
    std::function<void()> raise, quit, play, pause, playPause, stop, next, previous;
    std::function<void(double volume)> setVolume;
};

// What the MPRIS adaptors read and call: the player as the service keeps it.
class MprisSource {
public:
    virtual ~MprisSource() = default;
    virtual QString identity() const = 0;
    virtual QString desktopEntry() const = 0;
    virtual QString playbackStatus() const = 0;
    virtual QVariantMap metadata() const = 0;
    virtual double volume() const = 0;
    virtual const MprisActions& actions() const = 0;
};
