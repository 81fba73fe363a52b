#pragma once

struct HandlerContext;

// Ctrl+F or a click on the list's heading: the filter line, ready for typing.
void ShowListFilter(HandlerContext& context);
// The filter line's text changed: SourceList shows what holds it.
void FilterSourceList(HandlerContext& context);
// Enter in the filter line: plays the selected entry, or the first one shown.
void PlayFilteredEntry(HandlerContext& context);
// Esc in the filter line: the whole list again, the selection kept, the line gone.
void CloseListFilter(HandlerContext& context);
