#include "ListBoxModel.h"

#include <QSize>

#include <algorithm>
#include <limits>

int ListBoxModel::rowCount(const QModelIndex& parent) const
{
    if (parent.isValid())
        return 0;
    return filter_.isEmpty() ? count() : int(shown_.size());
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
        return isHeading(item) ? QVariant(headingColour_) : QVariant();
    case Qt::AccessibleDescriptionRole:
        return isHeading(item) ? QVariant(QStringLiteral("分组标题")) : QVariant();
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
    const int item = count();
    if (!filter_.isEmpty()) {
        beginResetModel();
        items_.append(text);
        applyFilter();
        endResetModel();
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
    applyFilter();
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
    applyFilter();
    endResetModel();
}

bool ListBoxModel::isHeading(int item) const
{
    return item >= 0 && size_t(item) < headings_.size() && headings_[size_t(item)];
}

void ListBoxModel::setFilter(const QString& text)
{
    if (text == filter_)
        return;
    beginResetModel();
    filter_ = text;
    applyFilter();
    endResetModel();
}

void ListBoxModel::applyFilter()
{
    shown_.clear();
    if (filter_.isEmpty())
        return;
    const auto holds = [this](int item) { return items_.at(item).contains(filter_, Qt::CaseInsensitive); };
    // A group runs from its heading to the next one; items before any heading form a group of their own.
    int group = 0;
    while (group < count()) {
        int end = group + 1;
        while (end < count() && !isHeading(end))
            ++end;
        const bool headed = isHeading(group);
        const bool wholeGroup = headed && holds(group);
        const size_t headingAt = shown_.size();
        bool any = false;
        for (int item = headed ? group + 1 : group; item < end; ++item) {
            if (wholeGroup || holds(item)) {
                shown_.push_back(item);
                any = true;
            }
        }
        if (headed && (any || wholeGroup))
            shown_.insert(shown_.begin() + std::ptrdiff_t(headingAt), group);
        group = end;
    }
}

int ListBoxModel::itemAt(int row) const
{
    if (filter_.isEmpty())
        return row >= 0 && row < count() ? row : -1;
    return row >= 0 && size_t(row) < shown_.size() ? shown_[size_t(row)] : -1;
}

int ListBoxModel::rowOf(int item) const
{
    if (item < 0 || item >= count())
        return -1;
    if (filter_.isEmpty())
        return item;
    const auto found = std::lower_bound(shown_.begin(), shown_.end(), item);
    return found != shown_.end() && *found == item ? int(found - shown_.begin()) : -1;
}
