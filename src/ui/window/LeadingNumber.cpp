#include "ui/window/LeadingNumber.h"

#include <cmath>
#include <limits>

namespace {

// Full-width forms (U+FF01…U+FF5E) map onto ASCII; the ideographic space is a blank.
QChar narrow(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E)
        return QChar(char16_t(u - 0xFF01 + 0x21));
    if (u == 0x3000)
        return QChar(u' ');
    return c;
}

} // namespace

double leadingNumber(const QString& text)
{
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n && narrow(text.at(i)).isSpace())
        ++i;
    QByteArray number;
    if (i < n && (narrow(text.at(i)) == u'+' || narrow(text.at(i)) == u'-'))
        number += char(narrow(text.at(i++)).unicode());
    bool digits = false;
    while (i < n && narrow(text.at(i)).isDigit() && narrow(text.at(i)).unicode() < 0x80) {
        number += char(narrow(text.at(i++)).unicode());
        digits = true;
    }
    if (i < n && narrow(text.at(i)) == u'.') {
        number += '.';
        ++i;
        while (i < n && narrow(text.at(i)).isDigit() && narrow(text.at(i)).unicode() < 0x80) {
            number += char(narrow(text.at(i++)).unicode());
            digits = true;
        }
    }
    if (!digits)
        return 0;
    bool ok = false;
    const double value = number.toDouble(&ok);
    return ok ? value : 0;
}

int leadingInteger(const QString& text)
{
    const double value = std::trunc(leadingNumber(text));
    if (!std::isfinite(value))
        return 0;
    if (value >= double(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (value <= double(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return int(value);
}
