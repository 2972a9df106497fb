#pragma once
//! The messages the server itself reports (logins, databases, requests), with SQL Server's numbers,
//! severities and states; errors the engine raises keep the engine's.

#include "tsql/engine.h"

#include <string>
#include <string_view>
#include <vector>

namespace tsql::server {

struct ServerMessageInfo {
    int number;
    int severity;
    int state;
    std::string_view text; //!< %s and %d placeholders, filled in order
};

inline constexpr ServerMessageInfo kServerMessages[] = {
    {911, 16, 1, "Database '%s' does not exist. Make sure that the name is entered correctly."},
    {1801, 16, 3, "Database '%s' already exists. Choose a different database name."},
    {4002, 16, 1,
     "The incoming tabular data stream (TDS) protocol stream is incorrect. The stream ended unexpectedly."},
    {4060, 11, 1, "Cannot open database \"%s\" requested by the login. The login failed."},
    {5701, 0, 2, "Changed database context to '%s'."},
    {5703, 0, 1, "Changed language setting to %s."},
    {8016, 16, 2,
     "The incoming tabular data stream (TDS) remote procedure call (RPC) protocol stream is incorrect. "
     "Parameter %d (\"%s\"): Data type 0x%s is unknown."},
    {8178, 16, 1, "The parameterized query '%s' expects the parameter '%s', which was not supplied."},
    {8179, 16, 4, "Could not find prepared statement with handle %d."},
    {214, 16, 2, "Procedure expects parameter '%s' of type '%s'."},
    {18452, 14, 1,
     "Login failed. The login is from an untrusted domain and cannot be used with Integrated "
     "authentication."},
    {18456, 14, 1, "Login failed for user '%s'."},
};

//! The message of a number in the table with its placeholders filled; throws std::logic_error for a
//! number that is not in it.
Message serverMessage(int number, const std::vector<std::string>& args = {});

} // namespace tsql::server
