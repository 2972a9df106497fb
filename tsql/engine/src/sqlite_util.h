#pragma once
//! Small helpers over the SQLite C API: running SQL, caching prepared statements, turning failures
//! into SqlError.

#include "tsql/error.h"

#include <sqlite3.h>

#include <map>
#include <string>
#include <string_view>

namespace tsql::engine {

//! Throws the SqlError a failed SQLite call stands for: errors raised by our functions come back as
//! they were raised, anything else as an internal error naming SQLite's message.
[[noreturn]] void throwSqlite(sqlite3* db, int rc, std::string_view sql);

//! Runs SQL without results (several statements allowed); throws on failure.
void execSql(sqlite3* db, std::string_view sql);

//! Prepared statements of one connection, kept by their SQL text.
class StatementCache {
public:
    explicit StatementCache(sqlite3* db)
        : db_(db) {}
    ~StatementCache();
    StatementCache(const StatementCache&) = delete;
    StatementCache& operator=(const StatementCache&) = delete;

    //! A reset statement for `sql`, prepared on first use; owned by the cache.
    sqlite3_stmt* get(const std::string& sql);
    //! Finalizes every statement (after schema changes).
    void clear();

private:
    sqlite3* db_;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
};

//! Resets a statement when leaving a scope.
class StatementReset {
public:
    explicit StatementReset(sqlite3_stmt* s)
        : s_(s) {}
    ~StatementReset() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    StatementReset(const StatementReset&) = delete;
    StatementReset& operator=(const StatementReset&) = delete;

private:
    sqlite3_stmt* s_;
};

//! SQL text literal: 'it''s'.
std::string quoteText(std::string_view s);
//! SQL identifier: "name" with doubled quotes.
std::string quoteName(std::string_view s);

} // namespace tsql::engine
