#include "VolumeControl.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "controls/Control.h"
#include "controls/TransLabel.h"
#include "core/AppCore.h"

void StepVolumeUp(HandlerContext& context)
{
    context.core.playback->stepVolumeUp();
}

void StepVolumeDown(HandlerContext& context)
{
    context.core.playback->stepVolumeDown();
}

void ToggleMute(HandlerContext& context)
{
    context.core.playback->toggleMute();
}

void ShowVolume(HandlerContext& context)
{
    const std::optional<VolumeState::Look> look = context.core.playback->volume();
    if (!look)
        return;
    context.window.get<TransLabel>(u"VolumeValueLabel").setCaption(QString::number(look->number));
    context.window.control(u"VolumeLevelBar")->SetWidth(look->barWidth);
    context.window.control(u"VolumeUpButton")->SetDisabled(look->upDisabled);
}
