// The schema checker: triggers, indexes, stored procedures and user functions.

#include "plugin/install/kontrola_schematu.h"

#include "plugin/definitions/ddl.h"
#include "plugin/install/porovnani.h"
#include "plugin/messages/hlasky.h"

#include "common/sql_text.h"

#include "prochazeni.h"
#include "texty.h"

#include <algorithm>

namespace plugin {

namespace {

using instalace::MensiBezVelikosti;
using instalace::StejneBezVelikosti;

// Explanations (message indexes).
constexpr int kIndexZmenen = 16;
constexpr int kIndexChybi = 17;
constexpr int kProceduraChybi = 152;
constexpr int kPravaProcedury = 153;
constexpr int kProceduraZmenena = 154;
constexpr int kFunkceChybi = 155;
constexpr int kPravaFunkce = 156;
constexpr int kFunkceZmenena = 157;
constexpr int kTriggerChybi = 158;
constexpr int kTriggerPrebyva = 159;
constexpr int kTriggerVypnut = 160;
constexpr int kTriggerZmenen = 161;
constexpr int kIndexPrejmenovan = 162;

constexpr std::string_view kTrigger = "$TRIGGER$";
constexpr std::string_view kPrava = "$PRAVA$";

//! A CREATE text turned into the ALTER of the same object.
std::string Alter(std::string_view textOdCreate) {
    return "ALTER" + std::string(textOdCreate.substr(std::min<std::size_t>(6, textOdCreate.size())));
}

struct TTrigger {
    std::string Klic; // table and name, upper case
    TplgJmenoTriggeru Jmeno;
    std::string Text;
    bool Vypnuto = false;
};

TTrigger Trigger(std::string_view text, bool vypnuto) {
    TTrigger trigger;
    trigger.Text = std::string(OdCreate(text));
    trigger.Jmeno = JmenoTriggeru(trigger.Text);
    trigger.Klic = instalace::Velkymi(trigger.Jmeno.Tabulka + "." + trigger.Jmeno.Jmeno);
    trigger.Vypnuto = vypnuto;
    return trigger;
}

void SeradTriggery(std::vector<TTrigger>& triggery) {
    std::stable_sort(triggery.begin(), triggery.end(),
                     [](const TTrigger& a, const TTrigger& b) { return a.Klic < b.Klic; });
}

//! A comma list of columns in one written form: trimmed, upper case, separated by ",".
std::string Sloupce(std::string_view seznam) {
    std::string vysledek;
    for (const auto& sloupec : instalace::CastiSeznamu(seznam))
        vysledek += (vysledek.empty() ? "" : ",") + instalace::Velkymi(sloupec);
    return vysledek;
}

} // namespace

void Tx::KontrolujTriggers(std::vector<TplgKatalogTrigger> katalog,
                           const std::vector<std::string_view>& definice) {
    std::vector<TTrigger> definovane;
    for (const auto text : definice)
        if (!instalace::Orizni(text).empty()) definovane.push_back(Trigger(text, false));
    std::vector<TTrigger> nalezene;
    for (const auto& trigger : katalog)
        nalezene.push_back(Trigger(trigger.Text, trigger.Vypnuto));
    SeradTriggery(definovane);
    SeradTriggery(nalezene);
    const auto objekt = [](const TTrigger& t) { return std::string(kTrigger) + t.Jmeno.Jmeno; };
    instalace::ProjdiSerazene(
        definovane, nalezene, [](const TTrigger& d, const TTrigger& k) { return d.Klic == k.Klic; },
        [&](const TTrigger& d, const TTrigger& k) {
            if (!StejnyText(d.Text, k.Text))
                PridejDoSL_Tab(d.Jmeno.Tabulka, objekt(d), TUmisteni::Konec, Alter(d.Text),
                               TextHlasky(kTriggerZmenen));
            if (k.Vypnuto)
                PridejDoSL_Tab(d.Jmeno.Tabulka, objekt(d), TUmisteni::Stred,
                               "ALTER TABLE " + d.Jmeno.Tabulka + " ENABLE TRIGGER " + d.Jmeno.Jmeno,
                               TextHlasky(kTriggerVypnut));
        },
        [&](const TTrigger& d) {
            PridejDoSL_Tab(d.Jmeno.Tabulka, objekt(d), TUmisteni::Konec, d.Text, TextHlasky(kTriggerChybi));
        },
        [&](const TTrigger& k) {
            PridejDoSL_Tab(k.Jmeno.Tabulka, objekt(k), TUmisteni::KonecZacatku,
                           "DROP TRIGGER " + k.Jmeno.Jmeno, TextHlasky(kTriggerPrebyva));
        });
}

void Tx::KontrolujIndex(std::vector<TplgKatalogIndex> katalog) {
    auto definice = Omezeni({coIndex, coIndexClustered});
    std::stable_sort(definice.begin(), definice.end(), [](const auto& a, const auto& b) {
        return MensiBezVelikosti(a.first->JmenoSys, b.first->JmenoSys);
    });
    std::vector<bool> pouzite(katalog.size(), false);
    for (const auto& [tabulka, index] : definice) {
        const auto sloupce =
            Sloupce(index->Atributy.empty() ? RozeberJmenoConstraintu(index->JmenoSys).Atributy
                                            : std::string(index->Atributy));
        const bool clustered = index->Typ == coIndexClustered;
        const auto vytvoreni = TextPridaniConstraintu(tabulka->JmenoSys, *index);
        std::size_t i = 0;
        for (; i < katalog.size(); ++i)
            if (!pouzite[i] && StejneBezVelikosti(katalog[i].Tabulka, tabulka->JmenoSys) &&
                Sloupce(katalog[i].Atributy) == sloupce)
                break;
        if (i == katalog.size()) {
            PridejDoSL_Tab(tabulka->JmenoSys, index->JmenoSys, TUmisteni::Stred, vytvoreni,
                           TextHlasky(kIndexChybi));
            continue;
        }
        pouzite[i] = true;
        const auto& nalezeny = katalog[i];
        // A changed clustering makes the index anew under its defined name, so it needs no rename.
        if (nalezeny.Clustered != clustered)
            PridejDoSL_Tab(tabulka->JmenoSys, index->JmenoSys, TUmisteni::Stred,
                           "DROP INDEX " + std::string(tabulka->JmenoSys) + "." + nalezeny.Jmeno + " " +
                               vytvoreni,
                           TextHlasky(kIndexZmenen));
        else if (!StejneBezVelikosti(nalezeny.Jmeno, index->JmenoSys))
            PridejDoSL_Tab(tabulka->JmenoSys, index->JmenoSys, TUmisteni::Stred,
                           "EXEC sp_rename " +
                               common::SqlNString(std::string(tabulka->JmenoSys) + "." + nalezeny.Jmeno) +
                               ", " + common::SqlNString(index->JmenoSys) + ", 'INDEX' ",
                           TextHlasky(kIndexPrejmenovan));
    }
}

void Tx::KontrolujUlozeneProcedury(const std::vector<std::string>& katalog,
                                   const std::vector<std::string_view>& zdroje) {
    KontrolujModuly(katalog, zdroje, false);
}

void Tx::KontrolujUzivatelskeFunkce(const std::vector<std::string>& katalog,
                                    const std::vector<std::string_view>& zdroje) {
    KontrolujModuly(katalog, zdroje, true);
}

void Tx::KontrolujModuly(const std::vector<std::string>& katalog, const std::vector<std::string_view>& zdroje,
                         bool funkce) {
    const auto serad = [](std::vector<TplgJmenoModulu>& moduly) {
        std::stable_sort(
            moduly.begin(), moduly.end(),
            [](const TplgJmenoModulu& a, const TplgJmenoModulu& b) { return a.Jmeno < b.Jmeno; });
    };
    std::vector<TplgJmenoModulu> definovane;
    for (const auto text : zdroje)
        if (auto modul = JmenoModulu(text, funkce); !modul.Jmeno.empty())
            definovane.push_back(std::move(modul));
    std::vector<TplgJmenoModulu> nalezene;
    for (const auto& text : katalog)
        if (auto modul = JmenoModulu(text, funkce); !modul.Jmeno.empty())
            nalezene.push_back(std::move(modul));
    serad(definovane);
    serad(nalezene);
    const auto jmeno = [](const TplgJmenoModulu& m) { return "dbo." + m.Objekt; };
    instalace::ProjdiSerazene(
        definovane, nalezene,
        [](const TplgJmenoModulu& d, const TplgJmenoModulu& k) { return d.Jmeno == k.Jmeno; },
        [&](const TplgJmenoModulu& d, const TplgJmenoModulu& k) {
            if (!StejnyText(d.Text, k.Text))
                PridejDoSL_UProc(jmeno(d), TextHlasky(funkce ? kFunkceZmenena : kProceduraZmenena),
                                 Alter(d.Text));
        },
        [&](const TplgJmenoModulu& d) {
            PridejDoSL_UProc(jmeno(d), TextHlasky(funkce ? kFunkceChybi : kProceduraChybi), d.Text);
            PridejDoSL_UProc(jmeno(d),
                             std::string(kPrava) + TextHlasky(funkce ? kPravaFunkce : kPravaProcedury),
                             "GRANT ALL ON " + jmeno(d) + " TO PUBLIC");
        },
        [](const TplgJmenoModulu&) {}, instalace::TNejdriv::Katalog);
}

} // namespace plugin
