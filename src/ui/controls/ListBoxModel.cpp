#include "ListBoxModel.h"

#include <QSize>

#include <limits>

int ListBoxModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= count())
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return items_.at(index.row());
    case Qt::SizeHintRole:
        return rowHeight_ > 0 ? QVariant(QSize(0, rowHeight_)) : QVariant();
    default:
        return {};
    }
}

QString ListBoxModel::item(int index) const
{
    if (index < 0 || index >= count())
        return {};
    return items_.at(index);
}

int ListBoxModel::append(const QString& text)
{
    if (count() == std::numeric_limits<int>::max())
        return -1;
    const int row = count();
    beginInsertRows({}, row, row);
    items_.append(text);
    endInsertRows();
    return row;
}

void ListBoxModel::replaceAll(QStringList items)
{
    beginResetModel();
    items_ = std::move(items);
    endResetModel();
}

void ListBoxModel::clear()
{
    replaceAll({});
}

void ListBoxModel::setRowHeight(int height)
{
    if (height == rowHeight_)
        return;
    rowHeight_ = height;
    if (count() > 0)
        emit dataChanged(index(0), index(count() - 1), {Qt::SizeHintRole});
    emit layoutChanged();
}
