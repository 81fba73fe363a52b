#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>

#include "AccountState.h"

#include <optional>

// The copies of lists by address, kept for starts without a network and for
// conditional requests ($XDG_CACHE_HOME/clipvane/lists/): for each address a
// file of the list's bytes and a small file of what its server said of it.
// A copy is written to a new file and renamed over the old one only once it
// is whole, so the last good copy is never lost; a list refused or not
// fetched leaves it as it was.
class KeptLists {
public:
    struct Copy {
        QString path;         // the list's bytes
        QString etag;         // as the server sent them, for a conditional request
        QString lastModified;
        QDateTime fetched;    // when it was last fetched or found unchanged
        account::Noted account; // a provider's account: where it stood when last asked
    };

    explicit KeptLists(QString folder = defaultFolder());
    static QString defaultFolder();

    std::optional<Copy> find(const QString& address) const;
    // Keeps the bytes as the address's copy; false (and the old copy) when they could not be written.
    bool keep(const QString& address, const QByteArray& bytes, const QString& etag, const QString& lastModified,
              const QDateTime& fetched, const account::Noted& standing = {}) const;
    // A provider's account was asked where it stands, and the copy kept: it is noted with the copy.
    void noteStanding(const QString& address, const account::Noted& standing) const;
    // The server said the copy is still its list: only when it was asked again changes.
    void stillCurrent(const QString& address, const QDateTime& fetched) const;
    // The copy of an address no longer among the lists.
    void forget(const QString& address) const;

private:
    QString pathOf(const QString& address, const char* suffix) const;
    bool writeNote(const QString& address, const Copy& copy) const;

    QString folder_;
};
