#include "VolumeControl.h"

#include "HandlerContext.h"
#include "LeadingNumber.h"
#include "MainWindow.h"
#include "app/ProgramState.h"
#include "controls/Control.h"
#include "controls/TransLabel.h"

#include <algorithm>

namespace {

constexpr int kBarStep = 8;
constexpr int kVolumeStep = 50;
constexpr int kTrackWidth = 80;

void askPlayer(HandlerContext& context, int delta)
{
    TransLabel& number = context.window.get<TransLabel>(u"VolumeValueLabel");
    const int shown = leadingInteger(number.caption());
    // No level below 0 is asked for; the player has nothing to give there.
    const int request = std::max(shown + delta, 0);
    const int reported = context.state.playback->Volume(request, true);
    number.setCaption(QString::number(reported));
}

} // namespace

void StepVolumeUp(HandlerContext& context)
{
    Control& bar = *context.window.control(u"VolumeLevelBar");
    const int width = bar.Width();
    if (width > kTrackWidth) {
        context.window.control(u"VolumeUpButton")->SetDisabled(true);
        return;
    }
    bar.SetWidth(width + kBarStep);
    askPlayer(context, +kVolumeStep);
}

void StepVolumeDown(HandlerContext& context)
{
    Control& bar = *context.window.control(u"VolumeLevelBar");
    bar.SetWidth(std::max(bar.Width() - kBarStep, 0));
    askPlayer(context, -kVolumeStep);
    if (bar.Width() <= kTrackWidth)
        context.window.control(u"VolumeUpButton")->SetDisabled(false);
}
