#pragma once

struct HandlerContext;

// The main window's created handler: runs once, before any input.
void OnMainWindowCreated(HandlerContext& context);
