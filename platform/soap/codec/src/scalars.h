#pragma once
//! Text forms of scalar values on the wire.

#include "platform/soap/types.h"
#include "platform/soap/value.h"

#include <string>
#include <string_view>

namespace platform::soap::detail {

//! Appends the wire text of a scalar value (string, number, Boolean, dateTime, decimal, bytes).
void AppendScalarText(std::string& out, const Value& value);

//! Appends the base64 text of raw bytes.
void AppendBase64(std::string& out, const Bytes& bytes);

//! Appends an xsd:dateTime text with milliseconds and the zone designator the value carries.
void AppendDateTime(std::string& out, const DateTime& dt);

//! Reads wire text as the given scalar type; throws DecodeError naming the type and the text.
Value ParseScalar(Scalar scalar, std::string_view text);

//! The xsd/soapenc local type name of a scalar type or value kind ("string", "int", ...).
std::string_view XsdName(Scalar scalar);
std::string_view XsdName(Value::Kind kind);

//! Scalar type of an xsd or soapenc local type name; Scalar::None when it is not one.
Scalar ScalarFromXsdName(std::string_view localName, bool soapEncoding);

//! Appends text with the five XML special characters escaped (also in attribute values).
void AppendEscaped(std::string& out, std::string_view text);

} // namespace platform::soap::detail
