#pragma once

#include "Color.h"
#include "Control.h"

#include <QListView>

class ListBoxModel;

// List box of text items with single selection. Reading an item out of range
// gives empty text; the current selection reads -1 when nothing is selected.
class ListBox final : public QListView, public Control {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    QObject& object() override { return *this; }
    QWidget* widget() override { return this; }

    int itemCount() const;
    QString itemText(int index) const;
    int addItem(const QString& text);
    void setItems(QStringList items);
    void clearItems();
    int currentSelection() const;
    void setCurrentSelection(int index);

    void setColors(Rgb text, Rgb background);
    void setExtraLineSpacing(int pixels);
    void setItemFont(const QFont& font);

signals:
    void itemDoubleClicked();

private:
    void updateRowHeight();

    ListBoxModel* items_;
    int extraSpacing_ = 0;
};
