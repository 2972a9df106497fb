#pragma once
//! SQL Server's stored form of the text of a default, a CHECK constraint or a computed column.

#include <string>
#include <string_view>

namespace tsql::engine {

//! The expression as SQL Server keeps it in syscomments: the whole in parentheses, numeric constants in
//! their own parentheses, columns in square brackets, function names in lower case, BETWEEN and IN
//! rewritten as comparisons ("DEFAULT 0" -> "((0))", "c BETWEEN 1 AND 4" -> "([c]>=(1) AND [c]<=(4))").
//! Raises the error of an expression that has no stored form (1046 for a subquery, the unsupported-
//! construct error for a variable) and the syntax error of a text that does not parse, so that CREATE and
//! ALTER TABLE refuse what the catalog could not show.
std::string normalisedExpressionText(std::string_view text);

} // namespace tsql::engine
