#include "FolderListing.h"

#include <QCollator>
#include <QDir>
#include <QFileInfo>
#include <QSet>

#include <algorithm>

namespace {

const QSet<QString>& playableExtensions()
{
    static const QSet<QString> extensions = [] {
        const char* const known[] = {
            // video
            "3g2", "3gp", "amv", "asf", "avi", "divx", "dv", "f4v", "flv", "m1v", "m2t", "m2ts", "m2v", "m4v",
            "mkv", "mov", "mp4", "mpe", "mpeg", "mpg", "mpv", "mts", "mxf", "nsv", "nuv", "ogm", "ogv", "qt",
            "rm", "rmvb", "tod", "trp", "ts", "vob", "webm", "wmv", "wtv", "y4m",
            // audio
            "aac", "ac3", "aif", "aiff", "amr", "ape", "au", "dts", "flac", "m4a", "m4b", "mka", "mp2", "mp3",
            "mpa", "mpc", "oga", "ogg", "opus", "ra", "spx", "tta", "voc", "wav", "wma", "wv",
            // playlists
            "asx", "m3u", "m3u8", "pls", "wpl", "xspf"};
        QSet<QString> set;
        for (const char* extension : known)
            set.insert(QString::fromLatin1(extension));
        return set;
    }();
    return extensions;
}

// Natural order in the user's language; the C locale has no collation of its
// own, so it borrows English's, which still puts numbers in numeric order.
QCollator naturalOrder()
{
    const QLocale locale = QLocale().language() == QLocale::C ? QLocale(QLocale::English) : QLocale();
    QCollator collator(locale);
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

class Walk {
public:
    explicit Walk(const std::atomic<bool>& cancelled) : cancelled_(cancelled) { order_ = naturalOrder(); }

    void folder(const QString& path)
    {
        if (cancelled_.load(std::memory_order_relaxed))
            return;
        const QString canonical = QFileInfo(path).canonicalFilePath();
        if (canonical.isEmpty() || visited_.contains(canonical))
            return;
        visited_.insert(canonical);

        const QDir dir(path);
        QStringList folders = dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
        QStringList files = dir.entryList(QDir::Files);
        const auto byName = [this](const QString& a, const QString& b) { return order_.compare(a, b) < 0; };
        std::sort(folders.begin(), folders.end(), byName);
        std::sort(files.begin(), files.end(), byName);
        for (const QString& name : std::as_const(folders))
            folder(dir.filePath(name));
        for (const QString& name : std::as_const(files))
            if (isPlayableFileName(name))
                found_.append(dir.filePath(name));
    }

    QStringList found() const { return found_; }

private:
    const std::atomic<bool>& cancelled_;
    QCollator order_;
    QSet<QString> visited_;
    QStringList found_;
};

} // namespace

bool isPlayableFileName(const QString& fileName)
{
    const qsizetype dot = fileName.lastIndexOf(u'.');
    if (dot < 0 || dot == fileName.size() - 1)
        return false;
    return playableExtensions().contains(fileName.sliced(dot + 1).toLower());
}

QStringList playableFilesIn(const QString& folder, const std::atomic<bool>& cancelled)
{
    Walk walk(cancelled);
    walk.folder(folder);
    return walk.found();
}
