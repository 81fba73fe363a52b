#pragma once

#include <QString>

class QWidget;

// The look of the windows that open over the video (the schedule, the
// guide's grid): the default font at 14 px, light on near black, lists
// without a frame and their chosen row in the skin's green. `more` adds
// rules of the panel's own.
void stylePanelOverVideo(QWidget& panel, const QString& more = {});
