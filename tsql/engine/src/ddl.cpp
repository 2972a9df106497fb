#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "normalise.h"
#include "parser.h"
#include "sqlite_util.h"
#include "tsql/collation.h"
#include "tsql/sqlite.h"

#include <cstdio>

namespace tsql::engine {

namespace {

std::string hexId(long long id) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%08llX", static_cast<unsigned long long>(id) & 0xFFFFFFFFULL);
    return buf;
}

//! SQL Server's style of generated constraint names: PK__Table__1A2B3C4D.
std::string generatedName(const std::string& prefix, const std::string& table, const std::string& column,
                          long long id) {
    std::string name = prefix + "__" + table.substr(0, 8) + "__";
    if (!column.empty()) name += column.substr(0, 5) + "__";
    return name + hexId(id);
}

void checkColumns(const TableInfo& t, const std::vector<std::string>& columns, int line) {
    for (const auto& c : columns)
        if (t.columnIndex(c) < 0) {
            raise(1911, line, {c});
        }
}

std::string columnList(const std::vector<std::string>& columns) {
    std::string out;
    for (const auto& c : columns)
        out += (out.empty() ? "" : ", ") + quoteName(c);
    return out;
}

} // namespace

void executeCreateTable(Executor& ex, const CreateTableStmt& stmt) {
    auto& s = ex.session();
    Catalog& catalog = s.catalog;
    TableInfo t;
    t.name = stmt.table.name();
    t.temp = stmt.table.isTemp();
    if (t.name.size() > 128 || t.name.empty()) raise(102, stmt.line, {t.name});
    if (catalog.nameTaken(t.name, t.temp)) raise(2714, stmt.line, {t.name});
    // Stored expressions have SQL Server's stored form, which the catalog views show.
    for (const auto& def : stmt.columns) {
        if (!def.defaultText.empty()) normalisedExpressionText(def.defaultText);
        if (def.computed) normalisedExpressionText(def.computedText);
    }
    for (const auto& def : stmt.constraints)
        if (def.kind == ConstraintKind::Check) normalisedExpressionText(def.checkText);
    Binder b(s);
    ex.atomically([&] {
        t.id = catalog.newId(t.temp);
        long long nextId = t.id;
        auto allocate = [&] { return nextId = Catalog::idAfter(nextId, t.temp); };

        for (const auto& def : stmt.columns) {
            if (t.columnIndex(def.name) >= 0) raise(2705, def.line, {def.name, t.name});
            ColumnInfo c;
            c.name = def.name;
            if (def.hasType) {
                c.type = Binder::resolveType(def.type, def.line);
                c.identity = def.identity;
                if (c.identity && !isExactNumericType(c.type.id)) raise(2749, def.line, {c.name}, 2);
                c.seed = def.seed;
                c.increment = def.increment;
                c.nullable = def.nullable.value_or(!c.identity);
                if (c.identity && def.nullable.value_or(false)) raise(8147, def.line, {c.name, t.name});
                if (def.defaultValue) {
                    // A default may not read columns (SQL Server's error 128).
                    std::vector<const Expr*> stack{def.defaultValue.get()};
                    while (!stack.empty()) {
                        const Expr* e = stack.back();
                        stack.pop_back();
                        if (e->kind == ExprKind::Column) {
                            raise(128, def.line, {e->parts.back()});
                        }
                        for (const auto& a : e->args)
                            if (a) stack.push_back(a.get());
                    }
                    b.convert(b.expr(*def.defaultValue, Scope{}), c.type, ConversionKind::Implicit);
                    c.defaultText = def.defaultText;
                    c.defaultId = allocate();
                    c.defaultName = def.defaultName.empty() ? generatedName("DF", t.name, c.name, c.defaultId)
                                                            : def.defaultName;
                    if (catalog.nameTaken(c.defaultName, t.temp)) raise(2714, def.line, {c.defaultName});
                }
            } else {
                c.computedText = def.computedText;
            }
            t.columns.push_back(std::move(c));
        }
        // Computed columns take the type of their expression.
        Scope own = Binder::ownColumns(t);
        std::vector<std::string> computedSql(t.columns.size());
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            if (!t.columns[i].isComputed()) continue;
            Bound e = b.expr(*stmt.columns[i].computed, own);
            t.columns[i].type = e.type.id == TypeId::Null ? Type::integer() : e.type;
            computedSql[i] = e.sql;
        }

        std::vector<std::string> constraintSql;
        bool hasPrimary = false;
        for (const auto& def : stmt.constraints) {
            ConstraintInfo k;
            k.kind = def.kind;
            k.id = allocate();
            k.columns = def.columns;
            k.clustered = def.clustered;
            checkColumns(t, k.columns, stmt.line);
            std::string body;
            switch (def.kind) {
            case ConstraintKind::PrimaryKey:
            case ConstraintKind::Unique:
                if (def.kind == ConstraintKind::PrimaryKey) {
                    if (hasPrimary) raise(8110, stmt.line, {t.name}, 0);
                    hasPrimary = true;
                    for (const auto& col : k.columns)
                        t.columns[t.columnIndex(col)].nullable = false;
                } else if (!def.clusteredGiven) {
                    k.clustered = false;
                }
                k.name = def.name.empty()
                             ? generatedName(def.kind == ConstraintKind::PrimaryKey ? "PK" : "UQ", t.name, "",
                                             k.id)
                             : def.name;
                body = std::string(def.kind == ConstraintKind::PrimaryKey ? "PRIMARY KEY" : "UNIQUE") + " (" +
                       columnList(k.columns) + ")";
                break;
            case ConstraintKind::Check: {
                k.checkText = def.checkText;
                k.name = def.name.empty() ? generatedName("CK", t.name, "", k.id) : def.name;
                body = "CHECK (" + b.condition(*def.check, own) + ")";
                break;
            }
            case ConstraintKind::ForeignKey: {
                k.refTable = def.refTable.name();
                k.name = def.name.empty()
                             ? generatedName("FK", t.name, k.columns.empty() ? "" : k.columns.front(), k.id)
                             : def.name;
                auto ref = equalsIgnoreCase(k.refTable, t.name) ? nullptr : catalog.table(k.refTable);
                const TableInfo* parent =
                    ref ? ref.get() : (equalsIgnoreCase(k.refTable, t.name) ? &t : nullptr);
                if (!parent || parent->view) {
                    raise(1767, stmt.line, {k.name, k.refTable});
                }
                k.refTable = parent->name;
                k.refColumns = def.refColumns;
                if (k.refColumns.empty())
                    for (const auto& pc : parent->constraints)
                        if (pc.kind == ConstraintKind::PrimaryKey) k.refColumns = pc.columns;
                bool keyed = false;
                for (const auto& pc : parent->constraints)
                    if ((pc.kind == ConstraintKind::PrimaryKey || pc.kind == ConstraintKind::Unique) &&
                        pc.columns.size() == k.refColumns.size()) {
                        bool same = true;
                        for (std::size_t i = 0; i < pc.columns.size(); ++i)
                            same = same && equalsIgnoreCase(pc.columns[i], k.refColumns[i]);
                        keyed = keyed || same;
                    }
                if (!keyed || k.refColumns.size() != k.columns.size()) {
                    raise(1776, stmt.line, {parent->name, k.name});
                }
                if (t.temp) continue; // not enforced on temporary tables, as SQL Server says
                body = "FOREIGN KEY (" + columnList(k.columns) + ") REFERENCES " + quoteName(parent->name) +
                       " (" + columnList(k.refColumns) + ")";
                break;
            }
            }
            if (catalog.nameTaken(k.name, t.temp)) raise(2714, stmt.line, {k.name});
            for (const auto& other : t.constraints)
                if (equalsIgnoreCase(other.name, k.name)) raise(2714, stmt.line, {k.name});
            constraintSql.push_back("CONSTRAINT " + quoteName(k.name) + " " + body);
            t.constraints.push_back(std::move(k));
        }

        std::string sql = "CREATE TABLE " + t.sqliteName() + " (";
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            const ColumnInfo& c = t.columns[i];
            // "INT" keeps integer affinity without turning a one-column primary key into SQLite's rowid
            // (which would quietly number NULLs instead of refusing them).
            std::string_view decl = sqliteDeclType(c.type);
            sql += (i ? ", " : "") + quoteName(c.name) + " " + std::string(decl == "INTEGER" ? "INT" : decl);
            if (isCharacterType(c.type.id)) sql += " COLLATE " + std::string(kCollationName);
            if (c.isComputed())
                sql += " GENERATED ALWAYS AS (" + computedSql[i] + ") VIRTUAL";
            else if (!c.nullable)
                sql += " NOT NULL";
        }
        for (const auto& k : constraintSql)
            sql += ", " + k;
        sql += ")";
        ex.run(sql);
        catalog.record(t);
    });
    s.statements.clear();
}

void executeCreateView(Executor& ex, const CreateViewStmt& stmt) {
    auto& s = ex.session();
    TableInfo t;
    t.name = stmt.view.name();
    t.view = true;
    if (stmt.view.isTemp()) raise(4103, stmt.line, {t.name});
    if (s.catalog.nameTaken(t.name, false)) raise(2714, stmt.line, {t.name});
    if (!stmt.query->orderBy.empty() && !stmt.query->cores.front().top) raise(1033, stmt.line, {});
    Binder b(s);
    QueryShape q = b.query(*stmt.query, nullptr);
    if (!stmt.columns.empty() && stmt.columns.size() != q.columns.size()) raise(8158, stmt.line, {t.name});
    for (std::size_t i = 0; i < q.columns.size(); ++i) {
        std::string name = i < stmt.columns.size() ? stmt.columns[i] : q.columns[i].name;
        if (name.empty()) raise(4511, stmt.line, {std::to_string(i + 1)});
        if (t.columnIndex(name) >= 0) {
            raise(4506, stmt.line, {name, t.name});
        }
        ColumnInfo c;
        c.name = name;
        c.type = q.columns[i].type.id == TypeId::Null ? Type::integer() : q.columns[i].type;
        t.columns.push_back(std::move(c));
    }
    t.viewText = stmt.text;
    ex.atomically([&] {
        t.id = s.catalog.newId(false);
        s.catalog.record(t);
    });
}

void executeDrop(Executor& ex, const DropStmt& stmt) {
    auto& s = ex.session();
    bool view = stmt.kind == StmtKind::DropView;
    for (const auto& name : stmt.names) {
        auto t = s.catalog.table(name.name());
        if (!t || t->view != view) {
            if (stmt.ifExists) continue;
            raise(3701, stmt.line, {view ? "view" : "table", name.written()});
        }
        if (!view) {
            sqlite3_stmt* q =
                s.statements.get("SELECT f.name, p.name FROM main.tsql_objects f JOIN main.tsql_objects p ON "
                                 "p.id = f.parent_obj "
                                 "WHERE f.xtype = 'F' AND f.ref_name = ?1 COLLATE NOCASE AND p.id <> ?2");
            StatementReset reset(q);
            sqlite3_bind_text(q, 1, t->name.c_str(), -1, SQLITE_TRANSIENT);
            sqlite3_bind_int64(q, 2, t->id);
            if (sqlite3_step(q) == SQLITE_ROW) raise(3726, stmt.line, {t->name});
        }
        ex.atomically([&] {
            if (!view) ex.run("DROP TABLE " + t->sqliteName());
            s.catalog.remove(*t);
        });
        s.statements.clear();
    }
}

} // namespace tsql::engine
