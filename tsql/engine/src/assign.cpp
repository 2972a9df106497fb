//! SELECT @v = expr, ... FROM ...: the rows are assigned one after another, and an expression that
//! reads an assigned variable sees the value the rows before gave it (`@s = @s + col`, running maxima),
//! in the order of ORDER BY, as SQL Server does in practice.

#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "tsql/collation.h"
#include "tsql/sqlite.h"

#include <set>

namespace tsql::engine {

namespace {

const std::string collate = " COLLATE " + std::string(kCollationName);

bool readsAny(const Query& q, const std::set<std::string>& names);

//! True when `e` (subqueries included) reads one of the variables `names` (upper case).
bool readsAny(const Expr& e, const std::set<std::string>& names) {
    if (e.kind == ExprKind::Variable && names.count(upper(e.text))) return true;
    for (const auto& a : e.args)
        if (a && readsAny(*a, names)) return true;
    return e.query && readsAny(*e.query, names);
}

bool readsAny(const TableRef& ref, const std::set<std::string>& names) {
    return (ref.derived && readsAny(*ref.derived, names)) || (ref.left && readsAny(*ref.left, names)) ||
           (ref.right && readsAny(*ref.right, names)) || (ref.on && readsAny(*ref.on, names));
}

bool readsAny(const Query& q, const std::set<std::string>& names) {
    for (const auto& core : q.cores) {
        for (const auto& item : core.items)
            if (readsAny(*item.expr, names)) return true;
        for (const auto& ref : core.from)
            if (readsAny(*ref, names)) return true;
        for (const ExprPtr* e : {&core.top, &core.where, &core.having})
            if (*e && readsAny(**e, names)) return true;
        for (const auto& g : core.groupBy)
            if (readsAny(*g, names)) return true;
    }
    return false;
}

//! True when `e` holds an aggregate outside its subqueries.
bool aggregates(const Expr& e) {
    if (e.kind == ExprKind::Function && isAggregateName(e.text)) return true;
    for (const auto& a : e.args)
        if (a && aggregates(*a)) return true;
    return false;
}

//! The query of a SELECT whose items read the variables it assigns, made so that SQLite evaluates the
//! items of a row only after the rows before it were assigned: the rows of the FROM clause (filtered,
//! sorted and limited) come from a derived table that SQLite cannot merge into the outer query (OFFSET),
//! and the outer query computes the items over them with the variables read live.
QueryShape rowByRow(Binder& b, const Query& q, const std::set<std::size_t>& live) {
    const SelectCore& core = q.cores.front();
    Scope scope;
    const std::string fromSql = b.from(core.from, scope);
    const std::string rowsAlias = b.newAlias("w");
    Scope rowsScope;
    std::string columns;
    int n = 0;
    for (const Source& src : scope.sources) {
        Source copy;
        copy.exposed = src.exposed;
        copy.sqlAlias = rowsAlias;
        copy.table = src.table;
        for (const SourceColumn& c : src.columns) {
            const std::string name = "\"k" + std::to_string(++n) + "\"";
            columns += (columns.empty() ? "" : ", ") +
                       (src.sqlAlias.empty() ? c.sqlName : src.sqlAlias + "." + c.sqlName) + " AS " + name;
            copy.columns.push_back({c.name, c.type, name});
        }
        rowsScope.sources.push_back(std::move(copy));
    }
    std::string rows = "SELECT " + (columns.empty() ? std::string("1") : columns) + " FROM " + fromSql;
    if (core.where) rows += " WHERE " + b.condition(*core.where, scope);
    std::string order;
    for (const auto& o : q.orderBy) {
        const Expr* e = o.expr.get();
        if (e->kind == ExprKind::Literal && e->literal == LiteralKind::Integer) {
            const int ordinal = std::stoi(e->text);
            if (ordinal < 1 || ordinal > static_cast<int>(core.items.size())) raise(108, e->line, {e->text});
            e = core.items[static_cast<std::size_t>(ordinal - 1)].expr.get();
        }
        const Bound key = b.expr(*e, scope);
        order += (order.empty() ? "" : ", ") + key.sql + (isCharacterType(key.type.id) ? collate : "") +
                 (o.descending ? " DESC" : "");
    }
    if (!order.empty()) rows += " ORDER BY " + order;
    rows += " LIMIT " +
            (core.top ? b.convert(b.expr(*core.top, Scope{}), Type::bigInt(), ConversionKind::Implicit)
                      : std::string("-1")) +
            " OFFSET 0";

    QueryShape shape;
    b.liveVariables = live;
    std::string items;
    for (const auto& item : core.items) {
        const Bound value = b.expr(*item.expr, rowsScope);
        items += (items.empty() ? "" : ", ") + value.sql + " AS \"c" +
                 std::to_string(shape.columns.size() + 1) + "\"";
        shape.columns.push_back({"", value.type});
    }
    b.liveVariables.clear();
    shape.sql = "SELECT " + items + " FROM (" + rows + ") AS " + rowsAlias;
    return shape;
}

} // namespace

void executeSelectAssign(Executor& ex, const SelectStmt& stmt) {
    auto& s = ex.session();
    const SelectCore& core = stmt.query.cores.front();
    // Each item's slot hint is its variable's slot once found.
    for (const auto& item : core.items)
        if (!s.variable(item.assign, item.assignSlotHint)) raise(137, stmt.line, {item.assign});
    // Captures the statement alone, small enough for the function to hold without allocating.
    const auto bound = ex.boundQuery(stmt, stmt.bound, [&stmt](Binder& b) {
        const Query& q = stmt.query;
        const SelectCore& first = q.cores.front();
        b.assignMode = true;
        std::set<std::string> names;
        std::set<std::size_t> slots;
        for (const auto& item : first.items) {
            names.insert(upper(item.assign));
            slots.insert(item.assignSlotHint);
        }
        if (first.from.empty() || !readsAny(q, names)) return b.query(q, nullptr);
        bool grouped = first.distinct || !first.groupBy.empty() || first.having;
        for (const auto& item : first.items)
            grouped = grouped || aggregates(*item.expr);
        if (!grouped) return rowByRow(b, q, slots);
        // One row per group: SQLite computes each when it hands it out.
        b.liveVariables = slots;
        return b.query(q, nullptr);
    });
    const QueryShape& shape = bound->shape;
    sqlite3_stmt* st = ex.prepare(*bound);
    StatementReset reset(st, false);
    long long count = 0;
    int rc;
    while ((rc = sqlite3_step(st)) == SQLITE_ROW) {
        ++count;
        for (std::size_t i = 0; i < core.items.size(); ++i) {
            Variable& target = s.variables[core.items[i].assignSlotHint];
            Value value = readColumn(st, static_cast<int>(i), shape.columns[i].type);
            const auto op = compoundAssignment(core.items[i].assignOp);
            ex.assign(target, op ? binaryOp(*op, target.value, value) : std::move(value));
        }
    }
    if (rc != SQLITE_DONE) throwSqlite(s.db, rc, shape.sql);
    s.rowCount = count;
}

} // namespace tsql::engine
