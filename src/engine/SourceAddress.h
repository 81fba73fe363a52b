#pragma once

#include <QString>

// A network address begins with a URI scheme of two or more characters and
// "://" (http://, rtsp://, udp://@…, file:///…); anything else is a local path,
// so /media//film.mkv and D://film stay paths.
bool isNetworkAddress(const QString& source);
