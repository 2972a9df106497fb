#include "binder.h"

#include "errors.h"
#include "lexer.h"
#include "parser.h"
#include "session.h"
#include "sqlite_util.h"
#include "system_views.h"
#include "table_variable.h"
#include "trigger.h"
#include "tsql/collation.h"

namespace tsql::engine {

namespace {

const std::string collate = " COLLATE " + std::string(kCollationName);

//! Column references outside aggregate arguments that are not grouped raise 8120.
void checkGrouped(const Expr& e, const std::vector<std::string>& groupSql, Binder& binder, const Scope& scope,
                  const std::string& tableHint) {
    if (e.kind == ExprKind::Function && (e.text == "COUNT" || e.text == "SUM" || e.text == "AVG" ||
                                         e.text == "MIN" || e.text == "MAX" || e.text == "COUNT_BIG"))
        return;
    if (e.kind == ExprKind::Subquery || e.kind == ExprKind::Exists || e.kind == ExprKind::Literal ||
        e.kind == ExprKind::Variable || e.kind == ExprKind::Global)
        return;
    bool predicate = e.kind == ExprKind::IsNull || e.kind == ExprKind::Like || e.kind == ExprKind::Between ||
                     e.kind == ExprKind::InList || e.kind == ExprKind::InQuery ||
                     (e.kind == ExprKind::Unary && e.text == "NOT") ||
                     (e.kind == ExprKind::Binary &&
                      (e.text == "=" || e.text == "<>" || e.text == "<" || e.text == ">" || e.text == "<=" ||
                       e.text == ">=" || e.text == "AND" || e.text == "OR"));
    if (e.kind != ExprKind::Star && !predicate) {
        Bound b = binder.expr(e, scope);
        for (const auto& g : groupSql)
            if (g == b.sql) return;
    }
    if (e.kind == ExprKind::Column) {
        Bound b = binder.expr(e, scope);
        std::string table = tableHint;
        for (const Source& s : scope.sources)
            if (b.sql.rfind(s.sqlAlias + ".", 0) == 0) table = s.exposed;
        raise(8120, e.line, {table + "." + e.parts.back()});
    }
    for (const auto& a : e.args)
        if (a) checkGrouped(*a, groupSql, binder, scope, tableHint);
}

} // namespace

const CreateViewStmt& viewDefinition(const TableInfo& view) {
    if (!view.viewBatch) view.viewBatch = std::make_shared<Batch>(parseBatch(view.viewText));
    return static_cast<const CreateViewStmt&>(*view.viewBatch->statements.at(0));
}

std::vector<std::pair<std::string, int>> viewColumns(const TableInfo& view,
                                                     const std::vector<std::string>& names, int line) {
    const CreateViewStmt& definition = viewDefinition(view);
    bool star = false;
    for (const auto& core : definition.query->cores)
        for (const auto& item : core.items)
            star = star || item.expr->kind == ExprKind::Star;
    std::vector<std::pair<std::string, int>> out;
    if (!star) {
        for (std::size_t i = 0; i < names.size(); ++i)
            out.emplace_back(names[i], static_cast<int>(i));
        return out;
    }
    // A view over * keeps the columns it was created (or last refreshed) with: found by name, or by
    // position when the view names its columns itself. A column gone from the table fails the view
    // rather than letting another column's values pass under its name.
    for (std::size_t i = 0; i < view.columns.size(); ++i) {
        const std::string& name = view.columns[i].name;
        int index = -1;
        if (!definition.columns.empty()) {
            index = i < names.size() ? static_cast<int>(i) : -1;
        } else {
            for (std::size_t k = 0; k < names.size() && index < 0; ++k)
                if (equalsIgnoreCase(names[k], name)) index = static_cast<int>(k);
        }
        if (index < 0) {
            raise(4413, line, {view.name});
        }
        out.emplace_back(name, index);
    }
    return out;
}

void Binder::addSource(Scope& scope, Source source, int line) {
    for (const Source& s : scope.sources)
        if (equalsIgnoreCase(s.exposed, source.exposed)) {
            raise(1013, line, {s.exposed, source.exposed});
        }
    scope.sources.push_back(std::move(source));
}

Source Binder::tableSource(std::shared_ptr<const TableInfo> table, const std::string& exposed) {
    Source src;
    src.exposed = exposed.empty() ? table->name : exposed;
    src.sqlAlias = newAlias("t");
    src.columns.reserve(table->columns.size());
    for (const auto& c : table->columns)
        src.columns.push_back({c.name, c.type, quoteName(c.name)});
    src.table = std::move(table);
    return src;
}

Scope Binder::ownColumns(const TableInfo& t) {
    Scope scope;
    Source src;
    src.exposed = t.name;
    for (const auto& c : t.columns)
        if (!c.isComputed()) src.columns.push_back({c.name, c.type, quoteName(c.name)});
    scope.sources.push_back(std::move(src));
    return scope;
}

std::string Binder::tableRef(const TableRef& ref, Scope& scope) {
    switch (ref.kind) {
    case TableRef::Kind::Named: {
        if (const SystemView* view = ref.name.isTemp() ? nullptr : findSystemView(ref.name.parts)) {
            Source src;
            src.exposed = ref.alias.empty() ? ref.name.name() : ref.alias;
            src.sqlAlias = newAlias("t");
            for (std::size_t i = 0; i < view->columns.size(); ++i)
                src.columns.push_back(
                    {view->columns[i].name, view->columns[i].type, "\"c" + std::to_string(i + 1) + "\""});
            std::string sql = "(" + view->sql + ") AS " + src.sqlAlias;
            addSource(scope, std::move(src), ref.line);
            return sql;
        }
        auto table = pseudoTable(s_, ref.name);
        if (!table) table = tableVariable(s_, ref.name, ref.line);
        if (table) reusable_ = false;
        if (!table) table = s_.catalog.table(ref.name.name());
        if (!table) raise(208, ref.line, {ref.name.written()});
        if (table->view) {
            Source src;
            src.exposed = ref.alias.empty() ? table->name : ref.alias;
            src.sqlAlias = newAlias("t");
            const CreateViewStmt& view = viewDefinition(*table);
            QueryShape q = query(*view.query, nullptr);
            std::vector<std::string> names;
            for (std::size_t i = 0; i < q.columns.size(); ++i)
                names.push_back(i < view.columns.size() ? view.columns[i] : q.columns[i].name);
            for (const auto& [name, index] : viewColumns(*table, names, ref.line))
                src.columns.push_back({name, q.columns[static_cast<std::size_t>(index)].type,
                                       "\"c" + std::to_string(index + 1) + "\""});
            std::string sql = "(" + q.sql + ") AS " + src.sqlAlias;
            addSource(scope, std::move(src), ref.line);
            return sql;
        }
        Source src = tableSource(table, ref.alias);
        std::string sql = table->sqliteName() + " AS " + src.sqlAlias;
        addSource(scope, std::move(src), ref.line);
        return sql;
    }
    case TableRef::Kind::Derived: {
        QueryShape q = query(*ref.derived, scope.outer);
        Source src;
        src.exposed = ref.alias;
        src.sqlAlias = newAlias("d");
        for (std::size_t i = 0; i < q.columns.size(); ++i) {
            if (q.columns[i].name.empty()) {
                raise(8155, ref.line, {std::to_string(i + 1), ref.alias});
            }
            src.columns.push_back(
                {q.columns[i].name, q.columns[i].type, "\"c" + std::to_string(i + 1) + "\""});
        }
        std::string sql = "(" + q.sql + ") AS " + src.sqlAlias;
        addSource(scope, std::move(src), ref.line);
        return sql;
    }
    case TableRef::Kind::Join: {
        std::string left = tableRef(*ref.left, scope);
        std::string right = tableRef(*ref.right, scope);
        static const char* joins[] = {" JOIN ", " LEFT JOIN ", " RIGHT JOIN ", " FULL JOIN ", " CROSS JOIN "};
        std::string sql = left + joins[static_cast<int>(ref.join)] + right;
        if (ref.on) sql += " ON " + condition(*ref.on, scope);
        return sql;
    }
    }
    return {};
}

std::string Binder::from(const std::vector<std::unique_ptr<TableRef>>& refs, Scope& scope) {
    std::string sql;
    for (const auto& r : refs)
        sql += (sql.empty() ? "" : ", ") + tableRef(*r, scope);
    return sql;
}

QueryShape Binder::selectCore(const SelectCore& core, const Scope* outer, bool collateText, Scope& scope,
                              std::vector<Bound>& items) {
    scope.outer = outer;
    std::string fromSql = from(core.from, scope);
    QueryShape shape;
    std::string list;
    auto add = [&](Bound b, const std::string& name) {
        std::string sql = b.sql;
        if (collateText && isCharacterType(b.type.id)) sql += collate;
        std::size_t n = shape.columns.size() + 1;
        list += (list.empty() ? "" : ", ") + sql + " AS \"c" + std::to_string(n) + "\"";
        shape.columns.push_back({name, b.type});
        b.name = name;
        items.push_back(std::move(b));
    };
    bool hasAggregate = false;
    for (const auto& item : core.items) {
        if (!item.assign.empty() && !assignMode) raise(141, core.items.front().expr->line, {});
        const Expr& e = *item.expr;
        if (e.kind == ExprKind::Star) {
            bool any = false;
            for (const Source& src : scope.sources) {
                if (!e.parts.empty() && !equalsIgnoreCase(src.exposed, e.parts.back())) continue;
                any = true;
                for (const auto& c : src.columns) {
                    Bound b;
                    b.sql = src.sqlAlias + "." + c.sqlName;
                    b.type = c.type;
                    add(b, c.name);
                }
            }
            if (!any) {
                if (e.parts.empty()) {
                    raise(263, e.line, {});
                }
                raise(4104, e.line, {e.parts.back()});
            }
            continue;
        }
        Bound b = expr(e, scope);
        hasAggregate = hasAggregate || b.aggregate;
        std::string name = !item.alias.empty() ? item.alias : b.name;
        add(std::move(b), name);
    }
    std::string sql = std::string("SELECT ") + (core.distinct ? "DISTINCT " : "") + list;
    if (!fromSql.empty()) sql += " FROM " + fromSql;
    if (core.where) sql += " WHERE " + condition(*core.where, scope);
    std::vector<std::string> groupSql;
    if (!core.groupBy.empty()) {
        std::string g;
        for (const auto& e : core.groupBy) {
            Bound b = expr(*e, scope);
            if (b.aggregate) raise(144, e->line, {});
            groupSql.push_back(b.sql);
            g += (g.empty() ? "" : ", ") + b.sql + (isCharacterType(b.type.id) ? collate : "");
        }
        sql += " GROUP BY " + g;
    }
    if (!core.groupBy.empty() || hasAggregate || core.having) {
        std::string hint = scope.sources.empty() ? "" : scope.sources.front().exposed;
        for (const auto& item : core.items)
            if (item.expr->kind != ExprKind::Star)
                checkGrouped(*item.expr, groupSql, *this, scope, hint);
            else if (!scope.sources.empty() && !scope.sources.front().columns.empty())
                raise(8120, item.expr->line, {hint + "." + scope.sources.front().columns.front().name});
        if (core.having) checkGrouped(*core.having, groupSql, *this, scope, hint);
    }
    if (core.having) sql += " HAVING " + condition(*core.having, scope);
    shape.sql = sql;
    return shape;
}

QueryShape Binder::query(const Query& q, const Scope* outer) {
    bool compound = q.cores.size() > 1;
    QueryShape result;
    Scope firstScope;
    std::vector<Bound> firstItems;
    for (std::size_t i = 0; i < q.cores.size(); ++i) {
        const SelectCore& core = q.cores[i];
        Scope scope;
        std::vector<Bound> items;
        QueryShape shape = selectCore(core, outer, compound || core.distinct, scope, items);
        std::string sql = shape.sql;
        std::string limit;
        if (core.top) {
            Bound t = expr(*core.top, Scope{});
            limit = " LIMIT " + convert(t, Type::bigInt(), ConversionKind::Implicit);
        }
        if (i == 0) {
            result.columns = shape.columns;
            firstScope = std::move(scope);
            firstItems = std::move(items);
            if (!compound) {
                result.sql = sql;
                if (!q.orderBy.empty()) {
                    std::string order;
                    for (const auto& o : q.orderBy) {
                        std::string term;
                        const Expr& e = *o.expr;
                        int ordinal = -1;
                        if (e.kind == ExprKind::Literal && e.literal == LiteralKind::Integer) {
                            ordinal = std::stoi(e.text);
                            if (ordinal < 1 || ordinal > static_cast<int>(result.columns.size())) {
                                raise(108, e.line, {e.text});
                            }
                        } else if (e.kind == ExprKind::Column && e.parts.size() == 1) {
                            for (std::size_t k = 0; k < result.columns.size(); ++k)
                                if (equalsIgnoreCase(result.columns[k].name, e.parts[0])) {
                                    ordinal = static_cast<int>(k + 1);
                                    break;
                                }
                        }
                        if (ordinal > 0) {
                            term = "\"c" + std::to_string(ordinal) + "\"";
                            if (isCharacterType(result.columns[ordinal - 1].type.id)) term += collate;
                        } else {
                            Bound b = expr(e, firstScope);
                            if (core.distinct) {
                                bool listed = false;
                                for (const auto& it : firstItems)
                                    listed = listed || it.sql == b.sql;
                                if (!listed) {
                                    raise(145, e.line, {});
                                }
                            }
                            term = b.sql + (isCharacterType(b.type.id) ? collate : "");
                        }
                        order += (order.empty() ? "" : ", ") + term + (o.descending ? " DESC" : "");
                    }
                    result.sql += " ORDER BY " + order;
                }
                result.sql += limit;
                return result;
            }
            result.sql = limit.empty() ? sql : "SELECT * FROM (" + sql + limit + ")";
        } else {
            if (shape.columns.size() != result.columns.size()) raise(205, q.line, {});
            for (std::size_t k = 0; k < shape.columns.size(); ++k) {
                std::vector<Type> both{result.columns[k].type, shape.columns[k].type};
                result.columns[k].type = commonType(both);
            }
            result.sql += std::string(q.unionAll[i - 1] ? " UNION ALL " : " UNION ") +
                          (limit.empty() ? sql : "SELECT * FROM (" + sql + limit + ")");
        }
    }
    if (!q.orderBy.empty()) {
        std::string order;
        for (const auto& o : q.orderBy) {
            const Expr& e = *o.expr;
            int ordinal = -1;
            if (e.kind == ExprKind::Literal && e.literal == LiteralKind::Integer)
                ordinal = std::stoi(e.text);
            else if (e.kind == ExprKind::Column)
                for (std::size_t k = 0; k < result.columns.size(); ++k)
                    if (equalsIgnoreCase(result.columns[k].name, e.parts.back())) {
                        ordinal = static_cast<int>(k + 1);
                        break;
                    }
            if (ordinal < 1 || ordinal > static_cast<int>(result.columns.size())) raise(104, e.line, {});
            std::string term = "\"c" + std::to_string(ordinal) + "\"";
            if (isCharacterType(result.columns[ordinal - 1].type.id)) term += collate;
            order += (order.empty() ? "" : ", ") + term + (o.descending ? " DESC" : "");
        }
        result.sql += " ORDER BY " + order;
    }
    return result;
}

} // namespace tsql::engine
