#include "tsql/message_format.h"

#include "tsql/convert.h"
#include "tsql/error.h"

#include <cstdint>
#include <optional>

namespace tsql {

namespace {

//! One placeholder of RAISERROR's format: %[flags][width][.precision][h|l|I64]type.
struct Placeholder {
    bool left = false, plus = false, zero = false, alternate = false, blank = false;
    std::optional<int> width;     //!< -1 = take it from the arguments (*)
    std::optional<int> precision; //!< -1 = take it from the arguments (*)
    bool wide = false;            //!< I64: a 64-bit number
    char type = 0;
};

//! Reads a placeholder after its '%' at `i`; std::nullopt when the text there is not one.
std::optional<Placeholder> parsePlaceholder(std::string_view t, std::size_t& i) {
    Placeholder s;
    for (; i < t.size(); ++i) {
        const char c = t[i];
        if (c == '-')
            s.left = true;
        else if (c == '+')
            s.plus = true;
        else if (c == '0')
            s.zero = true;
        else if (c == '#')
            s.alternate = true;
        else if (c == ' ')
            s.blank = true;
        else
            break;
    }
    auto number = [&]() -> std::optional<int> {
        if (i < t.size() && t[i] == '*') {
            ++i;
            return -1;
        }
        if (i >= t.size() || t[i] < '0' || t[i] > '9') return std::nullopt;
        int n = 0;
        while (i < t.size() && t[i] >= '0' && t[i] <= '9')
            n = std::min(n * 10 + (t[i++] - '0'), 100000);
        return n;
    };
    s.width = number();
    if (i < t.size() && t[i] == '.') {
        ++i;
        s.precision = number();
        if (!s.precision) s.precision = 0;
    }
    if (t.substr(i, 3) == "I64") {
        s.wide = true;
        i += 3;
    } else if (i < t.size() && (t[i] == 'h' || t[i] == 'l')) {
        ++i;
    }
    if (i >= t.size() || std::string_view("diouxXs").find(t[i]) == std::string_view::npos)
        return std::nullopt;
    s.type = t[i];
    return s;
}

std::size_t characters(std::string_view s) {
    std::size_t n = 0;
    for (char c : s)
        n += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return n;
}

//! The first `n` characters of UTF-8 text.
std::string firstCharacters(std::string_view s, std::size_t n) {
    std::size_t seen = 0, i = 0;
    for (; i < s.size(); ++i)
        if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80 && seen++ == n) break;
    return std::string(s.substr(0, i));
}

std::string digits(std::uint64_t v, int base, bool upperCase) {
    const char* set = upperCase ? "0123456789ABCDEF" : "0123456789abcdef";
    std::string out;
    do {
        out.insert(out.begin(), set[v % static_cast<unsigned>(base)]);
        v /= static_cast<unsigned>(base);
    } while (v);
    return out;
}

std::string formatNumber(const Placeholder& s, const Value& v) {
    const long long raw = convert(v, Type::bigInt()).asInt();
    const bool isSigned = s.type == 'd' || s.type == 'i';
    bool negative = false;
    std::uint64_t magnitude;
    if (isSigned) {
        const long long n = s.wide ? raw : static_cast<std::int32_t>(raw);
        negative = n < 0;
        magnitude = negative ? 0 - static_cast<std::uint64_t>(n) : static_cast<std::uint64_t>(n);
    } else {
        magnitude = s.wide ? static_cast<std::uint64_t>(raw) : static_cast<std::uint32_t>(raw);
    }
    const int base = s.type == 'o' ? 8 : (s.type == 'x' || s.type == 'X') ? 16 : 10;
    std::string body = digits(magnitude, base, s.type == 'X');
    if (s.precision && *s.precision >= 0 && body.size() < static_cast<std::size_t>(*s.precision))
        body.insert(0, static_cast<std::size_t>(*s.precision) - body.size(), '0');
    std::string prefix;
    if (negative)
        prefix = "-";
    else if (isSigned && s.plus)
        prefix = "+";
    else if (isSigned && s.blank)
        prefix = " ";
    if (s.alternate && magnitude != 0) {
        if (s.type == 'o' && body.front() != '0') prefix += "0";
        if (s.type == 'x') prefix += "0x";
        if (s.type == 'X') prefix += "0X";
    }
    const std::size_t width = s.width && *s.width > 0 ? static_cast<std::size_t>(*s.width) : 0;
    const std::size_t length = prefix.size() + body.size();
    if (length >= width) return prefix + body;
    if (s.left) return prefix + body + std::string(width - length, ' ');
    if (s.zero && !s.precision) return prefix + std::string(width - length, '0') + body;
    return std::string(width - length, ' ') + prefix + body;
}

std::string formatText(const Placeholder& s, const Value& v) {
    std::string text = toText(v);
    if (s.precision && *s.precision >= 0)
        text = firstCharacters(text, static_cast<std::size_t>(*s.precision));
    const std::size_t width = s.width && *s.width > 0 ? static_cast<std::size_t>(*s.width) : 0;
    const std::size_t length = characters(text);
    if (length >= width) return text;
    return s.left ? text + std::string(width - length, ' ') : std::string(width - length, ' ') + text;
}

} // namespace

std::string formatMessage(std::string_view templ, const std::vector<std::string>& args) {
    std::string out;
    out.reserve(templ.size() + 32);
    std::size_t next = 0;
    for (std::size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] == '%' && i + 1 < templ.size() && (templ[i + 1] == 's' || templ[i + 1] == 'd')) {
            if (next < args.size()) out += args[next];
            ++next;
            ++i;
        } else {
            out += templ[i];
        }
    }
    return out;
}

std::string formatRaiserror(std::string_view templ, std::span<const Value> args) {
    constexpr std::size_t kLongest = 2047, kKept = 2044;
    std::string out;
    std::size_t next = 0;
    auto argument = [&]() -> const Value* { return next < args.size() ? &args[next++] : nullptr; };
    auto starred = [&](std::optional<int>& field) {
        if (field != -1) return;
        const Value* a = argument();
        field = a && !a->isNull() ? std::optional<int>(static_cast<int>(convert(*a, Type::integer()).asInt()))
                                  : std::nullopt;
        if (field && *field < 0) field = std::nullopt;
    };
    for (std::size_t i = 0; i < templ.size(); ++i) {
        if (templ[i] != '%') {
            out += templ[i];
            continue;
        }
        if (i + 1 < templ.size() && templ[i + 1] == '%') {
            out += '%';
            ++i;
            continue;
        }
        std::size_t end = i + 1;
        auto ph = parsePlaceholder(templ, end);
        if (!ph) {
            // Not a placeholder: the text stays as written.
            out += templ.substr(i, end - i);
            i = end - 1;
            continue;
        }
        starred(ph->width);
        starred(ph->precision);
        const Value* a = argument();
        if (!a || a->isNull())
            out += formatText(*ph, Value::varChar("(null)"));
        else if (ph->type == 's')
            out += formatText(*ph, *a);
        else
            out += formatNumber(*ph, *a);
        i = end;
    }
    if (characters(out) > kLongest) out = firstCharacters(out, kKept) + "...";
    return out;
}

} // namespace tsql
