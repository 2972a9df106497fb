#pragma once
//! Case folding of ASCII letters only, whatever the process locale: names of keys, columns and drivers.

#include <string>
#include <string_view>

namespace common {

//! The text with A-Z turned into a-z; every other byte (UTF-8 included) is kept.
std::string ToLowerAscii(std::string_view text);

//! True when both texts are equal once A-Z are folded to a-z.
bool EqualsIgnoreCaseAscii(std::string_view a, std::string_view b);

} // namespace common
