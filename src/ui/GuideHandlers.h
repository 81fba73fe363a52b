#pragma once

struct HandlerContext;

// The banner over the video for an entry: after a channel change when the
// guide knows the channel, on the key I whatever it knows (the name at least).
void ShowProgrammeBanner(HandlerContext& context, int entry, bool evenWithoutGuide);
// What the guide knows changed: a logo that came shows in the banner showing.
void RefreshProgrammeBanner(HandlerContext& context);
// The key I: the banner of the channel playing, else of the selection.
void ShowBannerOfWatched(HandlerContext& context);
// The key G, or the list's menu: the schedule of the selected entry (else of
// the channel playing) over the video area; again, it closes.
void ToggleProgrammeSchedule(HandlerContext& context);
