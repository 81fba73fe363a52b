#pragma once

#include <QPoint>
#include <QSize>

// The main window's dimensions and margins, named once for the description
// table, the full-screen layout, the window bar and the list panel's toggle.
namespace windowmetrics {

inline constexpr QSize kWindowed{707, 415};
// The video area's corner below the title bar, windowed.
inline constexpr QPoint kVideoCorner{3, 32};
// What the title bar above and the bottom row below take of the height.
inline constexpr int kVideoHeightMargin = 71;
// What the video leaves of the width beside it, with the list panel shown or hidden.
inline constexpr int kVideoMarginListShown = 150;
inline constexpr int kVideoMarginListHidden = 5;
// The list panel's left, from the window's right edge.
inline constexpr int kListMargin = 145;
// The caption buttons' width, each from the one on its right.
inline constexpr int kCaptionButtonStep = 31;

} // namespace windowmetrics
