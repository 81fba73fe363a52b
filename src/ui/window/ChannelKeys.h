#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <span>

class ChannelNavigator;
class GuideGridView;
class ListLibraryView;
class ListPanelView;
class MainWindow;
class PlaybackController;
class PlaybackView;
class PreopenScheduler;
class ProgrammeView;
class ScreenshotView;
class SettingsView;
class WindowView;
class QKeyEvent;
class QLabel;
class QWheelEvent;

// The keys that media-player users bring, in the main window whichever of its
// controls has the keyboard, windowed and in full screen (never taken from the
// filter line while it shows), and the wheel over the video area. What each
// key does and how the list heading's tooltip names it is one table, in
// ChannelKeys.cpp.
class ChannelKeys final : public QObject {
    Q_OBJECT
public:
    static constexpr int kDigitPauseMs = 1500;

    // What the keys act on.
    struct Parts {
        MainWindow& window;
        PlaybackController& playback;
        const ChannelNavigator& channels;
        PreopenScheduler& preopen;
        PlaybackView& playbackView;
        ListPanelView& panel;
        WindowView& windowView;
        ProgrammeView& programmes;
        GuideGridView& grid;
        ListLibraryView& lists;
        ScreenshotView& screenshot;
        SettingsView& settings;
    };
    explicit ChannelKeys(Parts parts);
    ~ChannelKeys() override;

    // The keys as the list heading's tip names them.
    static QString help();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool takeKey(const QKeyEvent& key);
    bool takeWheel(const QWheelEvent& wheel);
    void typeDigit(int digit);
    void chooseTypedNumber();
    PlaybackController& playback() { return parts_.playback; }
    // The channel before (-1) or after (+1) the one chosen last (the selection when none was).
    void playNeighbour(int direction);
    bool belongsToWindow(QObject* watched) const;
    struct KeyAction;
    static std::span<const KeyAction> actions();

    Parts parts_;
    QString typed_;
    QTimer digitPause_;
    std::unique_ptr<QLabel> numberTip_; // over the video, where the user looks
    int wheelRemainder_ = 0;
};
