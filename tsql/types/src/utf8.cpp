#include "utf8.h"

#include "tsql/convert.h"

#include "common/utf.h"

namespace tsql::detail {

std::u32string decodeUtf8(std::string_view s) {
    return common::Utf8ToUtf32(s);
}

std::string encodeUtf8(std::u32string_view s) {
    return common::Utf32ToUtf8(s);
}

std::vector<std::uint8_t> toUtf16Le(std::string_view s) {
    std::vector<std::uint8_t> out;
    const auto put = [&](unsigned u) {
        out.push_back(static_cast<std::uint8_t>(u & 0xFF));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    };
    for (char32_t c : decodeUtf8(s)) {
        if (c > 0xFFFF) {
            c -= 0x10000;
            put(0xD800 + (c >> 10));
            put(0xDC00 + (c & 0x3FF));
        } else {
            put(c);
        }
    }
    return out;
}

std::string fromUtf16Le(const std::vector<std::uint8_t>& bytes) {
    std::u32string cps;
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
        char32_t u = bytes[i] | (bytes[i + 1] << 8);
        if (u >= 0xD800 && u < 0xDC00 && i + 3 < bytes.size()) {
            const char32_t lo = bytes[i + 2] | (bytes[i + 3] << 8);
            if (lo >= 0xDC00 && lo < 0xE000) {
                u = 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
                i += 2;
            }
        }
        cps += u;
    }
    return encodeUtf8(cps);
}

std::string fromLatin1(const std::vector<std::uint8_t>& bytes) {
    std::u32string cps(bytes.begin(), bytes.end());
    return encodeUtf8(cps);
}

std::vector<std::uint8_t> toLatin1(std::string_view s) {
    std::vector<std::uint8_t> out;
    for (char32_t c : decodeUtf8(s))
        out.push_back(c <= 0xFF ? static_cast<std::uint8_t>(c) : '?');
    return out;
}

} // namespace tsql::detail

namespace tsql {

std::string cutText(const std::string& s, std::int32_t maxChars, bool unicode) {
    if (maxChars == Type::kMax || static_cast<std::size_t>(maxChars) >= s.size()) return s;
    std::int64_t units = 0;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        const std::size_t len = b < 0x80             ? 1
                                : (b & 0xE0) == 0xC0 ? 2
                                : (b & 0xF0) == 0xE0 ? 3
                                : (b & 0xF8) == 0xF0 ? 4
                                                     : 1;
        const int add = unicode && len == 4 ? 2 : 1;
        if (units + add > maxChars) break;
        units += add;
        i += std::min(len, s.size() - i);
    }
    return s.substr(0, i);
}

std::int64_t textLength(std::string_view s, bool unicode) {
    std::int64_t n = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto b = static_cast<unsigned char>(s[i]);
        if ((b & 0xC0) != 0x80) n += unicode && (b & 0xF8) == 0xF0 ? 2 : 1;
    }
    return n;
}

} // namespace tsql
