#pragma once
// Small text helpers of the definitions: trimming, splitting and case-insensitive search of ASCII
// names.

#include <string>
#include <string_view>
#include <vector>

namespace plugin::texty {

//! The text without blanks, tabs, CR and LF at both ends.
std::string_view Orizni(std::string_view text);

//! The parts between separator characters, each trimmed; empty parts are dropped.
std::vector<std::string_view> Rozdel(std::string_view text, std::string_view oddelovace);

//! True when `text` starts with `zacatek`, ASCII letters compared case-insensitively.
bool ZacinaBezVelikosti(std::string_view text, std::string_view zacatek);

//! The text with every occurrence of `co` (ASCII case-insensitive) replaced by `cim`.
std::string NahradBezVelikosti(std::string_view text, std::string_view co, std::string_view cim);

} // namespace plugin::texty
