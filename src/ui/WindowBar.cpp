#include "WindowBar.h"

#include "FullScreenLayout.h"
#include "HandlerContext.h"
#include "MainWindow.h"
#include "WindowCommands.h"
#include "WindowMetrics.h"
#include "core/ProgramState.h"
#include "controls/Control.h"

#include <QCursor>

namespace {
constexpr int kBottomZone = 39;
}

void ShowWindowBar(HandlerContext& context)
{
    MainWindow& window = context.window;
    const bool listShown = context.state.windowMode.listShown;
    using namespace windowmetrics;
    const QSize size(window.LayoutSize.width() - (listShown ? kVideoMarginListShown : kVideoMarginListHidden),
                     window.LayoutSize.height() - kVideoHeightMargin);
    window.control(u"VideoSurface")->SetRect(QRect(kVideoCorner, size));
}

void HideWindowBar(HandlerContext& context)
{
    MainWindow& window = context.window;
    if (context.state.windowMode.listShown)
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
    if (QCursor::pos().y() == 0 && context.state.windowMode.fullScreen)
        HideWindowBar(context);
}

void OnEscapeHotKey(HandlerContext& context)
{
    if (!context.state.windowMode.fullScreen)
        return;
    ShowWindowBar(context);
    ToggleFullScreen(context);
}
