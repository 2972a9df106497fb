// Installer steps 2 and 10 for the plug-in's own definitions: the statements of every section with
// the items the change dialog explains them by.

#include "plugin/install/registrace_pluginu.h"

#include "plugin/definitions/captions.h"
#include "plugin/definitions/schema.h"
#include "plugin/install/definice_sloupcu.h"

#include "registrace_skripty.h"

#include <optional>

namespace plugin {

namespace {

// Sections and items (message indexes).
constexpr int kSekcePrehledy = 88;
constexpr int kSekceExtAkce = 89;
constexpr int kAkceProPrehled = 90;
constexpr int kSekceVazby = 91;
constexpr int kSekceExtAtributy = 92;
constexpr int kExtAtribut = 93;
constexpr int kSekceSoudky = 94;
constexpr int kPoradiSoudku = 95;
constexpr int kSekceHlasky = 117;
constexpr int kDoplneniHlasek = 118;
constexpr int kPohled = 124;
constexpr int kSoudek = 127;
constexpr int kSekceDPSN = 135;
constexpr int kSekceSkupina = 136;
constexpr int kDoplneniSkupiny = 137;

//! What a browse statement does, for the dialog's tree.
std::vector<std::string> ZpravyPrehledu(const TplgVychoziNastaveniBrowse& prehled,
                                        const registrace::TUmisteni& umisteni) {
    std::vector<std::string> zpravy;
    if (!prehled.Neni_v_DB) {
        const std::string view(prehled.JmenoView());
        zpravy.push_back(Format(TextHlasky(kPohled), {view}));
        zpravy.push_back("$PRAVA$GRANT ALL ON dbo." + view + " TO PUBLIC");
    }
    if (!umisteni.Soudek.empty())
        zpravy.push_back(Format(TextHlasky(kSoudek), {umisteni.Soudek}) + " (" +
                         std::to_string(umisteni.Poradi) + ")");
    return zpravy;
}

void Prehledy(TplgRegistracniSeznam& seznam, TplgStavInstalace& stav, IZdrojAkci& akce,
              const registrace::TKontext& kontext) {
    seznam.OtevriSekci(TextHlasky(kSekcePrehledy));
    const auto& schema = EfektivniSchema();
    const auto popisky = PopiskyTabulek();
    const auto umisteni = registrace::UmisteniPrehledu(stav.Legislativa);
    for (const auto& prehled : plugin::Prehledy().subspan(1)) {
        if (!prehled.Legislativa.Plati(stav.Legislativa)) continue;
        const auto tabulka = prehled.HlavniTabulka();
        const auto* definice = schema.Tabulka(tabulka);
        if (definice && !definice->Legislativa.Plati(stav.Legislativa)) continue;
        std::optional<std::string> defAttrs;
        if (definice) {
            const auto* popis = tabulka < popisky->Tabulky.size() ? &popisky->Tabulky[tabulka] : nullptr;
            defAttrs = ZakodujSloupce(SloupcePrehledu(prehled, *definice, popis));
        }
        const auto& u = umisteni[prehled.SelfIdent];
        const auto skript =
            registrace::SkriptPrehledu(prehled, u, defAttrs ? &*defAttrs : nullptr,
                                       akce.SkriptAkciPrehledu(stav.Tarvik, prehled), kontext);
        seznam.PridejPolozku(registrace::JmenoPrehledu(prehled), "$VIEW$", skript,
                             ZpravyPrehledu(prehled, u));
    }
    if (!stav.DPSN_ExtAttrs.empty()) {
        seznam.OtevriSekci(TextHlasky(kSekceDPSN));
        for (const auto& atribut : stav.DPSN_ExtAttrs)
            seznam.PridejPolozku(atribut.DPSN + " - " + atribut.Atribut, "$VIEW$",
                                 registrace::SkriptDPSN(atribut));
    }
}

void AkceHostitele(TplgRegistracniSeznam& seznam, TplgStavInstalace& stav, IZdrojAkci& akce,
                   const registrace::TKontext& kontext) {
    seznam.OtevriSekci(TextHlasky(kSekceExtAkce));
    for (const auto& zaznam : ExtAkce().subspan(1)) {
        if (zaznam.BrowseID == 0 || !zaznam.Legislativa.Plati(stav.Legislativa)) continue;
        const auto* prvni = ExtAkcePrehledu(zaznam.BrowseID);
        const auto cislo = std::to_string(zaznam.BrowseID);
        seznam.PridejPolozku(Format(TextHlasky(kAkceProPrehled), {cislo}), "$AKCE$",
                             registrace::SkriptAkciHostitele(
                                 zaznam.BrowseID, akce.SkriptAkciHostitele(stav.Tarvik, *prvni), kontext));
    }
}

void Ostatni(TplgRegistracniSeznam& seznam, TplgStavInstalace& stav, const registrace::TKontext& kontext) {
    seznam.OtevriSekci(TextHlasky(kSekceVazby));
    for (const auto& vztah : Vztahy().subspan(1))
        if (vztah.Legislativa.Plati(stav.Legislativa))
            seznam.PridejPolozku(registrace::PopisVztahu(vztah), "$VZTAH$",
                                 registrace::SkriptVztahu(vztah, kontext));

    seznam.OtevriSekci(TextHlasky(kSekceSoudky));
    std::vector<std::string> soudky;
    for (const auto& soudek : Soudky().subspan(1))
        soudky.push_back(Format(TextHlasky(kSoudek), {soudek.Jmeno}));
    seznam.PridejPolozku(TextHlasky(kPoradiSoudku), "$SOUDEK$", registrace::SkriptPoradiSoudku(Soudky()),
                         std::move(soudky));

    seznam.OtevriSekci(TextHlasky(kSekceHlasky));
    seznam.PridejPolozku(
        TextHlasky(kDoplneniHlasek), "$HLASKY$",
        registrace::SkriptHlasek(JazykyHostitele(), stav.Konfigurace.JazykoveKnihovny, kontext));

    seznam.OtevriSekci(TextHlasky(kSekceSkupina));
    seznam.PridejPolozku(TextHlasky(kDoplneniSkupiny), "$HLASKY$", registrace::SkriptSkupiny(kontext));
}

} // namespace

bool TplgRegistracePluginu::KontrolaExternichAtributu(TplgStavInstalace& stav) {
    const auto kontext = registrace::Kontext(stav.Konfigurace);
    TplgRegistracniSeznam seznam;
    seznam.OtevriSekci(TextHlasky(kSekceExtAtributy));
    stav.DPSN_ExtAttrs.clear();
    for (const auto& atribut : ExterniAtributy().subspan(1)) {
        if (!atribut.Legislativa.Plati(stav.Legislativa)) continue;
        seznam.PridejPolozku(Format(TextHlasky(kExtAtribut), {atribut.JmenoTabulky, atribut.JmenoSys}),
                             "$EXATR$",
                             registrace::SkriptExterniAtributu(atribut, kontext, stav.DPSN_ExtAttrs));
    }
    return seznam.Zobraz(stav);
}

bool TplgRegistracePluginu::KontrolaRegistraci(TplgStavInstalace& stav) {
    const auto kontext = registrace::Kontext(stav.Konfigurace);
    TplgRegistracniSeznam seznam;
    Prehledy(seznam, stav, akce_, kontext);
    AkceHostitele(seznam, stav, akce_, kontext);
    Ostatni(seznam, stav, kontext);
    PridejVlastniSkript(seznam, stav);
    return seznam.Zobraz(stav);
}

} // namespace plugin
