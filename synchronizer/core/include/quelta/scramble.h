#pragma once
//! The reversible scrambling of the SQL password stored in the INI file.

#include <string>
#include <string_view>

namespace quelta {

//! The key the password characters are combined with.
inline constexpr std::string_view kScrambleKey = "Kq#7Lm!w2Z_ve9&Rt=Hy>b4X%";

//! Swaps positions i and m + 2i (1-based, i = 1..m, m = length div 4); its own inverse.
std::u32string PermutePositions(std::u32string text);

//! The stored form of a password (UTF-8): lower-case hex pairs, permuted. Only the low 8 bits of
//! each character are kept, so characters above code 255 do not survive.
std::string Scramble(std::string_view password);

//! The password (UTF-8) of a stored form; a pair that is not hexadecimal reads as 32.
std::string Unscramble(std::string_view stored);

} // namespace quelta
