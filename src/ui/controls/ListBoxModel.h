#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QStringList>

#include <vector>

// The items of a list box. Rows all share one height, so the view never has to
// measure items one by one, and a whole list is replaced in one reset.
//
// Items are addressed by their index in the whole list ("item"); the view
// sees only the rows a filter lets through ("row"). Some items may be
// headings: shown in a look of their own, never selected.
class ListBoxModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return int(items_.size()); }
    QString item(int index) const;
    const QStringList& items() const { return items_; }
    int append(const QString& text);
    void replaceAll(QStringList items);
    void clear();
    void setRowHeight(int height);

    // Headings: their indices, ascending. Replacing the items clears them.
    void setHeadings(const QList<int>& items, const QColor& colour);
    bool isHeading(int item) const;

    // Only items holding text (letter case ignored) are shown, with the
    // headings of groups that have such an item; every item of a group whose
    // heading holds it is shown. Empty text shows everything.
    void setFilter(const QString& text);
    QString filter() const { return filter_; }
    int itemAt(int row) const;  // -1 outside the rows shown
    int rowOf(int item) const;  // -1 when the item is not shown

private:
    void applyFilter();

    QStringList items_;
    std::vector<bool> headings_;
    QColor headingColour_;
    QString filter_;
    std::vector<int> shown_; // with a filter: the items shown, ascending
    int rowHeight_ = 0;
};
