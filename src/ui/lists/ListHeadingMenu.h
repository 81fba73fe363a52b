#pragma once

#include <QObject>
#include <QPoint>

class ListCheckView;
class ListLibraryView;
class MainWindow;

// The list heading's right-click menu: "检测全部频道" (or "停止检测" while a
// check runs), "另存为…", the guide's grid, the user's lists and the settings.
class ListHeadingMenu final : public QObject {
    Q_OBJECT
public:
    ListHeadingMenu(MainWindow& window, ListCheckView& check, ListLibraryView& lists);

    void show(QPoint onScreen);

signals:
    void guideGridAsked();
    void settingsAsked();

private:
    ListCheckView& check_;
    ListLibraryView& lists_;
};
