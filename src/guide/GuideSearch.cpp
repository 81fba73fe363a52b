#include "GuideSearch.h"

#include "GuideLog.h"

#include <QRegularExpression>

#include <sqlite3.h>

namespace {

constexpr int kIndexedLength = 3; // the trigram tokenizer finds nothing shorter

QString likePattern(const QString& word)
{
    QString escaped = word;
    escaped.replace(u'\\', QLatin1String("\\\\")).replace(u'%', QLatin1String("\\%")).replace(u'_', QLatin1String("\\_"));
    return u'%' + escaped + u'%';
}

} // namespace

GuideSearch::Query GuideSearch::queryOf(const QString& text)
{
    Query query;
    QStringList phrases;
    for (const QString& word : text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
        if (word.toUcs4().size() < kIndexedLength) {
            query.shortWords << word;
            continue;
        }
        // Each word a phrase: what the user typed is never read as the index's own syntax.
        QString phrase = word;
        phrases << u'"' + phrase.replace(u'"', QLatin1String("\"\"")) + u'"';
    }
    query.match = phrases.join(QLatin1String(" AND "));
    return query;
}

std::unique_ptr<GuideSearch> GuideSearch::open(const QString& path, QString* error)
{
    sqlite3* raw = nullptr;
    const int opened = sqlite3_open_v2(path.toUtf8().constData(), &raw, SQLITE_OPEN_READONLY | SQLITE_OPEN_NOMUTEX, nullptr);
    sqlite::Database db(raw);
    if (opened != SQLITE_OK) {
        if (error)
            *error = raw ? QString::fromUtf8(sqlite3_errmsg(raw)) : QStringLiteral("out of memory");
        return nullptr;
    }
    sqlite3_busy_timeout(db.get(), 2000);
    return std::unique_ptr<GuideSearch>(new GuideSearch(std::move(db)));
}

std::vector<GuideSearch::Hit> GuideSearch::find(const QString& text, qint64 now, const std::vector<int>& guides,
                                                int limit) const
{
    std::vector<Hit> hits;
    const Query query = queryOf(text);
    if (query.isEmpty() || guides.empty())
        return hits;
    QByteArray rows;
    for (const int guide : guides)
        rows += (rows.isEmpty() ? "" : ",") + QByteArray::number(guide);
    QByteArray sql = "SELECT p.guide, p.channel, p.start, p.stop, programme_search.title, programme_search.description "
                     "FROM programme_search JOIN programmes p ON p.text = programme_search.rowid WHERE p.guide IN (" +
                     rows + ")";
    if (!query.match.isEmpty())
        sql += " AND programme_search MATCH ?4";
    for (int word = 0; word < query.shortWords.size(); ++word) {
        const QByteArray parameter = '?' + QByteArray::number(5 + word);
        sql += " AND (programme_search.title LIKE " + parameter + " ESCAPE '\\' OR programme_search.description LIKE " +
               parameter + " ESCAPE '\\')";
    }
    sql += " ORDER BY p.stop <= ?2, CASE WHEN p.stop > ?2 THEN p.start ELSE -p.start END LIMIT ?3";
    const sqlite::Statement statement = sqlite::prepare(db_.get(), sql.constData());
    if (!statement)
        return hits;
    sqlite3_stmt* step = statement.get();
    sqlite3_bind_int64(step, 2, now);
    sqlite3_bind_int(step, 3, limit);
    if (!query.match.isEmpty())
        sqlite::bindText(step, 4, query.match);
    for (int word = 0; word < query.shortWords.size(); ++word)
        sqlite::bindText(step, 5 + word, likePattern(query.shortWords[word]));
    int result = SQLITE_ROW;
    while ((result = sqlite3_step(step)) == SQLITE_ROW)
        hits.push_back({sqlite3_column_int(step, 0), sqlite::columnText(step, 1),
                        {sqlite3_column_int64(step, 2), sqlite3_column_int64(step, 3), sqlite::columnText(step, 4),
                         sqlite::columnText(step, 5)}});
    if (result != SQLITE_DONE)
        qCWarning(lcGuide) << "programme search:" << sqlite3_errmsg(db_.get());
    return hits;
}
