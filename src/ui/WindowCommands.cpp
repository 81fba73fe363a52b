#include "WindowCommands.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "Texts.h"
#include "WindowMetrics.h"
#include "WindowModeFlags.h"
#include "controls/Control.h"

#include <QMetaObject>

void ToggleListPanel(HandlerContext& context)
{
    MainWindow& window = context.window;
    Control& toggle = *window.control(u"ListToggleButton");
    Control& video = *window.control(u"VideoSurface");
    Control& caption = *window.control(u"ListCaptionLabel");
    Control& list = *window.control(u"SourceList");
    if (windowmode::isListHidden(window)) {
        video.SetWidth(window.LayoutSize.width() - windowmetrics::kVideoMarginListShown);
        caption.SetVisible(true);
        list.SetVisible(true);
        toggle.SetTag(texts::listShown());
    } else {
        toggle.SetTag(texts::listHidden());
        video.SetWidth(window.LayoutSize.width() - windowmetrics::kVideoMarginListHidden);
        caption.SetVisible(false);
        list.SetVisible(false);
    }
}

void MinimizeWindow(HandlerContext& context)
{
    if (context.window.isVisible())
        context.window.showMinimized();
}

void CloseWindow(HandlerContext& context)
{
    QMetaObject::invokeMethod(&context.window, &QWidget::close, Qt::QueuedConnection);
}
