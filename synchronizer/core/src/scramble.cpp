#include "quelta/scramble.h"

#include "common/utf.h"

#include <utility>

namespace quelta {

namespace {

unsigned keyByte(std::size_t index) {
    return static_cast<unsigned char>(kScrambleKey[index % kScrambleKey.size()]);
}

int hexDigit(char32_t c) {
    if (c >= U'0' && c <= U'9') return static_cast<int>(c - U'0');
    if (c >= U'a' && c <= U'f') return static_cast<int>(c - U'a' + 10);
    if (c >= U'A' && c <= U'F') return static_cast<int>(c - U'A' + 10);
    return -1;
}

} // namespace

std::u32string PermutePositions(std::u32string text) {
    const std::size_t m = text.size() / 4;
    for (std::size_t i = 1; i <= m; ++i)
        std::swap(text[i - 1], text[m + 2 * i - 1]);
    return text;
}

std::string Scramble(std::string_view password) {
    static constexpr char hex[] = "0123456789abcdef";
    const std::u32string chars = common::Utf8ToUtf32(password);
    std::u32string pairs;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const unsigned byte = (static_cast<unsigned>(chars[i]) & 0xFF) ^ keyByte(i);
        pairs += static_cast<char32_t>(hex[byte >> 4]);
        pairs += static_cast<char32_t>(hex[byte & 0x0F]);
    }
    return common::Utf32ToUtf8(PermutePositions(std::move(pairs)));
}

std::string Unscramble(std::string_view stored) {
    const std::u32string text = PermutePositions(common::Utf8ToUtf32(stored));
    std::u32string password;
    for (std::size_t j = 0; j < text.size() / 2; ++j) {
        const int high = hexDigit(text[2 * j]);
        const int low = hexDigit(text[2 * j + 1]);
        const unsigned value = high < 0 || low < 0 ? 32u : static_cast<unsigned>(high * 16 + low);
        password += static_cast<char32_t>((value ^ keyByte(j)) & 0xFF);
    }
    return common::Utf32ToUtf8(password);
}

} // namespace quelta
