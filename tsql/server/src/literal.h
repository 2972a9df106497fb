#pragma once
//! T-SQL text for values and types: what the server writes when it turns a parameterised request into a
//! batch the engine runs.

#include "tsql/value.h"

#include <string>
#include <string_view>

namespace tsql::server {

//! An expression of exactly this value and type ("N'a''b'", "CAST('2024-02-29T23:59:58.997' AS DATETIME)",
//! "0x00FF", "NULL"). Throws SqlError for a floating-point value that is not finite.
std::string literal(const Value& v);

//! The type as a variable may be declared with it: TEXT, NTEXT and IMAGE become their MAX forms, which
//! variables may have.
std::string declarableType(const Type& type);

//! A name as T-SQL writes it in brackets: "[a]]b]".
std::string bracketed(std::string_view name);

} // namespace tsql::server
