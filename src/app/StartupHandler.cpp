#include "StartupHandler.h"

#include "ProgramState.h"
#include "ui/HandlerContext.h"
#include "ui/MainWindow.h"
#include "ui/PlaySourceHandlers.h"
#include "ui/controls/DropTarget.h"

#include <QFileInfo>

namespace {
constexpr int kCachingMs = 300;
const QString kPlaySourceFileName = QStringLiteral("澄影播放源.txt");
} // namespace

void OnMainWindowCreated(HandlerContext& context)
{
    MainWindow& window = context.window;
    context.state.CachingMs = kCachingMs;
    window.get<DropTarget>(u"FileDropTarget").registerOn(&window);

    // A folder of that name passes the test too; it then loads as an empty list.
    const QString playSources = context.state.programFolder + QLatin1Char('/') + kPlaySourceFileName;
    if (QFileInfo::exists(playSources))
        LoadPlaySourceList(context, playSources);
}
