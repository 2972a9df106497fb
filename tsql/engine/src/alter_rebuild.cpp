#include "alter_rebuild.h"

#include "alter.h"
#include "ddl.h"
#include "errors.h"
#include "lexer.h"
#include "parser.h"
#include "sqlite_util.h"
#include "tsql/collation.h"
#include "tsql/sqlite.h"

namespace tsql::engine {

namespace {

std::string columnList(const std::vector<std::string>& columns) {
    std::string out;
    for (const auto& c : columns)
        out += (out.empty() ? "" : ", ") + quoteName(c);
    return out;
}

//! Rewrites the message of a constraint failure met while copying rows as ALTER TABLE's.
[[noreturn]] void asAlterFailure(SqlError e, const std::string& table) {
    std::string text = e.message();
    const std::string insert = "The INSERT statement";
    if (text.rfind(insert, 0) == 0) text = "The ALTER TABLE statement" + text.substr(insert.size());
    const std::string scratch = "dbo.tsql_rebuild";
    if (auto at = text.find(scratch); at != std::string::npos)
        text.replace(at, scratch.size(), "dbo." + table);
    throw SqlError(e.number(), e.severity(), e.state(), text, e.line());
}

bool sqliteForeignKeys(Executor& ex) {
    return ex.rows("PRAGMA foreign_keys", {{"", Type::integer()}}).at(0).at(0).asInt() != 0;
}

//! Raises 547 for the first enabled FOREIGN KEY of `t` that rows of `sqliteTable` break.
void checkForeignKeys(Executor& ex, const TableInfo& t, const std::string& sqliteTable,
                      const std::set<std::string>& disabled) {
    for (const auto& k : t.constraints) {
        if (k.kind != ConstraintKind::ForeignKey || disabled.count(upper(k.name)) || t.temp) continue;
        std::string present, match;
        for (std::size_t i = 0; i < k.columns.size(); ++i) {
            present += (i ? " AND " : "") + std::string("c.") + quoteName(k.columns[i]) + " IS NOT NULL";
            match += (i ? " AND " : "") + std::string("p.") + quoteName(k.refColumns[i]) + " = c." +
                     quoteName(k.columns[i]);
        }
        auto broken = ex.rows("SELECT 1 FROM " + sqliteTable + " AS c WHERE " + present +
                                  " AND NOT EXISTS (SELECT 1 FROM main." + quoteName(k.refTable) +
                                  " AS p WHERE " + match + ") LIMIT 1",
                              {{"", Type::integer()}});
        if (broken.empty()) continue;
        raise(547, 0,
              {"ALTER TABLE", "FOREIGN KEY", k.name, ex.session().database->name(), "dbo." + k.refTable,
               k.refColumns.empty() ? "" : ", column '" + k.refColumns.front() + "'"});
    }
}

} // namespace

std::string columnSql(Binder& b, const TableInfo& t, const ColumnInfo& c) {
    std::string sql = quoteName(c.name) + " " + std::string(storedDeclType(t, c));
    if (isCharacterType(c.type.id)) sql += " COLLATE " + std::string(kCollationName);
    if (c.isComputed())
        sql += " GENERATED ALWAYS AS (" +
               b.expr(*parseExpression(c.computedText), Binder::ownColumns(t)).sql + ") VIRTUAL";
    return sql;
}

std::set<std::string> disabledNames(Executor& ex, const TableInfo& t) {
    return ex.session().catalog.disabledNames(t);
}

std::vector<std::string> sameColumns(const TableInfo& t) {
    std::vector<std::string> copy;
    for (const auto& c : t.columns)
        copy.push_back(quoteName(c.name));
    return copy;
}

void rebuild(Executor& ex, const TableInfo& old, const TableInfo& t, const std::vector<std::string>& copy,
             const std::set<std::string>& disabled, WriteKind kind, const std::set<std::string>& checkNow) {
    auto& s = ex.session();
    Binder b(s, true); // computed columns and CHECK constraints become part of the SQLite table
    Scope own = Binder::ownColumns(t);
    std::string schema = t.schema();
    std::string scratch = schema + "." + quoteName("tsql_rebuild");
    std::string sql = "CREATE TABLE " + scratch + " (";
    std::string targetCols, sourceExprs;
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const ColumnInfo& c = t.columns[i];
        sql += (i ? ", " : "") + columnSql(b, t, c);
        if (!c.isComputed() && !c.nullable) sql += " NOT NULL";
        if (c.isComputed()) continue;
        targetCols += (targetCols.empty() ? "" : ", ") + quoteName(c.name);
        sourceExprs += (sourceExprs.empty() ? "" : ", ") + copy[i];
    }
    for (const auto& k : t.constraints) {
        std::string body;
        switch (k.kind) {
        case ConstraintKind::PrimaryKey:
            body = "PRIMARY KEY (" + columnList(k.columns) + ")";
            break;
        case ConstraintKind::Unique:
            body = "UNIQUE (" + columnList(k.columns) + ")";
            break;
        case ConstraintKind::Check:
            if (disabled.count(upper(k.name))) continue;
            body = "CHECK (" + b.condition(*parseExpression(k.checkText), own) + ")";
            break;
        case ConstraintKind::ForeignKey:
            if (disabled.count(upper(k.name)) || t.temp) continue;
            body = "FOREIGN KEY (" + columnList(k.columns) + ") REFERENCES " + quoteName(k.refTable) + " (" +
                   columnList(k.refColumns) + ")";
            break;
        }
        sql += ", CONSTRAINT " + quoteName(k.name) + " " + body;
    }
    sql += ")";
    ex.run(sql);
    TableInfo scratchInfo = t;
    scratchInfo.name = "tsql_rebuild";
    // The rows were checked when they were written; CHECK constraints are checked again only where
    // the statement asks for it (`checkNow`), as SQL Server does.
    ex.run("PRAGMA ignore_check_constraints = ON");
    try {
        if (!targetCols.empty())
            runWrite(ex,
                     "INSERT INTO " + scratch + " (" + targetCols + ") SELECT " + sourceExprs + " FROM " +
                         old.sqliteName(),
                     scratchInfo, kind);
    } catch (SqlError& e) {
        ex.run("PRAGMA ignore_check_constraints = OFF");
        if (e.number() == 547) checkForeignKeys(ex, t, scratch, disabled);
        if (e.number() == 547 || e.number() == 515 || e.number() == 2627) asAlterFailure(e, t.name);
        throw;
    } catch (...) {
        ex.run("PRAGMA ignore_check_constraints = OFF");
        throw;
    }
    ex.run("PRAGMA ignore_check_constraints = OFF");
    // With SQLite's foreign keys off (a parent table being rebuilt) the copy checked none.
    if (!sqliteForeignKeys(ex)) checkForeignKeys(ex, t, scratch, disabled);
    for (const auto& k : t.constraints) {
        if (k.kind != ConstraintKind::Check || !checkNow.count(upper(k.name))) continue;
        auto check = parseExpression(k.checkText);
        if (ex.rows("SELECT 1 FROM " + scratch + " WHERE NOT (" + b.condition(*check, own) + ") LIMIT 1",
                    {{"", Type::integer()}})
                .empty())
            continue;
        std::vector<std::string> columns;
        std::vector<const Expr*> stack{check.get()};
        while (!stack.empty()) {
            const Expr* e = stack.back();
            stack.pop_back();
            if (e->kind == ExprKind::Column) {
                bool known = false;
                for (const auto& c : columns)
                    known = known || equalsIgnoreCase(c, e->parts.back());
                if (!known) columns.push_back(e->parts.back());
            }
            for (const auto& arg : e->args)
                if (arg) stack.push_back(arg.get());
        }
        raise(547, 0,
              {"ALTER TABLE", "CHECK", k.name, t.temp ? std::string("tempdb") : s.database->name(),
               "dbo." + t.name, columns.size() == 1 ? ", column '" + columns.front() + "'" : ""});
    }
    ex.run("DROP TABLE " + old.sqliteName());
    ex.run("ALTER TABLE " + scratch + " RENAME TO " + quoteName(t.name));
    for (const auto& ix : s.catalog.indexes(t))
        ex.run(std::string("CREATE ") + (ix.unique ? "UNIQUE " : "") + "INDEX " + schema + "." +
               quoteName(sqliteIndexName(t.id, ix.indid)) + " ON " + quoteName(t.name) + " (" +
               columnList(ix.columns) + ")");
    s.catalog.rewrite(t, disabled);
}

} // namespace tsql::engine
