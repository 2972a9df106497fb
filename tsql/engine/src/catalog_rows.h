#pragma once
//! Reading and writing the rows of the catalog's own tables (private to catalog*.cpp).

#include "sqlite_util.h"

#include <sqlite3.h>

#include <string>
#include <vector>

namespace tsql::engine::catalog_rows {

inline const char* schemaOf(bool temp) {
    return temp ? "temp" : "main";
}
inline bool isTempName(const std::string& name) {
    return !name.empty() && name[0] == '#';
}

inline std::string joinNames(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names)
        out += (out.empty() ? "" : "\x1f") + n;
    return out;
}

inline std::vector<std::string> splitNames(const char* text) {
    std::vector<std::string> out;
    if (!text || !*text) return out;
    std::string cur;
    for (const char* p = text; *p; ++p) {
        if (*p == '\x1f') {
            out.push_back(cur);
            cur.clear();
        } else {
            cur += *p;
        }
    }
    out.push_back(cur);
    return out;
}

//! A cached catalog statement for one use: bound, stepped, then reset.
class OneShot {
public:
    OneShot(StatementCache& cache, sqlite3* db, const std::string& sql)
        : db_(db)
        , s_(cache.get(sql)) {}
    ~OneShot() {
        sqlite3_reset(s_);
        sqlite3_clear_bindings(s_);
    }
    OneShot(const OneShot&) = delete;
    OneShot& operator=(const OneShot&) = delete;
    sqlite3_stmt* get() { return s_; }
    void bind(int i, const std::string& v) { bindText(s_, i, v); }
    void bind(int i, long long v) { sqlite3_bind_int64(s_, i, v); }
    bool step() {
        int rc = sqlite3_step(s_);
        if (rc == SQLITE_ROW) return true;
        if (rc == SQLITE_DONE) return false;
        throwSqlite(db_, rc, sqlite3_sql(s_));
    }
    long long integer(int col) { return sqlite3_column_int64(s_, col); }
    std::string text(int col) { return columnText(s_, col); }

private:
    sqlite3* db_;
    sqlite3_stmt* s_;
};

} // namespace tsql::engine::catalog_rows
