#include "plugin/definitions/ddl.h"

#include "common/sql_text.h"

#include "texty.h"

#include <stdexcept>

namespace plugin {
namespace {

constexpr std::string_view kCRLF = "\r\n";

bool MaDelku(std::string_view typ) {
    return typ == "VARCHAR" || typ == "CHAR" || typ == "NVARCHAR" || typ == "NCHAR" || typ == "BINARY";
}

std::string VelkymiPismeny(std::string_view text) {
    std::string vysledek(text);
    for (auto& znak : vysledek)
        if (znak >= 'a' && znak <= 'z') znak = static_cast<char>(znak - 'a' + 'A');
    return vysledek;
}

std::string AlterTable(std::string_view tabulka) {
    return "ALTER TABLE " + std::string(tabulka) + " ";
}

const TplgDefTypu& TypSloupce(const TplgAtributTabulky& atribut) {
    const auto& typ = DefiniceTypu(atribut.Typ);
    if (typ.X != ptaZadny && typ.X != ptaIdentity)
        throw std::logic_error("Nepokrytý podtyp atributu (unita plgInstalace) !");
    return typ;
}

// The columns a constraint is on: its own list, else the ones its name gives.
std::string SloupceConstraintu(const TplgConstraintTabulky& constraint) {
    const auto vlastni = constraint.Typ == coForeignKey ? constraint.VlastniAtributy : constraint.Atributy;
    if (!texty::Orizni(vlastni).empty()) return std::string(vlastni);
    return RozeberJmenoConstraintu(constraint.JmenoSys).Atributy;
}

} // namespace

std::string TextCreateTable(const TplgTabulkaDef& tabulka) {
    std::vector<std::string> polozky;
    std::vector<std::string> pocitane;
    for (const auto& atribut : tabulka.Atributy) {
        if (atribut.Typ == taBlbe || !atribut.JeDatabazovy()) continue;
        if (atribut.JePocitany()) {
            pocitane.push_back(std::string(atribut.JmenoSys) + " AS " + std::string(atribut.Pocitany));
            continue;
        }
        const auto& typ = TypSloupce(atribut);
        std::string radek = std::string(atribut.JmenoSys) + " " + std::string(typ.T);
        if (typ.X == ptaIdentity) radek += " IDENTITY";
        if (typ.P != 0) radek += "(" + std::to_string(typ.P) + "," + std::to_string(typ.S) + ")";
        if (atribut.Delka != 0 && MaDelku(typ.T)) radek += "(" + std::to_string(atribut.Delka) + ")";
        radek += atribut.Null == nNULL ? " NULL" : " NOT NULL";
        if (!texty::Orizni(atribut.ServerDEFAULT).empty())
            radek += " CONSTRAINT " + JmenoDefaultu(tabulka.JmenoSys, atribut.JmenoSys) + " DEFAULT " +
                     std::string(atribut.ServerDEFAULT);
        polozky.push_back(std::move(radek));
    }
    polozky.insert(polozky.end(), pocitane.begin(), pocitane.end());
    for (const auto& constraint : tabulka.Constraints) {
        const std::string zacatek = "CONSTRAINT " + std::string(constraint.JmenoSys) + " ";
        if (constraint.Typ == coPrimaryKey)
            polozky.push_back(zacatek + "PRIMARY KEY(" + std::string(constraint.Atributy) + ")");
        else if (constraint.Typ == coUnique)
            polozky.push_back(zacatek + "UNIQUE(" + std::string(constraint.Atributy) + ")");
        else if (constraint.Typ == coCheck)
            polozky.push_back(zacatek + "CHECK(" + std::string(constraint.Vyraz) + ")");
    }
    std::string text = "CREATE TABLE dbo." + std::string(tabulka.JmenoSys) + "(";
    text += kCRLF;
    for (std::size_t i = 0; i < polozky.size(); ++i) {
        if (i > 0) text.append(",").append(kCRLF);
        text += polozky[i];
    }
    return text + ")";
}

std::string TextCreateTable(const TplgSchema& schema, TplgTabulka tabulka) {
    const auto* definice = schema.Tabulka(tabulka);
    if (!definice) return "/* TABULKA č." + std::to_string(static_cast<int>(tabulka)) + " NENI DEFINOVANA */";
    return TextCreateTable(*definice);
}

std::string TextTypu(const TplgSloupecKatalogu& sloupec) {
    std::string text = VelkymiPismeny(sloupec.Typ);
    if (text.find("CHAR") != std::string::npos || text.find("BINARY") != std::string::npos)
        text += "(" + std::to_string(sloupec.Delka) + ")";
    else if (text.find("NUMERIC") != std::string::npos)
        text += "(" + std::to_string(sloupec.Presnost) + "," + std::to_string(sloupec.Meritko) + ")";
    if (sloupec.Identity) text += " IDENTITY(1,1)";
    return text + (sloupec.Nullable ? " NULL" : " NOT NULL");
}

std::string TextTypu(const TplgAtributTabulky& atribut) {
    const auto& typ = TypSloupce(atribut);
    return TextTypu(TplgSloupecKatalogu{.Typ = typ.T,
                                        .Identity = typ.X == ptaIdentity,
                                        .Delka = atribut.Delka,
                                        .Presnost = typ.P,
                                        .Meritko = typ.S,
                                        .Nullable = atribut.Null == nNULL});
}

std::string JmenoDefaultu(std::string_view tabulka, std::string_view atribut) {
    return "DF__" + std::string(tabulka) + "__" + std::string(atribut);
}

TplgPridaniAtributu TextPridaniAtributu(std::string_view tabulka, const TplgAtributTabulky& atribut) {
    const std::string jmeno(atribut.JmenoSys);
    if (atribut.JePocitany())
        return {AlterTable(tabulka) + "ADD " + jmeno + " AS " + std::string(atribut.Pocitany), {}};
    TplgPridaniAtributu pridani{AlterTable(tabulka) + "ADD " + jmeno + " " + TextTypu(atribut), {}};
    if (!texty::Orizni(atribut.ServerDEFAULT).empty()) {
        pridani.PridanyDefault = JmenoDefaultu(tabulka, jmeno);
        pridani.Prikaz +=
            " CONSTRAINT " + pridani.PridanyDefault + " DEFAULT " + std::string(atribut.ServerDEFAULT);
    } else if (atribut.Null != nNULL && DefiniceTypu(atribut.Typ).X != ptaIdentity) {
        // A NOT NULL column reaches the rows of a filled table through a default that goes at once.
        std::string hodnota;
        switch (KategorieTypu(atribut.Typ)) {
        case 1:
        case 2:
            hodnota = common::SqlValue(std::int32_t{0});
            break;
        case 3:
            hodnota = common::SqlValue(common::VarAnsiString{});
            break;
        default:
            break;
        }
        if (!hodnota.empty()) {
            const auto pomocny = JmenoDefaultu(tabulka, jmeno) + "__TarvikPom";
            pridani.Prikaz += " CONSTRAINT " + pomocny + " DEFAULT " + hodnota + "\r" +
                              TextZruseniConstraintu(tabulka, pomocny);
        }
    }
    return pridani;
}

std::string TextZmenyAtributu(std::string_view tabulka, const TplgAtributTabulky& atribut) {
    return AlterTable(tabulka) + "ALTER COLUMN " + std::string(atribut.JmenoSys) + " " + TextTypu(atribut);
}

std::string TextZruseniAtributu(std::string_view tabulka, std::string_view atribut) {
    return AlterTable(tabulka) + "DROP COLUMN " + std::string(atribut);
}

std::string TextPridaniConstraintu(std::string_view tabulka, const TplgConstraintTabulky& constraint) {
    const std::string jmeno(constraint.JmenoSys);
    const std::string pridej = AlterTable(tabulka) + "ADD CONSTRAINT " + jmeno + " ";
    switch (constraint.Typ) {
    case coPrimaryKey:
        return pridej + "PRIMARY KEY (" + SloupceConstraintu(constraint) + ")";
    case coUnique:
        return pridej + "UNIQUE (" + SloupceConstraintu(constraint) + ")";
    case coCheck:
        return pridej + "CHECK (" + std::string(constraint.Vyraz) + ")";
    case coDefault:
        return pridej + "DEFAULT " + std::string(constraint.Vyraz) + " FOR " + SloupceConstraintu(constraint);
    case coForeignKey:
        return pridej + "FOREIGN KEY (" + SloupceConstraintu(constraint) + ") REFERENCES " +
               std::string(constraint.CiziTabulka) + " (" + std::string(constraint.CiziAtributy) + ")";
    case coIndex:
    case coIndexClustered:
        return "CREATE " + std::string(constraint.Typ == coIndexClustered ? "CLUSTERED" : "NONCLUSTERED") +
               " INDEX " + jmeno + " ON " + std::string(tabulka) + " (" + SloupceConstraintu(constraint) +
               ")";
    case coChyba:
        break;
    }
    return {};
}

std::string TextZruseniConstraintu(std::string_view tabulka, std::string_view jmeno) {
    return AlterTable(tabulka) + "DROP CONSTRAINT " + std::string(jmeno);
}

std::string TextZmenyConstraintu(std::string_view tabulka, const TplgConstraintTabulky& constraint) {
    return TextZruseniConstraintu(tabulka, constraint.JmenoSys) + " \r" +
           TextPridaniConstraintu(tabulka, constraint);
}

std::string TextZapnutiConstraintu(std::string_view tabulka, std::string_view jmeno) {
    return AlterTable(tabulka) + "WITH CHECK CHECK CONSTRAINT " + std::string(jmeno);
}

TplgJmenoConstraintu RozeberJmenoConstraintu(std::string_view jmeno) {
    TplgJmenoConstraintu casti;
    casti.Typ = ConstraintPodlePrefixu(VelkymiPismeny(jmeno.substr(0, 2)));
    const auto zbytek = jmeno.substr(std::min<std::size_t>(4, jmeno.size()));
    const auto konecTabulky = zbytek.find("__");
    casti.Tabulka = std::string(zbytek.substr(0, konecTabulky));
    if (konecTabulky != std::string_view::npos) {
        auto sloupce = zbytek.substr(konecTabulky + 2);
        for (auto oddelovac = sloupce.find("__"); oddelovac != std::string_view::npos;
             oddelovac = sloupce.find("__")) {
            casti.Atributy.append(sloupce.substr(0, oddelovac)).append(",");
            sloupce.remove_prefix(oddelovac + 2);
        }
        casti.Atributy.append(sloupce);
    }
    return casti;
}

} // namespace plugin
