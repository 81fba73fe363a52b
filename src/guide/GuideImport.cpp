#include "GuideImport.h"

#include "GuideLog.h"
#include "GzipStream.h"

#include <QFile>

#include <optional>

GuideImportResult importGuideFile(GuideStore& store, const QString& address, const QString& path,
                                  const GuideStore::Copy& copy, const GuideImportSettings& settings)
{
    GuideImportResult result;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        result.fault = file.errorString();
        return result;
    }
    result.stored = store.replace(address, copy, settings.keepFrom, [&](GuideStore::Writer& writer) {
        XmltvReader reader([&](GuideChannel&& channel) { writer.channel(channel), ++result.channels; },
                           [&](GuideProgramme&& programme) { writer.programme(programme), ++result.programmes; },
                           settings.correctionMinutes);
        std::optional<GzipStream> gzip;
        bool first = true;
        constexpr qint64 kPiece = 1 << 20;
        while (!file.atEnd()) {
            if (settings.cancel && settings.cancel->load()) {
                writer.abandon();
                result.fault = QStringLiteral("stopped");
                return;
            }
            const QByteArray piece = file.read(kPiece);
            if (piece.isEmpty())
                break;
            if (first && looksGzipped(piece))
                gzip.emplace(settings.decompressedLimit);
            first = false;
            if (!reader.feed(gzip ? gzip->feed(piece) : piece))
                break;
            if (gzip && gzip->failed())
                break;
        }
        if (gzip) {
            gzip->finish();
            if (gzip->failed())
                result.fault = gzip->error();
        }
        reader.finish();
        if (result.fault.isEmpty())
            result.fault = reader.fault();
        result.skipped = reader.programmesSkipped();
    });
    if (!result.fault.isEmpty())
        qCWarning(lcGuide) << "guide" << address << "read up to a fault:" << result.fault;
    return result;
}
