#pragma once
//! The system stored procedures the engine runs itself (sp_rename, sp_refreshview, sp_executesql), and
//! what they share: reading their arguments and multi-part names.

#include "ast.h"

#include <string>
#include <vector>

namespace tsql::engine {

class Executor;

//! Runs `stmt` when it calls a system procedure; false when it names another procedure.
bool runSystemProcedure(Executor& ex, const ExecStmt& stmt);

//! EXEC sp_refreshview 'view': records the columns the view's query gives today (a view over * takes
//! the columns its tables have now). Error 15165 when no view has that name.
void executeRefreshView(Executor& ex, const ExecStmt& stmt);

//! EXEC sp_executesql @stmt [, @params, @p1 = v1 ...]: a dynamic batch with typed parameters, OUTPUT
//! parameters assigned back.
void executeSql(Executor& ex, const ExecStmt& stmt);

//! The text of a system procedure's argument, passed at `position` or as `name` (empty when missing or
//! NULL).
std::string systemArgument(Executor& ex, const ExecStmt& stmt, std::size_t position, const char* name);

//! 'a.b.c' split at dots outside brackets, brackets removed.
std::vector<std::string> nameParts(const std::string& text);

} // namespace tsql::engine
