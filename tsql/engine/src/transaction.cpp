#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "sqlite_util.h"
#include "table_variable.h"

namespace tsql::engine {

void Executor::rollbackAll() {
    s_.doomed = false;
    if (s_.tranCount == 0) return;
    s_.tranCount = 0;
    TableVariablesKept kept(s_);
    // The transaction may already be gone (ended in a trigger); nothing is left to undo then.
    sqlite3_exec(s_.db, "ROLLBACK", nullptr, nullptr, nullptr);
    s_.catalog.invalidate();
    kept.restore();
}

bool Executor::abortsOnError(const SqlError& e, const Instruction& in) const {
    // RAISERROR reports an error without ending anything, even under XACT_ABORT; a name a trigger
    // cannot resolve ends only the trigger.
    if (!s_.xactAbort && endsOf(e) == ErrorEnds::Scope) return false;
    return (abortOnError_ || s_.xactAbort) && e.severity() >= 11 && in.stmt &&
           in.stmt->kind != StmtKind::Raiserror;
}

void Executor::setOption(const SimpleStmt& stmt) {
    s_.rowCount = 0;
    if (stmt.name == "XACT_ABORT") s_.xactAbort = stmt.value->text == "ON";
}

void Executor::useDatabase(const SimpleStmt& stmt) {
    s_.rowCount = 0;
    if (!equalsIgnoreCase(stmt.name, s_.database->name())) raise(911, stmt.line, {stmt.name});
}

void recordPermission(Executor& ex, const PermissionStmt& stmt) {
    auto& s = ex.session();
    s.rowCount = 0;
    if (!stmt.object.empty() && !s.catalog.objectId(stmt.object)) raise(15151, stmt.line, {stmt.object});
    ex.atomically([&] {
        for (const auto& permission : stmt.permissions)
            for (const auto& principal : stmt.principals)
                s.catalog.recordPermission(stmt.action, permission, stmt.object, principal);
    });
}

} // namespace tsql::engine
