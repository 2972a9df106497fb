#pragma once
//! State of a database and of a session: the SQLite connection, catalog, variables and the values
//! behind @@ERROR, @@ROWCOUNT, @@IDENTITY and friends.

#include "batch_cache.h"
#include "catalog.h"
#include "sqlite_util.h"
#include "tsql/engine.h"

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace tsql::engine {

struct TableVariable;

//! A declared variable of the running batch.
struct Variable {
    std::string name;
    Type type;
    Value value;
    std::shared_ptr<TableVariable> table; //!< the rows of a table variable (DECLARE @t TABLE)
};

//! Identity values handed out while one statement runs.
struct IdentityCounter {
    std::optional<long long> current;
    long long seed = 1;
    long long increment = 1;
    bool changed = false;
};

//! The cursors of a session (cursor.cpp).
struct CursorState;

//! Hash of a literal's type and value (text, binary and GUID values).
std::size_t literalHash(const Value& v);

//! The literals bound while it lives are dropped when it goes; with `newScope`, the literals of a
//! scope of its own (a batch, procedure, trigger or dynamic batch), numbered from its first one.
class LiteralScope {
public:
    LiteralScope(Session::Impl& session, bool newScope);
    ~LiteralScope();
    LiteralScope(const LiteralScope&) = delete;
    LiteralScope& operator=(const LiteralScope&) = delete;

private:
    //! Drops the literals bound since the scope began.
    void drop();
    Session::Impl& s_;
    std::size_t mark_;
    std::size_t base_;
};

} // namespace tsql::engine

namespace tsql {

struct Database::Impl {
    std::string path; //!< file, or the shared in-memory URI
    std::string uri;
    std::string name;
    std::string serverName;
    bool memory = false;
    sqlite3* keepAlive = nullptr; //!< keeps a shared in-memory database alive between sessions
    int nextSpid = 51;
    ~Impl();
};

struct Session::Impl {
    Impl(std::shared_ptr<Database> database, sqlite3* db, std::string login, int spid);
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    std::shared_ptr<Database> database;
    sqlite3* db;
    std::string login;
    int spid;
    engine::Catalog catalog;
    engine::StatementCache statements;
    //! Batches parsed before, reused when a batch differs from one of them in its constants only.
    engine::BatchCache batches;

    // Batch state.
    std::vector<engine::Variable> variables;

    //! Text, binary and GUID constants of the statements being bound and run, handed to SQLite as bound
    //! parameters, never as text in the SQL: literals[literalBase + k] is parameter ?(V + 1 + k) after
    //! the V variables of the running scope (engine::LiteralScope).
    std::vector<Value> literals;
    std::size_t literalBase = 0;
    //! Hash of a literal -> its position, so that a constant bound twice is one parameter (the SQL of
    //! equal expressions stays equal).
    std::unordered_multimap<std::size_t, std::size_t> literalIndex;

    //! Times the client's sink was handed something (results, messages, counts).
    std::uint64_t clientCalls = 0;

    // Values behind the @@ functions.
    int error = 0;
    long long rowCount = 0;
    std::optional<long long> identity;
    std::optional<long long> scopeIdentity;
    int tranCount = 0;
    int nestLevel = 0;      //!< procedures being run (@@NESTLEVEL)
    bool xactAbort = false; //!< SET XACT_ABORT ON: a runtime error rolls back and ends the batch

    // TRY ... CATCH.
    int tryDepth = 0; //!< scopes (batch, procedures, triggers) whose running statement is in a TRY block
    //! Errors of the CATCH blocks running, innermost last: what ERROR_NUMBER() and the others report.
    std::vector<SqlError> caught;
    bool doomed = false; //!< the open transaction can only be rolled back (XACT_STATE() = -1)

    // The running trigger: its id and the `inserted`/`deleted` tables visible at its nest level only.
    long long trigger = 0;
    int triggerLevel = -1;
    std::shared_ptr<const engine::TableInfo> inserted, deleted;
    //! COLUMNS_UPDATED() of the running trigger: bit (colid - 1) % 8 of byte (colid - 1) / 8 is set
    //! for each column its statement set (every column for an INSERT).
    std::vector<std::uint8_t> columnsUpdated;
    int fetchStatus = -1;     //!< @@FETCH_STATUS
    long long cursorRows = 0; //!< @@CURSOR_ROWS
    //! GLOBAL cursors and the LOCAL ones of each running scope, created on first use.
    std::shared_ptr<engine::CursorState> cursors;

    //! Parsed procedures by their text, kept as long as the session (ExecStmt::called points into them).
    std::map<std::string, std::shared_ptr<const engine::Batch>> procedures;
    //! Parsed procedures by the name a call gave, read under the catalog generation noted.
    struct CalledProcedure {
        long long generation = -1;
        std::shared_ptr<const engine::Batch> batch;
    };
    std::map<std::string, CalledProcedure, std::less<>> calledProcedures;

    //! Identity counters of the statement being run, by table id.
    std::map<long long, engine::IdentityCounter> identityCounters;

    //! Table variables alive in any scope (their rows outlive a ROLLBACK), and the next id to give one.
    std::vector<std::weak_ptr<engine::TableVariable>> tableVariables;
    long long nextTableVariableId = -1000000000;
    //! INSERT ... EXEC statements running (they cannot nest).
    int insertExecs = 0;

    //! A variable by name, or nullptr.
    engine::Variable* variable(std::string_view name);
    //! The slot of the variable named `name` (case-insensitive), or nullopt. A scope holds a few
    //! variables, and names are unique among them: a scan costs less than keeping an index per frame.
    std::optional<std::size_t> slotOf(std::string_view name) const;
    //! The same, trying the slot `hint` first (names are unique among the variables), which it sets to
    //! the slot found.
    engine::Variable* variable(std::string_view name, std::size_t& hint) {
        // The usual case, kept inline: the name written as declared, in the slot found last.
        if (hint < variables.size() && variables[hint].name == name) return &variables[hint];
        return variableByName(name, hint);
    }
    engine::Variable* variableByName(std::string_view name, std::size_t& hint);
};

} // namespace tsql

namespace tsql::engine {

// Inline: a scope is begun and ended for every statement and call, mostly without literals of its own.
inline LiteralScope::LiteralScope(Session::Impl& session, bool newScope)
    : s_(session)
    , mark_(session.literals.size())
    , base_(session.literalBase) {
    if (newScope) s_.literalBase = mark_;
}

inline LiteralScope::~LiteralScope() {
    if (s_.literals.size() != mark_) drop();
    s_.literalBase = base_;
}

} // namespace tsql::engine
