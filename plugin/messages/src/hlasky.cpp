#include "plugin/messages/hlasky.h"

#include "common/ascii.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <string>

namespace plugin {

namespace {

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

const THlaska* HlaskaPodleKlice(std::string_view klic) {
    if (klic.size() >= 2 && klic.front() == '{' && klic.back() == '}') klic = klic.substr(1, klic.size() - 2);
    if (klic.empty()) return nullptr;
    const auto stejne = [klic](const THlaska& h) { return common::EqualsIgnoreCaseAscii(h.Klic, klic); };
    const auto* found = std::find_if(std::begin(kHlasky), std::end(kHlasky), stejne);
    return found == std::end(kHlasky) ? nullptr : found;
}

} // namespace plugin
