#pragma once

#include <QAbstractListModel>
#include <QColor>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// The items of a list box. Rows all share one height, so the view never has to
// measure items one by one, and a whole list is replaced in one reset.
//
// Items are addressed by their index in the whole list ("item"); the view
// sees only the rows shown ("row"), all of them unless told which. Some
// items may be headings: shown in a look of their own, never selected.
class ListBoxModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    int count() const { return int(items_.size()); }
    const QStringList& items() const { return items_; }
    int append(const QString& text);
    void replaceAll(QStringList items);
    void setRowHeight(int height);

    // Headings: their indices, ascending. Replacing the items clears them.
    void setHeadings(const QList<int>& items, const QColor& colour);
    bool isHeading(int item) const;

    // An item's tooltip, asked when it is about to show; headings have none.
    void setToolTips(std::function<QString(int item)> toolTip) { toolTip_ = std::move(toolTip); }

    // An item's note (why it does not play, say): an item with one is drawn
    // dimmed, and its note leads its tooltip and is its accessible description.
    void setNotes(std::function<QString(int item)> note, const QColor& dimmed)
    {
        note_ = std::move(note);
        dimmed_ = dimmed;
    }
    // The notes changed: the rows shown are drawn again.
    void notesChanged();

    // Only these items (ascending) are shown; none given: every item.
    void setShown(std::optional<std::vector<int>> items);
    int itemAt(int row) const;  // -1 outside the rows shown
    int rowOf(int item) const;  // -1 when the item is not shown

private:
    QString noteOf(int item) const;

    QStringList items_;
    std::vector<bool> headings_;
    QColor headingColour_;
    std::optional<std::vector<int>> shown_;
    std::function<QString(int item)> toolTip_;
    std::function<QString(int item)> note_;
    QColor dimmed_;
    int rowHeight_ = 0;
};
