#pragma once

#include <QString>

#include <memory>

struct sqlite3;
struct sqlite3_stmt;

// SQLite's connections and statements, each owned once and closed with it.
namespace sqlite {

struct CloseDatabase {
    void operator()(sqlite3* db) const;
};
struct FinalizeStatement {
    void operator()(sqlite3_stmt* statement) const;
};
using Database = std::unique_ptr<sqlite3, CloseDatabase>;
using Statement = std::unique_ptr<sqlite3_stmt, FinalizeStatement>;

// Null when it does not compile; the reason is logged.
Statement prepare(sqlite3* db, const char* sql);
void bindText(sqlite3_stmt* statement, int index, const QString& text);
QString columnText(sqlite3_stmt* statement, int index);

} // namespace sqlite
