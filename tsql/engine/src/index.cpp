#include "alter.h"
#include "dml.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "system_procedures.h"

namespace tsql::engine {

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
    auto existing = s.catalog.indexes(t);
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
        if (ix.clustered) clusteredName = ix.name;
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
        s.catalog.addIndex(t, {indid, stmt.name, names, stmt.clustered, stmt.unique});
    });
    s.statements.clear();
}

void executeDropIndex(Executor& ex, const DropIndexStmt& stmt) {
    auto& s = ex.session();
    s.rowCount = 0;
    for (const auto& [tableName, indexName] : stmt.indexes) {
        auto table = s.catalog.table(tableName);
        const IndexInfo* found = nullptr;
        std::vector<IndexInfo> existing;
        if (table && !table->view) {
            existing = s.catalog.indexes(*table);
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
            s.catalog.dropIndex(t, indid);
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
        for (const auto& ix : s.catalog.indexes(t))
            if (equalsIgnoreCase(ix.name, newName) && !equalsIgnoreCase(ix.name, old))
                raise(15335, stmt.line, {newName, "index"});
        bool done = false;
        ex.atomically([&] {
            for (const auto& ix : s.catalog.indexes(t))
                if (equalsIgnoreCase(ix.name, old)) {
                    s.catalog.renameIndex(t, ix.indid, newName);
                    done = true;
                }
            for (const auto& k : t.constraints)
                if (!done && (k.kind == ConstraintKind::PrimaryKey || k.kind == ConstraintKind::Unique) &&
                    equalsIgnoreCase(k.name, old)) {
                    if (s.catalog.nameTaken(newName, t.temp)) raise(15335, stmt.line, {newName, "object"});
                    s.catalog.renameObject(k.id, newName);
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
        ex.atomically([&] {
            ex.run("ALTER TABLE " + t.sqliteName() + " RENAME COLUMN " + quoteName(old) + " TO " +
                   quoteName(newName));
            s.catalog.renameColumn(t, old, newName);
        });
    } else if (type.empty() || type == "OBJECT") {
        const std::string& old = parts.back();
        auto id = s.catalog.objectId(old);
        if (!id) throw ambiguous();
        if (s.catalog.nameTaken(newName, old[0] == '#')) raise(15335, stmt.line, {newName, "object"});
        auto table = s.catalog.table(old);
        ex.atomically([&] {
            if (table && !table->view) {
                ex.run("ALTER TABLE " + table->sqliteName() + " RENAME TO " + quoteName(newName));
                s.catalog.renameTable(*table, newName);
            } else {
                s.catalog.renameObject(*id, newName);
                s.catalog.announceChange(); // procedures are cached by name
            }
        });
    } else {
        raiseUnsupported(stmt.line, "sp_rename of a " + type);
    }
    s.catalog.invalidate();
    s.statements.clear();
    ex.message("Caution: Changing any part of an object name could break scripts and stored procedures.");
}

} // namespace tsql::engine
