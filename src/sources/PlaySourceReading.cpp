#include "PlaySourceReading.h"

#include "FolderListing.h"
#include "M3uList.h"
#include "PlaySourceBytes.h"
#include "PlaySourceText.h"
#include "SourcesLog.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>

namespace {

constexpr qint64 kPieceSize = 64 * 1024;

PlaySourceBytes readPieces(const QString& path, const std::atomic<bool>& cancelled)
{
    PlaySourceBytes collected;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        qCDebug(lcSources) << "cannot open" << path << file.errorString();
        return collected;
    }
    std::array<char, kPieceSize> piece{};
    while (collected.wantsMore() && !cancelled.load(std::memory_order_relaxed)) {
        const qint64 got = file.read(piece.data(), qint64(piece.size()));
        if (got <= 0) {
            if (got < 0)
                qCDebug(lcSources) << "read failed" << path << file.errorString();
            break;
        }
        collected.feed(QByteArrayView(piece.data(), got));
    }
    if (collected.reachedLimit())
        qCWarning(lcSources) << path << "holds more text than any list; only its first"
                             << collected.bytes().size() << "bytes were read";
    return collected;
}

bool isRegularOrMissing(const QFileInfo& info)
{
    return !info.exists() || info.isFile();
}

void appendFileEntry(PlaySourceFile& all, const QString& path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    const QString full = QDir::toNativeSeparators(info.absoluteFilePath());
    all.fields << name << full;
    all.entries.push_back({name, full});
}

bool isNamedM3u(const QString& path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == QLatin1String("m3u") || suffix == QLatin1String("m3u8");
}

// A list's text: an M3U list when it says so (or, dropped, when its name does),
// otherwise a text list.
PlaySourceFile readList(const QString& text, const QString& path, bool m3u)
{
    return m3u ? parseM3u(text, QFileInfo(path).absolutePath()) : parsePlaySourceText(text);
}

void appendList(PlaySourceFile& all, const PlaySourceFile& one)
{
    all.text += one.text;
    all.fields += one.fields;
    all.entries.insert(all.entries.end(), one.entries.begin(), one.entries.end());
    // The guides of every list; the catch-up defaults of the first that has them.
    for (const QString& guide : one.listTags.guideAddresses)
        if (!all.listTags.guideAddresses.contains(guide))
            all.listTags.guideAddresses << guide;
    if (all.listTags.catchup.isEmpty() && all.listTags.catchupSource.isEmpty()) {
        all.listTags.catchup = one.listTags.catchup;
        all.listTags.catchupSource = one.listTags.catchupSource;
        all.listTags.catchupDays = one.listTags.catchupDays;
    }
}

} // namespace

PlaySourceFile readPlaySourceFile(const QString& path, const std::atomic<bool>& cancelled)
{
    const QFileInfo info(path);
    if (!isRegularOrMissing(info)) {
        qCDebug(lcSources) << "not a regular file, read as empty:" << path;
        return {};
    }
    const QString text = decodePlaySourceText(readPieces(path, cancelled).bytes());
    return readList(text, path, startsLikeM3u(text));
}

PlaySourceFile readDroppedFiles(const QStringList& paths, const std::atomic<bool>& cancelled)
{
    PlaySourceFile all;
    all.keepsCurrentList = true;
    for (const QString& path : paths) {
        if (cancelled.load(std::memory_order_relaxed))
            break;
        const QFileInfo info(path);
        if (info.isDir()) {
            const QStringList files = playableFilesIn(path, cancelled);
            for (const QString& file : files)
                appendFileEntry(all, file);
            if (!files.isEmpty())
                all.keepsCurrentList = false;
            continue;
        }
        if (!isRegularOrMissing(info)) {
            qCDebug(lcSources) << "dropped file skipped, not a regular file:" << path;
            continue;
        }
        all.keepsCurrentList = false;
        const PlaySourceBytes bytes = readPieces(path, cancelled);
        if (bytes.isBinary()) {
            appendFileEntry(all, path);
            continue;
        }
        const QString text = decodePlaySourceText(bytes.bytes());
        const bool m3u = isNamedM3u(path) || startsLikeM3u(text);
        // An HLS playlist is a stream to play, not a list of channels.
        if (m3u && isHlsPlaylist(text))
            appendFileEntry(all, path);
        else
            appendList(all, readList(text, path, m3u));
    }
    return all;
}
