#include "ddl.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "normalise.h"
#include "parser.h"
#include "sqlite_util.h"
#include "system_procedures.h"
#include "tsql/collation.h"
#include "tsql/sqlite.h"

#include <algorithm>

namespace tsql::engine {

namespace {

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

std::string defineTable(Executor& ex, const CreateTableStmt& stmt, TableInfo& t, bool checkNames) {
    auto& s = ex.session();
    Catalog& catalog = s.catalog;
    // Stored expressions have SQL Server's stored form, which the catalog views show.
    for (const auto& def : stmt.columns) {
        if (!def.defaultText.empty()) normalisedExpressionText(def.defaultText);
        if (def.computed) normalisedExpressionText(def.computedText);
    }
    for (const auto& def : stmt.constraints)
        if (def.kind == ConstraintKind::Check) normalisedExpressionText(def.checkText);
    Binder b(s, true); // computed columns and CHECK constraints become part of the SQLite table
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
                c.defaultName = def.defaultName.empty()
                                    ? generatedConstraintName("DF", t.name, c.name, c.defaultId)
                                    : def.defaultName;
                if (checkNames && catalog.nameTaken(c.defaultName, t.temp))
                    raise(2714, def.line, {c.defaultName});
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
        k.name = constraintName(def, t.name, k.id);
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
            body = std::string(def.kind == ConstraintKind::PrimaryKey ? "PRIMARY KEY" : "UNIQUE") + " (" +
                   columnList(k.columns) + ")";
            break;
        case ConstraintKind::Check: {
            k.checkText = def.checkText;
            body = "CHECK (" + b.condition(*def.check, own) + ")";
            break;
        }
        case ConstraintKind::ForeignKey: {
            k.refTable = def.refTable.name();
            auto ref = equalsIgnoreCase(k.refTable, t.name) ? nullptr : catalog.table(k.refTable);
            const TableInfo* parent = ref ? ref.get() : (equalsIgnoreCase(k.refTable, t.name) ? &t : nullptr);
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
        if (checkNames && catalog.nameTaken(k.name, t.temp)) raise(2714, stmt.line, {k.name});
        for (const auto& other : t.constraints)
            if (equalsIgnoreCase(other.name, k.name)) raise(2714, stmt.line, {k.name});
        constraintSql.push_back("CONSTRAINT " + quoteName(k.name) + " " + body);
        t.constraints.push_back(std::move(k));
    }

    return createTableSql(t, computedSql, constraintSql);
}

std::string_view storedDeclType(const TableInfo& t, const ColumnInfo& c) {
    std::string_view decl = sqliteDeclType(c.type);
    if (decl != "INTEGER") return decl;
    const bool rowid = c.identity && c.increment > 0 &&
                       (c.type.id == TypeId::Int || c.type.id == TypeId::BigInt) &&
                       std::any_of(t.constraints.begin(), t.constraints.end(), [&](const ConstraintInfo& k) {
                           return k.kind == ConstraintKind::PrimaryKey && k.columns.size() == 1 &&
                                  equalsIgnoreCase(k.columns.front(), c.name);
                       });
    return rowid ? "INTEGER" : "INT";
}

std::string createTableSql(const TableInfo& t, const std::vector<std::string>& computedSql,
                           const std::vector<std::string>& constraintSql) {
    std::string sql = "CREATE TABLE " + t.sqliteName() + " (";
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const ColumnInfo& c = t.columns[i];
        sql += (i ? ", " : "") + quoteName(c.name) + " " + std::string(storedDeclType(t, c));
        if (isCharacterType(c.type.id)) sql += " COLLATE " + std::string(kCollationName);
        if (c.isComputed())
            sql += " GENERATED ALWAYS AS (" + computedSql.at(i) + ") VIRTUAL";
        else if (!c.nullable)
            sql += " NOT NULL";
    }
    for (const auto& k : constraintSql)
        sql += ", " + k;
    sql += ")";
    return sql;
}

void executeCreateTable(Executor& ex, const CreateTableStmt& stmt) {
    auto& s = ex.session();
    Catalog& catalog = s.catalog;
    TableInfo t;
    t.name = stmt.table.name();
    t.temp = stmt.table.isTemp();
    if (characterCount(t.name) > 128 || t.name.empty()) raise(102, stmt.line, {t.name});
    // SQL Server adds a suffix of its own to the name of a temporary table, which leaves 116 characters.
    constexpr std::size_t kMaxTemporaryNameLength = 116;
    if (t.temp && characterCount(t.name) > kMaxTemporaryNameLength)
        raise(193, stmt.line, {t.name, std::to_string(kMaxTemporaryNameLength)});
    if (catalog.nameTaken(t.name, t.temp)) raise(2714, stmt.line, {t.name});
    ex.atomically([&] {
        t.id = catalog.newId(t.temp);
        ex.run(defineTable(ex, stmt, t, true));
        catalog.record(t);
    });
    s.statements.clear();
}

namespace {

//! The columns of a view as its query gives them (errors 8158, 4511, 4506 for the names).
std::vector<ColumnInfo> viewColumnsOf(Session::Impl& s, const CreateViewStmt& stmt, const std::string& view) {
    Binder b(s);
    QueryShape q = b.query(*stmt.query, nullptr);
    if (!stmt.columns.empty() && stmt.columns.size() != q.columns.size()) raise(8158, stmt.line, {view});
    std::vector<ColumnInfo> columns;
    for (std::size_t i = 0; i < q.columns.size(); ++i) {
        std::string name = i < stmt.columns.size() ? stmt.columns[i] : q.columns[i].name;
        if (name.empty()) raise(4511, stmt.line, {std::to_string(i + 1)});
        for (const auto& c : columns)
            if (equalsIgnoreCase(c.name, name)) raise(4506, stmt.line, {name, view});
        ColumnInfo c;
        c.name = name;
        c.type = q.columns[i].type.id == TypeId::Null ? Type::integer() : q.columns[i].type;
        columns.push_back(std::move(c));
    }
    return columns;
}

} // namespace

void executeCreateView(Executor& ex, const CreateViewStmt& stmt) {
    auto& s = ex.session();
    TableInfo t;
    t.name = stmt.view.name();
    t.view = true;
    if (stmt.view.isTemp()) raise(4103, stmt.line, {t.name});
    if (s.catalog.nameTaken(t.name, false)) raise(2714, stmt.line, {t.name});
    if (!stmt.query->orderBy.empty() && !stmt.query->cores.front().top) raise(1033, stmt.line, {});
    t.columns = viewColumnsOf(s, stmt, t.name);
    t.viewText = stmt.text;
    ex.atomically([&] {
        t.id = s.catalog.newId(false);
        s.catalog.record(t);
    });
}

void executeRefreshView(Executor& ex, const ExecStmt& stmt) {
    auto& s = ex.session();
    s.rowCount = 0;
    const std::string written = systemArgument(ex, stmt, 0, "@viewname");
    auto view = s.catalog.table(nameParts(written).back());
    if (!view || !view->view) raise(15165, stmt.line, {written});
    TableInfo refreshed = *view;
    refreshed.columns = viewColumnsOf(s, viewDefinition(*view), view->name);
    ex.atomically([&] { s.catalog.replaceViewColumns(refreshed); });
    s.statements.clear();
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
        if (!view && !t->temp)
            for (const auto& reference : s.catalog.referencesTo(t->name))
                if (!equalsIgnoreCase(reference.table, t->name)) raise(3726, stmt.line, {t->name});
        ex.atomically([&] {
            if (!view) ex.run("DROP TABLE " + t->sqliteName());
            s.catalog.remove(*t);
        });
        s.statements.clear();
    }
}

} // namespace tsql::engine
