#include "dml.h"
#include "errors.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "trigger.h"
#include "tsql/collation.h"
#include "tsql/sqlite.h"
#include "view_write.h"

namespace tsql::engine {

namespace {

//! Target columns of an INSERT: indexes into the table's columns.
std::vector<int> targetColumns(const InsertStmt& stmt, const TableInfo& t) {
    std::vector<int> out;
    if (stmt.columns.empty()) {
        for (std::size_t i = 0; i < t.columns.size(); ++i)
            if (!t.columns[i].identity && !t.columns[i].isComputed()) out.push_back(static_cast<int>(i));
        return out;
    }
    for (const auto& name : stmt.columns) {
        int i = t.columnIndex(name);
        if (i < 0) raise(207, stmt.line, {name});
        for (int seen : out)
            if (seen == i) raise(264, stmt.line, {t.columns[i].name});
        if (t.columns[i].identity) raise(544, stmt.line, {t.name});
        if (t.columns[i].isComputed()) raise(271, stmt.line, {t.columns[i].name});
        out.push_back(i);
    }
    return out;
}

} // namespace

void executeInsert(Executor& ex, const InsertStmt& stmt) {
    auto redirect = redirectInsert(ex, stmt);
    auto& s = ex.session();
    auto table = writableTable(ex, stmt.table, stmt.line);
    const TableInfo& t = *table;
    std::vector<int> targets = stmt.defaultValues ? std::vector<int>{} : targetColumns(stmt, t);
    Binder b(s);

    // Columns not given get their default or the next identity value.
    std::vector<int> filled;
    std::vector<std::string> filledSql;
    for (std::size_t i = 0; i < t.columns.size(); ++i) {
        const ColumnInfo& c = t.columns[i];
        if (c.isComputed() || std::find(targets.begin(), targets.end(), static_cast<int>(i)) != targets.end())
            continue;
        if (c.identity) {
            filled.push_back(static_cast<int>(i));
            filledSql.push_back("tsql_next_identity(" + std::to_string(t.id) + ")");
        } else if (!c.defaultText.empty()) {
            filled.push_back(static_cast<int>(i));
            filledSql.push_back(defaultValueSql(b, t, static_cast<int>(i)));
        }
    }
    std::string columns;
    for (int i : targets)
        columns += (columns.empty() ? "" : ", ") + quoteName(t.columns[i].name);
    for (int i : filled)
        columns += (columns.empty() ? "" : ", ") + quoteName(t.columns[i].name);

    std::string sql = "INSERT INTO " + t.sqliteName();
    std::string source; //!< a SELECT of the new rows, for finding a duplicate key after a failure
    if (stmt.defaultValues || (targets.empty() && stmt.values.empty() && !stmt.select)) {
        if (columns.empty()) {
            sql += " DEFAULT VALUES";
        } else {
            std::string values;
            for (const auto& v : filledSql)
                values += (values.empty() ? "" : ", ") + v;
            sql += " (" + columns + ") VALUES (" + values + ")";
        }
    } else if (!stmt.values.empty()) {
        std::string rows;
        for (const auto& row : stmt.values) {
            if (row.size() > targets.size()) raise(110, stmt.line, {});
            if (row.size() < targets.size()) raise(109, stmt.line, {});
            std::string values;
            for (std::size_t k = 0; k < row.size(); ++k) {
                const ColumnInfo& c = t.columns[targets[k]];
                std::string v = row[k] ? b.convert(b.expr(*row[k], Scope{}), c.type, ConversionKind::Store)
                                       : defaultValueSql(b, t, targets[k]);
                values += (values.empty() ? "" : ", ") + v;
            }
            for (const auto& v : filledSql)
                values += ", " + v;
            rows += (rows.empty() ? "(" : ", (") + values + ")";
        }
        sql += " (" + columns + ") VALUES " + rows;
        source = "VALUES " + rows;
    } else {
        QueryShape q = b.query(*stmt.select, nullptr);
        if (q.columns.size() != targets.size())
            raise(q.columns.size() < targets.size() ? 120 : 121, stmt.line, {});
        std::string alias = b.newAlias("s");
        std::string values;
        for (std::size_t k = 0; k < targets.size(); ++k) {
            Bound src;
            src.sql = alias + ".\"c" + std::to_string(k + 1) + "\"";
            src.type = q.columns[k].type;
            values += (values.empty() ? "" : ", ") +
                      b.convert(src, t.columns[targets[k]].type, ConversionKind::Store);
        }
        for (const auto& v : filledSql)
            values += ", " + v;
        sql += " (" + columns + ") SELECT " + values + " FROM (" + q.sql + ") AS " + alias;
        source = "SELECT " + values + " FROM (" + q.sql + ") AS " + alias;
    }

    // Order of the columns in `source`: targets, then filled.
    std::vector<int> order = targets;
    order.insert(order.end(), filled.begin(), filled.end());
    DuplicateFinder finder = [&](const ConstraintInfo& c) -> std::string {
        if (source.empty()) return {};
        std::vector<int> keyPositions;
        for (const auto& name : c.columns) {
            int idx = t.columnIndex(name);
            auto it = std::find(order.begin(), order.end(), idx);
            if (it == order.end()) return {};
            keyPositions.push_back(static_cast<int>(it - order.begin()));
        }
        std::string alias = "\"dup\"";
        std::string keys, match, group;
        std::vector<ResultColumn> types;
        for (std::size_t k = 0; k < keyPositions.size(); ++k) {
            std::string col = alias + ".\"column" + std::to_string(keyPositions[k] + 1) + "\"";
            const ColumnInfo& ci = t.columns[order[keyPositions[k]]];
            std::string coll = isCharacterType(ci.type.id) ? " COLLATE " + std::string(kCollationName) : "";
            keys += (keys.empty() ? "" : ", ") + col;
            group += (group.empty() ? "" : ", ") + col + coll;
            match +=
                std::string(match.empty() ? "" : " AND ") + "x." + quoteName(ci.name) + coll + " = " + col;
            types.push_back({ci.name, ci.type});
        }
        // Re-evaluating the rows must not hand out identity values again.
        std::string named = "SELECT * FROM (" + source + ")";
        std::string values;
        for (std::size_t k = 0; k < order.size(); ++k)
            values += (k ? ", " : "") + std::string("\"column") + std::to_string(k + 1) + "\"";
        std::string probe = "WITH " + alias + "(" + values + ") AS (" + named + ") SELECT " + keys +
                            " FROM " + alias + " WHERE EXISTS (SELECT 1 FROM " + t.sqliteName() +
                            " AS x WHERE " + match + ") UNION ALL SELECT * FROM (SELECT " + keys + " FROM " +
                            alias + " GROUP BY " + group + " HAVING count(*) > 1) LIMIT 1";
        struct KeepCounters {
            Session::Impl& s;
            std::map<long long, IdentityCounter> saved = s.identityCounters;
            ~KeepCounters() { s.identityCounters = std::move(saved); }
        } keep{s};
        auto found = ex.rows(probe, types);
        return found.empty() ? std::string() : keyText(found.front());
    };

    long long changed = 0;
    TriggerFiring triggers(ex, t, TriggerEvent::Insert);
    ex.atomically([&] {
        triggers.before();
        withIdentity(ex, t, [&] { changed = runWrite(ex, sql, t, WriteKind::Insert, finder); });
        triggers.after(changed);
    });
    s.rowCount = changed;
    ex.output().rowsAffected = changed;
}

} // namespace tsql::engine
