#pragma once
//! Operators of T-SQL expressions on Values: arithmetic, concatenation, comparison, unary minus.

#include "tsql/value.h"

#include <cstdint>

namespace tsql {

//! `l op r` with SQL Server's semantics: operands converted to binaryResultType (errors 245/8114 for
//! text that is no number), integer division and % truncating toward zero, 8134 division by zero,
//! 8115 overflow of the result type, NUMERIC exact with the result precision/scale, `+` concatenating
//! two character or two binary operands, DATETIME +/- a number of days (and datetime - datetime).
//! NULL in, NULL (of the result type) out.
Value binaryOp(BinaryOp op, const Value& l, const Value& r);

//! `a op b` in 64 bits as integer arithmetic does it (division and % truncating toward zero) into
//! `result`; false on division by zero or a result outside 64 bits.
bool integerOperation(BinaryOp op, std::int64_t a, std::int64_t b, std::int64_t& result);

//! Unary minus (8115 for -(-2147483648) as INT).
Value negate(const Value& v);

//! SQL comparison after implicit conversion to comparisonType: <0, 0, >0, or std::nullopt when either
//! side is NULL. Text under the database collation.
std::optional<int> compare(const Value& l, const Value& r);

//! Three-valued truth: NULL as std::nullopt.
using Truth = std::optional<bool>;

} // namespace tsql
