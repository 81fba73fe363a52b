#pragma once

#include <QStringList>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;

// What plays, over the top left of the video: its address, format, codecs,
// sizes and rates, brought up to date once a second while it shows. A window
// of its own (only a window is seen above the video's), that never takes the
// keyboard; its text can be selected, and copied whole with a button.
class MediaInfoPanel final : public QWidget {
    Q_OBJECT
public:
    using Lines = std::function<QStringList()>;
    using Corner = std::function<QPoint()>; // where its top left goes, on screen
    static constexpr int kRefreshMs = 1000;

    // A window of its own that `mainWindow` owns; `lines` says what to show,
    // `corner` where (it follows the video as the window moves or fills the screen).
    MediaInfoPanel(QWidget& mainWindow, Lines lines, Corner corner);

    void present();
    QString text() const;

private:
    void refresh();

    Lines lines_;
    Corner corner_;
    QLabel* label_ = nullptr;
    QTimer refresh_;
};
