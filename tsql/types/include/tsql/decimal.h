#pragma once
//! Exact decimal numbers for NUMERIC, DECIMAL and MONEY: up to 38 digits with a scale of 0..38.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tsql {

__extension__ typedef __int128 Int128; //!< the unscaled value of a Decimal

//! An exact decimal value = unscaled / 10^scale. Arithmetic is exact; results that need more than 38
//! digits raise SqlError 8115 instead of losing digits.
class Decimal {
public:
    static constexpr int kMaxPrecision = 38;

    Decimal() = default;
    Decimal(Int128 unscaled, int scale);
    static Decimal fromInt(std::int64_t v) { return Decimal(v, 0); }

    //! Parses "[+-]digits[.digits]" (no exponent, blanks around allowed); std::nullopt if malformed or
    //! longer than 38 digits.
    static std::optional<Decimal> parse(std::string_view text);
    //! The decimal nearest to `d` at `scale` digits (round half away from zero); std::nullopt when it
    //! does not fit 38 digits or `d` is not finite.
    static std::optional<Decimal> fromDouble(double d, int scale);

    Int128 unscaled() const { return unscaled_; }
    int scale() const { return scale_; }
    //! Number of digits of the unscaled value (at least 1).
    int digits() const;
    //! Digits before the decimal point (0 for |v| < 1).
    int integerDigits() const;
    bool isZero() const { return unscaled_ == 0; }
    bool isNegative() const { return unscaled_ < 0; }

    //! The value at another scale, rounding half away from zero when digits are dropped;
    //! std::nullopt when the result needs more than 38 digits.
    std::optional<Decimal> rescale(int scale) const;
    //! Like rescale but dropping digits without rounding (toward zero).
    std::optional<Decimal> truncate(int scale) const;
    //! True when the value fits NUMERIC(precision, scale) after rounding to scale.
    bool fits(int precision, int scale) const;

    //! Canonical text with exactly scale() decimals: "-12.50", "0.003", "7".
    std::string toString() const;
    double toDouble() const;
    //! Integer part (toward zero) when it fits int64.
    std::optional<std::int64_t> toInt64() const;

    //! Exact comparison of values of any scales.
    friend int compare(const Decimal& a, const Decimal& b);
    friend bool operator==(const Decimal& a, const Decimal& b) { return compare(a, b) == 0; }

private:
    Int128 unscaled_ = 0;
    int scale_ = 0;
};

//! 10^n for n in 0..38.
Int128 pow10(int n);

} // namespace tsql
