#include "tsql/functions.h"

#include "date_functions.h"
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

using Types = std::span<const Type>;

Type isNullType(Types a) {
    return isNullResultType(a[0], a[1]);
}
Value isNullEval(Args a) {
    const Type t = isNullResultType(a[0].type(), a[1].type());
    return convert(a[0].isNull() ? a[1] : a[0], t, ConversionKind::Assignment);
}

Type coalesceType(Types a) {
    return commonType(a);
}
Value coalesceEval(Args a) {
    std::vector<Type> types;
    for (const Value& v : a)
        types.push_back(v.type());
    const Type t = commonType(types);
    for (const Value& v : a)
        if (!v.isNull()) return convert(v, t, ConversionKind::Implicit);
    return Value::null(t);
}

Type nullIfType(Types a) {
    return a[0].id == TypeId::Null ? Type::integer() : a[0];
}
Value nullIfEval(Args a) {
    const auto c = compare(a[0], a[1]);
    return c && *c == 0 ? Value::null(nullIfType(std::array{a[0].type()})) : a[0];
}

Type dateTimeType(Types) {
    return Type::dateTime();
}
Value getDateEval(Args) {
    return Value::dateTime(DateTime::now());
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
Type floatType(Types) {
    return Type::floating();
}

//! The argument converted to a number type: numbers stay, text becomes FLOAT (as SQL Server does).
Type numberArgType(const Type& t, std::string_view function) {
    if (t.id == TypeId::Null) return Type::integer();
    if (isNumericType(t.id)) return t;
    if (isCharacterType(t.id) && !isLargeObjectType(t.id)) return Type::floating();
    raise(8116, {std::string(t.baseName()), "1", std::string(function)});
}

Type absType(Types a) {
    const Type t = numberArgType(a[0], "abs");
    return t.id == TypeId::Bit ? Type::integer() : t;
}
Value absEval(Args a) {
    const Type t = absType(std::array{a[0].type()});
    const Value v = convert(a[0], t, ConversionKind::Implicit);
    if (v.isNull()) return v;
    const Value zero = convert(Value::integer(0), t, ConversionKind::Implicit);
    return compare(v, zero).value() < 0 ? negate(v) : v;
}

Type signType(Types a) {
    return absType(a);
}
Value signEval(Args a) {
    const Type t = signType(std::array{a[0].type()});
    const Value v = convert(a[0], t, ConversionKind::Implicit);
    if (v.isNull()) return v;
    const int c = compare(v, Value::integer(0)).value();
    return convert(Value::integer(c), t, ConversionKind::Implicit);
}

Type floorType(Types a) {
    const Type t = numberArgType(a[0], "floor");
    if (t.id == TypeId::Numeric || t.id == TypeId::Decimal) return Type{t.id, 0, t.precision, 0};
    return t.id == TypeId::Bit ? Type::integer() : t;
}

Value roundToward(Args a, bool up) {
    const Type t = floorType(std::array{a[0].type()});
    const Value v =
        convert(a[0], numberArgType(a[0].type(), up ? "ceiling" : "floor"), ConversionKind::Implicit);
    if (v.isNull()) return Value::null(t);
    if (isIntegerType(t.id)) return convert(v, t, ConversionKind::Implicit);
    if (t.id == TypeId::Float || t.id == TypeId::Real) {
        const double d = up ? std::ceil(v.asDouble()) : std::floor(v.asDouble());
        return Value::floating(d, t);
    }
    const Decimal& d = v.asDecimal();
    Decimal whole = *d.truncate(0);
    const bool exact = compare(whole, d) == 0;
    if (!exact && up && !d.isNegative()) whole = Decimal(whole.unscaled() + 1, 0);
    if (!exact && !up && d.isNegative()) whole = Decimal(whole.unscaled() - 1, 0);
    return Value::decimal(*whole.rescale(t.id == TypeId::Money ? 4 : 0), t);
}
Value floorEval(Args a) {
    return roundToward(a, false);
}
Value ceilingEval(Args a) {
    return roundToward(a, true);
}

Type roundType(Types a) {
    const Type t = numberArgType(a[0], "round");
    switch (t.id) {
    case TypeId::Bit:
    case TypeId::TinyInt:
    case TypeId::SmallInt:
        return Type::integer();
    case TypeId::Real:
        return Type::floating();
    case TypeId::Numeric:
    case TypeId::Decimal:
        return Type{t.id, 0, static_cast<std::uint8_t>(std::min(t.precision + 1, 38)), t.scale};
    default:
        return t;
    }
}
Value roundEval(Args a) {
    const Type t = roundType(std::array{a[0].type(), a[1].type()});
    if (a[0].isNull() || a[1].isNull()) return Value::null(t);
    const Value v = convert(a[0], t, ConversionKind::Implicit);
    const auto digits = static_cast<int>(convert(a[1], Type::integer(), ConversionKind::Implicit).asInt());
    const bool truncate = a.size() > 2 && !a[2].isNull() &&
                          convert(a[2], Type::integer(), ConversionKind::Implicit).asInt() != 0;
    if (t.id == TypeId::Float) {
        const double f = std::pow(10.0, digits), d = v.asDouble() * f;
        return Value::floating((truncate ? std::trunc(d) : std::round(d)) / f, t);
    }
    const Decimal d = isIntegerType(t.id) ? Decimal(v.asInt(), 0) : v.asDecimal();
    const int scale = d.scale();
    if (digits >= scale) return v;
    // Round (or cut) at `digits` decimals (negative: left of the point), then back to the type's scale.
    const int drop = std::min(scale - digits, 38);
    Int128 unit = pow10(drop);
    Int128 q = d.unscaled() / unit;
    const Int128 rest = d.unscaled() % unit;
    const Int128 magnitude = rest < 0 ? -rest : rest;
    if (!truncate && magnitude >= unit - magnitude) q += d.isNegative() ? -1 : 1;
    Int128 scaled;
    if (__builtin_mul_overflow(q, unit, &scaled)) raise(8115, {"expression", std::string(t.baseName())});
    return convert(Value::decimal(Decimal(scaled, scale)), t, ConversionKind::Implicit);
}

Type powerType(Types a) {
    const Type t = numberArgType(a[0], "power");
    if (isIntegerType(t.id)) return t.id == TypeId::BigInt ? t : Type::integer();
    if (t.id == TypeId::Numeric || t.id == TypeId::Decimal) return Type::numeric(38, t.scale);
    return t.id == TypeId::Real ? Type::floating() : t;
}
Value powerEval(Args a) {
    const Type t = powerType(std::array{a[0].type(), a[1].type()});
    if (a[0].isNull() || a[1].isNull()) return Value::null(t);
    const double x = convert(a[0], Type::floating(), ConversionKind::Implicit).asDouble();
    const double y = convert(a[1], Type::floating(), ConversionKind::Implicit).asDouble();
    const double r = std::pow(x, y);
    if (!std::isfinite(r)) raise(8115, {"expression", std::string(t.baseName())});
    if (isIntegerType(t.id)) return convert(Value::floating(std::trunc(r)), t, ConversionKind::Implicit);
    return convert(Value::floating(r), t, ConversionKind::Implicit);
}

Value sqrtEval(Args a) {
    if (a[0].isNull()) return Value::null(Type::floating());
    const double x = convert(a[0], Type::floating(), ConversionKind::Implicit).asDouble();
    if (x < 0) raise(3623);
    return Value::floating(std::sqrt(x));
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
    {"CEILING", 1, 1, false, false, floorType, ceilingEval},
    {"CHARINDEX", 2, 3, false, false, intType, detail::charIndexEval},
    {"COALESCE", 2, 255, false, false, coalesceType, coalesceEval},
    {"DATALENGTH", 1, 1, false, false, intType, detail::dataLengthEval},
    {"DATEADD", 3, 3, true, false, dateTimeType, detail::dateAddEval},
    {"DATEDIFF", 3, 3, true, false, intType, detail::dateDiffEval},
    {"DATEPART", 2, 2, true, false, intType, detail::datePartEval},
    {"DAY", 1, 1, false, false, intType, detail::dayEval},
    {"FLOOR", 1, 1, false, false, floorType, floorEval},
    {"GETDATE", 0, 0, false, true, dateTimeType, getDateEval},
    {"ISDATE", 1, 1, false, false, intType, isDateEval},
    {"ISNULL", 2, 2, false, false, isNullType, isNullEval},
    {"ISNUMERIC", 1, 1, false, false, intType, isNumericEval},
    {"LEFT", 2, 2, false, false, detail::sameTextType, detail::leftEval},
    {"LEN", 1, 1, false, false, intType, detail::lenEval},
    {"LOWER", 1, 1, false, false, detail::sameTextType, detail::lowerEval},
    {"LTRIM", 1, 1, false, false, detail::sameTextType, detail::ltrimEval},
    {"MONTH", 1, 1, false, false, intType, detail::monthEval},
    {"NEWID", 0, 0, false, true, guidType, newIdEval},
    {"NULLIF", 2, 2, false, false, nullIfType, nullIfEval},
    {"POWER", 2, 2, false, false, powerType, powerEval},
    {"QUOTENAME", 1, 2, false, false, detail::quoteNameType, detail::quoteNameEval},
    {"REPLACE", 3, 3, false, false, detail::replaceType, detail::replaceEval},
    {"REPLICATE", 2, 2, false, false, detail::replicateType, detail::replicateEval},
    {"RIGHT", 2, 2, false, false, detail::sameTextType, detail::rightEval},
    {"ROUND", 2, 3, false, false, roundType, roundEval},
    {"RTRIM", 1, 1, false, false, detail::sameTextType, detail::rtrimEval},
    {"SIGN", 1, 1, false, false, signType, signEval},
    {"SPACE", 1, 1, false, false, detail::spaceType, detail::spaceEval},
    {"SQRT", 1, 1, false, false, floatType, sqrtEval},
    {"STR", 1, 3, false, false, detail::strType, detail::strEval},
    {"SUBSTRING", 3, 3, false, false, detail::sameTextType, detail::substringEval},
    {"UPPER", 1, 1, false, false, detail::sameTextType, detail::upperEval},
    {"YEAR", 1, 1, false, false, intType, detail::yearEval},
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
    return checkedFunction(name, args.size()).eval(args);
}

} // namespace tsql
