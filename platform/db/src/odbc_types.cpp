#include "odbc_types.h"

#include "platform/db/errors.h"

#include "common/ascii.h"
#include "common/datetime.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <iterator>
#include <stdexcept>

namespace platform::db::detail {

namespace {

// Driver-specific type codes of SQL Server drivers.
constexpr int kSsVariant = -150;
constexpr int kSsXml = -152;
constexpr int kSsTime2 = -154;
constexpr int kSsTimestampOffset = -155;

constexpr std::array kSqlTypes = {
    SqlTypeInfo{SQL_BIT, "bit", Fetch::Bit},
    SqlTypeInfo{SQL_TINYINT, "tinyint", Fetch::Integer},
    SqlTypeInfo{SQL_SMALLINT, "smallint", Fetch::Integer},
    SqlTypeInfo{SQL_INTEGER, "int", Fetch::Integer},
    SqlTypeInfo{SQL_BIGINT, "bigint", Fetch::Integer},
    SqlTypeInfo{SQL_REAL, "real", Fetch::Floating},
    SqlTypeInfo{SQL_FLOAT, "float", Fetch::Floating},
    SqlTypeInfo{SQL_DOUBLE, "float", Fetch::Floating},
    SqlTypeInfo{SQL_NUMERIC, "numeric", Fetch::Decimal, kSeveralTypes},
    SqlTypeInfo{SQL_DECIMAL, "decimal", Fetch::Decimal, kSeveralTypes},
    SqlTypeInfo{SQL_CHAR, "char", Fetch::Text},
    SqlTypeInfo{SQL_VARCHAR, "varchar", Fetch::Text},
    SqlTypeInfo{SQL_LONGVARCHAR, "text", Fetch::Text, kSeveralTypes},
    SqlTypeInfo{SQL_WCHAR, "nchar", Fetch::Text},
    SqlTypeInfo{SQL_WVARCHAR, "nvarchar", Fetch::Text, 128},
    SqlTypeInfo{SQL_WLONGVARCHAR, "ntext", Fetch::Text, kSeveralTypes},
    SqlTypeInfo{SQL_TYPE_DATE, "date", Fetch::Date},
    SqlTypeInfo{SQL_DATE, "date", Fetch::Date},
    SqlTypeInfo{SQL_TYPE_TIME, "time", Fetch::Time},
    SqlTypeInfo{SQL_TIME, "time", Fetch::Time},
    SqlTypeInfo{kSsTime2, "time", Fetch::Time},
    SqlTypeInfo{SQL_TYPE_TIMESTAMP, "datetime", Fetch::Timestamp, kSeveralTypes},
    SqlTypeInfo{SQL_TIMESTAMP, "datetime", Fetch::Timestamp, kSeveralTypes},
    SqlTypeInfo{kSsTimestampOffset, "datetimeoffset", Fetch::Timestamp},
    SqlTypeInfo{SQL_BINARY, "binary", Fetch::Binary, 8},
    SqlTypeInfo{SQL_VARBINARY, "varbinary", Fetch::Binary, 8},
    SqlTypeInfo{SQL_LONGVARBINARY, "image", Fetch::Binary, kSeveralTypes},
    SqlTypeInfo{SQL_GUID, "uniqueidentifier", Fetch::Guid},
    SqlTypeInfo{kSsVariant, "sql_variant", Fetch::Text},
    SqlTypeInfo{kSsXml, "xml", Fetch::Text},
};

constexpr SqlTypeInfo kUnknownType{0, "unknown", Fetch::Text, kSeveralTypes};

//! Type names a SQL Server reports that are kept as the driver gives them.
constexpr std::string_view kServerTypeNames[] = {
    "bigint",         "binary",  "bit",      "char",  "date",          "datetime", "datetime2",
    "datetimeoffset", "decimal", "float",    "image", "int",           "money",    "nchar",
    "ntext",          "numeric", "nvarchar", "real",  "smalldatetime", "smallint", "smallmoney",
    "sql_variant",    "sysname", "text",     "time",  "timestamp",     "tinyint",  "uniqueidentifier",
    "varbinary",      "varchar", "xml"};

} // namespace

const SqlTypeInfo& sqlTypeInfo(int sqlType) {
    const auto* it = std::find_if(kSqlTypes.begin(), kSqlTypes.end(),
                                  [&](const SqlTypeInfo& t) { return t.sqlType == sqlType; });
    return it == kSqlTypes.end() ? kUnknownType : *it;
}

bool serverTypeNameNeeded(int sqlType, unsigned long columnSize) {
    const long shared = sqlTypeInfo(sqlType).sharedAtSize;
    return shared == kSeveralTypes || (shared > 0 && columnSize == static_cast<unsigned long>(shared));
}

std::string columnTypeName(std::string_view driverTypeName, int sqlType) {
    std::string word;
    for (char c : driverTypeName) {
        if (c == ' ' || c == '(') {
            if (word.empty()) continue;
            break;
        }
        word += c;
    }
    word = common::ToLowerAscii(word);
    if (std::find(std::begin(kServerTypeNames), std::end(kServerTypeNames), word) !=
        std::end(kServerTypeNames))
        return word;
    return sqlTypeInfo(sqlType).typeName;
}

std::string canonicalDecimal(std::string_view raw, int scale) {
    const auto fail = [&]() -> std::string {
        throw ConversionError("The server sent '" + std::string(raw) + "' as an exact number");
    };
    std::string_view s = raw;
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    bool negative = false;
    if (!s.empty() && (s.front() == '-' || s.front() == '+')) {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    std::string digits; // all mantissa digits
    long long pointAt = -1;
    std::size_t i = 0;
    for (; i < s.size() && (std::isdigit(static_cast<unsigned char>(s[i])) || s[i] == '.'); ++i) {
        if (s[i] == '.') {
            if (pointAt >= 0) return fail();
            pointAt = static_cast<long long>(digits.size());
        } else {
            digits += s[i];
        }
    }
    if (digits.empty()) return fail();
    if (pointAt < 0) pointAt = static_cast<long long>(digits.size());
    if (i < s.size()) {
        if (s[i] != 'e' && s[i] != 'E') return fail();
        const std::string exponent(s.substr(i + 1));
        std::size_t used = 0;
        long long shift = 0;
        try {
            shift = std::stoll(exponent, &used);
        } catch (const std::exception&) {
            return fail();
        }
        if (used != exponent.size() || exponent.empty() || shift > 400 || shift < -400) return fail();
        pointAt += shift;
    }
    if (pointAt < 0) {
        digits.insert(0, static_cast<std::size_t>(-pointAt), '0');
        pointAt = 0;
    }
    if (pointAt > static_cast<long long>(digits.size()))
        digits.append(static_cast<std::size_t>(pointAt) - digits.size(), '0');
    std::string whole = digits.substr(0, static_cast<std::size_t>(pointAt));
    std::string fraction = digits.substr(static_cast<std::size_t>(pointAt));
    whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
    if (whole.empty()) whole = "0";
    if (fraction.size() < static_cast<std::size_t>(std::max(scale, 0)))
        fraction.append(static_cast<std::size_t>(scale) - fraction.size(), '0');
    const bool zero = whole == "0" && fraction.find_first_not_of('0') == std::string::npos;
    std::string out = negative && !zero ? "-" : "";
    out += whole;
    if (!fraction.empty()) out += "." + fraction;
    return out;
}

std::string guidText(std::uint32_t data1, std::uint16_t data2, std::uint16_t data3,
                     const std::uint8_t (&data4)[8]) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", data1, data2,
                  data3, data4[0], data4[1], data4[2], data4[3], data4[4], data4[5], data4[6], data4[7]);
    return buffer;
}

double dayNumber(int year, int month, int day, int hour, int minute, int second, std::uint32_t nanoseconds,
                 bool timeOnly) {
    common::DateTimeFields f;
    if (!timeOnly && year != 0) {
        f.year = year;
        f.month = month;
        f.day = day;
    }
    f.hour = hour;
    f.minute = minute;
    f.second = second;
    f.millisecond = std::min(999, static_cast<int>((nanoseconds + 500'000) / 1'000'000));
    try {
        return common::EncodeDateTime(f);
    } catch (const std::invalid_argument&) {
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%04d-%02d-%02d %02d:%02d:%02d", year, month, day, hour, minute,
                      second);
        throw ConversionError(std::string("The server sent an invalid date or time: ") + buffer);
    }
}

} // namespace platform::db::detail
