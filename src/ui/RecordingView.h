#pragma once

struct HandlerContext;

// The recording of the channel watched as the window shows it: the mark over
// the video while it records, and a word when it ended or could not start
// without the user asking.
void FollowRecording(HandlerContext& context);
