#pragma once

struct HandlerContext;

// The entry becomes a favourite, or stops being one (its copy among the
// favourites or its entry alike). The list is shown again, the selection,
// the history and a programme watched back following their entries.
void ToggleFavourite(HandlerContext& context, int index);
// The key's: the selected entry.
void ToggleSelectedFavourite(HandlerContext& context);
// Whether the entry is a favourite, for the menu's wording.
bool IsFavourite(HandlerContext& context, int index);
