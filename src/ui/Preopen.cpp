#include "Preopen.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "PlaybackHandlers.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"

#include <QItemSelectionModel>

void PrepareEntry(HandlerContext& context, int index)
{
    if (index < 0)
        return;
    const Alternates alternates = EntryAlternates(context, index);
    if (!alternates.empty())
        context.state.playback->prepare(alternates, PlayerWindows(context), context.state.CachingMs);
}

void PrepareSelectionAtStart(HandlerContext& context)
{
    if (!context.windowPainted || context.nowPlaying.generation != 0)
        return;
    const int selected = context.window.get<ListBox>(u"SourceList").currentSelection();
    // "start=last": the channel played last (selected at start) plays at once.
    if (context.state.settings && context.state.settings->startsPlaying()) {
        if (context.state.channels.list().contains(selected) && !context.state.channels.list().isHeading(selected))
            PlaySelectedEntry(context);
        return;
    }
    const int index = context.state.channels.restingToOpenAhead(selected);
    if (index < 0)
        return;
    const Alternates alternates = EntryAlternates(context, index);
    if (alternates.empty())
        return;
    PlaybackSession& playback = *context.state.playback;
    playback.prepareBeforeAnyChoice(alternates, PlayerWindows(context), context.state.CachingMs);
    // A player left open with nobody watching costs its connection and its
    // decoding: let go once the user has not chosen anything for a while.
    QTimer::singleShot(kStartPredictionKeptMs, &context.window, [&playback] {
        if (playback.generation() == 0)
            playback.stop();
    });
}

SelectionRest::SelectionRest(HandlerContext& context) : context_(context)
{
    rest_.setSingleShot(true);
    rest_.setInterval(kRestMs);
    connect(&rest_, &QTimer::timeout, this, &SelectionRest::prepareSelected);
    ListBox& list = context.window.get<ListBox>(u"SourceList");
    connect(list.selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        pending_ = -1;
        if (context_.state.channels.preopen() == PreopenMode::NextAndSelection)
            rest_.start();
    });
}

void SelectionRest::prepareAfterRest(int index)
{
    if (index < 0)
        return;
    pending_ = index;
    rest_.start();
}

void SelectionRest::prepareSelected()
{
    const int selected =
        pending_ >= 0 ? std::exchange(pending_, -1) : context_.window.get<ListBox>(u"SourceList").currentSelection();
    PrepareEntry(context_, context_.state.channels.restingToOpenAhead(selected));
}
