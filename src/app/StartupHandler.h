#pragma once

class ListLoadView;
class MainWindow;
struct ProgramState;

// The main window's created handler: runs once, before any input.
void OnMainWindowCreated(MainWindow& window, ProgramState& state, ListLoadView& load);
// A press on BrandLabel: the maker's contact page in the default browser.
void OnBrandLabelPressed();
