#pragma once
//! Text of values as tsqlsh prints them (a contract scripts and tests rely on).

#include "tsql/value.h"

#include <string>

namespace tsql {

//! `NULL`; text with `\` `\t` `\n` `\r` escaped as \\ \t \n \r; integers in decimal; BIT 0/1; NUMERIC,
//! DECIMAL and MONEY with exactly their scale; FLOAT/REAL as the shortest text that reads back to the
//! same value; DATETIME "yyyy-mm-dd hh:mi:ss.mmm"; binary "0x" + upper-case hex; UNIQUEIDENTIFIER
//! upper-case 8-4-4-4-12.
std::string formatForShell(const Value& v);

//! Shortest decimal text that reads back to the same double ("0.1", "1E+20" style is not used: "1e+20").
std::string shortestDouble(double d);

} // namespace tsql
