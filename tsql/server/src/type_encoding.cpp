#include "type_encoding.h"

#include "collation.h"
#include "parameters.h"
#include "type_codes.h"

#include "tsql/convert.h"
#include "tsql/error.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace tsql::server {

namespace {

//! One engine type's wire form; `length` 0 means "from the type's arguments".
struct TypeRule {
    TypeId id;
    std::uint8_t code;
    ValueForm form;
    Payload payload;
    std::uint32_t length;
    bool collation;
};

// Every column is sent as a nullable type: the engine's result columns do not say whether they may be
// NULL, and the nullable forms carry the same values.
constexpr TypeRule kRules[] = {
    {TypeId::Null, code::kIntN, ValueForm::ByteLength, Payload::Integer, 4, false},
    {TypeId::Bit, code::kBitN, ValueForm::ByteLength, Payload::Integer, 1, false},
    {TypeId::TinyInt, code::kIntN, ValueForm::ByteLength, Payload::Integer, 1, false},
    {TypeId::SmallInt, code::kIntN, ValueForm::ByteLength, Payload::Integer, 2, false},
    {TypeId::Int, code::kIntN, ValueForm::ByteLength, Payload::Integer, 4, false},
    {TypeId::BigInt, code::kIntN, ValueForm::ByteLength, Payload::Integer, 8, false},
    {TypeId::Numeric, code::kNumericN, ValueForm::ByteLength, Payload::Decimal, 0, false},
    {TypeId::Decimal, code::kDecimalN, ValueForm::ByteLength, Payload::Decimal, 0, false},
    {TypeId::Money, code::kMoneyN, ValueForm::ByteLength, Payload::Money, 8, false},
    {TypeId::Real, code::kFltN, ValueForm::ByteLength, Payload::Float, 4, false},
    {TypeId::Float, code::kFltN, ValueForm::ByteLength, Payload::Float, 8, false},
    {TypeId::DateTime, code::kDateTimN, ValueForm::ByteLength, Payload::DateTime, 8, false},
    {TypeId::Char, code::kBigChar, ValueForm::ShortLength, Payload::CodePageText, 0, true},
    {TypeId::VarChar, code::kBigVarChar, ValueForm::ShortLength, Payload::CodePageText, 0, true},
    {TypeId::Text, code::kText, ValueForm::TextPointer, Payload::CodePageText, 0x7FFFFFFF, true},
    {TypeId::NChar, code::kNChar, ValueForm::ShortLength, Payload::Utf16Text, 0, true},
    {TypeId::NVarChar, code::kNVarChar, ValueForm::ShortLength, Payload::Utf16Text, 0, true},
    {TypeId::NText, code::kNText, ValueForm::TextPointer, Payload::Utf16Text, 0x7FFFFFFE, true},
    {TypeId::Binary, code::kBigBinary, ValueForm::ShortLength, Payload::Binary, 0, false},
    {TypeId::VarBinary, code::kBigVarBinary, ValueForm::ShortLength, Payload::Binary, 0, false},
    {TypeId::Image, code::kImage, ValueForm::TextPointer, Payload::Binary, 0x7FFFFFFF, false},
    {TypeId::UniqueIdentifier, code::kGuid, ValueForm::ByteLength, Payload::Guid, 16, false},
    {TypeId::Date, code::kDateN, ValueForm::ByteLength, Payload::Date, 3, false},
    {TypeId::Time, code::kTimeN, ValueForm::ByteLength, Payload::Time, 0, false},
};

const TypeRule& ruleOf(TypeId id) {
    const auto* it =
        std::find_if(std::begin(kRules), std::end(kRules), [&](const TypeRule& r) { return r.id == id; });
    return it == std::end(kRules) ? kRules[0] : *it;
}

//! The large-object type that stands in for a MAX type with 7.1 clients.
TypeId largeObjectFor(TypeId id) {
    switch (id) {
    case TypeId::VarChar:
        return TypeId::Text;
    case TypeId::NVarChar:
        return TypeId::NText;
    default:
        return TypeId::Image;
    }
}

void writeLength(ByteWriter& w, ValueForm form, std::size_t n) {
    if (form == ValueForm::ByteLength)
        w.u8(static_cast<std::uint8_t>(n));
    else
        w.u16(static_cast<std::uint16_t>(n));
}

//! The text pointer and timestamp that precede a TEXT, NTEXT or IMAGE value; the values cannot be
//! updated through them, so they only need to be present.
void writeTextPointer(ByteWriter& w) {
    w.u8(16);
    for (int i = 0; i < 16; ++i)
        w.u8(0xFF);
    for (int i = 0; i < 8; ++i)
        w.u8(0);
}

void writeLengthPrefixed(ByteWriter& w, const WireType& t, const Bytes& bytes) {
    switch (t.form) {
    case ValueForm::Plp:
        w.u64(bytes.size());
        if (!bytes.empty()) {
            w.u32(static_cast<std::uint32_t>(bytes.size()));
            w.bytes(bytes);
        }
        w.u32(0);
        return;
    case ValueForm::TextPointer:
        writeTextPointer(w);
        w.u32(static_cast<std::uint32_t>(bytes.size()));
        w.bytes(bytes);
        return;
    case ValueForm::ShortLength:
    case ValueForm::ByteLength: {
        // The type's length bounds its values; the cut only guards the stream against a value that
        // breaks that rule.
        const std::size_t n = std::min<std::size_t>(bytes.size(), t.length);
        writeLength(w, t.form, n);
        w.bytes(bytes.data(), n);
        return;
    }
    }
}

void writeNull(ByteWriter& w, const WireType& t) {
    switch (t.form) {
    case ValueForm::ByteLength:
        w.u8(0);
        return;
    case ValueForm::ShortLength:
        w.u16(0xFFFF);
        return;
    case ValueForm::Plp:
        w.u64(~std::uint64_t{0});
        return;
    case ValueForm::TextPointer:
        w.u8(0);
        return;
    }
}

void writeDecimal(ByteWriter& w, const WireType& t, const Decimal& d) {
    const auto scaled = d.rescale(t.type.scale);
    if (!scaled) throw SqlError::make(8115, {t.type.name()});
    Int128 unscaled = scaled->unscaled();
    const bool negative = unscaled < 0;
    UInt128 magnitude = negative ? static_cast<UInt128>(-unscaled) : static_cast<UInt128>(unscaled);
    const std::size_t length = t.length;
    w.u8(static_cast<std::uint8_t>(length));
    w.u8(negative ? 0 : 1);
    for (std::size_t i = 0; i + 1 < length; ++i) {
        w.u8(static_cast<std::uint8_t>(magnitude));
        magnitude >>= 8;
    }
}

} // namespace

std::uint8_t timeLength(int scale) {
    return scale <= 2 ? 3 : scale <= 4 ? 4 : 5;
}

std::uint8_t decimalLength(int precision) {
    if (precision <= 9) return 5;
    if (precision <= 19) return 9;
    if (precision <= 28) return 13;
    return 17;
}

WireType wireType(const Type& type, const Protocol& protocol) {
    Type effective = type.id == TypeId::Null ? Type::integer() : type;
    if (!protocol.atLeast73() && effective.id == TypeId::Date) effective = Type::nVarChar(10);
    if (!protocol.atLeast73() && effective.id == TypeId::Time)
        effective = Type::nVarChar(effective.scale == 0 ? 8 : 9 + effective.scale);
    if (effective.length == Type::kMax && !protocol.atLeast72()) {
        const TypeId lob = largeObjectFor(effective.id);
        effective = lob == TypeId::Text ? Type::text() : lob == TypeId::NText ? Type::nText() : Type::image();
    }
    const TypeRule& rule = ruleOf(effective.id);
    WireType t;
    t.type = effective;
    t.code = rule.code;
    t.form = rule.form;
    t.payload = rule.payload;
    t.collation = rule.collation;
    t.largeObject = rule.form == ValueForm::TextPointer;
    t.length = rule.length;
    if (rule.payload == Payload::Decimal) {
        t.length = decimalLength(effective.precision);
    } else if (rule.payload == Payload::Time) {
        t.length = timeLength(effective.scale);
    } else if (rule.length == 0) {
        if (effective.length == Type::kMax) {
            t.form = ValueForm::Plp;
            t.length = code::kMaxLength;
        } else {
            const std::uint32_t units = static_cast<std::uint32_t>(std::max(effective.length, 1));
            t.length = rule.payload == Payload::Utf16Text ? units * 2 : units;
        }
    }
    return t;
}

void writeTypeInfo(ByteWriter& w, const WireType& t) {
    w.u8(t.code);
    // DATE has no length in its TYPE_INFO, TIME only its scale.
    if (t.payload == Payload::Date) return;
    if (t.payload == Payload::Time) {
        w.u8(t.type.scale);
        return;
    }
    if (t.form == ValueForm::TextPointer)
        w.u32(t.length);
    else if (t.form == ValueForm::ByteLength)
        w.u8(static_cast<std::uint8_t>(t.length));
    else
        w.u16(static_cast<std::uint16_t>(t.length));
    if (t.payload == Payload::Decimal) {
        w.u8(t.type.precision);
        w.u8(t.type.scale);
    }
    if (t.collation) w.bytes(kDatabaseCollation.data(), kDatabaseCollation.size());
}

void writeValue(ByteWriter& w, const WireType& t, const Value& value) {
    if (value.isNull()) {
        writeNull(w, t);
        return;
    }
    const bool sameFamily =
        value.type().id == t.type.id || (isIntegerType(value.type().id) && t.payload == Payload::Integer);
    // A value of the column's own family is written as it is, without a copy of its text or bytes.
    std::optional<Value> converted;
    if (!sameFamily) converted = convert(value, t.type, ConversionKind::Explicit);
    const Value& v = converted ? *converted : value;
    switch (t.payload) {
    case Payload::Integer: {
        const std::uint64_t bits = static_cast<std::uint64_t>(v.asInt());
        w.u8(static_cast<std::uint8_t>(t.length));
        for (std::uint32_t i = 0; i < t.length; ++i)
            w.u8(static_cast<std::uint8_t>(bits >> (8 * i)));
        return;
    }
    case Payload::Decimal:
        writeDecimal(w, t, v.asDecimal());
        return;
    case Payload::Money: {
        const auto scaled = v.asDecimal().rescale(4);
        if (!scaled) throw SqlError::make(8115, {"money"});
        const auto units = static_cast<std::uint64_t>(static_cast<std::int64_t>(scaled->unscaled()));
        w.u8(8);
        w.u32(static_cast<std::uint32_t>(units >> 32));
        w.u32(static_cast<std::uint32_t>(units));
        return;
    }
    case Payload::Float: {
        if (t.length == 4) {
            const float f = static_cast<float>(v.asDouble());
            std::uint32_t bits = 0;
            std::memcpy(&bits, &f, sizeof bits);
            w.u8(4);
            w.u32(bits);
        } else {
            const double d = v.asDouble();
            std::uint64_t bits = 0;
            std::memcpy(&bits, &d, sizeof bits);
            w.u8(8);
            w.u64(bits);
        }
        return;
    }
    case Payload::DateTime:
        w.u8(8);
        w.u32(static_cast<std::uint32_t>(v.asDateTime().days()));
        w.u32(static_cast<std::uint32_t>(v.asDateTime().ticks()));
        return;
    case Payload::CodePageText:
        writeLengthPrefixed(w, t, CodePage::ofCollation(kDatabaseCollation).encode(v.asString()));
        return;
    case Payload::Utf16Text:
        writeLengthPrefixed(w, t, toUtf16Le(v.asString()));
        return;
    case Payload::Binary:
        writeLengthPrefixed(w, t, v.asBytes());
        return;
    case Payload::Guid:
        w.u8(16);
        w.bytes(v.asGuid().bytes.data(), 16);
        return;
    case Payload::Date: {
        const auto days = static_cast<std::uint32_t>(v.asDate().days() + kDaysFromYearOneTo1900);
        w.u8(3);
        for (int i = 0; i < 3; ++i)
            w.u8(static_cast<std::uint8_t>(days >> (8 * i)));
        return;
    }
    case Payload::Time: {
        std::int64_t divisor = 1;
        for (int i = t.type.scale; i < 7; ++i)
            divisor *= 10;
        const auto units = static_cast<std::uint64_t>(v.asTime().rounded(t.type.scale).units() / divisor);
        w.u8(static_cast<std::uint8_t>(t.length));
        for (std::uint32_t i = 0; i < t.length; ++i)
            w.u8(static_cast<std::uint8_t>(units >> (8 * i)));
        return;
    }
    }
}

} // namespace tsql::server
