#pragma once
//! A database value that tells NULL apart from every real value.

#include "common/datetime.h"

#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace platform::db {

using Bytes = std::vector<std::uint8_t>;

//! Exact decimal (NUMERIC, DECIMAL, MONEY) kept as its canonical text, e.g. "-12.50".
struct Decimal {
    std::string text;
    friend bool operator==(const Decimal&, const Decimal&) = default;
};

//! Date and time as a day number (see common/datetime.h).
struct DateTime {
    common::TDateTime days = 0;
    friend bool operator==(const DateTime&, const DateTime&) = default;
};

enum class ValueKind { Null, Bool, Int, Float, Decimal, Text, DateTime, Bytes };

//! One field of a row. Text is UTF-8.
class Value {
public:
    Value() = default;
    static Value null() { return Value(); }
    static Value boolean(bool b) { return Value(b); }
    static Value integer(std::int64_t i) { return Value(i); }
    static Value floating(double d) { return Value(d); }
    static Value decimal(std::string text) { return Value(Decimal{std::move(text)}); }
    static Value text(std::string s) { return Value(std::move(s)); }
    static Value dateTime(common::TDateTime days) { return Value(DateTime{days}); }
    static Value bytes(Bytes b) { return Value(std::move(b)); }

    ValueKind kind() const { return static_cast<ValueKind>(data_.index()); }
    bool isNull() const { return kind() == ValueKind::Null; }

    //! Typed access; each throws ConversionError when the value is of another kind.
    bool asBool() const;
    std::int64_t asInt() const;
    double asFloat() const;
    const std::string& asText() const;
    const Decimal& asDecimal() const;
    common::TDateTime asDateTime() const;
    const Bytes& asBytes() const;

    friend bool operator==(const Value&, const Value&) = default;

private:
    using Data =
        std::variant<std::monostate, bool, std::int64_t, double, Decimal, std::string, DateTime, Bytes>;
    template <typename T>
    explicit Value(T v)
        : data_(std::move(v)) {}
    Data data_;
};

//! Human-readable kind name for messages ("int", "text", ...).
const char* kindName(ValueKind kind);

//! The value as text, as a variant read as a string gives it: NULL is empty, Booleans "True" and "False",
//! integers in decimal, floats in the shortest form of up to 15 significant digits, decimals without
//! trailing zeros, date-times "yyyy-mm-dd" or "yyyy-mm-dd hh:nn:ss", bytes as their raw characters.
//! Independent of the process locale ("." is the decimal point).
std::string toText(const Value& value);

} // namespace platform::db
