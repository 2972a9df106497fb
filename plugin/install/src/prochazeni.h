#pragma once
// Walking a sorted list of definitions beside a sorted list of catalog entries.

#include <cstddef>
#include <vector>

namespace plugin::instalace {

//! Which list the walk looks ahead in first when the current entries do not match.
enum class TNejdriv { Definice, Katalog };

//! Walks both lists (each sorted by name) and reports every pair that matches, every definition
//! the catalog lacks and every catalog entry no definition has. Where the current entries do not
//! match, the walk looks ahead in one list for an entry matching the current one of the other
//! (the definitions first, unless told otherwise); the entries skipped on the way are missing or
//! superfluous. When neither look-ahead finds one, both current entries count as unmatched.
template <typename D, typename K, typename Shoda, typename NaShodu, typename NaChybejici,
          typename NaPrebyvajici>
void ProjdiSerazene(const std::vector<D>& definice, const std::vector<K>& katalog, Shoda shoda,
                    NaShodu naShodu, NaChybejici naChybejici, NaPrebyvajici naPrebyvajici,
                    TNejdriv nejdriv = TNejdriv::Definice) {
    std::size_t d = 0;
    std::size_t k = 0;
    const auto hledejVDefinicich = [&]() {
        for (auto i = d + 1; i < definice.size(); ++i)
            if (shoda(definice[i], katalog[k])) {
                for (; d < i; ++d)
                    naChybejici(definice[d]);
                return true;
            }
        return false;
    };
    const auto hledejVKatalogu = [&]() {
        for (auto i = k + 1; i < katalog.size(); ++i)
            if (shoda(definice[d], katalog[i])) {
                for (; k < i; ++k)
                    naPrebyvajici(katalog[k]);
                return true;
            }
        return false;
    };
    while (d < definice.size() && k < katalog.size()) {
        if (!shoda(definice[d], katalog[k])) {
            const bool nalezeno = nejdriv == TNejdriv::Definice ? hledejVDefinicich() || hledejVKatalogu()
                                                                : hledejVKatalogu() || hledejVDefinicich();
            if (!nalezeno) {
                naChybejici(definice[d++]);
                naPrebyvajici(katalog[k++]);
                continue;
            }
        }
        naShodu(definice[d++], katalog[k++]);
    }
    for (; d < definice.size(); ++d)
        naChybejici(definice[d]);
    for (; k < katalog.size(); ++k)
        naPrebyvajici(katalog[k]);
}

} // namespace plugin::instalace
