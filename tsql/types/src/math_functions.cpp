#include "math_functions.h"

#include "tsql/convert.h"
#include "tsql/error.h"
#include "tsql/operators.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>
#include <random>

namespace tsql::detail {

namespace {

using Types = std::span<const Type>;

//! The argument converted to a number type: numbers stay, text becomes FLOAT (as SQL Server does).
Type numberArgType(const Type& t, std::string_view function) {
    if (t.id == TypeId::Null) return Type::integer();
    if (isNumericType(t.id)) return t;
    if (isCharacterType(t.id) && !isLargeObjectType(t.id)) return Type::floating();
    raise(8116, {std::string(t.baseName()), "1", std::string(function)});
}

double floatArg(const Value& v) {
    return convert(v, Type::floating(), ConversionKind::Implicit).asDouble();
}

//! A FLOAT result of `f` on the argument; NULL stays NULL, a result outside the reals raises 3623.
Value floatOf(const Value& v, double (*f)(double)) {
    if (v.isNull()) return Value::null(Type::floating());
    const double r = f(floatArg(v));
    if (!std::isfinite(r)) raise(3623);
    return Value::floating(r);
}

//! A function defined on [lo, hi] only (ASIN, ACOS): arguments outside raise 3623 as in SQL Server.
Value boundedFloatOf(const Value& v, double lo, double hi, double (*f)(double)) {
    if (!v.isNull()) {
        const double x = floatArg(v);
        if (x < lo || x > hi) raise(3623);
    }
    return floatOf(v, f);
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

//! The session's RAND generator (one per thread, as a session runs on one thread).
std::mt19937_64& generator() {
    thread_local std::mt19937_64 g{std::random_device{}()};
    return g;
}

} // namespace

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

Value signEval(Args a) {
    const Type t = absType(std::array{a[0].type()});
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
    const double r = std::pow(floatArg(a[0]), floatArg(a[1]));
    if (!std::isfinite(r)) raise(8115, {"expression", std::string(t.baseName())});
    if (isIntegerType(t.id)) return convert(Value::floating(std::trunc(r)), t, ConversionKind::Implicit);
    return convert(Value::floating(r), t, ConversionKind::Implicit);
}

Type floatType(Types) {
    return Type::floating();
}

Value squareEval(Args a) {
    return floatOf(a[0], [](double x) { return x * x; });
}
Value sqrtEval(Args a) {
    if (!a[0].isNull() && floatArg(a[0]) < 0) raise(3623);
    return floatOf(a[0], [](double x) { return std::sqrt(x); });
}
Value expEval(Args a) {
    if (!a[0].isNull() && !std::isfinite(std::exp(floatArg(a[0])))) raise(8115, {"expression", "float"});
    return floatOf(a[0], [](double x) { return std::exp(x); });
}
Value logEval(Args a) {
    if (!a[0].isNull() && floatArg(a[0]) <= 0) raise(3623);
    return floatOf(a[0], [](double x) { return std::log(x); });
}
Value log10Eval(Args a) {
    if (!a[0].isNull() && floatArg(a[0]) <= 0) raise(3623);
    return floatOf(a[0], [](double x) { return std::log10(x); });
}
Value sinEval(Args a) {
    return floatOf(a[0], [](double x) { return std::sin(x); });
}
Value cosEval(Args a) {
    return floatOf(a[0], [](double x) { return std::cos(x); });
}
Value tanEval(Args a) {
    return floatOf(a[0], [](double x) { return std::tan(x); });
}
Value cotEval(Args a) {
    if (!a[0].isNull() && floatArg(a[0]) == 0) raise(3623);
    return floatOf(a[0], [](double x) { return 1 / std::tan(x); });
}
Value asinEval(Args a) {
    return boundedFloatOf(a[0], -1, 1, [](double x) { return std::asin(x); });
}
Value acosEval(Args a) {
    return boundedFloatOf(a[0], -1, 1, [](double x) { return std::acos(x); });
}
Value atanEval(Args a) {
    return floatOf(a[0], [](double x) { return std::atan(x); });
}
Value atn2Eval(Args a) {
    if (a[0].isNull() || a[1].isNull()) return Value::null(Type::floating());
    return Value::floating(std::atan2(floatArg(a[0]), floatArg(a[1])));
}
Value piEval(Args) {
    return Value::floating(std::numbers::pi);
}

Type angleType(Types a) {
    const Type t = numberArgType(a[0], "degrees");
    if (t.id == TypeId::Bit || t.id == TypeId::TinyInt || t.id == TypeId::SmallInt) return Type::integer();
    if (t.id == TypeId::Numeric || t.id == TypeId::Decimal) return Type{t.id, 0, 38, t.scale};
    return t.id == TypeId::Real ? Type::floating() : t;
}

namespace {

Value scaled(const Value& v, double factor) {
    const Type t = angleType(std::array{v.type()});
    if (v.isNull()) return Value::null(t);
    const double r = floatArg(v) * factor;
    if (isIntegerType(t.id)) return convert(Value::floating(std::trunc(r)), t, ConversionKind::Implicit);
    return convert(Value::floating(r), t, ConversionKind::Implicit);
}

} // namespace

Value degreesEval(Args a) {
    return scaled(a[0], 180 / std::numbers::pi);
}
Value radiansEval(Args a) {
    return scaled(a[0], std::numbers::pi / 180);
}

Value randEval(Args a) {
    if (!a.empty() && !a[0].isNull())
        generator().seed(
            static_cast<std::uint64_t>(convert(a[0], Type::integer(), ConversionKind::Implicit).asInt()));
    return Value::floating(std::uniform_real_distribution<double>(0.0, 1.0)(generator()));
}

} // namespace tsql::detail
