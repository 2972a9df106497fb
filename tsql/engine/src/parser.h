#pragma once
//! Recursive-descent parser of whole T-SQL batches.

#include "ast.h"
#include "lexer.h"

#include <string_view>

namespace tsql::engine {

//! Parses a whole batch before anything runs; throws SqlError 102 (or the unsupported-construct
//! error) naming the token and its line, refusing the whole batch.
Batch parseBatch(std::string_view text);

//! Parses a single expression (used for stored defaults and computed columns).
ExprPtr parseExpression(std::string_view text);

//! Parses the parameter declarations of sp_executesql ("@a INT, @b NVARCHAR(10) OUTPUT").
std::vector<ParameterDecl> parseParameters(std::string_view text);

} // namespace tsql::engine
