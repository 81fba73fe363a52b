#pragma once

#include <QAbstractListModel>
#include <QStringList>

// The items of a list box. Rows all share one height, so the view never has to
// measure items one by one, and a whole list is replaced in one reset.
class ListBoxModel final : public QAbstractListModel {
    Q_OBJECT
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    int count() const { return int(items_.size()); }
    QString item(int index) const;
    int append(const QString& text);
    void replaceAll(QStringList items);
    void clear();
    void setRowHeight(int height);

private:
    QStringList items_;
    int rowHeight_ = 0;
};
