#pragma once
//! Pieces of the conversion code shared between its files (private to the library).

#include "tsql/convert.h"

namespace tsql::detail {

//! convert() with a CONVERT style (0 = CAST).
Value convertWithStyle(const Value& v, const Type& to, ConversionKind kind, int style);
//! Conversion of any value to a character type, with a CONVERT style.
Value textFromValue(const Value& v, const Type& to, ConversionKind kind, int style);
//! Text cut or padded to a character type (8152 for a store that would lose characters).
Value fitText(std::string s, const Type& to, ConversionKind kind);
//! Bytes cut or padded to a binary type; numbers keep their low-order bytes and pad on the left.
Value fitBinary(Bytes b, const Type& to, ConversionKind kind, bool numeric);
//! Raises 281 for a style CONVERT does not know for this pair of types.
void checkStyle(const Type& from, const Type& to, int style);
//! Raises the error for a conversion SQL Server has but this server does not.
[[noreturn]] void unsupported(const Type& from, const Type& to);

} // namespace tsql::detail
