#include "parameters.h"

#include "collation.h"
#include "type_codes.h"

#include "tsql/error.h"

#include <algorithm>
#include <cstring>
#include <optional>

namespace tsql::server {

namespace {

constexpr std::uint8_t kByReference = 0x01;
constexpr std::uint8_t kDefaultValue = 0x02;

//! The engine type and the size of each fixed-length type code.
struct FixedType {
    std::uint8_t code;
    std::uint8_t size;
    Type (*type)();
};
constexpr FixedType kFixedTypes[] = {
    {code::kNull, 0, &Type::integer},      {code::kInt1, 1, &Type::tinyInt},
    {code::kBit, 1, &Type::bit},           {code::kInt2, 2, &Type::smallInt},
    {code::kInt4, 4, &Type::integer},      {code::kInt8, 8, &Type::bigInt},
    {code::kFlt4, 4, &Type::real},         {code::kFlt8, 8, &Type::floating},
    {code::kMoney, 8, &Type::money},       {code::kMoney4, 4, &Type::money},
    {code::kDateTime, 8, &Type::dateTime}, {code::kDateTim4, 4, &Type::dateTime},
};

//! TYPE_INFO as a client sends it.
struct TypeInfo {
    std::uint8_t code = 0;
    std::uint32_t maxLength = 0;
    std::uint8_t precision = 0;
    std::uint8_t scale = 0;
    CollationBytes collation = kDatabaseCollation;
    bool plp = false;
};

bool isShortLengthType(std::uint8_t c) {
    return c == code::kBigVarBinary || c == code::kBigVarChar || c == code::kBigBinary ||
           c == code::kBigChar || c == code::kNVarChar || c == code::kNChar;
}

bool isCharacterCode(std::uint8_t c) {
    return c == code::kBigVarChar || c == code::kBigChar || c == code::kNVarChar || c == code::kNChar ||
           c == code::kText || c == code::kNText;
}

bool isByteLengthType(std::uint8_t c) {
    return c == code::kIntN || c == code::kBitN || c == code::kFltN || c == code::kMoneyN ||
           c == code::kDateTimN || c == code::kGuid || c == code::kDecimalN || c == code::kNumericN;
}

TypeInfo readTypeInfo(ByteReader& r, const std::string& name) {
    TypeInfo t;
    t.code = r.u8();
    for (const auto& f : kFixedTypes)
        if (f.code == t.code) {
            t.maxLength = f.size;
            return t;
        }
    if (isByteLengthType(t.code)) {
        t.maxLength = r.u8();
        if (t.code == code::kDecimalN || t.code == code::kNumericN) {
            t.precision = r.u8();
            t.scale = r.u8();
            if (t.precision < 1 || t.precision > 38 || t.scale > t.precision)
                throw ProtocolError("a decimal parameter has an impossible precision or scale");
        }
        return t;
    }
    if (t.code == code::kDateN) return t;
    if (t.code == code::kTimeN || t.code == code::kDateTime2N || t.code == code::kDateTimeOffsetN) {
        t.scale = r.u8();
        if (t.scale > 7) throw ProtocolError("a time parameter has a scale above 7");
        return t;
    }
    if (isShortLengthType(t.code)) {
        t.maxLength = r.u16();
        t.plp = t.maxLength == code::kMaxLength;
    } else if (t.code == code::kText || t.code == code::kNText || t.code == code::kImage) {
        t.maxLength = r.u32();
    } else if (t.code == code::kXml) {
        if (r.u8() != 0) throw UnsupportedParameter(name, t.code); // typed by an XML schema collection
        t.plp = true;
        return t;
    } else {
        throw UnsupportedParameter(name, t.code);
    }
    if (isCharacterCode(t.code)) {
        const std::uint8_t* c = r.take(5);
        std::memcpy(t.collation.data(), c, 5);
    }
    return t;
}

//! The engine type a parameter was declared with.
Type engineType(const TypeInfo& t) {
    for (const auto& f : kFixedTypes)
        if (f.code == t.code) return f.type();
    const auto chars = [&](std::uint32_t perChar) {
        return t.plp ? Type::kMax
                     : static_cast<std::int32_t>(std::max<std::uint32_t>(t.maxLength / perChar, 1));
    };
    switch (t.code) {
    case code::kIntN:
        return t.maxLength == 1   ? Type::tinyInt()
               : t.maxLength == 2 ? Type::smallInt()
               : t.maxLength == 8 ? Type::bigInt()
                                  : Type::integer();
    case code::kBitN:
        return Type::bit();
    case code::kFltN:
        return t.maxLength == 4 ? Type::real() : Type::floating();
    case code::kMoneyN:
        return Type::money();
    case code::kDateN:
        return Type::date();
    case code::kTimeN:
        return Type::time(t.scale);
    case code::kDateTimN:
    case code::kDateTime2N:
    case code::kDateTimeOffsetN:
        return Type::dateTime();
    case code::kGuid:
        return Type::uniqueIdentifier();
    case code::kDecimalN:
        return Type::decimal(t.precision, t.scale);
    case code::kNumericN:
        return Type::numeric(t.precision, t.scale);
    case code::kBigVarChar:
        return Type::varChar(chars(1));
    case code::kBigChar:
        return Type::chr(chars(1));
    case code::kNVarChar:
        return Type::nVarChar(chars(2));
    case code::kNChar:
        return Type::nChar(chars(2));
    case code::kBigVarBinary:
        return Type::varBinary(chars(1));
    case code::kBigBinary:
        return Type::binary(chars(1));
    case code::kText:
        return Type::text();
    case code::kNText:
        return Type::nText();
    case code::kImage:
        return Type::image();
    case code::kXml:
        return Type::nVarChar(Type::kMax);
    default:
        return Type::integer();
    }
}

//! A PLP value; nullopt for NULL.
std::optional<Bytes> readPlp(ByteReader& r) {
    const std::uint64_t total = r.u64();
    if (total == ~std::uint64_t{0}) return std::nullopt;
    Bytes out;
    if (total != ~std::uint64_t{0} - 1 && total <= r.remaining())
        out.reserve(static_cast<std::size_t>(total));
    for (;;) {
        const std::uint32_t chunk = r.u32();
        if (chunk == 0) break;
        const std::uint8_t* p = r.take(chunk);
        out.insert(out.end(), p, p + chunk);
    }
    return out;
}

std::int64_t littleEndian(const std::uint8_t* p, std::size_t n) {
    std::uint64_t v = 0;
    for (std::size_t i = 0; i < n; ++i)
        v |= std::uint64_t(p[i]) << (8 * i);
    if (n < 8 && n > 0 && (p[n - 1] & 0x80)) v |= ~std::uint64_t{0} << (8 * n); // sign-extend
    return static_cast<std::int64_t>(v);
}

//! Time of day in units of 10^-scale seconds, rounded to DATETIME's 1/300 s.
std::int32_t ticksOfTime(const std::uint8_t* p, std::size_t n, std::uint8_t scale) {
    std::uint64_t units = 0;
    for (std::size_t i = 0; i < n; ++i)
        units |= std::uint64_t(p[i]) << (8 * i);
    std::uint64_t perSecond = 1;
    for (int i = 0; i < scale; ++i)
        perSecond *= 10;
    const std::uint64_t ticks = (units * 300 + perSecond / 2) / perSecond;
    return static_cast<std::int32_t>(std::min<std::uint64_t>(ticks, DateTime::kTicksPerDay - 1));
}

std::int32_t daysOfDate(const std::uint8_t* p) {
    const std::int32_t sinceYearOne = p[0] | (p[1] << 8) | (p[2] << 16);
    return sinceYearOne - kDaysFromYearOneTo1900;
}

//! Days and ticks, carried over midnight, as a DATETIME (SqlError 242 outside its range).
Value dateTimeValue(std::int64_t days, std::int64_t ticks) {
    while (ticks >= DateTime::kTicksPerDay) {
        ticks -= DateTime::kTicksPerDay;
        ++days;
    }
    while (ticks < 0) {
        ticks += DateTime::kTicksPerDay;
        --days;
    }
    if (days < DateTime::kMinDays || days > DateTime::kMaxDays) throw SqlError::make(242);
    return Value::dateTime(DateTime(static_cast<std::int32_t>(days), static_cast<std::int32_t>(ticks)));
}

Value readDateAndTime(const TypeInfo& t, const std::uint8_t* p, std::size_t n) {
    const std::size_t timeBytes = t.scale <= 2 ? 3 : t.scale <= 4 ? 4 : 5;
    switch (t.code) {
    case code::kDateN:
        if (n != 3) break;
        return Value::date(Date(daysOfDate(p)));
    case code::kTimeN: {
        if (n != timeBytes) break;
        std::uint64_t units = 0;
        for (std::size_t i = 0; i < n; ++i)
            units |= std::uint64_t(p[i]) << (8 * i);
        for (int i = t.scale; i < 7; ++i)
            units *= 10;
        if (units >= static_cast<std::uint64_t>(TimeOfDay::kUnitsPerDay))
            throw ProtocolError("a time parameter is past midnight");
        return Value::time(TimeOfDay(static_cast<std::int64_t>(units)), Type::time(t.scale));
    }
    case code::kDateTime2N:
        if (n != timeBytes + 3) break;
        return dateTimeValue(daysOfDate(p + timeBytes), ticksOfTime(p, timeBytes, t.scale));
    case code::kDateTimeOffsetN: {
        if (n != timeBytes + 5) break;
        // Stored in UTC; the engine has no offsets, so the value becomes the sender's local time.
        const std::int16_t offset = static_cast<std::int16_t>(p[timeBytes + 3] | (p[timeBytes + 4] << 8));
        return dateTimeValue(daysOfDate(p + timeBytes), std::int64_t(ticksOfTime(p, timeBytes, t.scale)) +
                                                            std::int64_t(offset) * 60 * 300);
    }
    default:
        break;
    }
    throw ProtocolError("a date or time parameter has a wrong length");
}

Value readDecimal(const TypeInfo& t, const std::uint8_t* p, std::size_t n) {
    // The length follows the precision (5, 9, 13 or 17 bytes), but some clients send just the bytes the
    // magnitude needs.
    if (n < 2 || n > 17) throw ProtocolError("a decimal parameter has a wrong length");
    UInt128 magnitude = 0;
    for (std::size_t i = n - 1; i >= 1; --i)
        magnitude = (magnitude << 8) | p[i];
    if (magnitude >= static_cast<UInt128>(pow10(38)))
        throw ProtocolError("a decimal parameter holds more than 38 digits");
    const Int128 unscaled = p[0] == 0 ? -static_cast<Int128>(magnitude) : static_cast<Int128>(magnitude);
    const Type type =
        t.code == code::kNumericN ? Type::numeric(t.precision, t.scale) : Type::decimal(t.precision, t.scale);
    return Value::decimal(Decimal(unscaled, t.scale), type);
}

Value textValue(const TypeInfo& t, const Bytes& bytes) {
    const bool unicode =
        t.code == code::kNVarChar || t.code == code::kNChar || t.code == code::kNText || t.code == code::kXml;
    std::string text = unicode ? fromUtf16Le(bytes.data(), bytes.size())
                               : CodePage::ofCollation(t.collation).decode(bytes.data(), bytes.size());
    const Type carried = unicode ? Type::nVarChar(Type::kMax) : Type::varChar(Type::kMax);
    return Value::text(std::move(text), carried);
}

//! The value of a fixed-length or one-byte-length type.
Value readSmallValue(const TypeInfo& t, const Type& type, const std::uint8_t* p, std::size_t n) {
    switch (t.code) {
    case code::kInt1:
        return Value::integer(p[0], type);
    case code::kBit:
    case code::kBitN:
        if (n != 1) break;
        return Value::bit(p[0] != 0);
    case code::kInt2:
    case code::kInt4:
    case code::kInt8:
    case code::kIntN:
        if (n != 1 && n != 2 && n != 4 && n != 8) break;
        return Value::integer(n == 1 ? p[0] : littleEndian(p, n), type);
    case code::kFlt4:
    case code::kFlt8:
    case code::kFltN:
        if (n == 4) {
            float f = 0;
            std::memcpy(&f, p, 4);
            return Value::floating(f, Type::real());
        }
        if (n == 8) {
            double d = 0;
            std::memcpy(&d, p, 8);
            return Value::floating(d, Type::floating());
        }
        break;
    case code::kMoney:
    case code::kMoney4:
    case code::kMoneyN:
        if (n == 8) {
            const std::uint64_t high = static_cast<std::uint32_t>(littleEndian(p, 4));
            const std::uint64_t low = static_cast<std::uint32_t>(littleEndian(p + 4, 4));
            return Value::decimal(Decimal(static_cast<std::int64_t>((high << 32) | low), 4), Type::money());
        }
        if (n == 4) return Value::decimal(Decimal(littleEndian(p, 4), 4), Type::money());
        break;
    case code::kDateTime:
    case code::kDateTim4:
    case code::kDateTimN:
        if (n == 8)
            return dateTimeValue(littleEndian(p, 4), static_cast<std::uint32_t>(littleEndian(p + 4, 4)));
        if (n == 4) // SMALLDATETIME: days and minutes
            return dateTimeValue(p[0] | (p[1] << 8), std::int64_t(p[2] | (p[3] << 8)) * 60 * 300);
        break;
    case code::kGuid:
        if (n != 16) break;
        {
            Guid g;
            std::memcpy(g.bytes.data(), p, 16);
            return Value::guid(g);
        }
    case code::kDecimalN:
    case code::kNumericN:
        return readDecimal(t, p, n);
    default:
        return readDateAndTime(t, p, n);
    }
    throw ProtocolError("a parameter value has a length its type does not allow");
}

} // namespace

RpcParameter readParameter(ByteReader& r) {
    RpcParameter p;
    p.name = r.bVarChar();
    const std::uint8_t status = r.u8();
    p.output = (status & kByReference) != 0;
    p.useDefault = (status & kDefaultValue) != 0;
    const TypeInfo t = readTypeInfo(r, p.name);
    p.type = engineType(t);
    p.value = Value::null(p.type);

    if (t.plp) {
        if (auto bytes = readPlp(r))
            p.value = t.code == code::kBigVarBinary
                          ? Value::bytes(std::move(*bytes), Type::varBinary(Type::kMax))
                          : textValue(t, *bytes);
        return p;
    }
    if (isShortLengthType(t.code)) {
        const std::uint16_t n = r.u16();
        if (n == 0xFFFF) return p;
        Bytes bytes = r.bytes(n);
        p.value = (t.code == code::kBigVarBinary || t.code == code::kBigBinary)
                      ? Value::bytes(std::move(bytes), Type::varBinary(std::max<std::int32_t>(n, 1)))
                      : textValue(t, bytes);
        return p;
    }
    if (t.code == code::kText || t.code == code::kNText || t.code == code::kImage) {
        const std::uint32_t n = r.u32();
        if (n == 0xFFFFFFFF) return p;
        Bytes bytes = r.bytes(n);
        p.value = t.code == code::kImage ? Value::bytes(std::move(bytes), Type::varBinary(Type::kMax))
                                         : textValue(t, bytes);
        return p;
    }
    std::size_t n = 0;
    bool fixed = false;
    for (const auto& f : kFixedTypes)
        if (f.code == t.code) {
            n = f.size;
            fixed = true;
        }
    if (!fixed) {
        n = r.u8();
        if (n == 0) return p;
    }
    if (t.code == code::kNull) return p;
    p.value = readSmallValue(t, p.type, r.take(n), n);
    return p;
}

} // namespace tsql::server
