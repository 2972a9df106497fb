#include "tsql/type.h"

#include "tsql/convert.h"
#include "tsql/error.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <vector>

namespace tsql {

namespace {

constexpr int kMaxDigits = 38;

//! How a type name takes arguments.
enum class Args { None, Length, PrecisionScale, FloatBits };

//! Static facts of each TypeId, indexed by the enum's value.
struct TypeRow {
    TypeId id;
    std::string_view name;
    int precedence;
    std::uint8_t xtype;
    std::int16_t fixedLength; //!< storage bytes of fixed-size types; 0 for sized/variable ones
    std::uint8_t prec;        //!< systypes.prec of the base type
    std::uint8_t scale;
    bool variable;
    Args args;
};

constexpr TypeRow kTypes[] = {
    {TypeId::Null, "int", 0, 56, 4, 10, 0, false, Args::None},
    {TypeId::Bit, "bit", 11, 104, 1, 1, 0, false, Args::None},
    {TypeId::TinyInt, "tinyint", 12, 48, 1, 3, 0, false, Args::None},
    {TypeId::SmallInt, "smallint", 13, 52, 2, 5, 0, false, Args::None},
    {TypeId::Int, "int", 14, 56, 4, 10, 0, false, Args::None},
    {TypeId::BigInt, "bigint", 15, 127, 8, 19, 0, false, Args::None},
    {TypeId::Numeric, "numeric", 17, 108, 0, 38, 38, false, Args::PrecisionScale},
    {TypeId::Decimal, "decimal", 17, 106, 0, 38, 38, false, Args::PrecisionScale},
    {TypeId::Money, "money", 16, 60, 8, 19, 4, false, Args::None},
    {TypeId::Real, "real", 18, 59, 4, 24, 0, false, Args::None},
    {TypeId::Float, "float", 19, 62, 8, 53, 0, false, Args::FloatBits},
    {TypeId::DateTime, "datetime", 20, 61, 8, 23, 3, false, Args::None},
    {TypeId::Char, "char", 3, 175, 0, 0, 0, false, Args::Length},
    {TypeId::VarChar, "varchar", 4, 167, 0, 0, 0, true, Args::Length},
    {TypeId::Text, "text", 9, 35, 16, 0, 0, false, Args::None},
    {TypeId::NChar, "nchar", 5, 239, 0, 0, 0, false, Args::Length},
    {TypeId::NVarChar, "nvarchar", 6, 231, 0, 0, 0, true, Args::Length},
    {TypeId::NText, "ntext", 10, 99, 16, 0, 0, false, Args::None},
    {TypeId::Binary, "binary", 1, 173, 0, 0, 0, false, Args::Length},
    {TypeId::VarBinary, "varbinary", 2, 165, 0, 0, 0, true, Args::Length},
    {TypeId::Image, "image", 8, 34, 16, 0, 0, false, Args::None},
    {TypeId::UniqueIdentifier, "uniqueidentifier", 7, 36, 16, 0, 0, false, Args::None},
};

constexpr bool rowsInEnumOrder() {
    for (std::size_t i = 0; i < std::size(kTypes); ++i)
        if (static_cast<std::size_t>(kTypes[i].id) != i) return false;
    return true;
}
static_assert(rowsInEnumOrder(), "kTypes rows must follow the TypeId order");

const TypeRow& row(TypeId id) {
    return kTypes[static_cast<std::size_t>(id)];
}

//! Names accepted in T-SQL for each type, with synonyms.
struct NameRow {
    std::string_view name;
    TypeId id;
};
constexpr NameRow kNames[] = {
    {"bit", TypeId::Bit},
    {"tinyint", TypeId::TinyInt},
    {"smallint", TypeId::SmallInt},
    {"int", TypeId::Int},
    {"integer", TypeId::Int},
    {"bigint", TypeId::BigInt},
    {"numeric", TypeId::Numeric},
    {"decimal", TypeId::Decimal},
    {"dec", TypeId::Decimal},
    {"money", TypeId::Money},
    {"real", TypeId::Real},
    {"float", TypeId::Float},
    {"double precision", TypeId::Float},
    {"datetime", TypeId::DateTime},
    {"char", TypeId::Char},
    {"character", TypeId::Char},
    {"varchar", TypeId::VarChar},
    {"char varying", TypeId::VarChar},
    {"character varying", TypeId::VarChar},
    {"text", TypeId::Text},
    {"nchar", TypeId::NChar},
    {"national char", TypeId::NChar},
    {"national character", TypeId::NChar},
    {"nvarchar", TypeId::NVarChar},
    {"national char varying", TypeId::NVarChar},
    {"national character varying", TypeId::NVarChar},
    {"sysname", TypeId::NVarChar},
    {"ntext", TypeId::NText},
    {"national text", TypeId::NText},
    {"binary", TypeId::Binary},
    {"varbinary", TypeId::VarBinary},
    {"binary varying", TypeId::VarBinary},
    {"image", TypeId::Image},
    {"uniqueidentifier", TypeId::UniqueIdentifier},
};

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

//! Maximum length of a sized type (characters for NCHAR/NVARCHAR, else bytes).
std::int32_t maxLength(TypeId id) {
    return isUnicodeType(id) ? 4000 : 8000;
}

//! Precision and scale a value of an exact numeric type takes part in decimal arithmetic with.
std::pair<int, int> decimalShape(const Type& t) {
    switch (t.id) {
    case TypeId::Numeric:
    case TypeId::Decimal:
        return {t.precision, t.scale};
    case TypeId::Money:
        return {19, 4};
    default:
        return {row(t.id).prec, 0};
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

Type Type::numeric(int p, int s) {
    return {TypeId::Numeric, 0, static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(s)};
}
Type Type::decimal(int p, int s) {
    return {TypeId::Decimal, 0, static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(s)};
}

std::string_view Type::baseName() const {
    return row(id).name;
}

std::string Type::name() const {
    std::string out(baseName());
    switch (row(id).args) {
    case Args::Length:
        out += length == kMax ? "(max)" : "(" + std::to_string(length) + ")";
        break;
    case Args::PrecisionScale:
        out += "(" + std::to_string(precision) + "," + std::to_string(scale) + ")";
        break;
    default:
        break;
    }
    return out;
}

std::int64_t Type::code() const {
    return static_cast<std::int64_t>(id) | static_cast<std::int64_t>(precision) << 8 |
           static_cast<std::int64_t>(scale) << 16 | (static_cast<std::int64_t>(length) + 1) << 24;
}

Type Type::fromCode(std::int64_t code) {
    const auto idValue = code & 0xff;
    if (code < 0 || idValue >= static_cast<std::int64_t>(std::size(kTypes)) || (code >> 56) != 0)
        throw std::invalid_argument("not a type code: " + std::to_string(code));
    Type t;
    t.id = static_cast<TypeId>(idValue);
    t.precision = static_cast<std::uint8_t>(code >> 8 & 0xff);
    t.scale = static_cast<std::uint8_t>(code >> 16 & 0xff);
    t.length = static_cast<std::int32_t>((code >> 24) - 1);
    return t;
}

bool isIntegerType(TypeId id) {
    return id == TypeId::Bit || id == TypeId::TinyInt || id == TypeId::SmallInt || id == TypeId::Int ||
           id == TypeId::BigInt;
}
bool isDecimalType(TypeId id) {
    return id == TypeId::Numeric || id == TypeId::Decimal || id == TypeId::Money;
}
bool isExactNumericType(TypeId id) {
    return isIntegerType(id) || isDecimalType(id);
}
bool isNumericType(TypeId id) {
    return isExactNumericType(id) || id == TypeId::Real || id == TypeId::Float;
}
bool isCharacterType(TypeId id) {
    return id == TypeId::Char || id == TypeId::VarChar || id == TypeId::Text || isUnicodeType(id);
}
bool isUnicodeType(TypeId id) {
    return id == TypeId::NChar || id == TypeId::NVarChar || id == TypeId::NText;
}
bool isBinaryType(TypeId id) {
    return id == TypeId::Binary || id == TypeId::VarBinary || id == TypeId::Image;
}
bool isLargeObjectType(TypeId id) {
    return id == TypeId::Text || id == TypeId::NText || id == TypeId::Image;
}
bool isFixedLengthType(TypeId id) {
    return id == TypeId::Char || id == TypeId::NChar || id == TypeId::Binary;
}

std::optional<Type> makeType(std::string_view rawName, std::span<const std::int32_t> args) {
    const std::string name = lowerAscii(rawName);
    const auto* found =
        std::find_if(std::begin(kNames), std::end(kNames), [&](const NameRow& n) { return n.name == name; });
    if (found == std::end(kNames)) return std::nullopt;
    const TypeId id = found->id;
    if (name == "sysname") {
        if (!args.empty()) raise(2716, {"1", "sysname"});
        return Type::nVarChar(128);
    }
    const auto bad = [](std::int32_t v) -> SqlError {
        return SqlError::make(1001, {"1", std::to_string(v)});
    };
    switch (row(id).args) {
    case Args::None:
        if (!args.empty()) raise(2716, {"1", std::string(row(id).name)});
        switch (id) {
        case TypeId::Bit:
            return Type::bit();
        case TypeId::TinyInt:
            return Type::tinyInt();
        case TypeId::SmallInt:
            return Type::smallInt();
        case TypeId::Int:
            return Type::integer();
        case TypeId::BigInt:
            return Type::bigInt();
        case TypeId::Money:
            return Type::money();
        case TypeId::Real:
            return Type::real();
        case TypeId::DateTime:
            return Type::dateTime();
        case TypeId::Text:
            return Type::text();
        case TypeId::NText:
            return Type::nText();
        case TypeId::Image:
            return Type::image();
        default:
            return Type::uniqueIdentifier();
        }
    case Args::Length: {
        if (args.size() > 1) throw bad(args[1]);
        const std::int32_t n = args.empty() ? 1 : args[0];
        const bool variable = row(id).variable;
        if (n == Type::kMax) {
            if (!variable) throw bad(n);
            return Type{id, Type::kMax, 0, 0};
        }
        if (n <= 0) throw bad(n);
        if (n > maxLength(id))
            raise(131, {std::to_string(n), std::string(row(id).name), std::to_string(maxLength(id))});
        return Type{id, n, 0, 0};
    }
    case Args::PrecisionScale: {
        if (args.size() > 2) throw bad(args[2]);
        const int p = args.empty() ? 18 : args[0];
        const int s = args.size() < 2 ? 0 : args[1];
        if (p <= 0) throw bad(p);
        if (p > 38) raise(2750, {"1", std::to_string(p)});
        if (s < 0) throw bad(s);
        if (s > p) raise(2751, {"1", std::to_string(s), std::to_string(p)});
        return Type{id, 0, static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(s)};
    }
    case Args::FloatBits: {
        if (args.size() > 1) throw bad(args[1]);
        const int bits = args.empty() ? 53 : args[0];
        if (bits < 1 || bits > 53) throw bad(bits);
        return bits <= 24 ? Type::real() : Type::floating();
    }
    }
    return std::nullopt;
}

std::optional<Type> parseType(std::string_view text) {
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i])))
            ++i;
    };
    // Name: words (possibly several, e.g. "double precision"), or one [bracketed] name.
    std::string name;
    skipBlanks();
    if (i < text.size() && text[i] == '[') {
        const auto close = text.find(']', i);
        if (close == std::string_view::npos) return std::nullopt;
        name = std::string(text.substr(i + 1, close - i - 1));
        i = close + 1;
    } else {
        while (i < text.size() && text[i] != '(') {
            const std::size_t start = i;
            while (i < text.size() && (std::isalnum(static_cast<unsigned char>(text[i])) || text[i] == '_'))
                ++i;
            if (i == start) return std::nullopt;
            if (!name.empty()) name += ' ';
            name += text.substr(start, i - start);
            skipBlanks();
        }
    }
    skipBlanks();
    std::vector<std::int32_t> args;
    if (i < text.size() && text[i] == '(') {
        ++i;
        for (;;) {
            skipBlanks();
            const std::size_t start = i;
            while (i < text.size() && std::isalnum(static_cast<unsigned char>(text[i])))
                ++i;
            const std::string arg = lowerAscii(text.substr(start, i - start));
            if (arg == "max") {
                args.push_back(Type::kMax);
            } else if (!arg.empty() && std::all_of(arg.begin(), arg.end(), ::isdigit) && arg.size() <= 9) {
                args.push_back(std::stoi(arg));
            } else {
                return std::nullopt;
            }
            skipBlanks();
            if (i < text.size() && text[i] == ',') {
                ++i;
                continue;
            }
            if (i < text.size() && text[i] == ')') {
                ++i;
                break;
            }
            return std::nullopt;
        }
    }
    skipBlanks();
    if (i != text.size()) return std::nullopt;
    return makeType(name, args);
}

TypeFacts typeFacts(const Type& t) {
    const Type type = t.id == TypeId::Null ? Type::integer() : t;
    const TypeRow& r = row(type.id);
    TypeFacts f{r.name, r.xtype, r.xtype, r.fixedLength, r.prec, r.prec, r.scale};
    switch (r.args) {
    case Args::Length:
        f.length = type.length == Type::kMax
                       ? std::int16_t(-1)
                       : static_cast<std::int16_t>(isUnicodeType(type.id) ? type.length * 2 : type.length);
        f.prec = type.length == Type::kMax ? std::int16_t(-1) : static_cast<std::int16_t>(type.length);
        f.xprec = 0;
        break;
    case Args::PrecisionScale: {
        const int p = type.precision;
        f.length = p <= 9 ? 5 : p <= 19 ? 9 : p <= 28 ? 13 : 17;
        f.prec = type.precision;
        f.xprec = type.precision;
        f.scale = type.scale;
        break;
    }
    default:
        if (isLargeObjectType(type.id) || type.id == TypeId::UniqueIdentifier) f.prec = 0, f.xprec = 0;
        break;
    }
    return f;
}

std::span<const SysTypeRow> sysTypes() {
    static const std::vector<SysTypeRow> rows = [] {
        std::vector<SysTypeRow> out;
        for (const TypeRow& r : kTypes) {
            if (r.id == TypeId::Null) continue;
            const bool sized = r.args == Args::Length;
            const std::int16_t length = sized ? 8000 : r.args == Args::PrecisionScale ? 17 : r.fixedLength;
            const std::int16_t prec = sized ? std::int16_t(isUnicodeType(r.id) ? 4000 : 8000) : r.prec;
            out.push_back({r.name, r.xtype, r.xtype, length, prec, r.scale, r.variable});
        }
        out.push_back({"sysname", 231, 256, 256, 128, 0, true});
        std::sort(out.begin(), out.end(),
                  [](const SysTypeRow& a, const SysTypeRow& b) { return a.xusertype < b.xusertype; });
        return out;
    }();
    return rows;
}

int precedence(TypeId id) {
    return row(id).precedence;
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
        if (low.id == TypeId::Bit || isBinaryType(low.id)) incompatible(l, r, op);
        return Type::dateTime();
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
    return Type{high.id, 0, row(high.id).prec, 0};
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
    if (row(high->id).args == Args::Length) {
        const bool fixed = isFixedLengthType(high->id);
        std::int32_t length = 0;
        bool varying = false;
        for (const Type& t : types) {
            if (row(t.id).args != Args::Length) continue;
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
    if (row(t.id).args == Args::Length) t.length = Type::kMax;
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
