#include "scalars.h"

#include "platform/soap/codec.h"

#include <array>
#include <charconv>
#include <cmath>
#include <cstring>
#include <limits>

namespace platform::soap {

namespace {

constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> MakeBase64Index() {
    std::array<std::int8_t, 256> idx{};
    for (auto& v : idx)
        v = -1;
    for (std::size_t i = 0; i < kBase64Alphabet.size(); ++i)
        idx[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<std::int8_t>(i);
    return idx;
}
constexpr auto kBase64Index = MakeBase64Index();

//! The two base64 characters of every 12-bit group, so that three bytes take two lookups.
struct Base64Pairs {
    char chars[4096][2];
};
constexpr Base64Pairs MakeBase64Pairs() {
    Base64Pairs t{};
    for (std::size_t i = 0; i < 4096; ++i) {
        t.chars[i][0] = kBase64Alphabet[i >> 6];
        t.chars[i][1] = kBase64Alphabet[i & 63];
    }
    return t;
}
constexpr Base64Pairs kBase64Pairs = MakeBase64Pairs();

bool IsXmlSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsXmlSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && IsXmlSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

[[noreturn]] void Bad(std::string_view type, std::string_view text) {
    throw DecodeError("invalid " + std::string(type) + " value \"" + std::string(text.substr(0, 64)) + "\"");
}

template <class T> T ParseInteger(std::string_view text, std::string_view type) {
    std::string_view t = Trim(text);
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) Bad(type, text);
    return value;
}

template <class T> T ParseFloating(std::string_view text, std::string_view type) {
    std::string_view t = Trim(text);
    if (t == "INF" || t == "+INF") return std::numeric_limits<T>::infinity();
    if (t == "-INF") return -std::numeric_limits<T>::infinity();
    if (t == "NaN") return std::numeric_limits<T>::quiet_NaN();
    if (!t.empty() && t.front() == '+') t.remove_prefix(1);
    T value{};
    auto [end, ec] = std::from_chars(t.data(), t.data() + t.size(), value);
    if (t.empty() || ec != std::errc() || end != t.data() + t.size()) Bad(type, text);
    return value;
}

template <class T> void AppendFloating(std::string& out, T value) {
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

template <class T> void AppendInteger(std::string& out, T value) {
    char buf[32];
    auto [end, ec] = std::to_chars(buf, buf + sizeof buf, value);
    out.append(buf, end);
}

bool IsDecimalText(std::string_view t) {
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

int DaysInMonth(int year, int month) {
    static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    return month == 2 && leap ? 29 : kDays[month - 1];
}

} // namespace

std::string EncodeBase64(const Bytes& bytes) {
    std::string out;
    detail::AppendBase64(out, bytes);
    return out;
}

Bytes DecodeBase64(std::string_view text) {
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    unsigned acc = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (char c : text) {
        if (IsXmlSpace(c)) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int v = kBase64Index[static_cast<unsigned char>(c)];
        if (v < 0 || padding > 0) throw DecodeError("invalid base64Binary text");
        acc = (acc << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((acc >> bits) & 0xFF));
        }
    }
    if (padding > 2 || bits >= 6) throw DecodeError("invalid base64Binary text");
    return out;
}

std::string FormatDateTime(const DateTime& dt) {
    std::string out;
    detail::AppendDateTime(out, dt);
    return out;
}

DateTime ParseDateTime(std::string_view text) {
    const std::string_view t = Trim(text);
    std::size_t pos = 0;
    auto number = [&](std::size_t minDigits, std::size_t maxDigits) {
        const std::size_t start = pos;
        int value = 0;
        while (pos < t.size() && pos - start < maxDigits && t[pos] >= '0' && t[pos] <= '9')
            value = value * 10 + (t[pos++] - '0');
        if (pos - start < minDigits) Bad("dateTime", text);
        return value;
    };
    auto expect = [&](char c) {
        if (pos >= t.size() || t[pos] != c) Bad("dateTime", text);
        ++pos;
    };
    DateTime dt;
    dt.hasOffset = false;
    if (pos < t.size() && t[pos] == '-') Bad("dateTime", text); // years before the common era are not used
    dt.year = number(4, 4);
    expect('-');
    dt.month = number(2, 2);
    expect('-');
    dt.day = number(2, 2);
    expect('T');
    dt.hour = number(2, 2);
    expect(':');
    dt.minute = number(2, 2);
    expect(':');
    dt.second = number(2, 2);
    if (pos < t.size() && t[pos] == '.') {
        ++pos;
        const std::size_t start = pos;
        int ms = 0;
        while (pos < t.size() && t[pos] >= '0' && t[pos] <= '9') {
            if (pos - start < 3) ms = ms * 10 + (t[pos] - '0');
            ++pos;
        }
        if (pos == start) Bad("dateTime", text);
        for (std::size_t d = pos - start; d < 3; ++d)
            ms *= 10;
        dt.millisecond = ms;
    }
    if (pos < t.size()) {
        dt.hasOffset = true;
        if (t[pos] == 'Z') {
            ++pos;
        } else if (t[pos] == '+' || t[pos] == '-') {
            const int sign = t[pos++] == '-' ? -1 : 1;
            const int hours = number(2, 2);
            expect(':');
            const int minutes = number(2, 2);
            if (hours > 14 || minutes > 59) Bad("dateTime", text);
            dt.offsetMinutes = sign * (hours * 60 + minutes);
        } else {
            Bad("dateTime", text);
        }
    }
    if (pos != t.size() || dt.month < 1 || dt.month > 12 || dt.day < 1 ||
        dt.day > DaysInMonth(dt.year, dt.month) || dt.hour > 23 || dt.minute > 59 || dt.second > 59)
        Bad("dateTime", text);
    return dt;
}

namespace detail {

void AppendBase64(std::string& out, const Bytes& bytes) {
    const std::size_t start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    char* p = out.data() + start;
    const std::uint8_t* in = bytes.data();
    const std::size_t whole = bytes.size() / 3 * 3;
    for (std::size_t i = 0; i < whole; i += 3, p += 4) {
        const unsigned v = (unsigned{in[i]} << 16) | (unsigned{in[i + 1]} << 8) | in[i + 2];
        std::memcpy(p, kBase64Pairs.chars[v >> 12], 2);
        std::memcpy(p + 2, kBase64Pairs.chars[v & 0xFFF], 2);
    }
    if (whole < bytes.size()) {
        const bool two = whole + 1 < bytes.size();
        const unsigned v = (unsigned{in[whole]} << 16) | (two ? unsigned{in[whole + 1]} << 8 : 0u);
        p[0] = kBase64Alphabet[v >> 18];
        p[1] = kBase64Alphabet[(v >> 12) & 63];
        p[2] = two ? kBase64Alphabet[(v >> 6) & 63] : '=';
        p[3] = '=';
    }
}

void AppendDateTime(std::string& out, const DateTime& dt) {
    char buf[32];
    char* p = buf;
    auto digits = [&p](int value, int width) {
        if (value < 0) value = 0;
        for (int i = width - 1; i >= 0; --i, value /= 10)
            p[i] = static_cast<char>('0' + value % 10);
        p += width;
    };
    digits(dt.year, 4);
    *p++ = '-';
    digits(dt.month, 2);
    *p++ = '-';
    digits(dt.day, 2);
    *p++ = 'T';
    digits(dt.hour, 2);
    *p++ = ':';
    digits(dt.minute, 2);
    *p++ = ':';
    digits(dt.second, 2);
    *p++ = '.';
    digits(dt.millisecond, 3);
    if (dt.hasOffset) {
        if (dt.offsetMinutes == 0) {
            *p++ = 'Z';
        } else {
            const int off = dt.offsetMinutes < 0 ? -dt.offsetMinutes : dt.offsetMinutes;
            *p++ = dt.offsetMinutes < 0 ? '-' : '+';
            digits(off / 60, 2);
            *p++ = ':';
            digits(off % 60, 2);
        }
    }
    out.append(buf, p);
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

std::string_view XsdName(Scalar scalar) {
    if (scalar == Scalar::SoapString) return "string";
    for (const auto& x : kXsdTypes)
        if (x.scalar == scalar) return x.name;
    return "anyType";
}

std::string_view XsdName(Value::Kind kind) {
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

Scalar ScalarFromXsdName(std::string_view localName, bool soapEncoding) {
    if (soapEncoding && localName == "base64") return Scalar::Base64;
    for (const auto& x : kXsdTypes)
        if (x.name == localName)
            return soapEncoding && x.scalar == Scalar::String ? Scalar::SoapString : x.scalar;
    return Scalar::None;
}

void AppendEscaped(std::string& out, std::string_view text) {
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

void AppendScalarText(std::string& out, const Value& value) {
    switch (value.GetKind()) {
    case Value::Kind::String:
        AppendEscaped(out, value.AsString());
        break;
    case Value::Kind::Int:
        AppendInteger(out, value.AsInt());
        break;
    case Value::Kind::Long:
        AppendInteger(out, value.AsLong());
        break;
    case Value::Kind::Double:
        AppendFloating(out, value.AsDouble());
        break;
    case Value::Kind::Float:
        AppendFloating(out, value.AsFloat());
        break;
    case Value::Kind::Boolean:
        out += value.AsBoolean() ? "true" : "false";
        break;
    case Value::Kind::DateTime:
        AppendDateTime(out, value.AsDateTime());
        break;
    case Value::Kind::Decimal:
        AppendEscaped(out, value.AsDecimal().text);
        break;
    case Value::Kind::Bytes:
        AppendBase64(out, value.AsBytes());
        break;
    default:
        throw ValueError("a " + std::string(KindName(value.GetKind())) + " value has no text form");
    }
}

Value ParseScalar(Scalar scalar, std::string_view text) {
    switch (scalar) {
    case Scalar::String:
    case Scalar::SoapString:
    case Scalar::AnyType:
    case Scalar::None:
        return Value(std::string(text));
    case Scalar::Int:
        return Value(ParseInteger<std::int32_t>(text, "int"));
    case Scalar::Long:
        return Value(ParseInteger<std::int64_t>(text, "long"));
    case Scalar::Double:
        return Value(ParseFloating<double>(text, "double"));
    case Scalar::Float:
        return Value(ParseFloating<float>(text, "float"));
    case Scalar::Boolean: {
        const std::string_view t = Trim(text);
        if (t == "true" || t == "1") return Value(true);
        if (t == "false" || t == "0") return Value(false);
        Bad("boolean", text);
    }
    case Scalar::DateTime:
        return Value(ParseDateTime(text));
    case Scalar::Decimal: {
        const std::string_view t = Trim(text);
        if (!IsDecimalText(t)) Bad("decimal", text);
        return Value(Decimal{std::string(t)});
    }
    case Scalar::Base64:
        return Value(DecodeBase64(text));
    }
    Bad("scalar", text);
}

} // namespace detail

} // namespace platform::soap
