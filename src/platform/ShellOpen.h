#pragma once

class QUrl;

// Opens a web page with the desktop's default browser; false when nothing took it.
bool openInBrowser(const QUrl& page);
