#include "literal.h"

#include "common/sql_text.h"
#include "tsql/error.h"

#include <cmath>
#include <cstdio>

namespace tsql::server {

namespace {

//! A string literal, N-prefixed for Unicode text.
std::string quoted(std::string_view text, bool unicode) {
    const std::string literal = common::SqlNString(text);
    return unicode ? literal : literal.substr(1);
}

std::string cast(const std::string& expression, const char* type) {
    return "CAST(" + expression + " AS " + type + ")";
}

} // namespace

std::string bracketed(std::string_view name) {
    std::string out = "[";
    for (char c : name) {
        out += c;
        if (c == ']') out += ']';
    }
    return out + "]";
}

std::string declarableType(const Type& type) {
    switch (type.id) {
    case TypeId::Text:
        return "varchar(max)";
    case TypeId::NText:
        return "nvarchar(max)";
    case TypeId::Image:
        return "varbinary(max)";
    case TypeId::Null:
        return "int";
    default:
        return type.name();
    }
}

std::string literal(const Value& v) {
    if (v.isNull()) return "NULL";
    const TypeId id = v.type().id;
    switch (id) {
    case TypeId::Bit:
        return cast(std::to_string(v.asInt()), "BIT");
    case TypeId::TinyInt:
    case TypeId::SmallInt:
    case TypeId::Int:
    case TypeId::BigInt:
        return std::to_string(v.asInt());
    case TypeId::Numeric:
    case TypeId::Decimal:
        return v.asDecimal().toString();
    case TypeId::Money:
        return cast(v.asDecimal().toString(), "MONEY");
    case TypeId::Real:
    case TypeId::Float: {
        const double d = v.asDouble();
        if (!std::isfinite(d)) throw SqlError::make(8115, {"float"});
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "%.17E", d);
        return cast(buffer, id == TypeId::Real ? "REAL" : "FLOAT");
    }
    case TypeId::DateTime: {
        const auto p = v.asDateTime().parts();
        char buffer[40];
        std::snprintf(buffer, sizeof buffer, "'%04d-%02d-%02dT%02d:%02d:%02d.%03d'", p.year, p.month, p.day,
                      p.hour, p.minute, p.second, p.millisecond);
        return cast(buffer, "DATETIME");
    }
    case TypeId::Char:
    case TypeId::VarChar:
    case TypeId::Text:
        return quoted(v.asString(), false);
    case TypeId::NChar:
    case TypeId::NVarChar:
    case TypeId::NText:
        return quoted(v.asString(), true);
    case TypeId::Binary:
    case TypeId::VarBinary:
    case TypeId::Image:
        return common::SqlBinary(v.asBytes());
    case TypeId::UniqueIdentifier:
        return cast("'" + guidToString(v.asGuid()) + "'", "UNIQUEIDENTIFIER");
    case TypeId::Date:
        return cast("'" + v.asDate().toString() + "'", "DATE");
    case TypeId::Time:
        return cast("'" + v.asTime().toString(v.type().scale) + "'", v.type().name().c_str());
    case TypeId::Null:
        break;
    }
    return "NULL";
}

} // namespace tsql::server
