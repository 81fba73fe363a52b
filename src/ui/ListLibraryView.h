#pragma once

class QMenu;
class QString;
struct HandlerContext;

// The user's lists in the window: the "播放列表" submenu of the list
// heading's menu, the dialog that adds one, F5, and what the heading says of
// the list's last refresh (its caption for a moment, its tooltip and
// accessible description until the next).

void AddListLibraryMenu(HandlerContext& context, QMenu& menu);
// "添加列表…": asks for a name and an address, then opens the list.
void AskForNewList(HandlerContext& context);
void RefreshShownList(HandlerContext& context);
// Follows the library's status on the heading; its tooltip goes on with the keys' help.
void ShowListStatus(HandlerContext& context, const QString& keysHelp);
