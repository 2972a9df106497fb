#include "collation.h"

#include "common/utf.h"

#include <algorithm>
#include <iconv.h>
#include <map>
#include <mutex>

namespace tsql::server {

namespace {

//! Code pages of Windows languages by primary language id (the low ten bits of an LCID).
struct LanguageCodePage {
    std::uint16_t primaryLanguage;
    int codePage;
};
constexpr LanguageCodePage kLanguageCodePages[] = {
    {0x05, 1250}, // Czech
    {0x1B, 1250}, // Slovak
    {0x15, 1250}, // Polish
    {0x0E, 1250}, // Hungarian
    {0x24, 1250}, // Slovenian
    {0x1A, 1250}, // Croatian
    {0x18, 1250}, // Romanian
    {0x1C, 1250}, // Albanian
    {0x19, 1251}, // Russian
    {0x22, 1251}, // Ukrainian
    {0x02, 1251}, // Bulgarian
    {0x23, 1251}, // Belarusian
    {0x08, 1253}, // Greek
    {0x1F, 1254}, // Turkish
    {0x0D, 1255}, // Hebrew
    {0x01, 1256}, // Arabic
    {0x25, 1257}, // Estonian
    {0x26, 1257}, // Latvian
    {0x27, 1257}, // Lithuanian
    {0x2A, 1258}, // Vietnamese
};
constexpr int kFallbackCodePage = 1252;

//! The Unicode character of one byte of a code page, through the C library's converter.
char32_t byteToUnicode(iconv_t cd, std::uint8_t byte) {
    char in[1] = {static_cast<char>(byte)};
    char32_t out[2] = {};
    char* inp = in;
    size_t inLeft = 1;
    char* outp = reinterpret_cast<char*>(out);
    size_t outLeft = sizeof out;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inp, &inLeft, &outp, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) return U'?';
    return out[0];
}

} // namespace

CodePage::CodePage(int number)
    : number_(number) {
    for (int b = 0; b < 128; ++b)
        toUnicode_[static_cast<std::size_t>(b)] = static_cast<char32_t>(b);
    const std::string name = "CP" + std::to_string(number);
    iconv_t cd = iconv_open("UTF-32LE", name.c_str());
    for (int b = 128; b < 256; ++b)
        toUnicode_[static_cast<std::size_t>(b)] =
            cd == reinterpret_cast<iconv_t>(-1) ? U'?' : byteToUnicode(cd, static_cast<std::uint8_t>(b));
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
}

const CodePage& CodePage::byNumber(int number) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<CodePage>> pages;
    std::lock_guard lock(mutex);
    auto& page = pages[number];
    if (!page) page.reset(new CodePage(number));
    return *page;
}

const CodePage& CodePage::ofCollation(const CollationBytes& c) {
    const std::uint32_t lcid = c[0] | (c[1] << 8) | ((c[2] & 0x0F) << 16);
    const std::uint16_t primary = lcid & 0x3FF;
    // A SQL sort order (sort id not 0) names its own code page; the ones clients send are Latin ones.
    if (c[4] == 0)
        for (const auto& entry : kLanguageCodePages)
            if (entry.primaryLanguage == primary) return byNumber(entry.codePage);
    return byNumber(kFallbackCodePage);
}

Bytes CodePage::encode(std::string_view utf8) const {
    const std::u32string text = common::Utf8ToUtf32(utf8);
    Bytes out;
    out.reserve(text.size());
    for (char32_t c : text) {
        if (c < 128) {
            out.push_back(static_cast<std::uint8_t>(c));
            continue;
        }
        const auto* found = std::find(toUnicode_.begin() + 128, toUnicode_.end(), c);
        out.push_back(found == toUnicode_.end() ? std::uint8_t('?')
                                                : static_cast<std::uint8_t>(found - toUnicode_.begin()));
    }
    return out;
}

std::string CodePage::decode(const std::uint8_t* data, std::size_t size) const {
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i)
        common::AppendUtf8(out, toUnicode_[data[i]]);
    return out;
}

} // namespace tsql::server
