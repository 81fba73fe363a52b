#pragma once

#include <QFont>

// The font a control uses when its description names none: the desktop's
// interface font at the small pixel size the window's 16-pixel rows were laid out for.
QFont defaultGuiFont();
