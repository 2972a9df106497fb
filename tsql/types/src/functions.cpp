#include "tsql/functions.h"

#include "date_functions.h"
#include "math_functions.h"
#include "string_functions.h"
#include "tsql/convert.h"
#include "tsql/error.h"
#include "tsql/operators.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <string>

namespace tsql {

namespace {

using namespace detail;

using Types = std::span<const Type>;

// ISNULL, COALESCE and NULLIF are translated by the binder into SQLite's own lazy forms; the table gives
// their argument counts and result types.
Type isNullType(Types a) {
    return isNullResultType(a[0], a[1]);
}
Type coalesceType(Types a) {
    return commonType(a);
}
Type nullIfType(Types a) {
    return a[0].id == TypeId::Null ? Type::integer() : a[0];
}

Type dateTimeType(Types) {
    return Type::dateTime();
}
Value getDateEval(Args) {
    return Value::dateTime(DateTime::now());
}
Value getUtcDateEval(Args) {
    return Value::dateTime(DateTime::utcNow());
}

Type guidType(Types) {
    return Type::uniqueIdentifier();
}
Value newIdEval(Args) {
    return Value::guid(newGuid());
}

Type intType(Types) {
    return Type::integer();
}

Value isNumericEval(Args a) {
    if (a[0].isNull()) return Value::integer(0);
    if (isNumericType(a[0].type().id)) return Value::integer(1);
    if (!isCharacterType(a[0].type().id)) return Value::integer(0);
    try {
        convert(a[0], Type::floating(), ConversionKind::Explicit);
        std::string_view s = a[0].asString();
        return Value::integer(s.find_first_not_of(" \t") == std::string_view::npos ? 0 : 1);
    } catch (const SqlError&) {
        return Value::integer(0);
    }
}

Value isDateEval(Args a) {
    if (a[0].isNull()) return Value::integer(0);
    if (a[0].type().id == TypeId::DateTime) return Value::integer(1);
    if (!isCharacterType(a[0].type().id)) return Value::integer(0);
    try {
        convert(a[0], Type::dateTime(), ConversionKind::Explicit);
        return Value::integer(
            std::string_view(a[0].asString()).find_first_not_of(' ') == std::string_view::npos ? 0 : 1);
    } catch (const SqlError&) {
        return Value::integer(0);
    }
}

//! The table of built-in scalar functions.
constexpr FunctionInfo kFunctions[] = {
    {"ABS", 1, 1, false, false, absType, absEval},
    {"ACOS", 1, 1, false, false, floatType, acosEval},
    {"ASCII", 1, 1, false, false, intType, asciiEval},
    {"ASIN", 1, 1, false, false, floatType, asinEval},
    {"ATAN", 1, 1, false, false, floatType, atanEval},
    {"ATN2", 2, 2, false, false, floatType, atn2Eval},
    {"CEILING", 1, 1, false, false, floorType, ceilingEval},
    {"CHAR", 1, 1, false, false, charType, charEval},
    {"CHARINDEX", 2, 3, false, false, intType, charIndexEval},
    {"COALESCE", 2, 255, false, false, coalesceType, nullptr},
    {"COS", 1, 1, false, false, floatType, cosEval},
    {"COT", 1, 1, false, false, floatType, cotEval},
    {"DATALENGTH", 1, 1, false, false, intType, dataLengthEval},
    {"DATEADD", 3, 3, true, false, dateAddType, dateAddEval},
    {"DATEDIFF", 3, 3, true, false, intType, dateDiffEval},
    {"DATENAME", 2, 2, true, false, dateNameType, dateNameEval},
    {"DATEPART", 2, 2, true, false, intType, datePartEval},
    {"DAY", 1, 1, false, false, intType, dayEval},
    {"DEGREES", 1, 1, false, false, angleType, degreesEval},
    {"DIFFERENCE", 2, 2, false, false, intType, differenceEval},
    {"EXP", 1, 1, false, false, floatType, expEval},
    {"FLOOR", 1, 1, false, false, floorType, floorEval},
    {"GETDATE", 0, 0, false, true, dateTimeType, getDateEval},
    {"GETUTCDATE", 0, 0, false, true, dateTimeType, getUtcDateEval},
    {"ISDATE", 1, 1, false, false, intType, isDateEval},
    {"ISNULL", 2, 2, false, false, isNullType, nullptr},
    {"ISNUMERIC", 1, 1, false, false, intType, isNumericEval},
    {"LEFT", 2, 2, false, false, sameTextType, leftEval},
    {"LEN", 1, 1, false, false, intType, lenEval},
    {"LOG", 1, 1, false, false, floatType, logEval},
    {"LOG10", 1, 1, false, false, floatType, log10Eval},
    {"LOWER", 1, 1, false, false, sameTextType, lowerEval},
    {"LTRIM", 1, 1, false, false, sameTextType, ltrimEval},
    {"MONTH", 1, 1, false, false, intType, monthEval},
    {"NCHAR", 1, 1, false, false, nCharType, nCharEval},
    {"NEWID", 0, 0, false, true, guidType, newIdEval},
    {"NULLIF", 2, 2, false, false, nullIfType, nullptr},
    {"PATINDEX", 2, 2, false, false, intType, patIndexEval},
    {"PI", 0, 0, false, false, floatType, piEval},
    {"POWER", 2, 2, false, false, powerType, powerEval},
    {"QUOTENAME", 1, 2, false, false, quoteNameType, quoteNameEval},
    {"RADIANS", 1, 1, false, false, angleType, radiansEval},
    {"RAND", 0, 1, false, true, floatType, randEval},
    {"REPLACE", 3, 3, false, false, replaceType, replaceEval},
    {"REPLICATE", 2, 2, false, false, replicateType, replicateEval},
    {"REVERSE", 1, 1, false, false, sameTextType, reverseEval},
    {"RIGHT", 2, 2, false, false, sameTextType, rightEval},
    {"ROUND", 2, 3, false, false, roundType, roundEval},
    {"RTRIM", 1, 1, false, false, sameTextType, rtrimEval},
    {"SIGN", 1, 1, false, false, absType, signEval},
    {"SIN", 1, 1, false, false, floatType, sinEval},
    {"SOUNDEX", 1, 1, false, false, soundexType, soundexEval},
    {"SPACE", 1, 1, false, false, spaceType, spaceEval},
    {"SQRT", 1, 1, false, false, floatType, sqrtEval},
    {"SQUARE", 1, 1, false, false, floatType, squareEval},
    {"STR", 1, 3, false, false, strType, strEval},
    {"STUFF", 4, 4, false, false, stuffType, stuffEval},
    {"SUBSTRING", 3, 3, false, false, sameTextType, substringEval},
    {"TAN", 1, 1, false, false, floatType, tanEval},
    {"UNICODE", 1, 1, false, false, intType, unicodeEval},
    {"UPPER", 1, 1, false, false, sameTextType, upperEval},
    {"YEAR", 1, 1, false, false, intType, yearEval},
};

std::string upperAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

const FunctionInfo& checkedFunction(std::string_view name, std::size_t count) {
    const FunctionInfo* f = findFunction(name);
    if (!f) raise(195, {std::string(name)});
    const auto n = static_cast<int>(count);
    if (n < f->minArgs || n > f->maxArgs) {
        if (f->minArgs == f->maxArgs) raise(174, {lowerAscii(f->name), std::to_string(f->minArgs)});
        raise(189, {lowerAscii(f->name), std::to_string(f->minArgs), std::to_string(f->maxArgs)});
    }
    return *f;
}

const FunctionInfo* findFunction(std::string_view name) {
    const std::string up = upperAscii(name);
    const auto* it = std::find_if(std::begin(kFunctions), std::end(kFunctions),
                                  [&](const FunctionInfo& f) { return f.name == up; });
    return it == std::end(kFunctions) ? nullptr : it;
}

std::span<const FunctionInfo> functions() {
    return kFunctions;
}

Type functionResultType(std::string_view name, std::span<const Type> args) {
    const FunctionInfo& f = checkedFunction(name, args.size());
    return f.resultType(args);
}

Value callFunction(std::string_view name, Args args) {
    const FunctionInfo& f = checkedFunction(name, args.size());
    if (!f.eval) throw std::logic_error(std::string(f.name) + " is translated by the binder, not called");
    return f.eval(args);
}

} // namespace tsql
