#include "PlaybackHandlers.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "Texts.h"
#include "controls/ListBox.h"
#include "core/AppCore.h"

#include <QMessageBox>

void PlaySelectedEntry(HandlerContext& context)
{
    if (context.core.channels.list().count() == 0) {
        QMessageBox box(QMessageBox::NoIcon, texts::infoCaption(), texts::emptyList(), QMessageBox::Ok);
        box.setAccessibleName(texts::infoCaption());
        box.setWindowModality(Qt::ApplicationModal);
        box.exec();
        return;
    }
    context.core.playback->playEntry(context.window.get<ListBox>(u"SourceList").currentSelection());
}

void StopPlayback(HandlerContext& context)
{
    context.core.playback->stop();
}
