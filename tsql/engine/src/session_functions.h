#pragma once
//! Functions and @@ values that depend on the session (login, database, identity, catalog), called from
//! translated SQL as tsql_session('NAME', args...).

#include "tsql/engine.h"

#include <sqlite3.h>

#include <cstddef>
#include <string_view>

namespace tsql::engine {

struct SessionCall;

//! One session function or @@ value.
struct SessionFunction {
    std::string_view name; //!< upper case; @@ values keep their @@
    int minArgs;
    int maxArgs;
    //! Kinds the arguments are converted to: 's' NVARCHAR, 'i' INT, 'b' VARBINARY (one letter each).
    std::string_view args;
    Type (*type)();
    //! Sets the result of a call.
    void (*eval)(SessionCall& call);
};

//! The session function of that name (case-insensitive), or nullptr.
const SessionFunction* findSessionFunction(std::string_view name);

//! Registers tsql_session and the engine's helper functions (tsql_error, tsql_next_identity,
//! tsql_variable) on a session's connection.
void registerSessionFunctions(sqlite3* db, Session::Impl* session);

} // namespace tsql::engine
