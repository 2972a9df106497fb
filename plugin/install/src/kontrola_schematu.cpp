// The schema checker: what every comparison shares, and the comparison of columns.

#include "plugin/install/kontrola_schematu.h"

#include "plugin/definitions/ddl.h"
#include "plugin/install/porovnani.h"
#include "plugin/messages/hlasky.h"

#include "common/sql_text.h"

#include "texty.h"

namespace plugin {

namespace {

// Explanations of the column comparison (message indexes).
constexpr int kPocitanyChybi = 141;
constexpr int kAtributChybi = 142;
constexpr int kZmenaPocitanehoSmazani = 143;
constexpr int kZmenaPocitanehoPridani = 144;
constexpr int kAtributPrebyva = 146;

//! True when adding the column to a filled table must fail: NOT NULL without a default, and a
//! date or binary type, for which no neutral temporary value exists.
bool ServerOdmitneNaplnenou(const TplgAtributTabulky& atribut) {
    const auto kategorie = KategorieTypu(atribut.Typ);
    return atribut.Null != nNULL && instalace::Orizni(atribut.ServerDEFAULT).empty() &&
           DefiniceTypu(atribut.Typ).X != ptaIdentity && (kategorie == 4 || kategorie == 5);
}

} // namespace

std::string TextUse(std::string_view databaze) {
    std::string jmeno;
    for (const char znak : databaze)
        jmeno += znak == ']' ? std::string("]]") : std::string(1, znak);
    return "USE [" + jmeno + "]";
}

std::string PrepniDatabazi(std::string_view databaze, std::string_view prikaz) {
    return Format("%s\r%s", {TextUse(databaze), "EXEC(" + common::SqlNString(prikaz) + ")"});
}

Tx::Tx(const TplgSchema& schema, std::uint32_t verzeServeru)
    : schema_(schema)
    , verzeServeru_(verzeServeru) {}

void Tx::NastavDatabazi(std::string testDB, bool prepinat) {
    testDB_ = std::move(testDB);
    prepinat_ = prepinat;
}

void Tx::NastavTabulky(std::vector<TplgTabulka> tabulky) {
    tabulky_ = std::move(tabulky);
}

std::string Tx::Prepni(std::string prikaz) const {
    return prepinat_ ? PrepniDatabazi(testDB_, prikaz) : prikaz;
}

void Tx::PridejDoSL_Tab(std::string_view tabulka, std::string_view objekt, TUmisteni umisteni,
                        std::string prikaz, std::string_view vysvetleni, bool varovani) {
    auto& uzel = slTab_.Dite(tabulka).Dite(objekt).Dite(vysvetleni);
    uzel.Varovani = uzel.Varovani || varovani;
    if (prikaz.empty()) return;
    uzel.Prikazy.push_back(skript_.Pridej(umisteni, Prepni(std::move(prikaz))));
}

void Tx::PridejDoSL_UProc(std::string_view jmeno, std::string_view vysvetleni, std::string prikaz) {
    auto& uzel = slUProc_.Dite(jmeno).Dite(vysvetleni);
    uzel.Prikazy.push_back(skript_.Pridej(TUmisteni::Konec, Prepni(std::move(prikaz))));
}

std::vector<std::pair<const TplgTabulkaDef*, const TplgConstraintTabulky*>>
Tx::Omezeni(std::initializer_list<TplgConstraint> druhy) const {
    std::vector<std::pair<const TplgTabulkaDef*, const TplgConstraintTabulky*>> vysledek;
    for (const auto tabulka : tabulky_) {
        const auto* definice = schema_.Tabulka(tabulka);
        if (!definice) continue;
        for (const auto& omezeni : definice->Constraints)
            if (std::find(druhy.begin(), druhy.end(), omezeni.Typ) != druhy.end())
                vysledek.emplace_back(definice, &omezeni);
    }
    return vysledek;
}

void Tx::SetTabulka(TplgTabulka tabulka) {
    if (const auto* predchozi = schema_.Tabulka(tabulka_)) {
        for (std::size_t i = 0; i < predchozi->Atributy.size(); ++i) {
            const auto& atribut = predchozi->Atributy[i];
            if ((i < pole_.size() && pole_[i]) || !atribut.JeDatabazovy()) continue;
            if (atribut.JePocitany())
                PridejDoSL_Tab(predchozi->JmenoSys, atribut.JmenoSys, TUmisteni::Konec,
                               TextPridaniAtributu(predchozi->JmenoSys, atribut).Prikaz,
                               TextHlasky(kPocitanyChybi));
            else if (atribut.Typ != taBlbe)
                PridejAtribut(*predchozi, atribut, TUmisteni::Stred, TextHlasky(kAtributChybi));
        }
    }
    tabulka_ = tabulka;
    const auto* nova = schema_.Tabulka(tabulka);
    pole_.assign(nova ? nova->Atributy.size() : 0, false);
}

void Tx::PridejAtribut(const TplgTabulkaDef& tabulka, const TplgAtributTabulky& atribut, TUmisteni umisteni,
                       std::string_view vysvetleni) {
    auto pridani = TextPridaniAtributu(tabulka.JmenoSys, atribut);
    if (!pridani.PridanyDefault.empty())
        pridavaneDefaulty_.insert(instalace::Velkymi(pridani.PridanyDefault));
    // A filled table refuses such a column; the dialog says so, and the server's refusal shows
    // when the statement runs.
    const bool odmitne = !atribut.JePocitany() && ServerOdmitneNaplnenou(atribut);
    const auto text = odmitne ? std::string(vysvetleni) + ": " + TextTypu(atribut) : std::string(vysvetleni);
    PridejDoSL_Tab(tabulka.JmenoSys, atribut.JmenoSys, umisteni, std::move(pridani.Prikaz), text, odmitne);
}

void Tx::ZmenaPocitaneho(const TplgTabulkaDef& tabulka, const TplgAtributTabulky& atribut) {
    const std::string jmeno(atribut.JmenoSys);
    PridejDoSL_Tab(tabulka.JmenoSys, jmeno, TUmisteni::Zacatek, TextZruseniAtributu(tabulka.JmenoSys, jmeno),
                   Format(TextHlasky(kZmenaPocitanehoSmazani), {jmeno, jmeno}));
    PridejAtribut(tabulka, atribut, TUmisteni::Konec,
                  Format(TextHlasky(kZmenaPocitanehoPridani), {jmeno, jmeno}));
}

void Tx::Kontrola(const TplgKatalogSloupec& sloupec) {
    const auto* tabulka = schema_.Tabulka(tabulka_);
    if (!tabulka) return;
    std::size_t index = 0;
    for (; index < tabulka->Atributy.size(); ++index) {
        const auto& atribut = tabulka->Atributy[index];
        if (atribut.JeDatabazovy() && instalace::StejneBezVelikosti(atribut.JmenoSys, sloupec.Jmeno)) break;
    }
    if (index == tabulka->Atributy.size()) {
        PridejDoSL_Tab(tabulka->JmenoSys, sloupec.Jmeno,
                       sloupec.Pocitany ? TUmisteni::Zacatek : TUmisteni::KonecZacatku,
                       TextZruseniAtributu(tabulka->JmenoSys, sloupec.Jmeno), TextHlasky(kAtributPrebyva));
        return;
    }
    const auto& atribut = tabulka->Atributy[index];
    pole_[index] = true;
    if (sloupec.Pocitany || atribut.JePocitany()) {
        // The type of a computed column follows from its expression and cannot be altered: only
        // the expressions are compared.
        if (sloupec.Pocitany != atribut.JePocitany() ||
            !StejnyVyraz(sloupec.Vyraz, atribut.Pocitany, verzeServeru_))
            ZmenaPocitaneho(*tabulka, atribut);
        return;
    }
    const auto typKatalogu = TextTypu(TplgSloupecKatalogu{.Typ = sloupec.Typ,
                                                          .Identity = sloupec.Identity,
                                                          .Delka = sloupec.Delka,
                                                          .Presnost = sloupec.Presnost,
                                                          .Meritko = sloupec.Meritko,
                                                          .Nullable = sloupec.Nullable});
    const auto typDefinice = TextTypu(atribut);
    if (typKatalogu != typDefinice)
        PridejDoSL_Tab(tabulka->JmenoSys, atribut.JmenoSys, TUmisteni::Stred,
                       TextZmenyAtributu(tabulka->JmenoSys, atribut),
                       Format("%s -> %s", {typKatalogu, typDefinice}));
}

} // namespace plugin
