#include "Preopen.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "core/ChannelOrder.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"

#include <QItemSelectionModel>

namespace {

void prepareEntry(HandlerContext& context, int index)
{
    const Alternates alternates = EntryAlternates(context, index);
    if (!alternates.empty())
        context.state.playback->prepare(alternates, PlayerWindows(context), context.state.CachingMs);
}

} // namespace

void PrepareNextChannel(HandlerContext& context)
{
    if (context.preopen == PreopenMode::Off || context.channels.current() < 0)
        return;
    const ListBox& list = context.window.get<ListBox>(u"SourceList");
    const int next = channelorder::nextChannel(
        list.itemCount(), [&list](int row) { return list.isHeading(row); }, context.channels.current(),
        context.lastDirection, true);
    if (next >= 0 && next != context.channels.current())
        prepareEntry(context, next);
}

SelectionRest::SelectionRest(HandlerContext& context) : context_(context)
{
    rest_.setSingleShot(true);
    rest_.setInterval(kRestMs);
    connect(&rest_, &QTimer::timeout, this, &SelectionRest::prepareSelected);
    ListBox& list = context.window.get<ListBox>(u"SourceList");
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (context_.preopen == PreopenMode::NextAndSelection)
            rest_.start();
    });
}

void SelectionRest::prepareSelected()
{
    const int selected = context_.window.get<ListBox>(u"SourceList").currentSelection();
    if (selected >= 0 && selected != context_.channels.current())
        prepareEntry(context_, selected);
}
