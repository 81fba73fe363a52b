#pragma once

#include <QString>

struct HandlerContext;
struct PlaySourceFile;

// Loads a play-source file in place of the current list. Reading and cutting
// happen off the window's thread; the list is replaced when they are done.
void LoadPlaySourceList(HandlerContext& context, const QString& path);
// Files dropped on the window: their entries replace the list; nothing plays.
void OnFilesDropped(HandlerContext& context, const QString& payload);
// Shows a finished load: both lists replaced, nothing selected; a drop that
// brought nothing to list leaves them as they are.
void ShowPlaySources(HandlerContext& context, const PlaySourceFile& file);
