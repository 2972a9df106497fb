#pragma once
//! Turning values into Transact-SQL literal text for statements built as text.

#include "common/datetime.h"

#include <bitset>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace common {

//! A set of characters with codes 0 to 255.
using CharSet = std::bitset<256>;

//! The set holding exactly the given characters (each must be below code 256).
CharSet MakeCharSet(std::initializer_list<char32_t> chars);

//! The UTF-8 text without every character of the set; characters above code 255 are always kept.
std::string RemoveChars(std::string_view text, const CharSet& chars);

//! An N-prefixed Unicode literal: N'...' with every single quote doubled.
std::string SqlNString(std::string_view text);

//! 'yyyymmdd' for a day number, "NULL" for 0.
std::string SqlDate(TDateTime value);

//! yyyymmdd hh:nn:ss.zzz (in single quotes when quoted) for a day number, "NULL" for 0.
std::string SqlDateTime(TDateTime value, bool quoted = true);

//! The value formatted with a printf-like pattern holding one floating-point placeholder
//! ("%.2f"), always with "." as decimal point and without spaces or thousands separators.
//! Independent of every locale setting. Throws std::invalid_argument for a bad pattern or a
//! value that is not finite (it has no literal).
std::string SqlFloat(std::string_view format, double value);

//! Variant kinds a value pasted into SQL may carry.
struct VarNull {
    friend bool operator==(VarNull, VarNull) = default;
};
struct VarEmpty {
    friend bool operator==(VarEmpty, VarEmpty) = default;
};
//! Fixed-point money value with four decimals, stored scaled by 10000.
struct VarCurrency {
    std::int64_t scaled = 0;
    friend bool operator==(VarCurrency, VarCurrency) = default;
};
struct VarDate {
    TDateTime value = 0;
    friend bool operator==(VarDate, VarDate) = default;
};
//! Wide (COM) string, UTF-8 here.
struct VarOleStr {
    std::string text;
    friend bool operator==(const VarOleStr&, const VarOleStr&) = default;
};
//! Native Unicode string, UTF-8 here.
struct VarUString {
    std::string text;
    friend bool operator==(const VarUString&, const VarUString&) = default;
};
//! 8-bit string, pasted without the N prefix.
struct VarAnsiString {
    std::string text;
    friend bool operator==(const VarAnsiString&, const VarAnsiString&) = default;
};
struct VarArray {
    friend bool operator==(VarArray, VarArray) = default;
};

//! A tagged value; the alternative decides the literal SqlValue gives.
using SqlVariant = std::variant<VarNull, VarEmpty, std::int16_t, std::int32_t, std::uint8_t, float, double,
                                VarCurrency, VarDate, VarOleStr, VarUString, VarAnsiString, bool, std::int8_t,
                                std::int64_t, std::uint16_t, std::uint32_t, std::uint64_t, VarArray>;

//! The literal for a variant: NULL, integers as decimal text, floats through SqlFloat, dates through
//! SqlDateTime (quoted), Unicode strings through SqlNString, 8-bit strings quoted without N; every
//! other kind (empty, Boolean, 64-bit and unsigned integers, arrays) gives the empty string.
std::string SqlValue(const SqlVariant& value, std::string_view floatFormat = "%.2f");

//! "0x" followed by two upper-case hexadecimal digits per byte.
std::string SqlBinary(const std::vector<std::uint8_t>& bytes);

} // namespace common
