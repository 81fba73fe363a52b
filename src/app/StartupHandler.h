#pragma once

struct HandlerContext;
struct ProgramState;

// The main window's created handler: runs once, before any input.
void OnMainWindowCreated(HandlerContext& context, ProgramState& state);
// A press on BrandLabel: the maker's contact page in the default browser.
void OnBrandLabelPressed(HandlerContext& context);
