#pragma once

#include <QPoint>
#include <QString>
#include <QStringView>

#include <functional>
#include <span>

class MainWindow;

// The events a control kind raises, with the arguments they carry.
enum class ControlEvent {
    Created,           // the window, once all controls exist
    Click,             // PicBtn
    LeftPressed,       // TransLabel: position, keys
    DoubleClick,       // PicBox: position, keys
    ItemDoubleClicked, // ListBox
    Tick,              // Timer
    FilesDropped,      // DropTarget: text
    Notification,      // Label: two integers
};

struct EventArgs {
    QPoint position;
    Qt::KeyboardModifiers keys;
    int first = 0;
    int second = 0;
    QString text;
};

using EventHandler = std::function<void(const EventArgs&)>;

struct EventBinding {
    QStringView control; // a control's name, or "MainWindow"
    ControlEvent event;
    EventHandler handler;
};

// Connects each binding's handler to its control's event. Returns false, and
// binds nothing more, at the first binding whose control is missing or whose
// kind has no such event: the table and the description disagree.
bool bindEvents(MainWindow& window, std::span<const EventBinding> bindings);
