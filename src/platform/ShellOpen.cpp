#include "ShellOpen.h"

#include <QDesktopServices>
#include <QUrl>

bool openInBrowser(const QUrl& page)
{
    return QDesktopServices::openUrl(page);
}
