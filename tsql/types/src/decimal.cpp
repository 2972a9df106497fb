#include "tsql/decimal.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace tsql {

namespace {

constexpr std::array<Int128, 39> makePowers() {
    std::array<Int128, 39> p{};
    p[0] = 1;
    for (std::size_t i = 1; i < p.size(); ++i)
        p[i] = p[i - 1] * 10;
    return p;
}
constexpr auto kPowers = makePowers();

Int128 absolute(Int128 v) {
    return v < 0 ? -v : v;
}

int digitCount(Int128 v) {
    v = absolute(v);
    int n = 1;
    while (n < 39 && v >= kPowers[static_cast<std::size_t>(n)])
        ++n;
    return n;
}

//! Parses "[+-]digits[.digits][e[+-]digits]" into digits and a decimal exponent.
struct Scientific {
    bool negative = false;
    std::string digits; // without leading zeros
    int exponent = 0;   // value = digits * 10^exponent
};

std::optional<Scientific> parseScientific(std::string_view text, bool allowExponent) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    Scientific out;
    std::size_t i = 0;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) out.negative = text[i++] == '-';
    bool anyDigit = false, dot = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (c >= '0' && c <= '9') {
            anyDigit = true;
            if (!(out.digits.empty() && c == '0')) out.digits += c;
            if (dot) --out.exponent;
        } else if (c == '.' && !dot) {
            dot = true;
        } else {
            break;
        }
    }
    if (!anyDigit) return std::nullopt;
    if (i < text.size()) {
        if (!allowExponent || (text[i] != 'e' && text[i] != 'E')) return std::nullopt;
        int e = 0;
        const char* begin = text.data() + i + 1;
        if (begin < text.data() + text.size() && *begin == '+') ++begin;
        const auto [ptr, ec] = std::from_chars(begin, text.data() + text.size(), e);
        if (ec != std::errc() || ptr != text.data() + text.size()) return std::nullopt;
        out.exponent += e;
    }
    return out;
}

//! The Scientific value at `scale`, rounded half away from zero; nullopt past 38 digits.
std::optional<Decimal> atScale(const Scientific& s, int scale) {
    std::string_view digits = s.digits;
    int exponent = s.exponent;
    bool roundUp = false;
    const int drop = -exponent - scale; // digits below the target scale
    if (drop > 0) {
        const auto dropped = static_cast<std::size_t>(drop);
        if (dropped <= digits.size()) {
            roundUp = digits[digits.size() - dropped] >= '5';
            digits = digits.substr(0, digits.size() - dropped);
        } else {
            digits = {};
        }
        exponent += drop;
    }
    if (digits.size() + static_cast<std::size_t>(std::max(0, exponent + scale)) > 38) return std::nullopt;
    Int128 v = 0;
    for (char c : digits)
        v = v * 10 + (c - '0');
    v *= kPowers[static_cast<std::size_t>(exponent + scale)];
    if (roundUp) ++v;
    if (digitCount(v) > 38) return std::nullopt;
    return Decimal(s.negative ? -v : v, scale);
}

} // namespace

Int128 pow10(int n) {
    return kPowers[static_cast<std::size_t>(n)];
}

Decimal::Decimal(Int128 unscaled, int scale)
    : unscaled_(unscaled)
    , scale_(scale) {}

std::optional<Decimal> Decimal::parse(std::string_view text) {
    const auto s = parseScientific(text, false);
    if (!s) return std::nullopt;
    const int scale = -s->exponent;
    if (scale > kMaxPrecision) return std::nullopt;
    return atScale(*s, scale);
}

std::optional<Decimal> Decimal::fromDouble(double d, int scale) {
    if (!std::isfinite(d)) return std::nullopt;
    char buf[64];
    const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d);
    if (ec != std::errc()) return std::nullopt;
    const auto s = parseScientific(std::string_view(buf, static_cast<std::size_t>(end - buf)), true);
    if (!s) return std::nullopt;
    return atScale(*s, scale);
}

int Decimal::digits() const {
    return digitCount(unscaled_);
}

int Decimal::integerDigits() const {
    const Int128 whole = absolute(unscaled_) / kPowers[static_cast<std::size_t>(scale_)];
    return whole == 0 ? 0 : digitCount(whole);
}

std::optional<Decimal> Decimal::rescale(int scale) const {
    if (scale == scale_) return *this;
    if (scale > scale_) {
        const Int128 factor = kPowers[static_cast<std::size_t>(scale - scale_)];
        if (digitCount(unscaled_) + (scale - scale_) > 38 && unscaled_ != 0) return std::nullopt;
        return Decimal(unscaled_ * factor, scale);
    }
    const Int128 factor = kPowers[static_cast<std::size_t>(scale_ - scale)];
    Int128 q = unscaled_ / factor;
    const Int128 rest = absolute(unscaled_ % factor);
    if (rest >= factor - rest) q += unscaled_ < 0 ? -1 : 1;
    return Decimal(q, scale);
}

std::optional<Decimal> Decimal::truncate(int scale) const {
    if (scale >= scale_) return rescale(scale);
    return Decimal(unscaled_ / kPowers[static_cast<std::size_t>(scale_ - scale)], scale);
}

bool Decimal::fits(int precision, int scale) const {
    const auto r = rescale(scale);
    return r && (r->unscaled_ == 0 || r->digits() <= precision);
}

std::string Decimal::toString() const {
    Int128 v = absolute(unscaled_);
    std::string digits;
    do {
        digits += static_cast<char>('0' + static_cast<int>(v % 10));
        v /= 10;
    } while (v != 0);
    std::reverse(digits.begin(), digits.end());
    const auto scale = static_cast<std::size_t>(scale_);
    std::string out = unscaled_ < 0 ? "-" : "";
    if (digits.size() <= scale) {
        out += scale > 0 ? "0." : "0";
        out.append(scale - digits.size(), '0');
        out += digits;
    } else {
        out.append(digits, 0, digits.size() - scale);
        if (scale > 0) {
            out += '.';
            out.append(digits, digits.size() - scale, scale);
        }
    }
    return out;
}

double Decimal::toDouble() const {
    return std::strtod(toString().c_str(), nullptr);
}

std::optional<std::int64_t> Decimal::toInt64() const {
    const Int128 whole = unscaled_ / kPowers[static_cast<std::size_t>(scale_)];
    if (whole > INT64_MAX || whole < INT64_MIN) return std::nullopt;
    return static_cast<std::int64_t>(whole);
}

int compare(const Decimal& a, const Decimal& b) {
    const Int128 pa = kPowers[static_cast<std::size_t>(a.scale_)],
                 pb = kPowers[static_cast<std::size_t>(b.scale_)];
    const Int128 wa = a.unscaled_ / pa, wb = b.unscaled_ / pb;
    if (wa != wb) return wa < wb ? -1 : 1;
    // Same integer part: compare the fractions at the larger scale (both below 10^38).
    const int scale = std::max(a.scale_, b.scale_);
    const Int128 fa = (a.unscaled_ % pa) * kPowers[static_cast<std::size_t>(scale - a.scale_)];
    const Int128 fb = (b.unscaled_ % pb) * kPowers[static_cast<std::size_t>(scale - b.scale_)];
    return fa < fb ? -1 : fa > fb ? 1 : 0;
}

} // namespace tsql
