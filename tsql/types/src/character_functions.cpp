//! Built-ins over single characters and their codes: ASCII, CHAR, NCHAR, UNICODE, SOUNDEX, DIFFERENCE.

#include "string_functions.h"

#include "tsql/convert.h"
#include "utf8.h"

#include <cctype>

namespace tsql::detail {

namespace {

//! First code point of a character argument, or nullopt for NULL and empty text.
std::optional<char32_t> firstCharacter(const Value& v) {
    if (v.isNull()) return std::nullopt;
    const std::string text = isCharacterType(v.type().id) ? v.asString() : toText(v);
    const std::u32string s = decodeUtf8(text);
    if (s.empty()) return std::nullopt;
    return s.front();
}

std::optional<std::int64_t> codeArg(const Value& v) {
    if (v.isNull()) return std::nullopt;
    return convert(v, Type::bigInt(), ConversionKind::Implicit).asInt();
}

//! The digit SOUNDEX gives a letter: 0 for vowels and the letters that separate (H, W, Y).
char soundexDigit(char upperLetter) {
    static constexpr std::string_view digits = "01230120022455012623010202"; // A..Z
    return digits[static_cast<std::size_t>(upperLetter - 'A')];
}

//! SOUNDEX's four characters: the first letter and up to three digits of the consonants after it;
//! equal neighbouring digits count once, vowels, H, W and Y separate them, the code ends at the first
//! character that is not a letter.
std::string soundex(std::string_view text) {
    std::string out;
    char previous = 0;
    for (char raw : text) {
        const auto c = static_cast<unsigned char>(raw);
        if (!std::isalpha(c) || c > 0x7F) break;
        const char letter = static_cast<char>(std::toupper(c));
        const char digit = soundexDigit(letter);
        if (out.empty()) {
            out += letter;
        } else if (digit != '0' && digit != previous) {
            out += digit;
            if (out.size() == 4) break;
        }
        previous = digit;
    }
    if (out.empty()) return "0000";
    out.resize(4, '0');
    return out;
}

} // namespace

Type charType(std::span<const Type>) {
    return Type::chr(1);
}
Type nCharType(std::span<const Type>) {
    return Type::nChar(1);
}
Type soundexType(std::span<const Type>) {
    return Type::varChar(4);
}

Value asciiEval(Args a) {
    const auto c = firstCharacter(a[0]);
    if (!c) return Value::null(Type::integer());
    // VARCHAR holds single bytes: a character outside them reads as '?', as the code page gives it.
    return Value::integer(*c <= 0xFF ? static_cast<std::int64_t>(*c) : '?');
}

Value charEval(Args a) {
    const auto code = codeArg(a[0]);
    if (!code || *code < 0 || *code > 0xFF) return Value::null(Type::chr(1));
    return Value::text(encodeUtf8(std::u32string(1, static_cast<char32_t>(*code))), Type::chr(1));
}

Value nCharEval(Args a) {
    const auto code = codeArg(a[0]);
    // Surrogate halves alone are no characters of UTF-8 text: NULL like any code outside the range.
    if (!code || *code < 0 || *code > 0xFFFF || (*code >= 0xD800 && *code <= 0xDFFF))
        return Value::null(Type::nChar(1));
    return Value::text(encodeUtf8(std::u32string(1, static_cast<char32_t>(*code))), Type::nChar(1));
}

Value unicodeEval(Args a) {
    const auto c = firstCharacter(a[0]);
    if (!c) return Value::null(Type::integer());
    // NCHAR holds UTF-16 units: a character beyond them gives its first (high surrogate) unit.
    if (*c > 0xFFFF) return Value::integer(0xD800 + ((*c - 0x10000) >> 10));
    return Value::integer(*c);
}

Value soundexEval(Args a) {
    if (a[0].isNull()) return Value::null(Type::varChar(4));
    return Value::text(soundex(isCharacterType(a[0].type().id) ? a[0].asString() : toText(a[0])),
                       Type::varChar(4));
}

Value differenceEval(Args a) {
    if (a[0].isNull() || a[1].isNull()) return Value::null(Type::integer());
    const std::string x = soundex(isCharacterType(a[0].type().id) ? a[0].asString() : toText(a[0]));
    const std::string y = soundex(isCharacterType(a[1].type().id) ? a[1].asString() : toText(a[1]));
    int same = 0;
    for (std::size_t i = 0; i < 4; ++i)
        same += x[i] == y[i] ? 1 : 0;
    return Value::integer(same);
}

} // namespace tsql::detail
