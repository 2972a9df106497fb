#include "common/utf.h"

#include <algorithm>

namespace common {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

} // namespace

void AppendUtf8(std::string& out, char32_t c) {
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) c = kReplacement;
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

namespace {

//! One code point decoded at the start of a text.
struct Decoded {
    char32_t c = kReplacement;
    std::size_t length = 1; //!< bytes taken
    bool valid = false;
};

Decoded decodeOne(std::string_view text) {
    const auto lead = static_cast<unsigned char>(text[0]);
    std::size_t length = 0;
    char32_t c = 0;
    char32_t minimum = 0;
    if (lead < 0x80) return {lead, 1, true};
    if ((lead & 0xE0) == 0xC0)
        length = 2, c = lead & 0x1F, minimum = 0x80;
    else if ((lead & 0xF0) == 0xE0)
        length = 3, c = lead & 0x0F, minimum = 0x800;
    else if ((lead & 0xF8) == 0xF0)
        length = 4, c = lead & 0x07, minimum = 0x10000;
    else
        return {};
    std::size_t taken = 1;
    while (taken < length && taken < text.size() && isContinuation(static_cast<unsigned char>(text[taken]))) {
        c = (c << 6) | (static_cast<unsigned char>(text[taken]) & 0x3F);
        ++taken;
    }
    if (taken < length || c < minimum || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF))
        return {kReplacement, taken, false};
    return {c, taken, true};
}

} // namespace

std::u32string Utf8ToUtf32(std::string_view text) {
    std::u32string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeOne(text.substr(i));
        out += d.c;
        i += d.length;
    }
    return out;
}

std::optional<std::size_t> FindInvalidUtf8(std::string_view text) {
    for (std::size_t i = 0; i < text.size();) {
        const Decoded d = decodeOne(text.substr(i));
        if (!d.valid) return i;
        i += d.length;
    }
    return std::nullopt;
}

std::string RepairUtf8(std::string_view text) {
    if (!FindInvalidUtf8(text)) return std::string(text);
    return Utf32ToUtf8(Utf8ToUtf32(text));
}

std::string Utf32ToUtf8(std::u32string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char32_t c : text)
        AppendUtf8(out, c);
    return out;
}

std::string Utf8Left(std::string_view text, std::size_t count) {
    const auto points = Utf8ToUtf32(text);
    return Utf32ToUtf8(std::u32string_view(points).substr(0, std::min(count, points.size())));
}

std::u16string Utf8ToUtf16(std::string_view text) {
    std::u16string out;
    for (char32_t c : Utf8ToUtf32(text)) {
        if (c < 0x10000) {
            out += static_cast<char16_t>(c);
        } else {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        }
    }
    return out;
}

std::string Utf16ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char16_t u = text[i];
        if (u >= 0xD800 && u <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            AppendUtf8(out, 0x10000 + ((char32_t(u) - 0xD800) << 10) + (char32_t(text[i + 1]) - 0xDC00));
            ++i;
        } else {
            AppendUtf8(out, u);
        }
    }
    return out;
}

} // namespace common
