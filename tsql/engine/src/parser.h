#pragma once
//! Recursive-descent parser of whole T-SQL batches.

#include "ast.h"
#include "lexer.h"

#include <string_view>

namespace tsql::engine {

//! Parses a whole batch before anything runs; throws SqlError 102 (or the unsupported-construct
//! error) naming the token and its line, refusing the whole batch.
Batch parseBatch(std::string_view text);

//! A constant of a parsed batch: the literal token (its index among the batch's tokens) a literal expression
//! was made from, and the innermost statement holding it.
struct LiteralSite {
    std::size_t token = 0;
    Expr* expr = nullptr;
    Statement* owner = nullptr;
};

//! What a parse noted for reusing its tree with other constants (batch_cache.cpp).
struct ParseNotes {
    std::vector<LiteralSite> literals;
    //! Some part of the tree keeps a piece of the batch's text (a definition, a default's text), which
    //! holds the constants as written.
    bool keepsText = false;
};

//! Parses a batch already split into tokens, noting its literal expressions and their statements.
Batch parseBatch(std::string_view text, std::vector<Token> tokens, ParseNotes& notes);

//! Parses a single expression (used for stored defaults and computed columns).
ExprPtr parseExpression(std::string_view text);

//! Parses the parameter declarations of sp_executesql ("@a INT, @b NVARCHAR(10) OUTPUT").
std::vector<ParameterDecl> parseParameters(std::string_view text);

} // namespace tsql::engine
