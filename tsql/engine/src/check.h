#pragma once
//! Checks made when a batch, procedure, trigger or dynamic batch is compiled, before any of its
//! statements runs: an error found here refuses the whole scope, as SQL Server's compile errors do.

#include "ast.h"
#include "catalog.h"

#include <string>
#include <vector>

namespace tsql::engine {

//! What is being compiled.
enum class ScopeKind { Batch, Procedure, Trigger, Dynamic };

//! Checks `statements` with the variables `declared` in scope (a procedure's parameters): a variable is
//! used only after its DECLARE in the text (137); a SELECT that assigns a variable assigns in every item
//! and combines no queries (141); built-in functions exist (195) and get a valid number of arguments
//! (174, 189); @@ functions exist; UPDATE(column) appears only in a trigger (156) and, when the
//! trigger's `table` is given, names one of its columns (207). The bodies of CREATE PROCEDURE and CREATE
//! TRIGGER are checked as scopes of their own, so that an object is never created when running it could
//! only fail so.
void checkScope(const std::vector<StmtPtr>& statements, const std::vector<std::string>& declared,
                ScopeKind kind, const TableInfo* table = nullptr);

} // namespace tsql::engine
