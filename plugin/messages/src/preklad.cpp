// The message lookup in the user's languages: an ordered list of language sources, asked in
// turn; the Czech text when none has the message.

#include "plugin/messages/hlasky.h"

#include <charconv>
#include <cstdint>
#include <vector>

namespace plugin {

namespace {

//! What the lookup uses; one per loaded library, used from the host's user-interface thread only.
struct TStavPrekladu {
    int prvni = 1;
    int druhy = -1;
    std::vector<std::unique_ptr<TplgAktivniJazyk>> jazyky;
};

TStavPrekladu& stav() {
    static TStavPrekladu instance;
    return instance;
}

std::unique_ptr<TplgAktivniJazyk> nactiJazyk(int jazyk, const TNactiJazykovouKnihovnu& knihovna) {
    if (knihovna)
        if (auto zdroj = knihovna(jazyk)) return zdroj;
    if (jazyk == 4) return std::make_unique<TplgJazykPrekladHlasek04>();
    return nullptr;
}

} // namespace

std::string TplgJazykPrekladHlasek04::CtiOznam(int cislo) const {
    const auto* hlaska = HlaskaPodleCisla(cislo);
    return hlaska ? hlaska->Slovensky : "";
}

bool PrepniJazyky(int prvni, int druhy, const TNactiJazykovouKnihovnu& knihovna) {
    auto& s = stav();
    if (prvni == -2) prvni = s.prvni;
    if (druhy == -2) druhy = s.druhy;
    s.jazyky.clear();
    s.prvni = prvni;
    s.druhy = druhy;
    if (prvni == 0 || prvni == 1) return true;
    if (auto zdroj = nactiJazyk(prvni, knihovna)) s.jazyky.push_back(std::move(zdroj));
    if (druhy != prvni && druhy != -1)
        if (auto zdroj = nactiJazyk(druhy, knihovna)) s.jazyky.push_back(std::move(zdroj));
    return !s.jazyky.empty();
}

std::pair<int, int> AktualniJazyky() {
    return {stav().prvni, stav().druhy};
}

std::string TextHlasky(int index) {
    const auto& hlaska = Hlaska(index);
    for (const auto& zdroj : stav().jazyky)
        if (auto text = zdroj->CtiOznam(hlaska.Cislo); !text.empty()) return text;
    return hlaska.Cesky;
}

std::string KlicPopisku(int index, std::string_view text) {
    if (index == 0) return std::string(text);
    const auto& hlaska = Hlaska(index);
    return *hlaska.Klic ? std::string(hlaska.Klic) : TextHlasky(index);
}

std::string PrelozChybu(std::string_view text) {
    long long cislo = 0;
    const auto* end = text.data() + text.size();
    const auto [konec, chyba] = std::from_chars(text.data(), end, cislo);
    if (text.empty() || chyba != std::errc() || konec != end || cislo <= 4999999) return std::string(text);
    const auto* hlaska = cislo <= INT32_MAX ? HlaskaPodleCisla(static_cast<int>(cislo)) : nullptr;
    return hlaska ? TextHlasky(hlaska->Index) : std::string(text);
}

} // namespace plugin
