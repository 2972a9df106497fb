#include "wire.h"

#include "common/utf.h"

#include <algorithm>

namespace tsql::server {

namespace {

bool isAscii(std::string_view text) {
    for (const char c : text)
        if (static_cast<unsigned char>(c) >= 0x80) return false;
    return true;
}

} // namespace

Bytes toUtf16Le(std::string_view utf8) {
    // Names and most values are plain ASCII: one unit per byte, without the general conversion.
    if (isAscii(utf8)) {
        Bytes out(utf8.size() * 2, 0);
        for (std::size_t i = 0; i < utf8.size(); ++i)
            out[2 * i] = static_cast<std::uint8_t>(utf8[i]);
        return out;
    }
    const std::u16string units = common::Utf8ToUtf16(utf8);
    Bytes out;
    out.reserve(units.size() * 2);
    for (char16_t u : units) {
        out.push_back(static_cast<std::uint8_t>(u));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

std::string fromUtf16Le(const std::uint8_t* data, std::size_t bytes) {
    // A batch's text is mostly ASCII: taken over unit by unit until the first character beyond it.
    std::string ascii(bytes / 2, '\0');
    std::size_t taken = 0;
    for (; taken < ascii.size() && data[2 * taken] < 0x80 && data[2 * taken + 1] == 0; ++taken)
        ascii[taken] = static_cast<char>(data[2 * taken]);
    if (taken == ascii.size()) return ascii;
    std::u16string units(bytes / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i)
        units[i] = static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8));
    return common::Utf16ToUtf8(units);
}

std::size_t ByteWriter::ucs2(std::string_view utf8) {
    const Bytes b = toUtf16Le(utf8);
    bytes(b);
    return b.size() / 2;
}

namespace {

//! UTF-16LE bytes cut to at most `maxUnits` units, never inside a surrogate pair.
Bytes cutUnits(std::string_view utf8, std::size_t maxUnits) {
    Bytes b = toUtf16Le(utf8);
    if (b.size() / 2 <= maxUnits) return b;
    std::size_t units = maxUnits;
    const auto high = [&](std::size_t unit) {
        const unsigned u = b[2 * unit] | (b[2 * unit + 1] << 8);
        return u >= 0xD800 && u <= 0xDBFF;
    };
    if (units > 0 && high(units - 1)) --units;
    b.resize(units * 2);
    return b;
}

} // namespace

void ByteWriter::bVarChar(std::string_view utf8) {
    const Bytes b = cutUnits(utf8, 255);
    u8(static_cast<std::uint8_t>(b.size() / 2));
    bytes(b);
}

void ByteWriter::usVarChar(std::string_view utf8) {
    const Bytes b = cutUnits(utf8, 65535);
    u16(static_cast<std::uint16_t>(b.size() / 2));
    bytes(b);
}

void ByteWriter::bVarByte(const Bytes& b) {
    const std::size_t n = std::min<std::size_t>(b.size(), 255);
    u8(static_cast<std::uint8_t>(n));
    bytes(b.data(), n);
}

std::string ByteReader::ucs2(std::size_t units) {
    const std::uint8_t* p = take(units * 2);
    return fromUtf16Le(p, units * 2);
}

} // namespace tsql::server
