#include "KeptLists.h"

#include "SourcesLog.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

bool writeWhole(const QString& path, const QByteArray& bytes)
{
    // QSaveFile writes beside the file and renames over it on commit.
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

} // namespace

KeptLists::KeptLists(QString folder) : folder_(std::move(folder)) {}

QString KeptLists::defaultFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + QStringLiteral("/clipvane/lists");
}

QString KeptLists::pathOf(const QString& address, const char* suffix) const
{
    // Addresses carry passwords and any character: the file is named by a hash of the address.
    const QByteArray hash = QCryptographicHash::hash(address.toUtf8(), QCryptographicHash::Sha1).toHex();
    return folder_ + u'/' + QString::fromLatin1(hash) + QLatin1String(suffix);
}

std::optional<KeptLists::Copy> KeptLists::find(const QString& address) const
{
    Copy copy;
    copy.path = pathOf(address, ".list");
    if (!QFile::exists(copy.path))
        return std::nullopt;
    QFile note(pathOf(address, ".json"));
    if (note.open(QIODevice::ReadOnly)) {
        const QJsonObject said = QJsonDocument::fromJson(note.read(64 * 1024)).object();
        copy.etag = said.value(QLatin1String("etag")).toString();
        copy.lastModified = said.value(QLatin1String("lastModified")).toString();
        copy.fetched = QDateTime::fromString(said.value(QLatin1String("fetched")).toString(), Qt::ISODate);
        // An earlier version kept the account's standing in words.
        copy.account.state = account::stateFromJson(said.value(QLatin1String("account")).toObject());
        copy.account.words = said.value(QLatin1String("standing")).toString();
    }
    return copy;
}

bool KeptLists::writeNote(const QString& address, const Copy& copy) const
{
    QJsonObject said{{QStringLiteral("etag"), copy.etag},
                     {QStringLiteral("lastModified"), copy.lastModified},
                     {QStringLiteral("fetched"), copy.fetched.toUTC().toString(Qt::ISODate)}};
    if (copy.account.state)
        said.insert(QStringLiteral("account"), account::toJson(*copy.account.state));
    else if (!copy.account.words.isEmpty())
        said.insert(QStringLiteral("standing"), copy.account.words);
    return writeWhole(pathOf(address, ".json"), QJsonDocument(said).toJson(QJsonDocument::Compact));
}

bool KeptLists::keep(const QString& address, const QByteArray& bytes, const QString& etag, const QString& lastModified,
                     const QDateTime& fetched, const account::Noted& standing) const
{
    if (!QDir().mkpath(folder_) || !writeWhole(pathOf(address, ".list"), bytes)) {
        qCWarning(lcSources) << "the list's copy could not be written in" << folder_;
        return false;
    }
    return writeNote(address, {pathOf(address, ".list"), etag, lastModified, fetched, standing});
}

void KeptLists::noteStanding(const QString& address, const account::Noted& standing) const
{
    if (std::optional<Copy> copy = find(address); copy && copy->account != standing) {
        copy->account = standing;
        writeNote(address, *copy);
    }
}

void KeptLists::stillCurrent(const QString& address, const QDateTime& fetched) const
{
    if (std::optional<Copy> copy = find(address)) {
        copy->fetched = fetched;
        writeNote(address, *copy);
    }
}

void KeptLists::forget(const QString& address) const
{
    QFile::remove(pathOf(address, ".list"));
    QFile::remove(pathOf(address, ".json"));
}
