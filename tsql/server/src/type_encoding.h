#pragma once
//! Engine values on the wire: the TYPE_INFO of a column or return value of an engine type, and each
//! value in the form that TYPE_INFO announces.

#include "version.h"
#include "wire.h"

#include "tsql/value.h"

#include <cstdint>

namespace tsql::server {

//! How a value's length is written.
enum class ValueForm : std::uint8_t {
    ByteLength,  //!< one byte (0 = NULL)
    ShortLength, //!< two bytes (0xFFFF = NULL)
    Plp,         //!< partially length-prefixed chunks (MAX types)
    TextPointer, //!< text pointer, timestamp and four-byte length (TEXT, NTEXT, IMAGE)
};

//! What the value bytes hold.
enum class Payload : std::uint8_t {
    Integer,
    Decimal,
    Money,
    Float,
    DateTime,
    CodePageText, //!< CHAR, VARCHAR, TEXT in the collation's code page
    Utf16Text,    //!< NCHAR, NVARCHAR, NTEXT
    Binary,
    Guid,
    Date, //!< days since 0001-01-01 in three bytes
    Time, //!< units of 10^-scale seconds since midnight in three to five bytes
};

//! The wire form of one engine type for one protocol version.
struct WireType {
    Type type; //!< values are converted to this type before they are written
    std::uint8_t code = 0;
    ValueForm form = ValueForm::ByteLength;
    Payload payload = Payload::Integer;
    std::uint32_t length = 0; //!< the TYPE_INFO length (bytes)
    bool collation = false;   //!< TYPE_INFO carries the collation
    bool largeObject = false; //!< TEXT/NTEXT/IMAGE: a column's metadata names its table
};

//! The wire form of an engine type. MAX types become TEXT, NTEXT and IMAGE for 7.1 clients, which do
//! not know them; DATE and TIME become their text in NVARCHAR for 7.1 and 7.2 clients, as SQL Server
//! sends them.
WireType wireType(const Type& type, const Protocol& protocol);

//! Appends TYPE_INFO: the type code, its length, precision and scale, collation.
void writeTypeInfo(ByteWriter& w, const WireType& t);

//! Appends one value (NULL included) in the type's form.
void writeValue(ByteWriter& w, const WireType& t, const Value& v);

//! The number of bytes a NUMERIC/DECIMAL of this precision takes, sign byte included (5, 9, 13, 17).
std::uint8_t decimalLength(int precision);

//! The number of bytes a TIME of this scale takes (3, 4, 5).
std::uint8_t timeLength(int scale);

} // namespace tsql::server
