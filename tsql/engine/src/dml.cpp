#include "dml.h"

#include "errors.h"
#include "lexer.h"
#include "parser.h"
#include "system_views.h"
#include "trigger.h"
#include "tsql/convert.h"

#include <algorithm>

namespace tsql::engine {

namespace {

const char* verb(WriteKind kind) {
    switch (kind) {
    case WriteKind::Insert:
        return "INSERT";
    case WriteKind::Update:
        return "UPDATE";
    case WriteKind::Delete:
        return "DELETE";
    }
    return "";
}

std::string dbName(Executor& ex, const TableInfo& t) {
    return t.temp ? "tempdb" : ex.session().database->name();
}

//! Column names SQLite lists in "UNIQUE constraint failed: T.a, T.b".
std::vector<std::string> failedColumns(const std::string& message) {
    std::vector<std::string> out;
    auto colon = message.find(": ");
    if (colon == std::string::npos) return out;
    std::string rest = message.substr(colon + 2);
    std::size_t start = 0;
    while (start < rest.size()) {
        auto comma = rest.find(", ", start);
        std::string item = rest.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
        auto dot = item.rfind('.');
        out.push_back(dot == std::string::npos ? item : item.substr(dot + 1));
        if (comma == std::string::npos) break;
        start = comma + 2;
    }
    return out;
}

bool sameColumns(const std::vector<std::string>& a, const std::vector<std::string>& b) {
    if (a.size() != b.size()) return false;
    for (const auto& x : a)
        if (std::none_of(b.begin(), b.end(), [&](const std::string& y) { return equalsIgnoreCase(x, y); }))
            return false;
    return true;
}

//! The single column a CHECK expression reads, or empty.
void collectColumns(const Expr& e, std::vector<std::string>& out) {
    if (e.kind == ExprKind::Column && std::none_of(out.begin(), out.end(), [&](const std::string& c) {
            return equalsIgnoreCase(c, e.parts.back());
        }))
        out.push_back(e.parts.back());
    for (const auto& a : e.args)
        if (a) collectColumns(*a, out);
}

std::string columnSuffix(const std::string& column) {
    return column.empty() ? "" : ", column '" + column + "'";
}

std::vector<std::vector<std::string>> textRows(Executor& ex, const std::string& sql, int columns) {
    sqlite3* db = ex.session().db;
    sqlite3_stmt* st = nullptr;
    std::vector<std::vector<std::string>> out;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) {
        sqlite3_finalize(st);
        return out;
    }
    while (sqlite3_step(st) == SQLITE_ROW) {
        std::vector<std::string> row;
        for (int i = 0; i < columns; ++i) {
            const unsigned char* t = sqlite3_column_text(st, i);
            row.push_back(t ? reinterpret_cast<const char*>(t) : "");
        }
        out.push_back(std::move(row));
    }
    sqlite3_finalize(st);
    return out;
}

//! After a write left deferred foreign key violations: the violated constraint, reported as SQL Server does.
[[noreturn]] void foreignKeyViolation(Executor& ex, const TableInfo& t, WriteKind kind) {
    auto& s = ex.session();
    std::vector<std::string> children;
    if (kind != WriteKind::Delete) children.push_back(t.name);
    if (kind != WriteKind::Insert)
        for (auto& row : textRows(ex,
                                  "SELECT p.name FROM main.tsql_objects f JOIN main.tsql_objects p ON p.id = "
                                  "f.parent_obj WHERE f.xtype = 'F' AND f.ref_name = " +
                                      quoteText(t.name) + " COLLATE NOCASE",
                                  1))
            children.push_back(row[0]);
    std::string schema = t.temp ? "temp" : "main";
    for (const auto& child : children) {
        auto violations =
            textRows(ex, "PRAGMA " + schema + ".foreign_key_check(" + quoteName(child) + ")", 4);
        if (violations.empty()) continue;
        std::string fkid = violations.front()[3];
        std::string parent;
        std::vector<std::string> from, to;
        for (auto& row :
             textRows(ex, "PRAGMA " + schema + ".foreign_key_list(" + quoteName(child) + ")", 5)) {
            if (row[0] != fkid) continue;
            parent = row[2];
            from.push_back(row[3]);
            to.push_back(row[4]);
        }
        auto childInfo = s.catalog.table(child);
        std::string name;
        if (childInfo)
            for (const auto& c : childInfo->constraints)
                if (c.kind == ConstraintKind::ForeignKey && equalsIgnoreCase(c.refTable, parent) &&
                    sameColumns(c.columns, from))
                    name = c.name;
        bool childSide =
            equalsIgnoreCase(child, t.name) && kind != WriteKind::Delete &&
            (kind == WriteKind::Insert || children.size() == 1 || !equalsIgnoreCase(parent, t.name));
        if (childSide)
            raise(547, 0,
                  {verb(kind), "FOREIGN KEY", name, dbName(ex, t), "dbo." + parent,
                   columnSuffix(to.empty() ? "" : to.front())});
        raise(547, 0,
              {verb(kind), "REFERENCE", name, dbName(ex, t), "dbo." + child,
               columnSuffix(from.empty() ? "" : from.front())});
    }
    raise(547, 0, {verb(kind), "FOREIGN KEY", "", dbName(ex, t), "dbo." + t.name, ""});
}

//! The duplicate key `findDuplicate` reports for constraint `c`; empty when there is no finder or reading
//! the rows again met an error of the rows themselves (never an engine fault or a busy database).
std::string duplicateKey(const DuplicateFinder& findDuplicate, const ConstraintInfo& c) {
    if (!findDuplicate) return {};
    try {
        return findDuplicate(c);
    } catch (const SqlError& e) {
        if (e.number() == kInternalErrorNumber || e.number() == kLockTimeoutNumber) throw;
        return {};
    }
}

[[noreturn]] void constraintFailure(Executor& ex, const TableInfo& t, WriteKind kind, int code,
                                    const std::string& message, const DuplicateFinder& findDuplicate) {
    if (code == SQLITE_CONSTRAINT_NOTNULL) {
        auto cols = failedColumns(message);
        raise(515, 0, {cols.empty() ? "" : cols.front(), dbName(ex, t) + ".dbo." + t.name, verb(kind)});
    }
    if (code == SQLITE_CONSTRAINT_UNIQUE || code == SQLITE_CONSTRAINT_PRIMARYKEY) {
        auto cols = failedColumns(message);
        for (const auto& c : t.constraints) {
            if ((c.kind == ConstraintKind::PrimaryKey || c.kind == ConstraintKind::Unique) &&
                sameColumns(c.columns, cols)) {
                std::string key = duplicateKey(findDuplicate, c);
                raise(2627, 0,
                      {c.kind == ConstraintKind::PrimaryKey ? "PRIMARY KEY" : "UNIQUE KEY", c.name,
                       "dbo." + t.name, key.empty() ? "(unknown)" : key});
            }
        }
        // Unique indexes of CREATE UNIQUE INDEX.
        for (auto& row :
             textRows(ex,
                      std::string("SELECT name, keycols FROM ") + (t.temp ? "temp" : "main") +
                          ".tsql_indexes WHERE (flags & 4) <> 0 AND object_id = " + std::to_string(t.id),
                      2)) {
            ConstraintInfo index;
            index.kind = ConstraintKind::Unique;
            index.name = row[0];
            std::string part;
            for (char ch : row[1] + '\x1f') {
                if (ch != '\x1f') {
                    part += ch;
                    continue;
                }
                index.columns.push_back(part);
                part.clear();
            }
            if (!sameColumns(index.columns, cols)) continue;
            std::string key = duplicateKey(findDuplicate, index);
            raise(2601, 0, {"dbo." + t.name, index.name, key.empty() ? "(unknown)" : key});
        }
    }
    if (code == SQLITE_CONSTRAINT_CHECK) {
        auto colon = message.find(": ");
        std::string name = colon == std::string::npos ? "" : message.substr(colon + 2);
        for (const auto& c : t.constraints) {
            if (c.kind != ConstraintKind::Check || !equalsIgnoreCase(c.name, name)) continue;
            std::vector<std::string> cols;
            collectColumns(*parseExpression(c.checkText), cols);
            raise(547, 0,
                  {verb(kind), "CHECK", c.name, dbName(ex, t), "dbo." + t.name,
                   columnSuffix(cols.size() == 1 ? cols.front() : "")});
        }
    }
    if (code == SQLITE_CONSTRAINT_FOREIGNKEY) foreignKeyViolation(ex, t, kind);
    raise(kInternalErrorNumber, 0, {message});
}

} // namespace

std::string keyText(const std::vector<Value>& values) {
    std::string out = "(";
    for (std::size_t i = 0; i < values.size(); ++i)
        out += (i ? ", " : "") + (values[i].isNull() ? std::string("<NULL>") : toText(values[i]));
    return out + ")";
}

long long runWrite(Executor& ex, const std::string& sql, const TableInfo& table, WriteKind kind,
                   const DuplicateFinder& findDuplicate) {
    auto& s = ex.session();
    bool checked = (kind != WriteKind::Delete && table.hasForeignKeys()) ||
                   (kind != WriteKind::Insert && table.referenced);
    if (checked) ex.run("PRAGMA defer_foreign_keys = ON");
    sqlite3_stmt* st = ex.prepare(sql);
    int rc;
    {
        StatementReset reset(st);
        while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            int code = sqlite3_extended_errcode(s.db);
            std::string message = sqlite3_errmsg(s.db);
            if (auto decoded = decodeSqliteError(message)) throw *decoded;
            if ((code & 0xff) == SQLITE_CONSTRAINT) {
                sqlite3_reset(st);
                constraintFailure(ex, table, kind, code, message, findDuplicate);
            }
            throwSqlite(s.db, rc, sql);
        }
    }
    long long changes = sqlite3_changes(s.db);
    int current = 0, highest = 0;
    sqlite3_db_status(s.db, SQLITE_DBSTATUS_DEFERRED_FKS, &current, &highest, 0);
    if (current > 0) foreignKeyViolation(ex, table, kind);
    return changes;
}

void withIdentity(Executor& ex, const TableInfo& table, const std::function<void()>& work) {
    int column = table.identityColumn();
    if (column < 0) return work();
    auto& s = ex.session();
    const ColumnInfo& c = table.columns[column];
    IdentityCounter& counter = s.identityCounters[table.id];
    counter = {s.catalog.identityCurrent(table), c.seed, c.increment, false};
    try {
        work();
    } catch (...) {
        s.identityCounters.erase(table.id);
        throw;
    }
    if (counter.changed) s.catalog.setIdentityCurrent(table, *counter.current);
    s.identityCounters.erase(table.id);
}

std::shared_ptr<const TableInfo> writableTable(Executor& ex, const ObjectName& name, int line) {
    if (!name.isTemp() && findSystemView(name.parts)) raise(259, line, {});
    if (pseudoTable(ex.session(), name)) refusePseudoTable(line);
    auto table = ex.session().catalog.table(name.name());
    if (!table) raise(208, line, {name.written()});
    if (table->view) raiseUnsupported(line, "changing data through a view");
    return table;
}

std::string defaultValueSql(Binder& b, const TableInfo& table, int column) {
    const ColumnInfo& c = table.columns[column];
    if (c.defaultText.empty()) return "NULL";
    auto cached = table.defaultSql.find(column);
    if (cached != table.defaultSql.end()) return cached->second;
    auto e = parseExpression(c.defaultText);
    std::string sql = b.convert(b.expr(*e, Scope{}), c.type, ConversionKind::Store);
    table.defaultSql[column] = sql;
    return sql;
}

} // namespace tsql::engine
