#pragma once
//! Small helpers over the SQLite C API: running SQL, caching prepared statements, turning failures
//! into SqlError.

#include "tsql/error.h"

#include <sqlite3.h>

#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace tsql::engine {

//! Throws the SqlError a failed SQLite call stands for: errors raised by our functions come back as
//! they were raised, SQL too deep or too big for SQLite as 191 and 7119, anything else as an internal
//! error naming the kind of failure only (never `sql`, the statement that failed, nor SQLite's message,
//! which may quote it).
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
    //! Counts the calls of clear(): a statement got from the cache stays valid while this is the same.
    std::uint64_t generation() const { return generation_; }

private:
    sqlite3* db_;
    std::uint64_t generation_ = 0;
    std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
};

//! Resets a statement when leaving a scope.
class StatementReset {
public:
    //! `clearBindings` false: every use binds all the statement's parameters (Executor::prepare).
    explicit StatementReset(sqlite3_stmt* s, bool clearBindings = true)
        : s_(s)
        , clear_(clearBindings) {}
    ~StatementReset() {
        sqlite3_reset(s_);
        if (clear_) sqlite3_clear_bindings(s_);
    }
    StatementReset(const StatementReset&) = delete;
    StatementReset& operator=(const StatementReset&) = delete;

private:
    sqlite3_stmt* s_;
    bool clear_;
};

//! Binds text to parameter `index` (1-based) with its length: text may hold NUL characters.
void bindText(sqlite3_stmt* stmt, int index, std::string_view text);
//! Column `col` of the current row as text with its length (empty for NULL).
std::string columnText(sqlite3_stmt* stmt, int col);

//! An argument of a function as text with its length (empty for NULL).
std::string valueText(sqlite3_value* value);

//! SQL text literal: 'it''s' (text holding a NUL character as CAST(X'...' AS TEXT)).
std::string quoteText(std::string_view s);
//! SQL identifier: "name" with doubled quotes.
std::string quoteName(std::string_view s);

} // namespace tsql::engine
