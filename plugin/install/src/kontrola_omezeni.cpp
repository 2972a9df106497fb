// The schema checker: primary keys, unique constraints, defaults, checks and foreign keys.

#include "plugin/install/kontrola_schematu.h"

#include "plugin/definitions/ddl.h"
#include "plugin/install/porovnani.h"
#include "plugin/messages/hlasky.h"

#include "prochazeni.h"
#include "texty.h"

#include <algorithm>

namespace plugin {

namespace {

using instalace::StejneBezVelikosti;

// Explanations (message indexes).
constexpr int kOmezeniPrebyva = 140;
constexpr int kCiziKlicVypnut = 147;
constexpr int kOmezeniChybi = 148;
constexpr int kOmezeniZmeneno = 149;
constexpr int kOmezeniVypnuto = 151;

//! The table a superfluous constraint is filed under when the catalog does not name one.
constexpr std::string_view kNeznamaTabulka = "??????";

using TDefinice = std::pair<const TplgTabulkaDef*, const TplgConstraintTabulky*>;

template <typename T> void SeradPodleJmena(std::vector<T>& seznam, auto jmeno) {
    std::stable_sort(seznam.begin(), seznam.end(), [&](const T& a, const T& b) {
        return instalace::MensiBezVelikosti(jmeno(a), jmeno(b));
    });
}

std::string_view JmenoDefinice(const TDefinice& definice) {
    return definice.second->JmenoSys;
}

bool StejneSloupce(std::string_view a, std::string_view b) {
    auto prvni = instalace::CastiSeznamu(instalace::Velkymi(a));
    auto druhe = instalace::CastiSeznamu(instalace::Velkymi(b));
    std::sort(prvni.begin(), prvni.end());
    std::sort(druhe.begin(), druhe.end());
    return prvni == druhe;
}

} // namespace

void Tx::Zrus(std::string_view tabulka, std::string_view jmeno) {
    if (tabulka.empty()) {
        PridejDoSL_Tab(kNeznamaTabulka, jmeno, TUmisteni::KonecZacatku, {}, TextHlasky(kOmezeniPrebyva));
        return;
    }
    PridejDoSL_Tab(tabulka, jmeno, TUmisteni::KonecZacatku, TextZruseniConstraintu(tabulka, jmeno),
                   TextHlasky(kOmezeniPrebyva));
}

void Tx::KontrolujOmezeni_PK_UQ(std::vector<TplgKatalogOmezeni> katalog) {
    auto definice = Omezeni({coPrimaryKey, coUnique});
    SeradPodleJmena(definice, JmenoDefinice);
    SeradPodleJmena(katalog, [](const TplgKatalogOmezeni& o) -> std::string_view { return o.Jmeno; });
    instalace::ProjdiSerazene(
        definice, katalog,
        [](const TDefinice& d, const TplgKatalogOmezeni& k) {
            return StejneBezVelikosti(d.second->JmenoSys, k.Jmeno) &&
                   StejneBezVelikosti(d.first->JmenoSys, k.Tabulka);
        },
        [](const TDefinice&, const TplgKatalogOmezeni&) {},
        [this](const TDefinice& d) {
            // The statement is read from the name: its kind, its table and its columns.
            const auto casti = RozeberJmenoConstraintu(d.second->JmenoSys);
            std::string prikaz;
            if (casti.Typ == coPrimaryKey || casti.Typ == coUnique)
                prikaz = TextPridaniConstraintu(casti.Tabulka,
                                                TplgConstraintTabulky{.JmenoSys = d.second->JmenoSys,
                                                                      .Typ = casti.Typ,
                                                                      .Atributy = casti.Atributy});
            PridejDoSL_Tab(d.first->JmenoSys, d.second->JmenoSys, TUmisteni::Stred, std::move(prikaz),
                           TextHlasky(kOmezeniChybi));
        },
        [this](const TplgKatalogOmezeni& k) { Zrus(k.Tabulka, k.Jmeno); });
}

void Tx::KontrolujDefaultyChecky(std::vector<TplgKatalogVyraz> katalog) {
    auto definice = Omezeni({coCheck, coDefault});
    SeradPodleJmena(definice, JmenoDefinice);
    SeradPodleJmena(katalog, [](const TplgKatalogVyraz& o) -> std::string_view { return o.Jmeno; });
    instalace::ProjdiSerazene(
        definice, katalog,
        [](const TDefinice& d, const TplgKatalogVyraz& k) {
            return StejneBezVelikosti(d.second->JmenoSys, k.Jmeno) &&
                   StejneBezVelikosti(d.first->JmenoSys, k.Tabulka);
        },
        [this](const TDefinice& d, const TplgKatalogVyraz& k) {
            const auto& omezeni = *d.second;
            const bool stejne =
                omezeni.Typ == coDefault
                    ? StejnyDefault(k.Text, omezeni.Vyraz, verzeServeru_)
                    : StejnyCheck(k.Text, omezeni.Vyraz, RozeberJmenoConstraintu(omezeni.JmenoSys).Atributy,
                                  verzeServeru_);
            if (!stejne)
                PridejDoSL_Tab(d.first->JmenoSys, omezeni.JmenoSys, TUmisteni::Stred,
                               TextZmenyConstraintu(d.first->JmenoSys, omezeni), TextHlasky(kOmezeniZmeneno));
            else if (k.Vypnuto && omezeni.Typ == coCheck)
                PridejDoSL_Tab(d.first->JmenoSys, omezeni.JmenoSys, TUmisteni::Stred,
                               TextZapnutiConstraintu(d.first->JmenoSys, omezeni.JmenoSys),
                               TextHlasky(kOmezeniVypnuto));
        },
        [this](const TDefinice& d) {
            // A default created together with its column is there once the column is.
            if (d.second->Typ == coDefault &&
                pridavaneDefaulty_.contains(instalace::Velkymi(d.second->JmenoSys)))
                return;
            PridejDoSL_Tab(d.first->JmenoSys, d.second->JmenoSys, TUmisteni::Stred,
                           TextPridaniConstraintu(d.first->JmenoSys, *d.second), TextHlasky(kOmezeniChybi));
        },
        [this](const TplgKatalogVyraz& k) { Zrus(k.Tabulka, k.Jmeno); });
}

void Tx::KontrolujOmezeni_FK(std::vector<TplgKatalogCiziKlic> katalog) {
    auto definice = Omezeni({coForeignKey});
    SeradPodleJmena(definice, JmenoDefinice);
    SeradPodleJmena(katalog, [](const TplgKatalogCiziKlic& o) -> std::string_view { return o.Jmeno; });
    instalace::ProjdiSerazene(
        definice, katalog,
        [](const TDefinice& d, const TplgKatalogCiziKlic& k) {
            return StejneBezVelikosti(d.second->JmenoSys, k.Jmeno) &&
                   StejneBezVelikosti(RozeberJmenoConstraintu(d.second->JmenoSys).Tabulka, k.Tabulka) &&
                   StejneBezVelikosti(d.second->CiziTabulka, k.CiziTabulka) &&
                   StejneSloupce(d.second->CiziAtributy, k.CiziAtributy);
        },
        [this](const TDefinice& d, const TplgKatalogCiziKlic& k) {
            if (k.Vypnuto)
                PridejDoSL_Tab(d.first->JmenoSys, d.second->JmenoSys, TUmisteni::Stred,
                               TextZapnutiConstraintu(d.first->JmenoSys, d.second->JmenoSys),
                               TextHlasky(kCiziKlicVypnut));
        },
        [this](const TDefinice& d) {
            PridejDoSL_Tab(d.first->JmenoSys, d.second->JmenoSys, TUmisteni::Stred,
                           TextPridaniConstraintu(d.first->JmenoSys, *d.second), TextHlasky(kOmezeniChybi));
        },
        [this](const TplgKatalogCiziKlic& k) { Zrus(k.Tabulka, k.Jmeno); });
}

} // namespace plugin
