#pragma once

#include "ui/window/WindowDrag.h"
#include "ui/window/WindowMetrics.h"

#include <QColor>
#include <QHash>
#include <QPixmap>
#include <QStringView>
#include <QWidget>

#include <vector>

class Control;

// The borderless, skinned main window, built from its description: every
// control created in order, the first lying above the rest.
class MainWindow final : public QWidget {
    Q_OBJECT
public:
    MainWindow();

    // Raises the created event, then shows the window centred on the primary screen.
    void Open();

    Control* control(QStringView name) const;
    template <class Kind>
    Kind& get(QStringView name) const;
    const std::vector<Control*>& controls() const { return controls_; }

    // The size the layout gave the window last: the window system may confirm
    // a new size later than the layout needs it, so the layout works from this.
    QSize LayoutSize = windowmetrics::kWindowed;

    // How far the bottom row moved on the last entry into full screen; the
    // return moves it back by the same amounts.
    int FullScreenOffsetX = 0;
    int FullScreenOffsetY = 0;

    // Centres a window of the current size on the primary screen.
    void Centre();
    static QPoint centredPosition(QSize size);

signals:
    void created();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void buildControls();

    QColor backgroundColour_;
    QPixmap background_;
    std::vector<Control*> controls_; // owned by this widget, in description order
    QHash<QString, Control*> byName_;
    WindowDrag drag_{*this};
};

template <class Kind>
Kind& MainWindow::get(QStringView name) const
{
    auto* kind = dynamic_cast<Kind*>(control(name));
    if (!kind)
        qFatal("main window has no control %s of that kind", qPrintable(name.toString()));
    return *kind;
}
