#pragma once
//! Conversions between SQL Server types: implicit rules, CAST, CONVERT with styles, assignment and store.

#include "tsql/value.h"

namespace tsql {

//! Whether a conversion from one type to another happens by itself, needs CAST/CONVERT, or is forbidden
//! (SQL Server's conversion chart).
enum class Convertibility { Same, Implicit, Explicit, Forbidden };
Convertibility convertibility(TypeId from, TypeId to);

//! Why a value is converted; decides the checks and how too long text is treated.
enum class ConversionKind {
    Explicit,   //!< CAST/CONVERT: forbidden pairs raise 529; text/binary cut silently to the target length
    Implicit,   //!< inside an expression: explicit-only pairs raise 257, forbidden pairs 206
    Assignment, //!< SET @v = / SELECT @v = / parameter: as Implicit, text/binary cut silently
    Store,      //!< INSERT/UPDATE into a column: as Implicit, too long text/binary raises 8152 (also for a
                //!< number whose text does not fit, where CAST would give '*')
};

//! Converts `v` to `to`. NULL stays NULL (of the target type). Errors as SQL Server raises them:
//! 245 text to integer, 8114 text to numeric/float, 235 text to money, 241/242 text to datetime,
//! 8169 text to uniqueidentifier, 8115/220 overflow, 529/257/206 disallowed pairs, 8152 store truncation.
//! Numbers to NUMERIC round half away from zero to the target scale; to integers they truncate toward
//! zero (from NUMERIC/FLOAT), as SQL Server does.
Value convert(const Value& v, const Type& to, ConversionKind kind = ConversionKind::Explicit);

//! CONVERT(to, v, style). Styles for DATETIME <-> text: 0/100 "mon dd yyyy hh:miAM", 1 "mm/dd/yy",
//! 101 "mm/dd/yyyy", 103 "dd/mm/yyyy", 104 "dd.mm.yyyy", 112 "yyyymmdd", 120 "yyyy-mm-dd hh:mi:ss",
//! 121 "yyyy-mm-dd hh:mi:ss.mmm", 126 "yyyy-mm-ddThh:mi:ss[.mmm]", also 2, 3, 4, 8, 102, 108.
//! FLOAT/REAL to text: 0 (up to 6 digits), 1 (8 digits), 2 (16 digits); MONEY to text 0, 1, 2.
//! An unknown style raises 281 ("%d is not a valid style number when converting from %s to %s.").
Value convertStyle(const Value& v, const Type& to, int style);

//! Text of a value as CAST(v AS NVARCHAR(MAX)) gives it (style 0). NULL gives "".
std::string toText(const Value& v);

//! Cuts text to `maxChars` characters (UTF-8 aware). Counts UTF-16 units for Unicode types.
std::string cutText(const std::string& s, std::int32_t maxChars, bool unicode);

//! Number of characters of UTF-8 text (UTF-16 units when `unicode`).
std::int64_t textLength(std::string_view s, bool unicode);

} // namespace tsql
