#include "tsql/format.h"

#include "tsql/convert.h"

#include <charconv>

namespace tsql {

std::string shortestDouble(double d) {
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
    return ec == std::errc() ? std::string(buf, end) : std::string("NaN");
}

std::string formatForShell(const Value& v) {
    if (v.isNull()) return "NULL";
    const TypeId id = v.type().id;
    if (isIntegerType(id)) return std::to_string(v.asInt());
    if (isDecimalType(id)) return v.asDecimal().toString();
    if (id == TypeId::Real) {
        char buf[32];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v.asDouble()));
        return ec == std::errc() ? std::string(buf, end) : std::string("NaN");
    }
    if (id == TypeId::Float) return shortestDouble(v.asDouble());
    if (id == TypeId::DateTime) return v.asDateTime().toString();
    if (id == TypeId::Date) return v.asDate().toString();
    if (id == TypeId::Time) return v.asTime().toString(v.type().scale);
    if (id == TypeId::UniqueIdentifier) return guidToString(v.asGuid());
    if (isBinaryType(id)) {
        static constexpr char hex[] = "0123456789ABCDEF";
        std::string out = "0x";
        for (std::uint8_t b : v.asBytes()) {
            out += hex[b >> 4];
            out += hex[b & 15];
        }
        return out;
    }
    std::string out;
    for (char c : v.asString()) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
    return out;
}

} // namespace tsql
