#pragma once
//! The database collation (Czech, case-insensitive, accent-sensitive, trailing blanks ignored) and LIKE.

#include <string_view>

namespace tsql {

//! Name under which registerSqliteFunctions installs the collation on a sqlite3 handle; translated SQL
//! writes `COLLATE tsql_cs_ci_as` on text comparisons, ORDER BY, GROUP BY, DISTINCT and UNIQUE columns.
inline constexpr std::string_view kCollationName = "tsql_cs_ci_as";

//! Compares UTF-8 texts under the database collation: <0, 0, >0. Case is ignored, accents are not
//! ("a" < "á"), Czech order ("ch" sorts after "h", "č" after "c"), trailing blanks ignored.
int collateCompare(std::string_view a, std::string_view b);

//! collateCompare(a, b) == 0.
inline bool collateEqual(std::string_view a, std::string_view b) {
    return collateCompare(a, b) == 0;
}

//! A sort key of the text: byte-wise comparison of keys orders as collateCompare (for GROUP BY, hashing).
std::string collateKey(std::string_view text);

//! `text LIKE pattern [ESCAPE escape]` under the collation: % any run, _ one character, [abc], [a-f],
//! [^abc]; each character compared case-insensitively and accent-sensitively. Every character of the
//! pattern counts, blanks too ('a' LIKE 'a ' is false); trailing blanks of `text` are ignored
//! ('a  ' LIKE 'a' is true, so padded CHAR columns match). `escape` 0 = none.
bool like(std::string_view text, std::string_view pattern, char32_t escape = 0);

//! UPPER/LOWER of UTF-8 text (Czech rules).
std::string upper(std::string_view text);
std::string lower(std::string_view text);

} // namespace tsql
