#pragma once
//! Cursors: the DECLARE CURSOR, OPEN, FETCH, CLOSE and DEALLOCATE statements and the cursors a
//! session holds (GLOBAL ones for the session, LOCAL ones per batch, procedure or trigger scope).

#include "ast.h"
#include "session.h"

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tsql::engine {

class Executor;

//! DECLARE name [INSENSITIVE] [SCROLL] CURSOR [options] FOR select [FOR READ ONLY | FOR UPDATE [OF ...]].
struct DeclareCursorStmt : Statement {
    DeclareCursorStmt()
        : Statement(StmtKind::DeclareCursor) {}
    std::string name;
    bool global = true; //!< GLOBAL, the database default when neither LOCAL nor GLOBAL is said
    bool scroll = false;
    bool forwardOnly = false;
    bool keepsCount = false; //!< STATIC, KEYSET or INSENSITIVE: @@CURSOR_ROWS reports the row count
    //! Shared with the cursors declared from it, which outlive the batch that declared them.
    std::shared_ptr<const Query> query;
};

//! Where FETCH moves to.
enum class FetchDirection { Next, Prior, First, Last, Absolute, Relative };

//! OPEN, FETCH, CLOSE or DEALLOCATE [GLOBAL] name.
struct CursorStmt : Statement {
    explicit CursorStmt(StmtKind k)
        : Statement(k) {}
    std::string name;
    bool global = false;
    FetchDirection direction = FetchDirection::Next;
    ExprPtr offset;                //!< ABSOLUTE / RELATIVE n
    std::vector<std::string> into; //!< FETCH ... INTO @a, @b
    bool hasInto = false;
};

//! Runs a cursor statement.
void executeCursor(Executor& ex, const Statement& stmt);

struct Cursor;

//! FETCH NEXT ... INTO compiled with its scope: the variables as slots of the scope's frame, and the
//! cursor its last run found, used again while the session's cursors stay as they were (no DECLARE,
//! DEALLOCATE or scope begun or ended since).
struct FetchPlan {
    std::vector<std::size_t> slots;
    std::shared_ptr<Cursor> cursor;
    std::uint64_t generation = 0;
};

//! Runs FETCH NEXT ... INTO by its plan; false, having changed nothing, when the general path must run
//! it (an error to raise).
bool fetchNext(Executor& ex, const CursorStmt& stmt, FetchPlan& plan);

//! Opens a scope for LOCAL cursors (a batch, procedure, trigger or dynamic batch) and deallocates
//! the cursors declared in it when the scope ends.
class CursorScope {
public:
    explicit CursorScope(Session::Impl& session);
    ~CursorScope();
    CursorScope(const CursorScope&) = delete;
    CursorScope& operator=(const CursorScope&) = delete;

private:
    Session::Impl& s_;
};

} // namespace tsql::engine
