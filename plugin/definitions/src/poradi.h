#pragma once
// Static tables indexed by an enumeration hold each entry at its enumerator's place.

#include <cstddef>

namespace plugin {

//! True when every entry's SelfIdent equals its index.
template <typename T, std::size_t N> constexpr bool IndexovanoPodleSelfIdent(const T (&tabulka)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (static_cast<std::size_t>(tabulka[i].SelfIdent) != i) return false;
    return true;
}

} // namespace plugin
