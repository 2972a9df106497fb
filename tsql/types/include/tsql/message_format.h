#pragma once
//! Message texts built from templates: RAISERROR's printf-like format (formatMessage, which fills the
//! message table's templates, is declared in error.h and lives beside it).

#include "tsql/value.h"

#include <span>
#include <string>
#include <string_view>

namespace tsql {

//! RAISERROR's message: `templ` with each `%[flags][width][.precision][h|l|I64]type` replaced by the next
//! argument, as SQL Server formats it. Types: d and i (signed), u (unsigned), o (octal), x and X (hex),
//! s (text); flags `-` (left-justify), `+` (sign), `0` (zero padding), `#` (0, 0x or 0X prefix) and blank
//! (a space before a positive number); `*` as width or precision takes it from the next argument. `%%`
//! is a percent sign. A missing or NULL argument prints "(null)"; numbers are 32 bits wide unless the
//! I64 prefix is given. A message longer than 2047 characters keeps its first 2044 and "...".
std::string formatRaiserror(std::string_view templ, std::span<const Value> args);

} // namespace tsql
