#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>

struct AppCore;
class MprisService;
class QWidget;
class ScreenSaverInhibitor;

// The desktop's side of playing: its media controls and media keys (MPRIS on
// the session bus) ask the controller as the window's keys do, and its screen
// saver stays away while a channel plays. What the desktop is told follows
// the controller's signals; nothing is read on a timer but the end of the
// programme on now, which changes the metadata. Nothing of it runs without a
// session bus.
class DesktopMediaControls final : public QObject {
    Q_OBJECT
public:
    static inline const QString kBusName = QStringLiteral("org.mpris.MediaPlayer2.clipvane");

    // `window` is raised and closed for the desktop; `selection` is the
    // list's, where Next and Previous go from before anything was chosen.
    // `screenSaverReason`: what the desktop is told while the screen saver is held.
    DesktopMediaControls(AppCore& core, QWidget& window, std::function<int()> selection, QString screenSaverReason);
    ~DesktopMediaControls() override;

    // Offers the player on the session bus; false when there is none.
    bool start();
    // Tells the desktop what changed, if anything.
    void refresh();

    const MprisService* service() const { return service_.get(); }
    const ScreenSaverInhibitor* inhibitor() const { return inhibitor_.get(); }

private:
    AppCore& core_;
    QWidget& window_;
    std::function<int()> selection_;
    QString screenSaverReason_;
    std::unique_ptr<MprisService> service_;
    std::unique_ptr<ScreenSaverInhibitor> inhibitor_;
    QTimer programmeEnds_; // the programme on now ends: the metadata changes
};
