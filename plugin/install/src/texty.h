#pragma once
// Text helpers of the installer: ASCII case folding, case-insensitive search and trimming of
// SQL texts and names.

#include <string>
#include <string_view>
#include <vector>

namespace plugin::instalace {

//! The text with a-z turned into A-Z; every other byte is kept.
std::string Velkymi(std::string_view text);

//! True when both texts are equal once a-z are folded to A-Z.
bool StejneBezVelikosti(std::string_view a, std::string_view b);

//! Case-insensitive order of two names (ASCII letters folded).
bool MensiBezVelikosti(std::string_view a, std::string_view b);

//! Position of `co` in `text` from `od`, ASCII letters compared case-insensitively; npos when
//! there is none.
std::size_t Najdi(std::string_view text, std::string_view co, std::size_t od = 0);

//! The text without blanks, tabs, CR and LF at both ends.
std::string_view Orizni(std::string_view text);

//! The text without CR, LF, blanks and tabs at its end.
std::string_view BezKonce(std::string_view text);

//! The text without every character of `znaky`.
std::string BezZnaku(std::string_view text, std::string_view znaky);

//! The text with every occurrence of `co` (exact) removed.
std::string BezVyskytu(std::string_view text, std::string_view co);

//! The parts of a comma list, each trimmed; empty parts are dropped.
std::vector<std::string> CastiSeznamu(std::string_view seznam);

} // namespace plugin::instalace
