#pragma once

#include "engine/PlaybackTypes.h"

#include <QObject>
#include <QTimer>

#include <memory>

struct HandlerContext;
class MprisService;
class ScreenSaverInhibitor;

// The desktop's side of playing: its media controls and media keys (MPRIS on
// the session bus) act as the window's keys do, and its screen saver stays
// away while a channel plays. Nothing of it runs without a session bus.
class DesktopMediaControls final : public QObject {
    Q_OBJECT
public:
    // While something plays, the pause, the volume and the programme on now are read this often.
    static constexpr int kRefreshMs = 1000;
    static inline const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.clipvane");

    explicit DesktopMediaControls(HandlerContext& context);
    ~DesktopMediaControls() override;

    // Offers the player on the session bus; false when there is none.
    bool start();
    // Tells the desktop what changed, if anything.
    void refresh();

    const MprisService* service() const { return service_.get(); }
    const ScreenSaverInhibitor* inhibitor() const { return inhibitor_.get(); }

private:
    HandlerContext& context_;
    PlaybackStatus last_; // the session's last word on a choice
    std::unique_ptr<MprisService> service_;
    std::unique_ptr<ScreenSaverInhibitor> inhibitor_;
    QTimer refresh_;
};
