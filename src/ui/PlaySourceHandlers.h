#pragma once

#include <QString>

#include <cstdint>

struct HandlerContext;
struct PlaySourceFile;

// Loads a play-source file in place of the current list. Reading and cutting
// happen off the window's thread; the list is replaced when they are done.
// Returns the load's generation.
std::uint64_t LoadPlaySourceList(HandlerContext& context, const QString& path);
// Files dropped on the window: their entries replace the list; nothing plays.
void OnFilesDropped(HandlerContext& context, const QString& payload);
// Shows a finished load: both lists replaced, nothing selected (the list
// beside the program at start selects the channel played last, if it has it);
// a drop that brought nothing to list leaves them as they are.
void ShowPlaySources(HandlerContext& context, const PlaySourceFile& file, std::uint64_t generation = 0);
