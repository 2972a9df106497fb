#pragma once
//! How SQL Server values live in SQLite: storage of each type, binding and reading values, and the
//! collation and functions translated SQL calls.
//!
//! Storage of each type (what a column or parameter holds in SQLite):
//!   BIT, TINYINT, SMALLINT, INT, BIGINT  INTEGER
//!   NUMERIC, DECIMAL, MONEY              INTEGER when the value is integral and fits 64 bits, else REAL
//!                                        when the REAL reads back to the same value at the type's scale
//!                                        (about 15 significant digits); anything else raises SqlError 8115
//!                                        rather than storing an inexact value. Native SQLite comparisons
//!                                        and ORDER BY work across all numeric types.
//!   REAL, FLOAT                          REAL
//!   DATETIME                             INTEGER: DateTime::totalTicks() (1/300 s since 1900-01-01)
//!   character types                      TEXT (UTF-8); compare with COLLATE tsql_cs_ci_as
//!   binary types                         BLOB
//!   UNIQUEIDENTIFIER                     BLOB of 16 bytes: guidSortKey(), so that SQLite orders GUIDs as
//!                                        SQL Server does
//!
//! Functions registered by registerSqliteFunctions. A "type code" is Type::code() written as an integer
//! literal; every value argument is followed by the code of its static type. All of them return NULL
//! for NULL input unless said otherwise, return their result in the storage above, and report errors as
//! sqlite3_result_error(encodeForSqlite(error)) (decode with decodeSqliteError):
//!   tsql_convert(x, fromCode, toCode, kind)         convert(); kind = int(ConversionKind)
//!   tsql_convert_style(x, fromCode, toCode, style)  convertStyle()
//!   tsql_op(op, l, lCode, r, rCode)                 binaryOp(); op = int(BinaryOp)
//!   tsql_chain(x0, code0, step1, x1, step2, x2...)  x0 op1 x1 op2 x2 ... from the left with binaryOp();
//!                                                   step = chainStep(op, type of x), at most
//!                                                   kChainStepsPerCall steps (SQLite's argument limit)
//!   tsql_bitxor(a, b)                               a ^ b of two integers
//!   tsql_neg(x, code)                               negate()
//!   tsql_cmp(l, lCode, r, rCode)                    compare(): -1, 0, 1 or NULL
//!   tsql_like(text, pattern [, escape])             like() on TEXT arguments: 1, 0 or NULL
//!   tsql_<name>(a1, code1, a2, code2, ...)          each FunctionInfo, name in lower case, e.g.
//!                                                   tsql_substring(x, c, 2, c2, 3, c3),
//!                                                   tsql_dateadd('dd', varcharCode, 1, intCode, d, dtCode),
//!                                                   tsql_getdate(); NULL handling as the function's own
//!   tsql_sum(x, code), tsql_avg(x, code)            aggregates with SQL Server's result types
//!                                                   (aggregateResultType), exact for NUMERIC/MONEY,
//!                                                   8115 on overflow of INT/BIGINT sums
//! The collation kCollationName ("tsql_cs_ci_as") is registered too. MIN, MAX and COUNT are SQLite's own
//! (MIN/MAX of text need the collation on their argument).

#include "tsql/error.h"
#include "tsql/value.h"

#include <cstdint>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;
struct sqlite3_value;
struct sqlite3_context;

namespace tsql {

//! Column type to write in SQLite's CREATE TABLE for a column of this type: "INTEGER", "REAL",
//! "NUMERIC", "TEXT" or "BLOB" (affinities that keep the stored values as they are).
std::string_view sqliteDeclType(const Type& type);

//! Binds `v` (already of the parameter's type) to parameter `index` (1-based) in its storage form.
//! Throws SqlError 8115 for a NUMERIC that cannot be stored exactly; std::runtime_error if SQLite fails.
void bindValue(sqlite3_stmt* stmt, int index, const Value& v);

//! Reads an SQLite value holding the storage of `type` back as a Value of that type. Values stored in
//! another class (e.g. a number in a TEXT column) are converted as SQL Server would convert them.
Value readValue(sqlite3_value* value, const Type& type);

//! readValue of column `col` (0-based) of the current row.
Value readColumn(sqlite3_stmt* stmt, int col, const Type& type);

//! Sets the result of a user function to `v` in its storage form.
void setResult(sqlite3_context* ctx, const Value& v);

//! An SQL literal of the storage form of `v` for SQLite text (NULL, 12, 1.5, 'it''s', X'0A1B').
std::string sqliteLiteral(const Value& v);

//! The operator and the operand's type code of one step of tsql_chain, in one integer.
inline constexpr int kChainOperatorShift = 56;
inline constexpr std::int64_t kChainCodeMask = (std::int64_t{1} << kChainOperatorShift) - 1;
inline std::int64_t chainStep(BinaryOp op, const Type& operand) {
    return operand.code() | static_cast<std::int64_t>(op) << kChainOperatorShift;
}
//! Steps one tsql_chain call takes: SQLite passes a function at most 127 arguments.
inline constexpr int kChainStepsPerCall = 62;

//! Registers the collation and every function above on `db`. Throws std::runtime_error if SQLite refuses.
void registerSqliteFunctions(sqlite3* db);

//! Result type of the aggregates SUM and AVG (SQL Server's: SUM(int) int, SUM(numeric(p,s))
//! numeric(38,s), AVG(numeric(p,s)) numeric(38,max(s,6)), MONEY stays MONEY, REAL becomes FLOAT);
//! COUNT is INT, MIN/MAX keep the argument type. Throws SqlError 8117 for types SUM/AVG refuse.
Type aggregateResultType(std::string_view name, const Type& arg);

} // namespace tsql
