#pragma once
//! Text forms of scalar values on the wire.

#include "platform/soap/types.h"
#include "platform/soap/value.h"

#include <string>
#include <string_view>

namespace platform::soap::detail {

//! Appends the wire text of a scalar value (string, number, Boolean, dateTime, decimal, bytes).
void appendScalarText(std::string& out, const Value& value);

//! Appends the base64 text of raw bytes.
void appendBase64(std::string& out, const Bytes& bytes);

//! Appends an xsd:dateTime text with milliseconds and the zone designator the value carries.
void appendDateTime(std::string& out, const DateTime& dt);

//! Reads wire text as the given scalar type; throws DecodeError naming the type and the text.
Value parseScalar(Scalar scalar, std::string_view text);

//! The xsd/soapenc local type name of a scalar type or value kind ("string", "int", ...).
std::string_view xsdName(Scalar scalar);
std::string_view xsdName(Value::Kind kind);

//! Scalar type of an xsd or soapenc local type name; Scalar::None when it is not one.
Scalar scalarFromXsdName(std::string_view localName, bool soapEncoding);

//! XML white space: blank, tab, carriage return, line feed.
bool isXmlSpace(char c);

//! The text without leading and trailing XML white space.
std::string_view trimXmlSpace(std::string_view s);

//! Throws DecodeError for a text that is not a valid value of the named type.
[[noreturn]] void throwInvalid(std::string_view type, std::string_view text);

//! Appends text with the five XML special characters escaped (also in attribute values).
void appendEscaped(std::string& out, std::string_view text);

} // namespace platform::soap::detail
