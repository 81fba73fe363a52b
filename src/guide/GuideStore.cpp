#include "GuideStore.h"

#include "GuideLog.h"

#include <sqlite3.h>

namespace {

using sqlite::bindText;
using sqlite::columnText;

constexpr const char* kSchema = R"(
    PRAGMA journal_mode = WAL;
    PRAGMA synchronous = NORMAL;
    CREATE TABLE IF NOT EXISTS guides(row INTEGER PRIMARY KEY, address TEXT UNIQUE NOT NULL,
                                      etag TEXT, modified TEXT, fetched INTEGER);
    CREATE TABLE IF NOT EXISTS channels(guide INTEGER NOT NULL, id TEXT NOT NULL, names TEXT, icon TEXT);
    CREATE TABLE IF NOT EXISTS programmes(guide INTEGER NOT NULL, channel TEXT NOT NULL, start INTEGER NOT NULL,
                                          stop INTEGER NOT NULL, title TEXT, description TEXT, text INTEGER);
    CREATE INDEX IF NOT EXISTS programmes_by_channel ON programmes(guide, channel, start);
    CREATE INDEX IF NOT EXISTS channels_by_guide ON channels(guide);
    CREATE VIRTUAL TABLE IF NOT EXISTS programme_search USING fts5(title, description, guide UNINDEXED,
                                                                   tokenize = 'trigram');
)";

// Display names kept in one column, separated by a character no name has.
constexpr QChar kNameSeparator = u'\x1f';

} // namespace

GuideStore::GuideStore(Database db) : db_(std::move(db)) {}

GuideStore::~GuideStore() = default;

std::unique_ptr<GuideStore> GuideStore::open(const QString& path, QString* error, bool searchable)
{
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(path.toUtf8().constData(), &raw,
                                       SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE | SQLITE_OPEN_NOMUTEX, nullptr);
    Database db(raw);
    if (opened != SQLITE_OK) {
        if (error)
            *error = raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QStringLiteral("out of memory");
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), 2000);
    std::unique_ptr<GuideStore> store(new GuideStore(std::move(db)));
    store->searchable_ = searchable;
    if (!store->exec(kSchema) || !store->addTextColumn()) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(store->db_.get()));
        return nullptr;
    }
    store->insertChannel_ = store->prepare("INSERT INTO channels(guide, id, names, icon) VALUES(?, ?, ?, ?)");
    store->insertProgramme_ = store->prepare(
        "INSERT INTO programmes(guide, channel, start, stop, title, description, text) VALUES(?, ?, ?, ?, ?, ?, ?)");
    store->insertText_ = store->prepare("INSERT INTO programme_search(title, description, guide) VALUES(?, ?, ?)");
    if (!store->insertChannel_ || !store->insertProgramme_ || !store->insertText_) {
        if (error)
            *error = QString::fromUtf8(sqlite3_errmsg(store->db_.get()));
        return nullptr;
    }
    return store;
}

bool GuideStore::exec(const char* sql) const
{
    char* message = nullptr;
    const int result = sqlite3_exec(db_.get(), sql, nullptr, nullptr, &message);
    if (result != SQLITE_OK)
        qCWarning(lcGuide) << "database:" << (message ? message : "error");
    sqlite3_free(message);
    return result == SQLITE_OK;
}

// A database kept by an earlier version has programmes without their text:
// the column is added, and every guide is read again to fill it.
bool GuideStore::addTextColumn()
{
    Statement columns = prepare("SELECT 1 FROM pragma_table_info('programmes') WHERE name = 'text'");
    if (!columns)
        return false;
    if (sqlite3_step(columns.get()) != SQLITE_ROW) {
        qCInfo(lcGuide) << "the guides kept are read again for programme search";
        if (!exec("BEGIN IMMEDIATE; ALTER TABLE programmes ADD COLUMN text INTEGER;"
                  "UPDATE guides SET etag = NULL, modified = NULL, fetched = 0; COMMIT")) {
            exec("ROLLBACK");
            return false;
        }
    }
    return exec("CREATE INDEX IF NOT EXISTS programmes_by_text ON programmes(text)");
}

void GuideStore::Writer::channel(const GuideChannel& channel)
{
    sqlite3_stmt* insert = store_.insertChannel_.get();
    sqlite3_bind_int(insert, 1, guide_);
    bindText(insert, 2, channel.id);
    bindText(insert, 3, channel.names.join(kNameSeparator));
    bindText(insert, 4, channel.icon);
    ok_ = sqlite3_step(insert) == SQLITE_DONE && ok_;
    sqlite3_reset(insert);
}

void GuideStore::Writer::programme(const GuideProgramme& programme)
{
    if (programme.stop > 0 ? programme.stop < keepFrom_ : programme.start < keepFrom_)
        return;
    sqlite3_stmt* insert = store_.insertProgramme_.get();
    sqlite3_bind_int(insert, 1, guide_);
    bindText(insert, 2, programme.channel);
    sqlite3_bind_int64(insert, 3, programme.start);
    sqlite3_bind_int64(insert, 4, programme.stop);
    bindText(insert, 5, programme.title);
    bindText(insert, 6, programme.description);
    if (store_.searchable_)
        sqlite3_bind_int64(insert, 7, textOf(programme.title, programme.description));
    else
        sqlite3_bind_null(insert, 7);
    ok_ = sqlite3_step(insert) == SQLITE_DONE && ok_;
    sqlite3_reset(insert);
}

// Titles and descriptions repeat (the news every day, a series' blurb), and
// the index costs by the text it holds: each is indexed once.
qint64 GuideStore::Writer::textOf(const QString& title, const QString& description)
{
    const QString key = title + kNameSeparator + description;
    if (const auto known = texts_.constFind(key); known != texts_.cend())
        return *known;
    sqlite3_stmt* insert = store_.insertText_.get();
    bindText(insert, 1, title);
    bindText(insert, 2, description);
    sqlite3_bind_int(insert, 3, guide_);
    const bool added = sqlite3_step(insert) == SQLITE_DONE;
    sqlite3_reset(insert);
    ok_ = added && ok_;
    const qint64 row = added ? sqlite3_last_insert_rowid(store_.db_.get()) : 0;
    texts_.insert(key, row);
    return row;
}

bool GuideStore::replace(const QString& address, const Copy& copy, qint64 keepFrom,
                         const std::function<void(Writer&)>& fill)
{
    if (!exec("BEGIN IMMEDIATE"))
        return false;
    Statement upsert = prepare("INSERT INTO guides(address, etag, modified, fetched) VALUES(?, ?, ?, ?) "
                               "ON CONFLICT(address) DO UPDATE SET etag = excluded.etag, "
                               "modified = excluded.modified, fetched = excluded.fetched");
    bool ok = bool(upsert);
    if (ok) {
        bindText(upsert.get(), 1, address);
        bindText(upsert.get(), 2, copy.etag);
        bindText(upsert.get(), 3, copy.lastModified);
        sqlite3_bind_int64(upsert.get(), 4, copy.fetchedAt);
        ok = sqlite3_step(upsert.get()) == SQLITE_DONE;
    }
    const int guide = ok ? guideRow(address) : 0;
    if (guide > 0) {
        Statement clearChannels = prepare("DELETE FROM channels WHERE guide = ?");
        Statement clearProgrammes = prepare("DELETE FROM programmes WHERE guide = ?");
        Statement clearTexts = prepare("DELETE FROM programme_search WHERE guide = ?");
        ok = clearChannels && clearProgrammes && clearTexts;
        for (sqlite3_stmt* clear : {clearChannels.get(), clearProgrammes.get(), clearTexts.get()}) {
            if (!ok)
                break;
            sqlite3_bind_int(clear, 1, guide);
            ok = sqlite3_step(clear) == SQLITE_DONE;
        }
        // Half a million rows go in faster with the index made once after them
        // than kept up to date row by row; it is part of the transaction.
        ok = ok && exec("DROP INDEX IF EXISTS programmes_by_channel; DROP INDEX IF EXISTS programmes_by_text");
        if (ok) {
            Writer writer(*this, guide, keepFrom);
            fill(writer);
            ok = writer.ok_;
        }
        ok = ok && exec("CREATE INDEX programmes_by_channel ON programmes(guide, channel, start)");
        ok = ok && (!searchable_ || exec("CREATE INDEX programmes_by_text ON programmes(text)"));
    } else {
        ok = false;
    }
    if (!ok) {
        qCWarning(lcGuide) << "could not keep the guide" << address << ":" << sqlite3_errmsg(db_.get());
        exec("ROLLBACK");
        return false;
    }
    return exec("COMMIT");
}

std::optional<GuideStore::Copy> GuideStore::copyOf(const QString& address) const
{
    Statement query = prepare("SELECT etag, modified, fetched FROM guides WHERE address = ?");
    if (!query)
        return std::nullopt;
    bindText(query.get(), 1, address);
    if (sqlite3_step(query.get()) != SQLITE_ROW)
        return std::nullopt;
    return Copy{columnText(query.get(), 0), columnText(query.get(), 1), sqlite3_column_int64(query.get(), 2)};
}

void GuideStore::touch(const QString& address, qint64 fetchedAt)
{
    if (Statement update = prepare("UPDATE guides SET fetched = ? WHERE address = ?")) {
        sqlite3_bind_int64(update.get(), 1, fetchedAt);
        bindText(update.get(), 2, address);
        sqlite3_step(update.get());
    }
}

int GuideStore::guideRow(const QString& address) const
{
    Statement query = prepare("SELECT row FROM guides WHERE address = ?");
    if (!query)
        return 0;
    bindText(query.get(), 1, address);
    return sqlite3_step(query.get()) == SQLITE_ROW ? sqlite3_column_int(query.get(), 0) : 0;
}

std::vector<GuideChannel> GuideStore::channels(int guide) const
{
    std::vector<GuideChannel> found;
    Statement query = prepare("SELECT id, names, icon FROM channels WHERE guide = ?");
    if (!query)
        return found;
    sqlite3_bind_int(query.get(), 1, guide);
    while (sqlite3_step(query.get()) == SQLITE_ROW)
        found.push_back({columnText(query.get(), 0), columnText(query.get(), 1).split(kNameSeparator, Qt::SkipEmptyParts),
                         columnText(query.get(), 2)});
    return found;
}

void GuideStore::programmes(int guide, const std::function<void(Entry&&)>& each, qint64 detailFrom,
                            qint64 detailTo) const
{
    Statement query = prepare("SELECT channel, start, stop, title, "
                              "CASE WHEN stop > ?2 AND start < ?3 THEN description END FROM programmes "
                              "WHERE guide = ?1 ORDER BY channel, start");
    if (!query)
        return;
    sqlite3_bind_int(query.get(), 1, guide);
    sqlite3_bind_int64(query.get(), 2, detailFrom);
    sqlite3_bind_int64(query.get(), 3, detailTo);
    while (sqlite3_step(query.get()) == SQLITE_ROW)
        each({guide, columnText(query.get(), 0), sqlite3_column_int64(query.get(), 1),
              sqlite3_column_int64(query.get(), 2), columnText(query.get(), 3), columnText(query.get(), 4)});
}
