// How stored expressions and module texts are compared with the definitions.

#include "plugin/install/porovnani.h"

#include <gtest/gtest.h>

namespace plugin {
namespace {

constexpr std::uint32_t kVerze8 = 0x08000000u;  // SQL Server 2000
constexpr std::uint32_t kVerze10 = 0x0A320000u; // SQL Server 2008 R2

TEST(Porovnani, DefaultsAsTheServerStoresThem) {
    struct TPripad {
        const char* katalog;
        const char* definice;
        std::uint32_t verze;
        bool stejne;
    };
    const TPripad pripady[] = {
        {"((0))", "0", kVerze10, true},
        {"((0))", "0", kVerze8, false}, // below version 9 the texts are compared as they are
        {"(0)", "0", kVerze8, true},
        {"(getdate())", "GETDATE()", kVerze10, true},
        {"(getdate())", "GETDATE()", kVerze8, true},
        {"(suser_sname())", "SUSER_SNAME()", kVerze10, true},
        {"('')", "''", kVerze10, true},
        {"((5))", "0", kVerze10, false},
        {"((0.0))", "0.0", kVerze10, true},
        {"(N'x')", "N'x'", kVerze10, true},
        {"(N'x')", "N'y'", kVerze10, false},
    };
    for (const auto& p : pripady) {
        SCOPED_TRACE(std::string(p.katalog) + " / " + p.definice);
        EXPECT_EQ(StejnyDefault(p.katalog, p.definice, p.verze), p.stejne);
    }
}

TEST(Porovnani, ComputedColumnsLoseTheConversionStyleFromVersion9) {
    const auto katalog = "((isnull([Kod],'')+'-')+CONVERT([nvarchar](3),[Stav],0))";
    EXPECT_TRUE(StejnyVyraz(katalog, "ISNULL(Kod, '') + '-' + CONVERT(NVARCHAR(3), Stav)", kVerze10));
    EXPECT_FALSE(StejnyVyraz(katalog, "ISNULL(Kod, '') + '+' + CONVERT(NVARCHAR(3), Stav)", kVerze10));
    EXPECT_TRUE(StejnyVyraz("([Castka]*(2))", "Castka * 2", kVerze10));
    EXPECT_FALSE(StejnyVyraz("([Castka]*(2))", "Castka * 2", kVerze8));
}

TEST(Porovnani, ChecksAsTheServerStoresThem) {
    struct TPripad {
        const char* nazev;
        const char* katalog;
        const char* definice;
        std::uint32_t verze;
        bool stejne;
    };
    const TPripad pripady[] = {
        {"IN list", "([Kod]='a' OR [Kod]='b')", "Kod IN ('a', 'b')", kVerze10, true},
        {"IN list in another order", "([Kod]='b' OR [Kod]='a')", "Kod IN('a','b')", kVerze10, true},
        {"IN list with a value more", "([Kod]='a' OR [Kod]='b')", "Kod IN ('a', 'b', 'c')", kVerze10, false},
        {"IN list with another value", "([Kod]='a' OR [Kod]='c')", "Kod IN ('a', 'b')", kVerze10, false},
        {"IN list of numbers", "([Stav]=(1) OR [Stav]=(2))", "Stav IN (1, 2)", kVerze10, true},
        {"IN list below version 9", "([Kod] = 'a' OR [Kod] = 'b')", "Kod IN ('a', 'b')", kVerze8, true},
        {"IN list in the other version's form", "([Kod] = 'a' OR [Kod] = 'b')", "Kod IN ('a', 'b')", kVerze10,
         false},
        {"IN value with a comma", "([Kod]='a,b' OR [Kod]='c')", "Kod IN ('a,b', 'c')", kVerze10, true},
        {"BETWEEN", "([Stav]>=(1) AND [Stav]<=(4))", "Stav BETWEEN 1 AND 4", kVerze10, true},
        {"BETWEEN other bounds", "([Stav]>=(1) AND [Stav]<=(5))", "Stav BETWEEN 1 AND 4", kVerze10, false},
        {"comparison", "([Castka]>=(0))", "Castka >= 0", kVerze10, true},
        {"comparison changed", "([Castka]>(0))", "Castka >= 0", kVerze10, false},
        {"expression without the column", "([Castka]>=(0))", ">= 0", kVerze10, true},
    };
    for (const auto& p : pripady) {
        SCOPED_TRACE(p.nazev);
        const std::string definice = p.definice;
        const auto sloupec = definice.substr(0, definice.find_first_of(" >"));
        EXPECT_EQ(StejnyCheck(p.katalog, p.definice, sloupec.empty() ? "Castka" : sloupec, p.verze),
                  p.stejne);
    }
}

TEST(Porovnani, ModuleTextsFromCreateWithoutTrailingBlanks) {
    EXPECT_EQ(OdCreate("-- comment\r\ncreate trigger x"), "create trigger x");
    EXPECT_EQ(OdCreate("no keyword"), "no keyword");
    EXPECT_TRUE(StejnyText("CREATE PROC a AS SELECT 1\r\n  \n", "CREATE PROC a AS SELECT 1"));
    EXPECT_FALSE(StejnyText("CREATE PROC a AS SELECT 1", "CREATE PROC a AS SELECT 2"));
    EXPECT_FALSE(StejnyText("  CREATE PROC a", "CREATE PROC a"));
}

TEST(Porovnani, NamesReadFromTriggerTexts) {
    auto jmeno = JmenoTriggeru("CREATE TRIGGER [dbo].[et_TabZeme_QUELTA] ON [dbo].[TabZeme] FOR DELETE AS");
    EXPECT_EQ(jmeno.Jmeno, "dbo.et_TabZeme_QUELTA");
    EXPECT_EQ(jmeno.Tabulka, "dbo.TabZeme");
    jmeno = JmenoTriggeru("create trigger et_TabX_QUELTA\r\non TabX\r\nfor insert as select 1");
    EXPECT_EQ(jmeno.Jmeno, "et_TabX_QUELTA");
    EXPECT_EQ(jmeno.Tabulka, "TabX");
    // "ON" inside a name is not the keyword.
    jmeno = JmenoTriggeru("CREATE TRIGGER et_ONE ON TabONE FOR DELETE AS SELECT 1");
    EXPECT_EQ(jmeno.Jmeno, "et_ONE");
    EXPECT_EQ(jmeno.Tabulka, "TabONE");
    EXPECT_EQ(JmenoTriggeru("SELECT 1").Jmeno, "");
}

TEST(Porovnani, NamesReadFromProcedureAndFunctionTexts) {
    struct TPripad {
        const char* text;
        bool funkce;
        const char* jmeno;
        const char* objekt;
        const char* upravenyText;
    };
    const TPripad pripady[] = {
        {"CREATE PROCEDURE _HP_QUELTA_X @a INT AS SELECT 1", false, "DBO._HP_QUELTA_X", "_HP_QUELTA_X",
         "CREATE PROCEDURE dbo._HP_QUELTA_X @a INT AS SELECT 1"},
        {"create proc [dbo].[_HP_QUELTA_Y]\r\nAS SELECT 1", false, "DBO._HP_QUELTA_Y", "_HP_QUELTA_Y",
         "create proc [dbo].[_HP_QUELTA_Y]\r\nAS SELECT 1"},
        {"-- note\r\nCREATE PROC dbo.hpx_Quelta_Z(@a INT) AS SELECT 1", false, "DBO.HPX_QUELTA_Z",
         "hpx_Quelta_Z", "CREATE PROC dbo.hpx_Quelta_Z(@a INT) AS SELECT 1"},
        {"CREATE FUNCTION fn_Quelta(@a INT) RETURNS INT AS BEGIN RETURN 1 END", true, "DBO.FN_QUELTA",
         "fn_Quelta", "CREATE FUNCTION dbo.fn_Quelta(@a INT) RETURNS INT AS BEGIN RETURN 1 END"},
        {"SELECT 1", false, "", "", "SELECT 1"},
    };
    for (const auto& p : pripady) {
        SCOPED_TRACE(p.text);
        const auto modul = JmenoModulu(p.text, p.funkce);
        EXPECT_EQ(modul.Jmeno, p.jmeno);
        EXPECT_EQ(modul.Objekt, p.objekt);
        EXPECT_EQ(modul.Text, p.upravenyText);
    }
}

} // namespace
} // namespace plugin
