#pragma once
//! How ODBC column types map to our values and to SQL Server style type names.

#include <cstdint>
#include <string>
#include <string_view>

namespace platform::db::detail {

//! How a column's data is fetched and which Value kind it becomes.
enum class Fetch { Bit, Integer, Floating, Decimal, Text, Date, Time, Timestamp, Binary, Guid };

//! A type code that a SQL Server gives to one type only, to several types whatever their size, or to
//! several types when the column has one particular size (sysname is nvarchar(128)).
constexpr long kOneType = -1;
constexpr long kSeveralTypes = 0;

//! One ODBC SQL type code with its SQL Server type name and fetch method.
struct SqlTypeInfo {
    int sqlType;
    const char* typeName;
    Fetch fetch;
    //! kOneType, kSeveralTypes, or the column size at which a SQL Server's other type shares the code.
    long sharedAtSize = kOneType;
};

//! The entry for an ODBC SQL type code; unknown codes are read as text under the name "unknown".
const SqlTypeInfo& sqlTypeInfo(int sqlType);

//! The lower-case type name of a column: the driver's own name when it is a SQL Server type name
//! (e.g. "money", "int identity" -> "int"), otherwise the name belonging to the ODBC type code.
std::string columnTypeName(std::string_view driverTypeName, int sqlType);

//! Whether a SQL Server's column of this type code and size needs the driver's type name to be told
//! apart from another type with the same code (decimal from numeric, money from decimal,
//! smalldatetime from datetime,
//! sysname from nvarchar, timestamp from binary); codes not in the table always need it.
bool serverTypeNameNeeded(int sqlType, unsigned long columnSize);

//! Canonical text of an exact number as the driver delivered it: no exponent, no superfluous leading
//! zeros, at least `scale` fraction digits (never fewer than delivered). Throws ConversionError.
std::string canonicalDecimal(std::string_view raw, int scale);

//! Upper-case 8-4-4-4-12 text of a GUID given by its ODBC parts.
std::string guidText(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                     const std::uint8_t (&data4)[8]);

//! Day number of a date and time; the fraction is in nanoseconds and rounded to milliseconds.
//! A time of day without date (year 0 or `timeOnly`) counts from day 0.
double dayNumber(int year, int month, int day, int hour, int minute, int second, std::uint32_t nanoseconds,
                 bool timeOnly);

} // namespace platform::db::detail
