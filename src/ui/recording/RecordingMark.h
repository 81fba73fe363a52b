#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>

// "● 录制 01:23" over the top left of the video while the channel watched is
// recorded, and "● 后台录制 2" while planned programmes record beside it
// (both on one line when both run). A window of its own (the video is another program's window) that
// the pointer goes through and that never takes the keyboard.
class RecordingMark final : public QWidget {
    Q_OBJECT
public:
    // How long it has recorded, in milliseconds; negative when it does not.
    using Elapsed = std::function<std::int64_t()>;
    using Area = std::function<QRect()>; // the video area on screen

    RecordingMark(QWidget& mainWindow, Elapsed elapsed, Area area);
    // Shows it while there is a recording, follows its time, hides it after.
    void follow();
    void setBeside(int recordings);
    QString text() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Elapsed elapsed_;
    Area area_;
    std::int64_t shownMs_ = -1; // negative: the channel watched is not recorded
    int beside_ = 0;
    QTimer tick_;
};
