#include "document_checks.h"

#include "platform/soap/codec.h"

#include "common/ascii.h"
#include "common/utf.h"

#include <charconv>
#include <cstdint>
#include <string>

namespace platform::soap::detail {

namespace {

//! True for the code points XML 1.0 allows in a document.
bool isXmlChar(std::uint32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) || (c >= 0xE000 && c <= 0xFFFD) ||
           (c >= 0x10000 && c <= 0x10FFFF);
}

//! The value of pseudo-attribute `name` of an XML declaration, or none.
std::optional<std::string_view> declared(std::string_view declaration, std::string_view name) {
    for (std::size_t at = declaration.find(name); at != std::string_view::npos;
         at = declaration.find(name, at + 1)) {
        std::size_t i = at + name.size();
        while (i < declaration.size() && (declaration[i] == ' ' || declaration[i] == '\t'))
            ++i;
        if (i >= declaration.size() || declaration[i] != '=') continue;
        ++i;
        while (i < declaration.size() && (declaration[i] == ' ' || declaration[i] == '\t'))
            ++i;
        if (i >= declaration.size() || (declaration[i] != '"' && declaration[i] != '\'')) continue;
        const std::size_t end = declaration.find(declaration[i], i + 1);
        if (end == std::string_view::npos) continue;
        return declaration.substr(i + 1, end - i - 1);
    }
    return std::nullopt;
}

//! Refuses a character reference starting at `at` ("&#...;") that names no allowed character.
void checkReference(std::string_view xml, std::size_t at) {
    std::size_t i = at + 2;
    const bool hex = i < xml.size() && xml[i] == 'x';
    if (hex) ++i;
    const std::size_t end = xml.find(';', i);
    // A malformed reference is the parser's to report.
    if (end == std::string_view::npos || end == i || end - i > 16) return;
    std::uint64_t code = 0;
    const auto [ptr, ec] = std::from_chars(xml.data() + i, xml.data() + end, code, hex ? 16 : 10);
    if (ptr != xml.data() + end) return;
    if (ec != std::errc() || code > 0x10FFFF || !isXmlChar(static_cast<std::uint32_t>(code)))
        throw DecodeError("the character reference " + std::string(xml.substr(at, end - at + 1)) +
                          " at byte " + std::to_string(at) + " names no character XML allows");
}

} // namespace

DocumentText checkEncoding(std::string_view xml) {
    DocumentText document{xml, TextEncoding::Utf8};
    const bool byteOrderMark = xml.starts_with("\xEF\xBB\xBF");
    if (byteOrderMark) document.text.remove_prefix(3);
    if (xml.starts_with("\xFE\xFF") || xml.starts_with("\xFF\xFE") ||
        (xml.size() >= 2 && (xml[0] == '\0' || xml[1] == '\0')))
        throw DecodeError("the document is in UTF-16 or UTF-32; only UTF-8 and ISO-8859-1 are read");
    if (!document.text.starts_with("<?xml")) return document;
    const std::string_view declaration = document.text.substr(0, document.text.find("?>"));
    const auto encoding = declared(declaration, "encoding");
    if (!encoding || common::EqualsIgnoreCaseAscii(*encoding, "UTF-8")) return document;
    const bool latin1 = common::EqualsIgnoreCaseAscii(*encoding, "ISO-8859-1") ||
                        common::EqualsIgnoreCaseAscii(*encoding, "latin1");
    if (!latin1)
        throw DecodeError("the document declares the encoding \"" + std::string(encoding->substr(0, 40)) +
                          "\"; only UTF-8 and ISO-8859-1 are read");
    if (byteOrderMark)
        throw DecodeError("the document declares ISO-8859-1 but starts with a UTF-8 byte-order mark");
    document.encoding = TextEncoding::Latin1;
    return document;
}

void checkCharacters(const DocumentText& document) {
    const std::string_view xml = document.text;
    if (document.encoding == TextEncoding::Utf8)
        if (const auto bad = common::FindInvalidUtf8(xml))
            throw DecodeError("the document is not valid UTF-8 (at byte " + std::to_string(*bad) + ")");
    bool inCdata = false;
    bool inComment = false;
    for (std::size_t i = 0; i < xml.size(); ++i) {
        const auto c = static_cast<unsigned char>(xml[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
            throw DecodeError("the document holds the control character " + std::to_string(c) + " at byte " +
                              std::to_string(i));
        if (inCdata) {
            inCdata = !xml.substr(i).starts_with("]]>");
        } else if (inComment) {
            inComment = !xml.substr(i).starts_with("-->");
        } else if (c == '<') {
            inCdata = xml.substr(i).starts_with("<![CDATA[");
            inComment = xml.substr(i).starts_with("<!--");
        } else if (c == '&' && i + 1 < xml.size() && xml[i + 1] == '#') {
            checkReference(xml, i);
        }
    }
}

void checkNothingOutsideRoot(std::string_view xml) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; };
    std::size_t begin = 0;
    for (;;) {
        while (begin < xml.size() && isSpace(xml[begin]))
            ++begin;
        const std::string_view rest = xml.substr(begin);
        const std::size_t end = rest.starts_with("<?")     ? rest.find("?>")
                                : rest.starts_with("<!--") ? rest.find("-->")
                                                           : std::string_view::npos;
        if (end == std::string_view::npos) break;
        begin += end + 2;
    }
    if (begin >= xml.size() || xml[begin] != '<')
        throw DecodeError("the document holds text before its root element");
    std::size_t end = xml.size();
    for (;;) {
        while (end > 0 && isSpace(xml[end - 1]))
            --end;
        const std::string_view head = xml.substr(0, end);
        const std::size_t start = head.ends_with("?>")    ? head.rfind("<?")
                                  : head.ends_with("-->") ? head.rfind("<!--")
                                                          : std::string_view::npos;
        if (start == std::string_view::npos || start <= begin) break;
        end = start;
    }
    if (end == 0 || xml[end - 1] != '>') throw DecodeError("the document holds text after its root element");
}

void checkArrayType(std::string_view arrayType, std::size_t maxItems) {
    const std::size_t open = arrayType.find('[');
    if (open == std::string_view::npos || !arrayType.ends_with(']') ||
        arrayType.find('[', open + 1) != std::string_view::npos)
        throw DecodeError("the array type \"" + std::string(arrayType.substr(0, 80)) +
                          "\" is not one type with one size in brackets");
    const std::string_view size = arrayType.substr(open + 1, arrayType.size() - open - 2);
    if (size.empty()) return;
    std::size_t n = 0;
    const auto [ptr, ec] = std::from_chars(size.data(), size.data() + size.size(), n);
    if (ec != std::errc() || ptr != size.data() + size.size() || n > maxItems)
        throw DecodeError("the array size \"" + std::string(size.substr(0, 40)) +
                          "\" is not a whole number of items up to " + std::to_string(maxItems));
}

} // namespace platform::soap::detail
