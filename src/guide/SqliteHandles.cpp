#include "SqliteHandles.h"

#include "GuideLog.h"

#include <sqlite3.h>

namespace sqlite {

void CloseDatabase::operator()(sqlite3* db) const
{
    sqlite3_close_v2(db);
}

void FinalizeStatement::operator()(sqlite3_stmt* statement) const
{
    sqlite3_finalize(statement);
}

Statement prepare(sqlite3* db, const char* sql)
{
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db, sql, -1, &statement, nullptr) != SQLITE_OK) {
        qCWarning(lcGuide) << "database:" << sqlite3_errmsg(db);
        sqlite3_finalize(statement);
        return nullptr;
    }
    return Statement(statement);
}

void bindText(sqlite3_stmt* statement, int index, const QString& text)
{
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

QString columnText(sqlite3_stmt* statement, int index)
{
    const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(statement, index));
    return text ? QString::fromUtf8(text, sqlite3_column_bytes(statement, index)) : QString();
}

} // namespace sqlite
