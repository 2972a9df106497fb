#include "plugin/definitions/schema.h"
#include "plugin/definitions/tables.h"

#include "common/ascii.h"

#include "texty.h"

#include <algorithm>
#include <stdexcept>

namespace plugin {

namespace {

std::string JmenoTabulky(const TplgTabulkaDef& tabulka) {
    return tabulka.JmenoSys.empty() ? "#" + std::to_string(static_cast<int>(tabulka.SelfIdent))
                                    : std::string(tabulka.JmenoSys);
}

template <typename T> void Dopln(T& pole, const T& sablona) {
    if (pole == T{}) pole = sablona;
}

// A check expression that starts with a comparison or with one of the words IN, BETWEEN, LIKE,
// NOT is about its own column, whose name is put in front. A word counts only as a whole word,
// so that an expression starting with a column such as "Index" or "Note" stays as written.
bool CheckPotrebujeSloupec(std::string_view vyraz) {
    if (vyraz.size() <= 1) return false;
    if (vyraz[0] == '<' || vyraz[0] == '=' || vyraz[0] == '>') return true;
    for (const std::string_view slovo : {"IN", "BETWEEN", "LIKE", "NOT"}) {
        if (!texty::ZacinaBezVelikosti(vyraz, slovo)) continue;
        if (vyraz.size() == slovo.size()) return false;
        const char dalsi = vyraz[slovo.size()];
        const bool pismeno = (dalsi >= 'A' && dalsi <= 'Z') || (dalsi >= 'a' && dalsi <= 'z') ||
                             (dalsi >= '0' && dalsi <= '9') || dalsi == '_' || dalsi == '@' || dalsi == '#' ||
                             dalsi == '$' || static_cast<unsigned char>(dalsi) >= 0x80;
        if (!pismeno) return true;
    }
    return false;
}

} // namespace

//! The derivation of a schema from a registry: completes the tables (ancestors first), then
//! derives and names their constraints.
class TplgOdvozeniSchematu {
public:
    TplgOdvozeniSchematu(std::span<const TplgTabulkaDef* const> registr,
                         std::span<const TplgUzivatelskeAtributyDef> sablony, TplgSchema& schema)
        : registr_(registr)
        , sablony_(sablony)
        , schema_(schema)
        , stav_(registr.size(), Stav::Nezacata) {}

    void Proved() {
        if (registr_.empty()) throw std::logic_error("the table registry is empty");
        if (registr_[0] != nullptr) throw std::logic_error("entry 0 of the table registry must be empty");
        schema_.tabulky_.resize(registr_.size());
        for (std::size_t i = 1; i < registr_.size(); ++i)
            Dokonci(i);
        for (std::size_t i = 1; i < registr_.size(); ++i)
            if (schema_.tabulky_[i].SelfIdent != tZadna) OdvodConstraints(schema_.tabulky_[i]);
    }

private:
    enum class Stav { Nezacata, Rozpracovana, Hotova };

    std::string_view Uloz(std::string text) { return schema_.texty_.emplace_back(std::move(text)); }

    void Dokonci(std::size_t index) {
        if (stav_[index] == Stav::Hotova) return;
        const TplgTabulkaDef* definice = registr_[index];
        if (stav_[index] == Stav::Rozpracovana)
            throw std::logic_error("table " + JmenoTabulky(*definice) + ": its ancestors form a cycle");
        stav_[index] = Stav::Rozpracovana;
        if (definice != nullptr) {
            if (definice->SelfIdent != index)
                throw std::logic_error("table " + JmenoTabulky(*definice) + " stands at entry " +
                                       std::to_string(index) + " of the table registry");
            std::vector<TplgAtributTabulky> atributy;
            for (const auto& atribut : definice->Atributy)
                atributy.push_back(SloucitSablonu(*definice, atribut));
            if (definice->Predek != tZadna) Zded(*definice, atributy);
            for (auto& atribut : atributy) {
                if (atribut.Null == nNic) atribut.Null = nNOTNULL;
                if (atribut.Vyzadovany == vDefault) atribut.Vyzadovany = vFalse;
                if (atribut.Verejny == vDefault) atribut.Verejny = vFalse;
            }
            auto& tabulka = schema_.tabulky_[index];
            tabulka = *definice;
            tabulka.Atributy = schema_.atributy_.emplace_back(std::move(atributy));
        }
        stav_[index] = Stav::Hotova;
    }

    // Every field the column leaves empty or zero is taken from its template.
    TplgAtributTabulky SloucitSablonu(const TplgTabulkaDef& tabulka, const TplgAtributTabulky& atribut) {
        if (atribut.UTyp == plg_utaZadny) return atribut;
        const auto sablona = std::find_if(sablony_.begin(), sablony_.end(),
                                          [&](const auto& s) { return s.SelfIdent == atribut.UTyp; });
        if (sablona == sablony_.end())
            throw std::logic_error("table " + JmenoTabulky(tabulka) + ", column " +
                                   std::string(atribut.JmenoSys) + ": unknown column template " +
                                   std::to_string(static_cast<int>(atribut.UTyp)));
        const auto& s = sablona->A;
        auto a = atribut;
        Dopln(a.JmenoSys, s.JmenoSys);
        Dopln(a.JmenoVerejne, s.JmenoVerejne);
        Dopln(a.JmenoVerejneTxt, s.JmenoVerejneTxt);
        Dopln(a.JmenoVerejneZkr, s.JmenoVerejneZkr);
        Dopln(a.JmenoVerejneZkrTxt, s.JmenoVerejneZkrTxt);
        Dopln(a.Typ, s.Typ);
        Dopln(a.Delka, s.Delka);
        Dopln(a.Pocitany, s.Pocitany);
        Dopln(a.Null, s.Null);
        Dopln(a.PK_UQ, s.PK_UQ);
        Dopln(a.ForeignKey, s.ForeignKey);
        Dopln(a.ServerDEFAULT, s.ServerDEFAULT);
        if (a.CHECK.empty() && !s.CHECK.empty())
            a.CHECK = Uloz(texty::NahradBezVelikosti(s.CHECK, "%s", a.JmenoSys));
        Dopln(a.Vyzadovany, s.Vyzadovany);
        Dopln(a.Verejny, s.Verejny);
        Dopln(a.Konverze, s.Konverze);
        Dopln(a.KonverzeTxt, s.KonverzeTxt);
        Dopln(a.SirkaSloupce, s.SirkaSloupce);
        Dopln(a.MaskaDisplay, s.MaskaDisplay);
        Dopln(a.Sumovat, s.Sumovat);
        Dopln(a.Hint, s.Hint);
        Dopln(a.HintTxt, s.HintTxt);
        Dopln(a.DalsiVlastnosti, s.DalsiVlastnosti);
        Dopln(a.TarvikAttr, s.TarvikAttr);
        a.UTyp = plg_utaZadny;
        return a;
    }

    // Appends the ancestor's columns the table neither has by name nor excludes.
    void Zded(const TplgTabulkaDef& tabulka, std::vector<TplgAtributTabulky>& atributy) {
        const auto predekIndex = static_cast<std::size_t>(tabulka.Predek);
        if (predekIndex >= registr_.size() || registr_[predekIndex] == nullptr)
            throw std::logic_error("table " + JmenoTabulky(tabulka) + ": unknown ancestor " +
                                   std::to_string(predekIndex));
        Dokonci(predekIndex);
        const auto& predek = schema_.tabulky_[predekIndex];
        const auto vyjmute = texty::Rozdel(tabulka.VyjmuteAttrPredka, "\r\n");
        const auto obsahuje = [](const auto& jmena, std::string_view jmeno) {
            return std::any_of(jmena.begin(), jmena.end(),
                               [&](const auto& j) { return common::EqualsIgnoreCaseAscii(j, jmeno); });
        };
        std::vector<std::string_view> vlastni;
        for (const auto& atribut : atributy)
            vlastni.push_back(atribut.JmenoSys);
        for (auto zdedeny : predek.Atributy) {
            if (obsahuje(vlastni, zdedeny.JmenoSys) || obsahuje(vyjmute, zdedeny.JmenoSys)) continue;
            if ((tabulka.DalsiVlastnosti & tdvDedKliceACheck) == 0) {
                zdedeny.PK_UQ = puNic;
                zdedeny.ForeignKey = {};
                zdedeny.CHECK = {};
            }
            if (zdedeny.JePocitany())
                zdedeny.Pocitany =
                    Uloz(texty::NahradBezVelikosti(zdedeny.Pocitany, std::string(predek.JmenoSys) + ".",
                                                   std::string(tabulka.JmenoSys) + "."));
            atributy.push_back(zdedeny);
        }
    }

    // Constraints given in the definition stay in front; each database column then adds its key,
    // check, foreign key and default, in this order. Unnamed ones are named at the end.
    void OdvodConstraints(TplgTabulkaDef& tabulka) {
        std::vector<TplgConstraintTabulky> constraints(tabulka.Constraints.begin(),
                                                       tabulka.Constraints.end());
        const std::string jmenoTabulky(tabulka.JmenoSys);
        for (const auto& atribut : tabulka.Atributy) {
            if (!atribut.JeDatabazovy()) continue;
            const std::string jmeno(atribut.JmenoSys);
            if (atribut.PK_UQ == puPrimaryKey)
                constraints.push_back({.Typ = coPrimaryKey, .Atributy = atribut.JmenoSys});
            if (atribut.PK_UQ == puUnique)
                constraints.push_back({.Typ = coUnique, .Atributy = atribut.JmenoSys});
            if (const auto check = texty::Orizni(atribut.CHECK); !check.empty())
                constraints.push_back(
                    {.JmenoSys = Uloz("CK__" + jmenoTabulky + "__" + jmeno),
                     .Typ = coCheck,
                     .Atributy = atribut.JmenoSys,
                     .Vyraz = CheckPotrebujeSloupec(check) ? Uloz(jmeno + " " + std::string(check)) : check});
            if (const auto fk = texty::Orizni(atribut.ForeignKey); !fk.empty())
                constraints.push_back(CiziKlic(tabulka, atribut, fk));
            if (!texty::Orizni(atribut.ServerDEFAULT).empty())
                constraints.push_back({.JmenoSys = Uloz("DF__" + jmenoTabulky + "__" + jmeno),
                                       .Typ = coDefault,
                                       .Atributy = atribut.JmenoSys,
                                       .Vyraz = atribut.ServerDEFAULT});
        }
        for (auto& constraint : constraints) {
            if (!constraint.JmenoSys.empty()) continue;
            std::string jmeno = std::string(PrefixConstraintu(constraint.Typ)) + "__" + jmenoTabulky;
            const auto sloupce =
                constraint.Typ == coForeignKey ? constraint.VlastniAtributy : constraint.Atributy;
            for (const auto sloupec : texty::Rozdel(sloupce, ","))
                jmeno.append("__").append(sloupec);
            constraint.JmenoSys = Uloz(std::move(jmeno));
        }
        tabulka.Constraints = schema_.constraints_.emplace_back(std::move(constraints));
    }

    TplgConstraintTabulky CiziKlic(const TplgTabulkaDef& tabulka, const TplgAtributTabulky& atribut,
                                   std::string_view fk) {
        const auto zavorka = fk.find('(');
        if (zavorka == std::string_view::npos || fk.back() != ')' ||
            texty::Orizni(fk.substr(0, zavorka)).empty() ||
            texty::Orizni(fk.substr(zavorka + 1, fk.size() - zavorka - 2)).empty())
            throw std::logic_error("table " + JmenoTabulky(tabulka) + ", column " +
                                   std::string(atribut.JmenoSys) + ": foreign key \"" + std::string(fk) +
                                   "\" is not of the form Table(Columns)");
        return {.Typ = coForeignKey,
                .VlastniAtributy = atribut.JmenoSys,
                .CiziTabulka = texty::Orizni(fk.substr(0, zavorka)),
                .CiziAtributy = texty::Orizni(fk.substr(zavorka + 1, fk.size() - zavorka - 2))};
    }

    std::span<const TplgTabulkaDef* const> registr_;
    std::span<const TplgUzivatelskeAtributyDef> sablony_;
    TplgSchema& schema_;
    std::vector<Stav> stav_;
};

std::unique_ptr<const TplgSchema> TplgSchema::Odvod(std::span<const TplgTabulkaDef* const> registr,
                                                    std::span<const TplgUzivatelskeAtributyDef> sablony) {
    std::unique_ptr<TplgSchema> schema(new TplgSchema());
    TplgOdvozeniSchematu(registr, sablony, *schema).Proved();
    return schema;
}

const TplgTabulkaDef* TplgSchema::Tabulka(TplgTabulka tabulka) const {
    if (tabulka == tZadna || tabulka >= tabulky_.size() || tabulky_[tabulka].SelfIdent == tZadna)
        return nullptr;
    return &tabulky_[tabulka];
}

std::string_view TplgSchema::JmenoSys(TplgTabulka tabulka) const {
    const auto* definice = Tabulka(tabulka);
    return definice ? definice->JmenoSys : std::string_view{};
}

TplgTabulka TplgSchema::TabulkaPodleJmena(std::string_view jmenoSys) const {
    const auto jmeno = texty::Orizni(jmenoSys);
    if (jmeno.empty()) return tZadna;
    for (const auto& tabulka : tabulky_)
        if (tabulka.SelfIdent != tZadna && common::EqualsIgnoreCaseAscii(tabulka.JmenoSys, jmeno))
            return tabulka.SelfIdent;
    return tZadna;
}

const TplgAtributTabulky* TplgSchema::Atribut(TplgTabulka tabulka, std::string_view jmeno) const {
    const auto* definice = Tabulka(tabulka);
    if (!definice) return nullptr;
    for (const auto& atribut : definice->Atributy)
        if (common::EqualsIgnoreCaseAscii(atribut.JmenoSys, jmeno)) return &atribut;
    return nullptr;
}

const TplgAtributTabulky* TplgSchema::Atribut(std::string_view tabulkaTeckaAtribut) const {
    const auto tecka = tabulkaTeckaAtribut.find('.');
    if (tecka == std::string_view::npos) return nullptr;
    return Atribut(TabulkaPodleJmena(tabulkaTeckaAtribut.substr(0, tecka)),
                   tabulkaTeckaAtribut.substr(tecka + 1));
}

std::vector<TplgJmenoAtributu> TplgSchema::SerazeneAtributy(TplgTabulka tabulka) const {
    std::vector<TplgJmenoAtributu> seznam;
    if (const auto* definice = Tabulka(tabulka))
        for (const auto& atribut : definice->Atributy)
            seznam.emplace_back(atribut.JmenoSys, &atribut);
    std::stable_sort(seznam.begin(), seznam.end(), [](const auto& a, const auto& b) {
        return common::ToLowerAscii(a.first) < common::ToLowerAscii(b.first);
    });
    return seznam;
}

const TplgSchema& EfektivniSchema() {
    static const auto schema = TplgSchema::Odvod(RegistrTabulek(), SablonyAtributu());
    return *schema;
}

bool JeInstalovatelna(const TplgTabulkaDef& tabulka, int legislativa, std::string_view aktualniDB,
                      std::string_view testovanaDB) {
    if ((tabulka.DalsiVlastnosti & tdvNeniDatabazovaTabulka) != 0) return false;
    if (tabulka.JmenoSys.starts_with('#')) return false;
    if (!tabulka.Legislativa.Plati(legislativa)) return false;
    const auto databaze = tabulka.Databaze.empty() ? aktualniDB : tabulka.Databaze;
    return common::EqualsIgnoreCaseAscii(databaze, testovanaDB);
}

} // namespace plugin
