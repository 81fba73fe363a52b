#pragma once

#include <QString>

#include "core/ChannelKey.h"

#include <functional>
#include <vector>

struct HandlerContext;

// The list panel, the window's half of choosing channels: SourceList and
// AddressList filled from the core's list, the selection (moved by keys,
// following what plays, kept through a change of the favourites), the filter
// line over the heading, and the favourites.

// Makes the filter line and passes the selection's rests and the filter's
// first match on to what opens channels ahead.
void SetUpListPanel(HandlerContext& context);
// The list's two controls show the list as it stands.
void FillSourceList(HandlerContext& context);
// Up and Down: the selection moves to the entry above (-1) or below (+1), over headings; nothing plays.
void MoveSelection(HandlerContext& context, int direction);
// An entry was chosen: selected and in view (the whole list again when the filter hides it).
void SelectPlayedEntry(HandlerContext& context, int index);
// Selects the channel played last before the program ended, if the list still
// has it, and brings it into view; nothing plays. Returns the entry, or -1.
int SelectRememberedChannel(HandlerContext& context);

// Ctrl+F or a click on the list's heading: the filter line, ready for typing.
void ShowListFilter(HandlerContext& context);
// The filter line's text changed: SourceList shows what holds it.
void FilterSourceList(HandlerContext& context);
// Enter in the filter line: plays the selected entry, or the first one shown.
void PlayFilteredEntry(HandlerContext& context);
// Esc in the filter line: the whole list again, the selection kept, the line gone.
void CloseListFilter(HandlerContext& context);
// The filter line has the keyboard: its keys are its own.
bool IsListFilterTyping(HandlerContext& context);

// The entry becomes a favourite, or stops being one (its copy among the
// favourites or its entry alike). The list is shown again, the selection
// following its entry.
void ToggleFavourite(HandlerContext& context, int index);
// The favourites are these now (brought in with a copy of the settings):
// the list is shown again, the selection following its entry.
void ShowFavourites(HandlerContext& context, const std::vector<ChannelKey>& favourites);
// The key's: the selected entry.
void ToggleSelectedFavourite(HandlerContext& context);
// Whether the entry is a favourite, for the menu's wording.
bool IsFavourite(HandlerContext& context, int index);

// The list refreshed in place: the selection and the first row in view stay
// on their channels (`moved`: where an index of before is now, -1 when gone).
// `refresh` replaces the list and returns `moved`.
void RefillSourceListInPlace(HandlerContext& context, const std::function<std::function<int(int)>()>& refresh);
