// The schema checker on catalog rows made up by the tests: what each difference becomes, where
// its statement goes, and how it is explained.

#include "plugin/install/kontrola_schematu.h"

#include "testovaci_schema.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plugin {
namespace {

using testing::TestovaciSchema;
using testing::tTestA;
using testing::tTestB;

constexpr std::uint32_t kVerze10 = 0x0A320000u;

std::vector<std::string> Texty(const Tx& kontrola) {
    std::vector<std::string> texty;
    for (const auto& prikaz : kontrola.Skript().Prikazy())
        texty.push_back(prikaz.Text);
    return texty;
}

//! "table/object/explanation" of every explained statement, in tree order.
std::vector<std::string> Vysvetleni(const TplgVysvetleni& strom) {
    std::vector<std::string> radky;
    for (const auto& tabulka : strom.Deti)
        for (const auto& objekt : tabulka.Deti)
            for (const auto& zprava : objekt.Deti)
                radky.push_back(tabulka.Text + "/" + objekt.Text + "/" + zprava.Text +
                                (zprava.Prikazy.empty() ? " (no statement)" : "") +
                                (zprava.Varovani ? " (!)" : ""));
    return radky;
}

TplgKatalogSloupec Sloupec(std::string jmeno, std::string typ, int delka, bool nullable,
                           bool identity = false) {
    return {.Tabulka = "TabQUELTATestA",
            .Jmeno = std::move(jmeno),
            .Typ = std::move(typ),
            .Identity = identity,
            .Nullable = nullable,
            .Delka = delka,
            .Presnost = delka,
            .Meritko = 0,
            .Pocitany = false,
            .Vyraz = {}};
}

//! Table A as a fresh installation leaves it, without the columns named.
std::vector<TplgKatalogSloupec> SloupceA(std::initializer_list<std::string_view> bez = {}) {
    std::vector<TplgKatalogSloupec> sloupce = {
        Sloupec("ID", "int", 10, false, true),
        Sloupec("Cislo", "int", 10, false),
        Sloupec("Kod", "nvarchar", 3, false),
        Sloupec("Stav", "smallint", 5, false),
        {.Tabulka = "TabQUELTATestA",
         .Jmeno = "Castka",
         .Typ = "numeric",
         .Nullable = true,
         .Delka = 19,
         .Presnost = 19,
         .Meritko = 2,
         .Pocitany = false,
         .Vyraz = {}},
        Sloupec("Priorita", "smallint", 5, false),
        Sloupec("Poznamka", "nvarchar", 20, true),
        Sloupec("Termin", "datetime", 23, false),
        Sloupec("Autor", "nvarchar", 128, false),
        Sloupec("DatPorizeni", "datetime", 23, false),
        Sloupec("Zmenil", "nvarchar", 128, true),
        Sloupec("DatZmeny", "datetime", 23, true),
        Sloupec("BlokovaniEditoru", "smallint", 5, true),
        {.Tabulka = "TabQUELTATestA",
         .Jmeno = "Dvojnasobek",
         .Typ = "numeric",
         .Nullable = true,
         .Delka = 30,
         .Presnost = 30,
         .Meritko = 2,
         .Pocitany = true,
         .Vyraz = "([Castka]*(2))"},
    };
    std::erase_if(sloupce, [&](const TplgKatalogSloupec& s) {
        return std::find(bez.begin(), bez.end(), s.Jmeno) != bez.end();
    });
    return sloupce;
}

void Kontroluj(Tx& kontrola, const std::vector<TplgKatalogSloupec>& sloupce) {
    kontrola.SetTabulka(tTestA);
    for (const auto& sloupec : sloupce)
        kontrola.Kontrola(sloupec);
    kontrola.SetTabulka(tZadna);
}

TEST(Tx, ColumnsAsAFreshInstallationLeavesThemNeedNothing) {
    Tx kontrola(TestovaciSchema(), kVerze10);
    kontrola.NastavTabulky({tTestA, tTestB});
    Kontroluj(kontrola, SloupceA());
    EXPECT_TRUE(kontrola.Skript().Prazdny()) << ::testing::PrintToString(Texty(kontrola));
}

TEST(Tx, ColumnDifferencesBecomeStatementsInTheirSections) {
    Tx kontrola(TestovaciSchema(), kVerze10);
    kontrola.NastavTabulky({tTestA, tTestB});
    auto sloupce = SloupceA({"Priorita", "Termin", "Kod"});
    sloupce.push_back(Sloupec("Navic", "int", 10, true));
    for (auto& s : sloupce) {
        if (s.Jmeno == "Poznamka") s.Delka = s.Presnost = 10;
        if (s.Jmeno == "Dvojnasobek") s.Vyraz = "([Castka]*(3))";
    }
    Kontroluj(kontrola, sloupce);
    EXPECT_EQ(
        Texty(kontrola),
        (std::vector<std::string>{
            "ALTER TABLE TabQUELTATestA DROP COLUMN Dvojnasobek",
            "ALTER TABLE TabQUELTATestA DROP COLUMN Navic",
            "ALTER TABLE TabQUELTATestA ALTER COLUMN Poznamka NVARCHAR(20) NULL",
            "ALTER TABLE TabQUELTATestA ADD Kod NVARCHAR(3) NOT NULL CONSTRAINT DF__TabQUELTATestA__Kod "
            "DEFAULT 'a'",
            "ALTER TABLE TabQUELTATestA ADD Priorita SMALLINT NOT NULL CONSTRAINT "
            "DF__TabQUELTATestA__Priorita__TarvikPom DEFAULT 0\r"
            "ALTER TABLE TabQUELTATestA DROP CONSTRAINT DF__TabQUELTATestA__Priorita__TarvikPom",
            "ALTER TABLE TabQUELTATestA ADD Termin DATETIME NOT NULL",
            "ALTER TABLE TabQUELTATestA ADD Dvojnasobek AS Castka * 2",
        }));
    EXPECT_EQ(Vysvetleni(kontrola.SL_Tab()),
              (std::vector<std::string>{
                  "TabQUELTATestA/Poznamka/NVARCHAR(10) NULL -> NVARCHAR(20) NULL",
                  "TabQUELTATestA/Dvojnasobek/Změna počítaného atributu Dvojnasobek -> Dvojnasobek (smazání)",
                  "TabQUELTATestA/Dvojnasobek/Změna počítaného atributu Dvojnasobek -> Dvojnasobek (přidání)",
                  "TabQUELTATestA/Navic/Atribut tohoto názvu v tabulce přebývá",
                  "TabQUELTATestA/Kod/Atribut tohoto názvu v tabulce chybí",
                  "TabQUELTATestA/Priorita/Atribut tohoto názvu v tabulce chybí",
                  "TabQUELTATestA/Termin/Atribut tohoto názvu v tabulce chybí: DATETIME NOT NULL (!)",
              }));

    // The default that came with the added column is not missing.
    kontrola.KontrolujDefaultyChecky({
        {"DF__TabQUELTATestA__Stav", "TabQUELTATestA", "((0))", false},
        {"DF__TabQUELTATestA__Autor", "TabQUELTATestA", "(suser_sname())", false},
        {"DF__TabQUELTATestA__DatPorizeni", "TabQUELTATestA", "(getdate())", false},
        {"CK__TabQUELTATestA__Stav", "TabQUELTATestA", "([Stav]>=(0) AND [Stav]<=(4))", false},
        {"CK__TabQUELTATestA__Castka", "TabQUELTATestA", "([Castka]>=(0))", false},
        {"DF__TabQUELTATestB__Kod", "TabQUELTATestB", "('')", false},
    });
    EXPECT_EQ(Texty(kontrola).back(), "ALTER TABLE TabQUELTATestA ADD Dvojnasobek AS Castka * 2");
    EXPECT_EQ(Vysvetleni(kontrola.SL_Tab()).back(),
              "TabQUELTATestA/CK__TabQUELTATestA__Kod/Omezení tohoto názvu v databázi chybí");
}

TEST(Tx, SuperfluousConstraintsAreDroppedAtTheEndOfTheHead) {
    Tx kontrola(TestovaciSchema(), kVerze10);
    kontrola.NastavTabulky({tTestA, tTestB});
    kontrola.KontrolujOmezeni_PK_UQ({
        {"PK__TabQUELTATestA__ID", "TabQUELTATestA"},
        {"UQ__TabQUELTATestA__Kod", "TabQUELTATestA"},
        {"UQ__Ztracena__Kod", ""},
    });
    EXPECT_EQ(Texty(kontrola),
              (std::vector<std::string>{
                  "ALTER TABLE TabQUELTATestA DROP CONSTRAINT UQ__TabQUELTATestA__Kod",
                  "ALTER TABLE TabQUELTATestA ADD CONSTRAINT UQ__TabQUELTATestA__Cislo UNIQUE (Cislo)",
              }));
    EXPECT_EQ(Vysvetleni(kontrola.SL_Tab()),
              (std::vector<std::string>{
                  "TabQUELTATestA/UQ__TabQUELTATestA__Cislo/Omezení tohoto názvu v databázi chybí",
                  "TabQUELTATestA/UQ__TabQUELTATestA__Kod/Omezení tohoto názvu v databázi přebývá",
                  "?????"
                  "?/UQ__Ztracena__Kod/Omezení tohoto názvu v databázi přebývá (no statement)",
              }));
}

TEST(Tx, ForeignKeysMatchByNameTableAndReferencedColumnsInAnyOrder) {
    Tx kontrola(TestovaciSchema(), kVerze10);
    kontrola.NastavTabulky({tTestA, tTestB});
    kontrola.KontrolujOmezeni_FK(
        {{"fk__tabqueltatestb__ida", "TabQUELTATestB", "TabQUELTATestA", "ID", true}});
    EXPECT_EQ(Texty(kontrola),
              (std::vector<std::string>{
                  "ALTER TABLE TabQUELTATestB WITH CHECK CHECK CONSTRAINT FK__TabQUELTATestB__IDA"}));
    Tx jinaTabulka(TestovaciSchema(), kVerze10);
    jinaTabulka.NastavTabulky({tTestA, tTestB});
    jinaTabulka.KontrolujOmezeni_FK(
        {{"FK__TabQUELTATestB__IDA", "TabQUELTATestB", "TabQUELTATestB", "ID", false}});
    EXPECT_EQ(
        Texty(jinaTabulka),
        (std::vector<std::string>{
            "ALTER TABLE TabQUELTATestB DROP CONSTRAINT FK__TabQUELTATestB__IDA",
            "ALTER TABLE TabQUELTATestB ADD CONSTRAINT FK__TabQUELTATestB__IDA FOREIGN KEY (IDA) REFERENCES "
            "TabQUELTATestA (ID)",
        }));
}

TEST(Tx, ChecksInTheFormOfServersBeforeVersion9) {
    Tx kontrola(TestovaciSchema(), 0x08000000u);
    kontrola.NastavTabulky({tTestA});
    kontrola.KontrolujDefaultyChecky({
        {"CK__TabQUELTATestA__Kod", "TabQUELTATestA", "([Kod] = 'a' or [Kod] = 'b')", false},
        {"DF__TabQUELTATestA__Kod", "TabQUELTATestA", "('a')", false},
        {"DF__TabQUELTATestA__Stav", "TabQUELTATestA", "(0)", true},
    });
    // Only what the catalog lacks; a default cannot be disabled, so the flag changes nothing.
    for (const auto& text : Texty(kontrola))
        EXPECT_EQ(text.find("CK__TabQUELTATestA__Kod"), std::string::npos) << text;
}

TEST(Tx, IndexesAreRenamedChangedOrCreated) {
    Tx kontrola(TestovaciSchema(), kVerze10);
    kontrola.NastavTabulky({tTestA, tTestB});
    kontrola.KontrolujIndex({
        {"IX_Stary", "TabQUELTATestB", "IDA", false},
        {"IC__TabQUELTATestB__Kod", "TabQUELTATestB", "Kod", false},
        {"IX_Zakaznika", "TabQUELTATestA", "Poznamka", false},
    });
    EXPECT_EQ(Texty(kontrola),
              (std::vector<std::string>{
                  "DROP INDEX TabQUELTATestB.IC__TabQUELTATestB__Kod CREATE CLUSTERED INDEX "
                  "IC__TabQUELTATestB__Kod "
                  "ON TabQUELTATestB (Kod)",
                  "EXEC sp_rename N'TabQUELTATestB.IX_Stary', N'IX__TabQUELTATestB__IDA', 'INDEX' ",
              }));
    Tx prazdny(TestovaciSchema(), kVerze10);
    prazdny.NastavTabulky({tTestB});
    prazdny.KontrolujIndex({});
    EXPECT_EQ(Vysvetleni(prazdny.SL_Tab()),
              (std::vector<std::string>{"TabQUELTATestB/IC__TabQUELTATestB__Kod/Index v databázi chybí",
                                        "TabQUELTATestB/IX__TabQUELTATestB__IDA/Index v databázi chybí"}));
}

TEST(Tx, FunctionsAreCreatedWithRightsOrAltered) {
    Tx kontrola(TestovaciSchema(), kVerze10);
    kontrola.KontrolujUzivatelskeFunkce({"CREATE FUNCTION dbo.fn_B() RETURNS INT AS BEGIN RETURN 1 END",
                                         "CREATE FUNCTION dbo.fn_Stara() RETURNS INT AS BEGIN RETURN 0 END"},
                                        {"CREATE FUNCTION fn_A() RETURNS INT AS BEGIN RETURN 1 END",
                                         "CREATE FUNCTION fn_B() RETURNS INT AS BEGIN RETURN 2 END"});
    EXPECT_EQ(Texty(kontrola), (std::vector<std::string>{
                                   "CREATE FUNCTION dbo.fn_A() RETURNS INT AS BEGIN RETURN 1 END",
                                   "GRANT ALL ON dbo.fn_A TO PUBLIC",
                                   "ALTER FUNCTION dbo.fn_B() RETURNS INT AS BEGIN RETURN 2 END",
                               }));
    ASSERT_EQ(kontrola.SL_UProc().Deti.size(), 2u);
    EXPECT_EQ(kontrola.SL_UProc().Deti[0].Deti[1].Text, "$PRAVA$Nastavení práv k nové uživatelské funkci");
    EXPECT_EQ(kontrola.SL_UProc().Deti[1].Deti[0].Text, "Uživatelská funkce se změnila");
}

TEST(Tx, StatementsSwitchToTheirDatabaseWhenObjectsLiveInSeveral) {
    Tx kontrola(TestovaciSchema(), kVerze10);
    kontrola.NastavDatabazi("Jina]DB", true);
    kontrola.NastavTabulky({tTestA});
    kontrola.KontrolujOmezeni_PK_UQ({{"PK__TabQUELTATestA__ID", "TabQUELTATestA"}});
    EXPECT_EQ(Texty(kontrola),
              (std::vector<std::string>{"USE [Jina]]DB]\rEXEC(N'ALTER TABLE TabQUELTATestA ADD CONSTRAINT "
                                        "UQ__TabQUELTATestA__Cislo UNIQUE (Cislo)')"}));
    Tx stejna(TestovaciSchema(), kVerze10);
    stejna.NastavDatabazi("Host", false);
    stejna.NastavTabulky({tTestA});
    stejna.KontrolujOmezeni_PK_UQ({{"PK__TabQUELTATestA__ID", "TabQUELTATestA"}});
    EXPECT_EQ(Texty(stejna).front().substr(0, 11), "ALTER TABLE");
}

} // namespace
} // namespace plugin
