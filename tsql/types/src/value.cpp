#include "tsql/value.h"

#include "tsql/convert.h"
#include "tsql/error.h"

#include <algorithm>
#include <cctype>
#include <random>
#include <stdexcept>

namespace tsql {

namespace {

//! Order in which the 16 bytes appear in the text form (first three groups little-endian).
constexpr int kTextOrder[16] = {3, 2, 1, 0, 5, 4, 7, 6, 8, 9, 10, 11, 12, 13, 14, 15};

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

template <typename T> const T& payloadAs(const Value::Payload& p, const char* what) {
    if (const T* v = std::get_if<T>(&p)) return *v;
    throw std::logic_error(std::string("value is not ") + what);
}

std::int32_t atLeastOne(std::int64_t n, std::int32_t max) {
    return static_cast<std::int32_t>(std::clamp<std::int64_t>(n, 1, max));
}

} // namespace

Guid parseGuid(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    if (text.size() == 38 && text.front() == '{' && text.back() == '}') text = text.substr(1, 36);
    if (text.size() != 36) raise(8169);
    Guid g;
    int byte = 0;
    for (std::size_t i = 0; i < text.size();) {
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (text[i] != '-') raise(8169);
            ++i;
            continue;
        }
        const int hi = hexDigit(text[i]), lo = hexDigit(text[i + 1]);
        if (hi < 0 || lo < 0) raise(8169);
        g.bytes[static_cast<std::size_t>(kTextOrder[byte++])] = static_cast<std::uint8_t>(hi * 16 + lo);
        i += 2;
    }
    return g;
}

std::string guidToString(const Guid& g) {
    static constexpr char hex[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(36);
    for (int i = 0; i < 16; ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out += '-';
        const std::uint8_t b = g.bytes[static_cast<std::size_t>(kTextOrder[i])];
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

Guid newGuid() {
    thread_local std::mt19937_64 rng{std::random_device{}()};
    Guid g;
    for (int i = 0; i < 16; i += 8) {
        const std::uint64_t r = rng();
        for (int j = 0; j < 8; ++j)
            g.bytes[static_cast<std::size_t>(i + j)] = static_cast<std::uint8_t>(r >> (8 * j));
    }
    // Version 4 and the RFC variant, in the stored byte order (text byte 6 = stored byte 7).
    g.bytes[7] = static_cast<std::uint8_t>((g.bytes[7] & 0x0f) | 0x40);
    g.bytes[8] = static_cast<std::uint8_t>((g.bytes[8] & 0x3f) | 0x80);
    return g;
}

//! Significance of the stored bytes when SQL Server compares GUIDs, most significant first.
constexpr int kSortOrder[16] = {10, 11, 12, 13, 14, 15, 8, 9, 6, 7, 4, 5, 0, 1, 2, 3};

std::array<std::uint8_t, 16> guidSortKey(const Guid& g) {
    std::array<std::uint8_t, 16> key{};
    for (std::size_t i = 0; i < 16; ++i)
        key[i] = g.bytes[static_cast<std::size_t>(kSortOrder[i])];
    return key;
}

Guid guidFromSortKey(const std::uint8_t* key) {
    Guid g;
    for (std::size_t i = 0; i < 16; ++i)
        g.bytes[static_cast<std::size_t>(kSortOrder[i])] = key[i];
    return g;
}

Value Value::decimal(const Decimal& d) {
    const int p = std::max({d.digits(), d.scale(), 1});
    return Value(Type::numeric(std::min(p, 38), d.scale()), d);
}

Value Value::text(std::string s, const Type& type) {
    Value v = null(type);
    v.payload_.emplace<std::string>(std::move(s));
    return v;
}

Value Value::bytes(Bytes b, const Type& type) {
    Value v = null(type);
    v.payload_.emplace<Bytes>(std::move(b));
    return v;
}

Value Value::varChar(std::string s) {
    const auto len = textLength(s, false);
    return Value(len > 8000 ? Type::varChar(Type::kMax) : Type::varChar(atLeastOne(len, 8000)), std::move(s));
}

Value Value::nVarChar(std::string s) {
    const auto len = textLength(s, true);
    return Value(len > 4000 ? Type::nVarChar(Type::kMax) : Type::nVarChar(atLeastOne(len, 4000)),
                 std::move(s));
}

Value Value::varBinary(Bytes b) {
    const auto n = b.size() > 8000 ? Type::kMax : atLeastOne(static_cast<std::int64_t>(b.size()), 8000);
    return Value(Type::varBinary(n), std::move(b));
}

std::int64_t Value::asInt() const {
    return payloadAs<std::int64_t>(payload_, "an integer");
}
double Value::asDouble() const {
    return payloadAs<double>(payload_, "a float");
}
const Decimal& Value::asDecimal() const {
    return payloadAs<Decimal>(payload_, "a decimal");
}
const DateTime& Value::asDateTime() const {
    return payloadAs<DateTime>(payload_, "a datetime");
}
const Date& Value::asDate() const {
    return payloadAs<Date>(payload_, "a date");
}
const TimeOfDay& Value::asTime() const {
    return payloadAs<TimeOfDay>(payload_, "a time");
}
const std::string& Value::asString() const {
    return payloadAs<std::string>(payload_, "text");
}
const Bytes& Value::asBytes() const {
    return payloadAs<Bytes>(payload_, "binary");
}
const Guid& Value::asGuid() const {
    return payloadAs<Guid>(payload_, "a uniqueidentifier");
}

void checkValueSize(std::uint64_t bytes) {
    if (bytes > kMaxValueBytes) raise(7119, {std::to_string(kMaxValueBytes)});
}

} // namespace tsql
