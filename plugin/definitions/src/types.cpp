#include "plugin/definitions/model.h"
#include "plugin/definitions/tables.h"

#include "common/ascii.h"

#include "poradi.h"

#include <stdexcept>
#include <string>

namespace plugin {
namespace {

struct TplgTypSKategorii : TplgDefTypu {
    int Kategorie;
};

constexpr TplgTypSKategorii kTypy[] = {
    {{taBlbe, "", ptaZadny, 0, 0}, 0},
    {{taInt, "INT", ptaZadny, 0, 0}, 1},
    {{taIdentity, "INT", ptaIdentity, 0, 0}, 1},
    {{taSmallInt, "SMALLINT", ptaZadny, 0, 0}, 1},
    {{taByte, "TINYINT", ptaZadny, 0, 0}, 1},
    {{taBoolean, "BIT", ptaZadny, 0, 0}, 1},
    {{taVarChar, "VARCHAR", ptaZadny, 0, 0}, 3},
    {{taChar, "CHAR", ptaZadny, 0, 0}, 3},
    {{taText, "TEXT", ptaZadny, 0, 0}, 3},
    {{taNVarChar, "NVARCHAR", ptaZadny, 0, 0}, 3},
    {{taNChar, "NCHAR", ptaZadny, 0, 0}, 3},
    {{taNText, "NTEXT", ptaZadny, 0, 0}, 3},
    {{taBinary, "BINARY", ptaZadny, 0, 0}, 5},
    {{taImage, "IMAGE", ptaZadny, 0, 0}, 5},
    {{taDateTime, "DATETIME", ptaZadny, 0, 0}, 4},
    {{taNumeric_4_2, "NUMERIC", ptaZadny, 4, 2}, 2},
    {{taNumeric_5_2, "NUMERIC", ptaZadny, 5, 2}, 2},
    {{taNumeric_7_2, "NUMERIC", ptaZadny, 7, 2}, 2},
    {{taNumeric_9_2, "NUMERIC", ptaZadny, 9, 2}, 2},
    {{taNumeric_15_0, "NUMERIC", ptaZadny, 15, 0}, 2},
    {{taNumeric_19_2, "NUMERIC", ptaZadny, 19, 2}, 2},
    {{taNumeric_19_6, "NUMERIC", ptaZadny, 19, 6}, 2},
    {{taNumeric_20_6, "NUMERIC", ptaZadny, 20, 6}, 2},
    {{taNumeric_28_0, "NUMERIC", ptaZadny, 28, 0}, 2},
    {{taFloat, "FLOAT", ptaZadny, 0, 0}, 2},
};

static_assert(IndexovanoPodleSelfIdent(kTypy), "the type table is indexed by TplgTypAtributu");

constexpr std::string_view kPrefixy[] = {"!chyba!", "PK", "UQ", "CK", "FK", "DF", "IX", "IC"};

const TplgTypSKategorii& Typ(TplgTypAtributu typ) {
    if (typ >= std::size(kTypy))
        throw std::out_of_range("unknown column type " + std::to_string(static_cast<int>(typ)));
    return kTypy[typ];
}

// Common columns a column takes every field it leaves empty from.
constexpr TplgUzivatelskeAtributyDef kSablony[] = {
    {plg_utaZadny, {}},
    {plg_utaSystemoveCislo,
     {.JmenoSys = "ID",
      .JmenoVerejneTxt = 73,    // Systémové číslo
      .JmenoVerejneZkrTxt = 74, // Sys.č.
      .Typ = taIdentity,
      .PK_UQ = puPrimaryKey,
      .Vyzadovany = vTrue,
      .Verejny = vFalse}},
    {plg_utaAutor,
     {.JmenoSys = "Autor",
      .JmenoVerejneTxt = 75, // Autor
      .Typ = taNVarChar,
      .Delka = 128,
      .ServerDEFAULT = "SUSER_SNAME()",
      .Verejny = vTrue,
      .SirkaSloupce = 15}},
    {plg_utaDatPorizeni,
     {.JmenoSys = "DatPorizeni",
      .JmenoVerejneTxt = 76, // Datum pořízení
      .Typ = taDateTime,
      .ServerDEFAULT = "GETDATE()",
      .Verejny = vTrue,
      .SirkaSloupce = 20}},
    {plg_utaZmenil,
     {.JmenoSys = "Zmenil",
      .JmenoVerejneTxt = 77, // Změnil
      .Typ = taNVarChar,
      .Delka = 128,
      .Null = nNULL,
      .Verejny = vTrue,
      .SirkaSloupce = 20}},
    {plg_utaDatZmeny,
     {.JmenoSys = "DatZmeny",
      .JmenoVerejneTxt = 78, // Datum změny
      .Typ = taDateTime,
      .Null = nNULL,
      .Verejny = vTrue,
      .SirkaSloupce = 20}},
    {plg_utaBlokovaniEditoru,
     {.JmenoSys = "BlokovaniEditoru",
      .JmenoVerejneTxt = 79, // Blokování editoru
      .Typ = taSmallInt,
      .Null = nNULL,
      .Vyzadovany = vTrue,
      .Verejny = vFalse}},
    {plg_utaGUID,
     {.JmenoSys = "GUID", .JmenoVerejne = "GUID", .Typ = taBinary, .Delka = 16, .Verejny = vFalse}},
    {plg_utaSazbaDPH, {.Typ = taNumeric_5_2, .Null = nNULL, .ForeignKey = "TabDPH(Sazba)", .Verejny = vTrue}},
    {plg_utaCena,
     {.Typ = taNumeric_19_6,
      .ServerDEFAULT = "0.0",
      .Verejny = vTrue,
      .MaskaDisplay = "#,##0.00",
      .Sumovat = true}},
    {plg_utaMena,
     {.JmenoSys = "Mena",
      .JmenoVerejne = "Měna",
      .Typ = taNVarChar,
      .Delka = 3,
      .ForeignKey = "TabKodMen(Kod)",
      .Verejny = vTrue}},
    {plg_utaTextChyby,
     {.JmenoSys = "TextChyby",
      .JmenoVerejne = "Text chyby",
      .Typ = taNVarChar,
      .Delka = 255,
      .ServerDEFAULT = "''",
      .Verejny = vTrue,
      .SirkaSloupce = 30}},
    {plg_utaImpSoubor,
     {.JmenoSys = "ImpSoubor",
      .JmenoVerejne = "Importní soubor",
      .Typ = taNVarChar,
      .Delka = 255,
      .ServerDEFAULT = "''",
      .Verejny = vTrue,
      .SirkaSloupce = 30}},
    {plg_utaSkupZbo,
     {.JmenoSys = "SkupZbo",
      .Typ = taNVarChar,
      .Delka = 3,
      .Verejny = vTrue,
      .TarvikAttr = "TabKmenZbozi.SkupZbo"}},
    {plg_utaRegCis,
     {.JmenoSys = "RegCis",
      .Typ = taNVarChar,
      .Delka = 30,
      .Verejny = vTrue,
      .TarvikAttr = "TabKmenZbozi.RegCis"}},
};

static_assert(IndexovanoPodleSelfIdent(kSablony), "the templates are indexed by TplgUzivatelskyTypAtributu");

} // namespace

const TplgDefTypu& DefiniceTypu(TplgTypAtributu typ) {
    return Typ(typ);
}

int KategorieTypu(TplgTypAtributu typ) {
    return Typ(typ).Kategorie;
}

std::string_view PrefixConstraintu(TplgConstraint typ) {
    return typ < std::size(kPrefixy) ? kPrefixy[typ] : kPrefixy[coChyba];
}

TplgConstraint ConstraintPodlePrefixu(std::string_view prefix) {
    for (std::size_t i = 1; i < std::size(kPrefixy); ++i)
        if (common::EqualsIgnoreCaseAscii(prefix, kPrefixy[i])) return static_cast<TplgConstraint>(i);
    return coChyba;
}

std::span<const TplgUzivatelskeAtributyDef> SablonyAtributu() {
    return kSablony;
}

} // namespace plugin
