#pragma once
//! Raising SQL Server errors from the engine with the line of the batch they belong to.

#include "tsql/error.h"

#include <string>
#include <vector>

namespace tsql::engine {

//! A fault of the engine itself (its text names what failed).
inline constexpr int kInternalErrorNumber = 8630;
//! SQLite found the database locked by another connection for longer than the busy timeout.
inline constexpr int kLockTimeoutNumber = 1222;

//! The message-table error `number` filled with `args`, at `line`, with SQL Server's `state`.
SqlError messageError(int number, int line, const std::vector<std::string>& args, int state = 1);

//! Throws messageError(number, line, args, state).
[[noreturn]] void raise(int number, int line, const std::vector<std::string>& args, int state = 1);

//! Throws the error for a construct this engine recognises but does not run (severity 15, like a
//! syntax error, so the whole batch is refused before anything runs).
[[noreturn]] void raiseUnsupported(int line, const std::string& construct);

} // namespace tsql::engine
