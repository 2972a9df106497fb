#include "testovaci_schema.h"

#include "plugin/definitions/tables.h"

#include <memory>

namespace plugin::testing {

namespace {

constexpr TplgAtributTabulky kAtributyA[] = {
    {.UTyp = plg_utaSystemoveCislo},
    {.JmenoSys = "Cislo", .Typ = taInt, .PK_UQ = puUnique},
    {.JmenoSys = "Kod", .Typ = taNVarChar, .Delka = 3, .ServerDEFAULT = "'a'", .CHECK = "IN ('a', 'b')"},
    {.JmenoSys = "Stav", .Typ = taSmallInt, .ServerDEFAULT = "0", .CHECK = "BETWEEN 0 AND 4"},
    {.JmenoSys = "Castka", .Typ = taNumeric_19_2, .Null = nNULL, .CHECK = ">= 0"},
    {.JmenoSys = "Priorita", .Typ = taSmallInt},
    {.JmenoSys = "Poznamka", .Typ = taNVarChar, .Delka = 20, .Null = nNULL},
    {.JmenoSys = "Termin", .Typ = taDateTime},
    {.JmenoSys = "Dvojnasobek", .Pocitany = "Castka * 2"},
    {.UTyp = plg_utaAutor},
    {.UTyp = plg_utaDatPorizeni},
    {.UTyp = plg_utaZmenil},
    {.UTyp = plg_utaDatZmeny},
    {.UTyp = plg_utaBlokovaniEditoru},
};

constexpr TplgAtributTabulky kAtributyB[] = {
    {.JmenoSys = "ID", .Typ = taInt},
    {.JmenoSys = "IDA", .Typ = taInt, .Null = nNULL, .ForeignKey = "TabQUELTATestA(ID)"},
    {.JmenoSys = "Kod", .Typ = taNVarChar, .Delka = 10, .ServerDEFAULT = "''"},
};

constexpr TplgConstraintTabulky kIndexyB[] = {
    {.JmenoSys = "IC__TabQUELTATestB__Kod", .Typ = coIndexClustered, .Atributy = "Kod"},
    {.JmenoSys = "IX__TabQUELTATestB__IDA", .Typ = coIndex, .Atributy = "IDA"},
};

constexpr TplgTabulkaDef kTabulkaA{
    .SelfIdent = tTestA,
    .JmenoSys = "TabQUELTATestA",
    .Jmeno = "Test A",
    .Atributy = kAtributyA,
    .DalsiVlastnosti = tdvTabulkaPluginu,
    .DefiniceTriggeru =
        "CREATE TRIGGER tr_TabQUELTATestA ON TabQUELTATestA FOR INSERT AS\r\n"
        "UPDATE TabQUELTATestA SET Poznamka = N'novy' WHERE ID IN (SELECT ID FROM inserted) AND "
        "Poznamka IS NULL\r\n",
};

constexpr TplgTabulkaDef kTabulkaB{
    .SelfIdent = tTestB,
    .JmenoSys = "TabQUELTATestB",
    .Jmeno = "Test B",
    .Atributy = kAtributyB,
    .Constraints = kIndexyB,
    .DalsiVlastnosti = tdvTabulkaPluginu,
};

constexpr const TplgTabulkaDef* kRegistr[] = {nullptr, &kTabulkaA, &kTabulkaB};

constexpr TplgUlozenaProcedura kProcedury[] = {
    {},
    {.Text = "CREATE PROCEDURE _HP_QUELTA_Test @a INT\r\nAS\r\nSELECT @a + 1 AS Vysledek\r\n"},
};

constexpr TplgExterniTrigger kTriggery[] = {
    {},
    {.JmenoTabulky = "TabZeme",
     .TriggerSkript =
         "CREATE TRIGGER et_TabZeme_QUELTA ON TabZeme FOR DELETE AS\r\n"
         "UPDATE TabQUELTATestA SET Poznamka = N'zeme' WHERE Cislo IN (SELECT ID FROM deleted)\r\n"},
};

} // namespace

const TplgSchema& TestovaciSchema() {
    static const auto schema = TplgSchema::Odvod(kRegistr, SablonyAtributu());
    return *schema;
}

std::span<const TplgUlozenaProcedura> TestovaciProcedury() {
    return kProcedury;
}

std::span<const TplgExterniTrigger> TestovaciTriggery() {
    return kTriggery;
}

} // namespace plugin::testing
