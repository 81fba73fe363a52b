#pragma once

#include "SqliteHandles.h"
#include "core/guide/ProgrammeGuide.h"

#include <QStringList>

#include <memory>
#include <vector>

// Finds programmes kept in the guide's database by words of their titles and
// descriptions, on a read-only connection of its own: it reads what the last
// import committed while the guide's thread writes the next.
class GuideSearch {
public:
    struct Hit {
        int guide = 0; // the guide's row in the database
        QString channel;
        Programme programme;
    };
    // The words typed: those of three characters or more go through the
    // full-text index (its trigrams), shorter ones are looked for plainly.
    struct Query {
        QString match; // the index's query for the long words; empty when none
        QStringList shortWords;
        bool isEmpty() const { return match.isEmpty() && shortWords.isEmpty(); }
    };
    static Query queryOf(const QString& text);

    // Null, with the reason, when the database cannot be opened.
    static std::unique_ptr<GuideSearch> open(const QString& path, QString* error);

    // Programmes of these guides holding every word of `text`: on now and
    // coming first, by start, then those past, latest first; at most `limit`.
    std::vector<Hit> find(const QString& text, qint64 now, const std::vector<int>& guides, int limit) const;

private:
    explicit GuideSearch(sqlite::Database db) : db_(std::move(db)) {}
    sqlite::Database db_;
};
