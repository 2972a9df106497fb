#include "scalars.h"

#include "platform/soap/codec.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace platform::soap {

using detail::throwInvalid;
using detail::trimXmlSpace;

namespace {

template <class T> T parseInteger(std::string_view text, std::string_view type) {
    std::string_view t = trimXmlSpace(text);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) throwInvalid(type, text);
    return value;
}

template <class T> T parseFloating(std::string_view text, std::string_view type) {
    std::string_view t = trimXmlSpace(text);
    if (t == "INF" || t == "+INF") return std::numeric_limits<T>::infinity();
    if (t == "-INF") return -std::numeric_limits<T>::infinity();
    if (t == "NaN") return std::numeric_limits<T>::quiet_NaN();
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) throwInvalid(type, text);
    return value;
}

template <class T> void appendFloating(std::string& out, T value) {
    if (std::isnan(value)) {
        out += "NaN";
    } else if (std::isinf(value)) {
        out += value < 0 ? "-INF" : "INF";
    } else {
        char buf[64];
        auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
        out.append(buf, end);
    }
}

template <class T> void appendInteger(std::string& out, T value) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, end);
}

bool isDecimalText(std::string_view t) {
    if (!t.empty() && (t.front() == '+' || t.front() == '-')) t.remove_prefix(1);
    bool digits = false, dot = false;
    for (char c : t) {
        if (c >= '0' && c <= '9')
            digits = true;
        else if (c == '.' && !dot)
            dot = true;
        else
            return false;
    }
    return digits;
}

} // namespace

namespace detail {

bool isXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view trimXmlSpace(std::string_view s) {
    while (!s.empty() && isXmlSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isXmlSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

void throwInvalid(std::string_view type, std::string_view text) {
    throw DecodeError("invalid " + std::string(type) + " value \"" + std::string(text.substr(0, 64)) + "\"");
}

namespace {

struct XsdType {
    std::string_view name;
    Scalar scalar;
};

constexpr XsdType kXsdTypes[] = {
    {"string", Scalar::String},     {"int", Scalar::Int},         {"long", Scalar::Long},
    {"double", Scalar::Double},     {"float", Scalar::Float},     {"boolean", Scalar::Boolean},
    {"dateTime", Scalar::DateTime}, {"decimal", Scalar::Decimal}, {"base64Binary", Scalar::Base64},
    {"anyType", Scalar::AnyType},
};

} // namespace

std::string_view xsdName(Scalar scalar) {
    if (scalar == Scalar::SoapString) return "string";
    for (const auto& x : kXsdTypes)
        if (x.scalar == scalar) return x.name;
    return "anyType";
}

std::string_view xsdName(Value::Kind kind) {
    switch (kind) {
    case Value::Kind::String:
        return "string";
    case Value::Kind::Int:
        return "int";
    case Value::Kind::Long:
        return "long";
    case Value::Kind::Double:
        return "double";
    case Value::Kind::Float:
        return "float";
    case Value::Kind::Boolean:
        return "boolean";
    case Value::Kind::DateTime:
        return "dateTime";
    case Value::Kind::Decimal:
        return "decimal";
    case Value::Kind::Bytes:
        return "base64Binary";
    default:
        return "anyType";
    }
}

Scalar scalarFromXsdName(std::string_view localName, bool soapEncoding) {
    if (soapEncoding && localName == "base64") return Scalar::Base64;
    for (const auto& x : kXsdTypes)
        if (x.name == localName)
            return soapEncoding && x.scalar == Scalar::String ? Scalar::SoapString : x.scalar;
    return Scalar::None;
}

void appendEscaped(std::string& out, std::string_view text) {
    std::size_t run = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char* rep = nullptr;
        switch (text[i]) {
        case '&':
            rep = "&amp;";
            break;
        case '<':
            rep = "&lt;";
            break;
        case '>':
            rep = "&gt;";
            break;
        case '"':
            rep = "&quot;";
            break;
        case '\'':
            rep = "&apos;";
            break;
        case '\r':
            rep = "&#13;";
            break;
        case '\t':
        case '\n':
            continue;
        default:
            if (static_cast<unsigned char>(text[i]) < 0x20)
                throw ValueError("the text \"" + std::string(text.substr(0, 40)) +
                                 "\" contains control character " +
                                 std::to_string(static_cast<int>(text[i])) + ", which XML cannot carry");
            continue;
        }
        out.append(text.data() + run, i - run);
        out += rep;
        run = i + 1;
    }
    out.append(text.data() + run, text.size() - run);
}

void appendScalarText(std::string& out, const Value& value) {
    switch (value.kind()) {
    case Value::Kind::String:
        appendEscaped(out, value.asString());
        break;
    case Value::Kind::Int:
        appendInteger(out, value.asInt());
        break;
    case Value::Kind::Long:
        appendInteger(out, value.asLong());
        break;
    case Value::Kind::Double:
        appendFloating(out, value.asDouble());
        break;
    case Value::Kind::Float:
        appendFloating(out, value.asFloat());
        break;
    case Value::Kind::Boolean:
        out += value.asBoolean() ? "true" : "false";
        break;
    case Value::Kind::DateTime:
        appendDateTime(out, value.asDateTime());
        break;
    case Value::Kind::Decimal:
        appendEscaped(out, value.asDecimal().text);
        break;
    case Value::Kind::Bytes:
        appendBase64(out, value.asBytes());
        break;
    default:
        throw ValueError("a " + std::string(kindName(value.kind())) + " value has no text form");
    }
}

Value parseScalar(Scalar scalar, std::string_view text) {
    switch (scalar) {
    case Scalar::String:
    case Scalar::SoapString:
    case Scalar::AnyType:
    case Scalar::None:
        return Value(std::string(text));
    case Scalar::Int:
        return Value(parseInteger<std::int32_t>(text, "int"));
    case Scalar::Long:
        return Value(parseInteger<std::int64_t>(text, "long"));
    case Scalar::Double:
        return Value(parseFloating<double>(text, "double"));
    case Scalar::Float:
        return Value(parseFloating<float>(text, "float"));
    case Scalar::Boolean: {
        const std::string_view t = trimXmlSpace(text);
        if (t == "true" || t == "1") return Value(true);
        if (t == "false" || t == "0") return Value(false);
        throwInvalid("boolean", text);
    }
    case Scalar::DateTime:
        return Value(parseDateTime(text));
    case Scalar::Decimal: {
        const std::string_view t = trimXmlSpace(text);
        if (!isDecimalText(t)) throwInvalid("decimal", text);
        return Value(Decimal{std::string(t)});
    }
    case Scalar::Base64:
        return Value(decodeBase64(text));
    }
    throwInvalid("scalar", text);
}

} // namespace detail

} // namespace platform::soap
