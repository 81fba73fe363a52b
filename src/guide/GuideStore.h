#pragma once

#include "SqliteHandles.h"
#include "XmltvReader.h"

#include <QHash>

#include <QString>

#include <functional>
#include <limits>
#include <memory>
#include <optional>
#include <vector>

// Guides kept between runs, in an SQLite database of the cache folder: each
// guide's channels and programmes under its address, indexed by channel and
// start, and what the server said of the copy (ETag, Last-Modified, when it
// was fetched). One transaction per guide: a guide is replaced whole, so a
// reader sees the old one or the new one. Each distinct title and description
// of a guide is kept once, in a full-text index (trigrams, as Chinese has no
// spaces) that programmes point into; it is written in the same transaction.
class GuideStore {
public:
    struct Copy {
        QString etag;
        QString lastModified;
        qint64 fetchedAt = 0; // seconds since 1970 UTC
    };
    struct Entry {
        int guide = 0; // the guide's row
        QString channel;
        qint64 start = 0;
        qint64 stop = 0;
        QString title;
        QString description;
    };

    // Null, with the reason, when the database cannot be opened or made.
    // `searchable` false leaves the programmes out of the full-text index:
    // only to measure what the index costs.
    static std::unique_ptr<GuideStore> open(const QString& path, QString* error, bool searchable = true);
    ~GuideStore();
    GuideStore(const GuideStore&) = delete;
    GuideStore& operator=(const GuideStore&) = delete;

    // Replaces what is kept of the guide at `address` with what `fill` adds,
    // in one transaction; programmes that ended before `keepFrom` are left
    // out. Returns false (and keeps the old guide) when it could not be written.
    class Writer {
    public:
        void channel(const GuideChannel& channel);
        void programme(const GuideProgramme& programme);
        // Nothing of it is kept: the old guide stays.
        void abandon() { ok_ = false; }

    private:
        friend class GuideStore;
        explicit Writer(GuideStore& store, int guide, qint64 keepFrom) : store_(store), guide_(guide), keepFrom_(keepFrom) {}
        qint64 textOf(const QString& title, const QString& description);
        GuideStore& store_;
        int guide_;
        qint64 keepFrom_;
        bool ok_ = true;
        QHash<QString, qint64> texts_; // title and description, joined, to their row in the index
    };
    bool replace(const QString& address, const Copy& copy, qint64 keepFrom, const std::function<void(Writer&)>& fill);

    std::optional<Copy> copyOf(const QString& address) const;
    // The server said the copy kept is still the guide: only when it was asked changes.
    void touch(const QString& address, qint64 fetchedAt);
    // The row of a guide kept under that address; 0 when none.
    int guideRow(const QString& address) const;
    // The channels of a guide as it was kept.
    std::vector<GuideChannel> channels(int guide) const;
    // Every programme of a guide, by channel and start; descriptions only of
    // those that overlap [detailFrom, detailTo) (the rest are left empty).
    void programmes(int guide, const std::function<void(Entry&&)>& each, qint64 detailFrom = 0,
                    qint64 detailTo = std::numeric_limits<qint64>::max()) const;

private:
    using Database = sqlite::Database;
    using Statement = sqlite::Statement;

    explicit GuideStore(Database db);
    bool exec(const char* sql) const;
    Statement prepare(const char* sql) const { return sqlite::prepare(db_.get(), sql); }
    bool addTextColumn();

    Database db_;
    Statement insertChannel_;
    Statement insertProgramme_;
    Statement insertText_;
    bool searchable_ = true;
};
