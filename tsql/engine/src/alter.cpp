#include "alter.h"

#include "alter_rebuild.h"

#include "dml.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "normalise.h"
#include "parser.h"
#include "sqlite_util.h"
#include "tsql/collation.h"
#include "tsql/sqlite.h"

#include <set>
#include <utility>

namespace tsql::engine {

namespace {

using Action = AlterTableStmt::Action;

//! FOREIGN KEY constraints of other tables that reference `t`: name, table, referenced columns.
std::vector<std::vector<Value>> referencesTo(Executor& ex, const TableInfo& t) {
    if (t.temp) return {};
    return ex.rows(
        "SELECT f.name, p.name, f.ref_cols FROM main.tsql_objects f JOIN main.tsql_objects p ON p.id = "
        "f.parent_obj WHERE f.xtype = 'F' AND f.ref_name = " +
            quoteText(t.name) + " COLLATE NOCASE AND p.id <> " + std::to_string(t.id),
        {{"", Type::nVarChar(128)}, {"", Type::nVarChar(128)}, {"", Type::nVarChar(4000)}});
}

//! A table referenced by other tables is rebuilt with SQLite's foreign keys off (see executeAlterTable),
//! which cannot be switched inside a transaction.
void refuseIfReferenced(Executor& ex, const TableInfo& t, int line) {
    if (ex.session().tranCount == 0) return;
    auto rows = referencesTo(ex, t);
    if (!rows.empty())
        raiseUnsupported(
            line, "inside a transaction, this ALTER TABLE on a table referenced by FOREIGN KEY constraints "
                  "of table '" +
                      rows.front()[1].asString() + "'");
}

//! Reports `first` and ends the statement with `then`, as SQL Server pairs its messages.
[[noreturn]] void raisePair(Executor& ex, int line, int first, const std::vector<std::string>& firstArgs,
                            int then, const std::vector<std::string>& thenArgs) {
    try {
        raise(first, line, firstArgs);
    } catch (const SqlError& e) {
        BatchEvent ev;
        ev.message = {e.number(), e.severity(), e.state(), e.line(), e.message()};
        ex.output().events.push_back(std::move(ev));
    }
    raise(then, line, thenArgs);
}

//! Rejects a default expression that reads columns (SQL Server's error 128) and checks its type.
void checkDefault(Binder& b, const Expr& value, const Type& type, int line) {
    std::vector<const Expr*> stack{&value};
    while (!stack.empty()) {
        const Expr* e = stack.back();
        stack.pop_back();
        if (e->kind == ExprKind::Column) raise(128, line, {e->parts.back()});
        for (const auto& a : e->args)
            if (a) stack.push_back(a.get());
    }
    b.convert(b.expr(value, Scope{}), type, ConversionKind::Implicit);
}

bool hasRows(Executor& ex, const TableInfo& t) {
    return !ex.rows("SELECT 1 FROM " + t.sqliteName() + " LIMIT 1", {{"", Type::integer()}}).empty();
}

void insertDefaultRow(Executor& ex, const TableInfo& t, const ColumnInfo& c) {
    normalisedExpressionText(c.defaultText); // refuses what has no stored form
    std::string schema = t.schema();
    ex.run("INSERT INTO " + schema +
           ".tsql_objects(id, name, xtype, parent_obj, crdate, definition, keycols) VALUES (" +
           std::to_string(c.defaultId) + ", " + quoteText(c.defaultName) + ", 'D', " + std::to_string(t.id) +
           ", (SELECT crdate FROM " + schema + ".tsql_objects WHERE id = " + std::to_string(t.id) + "), " +
           quoteText(c.defaultText) + ", " + quoteText(c.name) + ")");
    ex.run("UPDATE " + schema + ".tsql_columns SET default_id = " + std::to_string(c.defaultId) +
           " WHERE object_id = " + std::to_string(t.id) + " AND name = " + quoteText(c.name));
}

//! A fresh id for an object of the table (negative for temporary tables, like the table's own).
long long newObjectId(Executor& ex, const TableInfo& t) {
    return ex.session().catalog.newId(t.temp);
}

//! ADD of columns and DEFAULT ... FOR constraints: done in place; other constraints rebuild the table.
void add(Executor& ex, const AlterTableStmt& stmt, const TableInfo& old) {
    auto& s = ex.session();
    Binder b(s);
    TableInfo t = old;
    std::string schema = t.schema();
    bool filled = hasRows(ex, t);
    for (std::size_t i = 0; i < stmt.added.columns.size(); ++i) {
        const ColumnDef& def = stmt.added.columns[i];
        if (t.columnIndex(def.name) >= 0) raise(2705, def.line, {def.name, t.name});
        ColumnInfo c;
        c.name = def.name;
        if (!def.hasType) {
            c.computedText = def.computedText;
            normalisedExpressionText(c.computedText); // refuses what has no stored form
            Bound e = b.expr(*def.computed, Binder::ownColumns(t));
            c.type = e.type.id == TypeId::Null ? Type::integer() : e.type;
        } else {
            c.type = Binder::resolveType(def.type, def.line);
            c.nullable = def.nullable.value_or(true);
            if (def.defaultValue) {
                checkDefault(b, *def.defaultValue, c.type, def.line);
                c.defaultText = def.defaultText;
            }
            if (!c.nullable && !def.defaultValue && filled) raise(4901, def.line, {c.name, t.name});
        }
        // SQLite adds a NOT NULL column only with a constant default; rows get the real value below,
        // and INSERT always names every column, so the placeholder is never used.
        std::string sql = "ALTER TABLE " + t.sqliteName() + " ADD COLUMN " + columnSql(b, t, c);
        if (!c.isComputed() && !c.nullable)
            sql += std::string(" NOT NULL DEFAULT ") + (isCharacterType(c.type.id) ? "''" : "0");
        ex.run(sql);
        t.columns.push_back(c);
        int index = static_cast<int>(t.columns.size()) - 1;
        if (def.defaultValue && (!c.nullable || stmt.withValues[i]) && filled)
            ex.run("UPDATE " + t.sqliteName() + " SET " + quoteName(c.name) + " = " +
                   defaultValueSql(b, t, index));
        ex.run("INSERT INTO " + schema +
               ".tsql_columns(object_id, colid, name, type_code, nullable, is_identity, seed, increment, "
               "computed, default_id) VALUES (" +
               std::to_string(t.id) + ", " + std::to_string(index + 1) + ", " + quoteText(c.name) + ", " +
               std::to_string(c.type.code()) + ", " + (c.nullable ? "1" : "0") + ", 0, 1, 1, " +
               (c.isComputed() ? quoteText(c.computedText) : std::string("NULL")) + ", 0)");
        if (def.defaultValue) {
            ColumnInfo& added = t.columns.back();
            added.defaultId = newObjectId(ex, t);
            added.defaultName = def.defaultName.empty()
                                    ? "DF__" + t.name.substr(0, 9) + "__" + c.name.substr(0, 5) + "__" +
                                          std::to_string(added.defaultId)
                                    : def.defaultName;
            if (s.catalog.nameTaken(added.defaultName, t.temp)) raise(2714, def.line, {added.defaultName});
            insertDefaultRow(ex, t, added);
        }
    }
    for (const auto& d : stmt.defaults) {
        int index = t.columnIndex(d.column);
        if (index < 0) raise(1911, stmt.line, {d.column});
        ColumnInfo& c = t.columns[index];
        if (c.defaultId != 0 || c.isComputed()) raise(1781, stmt.line, {});
        checkDefault(b, *d.value, c.type, stmt.line);
        c.defaultText = d.text;
        c.defaultId = newObjectId(ex, t);
        c.defaultName = d.name.empty() ? "DF__" + t.name.substr(0, 9) + "__" + c.name.substr(0, 5) + "__" +
                                             std::to_string(c.defaultId)
                                       : d.name;
        if (s.catalog.nameTaken(c.defaultName, t.temp)) raise(2714, stmt.line, {c.defaultName});
        insertDefaultRow(ex, t, c);
    }
    if (stmt.added.constraints.empty()) return;

    // Constraints are part of SQLite's table definition: the table is rebuilt with them.
    refuseIfReferenced(ex, t, stmt.line);
    s.catalog.invalidate();
    auto current = s.catalog.table(t.name);
    TableInfo next = *current;
    Scope own = Binder::ownColumns(next);
    std::set<std::string> disabled = disabledNames(ex, next);
    std::set<std::string> checkNow; //!< added CHECK constraints that check the rows already there
    long long nextId = newObjectId(ex, next);
    for (const auto& def : stmt.added.constraints) {
        ConstraintInfo k;
        k.kind = def.kind;
        k.id = std::exchange(nextId, Catalog::idAfter(nextId, next.temp));
        k.columns = def.columns;
        k.clustered = def.clustered;
        for (const auto& col : k.columns)
            if (next.columnIndex(col) < 0) raise(1911, stmt.line, {col});
        std::string prefix;
        switch (def.kind) {
        case ConstraintKind::PrimaryKey:
            for (const auto& other : next.constraints)
                if (other.kind == ConstraintKind::PrimaryKey) raise(1779, stmt.line, {next.name}, 0);
            for (const auto& col : k.columns) {
                auto& c = next.columns[next.columnIndex(col)];
                if (c.nullable) raise(8111, stmt.line, {next.name});
            }
            prefix = "PK";
            break;
        case ConstraintKind::Unique:
            if (!def.clusteredGiven) k.clustered = false;
            prefix = "UQ";
            break;
        case ConstraintKind::Check:
            k.checkText = def.checkText;
            normalisedExpressionText(k.checkText); // refuses what has no stored form
            b.condition(*def.check, own);
            prefix = "CK";
            break;
        case ConstraintKind::ForeignKey: {
            prefix = "FK";
            auto parent = equalsIgnoreCase(def.refTable.name(), next.name)
                              ? current
                              : s.catalog.table(def.refTable.name());
            if (!parent || parent->view) raise(1767, stmt.line, {def.name, def.refTable.name()});
            k.refTable = parent->name;
            k.refColumns = def.refColumns;
            if (k.refColumns.empty())
                for (const auto& pc : parent->constraints)
                    if (pc.kind == ConstraintKind::PrimaryKey) k.refColumns = pc.columns;
            if (k.refColumns.size() != k.columns.size()) raise(1776, stmt.line, {parent->name, def.name});
            break;
        }
        }
        k.name = def.name.empty() ? prefix + "__" + next.name.substr(0, 8) + "__" + std::to_string(k.id)
                                  : def.name;
        if (s.catalog.nameTaken(k.name, next.temp)) raise(2714, stmt.line, {k.name});
        if (k.kind == ConstraintKind::Check && !stmt.withNocheck) checkNow.insert(upper(k.name));
        next.constraints.push_back(std::move(k));
    }
    rebuild(ex, *current, next, sameColumns(next), disabled, WriteKind::Insert, checkNow);
}

void dropColumn(Executor& ex, const AlterTableStmt& stmt, const TableInfo& old) {
    TableInfo t = old;
    for (const auto& name : stmt.names) {
        int index = t.columnIndex(name);
        if (index < 0) raise(4924, stmt.line, {"ALTER TABLE DROP COLUMN", name, t.name});
        const ColumnInfo& c = t.columns[index];
        auto dependent = [&](const std::string& object) {
            raisePair(ex, stmt.line, 5074, {"object", object, c.name}, 4922, {"DROP", c.name});
        };
        if (c.defaultId != 0) dependent(c.defaultName);
        for (const auto& k : t.constraints)
            for (const auto& col : k.columns)
                if (equalsIgnoreCase(col, name)) dependent(k.name);
        for (const auto& k : t.constraints)
            if (k.kind == ConstraintKind::Check && upper(k.checkText).find(upper(name)) != std::string::npos)
                dependent(k.name);
        t.columns.erase(t.columns.begin() + index);
    }
    refuseIfReferenced(ex, t, stmt.line);
    rebuild(ex, old, t, sameColumns(t), disabledNames(ex, old), WriteKind::Insert);
}

void dropConstraint(Executor& ex, const AlterTableStmt& stmt, const TableInfo& old) {
    TableInfo t = old;
    bool structural = false;
    std::string schema = t.schema();
    for (const auto& name : stmt.names) {
        bool found = false;
        for (auto& c : t.columns)
            if (c.defaultId != 0 && equalsIgnoreCase(c.defaultName, name)) {
                ex.run("DELETE FROM " + schema + ".tsql_objects WHERE id = " + std::to_string(c.defaultId));
                ex.run("UPDATE " + schema + ".tsql_columns SET default_id = 0 WHERE object_id = " +
                       std::to_string(t.id) + " AND name = " + quoteText(c.name));
                c.defaultId = 0;
                c.defaultName.clear();
                c.defaultText.clear();
                found = true;
            }
        for (auto it = t.constraints.begin(); !found && it != t.constraints.end(); ++it)
            if (equalsIgnoreCase(it->name, name)) {
                if (it->kind == ConstraintKind::PrimaryKey || it->kind == ConstraintKind::Unique)
                    for (const auto& ref : referencesTo(ex, t)) {
                        std::string keys;
                        for (const auto& c : it->columns)
                            keys += (keys.empty() ? "" : "\x1f") + upper(c);
                        if (upper(ref[2].asString()) != keys) continue;
                        raise(3725, stmt.line, {it->name, ref[1].asString(), ref[0].asString()}, 0);
                    }
                t.constraints.erase(it);
                structural = found = true;
                break;
            }
        if (!found) raisePair(ex, stmt.line, 3728, {name}, 3727, {});
    }
    if (!structural) return;
    refuseIfReferenced(ex, t, stmt.line);
    rebuild(ex, old, t, sameColumns(t), disabledNames(ex, old), WriteKind::Insert);
}

void alterColumn(Executor& ex, const AlterTableStmt& stmt, const TableInfo& old) {
    const ColumnDef& def = stmt.added.columns.front();
    TableInfo t = old;
    int index = t.columnIndex(def.name);
    if (index < 0) raise(4924, stmt.line, {"ALTER TABLE ALTER COLUMN", def.name, t.name});
    ColumnInfo& c = t.columns[index];
    if (c.isComputed()) raise(4928, stmt.line, {c.name, "COMPUTED"});
    Type from = c.type;
    c.type = Binder::resolveType(def.type, def.line);
    c.nullable = def.nullable.value_or(true);
    // Like SQL Server, a key column may only grow a variable-length type (MAX stays as it is).
    bool grows = c.type.id == from.id && isCharacterType(c.type.id) && !isFixedLengthType(c.type.id) &&
                 (c.type.length < 0 ? from.length < 0 : from.length >= 0 && c.type.length >= from.length);
    for (const auto& k : t.constraints)
        for (const auto& col : k.columns)
            if (equalsIgnoreCase(col, c.name) && k.kind != ConstraintKind::Check && !grows)
                raisePair(ex, stmt.line, 5074, {"object", k.name, c.name}, 4922, {"ALTER", c.name});
    std::vector<std::string> copy = sameColumns(t);
    Binder b(ex.session());
    Bound source;
    source.sql = quoteName(c.name);
    source.type = from;
    copy[index] = b.convert(source, c.type, ConversionKind::Store);
    if (copy[index].empty()) copy[index] = quoteName(c.name);
    refuseIfReferenced(ex, t, stmt.line);
    rebuild(ex, old, t, copy, disabledNames(ex, old), WriteKind::Update);
}

//! CHECK / NOCHECK CONSTRAINT and ENABLE / DISABLE TRIGGER: the disabled flag of the named objects.
void switchObjects(Executor& ex, const AlterTableStmt& stmt, const TableInfo& t) {
    bool triggers = stmt.action == Action::EnableTrigger || stmt.action == Action::DisableTrigger;
    bool disable = stmt.action == Action::Nocheck || stmt.action == Action::DisableTrigger;
    std::string schema = t.schema();
    std::string kinds = triggers ? "('TR')" : "('C', 'F')";
    std::vector<std::string> names = stmt.names;
    if (stmt.all)
        for (const auto& r : ex.rows("SELECT name FROM " + schema + ".tsql_objects WHERE parent_obj = " +
                                         std::to_string(t.id) + " AND xtype IN " + kinds,
                                     {{"", Type::nVarChar(128)}}))
            names.push_back(r[0].asString());
    std::set<std::string> disabled = disabledNames(ex, t);
    bool changed = false;
    for (const auto& name : names) {
        auto rows = ex.rows("SELECT xtype FROM " + schema +
                                ".tsql_objects WHERE parent_obj = " + std::to_string(t.id) +
                                " AND name = " + quoteText(name) + " AND xtype IN " + kinds,
                            {{"", Type::nVarChar(2)}});
        if (rows.empty()) {
            if (triggers) raise(3701, stmt.line, {name}, 5);
            raisePair(ex, stmt.line, 4917, {name}, 4916, {});
        }
        std::string key = upper(name);
        bool was = disabled.count(key) > 0;
        if (disable)
            disabled.insert(key);
        else
            disabled.erase(key);
        changed = changed || was != disable || (!disable && stmt.withCheck);
        ex.run("UPDATE " + schema + ".tsql_objects SET flags = " +
               (disable ? "flags | " + std::to_string(disabledFlag)
                        : "flags & ~" + std::to_string(disabledFlag)) +
               " WHERE parent_obj = " + std::to_string(t.id) + " AND name = " + quoteText(name));
    }
    if (triggers || !changed) return;
    // Enforcement lives in SQLite's table definition: rebuild with the enabled constraints only.
    refuseIfReferenced(ex, t, stmt.line);
    // Re-enabled constraints check the rows only WITH CHECK, as in SQL Server.
    std::set<std::string> checkNow;
    if (stmt.withCheck && !disable)
        for (const auto& name : names)
            checkNow.insert(upper(name));
    rebuild(ex, t, t, sameColumns(t), disabled, WriteKind::Insert, checkNow);
}

} // namespace

void executeAlterTable(Executor& ex, const AlterTableStmt& stmt) {
    auto& s = ex.session();
    auto table = s.catalog.table(stmt.table.name());
    if (!table || table->view) {
        if (table) raiseUnsupported(stmt.line, "ALTER TABLE of a view");
        raise(4902, stmt.line, {stmt.table.written()});
    }
    s.rowCount = 0;
    // Rebuilding a parent table is SQLite's documented table change with foreign keys off; the table's
    // own FOREIGN KEYs are checked afterwards.
    bool parent = s.tranCount == 0 && !referencesTo(ex, *table).empty();
    if (parent) ex.run("PRAGMA foreign_keys = OFF");
    struct ForeignKeysBack {
        Executor& ex;
        bool on;
        ~ForeignKeysBack() {
            if (on) sqlite3_exec(ex.session().db, "PRAGMA foreign_keys = ON", nullptr, nullptr, nullptr);
        }
    } back{ex, parent};
    ex.atomically([&] {
        switch (stmt.action) {
        case Action::Add:
            add(ex, stmt, *table);
            break;
        case Action::DropColumn:
            dropColumn(ex, stmt, *table);
            break;
        case Action::DropConstraint:
            dropConstraint(ex, stmt, *table);
            break;
        case Action::AlterColumn:
            alterColumn(ex, stmt, *table);
            break;
        case Action::Check:
        case Action::Nocheck:
        case Action::EnableTrigger:
        case Action::DisableTrigger:
            switchObjects(ex, stmt, *table);
            break;
        }
        s.catalog.invalidate();
    });
    s.catalog.invalidate();
    s.statements.clear();
}

} // namespace tsql::engine
