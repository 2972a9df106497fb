#include "sqlite_util.h"

#include "errors.h"
#include "tsql/sqlite.h"
#include "tsql/value.h"

namespace tsql::engine {

namespace {

//! SQLite's refusals of SQL too deeply nested or too long for its parser and limits.
constexpr std::string_view kTooDeep[] = {"parser stack overflow", "Expression tree is too large",
                                         "too many terms in compound SELECT", "too many SQL variables"};

} // namespace

void throwSqlite(sqlite3* db, int rc, std::string_view sql) {
    const char* message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    if (auto decoded = decodeSqliteError(message)) throw *decoded;
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) raise(kLockTimeoutNumber, 0, {});
    if (rc == SQLITE_INTERRUPT) throw BatchCancelled{};
    if (rc == SQLITE_TOOBIG) raise(7119, 0, {std::to_string(kMaxValueBytes)});
    for (std::string_view refusal : kTooDeep)
        if (std::string_view(message).rfind(refusal, 0) == 0) raise(191, 0, {});
    // SQLite's own message may quote the SQL it was given; the client gets the kind of failure only.
    (void)sql;
    raise(kInternalErrorNumber, 0, {std::string(sqlite3_errstr(rc)) + "."});
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
    ++generation_;
}

void bindText(sqlite3_stmt* stmt, int index, std::string_view text) {
    sqlite3_bind_text64(stmt, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
}

std::string columnText(sqlite3_stmt* stmt, int col) {
    const unsigned char* t = sqlite3_column_text(stmt, col);
    if (!t) return {};
    return std::string(reinterpret_cast<const char*>(t),
                       static_cast<std::size_t>(sqlite3_column_bytes(stmt, col)));
}

std::string valueText(sqlite3_value* value) {
    const unsigned char* t = sqlite3_value_text(value);
    if (!t) return {};
    return std::string(reinterpret_cast<const char*>(t),
                       static_cast<std::size_t>(sqlite3_value_bytes(value)));
}

std::string quoteText(std::string_view s) {
    if (s.find('\0') != std::string_view::npos) return sqliteLiteral(Value::varChar(std::string(s)));
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
