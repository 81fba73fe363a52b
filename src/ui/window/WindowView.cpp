#include "ui/window/WindowView.h"

#include "ui/MainWindow.h"
#include "ui/Texts.h"
#include "ui/controls/Control.h"
#include "ui/window/FullScreenLayout.h"
#include "ui/window/WindowMetrics.h"
#include "ui/window/WindowModeFlags.h"

#include <QCursor>
#include <QMetaObject>

namespace {
constexpr int kBottomZone = 39;
}

using namespace windowmetrics;

WindowView::WindowView(MainWindow& window) : window_(window) {}

void WindowView::toggleFullScreen()
{
    const bool enter = windowmode::isWindowed(window_);
    if (enter)
        fullscreen::enter(window_);
    else
        fullscreen::leave(window_);
    emit escapeHeld(enter);
}

void WindowView::leaveFullScreen()
{
    if (!windowmode::isFullScreen(window_))
        return;
    showBar();
    toggleFullScreen();
}

void WindowView::toggleListPanel()
{
    Control& toggle = *window_.control(u"ListToggleButton");
    Control& video = *window_.control(u"VideoSurface");
    Control& caption = *window_.control(u"ListCaptionLabel");
    Control& list = *window_.control(u"SourceList");
    if (windowmode::isListHidden(window_)) {
        video.SetWidth(window_.LayoutSize.width() - kVideoMarginListShown);
        caption.SetVisible(true);
        list.SetVisible(true);
        toggle.SetTag(texts::listShown());
    } else {
        toggle.SetTag(texts::listHidden());
        video.SetWidth(window_.LayoutSize.width() - kVideoMarginListHidden);
        caption.SetVisible(false);
        list.SetVisible(false);
    }
}

void WindowView::minimize()
{
    if (window_.isVisible())
        window_.showMinimized();
}

void WindowView::close()
{
    QMetaObject::invokeMethod(&window_, &QWidget::close, Qt::QueuedConnection);
}

void WindowView::showBar()
{
    const bool listHidden = windowmode::isListHidden(window_);
    const QSize size(window_.LayoutSize.width() - (listHidden ? kVideoMarginListHidden : kVideoMarginListShown),
                     window_.LayoutSize.height() - kVideoHeightMargin);
    window_.control(u"VideoSurface")->SetRect(QRect(kVideoCorner, size));
}

void WindowView::hideBar()
{
    if (windowmode::isListShown(window_))
        toggleListPanel();
    window_.control(u"VideoSurface")->SetRect(QRect(QPoint(0, 0), window_.LayoutSize));
}

void WindowView::bottomEdgeTick()
{
    if (QCursor::pos().y() >= window_.y() + window_.height() - kBottomZone)
        showBar();
}

void WindowView::topEdgeTick()
{
    if (QCursor::pos().y() == 0 && windowmode::isFullScreen(window_))
        hideBar();
}
