#include "tsql/type.h"

#include "tsql/convert.h"
#include "tsql/error.h"
#include "type_table.h"

#include <algorithm>

namespace tsql {

using namespace detail;

namespace {

std::pair<int, int> decimalShape(const Type& t) {
    switch (t.id) {
    case TypeId::Numeric:
    case TypeId::Decimal:
        return {t.precision, t.scale};
    case TypeId::Money:
        return {19, 4};
    default:
        return {typeRow(t.id).prec, 0};
    }
}

//! NUMERIC(p, s) capped to 38 digits, keeping the integer digits and at least 6 decimals where possible.
Type cappedNumeric(int p, int s, TypeId id = TypeId::Numeric) {
    if (p > kMaxDigits) {
        const int integral = p - s;
        s = std::min(s, std::max(kMaxDigits - integral, 6));
        p = kMaxDigits;
    }
    return Type{id, 0, static_cast<std::uint8_t>(std::max(p, 1)), static_cast<std::uint8_t>(s)};
}

[[noreturn]] void incompatible(const Type& l, const Type& r, BinaryOp op) {
    raise(402, {std::string(l.baseName()), std::string(r.baseName()), std::string(operatorName(op))});
}

[[noreturn]] void invalidOperand(const Type& t, BinaryOp op) {
    raise(8117, {std::string(t.baseName()), std::string(operatorName(op))});
}

Type concatenation(const Type& l, const Type& r, bool binary) {
    const bool unicode = isUnicodeType(l.id) || isUnicodeType(r.id);
    const bool fixed = isFixedLengthType(l.id) && isFixedLengthType(r.id);
    TypeId id = binary ? (fixed ? TypeId::Binary : TypeId::VarBinary)
                       : (unicode ? (fixed ? TypeId::NChar : TypeId::NVarChar)
                                  : (fixed ? TypeId::Char : TypeId::VarChar));
    if (l.length == Type::kMax || r.length == Type::kMax) return Type{id, Type::kMax, 0, 0};
    const std::int32_t n = std::min<std::int32_t>(l.length + r.length, maxLength(id));
    return Type{id, n, 0, 0};
}

} // namespace

int precedence(TypeId id) {
    return typeRow(id).precedence;
}

std::string_view operatorName(BinaryOp op) {
    static constexpr std::string_view names[] = {"add", "subtract", "multiply", "divide", "modulo"};
    return names[static_cast<int>(op)];
}

Type binaryResultType(BinaryOp op, const Type& lIn, const Type& rIn) {
    Type l = lIn.id == TypeId::Null ? (rIn.id == TypeId::Null ? Type::integer() : rIn) : lIn;
    Type r = rIn.id == TypeId::Null ? l : rIn;
    if (isLargeObjectType(l.id) || isLargeObjectType(r.id)) {
        if (l.id == r.id) invalidOperand(l, op);
        incompatible(l, r, op);
    }
    const bool lText = isCharacterType(l.id), rText = isCharacterType(r.id);
    const bool lBin = isBinaryType(l.id), rBin = isBinaryType(r.id);
    if (op == BinaryOp::Add && (lText || lBin) && (rText || rBin)) {
        if (lText != rText) {
            // Character and binary: the binary side is read as characters.
            const Type& textSide = lText ? l : r;
            const Type& binSide = lText ? r : l;
            return concatenation(textSide, Type{textSide.id, binSide.length, 0, 0}, false);
        }
        return concatenation(l, r, lBin);
    }
    const Type& high = precedence(l.id) >= precedence(r.id) ? l : r;
    const Type& low = &high == &l ? r : l;
    if (convertibility(low.id, high.id) == Convertibility::Forbidden ||
        convertibility(low.id, high.id) == Convertibility::Explicit)
        incompatible(l, r, op);
    switch (high.id) {
    case TypeId::Bit:
    case TypeId::UniqueIdentifier:
    case TypeId::Char:
    case TypeId::VarChar:
    case TypeId::NChar:
    case TypeId::NVarChar:
    case TypeId::Binary:
    case TypeId::VarBinary:
        invalidOperand(high, op);
    case TypeId::DateTime:
        if (op != BinaryOp::Add && op != BinaryOp::Subtract) invalidOperand(high, op);
        if (low.id == TypeId::Bit || isBinaryType(low.id) || low.id == TypeId::Date || low.id == TypeId::Time)
            incompatible(l, r, op);
        return Type::dateTime();
    case TypeId::Date:
    case TypeId::Time:
        // DATE and TIME take no arithmetic (DATEADD moves them).
        if (isDateOrTimeType(low.id)) invalidOperand(high, op);
        incompatible(l, r, op);
    case TypeId::Real:
    case TypeId::Float:
        if (op == BinaryOp::Modulo) invalidOperand(high, op);
        return high.id == TypeId::Float || low.id == TypeId::Float ? Type::floating() : Type::real();
    case TypeId::Money:
        return Type::money();
    case TypeId::Numeric:
    case TypeId::Decimal: {
        // The other side takes part with its own decimal shape; text takes the numeric's own.
        const auto [p1, s1] = decimalShape(isCharacterType(l.id) ? high : l);
        const auto [p2, s2] = decimalShape(isCharacterType(r.id) ? high : r);
        const TypeId id =
            l.id == TypeId::Decimal && r.id == TypeId::Decimal ? TypeId::Decimal : TypeId::Numeric;
        switch (op) {
        case BinaryOp::Add:
        case BinaryOp::Subtract: {
            const int s = std::max(s1, s2);
            return cappedNumeric(std::max(p1 - s1, p2 - s2) + s + 1, s, id);
        }
        case BinaryOp::Multiply:
            return cappedNumeric(p1 + p2 + 1, s1 + s2, id);
        case BinaryOp::Divide: {
            const int s = std::max(6, s1 + p2 + 1);
            return cappedNumeric(p1 - s1 + s2 + s, s, id);
        }
        case BinaryOp::Modulo: {
            const int s = std::max(s1, s2);
            return cappedNumeric(std::min(p1 - s1, p2 - s2) + s, s, id);
        }
        }
        break;
    }
    default:
        break;
    }
    // Integer types: the wider one.
    return Type{high.id, 0, typeRow(high.id).prec, 0};
}

Type negateResultType(const Type& operand) {
    if (operand.id == TypeId::Null) return Type::integer();
    if (isNumericType(operand.id) && operand.id != TypeId::Bit) return operand;
    raise(8117, {std::string(operand.baseName()), "minus"});
}

Type commonType(std::span<const Type> types) {
    const Type* high = nullptr;
    for (const Type& t : types)
        if (t.id != TypeId::Null && (!high || precedence(t.id) > precedence(high->id))) high = &t;
    if (!high) return Type::integer();
    for (const Type& t : types) {
        if (t.id == TypeId::Null || t.id == high->id) continue;
        const Convertibility c = convertibility(t.id, high->id);
        if (c == Convertibility::Forbidden || c == Convertibility::Explicit)
            raise(206, {std::string(t.baseName()), std::string(high->baseName())});
    }
    Type out = *high;
    if (isDecimalType(high->id) && high->id != TypeId::Money) {
        int integral = 0, scale = 0;
        for (const Type& t : types) {
            if (!isExactNumericType(t.id)) continue;
            const auto [p, s] = decimalShape(t);
            integral = std::max(integral, p - s);
            scale = std::max(scale, s);
        }
        return cappedNumeric(integral + scale, scale, high->id);
    }
    if (typeRow(high->id).args == TypeArgs::Length) {
        const bool fixed = isFixedLengthType(high->id);
        std::int32_t length = 0;
        bool varying = false;
        for (const Type& t : types) {
            if (typeRow(t.id).args != TypeArgs::Length) continue;
            if (t.length != high->length || !isFixedLengthType(t.id)) varying = true;
            if (length != Type::kMax)
                length = t.length == Type::kMax ? Type::kMax : std::max(length, t.length);
        }
        out.length = length;
        if (fixed && varying) {
            out.id = high->id == TypeId::Char    ? TypeId::VarChar
                     : high->id == TypeId::NChar ? TypeId::NVarChar
                                                 : TypeId::VarBinary;
        }
    }
    return out;
}

Type isNullResultType(const Type& check, const Type& replacement) {
    if (check.id != TypeId::Null) return check;
    return replacement.id == TypeId::Null ? Type::integer() : replacement;
}

Type comparisonType(const Type& l, const Type& r) {
    if (isLargeObjectType(l.id) || isLargeObjectType(r.id)) raise(306);
    const Type pair[] = {l, r};
    Type t = commonType(pair);
    if (typeRow(t.id).args == TypeArgs::Length) t.length = Type::kMax;
    if (t.id == TypeId::Char) t.id = TypeId::VarChar;
    if (t.id == TypeId::NChar) t.id = TypeId::NVarChar;
    if (t.id == TypeId::Binary) t.id = TypeId::VarBinary;
    return t;
}

Type numericLiteralType(std::string_view literal, bool numericContext) {
    if (literal.find_first_of("eE") != std::string_view::npos) return Type::floating();
    const auto dot = literal.find('.');
    std::string_view whole = literal.substr(0, dot);
    while (whole.size() > 1 && whole.front() == '0')
        whole.remove_prefix(1);
    if (dot == std::string_view::npos) {
        const bool fitsInt = whole.size() < 10 || (whole.size() == 10 && whole <= "2147483647");
        if (fitsInt && !numericContext) return Type::integer();
        return Type::numeric(static_cast<int>(std::min<std::size_t>(whole.size(), 38)), 0);
    }
    const int scale = static_cast<int>(literal.size() - dot - 1);
    const int integral = whole == "0" || whole.empty() ? 0 : static_cast<int>(whole.size());
    const int p = std::min(std::max(integral + scale, 1), 38);
    return Type::numeric(p, std::min(scale, p));
}

} // namespace tsql
