#pragma once

#include "ui/MainWindow.h"
#include "ui/Texts.h"
#include "ui/controls/Control.h"

// The window's mode lives in two buttons' tags and nowhere else: the mode
// button says "放大" while windowed and "缩小" in full screen, the list button
// "隐藏" while the list shows and "可视" while it is hidden. Compared as they
// are written; these are the only places that read them.
namespace windowmode {

inline bool isWindowed(const MainWindow& window)
{
    return window.control(u"FullScreenButton")->Tag() == texts::enlarge();
}
inline bool isFullScreen(const MainWindow& window)
{
    return window.control(u"FullScreenButton")->Tag() == texts::shrink();
}
inline bool isListShown(const MainWindow& window)
{
    return window.control(u"ListToggleButton")->Tag() == texts::listShown();
}
inline bool isListHidden(const MainWindow& window)
{
    return window.control(u"ListToggleButton")->Tag() == texts::listHidden();
}

} // namespace windowmode
