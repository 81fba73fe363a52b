#pragma once

#include <QTimer>
#include <QWidget>

#include <cstdint>
#include <functional>
#include <optional>

// Where a source with a length stands, along the bottom of the video: the
// position, the length, and a bar to click to go elsewhere. A window of its own
// (the video is another program's window), shown while the pointer moves over
// the video or a jump is made, and gone again a few seconds after.
class PositionBar final : public QWidget {
    Q_OBJECT
public:
    static constexpr int kShownMs = 3000;
    static constexpr int kHeight = 34;

    // A live channel's is its time-shift buffer: from its oldest moment held to live.
    struct Shown {
        std::int64_t timeMs = 0;
        std::int64_t lengthMs = 0;
        bool live = false;
    };
    // What plays now; none when it has no position (a live channel the engine reads, nothing).
    using Reader = std::function<std::optional<Shown>()>;
    // The video area on screen.
    using Area = std::function<QRect()>;

    PositionBar(QWidget& mainWindow, Reader reader, Area area);

    // Shows it, if what plays has a position, for a while from now.
    void showNow();
    // Pointer moves over this widget show it.
    void watch(QWidget& surface);
    // "01:23 / 30:00", as drawn; for a live channel "−03:12" behind live, or "直播".
    QString text() const;

signals:
    // A click on the bar: the position asked for.
    void jumpTo(std::int64_t milliseconds);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QRect track() const;
    void refresh();

    Reader reader_;
    Area area_;
    Shown shown_;
    QTimer hide_;
    QTimer refresh_;
};
