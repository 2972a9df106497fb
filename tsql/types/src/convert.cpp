#include "tsql/convert.h"

#include "convert_detail.h"
#include "tsql/error.h"
#include "utf8.h"

#include <cctype>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <strings.h>

namespace tsql {

namespace {

//! SQL Server's conversion chart: row = source, column = target, both in TypeId order.
//! I = implicit, E = explicit only (CAST/CONVERT), N = not allowed.
constexpr std::string_view kChart[] = {
    //                      target: Null Bit Tiny Small Int Big Num Dec Money Real Float DateTime Char VarChar
    //                              Text NChar NVarChar NText Binary VarBinary Image Guid
    "IIIIIIIIIIIIIIIIIIIIII", // Null
    "IIIIIIIIIIIIIINIINIINN", // Bit
    "IIIIIIIIIIIIIINIINIINN", // TinyInt
    "IIIIIIIIIIIIIINIINIINN", // SmallInt
    "IIIIIIIIIIIIIINIINIINN", // Int
    "IIIIIIIIIIIIIINIINIINN", // BigInt
    "IIIIIIIIIIIIIINIINIINN", // Numeric
    "IIIIIIIIIIIIIINIINIINN", // Decimal
    "IIIIIIIIIIIIIINIINIINN", // Money
    "IIIIIIIIIIIIIINIINIINN", // Real
    "IIIIIIIIIIIIIINIINIINN", // Float
    "IEEEEEEEEEEIIINIINEENN", // DateTime
    "IIIIIIIIIIIIIIIIIIEENI", // Char
    "IIIIIIIIIIIIIIIIIIEENI", // VarChar
    "INNNNNNNNNNNIIIIIINNNN", // Text
    "IIIIIIIIIIIIIIIIIIEENI", // NChar
    "IIIIIIIIIIIIIIIIIIEENI", // NVarChar
    "INNNNNNNNNNNIIIIIINNNN", // NText
    "IIIIIIIIINNEIINIINIIII", // Binary
    "IIIIIIIIINNEIINIINIIII", // VarBinary
    "INNNNNNNNNNNNNNNNNIIIN", // Image
    "INNNNNNNNNNNIINIINIINI", // UniqueIdentifier
};

constexpr bool chartIsSquare() {
    for (auto r : kChart)
        if (r.size() != std::size(kChart)) return false;
    return true;
}
static_assert(chartIsSquare(), "one column per type in every row of the conversion chart");

std::string name(const Type& t) {
    return std::string(t.baseName());
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front())))
        s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back())))
        s.remove_suffix(1);
    return s;
}

//! Range of each integer type.
std::pair<std::int64_t, std::int64_t> integerRange(TypeId id) {
    switch (id) {
    case TypeId::Bit:
        return {0, 1};
    case TypeId::TinyInt:
        return {0, 255};
    case TypeId::SmallInt:
        return {-32768, 32767};
    case TypeId::Int:
        return {std::numeric_limits<std::int32_t>::min(), std::numeric_limits<std::int32_t>::max()};
    default:
        return {std::numeric_limits<std::int64_t>::min(), std::numeric_limits<std::int64_t>::max()};
    }
}

//! An integer value into an integer type: BIT takes any non-zero as 1, others check their range.
Value integerInto(Int128 v, const Type& to, const Type& from) {
    if (to.id == TypeId::Bit) return Value::integer(v != 0 ? 1 : 0, Type::bit());
    const auto [lo, hi] = integerRange(to.id);
    if (v < lo || v > hi) {
        if (isIntegerType(from.id) && (to.id == TypeId::TinyInt || to.id == TypeId::SmallInt))
            raise(220, {name(to), std::to_string(static_cast<std::int64_t>(v))});
        raise(8115, {isIntegerType(from.id) ? "expression" : name(from), name(to)});
    }
    return Value::integer(static_cast<std::int64_t>(v), Type{to.id, 0, to.precision, 0});
}

//! Parses "[blanks][+-]digits[blanks]"; empty text is 0 as SQL Server reads it.
std::optional<Int128> parseIntegerText(std::string_view text, bool& overflow) {
    std::string_view s = trimBlanks(text);
    overflow = false;
    if (s.empty()) return 0;
    bool negative = false;
    if (s.front() == '+' || s.front() == '-') {
        negative = s.front() == '-';
        s.remove_prefix(1);
    }
    if (s.empty()) return std::nullopt;
    Int128 v = 0;
    for (char c : s) {
        if (c < '0' || c > '9') return std::nullopt;
        if (v < pow10(20))
            v = v * 10 + (c - '0');
        else
            overflow = true;
    }
    return negative ? -v : v;
}

//! Parses a float literal text: digits with optional point and exponent; empty text is 0.
std::optional<double> parseFloatText(std::string_view text) {
    const std::string_view s = trimBlanks(text);
    if (s.empty()) return 0.0;
    std::size_t i = 0;
    if (s[i] == '+' || s[i] == '-') ++i;
    bool digits = false;
    while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
        ++i, digits = true;
    if (i < s.size() && s[i] == '.') {
        ++i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i, digits = true;
    }
    if (!digits) return std::nullopt;
    if (i < s.size() && (s[i] == 'e' || s[i] == 'E')) {
        ++i;
        if (i < s.size() && (s[i] == '+' || s[i] == '-')) ++i;
        const std::size_t start = i;
        while (i < s.size() && std::isdigit(static_cast<unsigned char>(s[i])))
            ++i;
        if (i == start) return std::nullopt;
    }
    if (i != s.size()) return std::nullopt;
    return std::strtod(std::string(s).c_str(), nullptr);
}

Int128 integerPayload(const Value& v) {
    return v.asInt();
}

//! Big-endian bytes of an integer of `size` bytes.
Bytes bigEndian(std::int64_t v, std::size_t size) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[size - 1 - i] = static_cast<std::uint8_t>(static_cast<std::uint64_t>(v) >> (8 * i));
    return out;
}

std::size_t integerSize(TypeId id) {
    switch (id) {
    case TypeId::Bit:
    case TypeId::TinyInt:
        return 1;
    case TypeId::SmallInt:
        return 2;
    case TypeId::Int:
        return 4;
    default:
        return 8;
    }
}

Value toInteger(const Value& v, const Type& to) {
    const Type& from = v.type();
    if (isIntegerType(from.id)) return integerInto(integerPayload(v), to, from);
    if (isDecimalType(from.id)) {
        const Decimal d = *v.asDecimal().truncate(0);
        return integerInto(d.unscaled(), to, from);
    }
    if (from.id == TypeId::Real || from.id == TypeId::Float) {
        const double t = std::trunc(v.asDouble());
        if (!(t > -1e19 && t < 1e19)) raise(8115, {name(from), name(to)});
        return integerInto(static_cast<Int128>(t), to, from);
    }
    if (from.id == TypeId::DateTime) {
        const DateTime& dt = v.asDateTime();
        return integerInto(dt.days() + (dt.ticks() >= DateTime::kTicksPerDay / 2 ? 1 : 0), to, from);
    }
    if (isCharacterType(from.id)) {
        const std::string& s = v.asString();
        if (to.id == TypeId::Bit) {
            const std::string_view t = trimBlanks(s);
            if (t.size() == 4 && strncasecmp(t.data(), "true", 4) == 0) return Value::bit(true);
            if (t.size() == 5 && strncasecmp(t.data(), "false", 5) == 0) return Value::bit(false);
        }
        bool overflow = false;
        const auto parsed = parseIntegerText(s, overflow);
        if (!parsed) raise(245, {name(from), s, name(to)});
        const auto [lo, hi] = integerRange(to.id);
        if (to.id != TypeId::Bit && (overflow || *parsed < lo || *parsed > hi))
            raise(248, {name(from), s, name(to)});
        return integerInto(*parsed, to, from);
    }
    if (isBinaryType(from.id)) {
        const Bytes& b = v.asBytes();
        const std::size_t size = integerSize(to.id);
        std::uint64_t u = 0;
        const std::size_t start = b.size() > size ? b.size() - size : 0;
        for (std::size_t i = start; i < b.size(); ++i)
            u = (u << 8) | b[i];
        std::int64_t s = static_cast<std::int64_t>(u);
        if (size < 8 && to.id != TypeId::TinyInt && to.id != TypeId::Bit && (u >> (size * 8 - 1)) & 1)
            s = static_cast<std::int64_t>(u | (~std::uint64_t(0) << (size * 8)));
        return integerInto(s, to, from);
    }
    detail::unsupported(from, to);
}

Value decimalInto(const std::optional<Decimal>& d, const Type& to, const Type& from) {
    const int scale = to.id == TypeId::Money ? 4 : to.scale;
    const int precision = to.id == TypeId::Money ? 19 : to.precision;
    std::optional<Decimal> r = d ? d->rescale(scale) : std::nullopt;
    if (!r || (!r->isZero() && r->digits() > precision)) {
        const std::string source = isCharacterType(from.id) ? name(from)
                                   : isIntegerType(from.id) ? std::string(from.baseName())
                                                            : name(from);
        raise(8115, {source, to.id == TypeId::Money ? "money" : name(to)});
    }
    const Type t = to.id == TypeId::Money ? Type::money() : Type{to.id, 0, to.precision, to.scale};
    return Value::decimal(*r, t);
}

Value toDecimal(const Value& v, const Type& to) {
    const Type& from = v.type();
    if (isIntegerType(from.id)) return decimalInto(Decimal(v.asInt(), 0), to, from);
    if (isDecimalType(from.id)) return decimalInto(v.asDecimal(), to, from);
    if (from.id == TypeId::Real || from.id == TypeId::Float)
        return decimalInto(Decimal::fromDouble(v.asDouble(), to.id == TypeId::Money ? 4 : to.scale), to,
                           from);
    if (from.id == TypeId::DateTime)
        return decimalInto(Decimal::fromDouble(v.asDateTime().toFloat(), 9), to, from);
    if (isCharacterType(from.id)) {
        std::string s(trimBlanks(v.asString()));
        if (to.id == TypeId::Money) {
            std::string cleaned;
            for (std::size_t i = 0; i < s.size(); ++i)
                if (s[i] != ',' && !(s[i] == '$' && cleaned.find_first_of("0123456789") == std::string::npos))
                    cleaned += s[i];
            if (cleaned.empty()) return Value::decimal(Decimal(0, 4), Type::money());
            const auto d = Decimal::parse(cleaned);
            if (!d) raise(235);
            return decimalInto(d, to, from);
        }
        const auto d = Decimal::parse(s);
        if (!d) {
            // Digits beyond 38 are an overflow, anything else is not a number.
            const auto f = parseFloatText(s);
            if (f && s.find_first_of("eE") == std::string::npos && !s.empty())
                raise(8115, {name(from), name(to)});
            raise(8114, {name(from), name(to)});
        }
        return decimalInto(d, to, from);
    }
    detail::unsupported(from, to);
}

Value toFloat(const Value& v, const Type& to) {
    const Type& from = v.type();
    double d = 0;
    if (isIntegerType(from.id))
        d = static_cast<double>(v.asInt());
    else if (isDecimalType(from.id))
        d = v.asDecimal().toDouble();
    else if (from.id == TypeId::Real || from.id == TypeId::Float)
        d = v.asDouble();
    else if (from.id == TypeId::DateTime)
        d = v.asDateTime().toFloat();
    else if (isCharacterType(from.id)) {
        const auto parsed = parseFloatText(v.asString());
        if (!parsed) raise(8114, {name(from), name(to)});
        d = *parsed;
    } else
        detail::unsupported(from, to);
    if (!std::isfinite(d)) raise(8115, {name(from), name(to)});
    if (to.id == TypeId::Real) {
        if (std::fabs(d) > std::numeric_limits<float>::max()) raise(8115, {name(from), "real"});
        return Value::floating(static_cast<double>(static_cast<float>(d)), Type::real());
    }
    return Value::floating(d, Type::floating());
}

Value toDateTime(const Value& v, int style) {
    const Type& from = v.type();
    if (isIntegerType(from.id)) {
        const std::int64_t days = v.asInt();
        if (days < DateTime::kMinDays || days > DateTime::kMaxDays) raise(8115, {"expression", "datetime"});
        return Value::dateTime(DateTime(static_cast<std::int32_t>(days), 0));
    }
    if (isDecimalType(from.id)) return Value::dateTime(DateTime::fromFloat(v.asDecimal().toDouble()));
    if (from.id == TypeId::Real || from.id == TypeId::Float)
        return Value::dateTime(DateTime::fromFloat(v.asDouble()));
    if (isCharacterType(from.id)) {
        try {
            return Value::dateTime(parseDateTime(v.asString(), style));
        } catch (const SqlError& e) {
            if (e.number() == 242) raise(242, {name(from)});
            throw;
        }
    }
    if (isBinaryType(from.id)) {
        Bytes b = v.asBytes();
        if (b.size() < 8) b.insert(b.begin(), 8 - b.size(), 0);
        std::uint64_t u = 0;
        for (std::size_t i = b.size() - 8; i < b.size(); ++i)
            u = (u << 8) | b[i];
        const auto days = static_cast<std::int32_t>(static_cast<std::uint32_t>(u >> 32));
        const auto ticks = static_cast<std::int32_t>(static_cast<std::uint32_t>(u));
        return Value::dateTime(DateTime(days, ticks));
    }
    detail::unsupported(from, Type::dateTime());
}

Value toGuid(const Value& v) {
    const Type& from = v.type();
    if (isCharacterType(from.id)) {
        std::string_view s = trimBlanks(v.asString());
        // Text longer than a GUID is read up to its length, as SQL Server does.
        if (s.size() > 36 && s.front() != '{') s = s.substr(0, 36);
        return Value::guid(parseGuid(s));
    }
    if (isBinaryType(from.id)) {
        Guid g;
        const Bytes& b = v.asBytes();
        for (std::size_t i = 0; i < 16 && i < b.size(); ++i)
            g.bytes[i] = b[i];
        return Value::guid(g);
    }
    detail::unsupported(from, Type::uniqueIdentifier());
}

Value toBinary(const Value& v, const Type& to, ConversionKind kind) {
    const Type& from = v.type();
    Bytes b;
    bool numeric = false;
    if (isBinaryType(from.id))
        b = v.asBytes();
    else if (isIntegerType(from.id))
        b = bigEndian(v.asInt(), integerSize(from.id)), numeric = true;
    else if (from.id == TypeId::UniqueIdentifier)
        b.assign(v.asGuid().bytes.begin(), v.asGuid().bytes.end());
    else if (from.id == TypeId::DateTime) {
        const DateTime& dt = v.asDateTime();
        b = bigEndian((static_cast<std::int64_t>(dt.days()) << 32) | static_cast<std::uint32_t>(dt.ticks()),
                      8);
    } else if (isCharacterType(from.id))
        b = isUnicodeType(from.id) ? detail::toUtf16Le(v.asString()) : detail::toLatin1(v.asString());
    else
        detail::unsupported(from, to);
    return detail::fitBinary(std::move(b), to, kind, numeric);
}

} // namespace

namespace detail {

void unsupported(const Type& from, const Type& to) {
    raise(529, {name(from), name(to)}, 2);
}

Value fitBinary(Bytes b, const Type& to, ConversionKind kind, bool numeric) {
    const Type t = to.id == TypeId::Image ? Type::image() : to;
    if (t.id != TypeId::Image && t.length != Type::kMax && b.size() > static_cast<std::size_t>(t.length)) {
        if (kind == ConversionKind::Store) raise(8152);
        const auto n = static_cast<std::size_t>(t.length);
        // Numbers keep their low-order bytes, other values their first bytes.
        if (numeric)
            b.erase(b.begin(), b.end() - static_cast<std::ptrdiff_t>(n));
        else
            b.resize(n);
    }
    if (t.id == TypeId::Binary && b.size() < static_cast<std::size_t>(t.length)) {
        if (numeric)
            b.insert(b.begin(), static_cast<std::size_t>(t.length) - b.size(), 0);
        else
            b.resize(static_cast<std::size_t>(t.length), 0);
    }
    return Value::bytes(std::move(b), t);
}

Value fitText(std::string s, const Type& to, ConversionKind kind) {
    const bool unicode = isUnicodeType(to.id);
    if (to.id == TypeId::Text || to.id == TypeId::NText) return Value::text(std::move(s), to);
    if (to.length != Type::kMax) {
        const std::int64_t len = textLength(s, unicode);
        if (len > to.length) {
            std::string cut = cutText(s, to.length, unicode);
            const bool onlyBlanks = s.find_first_not_of(' ', cut.size()) == std::string::npos;
            if (kind == ConversionKind::Store && !onlyBlanks) raise(8152);
            s = std::move(cut);
        } else if (isFixedLengthType(to.id) && len < to.length) {
            s.append(static_cast<std::size_t>(to.length - len), ' ');
        }
    }
    return Value::text(std::move(s), to);
}

} // namespace detail

Convertibility convertibility(TypeId from, TypeId to) {
    if (from == to) return Convertibility::Same;
    switch (kChart[static_cast<std::size_t>(from)][static_cast<std::size_t>(to)]) {
    case 'I':
        return Convertibility::Implicit;
    case 'E':
        return Convertibility::Explicit;
    default:
        return Convertibility::Forbidden;
    }
}

Value convert(const Value& v, const Type& toIn, ConversionKind kind) {
    return detail::convertWithStyle(v, toIn, kind, 0);
}

namespace detail {

Value convertWithStyle(const Value& v, const Type& toIn, ConversionKind kind, int style) {
    const Type to = toIn.id == TypeId::Null ? Type::integer() : toIn;
    const Type& from = v.type();
    switch (convertibility(from.id, to.id)) {
    case Convertibility::Forbidden:
        if (kind == ConversionKind::Explicit) raise(529, {name(from), name(to)});
        raise(206, {name(from), name(to)});
    case Convertibility::Explicit:
        if (kind != ConversionKind::Explicit) raise(257, {name(from), name(to)});
        break;
    default:
        break;
    }
    if (v.isNull()) return Value::null(to);
    if (from == to && !isFixedLengthType(to.id)) return v;
    if (isIntegerType(to.id)) return toInteger(v, to);
    if (isDecimalType(to.id)) return toDecimal(v, to);
    switch (to.id) {
    case TypeId::Real:
    case TypeId::Float:
        return toFloat(v, to);
    case TypeId::DateTime:
        return toDateTime(v, style);
    case TypeId::UniqueIdentifier:
        return toGuid(v);
    default:
        break;
    }
    if (isBinaryType(to.id)) return toBinary(v, to, kind);
    return textFromValue(v, to, kind, style);
}

} // namespace detail

Value convertStyle(const Value& v, const Type& to, int style) {
    detail::checkStyle(v.type(), to, style);
    return detail::convertWithStyle(v, to, ConversionKind::Explicit, style);
}

} // namespace tsql
