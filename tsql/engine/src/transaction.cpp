#include "errors.h"
#include "exec.h"
#include "lexer.h"
#include "sqlite_util.h"

namespace tsql::engine {

void Executor::rollbackAll() {
    s_.doomed = false;
    if (s_.tranCount == 0) return;
    s_.tranCount = 0;
    // The transaction may already be gone (ended in a trigger); nothing is left to undo then.
    sqlite3_exec(s_.db, "ROLLBACK", nullptr, nullptr, nullptr);
    s_.catalog.invalidate();
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
        ex.run("CREATE TABLE IF NOT EXISTS main.tsql_permissions(action TEXT NOT NULL, permission TEXT NOT "
               "NULL, object TEXT NOT NULL COLLATE NOCASE, principal TEXT NOT NULL COLLATE NOCASE)");
        sqlite3_stmt* st = s.statements.get("INSERT INTO main.tsql_permissions VALUES (?, ?, ?, ?)");
        for (const auto& permission : stmt.permissions)
            for (const auto& principal : stmt.principals) {
                StatementReset reset(st);
                sqlite3_bind_text(st, 1, stmt.action.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(st, 2, permission.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(st, 3, stmt.object.c_str(), -1, SQLITE_TRANSIENT);
                sqlite3_bind_text(st, 4, principal.c_str(), -1, SQLITE_TRANSIENT);
                int rc = sqlite3_step(st);
                if (rc != SQLITE_DONE) throwSqlite(s.db, rc, sqlite3_sql(st));
            }
    });
}

} // namespace tsql::engine
