#pragma once
//! Pieces shared by the SQLite storage and the SQLite functions (private to the library).

#include <string>

struct sqlite3_value;

namespace tsql::detail {

//! The text SQLite holds in a value (converting numbers as SQLite does); "" for NULL.
std::string sqliteText(sqlite3_value* v);

} // namespace tsql::detail
