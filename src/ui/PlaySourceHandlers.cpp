#include "PlaySourceHandlers.h"

#include "HandlerContext.h"
#include "ListPanel.h"
#include "core/AppCore.h"

std::uint64_t LoadPlaySourceList(HandlerContext& context, const QString& path)
{
    return context.core.sources->load(path);
}

void OnFilesDropped(HandlerContext& context, const QString& payload)
{
    // One file is its path; several are each followed by CR LF.
    QStringList paths = payload.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (paths.isEmpty())
        return;
    context.core.sources->loadDropped(paths);
}

void ShowPlaySources(HandlerContext& context, const PlaySourceFile& file, std::uint64_t generation)
{
    ListLibrary* library = context.core.lists.get();
    if (file.keepsCurrentList) {
        if (library)
            library->shown(generation, file);
        return;
    }
    if (library && library->isInPlace(generation)) {
        // A refresh: the same list, its new entries in place of the old; what plays goes on.
        const ListColumns before = context.core.channels.list().columns();
        RefillSourceListInPlace(context, [&] { return context.core.channels.refreshList(file); });
        library->shownInPlace(generation, before, context.core.channels.list().columns());
        return;
    }
    context.core.channels.replaceList(file);
    FillSourceList(context);
    if (library)
        library->shown(generation, file);
    if (generation != 0 && generation == context.startupLoad) {
        // Opened ahead (or played, with "start=last") once the window shows, if it does not yet.
        context.core.preopen->startListShown(SelectRememberedChannel(context));
    }
}
