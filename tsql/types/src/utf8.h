#pragma once
//! UTF-8 helpers shared by conversions and string functions (private to the library).

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tsql::detail {

//! Decodes UTF-8 into code points (invalid bytes become U+FFFD).
std::u32string decodeUtf8(std::string_view s);
//! Encodes code points as UTF-8.
std::string encodeUtf8(std::u32string_view s);
//! UTF-16LE bytes of UTF-8 text (what NVARCHAR holds).
std::vector<std::uint8_t> toUtf16Le(std::string_view s);
//! UTF-8 text of UTF-16LE bytes (an odd last byte is dropped).
std::string fromUtf16Le(const std::vector<std::uint8_t>& bytes);
//! UTF-8 text of single-byte characters (Latin-1 reading of VARCHAR bytes).
std::string fromLatin1(const std::vector<std::uint8_t>& bytes);
//! Single-byte form of UTF-8 text: characters above U+00FF become '?', as a code page would.
std::vector<std::uint8_t> toLatin1(std::string_view s);
//! Number of UTF-16 units a code point takes.
inline int utf16Units(char32_t c) {
    return c > 0xFFFF ? 2 : 1;
}

} // namespace tsql::detail
