#include "tsql/type.h"

#include "tsql/error.h"
#include "type_table.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>
#include <vector>

namespace tsql {

namespace detail {

constexpr TypeRow kTypes[] = {
    {TypeId::Null, "int", 0, 56, 4, 10, 0, false, TypeArgs::None},
    {TypeId::Bit, "bit", 11, 104, 1, 1, 0, false, TypeArgs::None},
    {TypeId::TinyInt, "tinyint", 12, 48, 1, 3, 0, false, TypeArgs::None},
    {TypeId::SmallInt, "smallint", 13, 52, 2, 5, 0, false, TypeArgs::None},
    {TypeId::Int, "int", 14, 56, 4, 10, 0, false, TypeArgs::None},
    {TypeId::BigInt, "bigint", 15, 127, 8, 19, 0, false, TypeArgs::None},
    {TypeId::Numeric, "numeric", 17, 108, 0, 38, 38, false, TypeArgs::PrecisionScale},
    {TypeId::Decimal, "decimal", 17, 106, 0, 38, 38, false, TypeArgs::PrecisionScale},
    {TypeId::Money, "money", 16, 60, 8, 19, 4, false, TypeArgs::None},
    {TypeId::Real, "real", 18, 59, 4, 24, 0, false, TypeArgs::None},
    {TypeId::Float, "float", 19, 62, 8, 53, 0, false, TypeArgs::FloatBits},
    {TypeId::DateTime, "datetime", 22, 61, 8, 23, 3, false, TypeArgs::None},
    {TypeId::Char, "char", 3, 175, 0, 0, 0, false, TypeArgs::Length},
    {TypeId::VarChar, "varchar", 4, 167, 0, 0, 0, true, TypeArgs::Length},
    {TypeId::Text, "text", 9, 35, 16, 0, 0, false, TypeArgs::None},
    {TypeId::NChar, "nchar", 5, 239, 0, 0, 0, false, TypeArgs::Length},
    {TypeId::NVarChar, "nvarchar", 6, 231, 0, 0, 0, true, TypeArgs::Length},
    {TypeId::NText, "ntext", 10, 99, 16, 0, 0, false, TypeArgs::None},
    {TypeId::Binary, "binary", 1, 173, 0, 0, 0, false, TypeArgs::Length},
    {TypeId::VarBinary, "varbinary", 2, 165, 0, 0, 0, true, TypeArgs::Length},
    {TypeId::Image, "image", 8, 34, 16, 0, 0, false, TypeArgs::None},
    {TypeId::UniqueIdentifier, "uniqueidentifier", 7, 36, 16, 0, 0, false, TypeArgs::None},
    {TypeId::Date, "date", 21, 40, 3, 10, 0, false, TypeArgs::None},
    {TypeId::Time, "time", 20, 41, 5, 16, 7, false, TypeArgs::FractionDigits},
};

constexpr bool rowsInEnumOrder() {
    for (std::size_t i = 0; i < std::size(kTypes); ++i)
        if (static_cast<std::size_t>(kTypes[i].id) != i) return false;
    return true;
}
static_assert(rowsInEnumOrder(), "kTypes rows must follow the TypeId order");

const TypeRow& typeRow(TypeId id) {
    return kTypes[static_cast<std::size_t>(id)];
}

std::int32_t maxLength(TypeId id) {
    return isUnicodeType(id) ? 4000 : 8000;
}

} // namespace detail

using namespace detail;

namespace {

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
    {"date", TypeId::Date},
    {"time", TypeId::Time},
};

std::string lowerAscii(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

} // namespace

Type Type::numeric(int p, int s) {
    return {TypeId::Numeric, 0, static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(s)};
}
Type Type::decimal(int p, int s) {
    return {TypeId::Decimal, 0, static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(s)};
}

std::string_view Type::baseName() const {
    return typeRow(id).name;
}

std::string Type::name() const {
    std::string out(baseName());
    switch (typeRow(id).args) {
    case TypeArgs::Length:
        out += '(';
        out += length == kMax ? std::string("max") : std::to_string(length);
        out += ')';
        break;
    case TypeArgs::PrecisionScale:
        out += '(';
        out += std::to_string(precision);
        out += ',';
        out += std::to_string(scale);
        out += ')';
        break;
    case TypeArgs::FractionDigits:
        out += '(' + std::to_string(scale) + ')';
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
bool isDateOrTimeType(TypeId id) {
    return id == TypeId::DateTime || id == TypeId::Date || id == TypeId::Time;
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
    switch (typeRow(id).args) {
    case TypeArgs::None:
        if (!args.empty()) raise(2716, {"1", std::string(typeRow(id).name)});
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
        case TypeId::Date:
            return Type::date();
        default:
            return Type::uniqueIdentifier();
        }
    case TypeArgs::Length: {
        if (args.size() > 1) throw bad(args[1]);
        const std::int32_t n = args.empty() ? 1 : args[0];
        const bool variable = typeRow(id).variable;
        if (n == Type::kMax) {
            if (!variable) throw bad(n);
            return Type{id, Type::kMax, 0, 0};
        }
        if (n <= 0) throw bad(n);
        if (n > maxLength(id))
            raise(131, {std::to_string(n), std::string(typeRow(id).name), std::to_string(maxLength(id))});
        return Type{id, n, 0, 0};
    }
    case TypeArgs::PrecisionScale: {
        if (args.size() > 2) throw bad(args[2]);
        const int p = args.empty() ? 18 : args[0];
        const int s = args.size() < 2 ? 0 : args[1];
        if (p <= 0) throw bad(p);
        if (p > 38) raise(2750, {"1", std::to_string(p)});
        if (s < 0) throw bad(s);
        if (s > p) raise(2751, {"1", std::to_string(s), std::to_string(p)});
        return Type{id, 0, static_cast<std::uint8_t>(p), static_cast<std::uint8_t>(s)};
    }
    case TypeArgs::FloatBits: {
        if (args.size() > 1) throw bad(args[1]);
        const int bits = args.empty() ? 53 : args[0];
        if (bits < 1 || bits > 53) throw bad(bits);
        return bits <= 24 ? Type::real() : Type::floating();
    }
    case TypeArgs::FractionDigits: {
        if (args.size() > 1) throw bad(args[1]);
        const int digits = args.empty() ? 7 : args[0];
        if (digits < 0 || digits > 7) throw bad(digits);
        return Type::time(digits);
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
    const TypeRow& r = typeRow(type.id);
    TypeFacts f{r.name, r.xtype, r.xtype, r.fixedLength, r.prec, r.prec, r.scale};
    switch (r.args) {
    case TypeArgs::Length:
        f.length = type.length == Type::kMax
                       ? std::int16_t(-1)
                       : static_cast<std::int16_t>(isUnicodeType(type.id) ? type.length * 2 : type.length);
        f.prec = type.length == Type::kMax ? std::int16_t(-1) : static_cast<std::int16_t>(type.length);
        f.xprec = 0;
        break;
    case TypeArgs::PrecisionScale: {
        const int p = type.precision;
        f.length = p <= 9 ? 5 : p <= 19 ? 9 : p <= 28 ? 13 : 17;
        f.prec = type.precision;
        f.xprec = type.precision;
        f.scale = type.scale;
        break;
    }
    case TypeArgs::FractionDigits:
        f.length = type.scale <= 2 ? 3 : type.scale <= 4 ? 4 : 5;
        f.prec = type.precision;
        f.xprec = type.precision;
        f.scale = type.scale;
        break;
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
            const bool sized = r.args == TypeArgs::Length;
            const std::int16_t length = sized                                ? 8000
                                        : r.args == TypeArgs::PrecisionScale ? 17
                                                                             : r.fixedLength;
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

} // namespace tsql
