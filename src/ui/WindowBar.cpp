#include "WindowBar.h"

#include "FullScreenLayout.h"
#include "GuideGridHandlers.h"
#include "HandlerContext.h"
#include "MediaInfoPanel.h"
#include "MainWindow.h"
#include "WindowCommands.h"
#include "WindowMetrics.h"
#include "WindowModeFlags.h"
#include "controls/Control.h"

#include <QCursor>

namespace {
constexpr int kBottomZone = 39;
}

void ShowWindowBar(HandlerContext& context)
{
    MainWindow& window = context.window;
    const bool listHidden = windowmode::isListHidden(window);
    using namespace windowmetrics;
    const QSize size(window.LayoutSize.width() - (listHidden ? kVideoMarginListHidden : kVideoMarginListShown),
                     window.LayoutSize.height() - kVideoHeightMargin);
    window.control(u"VideoSurface")->SetRect(QRect(kVideoCorner, size));
}

void HideWindowBar(HandlerContext& context)
{
    MainWindow& window = context.window;
    if (windowmode::isListShown(window))
        ToggleListPanel(context);
    window.control(u"VideoSurface")->SetRect(QRect(QPoint(0, 0), window.LayoutSize));
}

void OnBottomEdgeTick(HandlerContext& context)
{
    const int y = QCursor::pos().y();
    if (y >= context.window.y() + context.window.height() - kBottomZone)
        ShowWindowBar(context);
}

void OnTopEdgeTick(HandlerContext& context)
{
    if (QCursor::pos().y() == 0 && windowmode::isFullScreen(context.window))
        HideWindowBar(context);
}

// Esc reaches here in the window too, where the hot key is not taken from other programs.
void OnEscapeHotKey(HandlerContext& context)
{
    // What shows over the video closes first; full screen stays.
    if (CloseGuideGrid(context))
        return;
    CloseMediaInfo(context);
    if (!windowmode::isFullScreen(context.window))
        return;
    ShowWindowBar(context);
    ToggleFullScreen(context);
}
