#pragma once

#include "core/guide/ProgrammeGuide.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

// What is on, over the bottom of the video for a few seconds after a channel
// change or on the key I: the channel's name, the programme on now with its
// times and how far it has come, and the next one. A window of its own (the
// video is drawn by another program's window, and only a window above it is
// seen there) that the pointer goes through and that never takes the keyboard.
class ProgrammeBanner final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShownMs = 4000;
    static constexpr int kHeight = 58;

    // A window of its own that `mainWindow` owns.
    explicit ProgrammeBanner(QWidget& mainWindow);

    // Shows it along the bottom of `video` (on screen) from now for a while.
    // `logo` as its file holds it; empty: none. `entry` is the list entry it speaks of.
    void present(int entry, const QString& name, const ProgrammeNowNext& nowNext, qint64 now, const QRect& video,
                 const QByteArray& logo = {});
    // A logo that came while it shows.
    void setLogo(const QByteArray& logo);
    int entry() const { return entry_; }
    // What it says, line by line, as drawn (also its accessible description).
    QStringList lines() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString name_;
    ProgrammeNowNext nowNext_;
    qint64 now_ = 0;
    int entry_ = -1;
    QImage logo_;
    QTimer hide_;
};
