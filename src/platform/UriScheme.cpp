#include "UriScheme.h"

namespace {

bool isAsciiLetter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

bool isSchemeChar(QChar c)
{
    return isAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

} // namespace

bool startsWithUriScheme(QStringView text)
{
    if (text.isEmpty() || !isAsciiLetter(text.front()))
        return false;
    qsizetype end = 1;
    while (end < text.size() && isSchemeChar(text[end]))
        ++end;
    return end >= 2 && text.sliced(end).startsWith(u"://");
}
