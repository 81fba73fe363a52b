#pragma once

struct HandlerContext;

// The volume buttons, keys and wheel pass their step to the core's controller,
// and the window shows what it keeps. One step of 50 up or down: the level bar
// moves by 8 pixels, the player is asked for 50 more or less than the number
// shown, and the number then shows what the player reports. The up step stops
// once the bar has passed 80 pixels.
void StepVolumeUp(HandlerContext& context);
void StepVolumeDown(HandlerContext& context);
// M: silence, shown as 0 on the number and an empty bar; again, or the next
// step, brings back the level there was (and the step then goes from it).
void ToggleMute(HandlerContext& context);
// The number, the level bar and the up button as the controller keeps them.
void ShowVolume(HandlerContext& context);
