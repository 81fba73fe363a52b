#pragma once

#include <QPoint>
#include <QString>

struct HandlerContext;

// The list heading's menu: "检测全部频道" (or "停止检测" while a check
// runs) and "另存为…".
void ShowListHeadingMenu(HandlerContext& context, QPoint onScreen);
// Every network address of the list is tried in the background; the heading
// says how far it is, channels none of whose addresses answered go grey.
void StartListCheck(HandlerContext& context);
void StopListCheck(HandlerContext& context);
// The list without the channels none of whose addresses answered, as M3U
// when the path ends so, else as a text list. False, with why, when it
// could not be written.
bool SaveCheckedList(HandlerContext& context, const QString& path, QString* why);
// What plays changed: a check keeps off a server taking one connection that it uses.
void TellCheckWhatPlays(HandlerContext& context, const QString& address);
// Why none of the entry's addresses answered a check; empty when one did.
QString WhyEntryIsDead(HandlerContext& context, int index);
