#include "PlaySourceText.h"

#include "ChannelAddress.h"

#include <QStringDecoder>

namespace {

bool startsWith(const QByteArray& bytes, std::initializer_list<unsigned char> mark)
{
    if (bytes.size() < qsizetype(mark.size()))
        return false;
    qsizetype i = 0;
    for (unsigned char c : mark)
        if (static_cast<unsigned char>(bytes.at(i++)) != c)
            return false;
    return true;
}

QString decodeWith(QStringConverter::Encoding encoding, QByteArrayView bytes)
{
    QStringDecoder decoder(encoding, QStringConverter::Flag::Stateless);
    return decoder.decode(bytes);
}

} // namespace

QString decodePlaySourceText(const QByteArray& bytes)
{
    const bool utf16le = startsWith(bytes, {0xFF, 0xFE});
    const bool utf16be = startsWith(bytes, {0xFE, 0xFF});
    if (utf16le || utf16be) {
        QString text = decodeWith(utf16le ? QStringConverter::Utf16LE : QStringConverter::Utf16BE,
                                  QByteArrayView(bytes).sliced(2));
        const qsizetype nul = text.indexOf(QChar(u'\0'));
        if (nul >= 0)
            text.truncate(nul);
        return text;
    }

    QByteArrayView content(bytes);
    const qsizetype zero = content.indexOf('\0');
    if (zero >= 0)
        content = content.first(zero);
    if (startsWith(bytes, {0xEF, 0xBB, 0xBF}) && content.size() >= 3)
        content = content.sliced(3);

    QStringDecoder utf8(QStringConverter::Utf8, QStringConverter::Flag::Stateless);
    QString text = utf8.decode(content);
    if (!utf8.hasError())
        return text;
    QStringDecoder gb18030("GB18030", QStringConverter::Flag::Stateless);
    if (!gb18030.isValid())
        return text; // no GB18030 support: keep what UTF-8 made of it
    return gb18030.decode(content);
}

QStringList cutPlaySourceFields(const QString& text)
{
    QStringList fields;
    const qsizetype length = text.size();
    qsizetype start = 0;
    bool atLineStart = true; // the piece being read starts a line
    for (qsizetype i = 0; i < length; ++i) {
        const QChar c = text.at(i);
        qsizetype separatorLength = 0;
        bool lineEnd = false;
        if (c == u',') {
            separatorLength = 1;
        } else if (c == u'\n') {
            separatorLength = 1;
            lineEnd = true;
        } else if (c == u'\r' && i + 1 < length && text.at(i + 1) == u'\n') {
            separatorLength = 2;
            lineEnd = true;
        } else {
            continue;
        }
        const bool blankLine = lineEnd && atLineStart && i == start;
        if (!blankLine)
            fields.append(text.mid(start, i - start));
        i += separatorLength - 1;
        start = i + 1;
        atLineStart = lineEnd;
    }
    if (start < length)
        fields.append(text.mid(start));
    return fields;
}

PlaySourceList pairPlaySources(const QStringList& fields)
{
    PlaySourceList entries;
    entries.reserve(size_t((fields.size() + 1) / 2));
    for (qsizetype k = 0; k < fields.size(); k += 2)
        entries.push_back({fields.at(k), k + 1 < fields.size() ? fields.at(k + 1) : QString()});
    return entries;
}

void PlaySourceFile::fillColumns()
{
    names.clear();
    addresses.clear();
    headingRows.clear();
    names.reserve(qsizetype(entries.size()));
    addresses.reserve(qsizetype(entries.size()));
    auto tags = std::make_shared<std::vector<ChannelTags>>();
    tags->reserve(entries.size());
    for (const PlaySource& entry : entries) {
        if (isGroupHeading(entry.address))
            headingRows.append(int(names.size()));
        names.append(entry.name);
        addresses.append(entry.address);
        tags->push_back(entry.tags);
    }
    tagColumn = std::move(tags);
}

PlaySourceFile parsePlaySourceBytes(const QByteArray& bytes)
{
    return parsePlaySourceText(decodePlaySourceText(bytes));
}

PlaySourceFile parsePlaySourceText(const QString& text)
{
    PlaySourceFile file;
    file.text = text;
    file.fields = cutPlaySourceFields(file.text);
    file.entries = pairPlaySources(file.fields);
    return file;
}
