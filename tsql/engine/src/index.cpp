#include "alter.h"
#include "dml.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "system_procedures.h"

namespace tsql::engine {

namespace {

//! tsql_indexes.flags bits.
constexpr int clusteredFlag = 1;
constexpr int uniqueFlag = 4;

std::string joined(const std::vector<std::string>& names) {
    std::string out;
    for (const auto& n : names)
        out += (out.empty() ? "" : "\x1f") + n;
    return out;
}

struct IndexRow {
    long long indid = 0;
    std::string name;
    int flags = 0;
};

std::vector<IndexRow> indexesOf(Executor& ex, const TableInfo& t) {
    std::vector<IndexRow> out;
    for (const auto& r :
         ex.rows("SELECT indid, name, flags FROM " + t.schema() +
                     ".tsql_indexes WHERE object_id = " + std::to_string(t.id) + " ORDER BY indid",
                 {{"", Type::bigInt()}, {"", Type::nVarChar(128)}, {"", Type::integer()}}))
        out.push_back({r[0].asInt(), r[1].asString(), static_cast<int>(r[2].asInt())});
    return out;
}

} // namespace

std::string sqliteIndexName(long long tableId, long long indid) {
    return "tsql_ix_" + std::to_string(tableId) + "_" + std::to_string(indid);
}

void executeCreateIndex(Executor& ex, const CreateIndexStmt& stmt) {
    auto& s = ex.session();
    auto table = s.catalog.table(stmt.table.name());
    if (!table || table->view) {
        if (table) raiseUnsupported(stmt.line, "an index on a view");
        raise(1088, stmt.line, {stmt.table.written()}, 12);
    }
    const TableInfo& t = *table;
    for (const auto& c : stmt.columns)
        if (t.columnIndex(c) < 0) raise(1911, stmt.line, {c});
    auto existing = indexesOf(ex, t);
    bool constraintName = false;
    for (const auto& k : t.constraints)
        constraintName = constraintName || equalsIgnoreCase(k.name, stmt.name);
    for (const auto& ix : existing)
        constraintName = constraintName || equalsIgnoreCase(ix.name, stmt.name);
    if (constraintName) raise(1913, stmt.line, {stmt.name, "dbo." + t.name});
    long long indid = 2;
    std::size_t keyConstraints = 0;
    std::string clusteredName;
    for (const auto& k : t.constraints) {
        if (k.kind != ConstraintKind::PrimaryKey && k.kind != ConstraintKind::Unique) continue;
        ++keyConstraints;
        if (k.clustered) clusteredName = k.name;
    }
    for (const auto& ix : existing) {
        if (ix.flags & clusteredFlag) clusteredName = ix.name;
        indid = std::max(indid, ix.indid + 1);
    }
    // Indexes behind PRIMARY KEY and UNIQUE constraints come first in SQL Server's numbering.
    indid = std::max(indid, static_cast<long long>(keyConstraints) + 2);
    if (stmt.clustered) {
        if (!clusteredName.empty()) raise(1902, stmt.line, {"dbo." + t.name, clusteredName}, 3);
        indid = 1;
    }
    std::string cols;
    for (std::size_t i = 0; i < stmt.columns.size(); ++i)
        cols += (i ? ", " : "") + quoteName(t.columns[t.columnIndex(stmt.columns[i])].name) +
                (stmt.descending[i] ? " DESC" : "");
    std::vector<std::string> names;
    for (const auto& c : stmt.columns)
        names.push_back(t.columns[t.columnIndex(c)].name);
    s.rowCount = 0;
    ex.atomically([&] {
        if (stmt.unique) {
            std::string keyCols;
            for (const auto& n : names)
                keyCols += (keyCols.empty() ? "" : ", ") + quoteName(n);
            std::vector<ResultColumn> shape;
            for (const auto& n : names)
                shape.push_back({n, t.columns[t.columnIndex(n)].type});
            auto dup = ex.rows("SELECT " + keyCols + " FROM " + t.sqliteName() + " GROUP BY " + keyCols +
                                   " HAVING count(*) > 1 LIMIT 1",
                               shape);
            if (!dup.empty()) raise(1505, stmt.line, {"dbo." + t.name, stmt.name, keyText(dup.front())});
        }
        ex.run(std::string("CREATE ") + (stmt.unique ? "UNIQUE " : "") + "INDEX " + t.schema() + "." +
               quoteName(sqliteIndexName(t.id, indid)) + " ON " + quoteName(t.name) + " (" + cols + ")");
        ex.run("INSERT INTO " + t.schema() +
               ".tsql_indexes(object_id, indid, name, keycols, flags) VALUES (" + std::to_string(t.id) +
               ", " + std::to_string(indid) + ", " + quoteText(stmt.name) + ", " + quoteText(joined(names)) +
               ", " + std::to_string((stmt.clustered ? clusteredFlag : 0) | (stmt.unique ? uniqueFlag : 0)) +
               ")");
    });
    s.statements.clear();
}

void executeDropIndex(Executor& ex, const DropIndexStmt& stmt) {
    auto& s = ex.session();
    s.rowCount = 0;
    for (const auto& [tableName, indexName] : stmt.indexes) {
        auto table = s.catalog.table(tableName);
        const IndexRow* found = nullptr;
        std::vector<IndexRow> existing;
        if (table && !table->view) {
            existing = indexesOf(ex, *table);
            for (const auto& ix : existing)
                if (equalsIgnoreCase(ix.name, indexName)) found = &ix;
            for (const auto& k : table->constraints)
                if ((k.kind == ConstraintKind::PrimaryKey || k.kind == ConstraintKind::Unique) &&
                    equalsIgnoreCase(k.name, indexName))
                    raise(3723, stmt.line,
                          {"dbo." + table->name + "." + k.name,
                           k.kind == ConstraintKind::PrimaryKey ? "PRIMARY KEY" : "UNIQUE KEY"},
                          4);
        }
        if (!found) raise(3701, stmt.line, {"index", tableName + "." + indexName});
        const TableInfo& t = *table;
        long long indid = found->indid;
        ex.atomically([&] {
            ex.run("DROP INDEX " + t.schema() + "." + quoteName(sqliteIndexName(t.id, indid)));
            ex.run("DELETE FROM " + t.schema() + ".tsql_indexes WHERE object_id = " + std::to_string(t.id) +
                   " AND indid = " + std::to_string(indid));
        });
        s.statements.clear();
    }
}

void executeRename(Executor& ex, const ExecStmt& stmt) {
    auto& s = ex.session();
    std::string object = systemArgument(ex, stmt, 0, "@objname");
    std::string newName = systemArgument(ex, stmt, 1, "@newname");
    std::string type = upper(systemArgument(ex, stmt, 2, "@objtype"));
    auto ambiguous = [&] { return messageError(15248, stmt.line, {type}); };
    if (newName.empty()) raise(15223, stmt.line, {newName});
    auto parts = nameParts(object);
    s.rowCount = 0;
    if (type == "INDEX") {
        if (parts.size() < 2) throw ambiguous();
        auto table = s.catalog.table(parts[parts.size() - 2]);
        if (!table || table->view) throw ambiguous();
        const TableInfo& t = *table;
        const std::string& old = parts.back();
        for (const auto& ix : indexesOf(ex, t))
            if (equalsIgnoreCase(ix.name, newName) && !equalsIgnoreCase(ix.name, old))
                raise(15335, stmt.line, {newName, "index"});
        bool done = false;
        ex.atomically([&] {
            for (const auto& ix : indexesOf(ex, t))
                if (equalsIgnoreCase(ix.name, old)) {
                    ex.run("UPDATE " + t.schema() + ".tsql_indexes SET name = " + quoteText(newName) +
                           " WHERE object_id = " + std::to_string(t.id) +
                           " AND indid = " + std::to_string(ix.indid));
                    done = true;
                }
            for (const auto& k : t.constraints)
                if (!done && (k.kind == ConstraintKind::PrimaryKey || k.kind == ConstraintKind::Unique) &&
                    equalsIgnoreCase(k.name, old)) {
                    if (s.catalog.nameTaken(newName, t.temp)) raise(15335, stmt.line, {newName, "object"});
                    ex.run("UPDATE " + t.schema() + ".tsql_objects SET name = " + quoteText(newName) +
                           " WHERE id = " + std::to_string(k.id));
                    done = true;
                }
            if (!done) throw ambiguous();
        });
    } else if (type == "COLUMN") {
        if (parts.size() < 2) throw ambiguous();
        auto table = s.catalog.table(parts[parts.size() - 2]);
        if (!table || table->view) throw ambiguous();
        const TableInfo& t = *table;
        int index = t.columnIndex(parts.back());
        if (index < 0) throw ambiguous();
        std::string old = t.columns[index].name;
        if (t.columnIndex(newName) >= 0 && !equalsIgnoreCase(newName, old))
            raise(15335, stmt.line, {newName, "COLUMN"});
        for (const auto& c : t.columns)
            if (c.isComputed() && upper(c.computedText).find(upper(old)) != std::string::npos)
                raiseUnsupported(stmt.line, "sp_rename of a column a computed column reads");
        for (const auto& k : t.constraints)
            if (k.kind == ConstraintKind::Check && upper(k.checkText).find(upper(old)) != std::string::npos)
                raiseUnsupported(stmt.line, "sp_rename of a column a CHECK constraint reads");
        std::string schema = t.schema();
        // Key column lists ("a\x1fb") of constraints, defaults and indexes name the column too.
        auto renamed = [&](const std::string& list) {
            std::string out, part;
            for (char ch : list + '\x1f') {
                if (ch != '\x1f') {
                    part += ch;
                    continue;
                }
                out += (out.empty() ? "" : "\x1f") + (equalsIgnoreCase(part, old) ? newName : part);
                part.clear();
            }
            return out;
        };
        ex.atomically([&] {
            ex.run("ALTER TABLE " + t.sqliteName() + " RENAME COLUMN " + quoteName(old) + " TO " +
                   quoteName(newName));
            ex.run("UPDATE " + schema + ".tsql_columns SET name = " + quoteText(newName) +
                   " WHERE object_id = " + std::to_string(t.id) + " AND name = " + quoteText(old));
            std::vector<ResultColumn> shape{{"", Type::bigInt()}, {"", Type::nVarChar(4000)}};
            for (const auto& r : ex.rows("SELECT id, keycols FROM " + schema +
                                             ".tsql_objects WHERE parent_obj = " + std::to_string(t.id) +
                                             " AND keycols IS NOT NULL",
                                         shape))
                ex.run("UPDATE " + schema + ".tsql_objects SET keycols = " +
                       quoteText(renamed(r[1].asString())) + " WHERE id = " + std::to_string(r[0].asInt()));
            for (const auto& r : ex.rows("SELECT id, ref_cols FROM " + schema +
                                             ".tsql_objects WHERE xtype = 'F' AND ref_name = " +
                                             quoteText(t.name) + " COLLATE NOCASE",
                                         shape))
                ex.run("UPDATE " + schema + ".tsql_objects SET ref_cols = " +
                       quoteText(renamed(r[1].asString())) + " WHERE id = " + std::to_string(r[0].asInt()));
            for (const auto& r : ex.rows("SELECT indid, keycols FROM " + schema +
                                             ".tsql_indexes WHERE object_id = " + std::to_string(t.id),
                                         shape))
                ex.run("UPDATE " + schema + ".tsql_indexes SET keycols = " +
                       quoteText(renamed(r[1].asString())) + " WHERE object_id = " + std::to_string(t.id) +
                       " AND indid = " + std::to_string(r[0].asInt()));
        });
    } else if (type.empty() || type == "OBJECT") {
        const std::string& old = parts.back();
        auto id = s.catalog.objectId(old);
        if (!id) throw ambiguous();
        if (s.catalog.nameTaken(newName, old[0] == '#')) raise(15335, stmt.line, {newName, "object"});
        auto table = s.catalog.table(old);
        std::string schema = *id < 0 ? "temp" : "main";
        ex.atomically([&] {
            if (table && !table->view) {
                ex.run("ALTER TABLE " + table->sqliteName() + " RENAME TO " + quoteName(newName));
                ex.run("UPDATE main.tsql_objects SET ref_name = " + quoteText(newName) +
                       " WHERE xtype = 'F' AND ref_name = " + quoteText(table->name) + " COLLATE NOCASE");
            }
            ex.run("UPDATE " + schema + ".tsql_objects SET name = " + quoteText(newName) +
                   " WHERE id = " + std::to_string(*id));
        });
    } else {
        raiseUnsupported(stmt.line, "sp_rename of a " + type);
    }
    s.catalog.invalidate();
    s.statements.clear();
    ex.message("Caution: Changing any part of an object name could break scripts and stored procedures.");
}

} // namespace tsql::engine
