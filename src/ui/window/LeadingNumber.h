#pragma once

#include <QString>

// The number a text starts with: leading blanks, a sign, digits and a decimal
// fraction, with full-width digits, signs and point read as their ASCII forms.
// Text without a leading number gives 0.
double leadingNumber(const QString& text);
// The same, truncated towards zero and held within the range of int.
int leadingInteger(const QString& text);
