#include "plugin/install/registrace.h"

#include "plugin/messages/hlasky.h"

namespace plugin {

namespace {

constexpr int kNadpisRegistrace = 38;
constexpr int kVlastniInstalace = 138;

} // namespace

bool TplgStavInstalace::ZobrazZmeny(TplgObsahDialogu& obsah) {
    const auto vysledek = Okno.ZobrazZmeny(obsah);
    if (vysledek.Konec == TKonecDialogu::Chyba) Chyba = vysledek.Chyba;
    return vysledek.Konec == TKonecDialogu::Provedeno;
}

void TplgRegistracniSeznam::OtevriSekci(std::string_view popis) {
    polozky_.push_back({Format("*** %s ***$INFO$", {popis}), Format("/* %s */", {popis}), {}});
}

void TplgRegistracniSeznam::PridejPolozku(std::string_view popis, std::string_view pripona,
                                          std::string_view sql, std::vector<std::string> zpravy) {
    polozky_.push_back(
        {std::string(popis) + std::string(pripona), Format("/* %s */\r%s", {popis, sql}), std::move(zpravy)});
}

bool TplgRegistracniSeznam::Zobraz(TplgStavInstalace& stav) const {
    if (polozky_.empty()) return true;
    auto obsah = ObsahZRegistrace(TextHlasky(kNadpisRegistrace), stav.Konfigurace.ZobrazovanaVerze,
                                  stav.Konfigurace.Identita.SystemoveJmeno, polozky_);
    return stav.ZobrazZmeny(obsah);
}

bool TplgVlastniSkriptRegistrace::KontrolaExternichAtributu(TplgStavInstalace&) {
    return true;
}

void PridejVlastniSkript(TplgRegistracniSeznam& seznam, const TplgStavInstalace& stav) {
    const auto& skript = stav.Konfigurace.VlastniInstalacniSkript;
    if (skript.empty()) return;
    seznam.OtevriSekci(TextHlasky(kVlastniInstalace));
    seznam.PridejPolozku(TextHlasky(kVlastniInstalace), "$VLASTNI$", skript);
}

bool TplgVlastniSkriptRegistrace::KontrolaRegistraci(TplgStavInstalace& stav) {
    TplgRegistracniSeznam seznam;
    PridejVlastniSkript(seznam, stav);
    return seznam.Zobraz(stav);
}

} // namespace plugin
