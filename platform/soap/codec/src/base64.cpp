#include "scalars.h"

#include "platform/soap/codec.h"

#include <array>
#include <cstring>

namespace platform::soap {

namespace {

constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

constexpr std::array<std::int8_t, 256> makeBase64Index() {
    std::array<std::int8_t, 256> idx{};
    for (auto& v : idx)
        v = -1;
    for (std::size_t i = 0; i < kBase64Alphabet.size(); ++i)
        idx[static_cast<unsigned char>(kBase64Alphabet[i])] = static_cast<std::int8_t>(i);
    return idx;
}
constexpr auto kBase64Index = makeBase64Index();

//! The two base64 characters of every 12-bit group, so that three bytes take two lookups.
struct Base64Pairs {
    char chars[4096][2];
};
constexpr Base64Pairs makeBase64Pairs() {
    Base64Pairs t{};
    for (std::size_t i = 0; i < 4096; ++i) {
        t.chars[i][0] = kBase64Alphabet[i >> 6];
        t.chars[i][1] = kBase64Alphabet[i & 63];
    }
    return t;
}
constexpr Base64Pairs kBase64Pairs = makeBase64Pairs();

} // namespace

std::string encodeBase64(const Bytes& bytes) {
    std::string out;
    detail::appendBase64(out, bytes);
    return out;
}

Bytes decodeBase64(std::string_view text) {
    Bytes out;
    out.reserve(text.size() / 4 * 3);
    unsigned acc = 0;
    int bits = 0;
    std::size_t padding = 0;
    for (char c : text) {
        if (detail::isXmlSpace(c)) continue;
        if (c == '=') {
            ++padding;
            continue;
        }
        const int v = kBase64Index[static_cast<unsigned char>(c)];
        if (v < 0 || padding > 0) throw DecodeError("invalid base64Binary text");
        acc = (acc << 6) | static_cast<unsigned>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<std::uint8_t>((acc >> bits) & 0xFF));
        }
    }
    if (padding > 2 || bits >= 6) throw DecodeError("invalid base64Binary text");
    return out;
}

namespace detail {

void appendBase64(std::string& out, const Bytes& bytes) {
    const std::size_t start = out.size();
    out.resize(start + (bytes.size() + 2) / 3 * 4);
    char* p = out.data() + start;
    const std::uint8_t* in = bytes.data();
    const std::size_t whole = bytes.size() / 3 * 3;
    for (std::size_t i = 0; i < whole; i += 3, p += 4) {
        const unsigned v = (unsigned{in[i]} << 16) | (unsigned{in[i + 1]} << 8) | in[i + 2];
        std::memcpy(p, kBase64Pairs.chars[v >> 12], 2);
        std::memcpy(p + 2, kBase64Pairs.chars[v & 0xFFF], 2);
    }
    if (whole < bytes.size()) {
        const bool two = whole + 1 < bytes.size();
        const unsigned v = (unsigned{in[whole]} << 16) | (two ? unsigned{in[whole + 1]} << 8 : 0u);
        p[0] = kBase64Alphabet[v >> 18];
        p[1] = kBase64Alphabet[(v >> 12) & 63];
        p[2] = two ? kBase64Alphabet[(v >> 6) & 63] : '=';
        p[3] = '=';
    }
}

} // namespace detail

} // namespace platform::soap
