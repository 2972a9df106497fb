//! SELECT ... INTO: a new table from a query's columns and rows.

#include "ddl.h"
#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "table_variable.h"
#include "trigger.h"

namespace tsql::engine {

namespace {

//! The table column behind each result column where the query is one SELECT of plain columns from one
//! table, without grouping (nullptr elsewhere): such columns keep their nullability, and an identity
//! column named once keeps its IDENTITY property, as SQL Server copies them.
std::vector<const ColumnInfo*> sourceColumns(Session::Impl& s, const Query& q, std::size_t count,
                                             std::shared_ptr<const TableInfo>& holder) {
    std::vector<const ColumnInfo*> out(count, nullptr);
    if (q.cores.size() != 1) return out;
    const SelectCore& core = q.cores.front();
    if (core.from.size() != 1 || core.from.front()->kind != TableRef::Kind::Named || !core.groupBy.empty() ||
        core.having)
        return out;
    const TableRef& ref = *core.from.front();
    holder = pseudoTable(s, ref.name);
    if (!holder) holder = tableVariable(s, ref.name, ref.line);
    if (!holder) holder = s.catalog.table(ref.name.name());
    if (!holder || holder->view) return out;
    const TableInfo& t = *holder;
    std::vector<const ColumnInfo*> items;
    for (const auto& item : core.items) {
        const Expr& e = *item.expr;
        if (e.kind == ExprKind::Star) {
            for (const auto& c : t.columns)
                items.push_back(&c);
        } else if (e.kind == ExprKind::Column && t.columnIndex(e.parts.back()) >= 0) {
            items.push_back(&t.columns[static_cast<std::size_t>(t.columnIndex(e.parts.back()))]);
        } else {
            items.push_back(nullptr);
        }
    }
    if (items.size() == count) out = items;
    return out;
}

} // namespace

void executeSelectInto(Executor& ex, const SelectStmt& stmt) {
    auto& s = ex.session();
    const Query& q = stmt.query;
    const ObjectName& target = *q.cores.front().into;
    if (target.name().empty() || target.name().front() == '@' || target.name().size() > 128)
        raise(102, stmt.line, {target.name()});
    for (const auto& item : q.cores.front().items)
        if (!item.assign.empty()) raise(141, stmt.line, {});
    TableInfo t;
    t.name = target.name();
    t.temp = target.isTemp();
    if (s.catalog.nameTaken(t.name, t.temp)) raise(2714, stmt.line, {t.name});
    Binder b(s);
    QueryShape shape = b.query(q, nullptr);
    std::shared_ptr<const TableInfo> source;
    const auto sources = sourceColumns(s, q, shape.columns.size(), source);
    int identities = 0;
    for (const ColumnInfo* c : sources)
        identities += c && c->identity ? 1 : 0;
    for (std::size_t i = 0; i < shape.columns.size(); ++i) {
        const ResultColumn& r = shape.columns[i];
        if (r.name.empty()) raise(1038, stmt.line, {});
        if (t.columnIndex(r.name) >= 0) raise(2705, stmt.line, {r.name, t.name});
        ColumnInfo c;
        c.name = r.name;
        c.type = r.type.id == TypeId::Null ? Type::integer() : r.type;
        if (const ColumnInfo* from = sources[i]) {
            c.nullable = from->nullable && !from->identity;
            c.identity = from->identity && identities == 1;
            c.seed = from->seed;
            c.increment = from->increment;
        }
        t.columns.push_back(std::move(c));
    }
    long long changed = 0;
    ex.atomically([&] {
        t.id = s.catalog.newId(t.temp);
        ex.run(createTableSql(t, {}, {}));
        s.catalog.record(t);
        std::string columns, values;
        for (std::size_t i = 0; i < t.columns.size(); ++i) {
            columns += (i ? ", " : "") + quoteName(t.columns[i].name);
            values += (i ? ", " : "") + std::string("\"s\".\"c") + std::to_string(i + 1) + "\"";
        }
        changed = ex.run("INSERT INTO " + t.sqliteName() + " (" + columns + ") SELECT " + values + " FROM (" +
                         shape.sql + ") AS \"s\"");
        // The identity goes on from the highest value copied.
        const int identity = t.identityColumn();
        if (identity >= 0 && changed > 0) {
            const auto& c = t.columns[static_cast<std::size_t>(identity)];
            auto top = ex.rows(std::string("SELECT ") + (c.increment < 0 ? "min(" : "max(") +
                                   quoteName(c.name) + ") FROM " + t.sqliteName(),
                               {{"", Type::bigInt()}});
            s.catalog.setIdentityCurrent(t, top.at(0).at(0).asInt());
        }
    });
    s.statements.clear();
    s.rowCount = changed;
    ex.output().onRowsAffected(changed);
}

} // namespace tsql::engine
