#include "ListBoxModel.h"

#include <QSize>

#include <algorithm>
#include <limits>

int ListBoxModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return shown_ ? int(shown_->size()) : count();
}

QVariant ListBoxModel::data(const QModelIndex& index, int role) const
{
    const int item = index.isValid() ? itemAt(index.row()) : -1;
    if (item < 0)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return items_.at(item);
    case Qt::SizeHintRole:
        return rowHeight_ > 0 ? QVariant(QSize(0, rowHeight_)) : QVariant();
    case Qt::TextAlignmentRole:
        return isHeading(item) ? QVariant(int(Qt::AlignCenter)) : QVariant();
    case Qt::ForegroundRole:
        if (isHeading(item))
            return headingColour_;
        return noteOf(item).isEmpty() ? QVariant() : QVariant(dimmed_);
    case Qt::ToolTipRole: {
        if (isHeading(item))
            return {};
        const QString note = noteOf(item);
        const QString tip = toolTip_ ? toolTip_(item) : QString();
        return note.isEmpty() ? tip : tip.isEmpty() ? note : note + u'\n' + tip;
    }
    case Qt::AccessibleDescriptionRole:
        return isHeading(item) ? QVariant(QStringLiteral("分组标题")) : QVariant(noteOf(item));
    default:
        return {};
    }
}

Qt::ItemFlags ListBoxModel::flags(const QModelIndex& index) const
{
    const int item = index.isValid() ? itemAt(index.row()) : -1;
    if (item < 0)
        return Qt::NoItemFlags;
    // A heading can be seen and read out, not chosen.
    return isHeading(item) ? Qt::ItemIsEnabled : Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren;
}

QString ListBoxModel::noteOf(int item) const
{
    return note_ ? note_(item) : QString();
}

void ListBoxModel::notesChanged()
{
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1),
                         {Qt::ForegroundRole, Qt::ToolTipRole, Qt::AccessibleDescriptionRole});
}

int ListBoxModel::append(const QString& text)
{
    if (count() == std::numeric_limits<int>::max())
        return -1;
    const int item = count();
    if (shown_) { // not among the items shown
        items_.append(text);
        return item;
    }
    beginInsertRows({}, item, item);
    items_.append(text);
    endInsertRows();
    return item;
}

void ListBoxModel::replaceAll(QStringList items)
{
    beginResetModel();
    items_ = std::move(items);
    headings_.clear();
    shown_.reset();
    endResetModel();
}

void ListBoxModel::setRowHeight(int height)
{
    if (height == rowHeight_)
        return;
    rowHeight_ = height;
    if (rowCount() > 0)
        emit dataChanged(index(0), index(rowCount() - 1), {Qt::SizeHintRole});
    emit layoutChanged();
}

void ListBoxModel::setHeadings(const QList<int>& items, const QColor& colour)
{
    beginResetModel();
    headings_.assign(size_t(count()), false);
    for (int item : items)
        if (item >= 0 && item < count())
            headings_[size_t(item)] = true;
    headingColour_ = colour;
    endResetModel();
}

bool ListBoxModel::isHeading(int item) const
{
    return item >= 0 && size_t(item) < headings_.size() && headings_[size_t(item)];
}

void ListBoxModel::setShown(std::optional<std::vector<int>> items)
{
    beginResetModel();
    shown_ = std::move(items);
    endResetModel();
}

int ListBoxModel::itemAt(int row) const
{
    if (!shown_)
        return row >= 0 && row < count() ? row : -1;
    return row >= 0 && size_t(row) < shown_->size() ? (*shown_)[size_t(row)] : -1;
}

int ListBoxModel::rowOf(int item) const
{
    if (item < 0 || item >= count())
        return -1;
    if (!shown_)
        return item;
    const auto found = std::lower_bound(shown_->begin(), shown_->end(), item);
    return found != shown_->end() && *found == item ? int(found - shown_->begin()) : -1;
}
