#pragma once

#include <QObject>
#include <QString>

class ListHeading;
class ListLibrary;
class MainWindow;
class QMenu;

// The user's lists in the window: the "播放列表" submenu of the list
// heading's menu, the dialog that adds one, F5, and what the heading says of
// the list's last refresh (its caption for a moment, its tooltip and
// accessible description until the next).
class ListLibraryView final : public QObject {
    Q_OBJECT
public:
    // `keysHelp`: what the heading's tooltip says after the list's state.
    ListLibraryView(MainWindow& window, ListLibrary& lists, ListHeading& heading, QString keysHelp);

    void addMenu(QMenu& menu);
    // "添加列表…": asks for a name and an address, then opens the list.
    void askForNewList();
    // F5: the list shown is read again.
    void refresh();

private:
    void showStatus();

    MainWindow& window_;
    ListLibrary& lists_;
    ListHeading& heading_;
    QString keysHelp_;
};
