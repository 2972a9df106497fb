#pragma once
//! Cursors: the DECLARE CURSOR, OPEN, FETCH, CLOSE and DEALLOCATE statements and the cursors a
//! session holds (GLOBAL ones for the session, LOCAL ones per batch, procedure or trigger scope).

#include "ast.h"
#include "session.h"

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
