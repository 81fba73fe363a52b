#include "ui/playback/ScreenshotView.h"

#include "ui/MainWindow.h"
#include "ui/playback/VideoArea.h"
#include "core/playback/PlaybackController.h"
#include "core/settings/UserSettings.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QToolTip>


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

ScreenshotView::ScreenshotView(MainWindow& window, PlaybackController& playback, const UserSettings* settings,
                               VideoArea& video)
    : window_(window), playback_(playback), settings_(settings), video_(video)
{
}

void ScreenshotView::tell(const QString& text)
{
    QToolTip::showText(video_.onScreen().center(), text, &window_, {}, 3000);
}

void ScreenshotView::save()
{
    const NowPlaying& playing = playback_.nowPlaying();
    if (playing.generation == 0) {
        tell(QStringLiteral("没有可截图的画面"));
        return;
    }
    const QString path = ScreenshotPath(playing.name, settings_ ? settings_->screenshotFolder() : QString());
    if (!QDir().mkpath(QFileInfo(path).path())) {
        tell(QStringLiteral("无法创建文件夹：") + QFileInfo(path).path());
        return;
    }
    playback_.saveSnapshot(path, &window_, [this, path](bool saved) {
        tell(saved ? QStringLiteral("截图已保存：") + QDir::toNativeSeparators(path) : QStringLiteral("没有可截图的画面"));
    });
}
