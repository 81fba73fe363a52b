#pragma once

#include "Color.h"
#include "Control.h"

#include <QListView>

#include <functional>
#include <optional>
#include <vector>

class ListBoxModel;

// List box of text items with single selection. The current selection reads
// -1 when nothing is selected.
// Indices are always those of the whole list, whatever a filter hides.
class ListBox final : public QListView, public Control {
    Q_OBJECT
public:
    explicit ListBox(QWidget* parent = nullptr);

    QObject& object() override { return *this; }
    QWidget* widget() override { return this; }

    int addItem(const QString& text);
    void setItems(QStringList items);
    const QStringList& items() const;
    int currentSelection() const;
    void setCurrentSelection(int index);

    // Headings: shown centred in their own colour, never selected, and a
    // double-click on one raises nothing.
    void setHeadings(const QList<int>& items, Rgb colour);
    bool isHeading(int index) const;
    // Shows only these items (ascending), or all again; the selection stays
    // on its item while that item is shown.
    void showOnly(std::vector<int> items);
    // Each item's tooltip, asked as it is about to show (an empty one shows none).
    void setItemToolTips(std::function<QString(int item)> toolTip);
    // Items with a note are drawn dimmed; the note leads the tooltip and is read out.
    void setItemNotes(std::function<QString(int item)> note, Rgb dimmed);
    void notesChanged();
    void showAll();
    // The item at a point of the viewport; -1 where there is none.
    int itemAt(const QPoint& point) const;

    void setColors(Rgb text, Rgb background);
    void setExtraLineSpacing(int pixels);
    void setItemFont(const QFont& font);

signals:
    void itemDoubleClicked();

protected:
    // A press on a heading leaves the selection where it was.
    void mousePressEvent(QMouseEvent* event) override;
    // The keys move over headings to the next entry.
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;

private:
    void updateRowHeight();
    void setShown(std::optional<std::vector<int>> items);

    ListBoxModel* items_;
    int extraSpacing_ = 0;
};
