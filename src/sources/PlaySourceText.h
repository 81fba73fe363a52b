#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "PlaySource.h"

// Turns the bytes of a play-source file into text, whatever the editor saved:
// UTF-16 with its byte-order mark; otherwise the bytes up to the first zero
// byte, without a UTF-8 mark, read as UTF-8 when they are valid UTF-8 and as
// GB18030 (the superset of code page 936) when they are not.
QString decodePlaySourceText(const QByteArray& bytes);

// Cuts the text into pieces. CR LF, LF and "," separate; a lone CR stays in its
// piece; nothing is trimmed; an empty piece between commas stays, an empty
// piece at the very end is dropped, and blank lines are skipped.
QStringList cutPlaySourceFields(const QString& text);

// Pairs pieces as name and address; a last name without a partner gets an empty address.
PlaySourceList pairPlaySources(const QStringList& fields);

// The whole of a play-source file's content.
PlaySourceFile parsePlaySourceBytes(const QByteArray& bytes);
// The same from text already decoded.
PlaySourceFile parsePlaySourceText(const QString& text);
