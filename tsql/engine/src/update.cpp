#include "dml.h"
#include "errors.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "trigger.h"
#include "tsql/collation.h"
#include "view_write.h"

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
    if (!found->table->storage.empty()) refusePseudoTable(line);
    return sql;
}

void executeUpdate(Executor& ex, const UpdateStmt& stmt) {
    auto redirect = redirectUpdate(ex, stmt);
    auto& s = ex.session();
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
        if (c.identity) raise(8102, stmt.line, {c.name});
        if (c.isComputed()) raise(271, stmt.line, {c.name});
        std::string value;
        if (!a.value) {
            value = defaultValueSql(b, t, i);
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
    // The changed rows with their new values: the source of the UPDATE ... FROM form, and what a failed
    // unique constraint is explained from.
    std::string inner = "SELECT " + target->sqlAlias + ".rowid AS \"rid\"";
    for (std::size_t k = 0; k < sets.size(); ++k)
        inner += ", " + sets[k].second + " AS \"v" + std::to_string(k + 1) + "\"";
    inner += " FROM " + (stmt.from.empty() ? t.sqliteName() + " AS " + target->sqlAlias : fromSql);
    if (!where.empty()) inner += " WHERE " + where;
    std::string sql;
    if (stmt.from.empty()) {
        sql = "UPDATE " + t.sqliteName() + " AS " + target->sqlAlias + " SET ";
        for (std::size_t k = 0; k < sets.size(); ++k)
            sql += (k ? ", " : "") + quoteName(t.columns[sets[k].first].name) + " = " + sets[k].second;
        if (!where.empty()) sql += " WHERE " + where;
    } else {
        std::string q = b.newAlias("u");
        sql = "UPDATE " + t.sqliteName() + " SET ";
        for (std::size_t k = 0; k < sets.size(); ++k)
            sql += (k ? ", " : "") + quoteName(t.columns[sets[k].first].name) + " = " + q + ".\"v" +
                   std::to_string(k + 1) + "\"";
        sql += " FROM (" + inner + ") AS " + q + " WHERE " + t.sqliteName() + ".rowid = " + q + ".\"rid\"";
    }
    bool spurious =
        false; //!< a key clashed only midway: SQLite checks keys row by row, SQL Server per statement
    DuplicateFinder finder = [&](const ConstraintInfo& c) -> std::string {
        // New key of each changed row: the assigned value, or the row's own where the key column is kept.
        std::string keys, group, match;
        std::vector<ResultColumn> types;
        for (const auto& name : c.columns) {
            int col = t.columnIndex(name);
            std::string value = "r." + quoteName(t.columns[col].name);
            for (std::size_t k = 0; k < sets.size(); ++k)
                if (sets[k].first == col) value = "u.\"v" + std::to_string(k + 1) + "\"";
            std::string coll =
                isCharacterType(t.columns[col].type.id) ? " COLLATE " + std::string(kCollationName) : "";
            std::size_t n = types.size() + 1;
            keys += (keys.empty() ? "" : ", ") + value + " AS \"k" + std::to_string(n) + "\"";
            group += std::string(group.empty() ? "" : ", ") + "\"k" + std::to_string(n) + "\"" + coll;
            match += std::string(match.empty() ? "" : " AND ") + "x." + quoteName(t.columns[col].name) +
                     coll + " = n.\"k" + std::to_string(n) + "\"";
            types.push_back({name, t.columns[col].type});
        }
        std::string cols;
        for (std::size_t k = 1; k <= types.size(); ++k)
            cols += (k > 1 ? ", " : "") + std::string("\"k") + std::to_string(k) + "\"";
        std::string probe = "WITH u AS (" + inner + "), n AS (SELECT " + keys +
                            ", u.\"rid\" AS \"rid\" FROM u JOIN " + t.sqliteName() +
                            " AS r ON r.rowid = u.\"rid\") SELECT " + cols +
                            " FROM n WHERE EXISTS (SELECT 1 FROM " + t.sqliteName() + " AS x WHERE " + match +
                            " AND x.rowid NOT IN (SELECT \"rid\" FROM u)) UNION ALL SELECT * FROM (SELECT " +
                            cols + " FROM n GROUP BY " + group + " HAVING count(*) > 1) LIMIT 1";
        auto found = ex.rows(probe, types);
        spurious = found.empty();
        return found.empty() ? std::string() : keyText(found.front());
    };
    long long changed = 0;
    std::vector<int> setColumns;
    for (const auto& set : sets)
        setColumns.push_back(set.first);
    TriggerFiring triggers(ex, t, TriggerEvent::Update, setColumns);
    ex.atomically([&] {
        triggers.before("SELECT \"rid\" FROM (" + inner + ")");
        try {
            changed = runWrite(ex, sql, t, WriteKind::Update, finder);
        } catch (const SqlError& e) {
            if (e.number() != 2627 || !spurious) throw;
            // Keys such as ID = ID + 1 collide only while rows are changed one by one: take the rows out
            // and put them back with their new values, so that only the final keys are checked.
            std::string columns, values;
            for (std::size_t i = 0; i < t.columns.size(); ++i) {
                if (t.columns[i].isComputed()) continue;
                std::string value = "r." + quoteName(t.columns[i].name);
                for (std::size_t k = 0; k < sets.size(); ++k)
                    if (sets[k].first == static_cast<int>(i)) value = "u.\"v" + std::to_string(k + 1) + "\"";
                columns += ", " + quoteName(t.columns[i].name);
                values += ", " + value;
            }
            ex.run("DROP TABLE IF EXISTS temp.tsql_rewrite");
            ex.run("CREATE TEMP TABLE tsql_rewrite AS SELECT u.\"rid\" AS \"rid\"" + values + " FROM (" +
                   inner + ") AS u JOIN " + t.sqliteName() +
                   " AS r ON r.rowid = u.\"rid\" GROUP BY u.\"rid\"");
            ex.run("DELETE FROM " + t.sqliteName() +
                   " WHERE rowid IN (SELECT \"rid\" FROM temp.tsql_rewrite)");
            spurious = false;
            changed = runWrite(ex,
                               "INSERT INTO " + t.sqliteName() + " (rowid" + columns +
                                   ") SELECT * FROM temp.tsql_rewrite",
                               t, WriteKind::Update, finder);
            ex.run("DROP TABLE temp.tsql_rewrite");
        }
        triggers.after(changed);
    });
    s.rowCount = changed;
    ex.output().rowsAffected = changed;
}

} // namespace tsql::engine
