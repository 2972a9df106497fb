#include "plugin/messages/hlasky.h"

#include <algorithm>
#include <array>
#include <stdexcept>
#include <string>

namespace plugin {

namespace {

// One row per message: index, stored number, text key, Czech text, Slovak text. Rows that the
// other modules do not name by a text of their own carry a comment saying what they are for.
constexpr THlaska kHlasky[] = {
#include "hlasky.inc"
};

static_assert(std::size(kHlasky) == kPocetHlasek, "one row per message index");

constexpr bool indexyPoRade() {
    for (int i = 0; i < kPocetHlasek; ++i)
        if (kHlasky[i].Index != i + 1) return false;
    return true;
}
static_assert(indexyPoRade(), "rows are in index order without gaps");

} // namespace

std::span<const THlaska> TabulkaHlasek() {
    return kHlasky;
}

const THlaska& Hlaska(int index) {
    if (index < 1 || index > kPocetHlasek)
        throw std::out_of_range("The plug-in has no message " + std::to_string(index) +
                                " (messages are 1 to " + std::to_string(kPocetHlasek) + ").");
    return kHlasky[index - 1];
}

const THlaska* HlaskaPodleCisla(int cislo) {
    const auto* found = std::find_if(std::begin(kHlasky), std::end(kHlasky),
                                     [cislo](const THlaska& h) { return h.Cislo == cislo; });
    return found == std::end(kHlasky) ? nullptr : found;
}

} // namespace plugin
