#include "sqlite_util.h"

#include "errors.h"

namespace tsql::engine {

void throwSqlite(sqlite3* db, int rc, std::string_view sql) {
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (auto decoded = decodeSqliteError(message)) throw *decoded;
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) raise(kLockTimeoutNumber, 0, {});
    raise(kInternalErrorNumber, 0,
          {std::string(message) + " (SQL: " + std::string(sql.substr(0, 400)) + ")"});
}

void execSql(sqlite3* db, std::string_view sql) {
    std::string text(sql);
    char* error = nullptr;
    int rc = sqlite3_exec(db, text.c_str(), nullptr, nullptr, &error);
    if (rc != SQLITE_OK) {
        sqlite3_free(error);
        throwSqlite(db, rc, sql);
    }
}

StatementCache::~StatementCache() {
    clear();
}

sqlite3_stmt* StatementCache::get(const std::string& sql) {
    auto it = statements_.find(sql);
    if (it != statements_.end()) return it->second;
    sqlite3_stmt* stmt = nullptr;
    int rc = sqlite3_prepare_v2(db_, sql.c_str(), static_cast<int>(sql.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        throwSqlite(db_, rc, sql);
    }
    if (statements_.size() > 2000) clear();
    statements_.emplace(sql, stmt);
    return stmt;
}

void StatementCache::clear() {
    for (auto& [sql, stmt] : statements_)
        sqlite3_finalize(stmt);
    statements_.clear();
}

std::string quoteText(std::string_view s) {
    std::string out = "'";
    for (char c : s) {
        if (c == '\'') out += '\'';
        out += c;
    }
    return out + "'";
}

std::string quoteName(std::string_view s) {
    std::string out = "\"";
    for (char c : s) {
        if (c == '"') out += '"';
        out += c;
    }
    return out + "\"";
}

} // namespace tsql::engine
