#pragma once

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>

struct HandlerContext;
class QKeyEvent;
class QLabel;
class QWheelEvent;

// The keys that media-player users bring, in the main window whichever of its
// controls has the keyboard, windowed and in full screen (never taken from the
// filter line while it shows), and the wheel over the video area:
//
//   Enter                          play the selected entry
//   Up, Down                       move the selection, nothing plays
//   PageUp/PageDown, Ctrl+Up/Down  the previous / next channel, played at once
//   digits                         channel number N (typed within 1.5 s of each other)
//   Backspace                      the channel played before (again: back)
//   Space                          stop; again, the last choice plays again
//   F, F11                         full screen on and off
//   M                              mute on and off
//   + / -, the wheel               the volume buttons' steps
class ChannelKeys final : public QObject {
    Q_OBJECT
public:
    static constexpr int kDigitPauseMs = 1500;

    explicit ChannelKeys(HandlerContext& context);
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
    bool belongsToWindow(QObject* watched) const;

    HandlerContext& context_;
    QString typed_;
    QTimer digitPause_;
    std::unique_ptr<QLabel> numberTip_; // over the video, where the user looks
    int wheelRemainder_ = 0;
};
