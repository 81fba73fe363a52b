#include "ListBox.h"

#include "DefaultFont.h"
#include "ListBoxModel.h"

#include <QFontMetrics>
#include <QMouseEvent>

#include <algorithm>

ListBox::ListBox(QWidget* parent) : QListView(parent), items_(new ListBoxModel(this))
{
    setModel(items_);
    setUniformItemSizes(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideNone);
    setFont(defaultGuiFont());
    updateRowHeight();
    connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (index.isValid() && !items_->isHeading(items_->itemAt(index.row())))
            emit itemDoubleClicked();
    });
}

int ListBox::addItem(const QString& text)
{
    return items_->append(text);
}

void ListBox::setItems(QStringList items)
{
    items_->replaceAll(std::move(items));
}

const QStringList& ListBox::items() const
{
    return items_->items();
}

int ListBox::currentSelection() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : items_->itemAt(selected.first().row());
}

void ListBox::setCurrentSelection(int index)
{
    const int row = items_->rowOf(index);
    if (row < 0 || items_->isHeading(index)) {
        selectionModel()->clearSelection();
        return;
    }
    selectionModel()->setCurrentIndex(items_->index(row), QItemSelectionModel::ClearAndSelect);
}

void ListBox::setHeadings(const QList<int>& items, Rgb colour)
{
    const int selected = currentSelection();
    items_->setHeadings(items, toQColor(colour));
    setCurrentSelection(selected);
}

bool ListBox::isHeading(int index) const
{
    return items_->isHeading(index);
}

void ListBox::showOnly(std::vector<int> items)
{
    setShown(std::move(items));
}

void ListBox::setItemToolTips(std::function<QString(int item)> toolTip)
{
    items_->setToolTips(std::move(toolTip));
}

void ListBox::setItemNotes(std::function<QString(int item)> note, Rgb dimmed)
{
    items_->setNotes(std::move(note), toQColor(dimmed));
}

void ListBox::notesChanged()
{
    items_->notesChanged();
}

void ListBox::showAll()
{
    setShown(std::nullopt);
}

void ListBox::setShown(std::optional<std::vector<int>> items)
{
    const int selected = currentSelection();
    items_->setShown(std::move(items));
    if (selected < 0 || items_->rowOf(selected) < 0)
        return;
    setCurrentSelection(selected);
    scrollTo(items_->index(items_->rowOf(selected)), QAbstractItemView::PositionAtCenter);
}

int ListBox::itemAt(const QPoint& point) const
{
    const QModelIndex index = indexAt(point);
    return index.isValid() ? items_->itemAt(index.row()) : -1;
}

void ListBox::setColors(Rgb text, Rgb background)
{
    QPalette p = palette();
    p.setColor(QPalette::Text, toQColor(text));
    p.setColor(QPalette::Base, backgroundColor(background, p));
    p.setColor(QPalette::Window, backgroundColor(background, p));
    setPalette(p);
}

void ListBox::setExtraLineSpacing(int pixels)
{
    extraSpacing_ = std::clamp(pixels, 0, 32767);
    updateRowHeight();
}

void ListBox::setItemFont(const QFont& font)
{
    setFont(font);
    updateRowHeight();
}

void ListBox::updateRowHeight()
{
    items_->setRowHeight(QFontMetrics(font()).height() + extraSpacing_);
}

void ListBox::mousePressEvent(QMouseEvent* event)
{
    const QModelIndex under = indexAt(event->position().toPoint());
    if (under.isValid() && items_->isHeading(items_->itemAt(under.row()))) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

QModelIndex ListBox::moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers)
{
    QModelIndex next = QListView::moveCursor(action, modifiers);
    const auto isHeadingRow = [this](const QModelIndex& index) {
        return index.isValid() && items_->isHeading(items_->itemAt(index.row()));
    };
    if (!isHeadingRow(next))
        return next;
    // Onwards in the direction of the move; back the other way at either end.
    const bool upwards = action == MoveUp || action == MovePageUp || action == MoveEnd || action == MovePrevious;
    for (const int step : {upwards ? -1 : 1, upwards ? 1 : -1}) {
        for (int row = next.row() + step; row >= 0 && row < items_->rowCount(); row += step)
            if (!items_->isHeading(items_->itemAt(row)))
                return items_->index(row);
    }
    return currentIndex();
}
