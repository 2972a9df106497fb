#pragma once
//! Checks of a received document's raw text before it is parsed, and of the attribute values the reader
//! interprets itself; each throws DecodeError naming what is wrong and where.

#include <cstddef>
#include <string_view>

namespace platform::soap::detail {

//! The 8-bit encodings a document may come in.
enum class TextEncoding { Utf8, Latin1 };

//! A document's text without a byte-order mark, and the encoding it is read in.
struct DocumentText {
    std::string_view text;
    TextEncoding encoding = TextEncoding::Utf8;
};

//! The encoding of a document: UTF-8 (with or without a byte-order mark, declared so or not declared), or
//! ISO-8859-1 when its XML declaration says so. Refuses UTF-16 and UTF-32, any other declared encoding and a
//! declaration that contradicts the byte-order mark.
DocumentText checkEncoding(std::string_view xml);

//! Refuses malformed UTF-8 (in a UTF-8 document), characters XML does not allow (NUL and the other C0
//! controls except tab, line feed and carriage return) and character references to such characters or
//! beyond U+10FFFF.
void checkCharacters(const DocumentText& document);

//! Refuses text before or after the root element of a well-formed document (the parser drops it silently):
//! only white space, comments and processing instructions may stand there.
void checkNothingOutsideRoot(std::string_view xml);

//! Refuses a soapenc:arrayType value other than "ns:Type[N]" or "ns:Type[]": more than one dimension, arrays
//! of arrays, and sizes that are not a whole number up to `maxItems`.
void checkArrayType(std::string_view arrayType, std::size_t maxItems);

} // namespace platform::soap::detail
