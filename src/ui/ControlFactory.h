#pragma once

class Control;
class QWidget;
struct ControlRecord;

// Creates one control of a description record in the window, with its kind
// settings, tag, cursor, visibility and design rectangle. The window (its Qt
// parent) owns it.
Control& createControl(const ControlRecord& record, QWidget& window);
