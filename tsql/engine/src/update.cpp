#include "dml.h"
#include "errors.h"
#include "lexer.h"
#include "sqlite_util.h"

namespace tsql::engine {

namespace {

//! The FROM item an UPDATE or DELETE names as its target (by alias or table name), or nullptr.
const Source* targetSource(const Scope& scope, const ObjectName& target) {
    for (const Source& s : scope.sources)
        if (equalsIgnoreCase(s.exposed, target.name())) return &s;
    for (const Source& s : scope.sources)
        if (s.table && equalsIgnoreCase(s.table->name, target.name())) return &s;
    return nullptr;
}

} // namespace

std::string bindTargetFrom(Binder& b, Executor& ex, const ObjectName& target,
                           const std::vector<std::unique_ptr<TableRef>>& from, Scope& scope,
                           const Source*& found, int line) {
    std::string sql = b.from(from, scope);
    found = targetSource(scope, target);
    if (!found) {
        auto table = writableTable(ex, target, line);
        Source src;
        src.exposed = table->name;
        src.sqlAlias = b.newAlias("t");
        for (const auto& c : table->columns)
            src.columns.push_back({c.name, c.type, quoteName(c.name)});
        src.table = table;
        sql += ", " + table->sqliteName() + " AS " + src.sqlAlias;
        scope.sources.push_back(std::move(src));
        found = &scope.sources.back();
    }
    if (!found->table) raiseUnsupported(line, "changing data through a view or derived table");
    return sql;
}

void executeUpdate(Executor& ex, const UpdateStmt& stmt) {
    auto& s = ex.session();
    if (stmt.top) raiseUnsupported(stmt.line, "UPDATE TOP");
    Binder b(s);
    Scope scope;
    const Source* target = nullptr;
    std::string fromSql;
    if (stmt.from.empty()) {
        auto table = writableTable(ex, stmt.target, stmt.line);
        Source src;
        src.exposed = table->name;
        src.sqlAlias = b.newAlias("t");
        for (const auto& c : table->columns)
            src.columns.push_back({c.name, c.type, quoteName(c.name)});
        src.table = table;
        scope.sources.push_back(std::move(src));
        target = &scope.sources.back();
    } else {
        fromSql = bindTargetFrom(b, ex, stmt.target, stmt.from, scope, target, stmt.line);
    }
    auto table = target->table;
    const TableInfo& t = *table;

    std::vector<std::pair<int, std::string>> sets;
    for (const auto& a : stmt.sets) {
        if (a.column.front()[0] == '@') raiseUnsupported(stmt.line, "assigning variables in UPDATE ... SET");
        const std::string& name = a.column.back();
        if (a.column.size() > 1 && !equalsIgnoreCase(a.column[a.column.size() - 2], target->exposed) &&
            !equalsIgnoreCase(a.column[a.column.size() - 2], t.name)) {
            std::string full;
            for (std::size_t i = 0; i < a.column.size(); ++i)
                full += (i ? "." : "") + a.column[i];
            raise(4104, stmt.line, {full});
        }
        int i = t.columnIndex(name);
        if (i < 0) raise(207, stmt.line, {name});
        const ColumnInfo& c = t.columns[i];
        if (c.identity)
            throw SqlError(8102, 16, 1, "Cannot update identity column '" + c.name + "'.", stmt.line);
        if (c.isComputed())
            throw SqlError(
                271, 16, 1,
                "The column \"" + c.name +
                    "\" cannot be modified because it is either a computed column or is the result of a "
                    "UNION operator.",
                stmt.line);
        std::string value;
        if (!a.value) {
            value = defaultValueSql(b, c);
        } else {
            Bound v = b.expr(*a.value, scope);
            if (a.op != "=") {
                Expr current;
                current.kind = ExprKind::Column;
                current.parts = {target->exposed, c.name};
                Bound cur = b.expr(current, scope);
                static const char* ops = "+-*/%";
                int op = static_cast<int>(std::string_view(ops).find(a.op[0]));
                Type rt = binaryResultType(static_cast<BinaryOp>(op), cur.type, v.type);
                Bound combined;
                combined.type = rt;
                combined.sql = "tsql_op(" + std::to_string(op) + ", " + cur.sql + ", " +
                               std::to_string(cur.type.code()) + ", " + v.sql + ", " +
                               std::to_string(v.type.code()) + ")";
                v = combined;
            }
            value = b.convert(v, c.type, ConversionKind::Store);
        }
        sets.emplace_back(i, value);
    }

    std::string where = stmt.where ? b.condition(*stmt.where, scope) : "";
    std::string sql;
    if (stmt.from.empty()) {
        sql = "UPDATE " + t.sqliteName() + " AS " + target->sqlAlias + " SET ";
        for (std::size_t k = 0; k < sets.size(); ++k)
            sql += (k ? ", " : "") + quoteName(t.columns[sets[k].first].name) + " = " + sets[k].second;
        if (!where.empty()) sql += " WHERE " + where;
    } else {
        std::string q = b.newAlias("u");
        std::string inner = "SELECT " + target->sqlAlias + ".rowid AS \"rid\"";
        for (std::size_t k = 0; k < sets.size(); ++k)
            inner += ", " + sets[k].second + " AS \"v" + std::to_string(k + 1) + "\"";
        inner += " FROM " + fromSql;
        if (!where.empty()) inner += " WHERE " + where;
        sql = "UPDATE " + t.sqliteName() + " SET ";
        for (std::size_t k = 0; k < sets.size(); ++k)
            sql += (k ? ", " : "") + quoteName(t.columns[sets[k].first].name) + " = " + q + ".\"v" +
                   std::to_string(k + 1) + "\"";
        sql += " FROM (" + inner + ") AS " + q + " WHERE " + t.sqliteName() + ".rowid = " + q + ".\"rid\"";
    }
    long long changed = 0;
    ex.atomically([&] { changed = runWrite(ex, sql, t, WriteKind::Update); });
    s.rowCount = changed;
    ex.output().rowsAffected = changed;
}

} // namespace tsql::engine
