#include "ChannelAddress.h"

#include "platform/UriScheme.h"

namespace {

bool hasScheme(const QString& text)
{
    return startsWithUriScheme(QStringView(text).trimmed());
}

// "key=value" pairs joined by "&", each with a key.
bool areHeaderPairs(QStringView text)
{
    if (text.isEmpty())
        return false;
    for (QStringView pair : text.split(u'&')) {
        const qsizetype equals = pair.indexOf(u'=');
        if (equals <= 0)
            return false;
    }
    return true;
}

} // namespace

bool isGroupHeading(const QString& address)
{
    return address.trimmed().compare(QLatin1String("#genre#"), Qt::CaseInsensitive) == 0;
}

QStringList splitAlternates(const QString& written)
{
    QStringList parts;
    qsizetype start = 0;
    for (qsizetype hash = written.indexOf(u'#'); hash >= 0; hash = written.indexOf(u'#', hash + 1)) {
        if (startsWithUriScheme(QStringView(written).sliced(hash + 1))) {
            parts.append(written.sliced(start, hash - start));
            start = hash + 1;
        }
    }
    parts.append(written.sliced(start));
    parts.removeIf([](const QString& part) { return part.trimmed().isEmpty(); });
    return parts;
}

ChannelAddress readAlternate(const QString& alternate)
{
    ChannelAddress read;
    QString rest = alternate;
    // Labels and headers belong to network addresses: a local file may well
    // be called "a$b.mkv" or "a|b=c.mkv".
    if (!hasScheme(rest)) {
        read.address = rest.trimmed();
        return read;
    }
    if (const qsizetype bar = headersStart(rest); bar >= 0) {
        for (QStringView pair : QStringView(rest).sliced(bar + 1).split(u'&')) {
            const qsizetype equals = pair.indexOf(u'=');
            const QString key = pair.first(equals).trimmed().toString().toLower();
            const QString value = pair.sliced(equals + 1).trimmed().toString();
            if (key == QLatin1String("user-agent") || key == QLatin1String("ua"))
                read.userAgent = value;
            else if (key == QLatin1String("referer") || key == QLatin1String("referrer"))
                read.referrer = value;
        }
        rest.truncate(bar);
    }
    // Label: the last "$" whose text after it holds no "/".
    const qsizetype dollar = rest.lastIndexOf(u'$');
    if (dollar >= 0 && !QStringView(rest).sliced(dollar + 1).contains(u'/')) {
        read.label = rest.sliced(dollar + 1).trimmed();
        rest.truncate(dollar);
    }
    read.address = rest.trimmed();
    return read;
}

qsizetype headersStart(const QString& alternate)
{
    if (!hasScheme(alternate))
        return -1;
    const qsizetype bar = alternate.lastIndexOf(u'|');
    return bar >= 0 && areHeaderPairs(QStringView(alternate).sliced(bar + 1)) ? bar : -1;
}

std::vector<ChannelAddress> channelAddresses(const QStringList& names, const QStringList& addresses, int index)
{
    std::vector<ChannelAddress> result;
    if (index < 0 || index >= names.size())
        return result;
    const QString written = addresses.value(index);
    if (isGroupHeading(written))
        return result;
    const auto append = [&result](const QString& text) {
        for (const QString& alternate : splitAlternates(text)) {
            ChannelAddress read = readAlternate(alternate);
            if (!read.address.isEmpty())
                result.push_back(std::move(read));
        }
    };
    append(written);
    const QString& name = names.at(index);
    const auto inRun = [&](int other) {
        return other >= 0 && other < names.size() && names.at(other) == name && !isGroupHeading(addresses.value(other));
    };
    int first = index;
    while (inRun(first - 1))
        --first;
    for (int other = first; inRun(other); ++other)
        if (other != index)
            append(addresses.value(other));
    return result;
}

QString headerSuffix(const QString& userAgent, const QString& referrer)
{
    QStringList pairs;
    if (!userAgent.isEmpty())
        pairs << QStringLiteral("User-Agent=") + userAgent;
    if (!referrer.isEmpty())
        pairs << QStringLiteral("Referer=") + referrer;
    return pairs.isEmpty() ? QString() : QLatin1Char('|') + pairs.join(u'&');
}
