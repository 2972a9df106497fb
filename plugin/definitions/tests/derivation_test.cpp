// The derivation rules on small registries of their own: templates, inheritance with exclusions,
// constraint derivation and naming, and the installable-table filter.
#include "plugin/definitions/ddl.h"
#include "plugin/definitions/schema.h"
#include "plugin/definitions/tables.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace plugin {
namespace {

constexpr auto tPotomek = static_cast<TplgTabulka>(1);
constexpr auto tPredek = static_cast<TplgTabulka>(2);

constexpr TplgUzivatelskeAtributyDef kSablony[] = {
    {plg_utaZadny, {}},
    {plg_utaSystemoveCislo, {.JmenoSys = "ID", .Typ = taIdentity, .PK_UQ = puPrimaryKey, .Verejny = vFalse}},
    {plg_utaCena,
     {.Typ = taNumeric_19_6,
      .Null = nNULL,
      .ServerDEFAULT = "0.0",
      .CHECK = "%s >= 0",
      .Verejny = vTrue,
      .Sumovat = true}},
};

constexpr TplgAtributTabulky kAtributyPredka[] = {
    {.UTyp = plg_utaSystemoveCislo},
    {.JmenoSys = "Kod",
     .Typ = taNVarChar,
     .Delka = 10,
     .PK_UQ = puUnique,
     .ForeignKey = "TabKody(Kod)",
     .CHECK = "LIKE 'K%'"},
    {.JmenoSys = "Cena", .UTyp = plg_utaCena},
    {.JmenoSys = "Dvojnasobek", .Typ = taNumeric_19_6, .Pocitany = "tabpredek.Cena * 2"},
    {.JmenoSys = "Poznamka", .Typ = taNVarChar, .Delka = 100, .Null = nNULL},
    {.JmenoSys = "Pomocny", .Typ = taInt, .PK_UQ = puUnique, .DalsiVlastnosti = advNeniDatabazovy},
};

constexpr TplgAtributTabulky kAtributyPotomka[] = {
    {.UTyp = plg_utaSystemoveCislo},
    {.JmenoSys = "Nazev", .Typ = taNVarChar, .Delka = 40, .Verejny = vTrue},
    {.JmenoSys = "Cena", .UTyp = plg_utaCena, .Delka = 0, .Null = nNOTNULL},
};

constexpr TplgConstraintTabulky kIndexPotomka[] = {{.Typ = coIndex, .Atributy = "Nazev, Cena"}};

// The child stands before its ancestor in the registry: the ancestor is completed first anyway.
TplgTabulkaDef Potomek(std::uint8_t volby) {
    return {.SelfIdent = tPotomek,
            .JmenoSys = "TabPotomek",
            .Predek = tPredek,
            .VyjmuteAttrPredka = "Poznamka\r\n  neexistuje  \r\n",
            .Atributy = kAtributyPotomka,
            .Constraints = kIndexPotomka,
            .DalsiVlastnosti = volby};
}

constexpr TplgTabulkaDef kPredek{.SelfIdent = tPredek, .JmenoSys = "TabPredek", .Atributy = kAtributyPredka};

std::unique_ptr<const TplgSchema> Odvod(const TplgTabulkaDef& potomek) {
    const TplgTabulkaDef* registr[] = {nullptr, &potomek, &kPredek};
    return TplgSchema::Odvod(registr, kSablony);
}

std::vector<std::string> Jmena(std::span<const TplgAtributTabulky> atributy) {
    std::vector<std::string> jmena;
    for (const auto& atribut : atributy)
        jmena.emplace_back(atribut.JmenoSys);
    return jmena;
}

TEST(SchemaDerivation, TemplateFillsOnlyWhatTheColumnLeavesEmpty) {
    const auto potomek = Potomek(0);
    const auto schema = Odvod(potomek);
    const auto* cena = schema->Atribut(tPotomek, "Cena");
    ASSERT_NE(cena, nullptr);
    EXPECT_EQ(cena->Null, nNOTNULL); // own value kept
    EXPECT_EQ(cena->Typ, taNumeric_19_6);
    EXPECT_EQ(cena->ServerDEFAULT, "0.0");
    EXPECT_EQ(cena->CHECK, "Cena >= 0"); // the template's check names the column
    EXPECT_TRUE(cena->Sumovat);
    EXPECT_EQ(cena->Verejny, vTrue);
    EXPECT_EQ(cena->UTyp, plg_utaZadny);
    const auto* id = schema->Atribut(tPotomek, "ID");
    EXPECT_EQ(id->Null, nNOTNULL); // left open: NOT NULL
    EXPECT_EQ(id->Vyzadovany, vFalse);
    EXPECT_EQ(id->Verejny, vFalse);
}

TEST(SchemaDerivation, InheritanceAppendsTheAncestorsOtherColumns) {
    const auto potomek = Potomek(0);
    const auto schema = Odvod(potomek);
    const auto* tabulka = schema->Tabulka(tPotomek);
    ASSERT_NE(tabulka, nullptr);
    // Own columns first, then the ancestor's that it neither has nor excludes; the own ID, named
    // only by its template, counts as having ID.
    EXPECT_EQ(Jmena(tabulka->Atributy),
              (std::vector<std::string>{"ID", "Nazev", "Cena", "Kod", "Dvojnasobek", "Pomocny"}));
    const auto* kod = schema->Atribut(tPotomek, "Kod");
    EXPECT_EQ(kod->PK_UQ, puNic);
    EXPECT_EQ(kod->ForeignKey, "");
    EXPECT_EQ(kod->CHECK, "");
    EXPECT_EQ(kod->Null, nNOTNULL);
    EXPECT_EQ(schema->Atribut(tPotomek, "Dvojnasobek")->Pocitany, "TabPotomek.Cena * 2");
    // The ancestor itself is complete and keeps its settings.
    EXPECT_EQ(schema->Atribut(tPredek, "Kod")->PK_UQ, puUnique);
    EXPECT_EQ(schema->Atribut(tPredek, "Dvojnasobek")->Pocitany, "tabpredek.Cena * 2");
}

TEST(SchemaDerivation, OptionEightKeepsTheInheritedKeysAndChecks) {
    const auto potomek = Potomek(tdvDedKliceACheck);
    const auto schema = Odvod(potomek);
    const auto* kod = schema->Atribut(tPotomek, "Kod");
    EXPECT_EQ(kod->PK_UQ, puUnique);
    EXPECT_EQ(kod->ForeignKey, "TabKody(Kod)");
    std::vector<std::string> jmena;
    for (const auto& c : schema->Tabulka(tPotomek)->Constraints)
        jmena.emplace_back(c.JmenoSys);
    // The given index stays in front; each column adds key, check, foreign key, default in turn;
    // the column that is not in the database adds nothing.
    EXPECT_EQ(jmena,
              (std::vector<std::string>{"IX__TabPotomek__Nazev__Cena", "PK__TabPotomek__ID",
                                        "CK__TabPotomek__Cena", "DF__TabPotomek__Cena", "UQ__TabPotomek__Kod",
                                        "CK__TabPotomek__Kod", "FK__TabPotomek__Kod"}));
    const auto& constraints = schema->Tabulka(tPotomek)->Constraints;
    EXPECT_EQ(constraints[2].Vyraz, "Cena >= 0");
    EXPECT_EQ(constraints[5].Vyraz, "Kod LIKE 'K%'");
    EXPECT_EQ(constraints[6].VlastniAtributy, "Kod");
    EXPECT_EQ(constraints[6].CiziTabulka, "TabKody");
    EXPECT_EQ(constraints[6].CiziAtributy, "Kod");
}

TEST(SchemaDerivation, CheckGetsItsColumnOnlyWhenItStartsWithAnOperator) {
    struct Pripad {
        std::string_view Sloupec;
        std::string_view Check;
        std::string_view Vyraz;
    };
    const std::vector<Pripad> pripady = {
        {"Stav", ">0", "Stav >0"},
        {"Stav", " = 1 ", "Stav = 1"},
        {"Stav", "<>2", "Stav <>2"},
        {"Stav", "IN (0, 1)", "Stav IN (0, 1)"},
        {"Stav", "in(0,1)", "Stav in(0,1)"},
        {"Stav", "BETWEEN 0 AND 2", "Stav BETWEEN 0 AND 2"},
        {"Stav", "like '[0-2]'", "Stav like '[0-2]'"},
        {"Stav", "NOT IN (3)", "Stav NOT IN (3)"},
        {"Stav", "Stav > 0", "Stav > 0"},
        {"Stav", ">", ">"},
        {"Index", "Index > 0", "Index > 0"},
        {"Note", "Note <> ''", "Note <> ''"},
        {"Stav", "ISNULL(Stav, 0) >= 0", "ISNULL(Stav, 0) >= 0"},
    };
    for (const auto& pripad : pripady) {
        const TplgAtributTabulky atributy[] = {
            {.JmenoSys = pripad.Sloupec, .Typ = taInt, .CHECK = pripad.Check}};
        const TplgTabulkaDef tabulka{.SelfIdent = tPotomek, .JmenoSys = "T", .Atributy = atributy};
        const TplgTabulkaDef* registr[] = {nullptr, &tabulka};
        const auto schema = TplgSchema::Odvod(registr, kSablony);
        const auto& constraints = schema->Tabulka(tPotomek)->Constraints;
        ASSERT_EQ(constraints.size(), 1u);
        EXPECT_EQ(constraints[0].JmenoSys, "CK__T__" + std::string(pripad.Sloupec));
        EXPECT_EQ(constraints[0].Vyraz, pripad.Vyraz) << pripad.Check;
    }
}

TEST(SchemaDerivation, DefinitionsThatCannotBeCompletedAreRefused) {
    const TplgAtributTabulky neznamaSablona[] = {{.JmenoSys = "X", .UTyp = plg_utaRegCis}};
    const TplgAtributTabulky spatnyKlic[] = {{.JmenoSys = "X", .Typ = taInt, .ForeignKey = "TabKody Kod"}};
    const TplgTabulkaDef sablona{.SelfIdent = tPotomek, .JmenoSys = "T", .Atributy = neznamaSablona};
    const TplgTabulkaDef klic{.SelfIdent = tPotomek, .JmenoSys = "T", .Atributy = spatnyKlic};
    const TplgTabulkaDef bezPredka{
        .SelfIdent = tPotomek, .JmenoSys = "T", .Predek = static_cast<TplgTabulka>(9)};
    const TplgTabulkaDef kruh1{.SelfIdent = tPotomek, .JmenoSys = "A", .Predek = tPredek};
    const TplgTabulkaDef kruh2{.SelfIdent = tPredek, .JmenoSys = "B", .Predek = tPotomek};
    const TplgTabulkaDef spatneMisto{.SelfIdent = tPredek, .JmenoSys = "T"};
    const auto chyba = [](std::vector<const TplgTabulkaDef*> registr) -> std::string {
        try {
            TplgSchema::Odvod(registr, kSablony);
        } catch (const std::logic_error& e) {
            return e.what();
        }
        return "no error";
    };
    EXPECT_EQ(chyba({nullptr, &sablona}), "table T, column X: unknown column template 14");
    EXPECT_EQ(chyba({nullptr, &klic}),
              "table T, column X: foreign key \"TabKody Kod\" is not of the form Table(Columns)");
    EXPECT_EQ(chyba({nullptr, &bezPredka}), "table T: unknown ancestor 9");
    EXPECT_EQ(chyba({nullptr, &kruh1, &kruh2}), "table A: its ancestors form a cycle");
    EXPECT_EQ(chyba({nullptr, &spatneMisto}), "table T stands at entry 1 of the table registry");
    EXPECT_EQ(chyba({&kPredek}), "entry 0 of the table registry must be empty");
}

TEST(SchemaDerivation, EmptyRegistryEntriesHaveNoDefinition) {
    const TplgTabulkaDef* registr[] = {nullptr, nullptr, &kPredek};
    const auto schema = TplgSchema::Odvod(registr, kSablony);
    EXPECT_EQ(schema->Tabulka(tPotomek), nullptr);
    EXPECT_EQ(TextCreateTable(*schema, tPotomek), "/* TABULKA č.1 NENI DEFINOVANA */");
    EXPECT_EQ(schema->TabulkaPodleJmena("TabPredek"), tPredek);
}

TEST(SchemaDerivation, InstallableTables) {
    const TplgTabulkaDef vsude{.JmenoSys = "T"};
    const TplgTabulkaDef slovenska{.JmenoSys = "T", .Legislativa = {1}};
    const TplgTabulkaDef jinde{.JmenoSys = "T", .Databaze = "Archiv"};
    const TplgTabulkaDef docasna{.JmenoSys = "#T"};
    const TplgTabulkaDef neniTabulka{.JmenoSys = "T", .DalsiVlastnosti = tdvNeniDatabazovaTabulka};
    EXPECT_TRUE(JeInstalovatelna(vsude, 0, "Demo", "demo"));
    EXPECT_TRUE(JeInstalovatelna(vsude, 1, "Demo", "Demo"));
    EXPECT_FALSE(JeInstalovatelna(vsude, 0, "Demo", "Archiv"));
    EXPECT_FALSE(JeInstalovatelna(slovenska, 0, "Demo", "Demo"));
    EXPECT_TRUE(JeInstalovatelna(slovenska, 1, "Demo", "Demo"));
    EXPECT_FALSE(JeInstalovatelna(jinde, 0, "Demo", "Demo"));
    EXPECT_TRUE(JeInstalovatelna(jinde, 0, "Demo", "ARCHIV"));
    EXPECT_FALSE(JeInstalovatelna(docasna, 0, "Demo", "Demo"));
    EXPECT_FALSE(JeInstalovatelna(neniTabulka, 0, "Demo", "Demo"));
    for (int i = 1; i <= 16; ++i)
        EXPECT_TRUE(
            JeInstalovatelna(*EfektivniSchema().Tabulka(static_cast<TplgTabulka>(i)), 1, "Demo", "Demo"));

    constexpr TplgLegislativy obe{0, 1};
    EXPECT_TRUE(obe.Plati(0) && obe.Plati(1) && !obe.Plati(2));
    EXPECT_FALSE(obe.Obsahuje(-1));
    EXPECT_FALSE(obe.Obsahuje(300));
    EXPECT_TRUE(TplgLegislativy{}.Plati(7));
    EXPECT_TRUE(TplgLegislativy{200}.Obsahuje(200));
}

} // namespace
} // namespace plugin
