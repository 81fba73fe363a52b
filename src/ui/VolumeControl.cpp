#include "VolumeControl.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "core/ProgramState.h"
#include "controls/Control.h"
#include "controls/TransLabel.h"

#include <QString>


namespace {

// The window shows what the core keeps.
void change(HandlerContext& context, void (VolumeState::*what)())
{
    if (!context.state.volume)
        return;
    VolumeState& volume = *context.state.volume;
    (volume.*what)();
    const VolumeState::Look& look = volume.look();
    context.window.get<TransLabel>(u"VolumeValueLabel").setCaption(QString::number(look.number));
    context.window.control(u"VolumeLevelBar")->SetWidth(look.barWidth);
    context.window.control(u"VolumeUpButton")->SetDisabled(look.upDisabled);
}

} // namespace

void ToggleMute(HandlerContext& context)
{
    change(context, &VolumeState::toggleMute);
}

void StepVolumeUp(HandlerContext& context)
{
    change(context, &VolumeState::stepUp);
}

void StepVolumeDown(HandlerContext& context)
{
    change(context, &VolumeState::stepDown);
}
