#include "utf16.h"

#include "platform/db/errors.h"

#include "common/utf.h"

#include <cstdint>

namespace platform::db::detail {

namespace {

[[noreturn]] void invalidUtf8(std::size_t offset) {
    throw ConversionError("The text is not valid UTF-8 (byte " + std::to_string(offset) + ")");
}

} // namespace

std::u16string toUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    std::size_t i = 0;
    while (i < utf8.size()) {
        const auto lead = static_cast<std::uint8_t>(utf8[i]);
        std::size_t length = 0;
        char32_t c = 0;
        char32_t minimum = 0;
        if (lead < 0x80) {
            length = 1, c = lead;
        } else if ((lead & 0xE0) == 0xC0) {
            length = 2, c = lead & 0x1F, minimum = 0x80;
        } else if ((lead & 0xF0) == 0xE0) {
            length = 3, c = lead & 0x0F, minimum = 0x800;
        } else if ((lead & 0xF8) == 0xF0) {
            length = 4, c = lead & 0x07, minimum = 0x10000;
        } else {
            invalidUtf8(i);
        }
        if (i + length > utf8.size()) invalidUtf8(i);
        for (std::size_t k = 1; k < length; ++k) {
            const auto next = static_cast<std::uint8_t>(utf8[i + k]);
            if ((next & 0xC0) != 0x80) invalidUtf8(i);
            c = (c << 6) | (next & 0x3F);
        }
        if (c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) invalidUtf8(i);
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += length;
    }
    return out;
}

std::string toUtf8(std::u16string_view utf16) {
    return common::Utf16ToUtf8(utf16);
}

} // namespace platform::db::detail
