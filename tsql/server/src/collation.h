#pragma once
//! The collation the protocol carries with character data, and the single-byte code page it implies
//! for CHAR, VARCHAR and TEXT values.

#include "wire.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace tsql::server {

//! Five bytes: LCID (20 bits), comparison flags (8 bits), version (4 bits), then the sort id.
using CollationBytes = std::array<std::uint8_t, 5>;

//! The databases' collation, Czech_CI_AS: LCID 0x0405, case-insensitive, accent-sensitive, kana- and
//! width-insensitive, no SQL sort order.
inline constexpr CollationBytes kDatabaseCollation = {0x05, 0x04, 0xD0, 0x00, 0x00};
inline constexpr const char* kDatabaseCollationName = "Czech_CI_AS";

//! A Windows single-byte code page: text converts to it with '?' for characters it lacks.
class CodePage {
public:
    //! The code page of a collation (1250 for Czech and the other Central European languages, 1252 when
    //! the language is not known).
    static const CodePage& ofCollation(const CollationBytes& collation);
    static const CodePage& byNumber(int number);

    int number() const { return number_; }
    Bytes encode(std::string_view utf8) const;
    std::string decode(const std::uint8_t* data, std::size_t size) const;

private:
    explicit CodePage(int number);
    int number_;
    std::array<char32_t, 256> toUnicode_{};
};

} // namespace tsql::server
