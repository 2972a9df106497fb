#pragma once
//! Conversions between UTF-8, UTF-16 and code points; malformed input becomes U+FFFD.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace common {

//! Code points of a UTF-8 text.
std::u32string Utf8ToUtf32(std::string_view text);
//! UTF-8 text of code points.
std::string Utf32ToUtf8(std::u32string_view text);
//! UTF-16 code units of a UTF-8 text.
std::u16string Utf8ToUtf16(std::string_view text);
//! UTF-8 text of UTF-16 code units (unpaired surrogates become U+FFFD).
std::string Utf16ToUtf8(std::u16string_view text);
//! Byte offset of the first malformed sequence of a UTF-8 text; nullopt when it is all valid.
std::optional<std::size_t> FindInvalidUtf8(std::string_view text);
//! The UTF-8 text with each malformed sequence replaced by U+FFFD.
std::string RepairUtf8(std::string_view text);
//! The first `count` code points of a UTF-8 text (all of it when it is shorter).
std::string Utf8Left(std::string_view text, std::size_t count);
//! Appends one code point to a UTF-8 text.
void AppendUtf8(std::string& out, char32_t c);

} // namespace common
