#pragma once
//! Typed SQL Server values: every value carries its Type; NULL is a value of a type too.

#include "tsql/datetime.h"
#include "tsql/decimal.h"
#include "tsql/type.h"

#include <array>
#include <cstdint>
#include <string>
#include <variant>
#include <vector>

namespace tsql {

using Bytes = std::vector<std::uint8_t>;

//! A UNIQUEIDENTIFIER in SQL Server's byte order (the bytes CAST(guid AS BINARY(16)) yields: the first
//! three groups little-endian, the last two as written).
struct Guid {
    std::array<std::uint8_t, 16> bytes{};
    friend bool operator==(const Guid&, const Guid&) = default;
};

//! Parses "xxxxxxxx-xxxx-xxxx-xxxx-xxxxxxxxxxxx" with or without braces, any case, blanks around;
//! throws SqlError 8169 otherwise.
Guid parseGuid(std::string_view text);
//! Upper-case "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX" (as CAST(guid AS NVARCHAR(36)) gives).
std::string guidToString(const Guid& g);
//! A new random GUID (version 4).
Guid newGuid();
//! The 16 bytes reordered so that comparing them byte by byte orders GUIDs as SQL Server does (last group
//! first); the SQLite storage form.
std::array<std::uint8_t, 16> guidSortKey(const Guid& g);
//! Inverse of guidSortKey.
Guid guidFromSortKey(const std::uint8_t* key);

//! One value of a T-SQL expression. Payload by type family:
//!   integer types (BIT 0/1 too)  -> std::int64_t
//!   NUMERIC/DECIMAL/MONEY        -> Decimal (at the type's scale)
//!   REAL/FLOAT                   -> double (REAL values are already rounded to float)
//!   DATETIME                     -> DateTime
//!   DATE                         -> Date
//!   TIME                         -> TimeOfDay (already rounded to the type's fraction digits)
//!   character types              -> std::string (UTF-8; CHAR/NCHAR padded to their length)
//!   binary types                 -> Bytes (BINARY padded with zeros)
//!   UNIQUEIDENTIFIER             -> Guid
class Value {
public:
    using Payload = std::variant<std::monostate, std::int64_t, double, Decimal, DateTime, std::string, Bytes,
                                 Guid, Date, TimeOfDay>;

    //! NULL of type Null (a bare NULL literal).
    Value() = default;
    //! NULL of the given type.
    static Value null(const Type& type) { return Value(type, std::monostate{}); }

    // Constructors that do not check: the payload must suit the type (use convert() for checked work).
    static Value integer(std::int64_t v, const Type& type = Type::integer()) { return Value(type, v); }
    static Value bigInt(std::int64_t v) { return Value(Type::bigInt(), v); }
    static Value bit(bool v) { return Value(Type::bit(), std::int64_t(v ? 1 : 0)); }
    //! A decimal at its own scale as NUMERIC(max(digits, scale), scale) unless a type is given.
    static Value decimal(const Decimal& d);
    static Value decimal(const Decimal& d, const Type& type) { return Value(type, d); }
    static Value floating(double v, const Type& type = Type::floating()) { return Value(type, v); }
    static Value dateTime(const DateTime& v) { return Value(Type::dateTime(), v); }
    static Value date(const Date& v) { return Value(Type::date(), v); }
    //! A TIME of the type's fraction digits (the value is rounded to them).
    static Value time(const TimeOfDay& v, const Type& type = Type::time()) {
        return Value(type, v.rounded(type.scale));
    }
    //! Text as VARCHAR/NVARCHAR of its length (at least 1) unless a type is given.
    static Value varChar(std::string s);
    static Value nVarChar(std::string s);
    static Value text(std::string s, const Type& type);
    //! Bytes as VARBINARY of their length unless a type is given.
    static Value varBinary(Bytes b);
    static Value bytes(Bytes b, const Type& type);
    static Value guid(const Guid& g) { return Value(Type::uniqueIdentifier(), g); }

    const Type& type() const { return type_; }
    bool isNull() const { return std::holds_alternative<std::monostate>(payload_); }

    // Payload access; each throws std::logic_error for a value of another family or NULL.
    std::int64_t asInt() const;
    double asDouble() const;
    const Decimal& asDecimal() const;
    const DateTime& asDateTime() const;
    const Date& asDate() const;
    const TimeOfDay& asTime() const;
    const std::string& asString() const;
    const Bytes& asBytes() const;
    const Guid& asGuid() const;

    const Payload& payload() const { return payload_; }

    //! Same type and same payload (NULLs of one type are identical). Not SQL comparison: see compare().
    friend bool operator==(const Value&, const Value&) = default;

private:
    Value(const Type& type, Payload p)
        : type_(type)
        , payload_(std::move(p)) {}
    Type type_;
    Payload payload_;
};

//! Most bytes a value (of a MAX or large-object type) may take here: what SQLite, which keeps and hands
//! over every value, takes by default (SQLITE_MAX_LENGTH). SQL Server's own limit is 2^31 - 1 bytes.
inline constexpr std::uint64_t kMaxValueBytes = 1000000000;

//! Throws SqlError 7119 when a value about to be built would take more than kMaxValueBytes: functions
//! that make large values check their result's size before they allocate it.
void checkValueSize(std::uint64_t bytes);

} // namespace tsql
