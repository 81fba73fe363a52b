#include "ui/lists/ListPanelView.h"

#include "core/lists/ChannelNavigator.h"
#include "core/playback/PreopenScheduler.h"
#include "core/settings/UserSettings.h"
#include "ui/MainWindow.h"
#include "ui/controls/Control.h"
#include "ui/controls/ListBox.h"
#include "ui/lists/ListFilterLine.h"

#include <QItemSelectionModel>
#include <QMenu>
#include <QShortcut>

#include <algorithm>

namespace {

void selectEntry(ListBox& list, int index, QAbstractItemView::ScrollHint hint = QAbstractItemView::EnsureVisible)
{
    list.setCurrentSelection(index);
    list.scrollTo(list.currentIndex(), hint);
}

void showFiltered(ListBox& sources, const ChannelList& channels)
{
    if (channels.isFiltered())
        sources.showOnly(channels.shown());
    else
        sources.showAll();
}

} // namespace

ListPanelView::ListPanelView(MainWindow& window, ChannelNavigator& channels, PreopenScheduler& preopen,
                             UserSettings* settings)
    : window_(window), channels_(channels), preopen_(preopen), settings_(settings),
      sources_(window.get<ListBox>(u"SourceList"))
{
    // The line that finds a channel, over the list's heading.
    filter_ = new ListFilterLine(*window.control(u"ListCaptionLabel")->widget(), window);
    connect(filter_, &QLineEdit::textChanged, this, &ListPanelView::filterChanged);
    connect(filter_, &ListFilterLine::accepted, this, &ListPanelView::playFiltered);
    connect(filter_, &ListFilterLine::abandoned, this, &ListPanelView::closeFilter);
    connect(new QShortcut(QKeySequence::Find, &window), &QShortcut::activated, this, &ListPanelView::showFilter);
    // The Enter or double-click that follows a resting selection finds its entry opened ahead.
    connect(sources_.selectionModel(), &QItemSelectionModel::selectionChanged, this,
            [this] { preopen_.selectionMoved(sources_.currentSelection()); });
    // A right-click on an entry selects it and offers its schedule.
    sources_.setContextMenuPolicy(Qt::CustomContextMenu);
    connect(&sources_, &QWidget::customContextMenuRequested, this, &ListPanelView::showEntryMenu);
}

void ListPanelView::showEntryMenu(QPoint at)
{
    const int item = sources_.itemAt(at);
    if (item < 0 || channels_.list().isHeading(item))
        return;
    sources_.setCurrentSelection(item);
    QMenu menu;
    menu.setAccessibleName(QStringLiteral("节目菜单"));
    menu.addAction(QStringLiteral("节目单"), this, &ListPanelView::scheduleAsked);
    menu.addAction(isFavourite(item) ? QStringLiteral("取消收藏") : QStringLiteral("收藏"), this,
                   [this, item] { toggleFavourite(item); });
    menu.exec(sources_.viewport()->mapToGlobal(at));
}

void ListPanelView::fill()
{
    const ChannelList& list = channels_.list();
    sources_.setItems(list.names());
    // Group headings in the list heading's grey.
    sources_.setHeadings(list.headings(), rgb(192, 192, 192));
    // The filter being typed applies to the new list too.
    if (list.isFiltered())
        sources_.showOnly(list.shown());
    window_.get<ListBox>(u"AddressList").setItems(list.writtenAddresses());
}

void ListPanelView::moveSelection(int direction)
{
    const int next = channels_.selectionStep(sources_.currentSelection(), direction);
    if (next >= 0)
        selectEntry(sources_, next);
}

void ListPanelView::selectPlayed(int index)
{
    if (index < 0)
        return;
    // A channel the filter hides: the whole list again, so that what plays is what the user sees.
    if (!channels_.list().isShown(index))
        closeFilter();
    if (sources_.currentSelection() != index)
        selectEntry(sources_, index);
}

int ListPanelView::selectRemembered()
{
    if (!settings_)
        return -1;
    const std::optional<UserSettings::Channel> remembered = settings_->lastChannel();
    if (!remembered)
        return -1;
    const int index = channels_.list().find(remembered->name, remembered->address);
    if (index >= 0)
        selectEntry(sources_, index, QAbstractItemView::PositionAtCenter);
    return index;
}

int ListPanelView::selection() const
{
    return sources_.currentSelection();
}

void ListPanelView::showFilter()
{
    if (window_.control(u"ListCaptionLabel")->Visible())
        filter_->open();
}

// The filter line's text changed: SourceList shows what holds it.
void ListPanelView::filterChanged()
{
    channels_.setFilter(filter_->text());
    showFiltered(sources_, channels_.list());
    // Enter plays the first match: it is opened ahead once the typing pauses.
    preopen_.filterMatched(channels_.list().firstShownChannel());
}

// Enter in the filter line: the selected entry plays, or the first one shown.
void ListPanelView::playFiltered()
{
    if (sources_.currentSelection() < 0) {
        const int first = channels_.list().firstShownChannel();
        if (first < 0)
            return;
        sources_.setCurrentSelection(first);
    }
    emit entryChosen();
}

void ListPanelView::closeFilter()
{
    filter_->close();
    channels_.setFilter({});
    showFiltered(sources_, channels_.list());
    sources_.setFocus(Qt::OtherFocusReason);
}

bool ListPanelView::isFilterTyping() const
{
    return filter_->isVisible() && filter_->hasFocus();
}

void ListPanelView::toggleFavourite(int index)
{
    const ChannelList& list = channels_.list();
    if (!list.contains(index) || list.isHeading(index))
        return;
    showFavourites(channels_.favouritesToggling(index));
    if (settings_)
        settings_->setFavourites(list.favouriteKeys());
}

void ListPanelView::showFavourites(const std::vector<ChannelKey>& favourites)
{
    const ChannelList& list = channels_.list();
    const ChannelList::Place selected = list.placeOf(sources_.currentSelection());
    channels_.setFavourites(favourites);
    fill();
    if (const int stillSelected = list.indexOf(selected); stillSelected >= 0)
        sources_.setCurrentSelection(stillSelected);
    emit reshown();
}

void ListPanelView::toggleSelectedFavourite()
{
    toggleFavourite(sources_.currentSelection());
}

bool ListPanelView::isFavourite(int index) const
{
    const ChannelList& list = channels_.list();
    const auto& keys = list.favouriteKeys();
    return list.contains(index) && std::find(keys.begin(), keys.end(), list.key(index)) != keys.end();
}

void ListPanelView::refillInPlace(const std::function<std::function<int(int)>()>& refresh)
{
    const int selected = sources_.currentSelection();
    const int top = sources_.indexAt(QPoint(1, 1)).row();
    const std::function<int(int)> moved = refresh();
    fill();
    if (const int topNow = moved(top); topNow >= 0)
        sources_.scrollTo(sources_.model()->index(topNow, 0), QAbstractItemView::PositionAtTop);
    if (const int selectedNow = moved(selected); selectedNow >= 0)
        sources_.setCurrentSelection(selectedNow);
}
