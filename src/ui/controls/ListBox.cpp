#include "ListBox.h"

#include "DefaultFont.h"
#include "ListBoxModel.h"

#include <QFontMetrics>

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
        if (index.isValid())
            emit itemDoubleClicked();
    });
}

int ListBox::itemCount() const
{
    return items_->count();
}

QString ListBox::itemText(int index) const
{
    return items_->item(index);
}

int ListBox::addItem(const QString& text)
{
    return items_->append(text);
}

void ListBox::setItems(QStringList items)
{
    items_->replaceAll(std::move(items));
}

void ListBox::clearItems()
{
    items_->clear();
}

int ListBox::currentSelection() const
{
    const QModelIndexList selected = selectionModel()->selectedIndexes();
    return selected.isEmpty() ? -1 : selected.first().row();
}

void ListBox::setCurrentSelection(int index)
{
    if (index < 0 || index >= itemCount()) {
        selectionModel()->clearSelection();
        return;
    }
    const QModelIndex item = items_->index(index);
    selectionModel()->setCurrentIndex(item, QItemSelectionModel::ClearAndSelect);
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
