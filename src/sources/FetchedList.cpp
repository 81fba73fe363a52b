#include "FetchedList.h"

#include "ChannelAddress.h"
#include "M3uList.h"
#include "PlaySourceBytes.h"
#include "PlaySourceText.h"
#include "SourcesLog.h"

#include <QUrl>

#include <zlib.h>

#include <memory>

namespace {

bool isGzip(const QByteArray& bytes)
{
    return bytes.size() >= 2 && quint8(bytes[0]) == 0x1f && quint8(bytes[1]) == 0x8b;
}

// An HTML page rather than a list: what a host answers to a login, a wrong
// User-Agent or an error, often with status 200.
bool isWebPage(const QString& text)
{
    const QStringView start = QStringView(text).trimmed().left(512);
    return start.startsWith(u"<!doctype html", Qt::CaseInsensitive) || start.startsWith(u"<html", Qt::CaseInsensitive) ||
           (start.startsWith(u'<') && start.contains(u"<html", Qt::CaseInsensitive));
}

bool isRelative(const QString& written)
{
    return !written.isEmpty() && !written.contains(QLatin1String("://")) && !written.startsWith(u'/') &&
           !isGroupHeading(written) && !written.contains(u'#') && !written.contains(u'|');
}

// A text list's entry written relative to a list by address: made whole from the list's address.
void resolveRelative(PlaySourceFile& file, const QString& address)
{
    const QUrl base(address);
    if (!base.isValid() || base.isLocalFile() || base.scheme().isEmpty())
        return;
    bool changed = false;
    for (PlaySource& entry : file.entries)
        if (isRelative(entry.address)) {
            entry.address = base.resolved(QUrl(entry.address)).toString();
            changed = true;
        }
    if (changed && !file.addresses.isEmpty())
        file.fillColumns();
}

// An address as a list writes one: with a scheme, a whole path, or a relative
// file name ("1.ts", "ch/1.m3u8"); not a word of some text that is no list.
bool looksLikeAddress(const QString& written)
{
    if (isGroupHeading(written))
        return false;
    if (written.contains(QLatin1String("://")) || written.startsWith(u'/'))
        return true;
    return isRelative(written) && !written.contains(u' ') && (written.contains(u'.') || written.contains(u'/'));
}

bool playsSomething(const PlaySourceFile& file)
{
    for (const PlaySource& entry : file.entries)
        if (looksLikeAddress(entry.address))
            return true;
    return false;
}

// The list as written, its relative addresses left as they are.
PlaySourceFile readAsWritten(const QByteArray& bytes)
{
    const QString text = decodePlaySourceText(PlaySourceBytes::collect(bytes).bytes());
    return startsLikeM3u(text) ? parseM3u(text, QString()) : parsePlaySourceText(text);
}

} // namespace

ListProblem inflateIfGzip(QByteArray& bytes, qint64 bound)
{
    if (!isGzip(bytes))
        return ListProblem::None;
    z_stream stream{};
    // 16 + MAX_WBITS: a gzip header and trailer around the deflate data.
    if (inflateInit2(&stream, 16 + MAX_WBITS) != Z_OK)
        return ListProblem::CutOff;
    const std::unique_ptr<z_stream, int (*)(z_stream*)> owned(&stream, inflateEnd);
    QByteArray inflated;
    QByteArray piece(256 * 1024, Qt::Uninitialized);
    stream.next_in = reinterpret_cast<Bytef*>(bytes.data());
    stream.avail_in = uInt(bytes.size());
    int status = Z_OK;
    while (status != Z_STREAM_END) {
        stream.next_out = reinterpret_cast<Bytef*>(piece.data());
        stream.avail_out = uInt(piece.size());
        status = inflate(&stream, Z_NO_FLUSH);
        if (status != Z_OK && status != Z_STREAM_END)
            return ListProblem::CutOff; // damaged, or it ended before the stream did
        inflated.append(piece.constData(), piece.size() - qsizetype(stream.avail_out));
        if (inflated.size() > bound)
            return ListProblem::TooLarge;
        if (status == Z_OK && stream.avail_in == 0 && stream.avail_out != 0)
            return ListProblem::CutOff;
    }
    bytes = std::move(inflated);
    return ListProblem::None;
}

PlaySourceFile readListBytes(const QByteArray& bytes, const QString& address)
{
    PlaySourceFile file = readAsWritten(bytes);
    resolveRelative(file, address);
    return file;
}

FetchedList judgeFetchedList(QByteArray body, const QString& address)
{
    FetchedList judged;
    judged.problem = inflateIfGzip(body);
    if (!judged.taken())
        return judged;
    if (body.trimmed().isEmpty()) {
        judged.problem = ListProblem::Empty;
        return judged;
    }
    if (PlaySourceBytes::collect(body).isBinary()) {
        judged.problem = ListProblem::Binary;
        return judged;
    }
    const QString text = decodePlaySourceText(body);
    if (isWebPage(text)) {
        judged.problem = ListProblem::WebPage;
        return judged;
    }
    if (isHlsPlaylist(text)) { // a stream's playlist, not a list of channels
        judged.problem = ListProblem::NoEntries;
        return judged;
    }
    judged.file = readAsWritten(body);
    if (!playsSomething(judged.file)) {
        judged.problem = ListProblem::NoEntries;
        judged.file = {};
        return judged;
    }
    resolveRelative(judged.file, address);
    qCDebug(lcSources) << "list by address taken:" << judged.file.entries.size() << "entries";
    judged.bytes = std::move(body);
    return judged;
}
