#pragma once
//! UTF-8 <-> UTF-16 conversion for the wide ODBC functions.

#include <string>
#include <string_view>

namespace platform::db::detail {

//! UTF-16 text from UTF-8; throws ConversionError naming the byte offset of an invalid sequence.
std::u16string toUtf16(std::string_view utf8);

//! UTF-8 text from UTF-16; an unpaired surrogate becomes U+FFFD.
std::string toUtf8(std::u16string_view utf16);

} // namespace platform::db::detail
