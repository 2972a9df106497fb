#include "dml.h"
#include "errors.h"
#include "sqlite_util.h"
#include "trigger.h"
#include "view_write.h"

namespace tsql::engine {

void executeDelete(Executor& ex, const DeleteStmt& stmt) {
    auto redirect = redirectDelete(ex, stmt);
    auto& s = ex.session();
    Binder b(s);
    Scope scope;
    std::string sql;
    std::string rowids; //!< the rowids of the rows deleted, for the triggers (empty: every row)
    std::shared_ptr<const TableInfo> table;
    if (stmt.from.empty()) {
        table = writableTable(ex, stmt.target, stmt.line);
        Source src = b.tableSource(table);
        scope.sources.push_back(src);
        sql = "DELETE FROM " + table->sqliteName() + " AS " + src.sqlAlias;
        // Without WHERE every row goes: the triggers' copy needs no list of rowids.
        if (stmt.where) {
            std::string where = " WHERE " + b.condition(*stmt.where, scope);
            sql += where;
            rowids = "SELECT " + src.sqlAlias + ".rowid FROM " + table->sqliteName() + " AS " + src.sqlAlias +
                     where;
        }
    } else {
        const Source* target = nullptr;
        std::string fromSql = bindTargetFrom(b, ex, stmt.target, stmt.from, scope, target, stmt.line);
        table = target->table;
        std::string inner = "SELECT " + target->sqlAlias + ".rowid FROM " + fromSql;
        if (stmt.where) inner += " WHERE " + b.condition(*stmt.where, scope);
        sql = "DELETE FROM " + table->sqliteName() + " WHERE rowid IN (" + inner + ")";
        rowids = inner;
    }
    long long changed = 0;
    TriggerFiring triggers(ex, *table, TriggerEvent::Delete);
    const bool everyRow = stmt.from.empty() && !stmt.where;
    ex.atomically([&] {
        if (everyRow && triggers.fireBeforeDeletingEveryRow()) {
            changed = runWrite(ex, sql, *table, WriteKind::Delete);
            return;
        }
        triggers.before(rowids);
        changed = runWrite(ex, sql, *table, WriteKind::Delete);
        triggers.after(changed);
    });
    s.rowCount = changed;
    ex.output().onRowsAffected(changed);
}

} // namespace tsql::engine
