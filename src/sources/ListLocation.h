#pragma once

#include <QString>

// Where a list is read from, as the user wrote it: a local path, a file://
// address, or an http(s) address that may carry the headers its host wants
// after "|", exactly as a channel's address does
// ("http://h/tv.txt|User-Agent=okhttp/3.15&Referer=http://h/").
struct ListLocation {
    QString address;   // without the "|" headers
    QString userAgent; // empty: the list User-Agent setting's
    QString referrer;

    bool isRemote() const;
    // A local list's path (file:// read as its path); empty for a remote one.
    QString localPath() const;
};

ListLocation readListLocation(const QString& written);
// The address as the user's lists keep it, its headers after "|".
QString writeListLocation(const ListLocation& location);
