#include "ui/lists/ListHeadingMenu.h"

#include "ui/MainWindow.h"
#include "ui/controls/Control.h"
#include "ui/lists/ListCheckView.h"
#include "ui/lists/ListLibraryView.h"

#include <QMenu>

ListHeadingMenu::ListHeadingMenu(MainWindow& window, ListCheckView& check, ListLibraryView& lists)
    : check_(check), lists_(lists)
{
    QWidget& heading = *window.control(u"ListCaptionLabel")->widget();
    heading.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&heading, &QWidget::customContextMenuRequested, this,
            [this, &heading](QPoint at) { show(heading.mapToGlobal(at)); });
}

void ListHeadingMenu::show(QPoint onScreen)
{
    QMenu menu;
    menu.setAccessibleName(QStringLiteral("列表菜单"));
    if (check_.isRunning())
        menu.addAction(QStringLiteral("停止检测"), this, [this] { check_.stop(); });
    else
        menu.addAction(QStringLiteral("检测全部频道"), this, [this] { check_.start(); });
    menu.addAction(QStringLiteral("另存为…"), this, [this] { check_.askToSave(); });
    menu.addAction(QStringLiteral("电视指南"), this, &ListHeadingMenu::guideGridAsked)->setShortcut(QKeySequence(Qt::Key_E));
    menu.addSeparator();
    lists_.addMenu(menu);
    menu.addAction(QStringLiteral("设置…"), this, &ListHeadingMenu::settingsAsked)
        ->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    menu.exec(onScreen);
}
