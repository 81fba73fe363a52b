#include "PlaySourceHandlers.h"

#include "ChannelNavigation.h"
#include "HandlerContext.h"
#include "MainWindow.h"
#include "Preopen.h"
#include "core/ProgramState.h"
#include "controls/ListBox.h"
#include "sources/PlaySourceLoader.h"

std::uint64_t LoadPlaySourceList(HandlerContext& context, const QString& path)
{
    return context.state.sources->load(path);
}

void OnFilesDropped(HandlerContext& context, const QString& payload)
{
    // One file is its path; several are each followed by CR LF.
    QStringList paths = payload.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    if (paths.isEmpty())
        return;
    context.state.sources->loadDropped(paths);
}

void FillSourceList(HandlerContext& context)
{
    const ChannelList& list = context.state.channels.list();
    ListBox& sources = context.window.get<ListBox>(u"SourceList");
    sources.setItems(list.names());
    // Group headings in the list heading's grey.
    sources.setHeadings(list.headings(), rgb(192, 192, 192));
    // The filter being typed applies to the new list too.
    if (list.isFiltered())
        sources.showOnly(list.shown());
    context.window.get<ListBox>(u"AddressList").setItems(list.writtenAddresses());
}

void ShowPlaySources(HandlerContext& context, const PlaySourceFile& file, std::uint64_t generation)
{
    if (file.keepsCurrentList)
        return;
    context.state.channels.replaceList(file);
    FillSourceList(context);
    if (generation != 0 && generation == context.startupLoad) {
        SelectRememberedChannel(context);
        PrepareSelectionAtStart(context); // if the window shows already; else once it does
    }
}
