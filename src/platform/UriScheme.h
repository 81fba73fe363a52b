#pragma once

#include <QStringView>

// The one rule by which lists and players tell an address from a path: a
// scheme as URIs have it (a letter, then at least one more letter, digit,
// "+", "-" or ".") followed by "://". "D://film.mkv" is a drive, not a scheme.
bool startsWithUriScheme(QStringView text);
