// A database that drifted from the definitions is repaired by a second installation: after the
// repair its catalog equals the one a fresh installation makes, and a third installation finds
// nothing to change. The drifts use a test schema with every kind of object the checker compares.

#include "hostitel.h"
#include "testovaci_schema.h"

#include <gtest/gtest.h>

namespace plugin::testing {
namespace {

//! Rows in both tables, so that every repair happens on filled tables.
constexpr const char* kRadky =
    "INSERT INTO TabQUELTATestA (Cislo, Kod, Priorita, Castka, Termin) "
    "VALUES (1, 'a', 1, 10, '20130101')\r"
    "INSERT INTO TabQUELTATestA (Cislo, Kod, Priorita, Castka, Termin) "
    "VALUES (2, 'b', 2, NULL, '20130102')\r"
    "INSERT INTO TabQUELTATestB (ID, IDA, Kod) SELECT 1, MIN(ID), N'x' FROM TabQUELTATestA";

std::string Joined(const std::vector<std::string>& texty) {
    std::string vysledek;
    for (const auto& text : texty)
        vysledek += text + "\r====\r";
    return vysledek;
}

//! A host with the test schema freshly installed and rows in its tables.
void Nainstaluj(THostitel& hostitel) {
    const auto beh = hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu());
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Hotovo) << beh.Vysledek.Text;
    hostitel.Proved(kRadky);
}

const std::string& KatalogCerstveInstalace() {
    static const std::string katalog = [] {
        THostitel hostitel;
        Nainstaluj(hostitel);
        return hostitel.Katalog(TabulkyTestu());
    }();
    return katalog;
}

TEST(Drift, FirstInstallationOfTheTestSchemaNeedsNothingMore) {
    THostitel hostitel;
    const auto prvni = hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu());
    ASSERT_EQ(prvni.Vysledek.Konec, TKonecInstalace::Hotovo) << prvni.Vysledek.Text;
    // The tables; then the foreign key, the triggers and the indexes; then the procedure.
    ASSERT_EQ(prvni.Dialogy.size(), 3u) << Joined(prvni.Dialogy);
    EXPECT_NE(prvni.Dialogy[1].find("ALTER TABLE TabQUELTATestB ADD CONSTRAINT FK__TabQUELTATestB__IDA"),
              std::string::npos);
    EXPECT_NE(prvni.Dialogy[1].find("CREATE TRIGGER et_TabZeme_QUELTA"), std::string::npos);
    EXPECT_NE(prvni.Dialogy[2].find("GRANT ALL ON dbo._HP_QUELTA_Test TO PUBLIC"), std::string::npos);
    hostitel.Proved(kRadky);
    const auto druha = hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu());
    EXPECT_EQ(druha.Vysledek.Konec, TKonecInstalace::Hotovo);
    EXPECT_TRUE(druha.Dialogy.empty()) << Joined(druha.Dialogy);
    // The triggers work: the table's own on insert, the one on the host table on delete.
    EXPECT_EQ(hostitel.Hodnota("SELECT Poznamka FROM TabQUELTATestA WHERE Cislo = 1"), "novy");
}

TEST(Drift, ReinstallationRepairsEveryKindOfDrift) {
    struct TPripad {
        const char* nazev;
        std::vector<const char*> zmeny; // batches, in order
        std::vector<const char*> vysvetleni;
    };
    const TPripad pripady[] = {
        {"extra column",
         {"ALTER TABLE TabQUELTATestA ADD Navic INT NULL"},
         {"Atribut tohoto názvu v tabulce přebývá"}},
        {"extra column with its default",
         {"ALTER TABLE TabQUELTATestA ADD Navic INT NOT NULL CONSTRAINT DF__TabQUELTATestA__Navic DEFAULT 0"},
         {"Atribut tohoto názvu v tabulce přebývá", "Omezení tohoto názvu v databázi přebývá"}},
        {"missing column",
         {"ALTER TABLE TabQUELTATestA DROP COLUMN Poznamka"},
         {"Atribut tohoto názvu v tabulce chybí"}},
        {"type changed",
         {"ALTER TABLE TabQUELTATestA ALTER COLUMN Poznamka NVARCHAR(10) NULL"},
         {"NVARCHAR(10) NULL -> NVARCHAR(20) NULL"}},
        {"NOT NULL SMALLINT missing in a filled table",
         {"ALTER TABLE TabQUELTATestA DROP COLUMN Priorita"},
         {"DF__TabQUELTATestA__Priorita__TarvikPom DEFAULT 0"}},
        {"default dropped",
         {"ALTER TABLE TabQUELTATestA DROP CONSTRAINT DF__TabQUELTATestA__Stav"},
         {"Omezení tohoto názvu v databázi chybí"}},
        {"default changed",
         {"ALTER TABLE TabQUELTATestA DROP CONSTRAINT DF__TabQUELTATestA__Stav\r"
          "ALTER TABLE TabQUELTATestA ADD CONSTRAINT DF__TabQUELTATestA__Stav DEFAULT 5 FOR Stav"},
         {"Omezení tohoto názvu se v databázi změnilo"}},
        {"IN check changed",
         {"ALTER TABLE TabQUELTATestA DROP CONSTRAINT CK__TabQUELTATestA__Kod\r"
          "ALTER TABLE TabQUELTATestA ADD CONSTRAINT CK__TabQUELTATestA__Kod CHECK (Kod IN ('a', 'b', 'c'))"},
         {"Omezení tohoto názvu se v databázi změnilo"}},
        {"BETWEEN check dropped",
         {"ALTER TABLE TabQUELTATestA DROP CONSTRAINT CK__TabQUELTATestA__Stav"},
         {"Omezení tohoto názvu v databázi chybí"}},
        {"check disabled",
         {"ALTER TABLE TabQUELTATestA NOCHECK CONSTRAINT CK__TabQUELTATestA__Castka"},
         {"WITH CHECK CHECK CONSTRAINT CK__TabQUELTATestA__Castka"}},
        {"unique key missing",
         {"ALTER TABLE TabQUELTATestA DROP CONSTRAINT UQ__TabQUELTATestA__Cislo"},
         {"ADD CONSTRAINT UQ__TabQUELTATestA__Cislo UNIQUE (Cislo)"}},
        {"foreign key missing",
         {"ALTER TABLE TabQUELTATestB DROP CONSTRAINT FK__TabQUELTATestB__IDA"},
         {"ADD CONSTRAINT FK__TabQUELTATestB__IDA FOREIGN KEY (IDA) REFERENCES TabQUELTATestA (ID)"}},
        {"foreign key disabled",
         {"ALTER TABLE TabQUELTATestB NOCHECK CONSTRAINT FK__TabQUELTATestB__IDA"},
         {"WITH CHECK CHECK CONSTRAINT FK__TabQUELTATestB__IDA"}},
        {"trigger disabled",
         {"ALTER TABLE TabQUELTATestA DISABLE TRIGGER tr_TabQUELTATestA"},
         {"Trigger je v databázi vypnut"}},
        {"trigger missing", {"DROP TRIGGER tr_TabQUELTATestA"}, {"Trigger v databázi chybí"}},
        {"trigger changed",
         {"ALTER TRIGGER tr_TabQUELTATestA ON TabQUELTATestA FOR INSERT AS\r\nSELECT 1"},
         {"Trigger v databázi se změnil", "ALTER TRIGGER tr_TabQUELTATestA ON TabQUELTATestA"}},
        {"customer trigger on a plug-in table",
         {"CREATE TRIGGER zakaznik_TestA ON TabQUELTATestA FOR DELETE AS\r\nSELECT 1"},
         {"Trigger v databázi přebývá", "DROP TRIGGER zakaznik_TestA"}},
        {"trigger on a host table missing",
         {"DROP TRIGGER et_TabZeme_QUELTA"},
         {"CREATE TRIGGER et_TabZeme_QUELTA"}},
        {"procedure changed",
         {"ALTER PROCEDURE dbo._HP_QUELTA_Test @a INT\r\nAS\r\nSELECT @a AS Vysledek\r\n"},
         {"Uložená procedura se změnila", "ALTER PROCEDURE dbo._HP_QUELTA_Test @a INT"}},
        {"procedure missing",
         {"DROP PROCEDURE dbo._HP_QUELTA_Test"},
         {"Uložená procedura tohoto názvu v databázi chybí", "GRANT ALL ON dbo._HP_QUELTA_Test TO PUBLIC"}},
        {"index renamed",
         {"EXEC sp_rename 'TabQUELTATestB.IX__TabQUELTATestB__IDA', 'IX_Jine', 'INDEX'"},
         {"Index je v databázi přejmenován"}},
        {"index changed",
         {"DROP INDEX TabQUELTATestB.IC__TabQUELTATestB__Kod\r"
          "CREATE NONCLUSTERED INDEX IC__TabQUELTATestB__Kod ON TabQUELTATestB (Kod)"},
         {"Index se v databázi změnil"}},
        {"index missing", {"DROP INDEX TabQUELTATestB.IX__TabQUELTATestB__IDA"}, {"Index v databázi chybí"}},
        {"computed column changed",
         {"ALTER TABLE TabQUELTATestA DROP COLUMN Dvojnasobek\rALTER TABLE TabQUELTATestA ADD Dvojnasobek AS "
          "Castka * 3"},
         {"Změna počítaného atributu Dvojnasobek -> Dvojnasobek (smazání)"}},
        {"computed column stored",
         {"ALTER TABLE TabQUELTATestA DROP COLUMN Dvojnasobek\r"
          "ALTER TABLE TabQUELTATestA ADD Dvojnasobek NUMERIC(19,2) NULL"},
         {"Změna počítaného atributu Dvojnasobek -> Dvojnasobek (přidání)"}},
        {"table missing",
         {"DROP TABLE TabQUELTATestB"},
         {"Tabulka v databázi chybí", "Index v databázi chybí"}},
    };
    for (const auto& pripad : pripady) {
        SCOPED_TRACE(pripad.nazev);
        THostitel hostitel;
        Nainstaluj(hostitel);
        const auto procedura = hostitel.Hodnota("SELECT OBJECT_ID('dbo._HP_QUELTA_Test')");
        for (const auto* zmena : pripad.zmeny)
            hostitel.Proved(zmena);
        const auto oprava = hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu());
        ASSERT_EQ(oprava.Vysledek.Konec, TKonecInstalace::Hotovo) << oprava.Vysledek.Text;
        const auto dialogy = Joined(oprava.Dialogy);
        for (const auto* vysvetleni : pripad.vysvetleni)
            EXPECT_NE(dialogy.find(vysvetleni), std::string::npos) << vysvetleni << "\r" << dialogy;
        EXPECT_EQ(hostitel.Katalog(TabulkyTestu()), KatalogCerstveInstalace());
        const auto znovu = hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu());
        EXPECT_TRUE(znovu.Dialogy.empty()) << Joined(znovu.Dialogy);
        // A changed procedure is altered, not dropped and made again.
        if (std::string(pripad.nazev) == "procedure changed") {
            EXPECT_EQ(hostitel.Hodnota("SELECT OBJECT_ID('dbo._HP_QUELTA_Test')"), procedura);
        }
    }
}

TEST(Drift, MixedDriftIsExplainedAndRepairedInThisOrder) {
    THostitel hostitel;
    Nainstaluj(hostitel);
    hostitel.Proved(
        "ALTER TABLE TabQUELTATestA ADD Navic INT NOT NULL CONSTRAINT DF__TabQUELTATestA__Navic DEFAULT 0\r"
        "ALTER TABLE TabQUELTATestA DROP COLUMN Dvojnasobek\r"
        "ALTER TABLE TabQUELTATestA ADD Dvojnasobek AS Castka * 3\r"
        "ALTER TABLE TabQUELTATestA DROP COLUMN Priorita\r"
        "ALTER TABLE TabQUELTATestA ALTER COLUMN Poznamka NVARCHAR(10) NULL\r"
        "ALTER TABLE TabQUELTATestA DROP CONSTRAINT CK__TabQUELTATestA__Kod\r"
        "ALTER TABLE TabQUELTATestA ADD CONSTRAINT CK__TabQUELTATestA__Kod CHECK (Kod IN ('a', 'b', 'c'))\r"
        "ALTER TABLE TabQUELTATestB NOCHECK CONSTRAINT FK__TabQUELTATestB__IDA\r"
        "EXEC sp_rename 'TabQUELTATestB.IX__TabQUELTATestB__IDA', 'IX_Jine', 'INDEX'");
    hostitel.Proved("CREATE TRIGGER zakaznik_TestA ON TabQUELTATestA FOR DELETE AS\r\nSELECT 1");
    hostitel.Proved("ALTER TRIGGER tr_TabQUELTATestA ON TabQUELTATestA FOR INSERT AS\r\nSELECT 1");
    hostitel.Proved("ALTER PROCEDURE dbo._HP_QUELTA_Test @a INT\r\nAS\r\nSELECT @a AS Vysledek\r\n");
    const auto beh = hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu());
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Hotovo) << beh.Vysledek.Text;
    // Drops first: the computed column at the very start; then, latest found first, the
    // customer's trigger, the default of the extra column and the column; then the changes and
    // additions; the computed column and the trigger's new text at the end.
    const std::string zahlavi = "Byla detekována změna struktury.\r2.0.2012.0719\r\r! PluginQuelta\r";
    const std::string triggerA =
        "tr_TabQUELTATestA ON TabQUELTATestA FOR INSERT AS\r\n"
        "UPDATE TabQUELTATestA SET Poznamka = N'novy' WHERE ID IN (SELECT ID FROM inserted) "
        "AND Poznamka IS NULL\r\n";
    EXPECT_EQ(
        Joined(beh.Dialogy),
        zahlavi +
            "  TabQUELTATestA\r"
            "    Navic\r"
            "      Atribut tohoto názvu v tabulce přebývá\r"
            "    Poznamka\r"
            "      NVARCHAR(10) NULL -> NVARCHAR(20) NULL\r"
            "    Dvojnasobek\r"
            "      Změna počítaného atributu Dvojnasobek -> Dvojnasobek (smazání)\r"
            "      Změna počítaného atributu Dvojnasobek -> Dvojnasobek (přidání)\r"
            "    Priorita\r"
            "      Atribut tohoto názvu v tabulce chybí\r"
            "    CK__TabQUELTATestA__Kod\r"
            "      Omezení tohoto názvu se v databázi změnilo\r"
            "    DF__TabQUELTATestA__Navic\r"
            "      Omezení tohoto názvu v databázi přebývá\r"
            "    tr_TabQUELTATestA\r"
            "      Trigger v databázi se změnil\r"
            "    zakaznik_TestA\r"
            "      Trigger v databázi přebývá\r"
            "  TabQUELTATestB\r"
            "    FK__TabQUELTATestB__IDA\r"
            "      Omezení je v databází vypnuto\r"
            "    IX__TabQUELTATestB__IDA\r"
            "      Index je v databázi přejmenován\r"
            "\r-- 1\rALTER TABLE TabQUELTATestA DROP COLUMN Dvojnasobek\r"
            "\r-- 2\rDROP TRIGGER zakaznik_TestA\r"
            "\r-- 3\rALTER TABLE TabQUELTATestA DROP CONSTRAINT DF__TabQUELTATestA__Navic\r"
            "\r-- 4\rALTER TABLE TabQUELTATestA DROP COLUMN Navic\r"
            "\r-- 5\rALTER TABLE TabQUELTATestA ALTER COLUMN Poznamka NVARCHAR(20) NULL\r"
            "\r-- 6\rALTER TABLE TabQUELTATestA ADD Priorita SMALLINT NOT NULL CONSTRAINT "
            "DF__TabQUELTATestA__Priorita__TarvikPom DEFAULT 0\r"
            "ALTER TABLE TabQUELTATestA DROP CONSTRAINT DF__TabQUELTATestA__Priorita__TarvikPom\r"
            "\r-- 7\rALTER TABLE TabQUELTATestA DROP CONSTRAINT CK__TabQUELTATestA__Kod \r"
            "ALTER TABLE TabQUELTATestA ADD CONSTRAINT CK__TabQUELTATestA__Kod CHECK (Kod IN ('a', 'b'))\r"
            "\r-- 8\rALTER TABLE TabQUELTATestB WITH CHECK CHECK CONSTRAINT FK__TabQUELTATestB__IDA\r"
            "\r-- 9\rEXEC sp_rename N'TabQUELTATestB.IX_Jine', N'IX__TabQUELTATestB__IDA', 'INDEX' \r"
            "\r-- 10\rALTER TABLE TabQUELTATestA ADD Dvojnasobek AS Castka * 2\r"
            "\r-- 11\rALTER TRIGGER " +
            triggerA + "\r\r====\r" + zahlavi +
            "  dbo._HP_QUELTA_Test\r"
            "    Uložená procedura se změnila\r"
            "\r-- 1\rALTER PROCEDURE dbo._HP_QUELTA_Test @a INT\r\nAS\r\nSELECT @a + 1 AS Vysledek\r\n\r"
            "\r====\r");
    EXPECT_EQ(hostitel.Katalog(TabulkyTestu()), KatalogCerstveInstalace());
}

TEST(Drift, RowsSurviveTheRepairAndTakeTheTemporaryDefault) {
    THostitel hostitel;
    Nainstaluj(hostitel);
    hostitel.Proved("ALTER TABLE TabQUELTATestA DROP COLUMN Priorita");
    ASSERT_EQ(hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu()).Vysledek.Konec, TKonecInstalace::Hotovo);
    EXPECT_EQ(hostitel.Sloupec("SELECT CAST(Cislo AS NVARCHAR(5)) + ':' + CAST(Priorita AS NVARCHAR(5)) "
                               "FROM TabQUELTATestA ORDER BY Cislo"),
              (std::vector<std::string>{"1:0", "2:0"}));
    EXPECT_EQ(hostitel.Hodnota("SELECT COUNT(*) FROM sysobjects WHERE name LIKE '%TarvikPom'"), "0");
}

TEST(Drift, ProcedureNoLongerDefinedStays) {
    THostitel hostitel;
    Nainstaluj(hostitel);
    hostitel.Proved("CREATE PROCEDURE dbo._HP_QUELTA_Stara AS SELECT 1");
    const auto beh = hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu());
    EXPECT_EQ(beh.Vysledek.Konec, TKonecInstalace::Hotovo);
    EXPECT_TRUE(beh.Dialogy.empty()) << Joined(beh.Dialogy);
    EXPECT_NE(hostitel.Hodnota("SELECT OBJECT_ID('dbo._HP_QUELTA_Stara')"), "NULL");
}

} // namespace
} // namespace plugin::testing
