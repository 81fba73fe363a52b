#include "DesktopShortcut.h"

#include "platform/DesktopLauncher.h"

namespace {
const QString kShortcutName = QStringLiteral("澄影播放器");
} // namespace

void EnsureDesktopShortcut(const QString& target, const QString& icon)
{
    const QString folder = desktop::folder();
    if (folder.isEmpty())
        return;
    const QString path = desktop::launcherPath(folder, kShortcutName);
    if (desktop::entryExists(path))
        return;
    desktop::writeLauncher(path, kShortcutName, target, icon);
}
