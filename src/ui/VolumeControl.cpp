#include "VolumeControl.h"

#include "HandlerContext.h"
#include "LeadingNumber.h"
#include "MainWindow.h"
#include "core/ProgramState.h"
#include "controls/Control.h"
#include "controls/TransLabel.h"

#include <QString>

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

void unmute(HandlerContext& context)
{
    if (!context.muted)
        return;
    const MutedVolume muted = *context.muted;
    context.muted.reset();
    TransLabel& number = context.window.get<TransLabel>(u"VolumeValueLabel");
    number.setCaption(muted.number);
    context.window.control(u"VolumeLevelBar")->SetWidth(muted.barWidth);
    context.window.control(u"VolumeUpButton")->SetDisabled(muted.upDisabled);
    context.state.playback->Volume(std::max(leadingInteger(muted.number), 0), true);
}

} // namespace

void ToggleMute(HandlerContext& context)
{
    if (context.muted) {
        unmute(context);
        return;
    }
    TransLabel& number = context.window.get<TransLabel>(u"VolumeValueLabel");
    Control& bar = *context.window.control(u"VolumeLevelBar");
    Control& up = *context.window.control(u"VolumeUpButton");
    context.muted = MutedVolume{number.caption(), bar.Width(), up.Disabled()};
    context.state.playback->Volume(0, true);
    number.setCaption(QStringLiteral("0"));
    bar.SetWidth(0);
}

void StepVolumeUp(HandlerContext& context)
{
    unmute(context);
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
    unmute(context);
    Control& bar = *context.window.control(u"VolumeLevelBar");
    bar.SetWidth(std::max(bar.Width() - kBarStep, 0));
    askPlayer(context, -kVolumeStep);
    if (bar.Width() <= kTrackWidth)
        context.window.control(u"VolumeUpButton")->SetDisabled(false);
}
