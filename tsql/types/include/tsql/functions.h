#pragma once
//! Built-in scalar functions on Values, described by one static table read by the binder and by the
//! SQLite adapter.

#include "tsql/value.h"

#include <span>
#include <string_view>

namespace tsql {

//! Argument lists handed to scalar functions.
using Args = std::span<const Value>;

//! One built-in scalar function.
struct FunctionInfo {
    std::string_view name; //!< upper-case T-SQL name, e.g. "SUBSTRING"
    int minArgs;
    int maxArgs;
    //! True when the first argument is a date part keyword (DATEADD, DATEDIFF, DATEPART): the binder
    //! passes it as a VARCHAR value holding the keyword as written ("yy", "month", "dd", ...).
    bool datePartFirst;
    //! True when the result changes between calls with the same arguments (GETDATE, NEWID).
    bool volatileResult;
    //! Result type from the argument types (after the binder's checks); may throw SqlError 8116.
    Type (*resultType)(std::span<const Type> args);
    //! Computes the result; arguments have the types resultType saw.
    Value (*eval)(Args args);
};

//! The function named `name` (case-insensitive), or nullptr. Covers: ISNULL, COALESCE, NULLIF, GETDATE,
//! LEN, DATALENGTH, SUBSTRING, LEFT, RIGHT, LTRIM, RTRIM, UPPER, LOWER, REPLACE, CHARINDEX, STR, ROUND,
//! ABS, FLOOR, CEILING, YEAR, MONTH, DAY, DATEADD, DATEDIFF, DATEPART, NEWID, SPACE, REPLICATE, SIGN,
//! POWER, SQRT, ISNUMERIC, ISDATE. CAST and CONVERT are convert()/convertStyle(); the binder may
//! translate COALESCE as CASE.
const FunctionInfo* findFunction(std::string_view name);

//! Every built-in scalar function (for registration).
std::span<const FunctionInfo> functions();

//! The function of that name taking `argumentCount` arguments; raises 195 for an unknown name, 174 or
//! 189 for a wrong count.
const FunctionInfo& checkedFunction(std::string_view name, std::size_t argumentCount);

//! Checks the argument count (SqlError 174 "The %s function requires %d argument(s).") and returns the
//! result type; unknown names raise 195 ("'%s' is not a recognized built-in function name.").
Type functionResultType(std::string_view name, std::span<const Type> args);

//! Evaluates a built-in function by name (checked as functionResultType does).
Value callFunction(std::string_view name, Args args);

//! Date parts of DATEADD/DATEDIFF/DATEPART and their abbreviations.
enum class DatePart {
    Year,
    Quarter,
    Month,
    DayOfYear,
    Day,
    Week,
    Weekday,
    Hour,
    Minute,
    Second,
    Millisecond
};
//! Parses "year"/"yy"/"yyyy", "month"/"mm"/"m", "day"/"dd"/"d", ... case-insensitively; throws SqlError 155
//! ("'%s' is not a recognized %s option.") naming the function.
DatePart parseDatePart(std::string_view text, std::string_view function);

} // namespace tsql
