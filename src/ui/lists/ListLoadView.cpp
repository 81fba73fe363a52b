#include "ui/lists/ListLoadView.h"

#include "core/lists/ChannelNavigator.h"
#include "core/lists/ListLibrary.h"
#include "core/playback/PreopenScheduler.h"
#include "sources/PlaySourceLoader.h"
#include "ui/lists/ListPanelView.h"

ListLoadView::ListLoadView(PlaySourceLoader& loader, ChannelNavigator& channels, ListLibrary& lists,
                           PreopenScheduler& preopen, ListPanelView& panel)
    : loader_(loader), channels_(channels), lists_(lists), preopen_(preopen), panel_(panel)
{
    connect(&loader, &PlaySourceLoader::loaded, this, [this](std::uint64_t generation, const PlaySourceFile& file) {
        show(file, generation);
        if (!file.keepsCurrentList)
            emit listReplaced();
    });
}

void ListLoadView::filesDropped(const QString& payload)
{
    // One file is its path; several are each followed by CR LF.
    const QStringList paths = payload.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (!paths.isEmpty())
        loader_.loadDropped(paths);
}

void ListLoadView::show(const PlaySourceFile& file, std::uint64_t generation)
{
    if (file.keepsCurrentList) {
        lists_.shown(generation, file);
        return;
    }
    if (lists_.isInPlace(generation)) {
        // A refresh: the same list, its new entries in place of the old; what plays goes on.
        const ListColumns before = channels_.list().columns();
        panel_.refillInPlace([&] { return channels_.refreshList(file); });
        lists_.shownInPlace(generation, before, channels_.list().columns());
        return;
    }
    channels_.replaceList(file);
    panel_.fill();
    lists_.shown(generation, file);
    if (generation != 0 && generation == startupLoad_) {
        // Opened ahead (or played, with "start=last") once the window shows, if it does not yet.
        preopen_.startListShown(panel_.selectRemembered());
    }
}
