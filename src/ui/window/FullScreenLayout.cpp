#include "ui/window/FullScreenLayout.h"

#include "ui/MainWindow.h"
#include "ui/Texts.h"
#include "ui/window/WindowMetrics.h"
#include "ui/window/WindowModeFlags.h"
#include "ui/controls/Control.h"
#include "ui/controls/PicBtn.h"

#include <QGuiApplication>
#include <QImage>
#include <QScreen>

namespace {

using namespace windowmetrics;

struct BottomRowControl {
    QStringView name;
    bool movesAcross; // its left follows the list panel
};

// In the order they are moved.
constexpr BottomRowControl kBottomRow[] = {
    {u"StopButton", false},       {u"VolumeDownButton", true}, {u"VolumeUpButton", true},
    {u"FullScreenButton", true},  {u"ListToggleButton", true}, {u"VolumeTrackBar", true},
    {u"VolumeLevelBar", true},    {u"BrandLabel", false},      {u"VolumeValueLabel", true},
    {u"VolumeCaptionLabel", true},
};

QSize primaryScreenSize()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->geometry().size() : kWindowed;
}

int videoWidth(const MainWindow& window, int windowWidth)
{
    const bool listHidden = windowmode::isListHidden(window);
    return windowWidth - (listHidden ? kVideoMarginListHidden : kVideoMarginListShown);
}

void moveBottomRow(MainWindow& window, int sign)
{
    for (const BottomRowControl& row : kBottomRow) {
        Control& control = *window.control(row.name);
        control.SetTop(control.Top() + sign * window.FullScreenOffsetY);
        if (row.movesAcross)
            control.SetLeft(control.Left() + sign * window.FullScreenOffsetX);
    }
}

// The bar across the window, the caption buttons at its right end.
void placeBar(MainWindow& window, QSize size)
{
    Control& close = *window.control(u"CloseButton");
    window.control(u"TitleBar")->SetWidth(size.width());
    close.SetLeft(size.width() - kCaptionButtonStep);
    window.control(u"MinimizeButton")->SetLeft(close.Left() - kCaptionButtonStep);
}

// The list panel at the right edge; its height follows the bottom row.
void placeListPanel(MainWindow& window, QSize size, int sign)
{
    Control& list = *window.control(u"SourceList");
    list.SetLeft(size.width() - kListMargin);
    list.SetHeight(list.Height() + sign * window.FullScreenOffsetY);
    window.control(u"ListCaptionLabel")->SetLeft(size.width() - kListMargin);
}

// The mode flag with its picture.
void setMode(MainWindow& window, bool fullScreen)
{
    auto& button = window.get<PicBtn>(u"FullScreenButton");
    button.SetTag(fullScreen ? texts::shrink() : texts::enlarge());
    button.setNormalPicture(QImage(fullScreen ? QStringLiteral(":/pictures/shrink.bmp")
                                              : QStringLiteral(":/pictures/enlarge.bmp")));
}

} // namespace

// The layout works from the size it gives the window, not from what the window
// reports back: the window system may confirm a new size later.
void fullscreen::enter(MainWindow& window)
{
    const QSize size = primaryScreenSize();
    window.setGeometry(0, 0, size.width(), size.height());
    window.LayoutSize = size;

    Control& video = *window.control(u"VideoSurface");
    Control& list = *window.control(u"SourceList");
    window.FullScreenOffsetY = (size.height() - kVideoHeightMargin) - video.Height();
    window.FullScreenOffsetX = (size.width() - kListMargin) - list.Left();

    placeBar(window, size);
    video.SetHeight(size.height() - kVideoHeightMargin);
    video.SetWidth(videoWidth(window, size.width()));
    moveBottomRow(window, +1);
    placeListPanel(window, size, +1);
    setMode(window, true);
}

void fullscreen::leave(MainWindow& window)
{
    if (window.isMinimized() || window.isMaximized())
        window.showNormal();
    const QSize size = kWindowed;
    window.resize(size);
    window.LayoutSize = size;
    if (window.isVisible())
        window.move(MainWindow::centredPosition(size));

    Control& video = *window.control(u"VideoSurface");
    video.SetHeight(size.height() - kVideoHeightMargin);
    placeBar(window, size);
    video.SetWidth(videoWidth(window, size.width()));
    moveBottomRow(window, -1);
    placeListPanel(window, size, -1);
    setMode(window, false);
}
