#include "common/sql_text.h"

#include "common/utf.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <stdexcept>
#include <type_traits>

namespace common {

namespace {

std::string quoted(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    out += '\'';
    return out;
}

std::string twoDigits(int n) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%02d", n);
    return buf;
}

//! One placeholder of a format pattern: %[index:][-][width][.precision]type.
struct Placeholder {
    int precision = -1;
    char type = 'f';
};

// Splits the pattern around its single floating-point placeholder.
void parsePattern(std::string_view format, std::string& prefix, Placeholder& placeholder,
                  std::string& suffix) {
    bool found = false;
    std::string* out = &prefix;
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            *out += format[i];
            continue;
        }
        if (i + 1 < format.size() && format[i + 1] == '%') {
            *out += '%';
            ++i;
            continue;
        }
        if (found)
            throw std::invalid_argument("Format '" + std::string(format) + "' has more than one placeholder");
        std::size_t j = i + 1;
        auto digits = [&] {
            const std::size_t start = j;
            while (j < format.size() && format[j] >= '0' && format[j] <= '9')
                ++j;
            return format.substr(start, j - start);
        };
        auto number = [](std::string_view d) {
            int n = 0;
            std::from_chars(d.data(), d.data() + d.size(), n);
            return n;
        };
        std::string_view first = digits();
        if (j < format.size() && format[j] == ':') {
            ++j;
            first = {};
        }
        if (j < format.size() && format[j] == '-') ++j;
        if (first.empty()) digits();
        if (j < format.size() && format[j] == '.') {
            ++j;
            const auto p = digits();
            placeholder.precision = p.empty() ? 0 : number(p);
        }
        if (j >= format.size())
            throw std::invalid_argument("Format '" + std::string(format) + "' is incomplete");
        placeholder.type = static_cast<char>(format[j] | 0x20);
        if (placeholder.type != 'f' && placeholder.type != 'n' && placeholder.type != 'e' &&
            placeholder.type != 'g')
            throw std::invalid_argument("Format '" + std::string(format) +
                                        "' has no floating-point placeholder");
        i = j;
        found = true;
        out = &suffix;
    }
    if (!found) throw std::invalid_argument("Format '" + std::string(format) + "' has no placeholder");
}

// Fixed notation as the host platform prints it: the value is taken to 18 significant digits,
// then rounded half away from zero to the requested decimals.
std::string fixed(double value, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, std::fabs(value), std::chars_format::scientific, 17);
    const std::string_view sci(buf, static_cast<std::size_t>(r.ptr - buf));
    std::string digits;
    for (char c : sci.substr(0, sci.find('e')))
        if (c != '.') digits += c;
    int exponent = 0;
    const auto e = sci.substr(sci.find('e') + 1);
    std::from_chars(e.data() + (e.front() == '+' ? 1 : 0), e.data() + e.size(), exponent);
    // value = 0.digits * 10^(pointPos)
    int pointPos = exponent + 1;
    const int keep = pointPos + decimals;
    if (keep < 0) {
        digits.clear();
    } else if (keep < static_cast<int>(digits.size())) {
        const bool up = digits[static_cast<std::size_t>(keep)] >= '5';
        digits.resize(static_cast<std::size_t>(keep));
        if (up) {
            int k = keep - 1;
            while (k >= 0 && digits[static_cast<std::size_t>(k)] == '9')
                digits[static_cast<std::size_t>(k--)] = '0';
            if (k >= 0)
                ++digits[static_cast<std::size_t>(k)];
            else {
                digits.insert(digits.begin(), '1');
                ++pointPos;
            }
        }
    }
    // Lay the digits out around the decimal point.
    auto digitAt = [&](int pos) {
        return pos >= 0 && pos < static_cast<int>(digits.size()) ? digits[static_cast<std::size_t>(pos)]
                                                                 : '0';
    };
    std::string integer, fraction;
    for (int pos = 0; pos < pointPos; ++pos)
        integer += digitAt(pos);
    for (int pos = pointPos; pos < pointPos + decimals; ++pos)
        fraction += digitAt(pos);
    const auto nonZero = integer.find_first_not_of('0');
    integer = nonZero == std::string::npos ? "0" : integer.substr(nonZero);
    const bool zero = integer == "0" && fraction.find_first_not_of('0') == std::string::npos;
    std::string out = value < 0 && !zero ? "-" : "";
    out += integer;
    if (decimals > 0) out += "." + fraction;
    return out;
}

std::string scientific(double value, int precision, bool general) {
    char buf[64];
    const auto r = general
                       ? std::to_chars(buf, buf + sizeof buf, value, std::chars_format::general, precision)
                       : std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific,
                                       std::max(precision - 1, 0));
    std::string s(buf, r.ptr);
    const auto e = s.find('e');
    if (e == std::string::npos) return s;
    std::string exponent = s.substr(e + 2);
    if (!general) exponent.insert(0, exponent.size() < 3 ? 3 - exponent.size() : 0, '0');
    return s.substr(0, e) + "E" + s[e + 1] + exponent;
}

} // namespace

CharSet MakeCharSet(std::initializer_list<char32_t> chars) {
    CharSet set;
    for (char32_t c : chars) {
        if (c > 255) throw std::invalid_argument("A character set holds only codes 0 to 255");
        set.set(c);
    }
    return set;
}

std::string RemoveChars(std::string_view text, const CharSet& chars) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : Utf8ToUtf32(text))
        if (c > 255 || !chars.test(c)) AppendUtf8(out, c);
    return out;
}

std::string SqlNString(std::string_view text) {
    return "N" + quoted(text);
}

std::string SqlDate(TDateTime value) {
    if (value == 0) return "NULL";
    const auto f = DecodeDateTime(value);
    char buf[16];
    std::snprintf(buf, sizeof buf, "%04d", f.year);
    return "'" + std::string(buf) + twoDigits(f.month) + twoDigits(f.day) + "'";
}

std::string SqlDateTime(TDateTime value, bool quotedResult) {
    if (value == 0) return "NULL";
    const auto f = DecodeDateTime(value);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%04d%02d%02d %02d:%02d:%02d.%03d", f.year, f.month, f.day, f.hour,
                  f.minute, f.second, f.millisecond);
    return quotedResult ? "'" + std::string(buf) + "'" : std::string(buf);
}

std::string SqlFloat(std::string_view format, double value) {
    std::string prefix, suffix;
    Placeholder placeholder;
    parsePattern(format, prefix, placeholder, suffix);
    if (!std::isfinite(value))
        throw std::invalid_argument("The value " + std::to_string(value) + " has no SQL literal");
    std::string number;
    switch (placeholder.type) {
    case 'f':
    case 'n':
        number = fixed(value, placeholder.precision < 0 ? 2 : placeholder.precision);
        break;
    case 'e':
        number =
            scientific(value, placeholder.precision < 0 ? 15 : std::max(placeholder.precision, 1), false);
        break;
    default:
        number = scientific(value, placeholder.precision < 0 ? 15 : std::max(placeholder.precision, 1), true);
        break;
    }
    return RemoveChars(prefix + number + suffix, MakeCharSet({U' ', U','}));
}

std::string SqlValue(const SqlVariant& value, std::string_view floatFormat) {
    return std::visit(
        [&](const auto& v) -> std::string {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, VarNull>)
                return "NULL";
            else if constexpr (std::is_same_v<T, std::int16_t> || std::is_same_v<T, std::int32_t> ||
                               std::is_same_v<T, std::uint8_t>)
                return std::to_string(v);
            else if constexpr (std::is_same_v<T, float> || std::is_same_v<T, double>)
                return SqlFloat(floatFormat, static_cast<double>(v));
            else if constexpr (std::is_same_v<T, VarCurrency>)
                return SqlFloat(floatFormat, static_cast<double>(v.scaled) / 10000.0);
            else if constexpr (std::is_same_v<T, VarDate>)
                return SqlDateTime(v.value, true);
            else if constexpr (std::is_same_v<T, VarOleStr> || std::is_same_v<T, VarUString>)
                return SqlNString(v.text);
            else if constexpr (std::is_same_v<T, VarAnsiString>)
                return quoted(v.text);
            else
                return {};
        },
        value);
}

std::string SqlBinary(const std::vector<std::uint8_t>& bytes) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out = "0x";
    out.reserve(2 + bytes.size() * 2);
    for (auto b : bytes) {
        out += hex[b >> 4];
        out += hex[b & 0x0F];
    }
    return out;
}

} // namespace common
