#pragma once

#include <QString>

// An address that begins with a URI scheme of two or more characters and
// "://" (http://, rtsp://, udp://@…, file:///…) is opened as a location;
// anything else is a local path, so /media//film.mkv and D://film stay paths.
bool hasUriScheme(const QString& source);

// An address whose source is reached over the network: a URI other than
// file://. Such a source may drop and be opened again; a file ends.
bool isNetworkAddress(const QString& source);
