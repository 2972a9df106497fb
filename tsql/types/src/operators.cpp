#include "tsql/operators.h"

#include "tsql/collation.h"
#include "tsql/convert.h"
#include "tsql/error.h"

#include <cmath>
#include <limits>

namespace tsql {

namespace {

std::string name(const Type& t) {
    return std::string(t.baseName());
}

[[noreturn]] void overflow(const Type& t) {
    raise(8115, {"expression", name(t)});
}

//! The decimal shape an operand takes part in NUMERIC arithmetic with (text takes the result's).
Type decimalOperandType(const Type& t, const Type& result) {
    switch (t.id) {
    case TypeId::Numeric:
    case TypeId::Decimal:
    case TypeId::Money:
        return t;
    case TypeId::Bit:
        return Type::numeric(1, 0);
    case TypeId::TinyInt:
        return Type::numeric(3, 0);
    case TypeId::SmallInt:
        return Type::numeric(5, 0);
    case TypeId::Int:
        return Type::numeric(10, 0);
    case TypeId::BigInt:
        return Type::numeric(19, 0);
    default:
        return result;
    }
}

Int128 checkedMul(Int128 a, Int128 b, const Type& result) {
    Int128 r;
    if (__builtin_mul_overflow(a, b, &r)) overflow(result);
    return r;
}

//! a / b at `scale` decimals, truncated toward zero (SQL Server does not round quotients).
Decimal divideDecimals(const Decimal& a, const Decimal& b, int scale, const Type& result) {
    if (b.isZero()) raise(8134);
    // a/b = (ua / ub) * 10^(sb - sa); shift = digits to produce after the integer quotient.
    const int shift = scale - a.scale() + b.scale();
    Int128 ua = a.unscaled(), ub = b.unscaled();
    if (shift < 0) ub = checkedMul(ub, pow10(-shift), result);
    const bool negative = (ua < 0) != (ub < 0);
    if (ua < 0) ua = -ua;
    if (ub < 0) ub = -ub;
    Int128 q = ua / ub, r = ua % ub;
    for (int i = 0; i < shift; ++i) {
        q = checkedMul(q, 10, result);
        r = checkedMul(r, 10, result);
        q += r / ub;
        r %= ub;
    }
    return Decimal(negative ? -q : q, scale);
}

Value decimalArithmetic(BinaryOp op, const Value& l, const Value& r, const Type& t) {
    const Decimal a = convert(l, decimalOperandType(l.type(), t), ConversionKind::Implicit).asDecimal();
    const Decimal b = convert(r, decimalOperandType(r.type(), t), ConversionKind::Implicit).asDecimal();
    const int scale = t.id == TypeId::Money ? 4 : t.scale;
    const int precision = t.id == TypeId::Money ? 19 : t.precision;
    std::optional<Decimal> result;
    switch (op) {
    case BinaryOp::Add:
    case BinaryOp::Subtract: {
        const int s = std::max(a.scale(), b.scale());
        const auto x = a.rescale(s), y = b.rescale(s);
        if (!x || !y) overflow(t);
        Int128 sum;
        if (op == BinaryOp::Add ? __builtin_add_overflow(x->unscaled(), y->unscaled(), &sum)
                                : __builtin_sub_overflow(x->unscaled(), y->unscaled(), &sum))
            overflow(t);
        result = Decimal(sum, s).rescale(scale);
        break;
    }
    case BinaryOp::Multiply:
        result = Decimal(checkedMul(a.unscaled(), b.unscaled(), t), a.scale() + b.scale()).rescale(scale);
        break;
    case BinaryOp::Divide:
        result = divideDecimals(a, b, scale, t);
        break;
    case BinaryOp::Modulo: {
        if (b.isZero()) raise(8134);
        const int s = std::max(a.scale(), b.scale());
        const auto x = a.rescale(s), y = b.rescale(s);
        if (!x || !y) overflow(t);
        result = Decimal(x->unscaled() % y->unscaled(), s).rescale(scale);
        break;
    }
    }
    if (!result || (!result->isZero() && result->digits() > precision)) overflow(t);
    return Value::decimal(*result, t);
}

Value integerArithmetic(BinaryOp op, const Value& l, const Value& r, const Type& t) {
    const std::int64_t a = convert(l, t, ConversionKind::Implicit).asInt();
    const std::int64_t b = convert(r, t, ConversionKind::Implicit).asInt();
    if (b == 0 && (op == BinaryOp::Divide || op == BinaryOp::Modulo)) raise(8134);
    std::int64_t v = 0;
    const bool over = !integerOperation(op, a, b, v);
    const auto [lo, hi] = t.id == TypeId::TinyInt    ? std::pair<std::int64_t, std::int64_t>{0, 255}
                          : t.id == TypeId::SmallInt ? std::pair<std::int64_t, std::int64_t>{-32768, 32767}
                          : t.id == TypeId::Int ? std::pair<std::int64_t, std::int64_t>{INT32_MIN, INT32_MAX}
                                                : std::pair<std::int64_t, std::int64_t>{INT64_MIN, INT64_MAX};
    if (over || v < lo || v > hi) overflow(t);
    return Value::integer(v, t);
}

Value floatArithmetic(BinaryOp op, const Value& l, const Value& r, const Type& t) {
    const double a = convert(l, Type::floating(), ConversionKind::Implicit).asDouble();
    const double b = convert(r, Type::floating(), ConversionKind::Implicit).asDouble();
    double v = 0;
    switch (op) {
    case BinaryOp::Add:
        v = a + b;
        break;
    case BinaryOp::Subtract:
        v = a - b;
        break;
    case BinaryOp::Multiply:
        v = a * b;
        break;
    case BinaryOp::Divide:
        if (b == 0) raise(8134);
        v = a / b;
        break;
    case BinaryOp::Modulo:
        raise(8117, {name(t), "modulo"});
    }
    if (t.id == TypeId::Real) {
        if (!std::isfinite(v) || std::fabs(v) > std::numeric_limits<float>::max()) overflow(t);
        return Value::floating(static_cast<double>(static_cast<float>(v)), t);
    }
    if (!std::isfinite(v)) overflow(t);
    return Value::floating(v, t);
}

//! An operand of DATETIME arithmetic as 1/300 s ticks (numbers count days).
std::int64_t asTicks(const Value& v) {
    const Type& t = v.type();
    if (t.id == TypeId::DateTime) return v.asDateTime().totalTicks();
    if (isCharacterType(t.id))
        return convert(v, Type::dateTime(), ConversionKind::Implicit).asDateTime().totalTicks();
    if (isIntegerType(t.id)) return v.asInt() * DateTime::kTicksPerDay;
    const double days = convert(v, Type::floating(), ConversionKind::Implicit).asDouble();
    const double ticks = std::round(days * DateTime::kTicksPerDay);
    if (!(std::fabs(ticks) < 1e18)) raise(517);
    return static_cast<std::int64_t>(ticks);
}

Value dateArithmetic(BinaryOp op, const Value& l, const Value& r) {
    const std::int64_t a = asTicks(l), b = asTicks(r);
    const std::int64_t v = op == BinaryOp::Add ? a + b : a - b;
    if (v < std::int64_t(DateTime::kMinDays) * DateTime::kTicksPerDay ||
        v >= (std::int64_t(DateTime::kMaxDays) + 1) * DateTime::kTicksPerDay)
        raise(517);
    return Value::dateTime(DateTime::fromTotalTicks(v));
}

//! Bytes a value takes as text or binary (numbers and dates converted to text take few).
std::uint64_t payloadSize(const Value& v) {
    if (std::holds_alternative<std::string>(v.payload())) return v.asString().size();
    if (std::holds_alternative<Bytes>(v.payload())) return v.asBytes().size();
    return 64;
}

Value concatenate(const Value& l, const Value& r, const Type& t) {
    // Measured before anything is copied: operands near the limit are large themselves.
    checkValueSize(payloadSize(l) + payloadSize(r));
    if (isBinaryType(t.id)) {
        const Type wide = Type::varBinary(Type::kMax);
        Bytes b = convert(l, wide, ConversionKind::Implicit).asBytes();
        const Bytes c = convert(r, wide, ConversionKind::Implicit).asBytes();
        checkValueSize(std::uint64_t{b.size()} + c.size());
        b.insert(b.end(), c.begin(), c.end());
        return convert(Value::bytes(std::move(b), wide), t, ConversionKind::Assignment);
    }
    const Type wide = isUnicodeType(t.id) ? Type::nVarChar(Type::kMax) : Type::varChar(Type::kMax);
    std::string s = convert(l, wide, ConversionKind::Implicit).asString();
    const Value tail = convert(r, wide, ConversionKind::Implicit);
    checkValueSize(std::uint64_t{s.size()} + tail.asString().size());
    s += tail.asString();
    return convert(Value::text(std::move(s), wide), t, ConversionKind::Assignment);
}

template <typename T> int threeWay(const T& a, const T& b) {
    return a < b ? -1 : b < a ? 1 : 0;
}

} // namespace

bool integerOperation(BinaryOp op, std::int64_t a, std::int64_t b, std::int64_t& result) {
    result = 0;
    switch (op) {
    case BinaryOp::Add:
        return !__builtin_add_overflow(a, b, &result);
    case BinaryOp::Subtract:
        return !__builtin_sub_overflow(a, b, &result);
    case BinaryOp::Multiply:
        return !__builtin_mul_overflow(a, b, &result);
    case BinaryOp::Divide:
    case BinaryOp::Modulo:
        if (b == 0) return false;
        if (a == std::numeric_limits<std::int64_t>::min() && b == -1) return op == BinaryOp::Modulo;
        result = op == BinaryOp::Divide ? a / b : a % b;
        return true;
    }
    return false;
}

Value binaryOp(BinaryOp op, const Value& l, const Value& r) {
    const Type t = binaryResultType(op, l.type(), r.type());
    if (l.isNull() || r.isNull()) return Value::null(t);
    if (isCharacterType(t.id) || isBinaryType(t.id)) return concatenate(l, r, t);
    if (t.id == TypeId::DateTime) return dateArithmetic(op, l, r);
    if (t.id == TypeId::Float || t.id == TypeId::Real) return floatArithmetic(op, l, r, t);
    if (isDecimalType(t.id)) return decimalArithmetic(op, l, r, t);
    return integerArithmetic(op, l, r, t);
}

Value negate(const Value& v) {
    const Type t = negateResultType(v.type());
    if (v.isNull()) return Value::null(t);
    if (isIntegerType(t.id)) return integerArithmetic(BinaryOp::Subtract, Value::integer(0, t), v, t);
    if (isDecimalType(t.id))
        return Value::decimal(Decimal(-v.asDecimal().unscaled(), v.asDecimal().scale()), t);
    return Value::floating(-v.asDouble(), t);
}

std::optional<int> compare(const Value& l, const Value& r) {
    const Type t = comparisonType(l.type(), r.type());
    if (l.isNull() || r.isNull()) return std::nullopt;
    const Value a = convert(l, t, ConversionKind::Implicit), b = convert(r, t, ConversionKind::Implicit);
    if (isIntegerType(t.id)) return threeWay(a.asInt(), b.asInt());
    if (isDecimalType(t.id)) return compare(a.asDecimal(), b.asDecimal());
    if (t.id == TypeId::Float || t.id == TypeId::Real) return threeWay(a.asDouble(), b.asDouble());
    if (t.id == TypeId::DateTime) return threeWay(a.asDateTime(), b.asDateTime());
    if (t.id == TypeId::Date) return threeWay(a.asDate(), b.asDate());
    if (t.id == TypeId::Time) return threeWay(a.asTime(), b.asTime());
    if (isCharacterType(t.id)) return collateCompare(a.asString(), b.asString());
    if (t.id == TypeId::UniqueIdentifier) return threeWay(guidSortKey(a.asGuid()), guidSortKey(b.asGuid()));
    return threeWay(a.asBytes(), b.asBytes());
}

} // namespace tsql
