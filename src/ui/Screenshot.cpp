#include "Screenshot.h"

#include "HandlerContext.h"
#include "MainWindow.h"
#include "VideoArea.h"
#include "core/AppCore.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolTip>

namespace {

void tell(HandlerContext& context, const QString& text)
{
    QToolTip::showText(context.video->onScreen().center(), text, &context.window, {}, 3000);
}

} // namespace

QString ScreenshotPath(const QString& channel, const QString& folder)
{
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty())
        pictures = QDir::homePath();
    pictures = folder.isEmpty() ? QDir(pictures).filePath(QStringLiteral("Clipvane")) : folder;
    // A name that any file system takes: no separators or reserved signs from the channel's name.
    QString name = channel.isEmpty() ? QStringLiteral("截图") : channel;
    name.replace(QRegularExpression(QStringLiteral(R"([/\\:*?"<>|\x00-\x1f])")), QStringLiteral("_"));
    return QDir(pictures).filePath(QStringLiteral("%1 %2.png")
                                       .arg(name.left(80), QDateTime::currentDateTime().toString(u"yyyy-MM-dd HH.mm.ss.zzz")));
}

void SaveScreenshot(HandlerContext& context)
{
    const NowPlaying& playing = context.core.playback->nowPlaying();
    if (playing.generation == 0) {
        tell(context, QStringLiteral("没有可截图的画面"));
        return;
    }
    const QString path =
        ScreenshotPath(playing.name, context.core.settings ? context.core.settings->screenshotFolder() : QString());
    if (!QDir().mkpath(QFileInfo(path).path())) {
        tell(context, QStringLiteral("无法创建文件夹：") + QFileInfo(path).path());
        return;
    }
    context.core.session->transport().saveSnapshot(path, &context.window, [&context, path](bool saved) {
        tell(context, saved ? QStringLiteral("截图已保存：") + QDir::toNativeSeparators(path)
                            : QStringLiteral("没有可截图的画面"));
    });
}
