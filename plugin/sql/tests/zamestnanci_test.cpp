// Employees from the Portal: stored by _HP_QUELTA_NovyZamestnanecZPortalu as the synchronizer calls
// it, main records copied from the host, changes merged into them, and the transfer into the host.

#include "plugin_host.h"
#include "zamestnanec_z_portalu.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

using plugin::testing::kParametry;
using plugin::testing::NovaZamestnankyne;
using plugin::testing::S;
using plugin::testing::THodnoty;
using plugin::testing::TPluginHost;
using plugin::testing::Volani;

//! The data columns of a staged employee, in one text.
constexpr const char* kData =
    "SELECT ISNULL(CAST(Cislo AS NVARCHAR(10)), N'-') + N'|' + Prijmeni + N'|' + ISNULL(Jmeno, N'-') + N'|' "
    "+ "
    "ISNULL(TitulPred, N'-') + N'|' + ISNULL(CAST(Obdobi AS NVARCHAR(10)), N'-') + N'|' + "
    "ISNULL(RodnePrijmeni, N'-') + N'|' + ISNULL(CAST(Pohlavi AS NVARCHAR(2)), N'-') + N'|' + "
    "ISNULL(CONVERT(NVARCHAR(8), DatumNarozeni, 112), N'-') + N'|' + ISNULL(RodneCislo, N'-') + N'|' + "
    "ISNULL(CAST(RodinnyStav AS NVARCHAR(2)), N'-') + N'|' + ISNULL(AdrTrvUlice, N'-') + N'|' + "
    "ISNULL(AdrTrvMisto, N'-') + N'|' + ISNULL(AdrTrvPSC, N'-') + N'|' + ISNULL(AdrPrechUlice, N'-') + N'|' "
    "+ "
    "ISNULL(AdrPrechPopCislo, N'-') + N'|' + ISNULL(AdrPrechMisto, N'-') + N'|' + ISNULL(Utvar, N'-') + N'|' "
    "+ "
    "SSN + N'|' + CisloOP + N'|' + CisloPasu + N'|' + DrivejsiPrijmeni + N'|' + "
    "ISNULL(CAST(ZakladniPlat AS NVARCHAR(30)), N'-') + N'|' + ISNULL(Email, N'-') + N'|' + "
    "ISNULL(Telefon, N'-') + N'|' + ISNULL(KodUstavu, N'-') + N'|' + ISNULL(NazevBankSpoj, N'-') + N'|' + "
    "ISNULL(CAST(CommitNumber AS NVARCHAR(10)), N'-') + N'|' + CAST(Stav AS NVARCHAR(2)) + N'|' + "
    "CAST(DATALENGTH(Foto) AS NVARCHAR(10)) "
    "FROM TabQUELTAZamPortal ";

TEST(NovyZamestnanecZPortalu, ANewEmployeeGetsAMainAndAChangeRecordWithTheSameValues) {
    TPluginHost host;
    host.exec(Volani(NovaZamestnankyne()));
    const std::string zaznam =
        "-|Nováková-O'Neill|Eva|Ing.|12|Malá|1|19850314|855314/1234|1|Lidická|Brno|602 00"
        "|||-|200||123456789||Malá, Velká,Horká|25000.500000|eva@demo.cz|603111222|0100|"
        "Nováková-O'Neill Eva - peníze na účet|5|0|3";
    EXPECT_EQ(host.rows(std::string(kData) + "ORDER BY ID"), (std::vector<std::string>{zaznam, zaznam}));
    EXPECT_EQ(host.rows("SELECT TypZaznamu FROM TabQUELTAZamPortal ORDER BY ID"),
              (std::vector<std::string>{"2", "1"}));
    EXPECT_EQ(host.value("SELECT Foto FROM TabQUELTAZamPortal WHERE TypZaznamu = 2"), "0x00AB7F");
}

TEST(NovyZamestnanecZPortalu, ValuesLeftOutByThePortal) {
    TPluginHost host;
    host.exec(Volani(S(NovaZamestnankyne(), {{"Cislo", "N''"},
                                             {"Pohlavi", "NULL"},
                                             {"RodinnyStav", "NULL"},
                                             {"AdrTrvUlice", "NULL"},
                                             {"AdrTrvPSC", "NULL"},
                                             {"Obrazek", "0x"}})));
    EXPECT_EQ(
        host.rows("SELECT ISNULL(CAST(Cislo AS NVARCHAR(10)), N'-') + N'|' + ISNULL(CAST(Pohlavi AS "
                  "NVARCHAR(2)), N'-') + N'|' + CAST(RodinnyStav AS NVARCHAR(2)) + N'|[' + AdrTrvUlice + "
                  "N']|' + ISNULL(AdrTrvMisto, N'-') + N'|' + CAST(DATALENGTH(Foto) AS NVARCHAR(10)) "
                  "FROM TabQUELTAZamPortal"),
        (std::vector<std::string>{"-|-|0|[]|-|0", "-|-|0|[]|-|0"}));
}

TEST(NovyZamestnanecZPortalu, ARepeatedDownloadIsMergedIntoThePendingChange) {
    TPluginHost host;
    host.exec(Volani(NovaZamestnankyne()));
    host.exec(Volani(S(NovaZamestnankyne(), {{"Telefon", "N'777000111'"}, {"CommitNumber", "6"}})));
    host.exec(Volani(S(NovaZamestnankyne(), {{"Telefon", "N'777000111'"}, {"CommitNumber", "7"}})));
    EXPECT_EQ(
        host.rows("SELECT CAST(TypZaznamu AS NVARCHAR(1)) + N'|' + Telefon + N'|' + CAST(CommitNumber AS "
                  "NVARCHAR(3)) + N'|' + ISNULL(TitulPred, N'-') FROM TabQUELTAZamPortal ORDER BY ID"),
        (std::vector<std::string>{"2|777000111|7|Ing.", "1|777000111|7|Ing."}));
}

TEST(NovyZamestnanecZPortalu, AKnownEmployeeGetsAMainRecordFromTheHostAndAChangeOfTheDifferences) {
    TPluginHost host;
    // The Portal repeats the host's title, street, postal code and identity card, and changes the
    // phone; employee 101 has no social insurance number in the host.
    const auto text = [&](const char* sloupec) {
        return "N'" + host.value(std::string("SELECT ") + sloupec + " FROM TabCisZam WHERE Cislo = 101") +
               "'";
    };
    THodnoty hodnoty;
    for (const char* p : kParametry)
        hodnoty[p] = "NULL";
    hodnoty = S(hodnoty, {{"Cislo", "101"},
                          {"Prijmeni", text("Prijmeni")},
                          {"Jmeno", text("Jmeno")},
                          {"TitulPred", text("TitulPred")},
                          {"AdrTrvUlice", text("AdrTrvUlice")},
                          {"AdrTrvPSC", text("AdrTrvPSC")},
                          {"CisloOP", text("CisloOP")},
                          {"SSN", "N''"},
                          {"PovoleniKPobytu", "N''"},
                          {"CisloPasu", "N''"},
                          {"DrivejsiPrijmeni", "N''"},
                          {"Telefon", "N'777000111'"},
                          {"PortalID", "7101"},
                          {"CommitNumber", "9"},
                          {"Obrazek", "NULL"}});
    host.exec(Volani(hodnoty));

    // The change holds only the new phone: the repeated values are empty.
    EXPECT_EQ(
        host.value(
            "SELECT ISNULL(TitulPred, N'-') + N'|' + ISNULL(AdrTrvUlice, N'-') + N'|' + "
            "ISNULL(AdrTrvPSC, N'-') + N'|' + ISNULL(AdrTrvMisto, N'-') + N'|[' + CisloOP + N'|' + SSN + "
            "N']|' + Telefon + N'|' + CAST(Cislo AS NVARCHAR(10)) + N'|' + CAST(Stav AS NVARCHAR(1)) "
            "FROM TabQUELTAZamPortal WHERE TypZaznamu = 1"),
        "-|-|-|-|[|]|777000111|101|0");
    // The main record is the host employee with the change merged in.
    EXPECT_EQ(
        host.value(
            "SELECT CAST(p.Cislo AS NVARCHAR(10)) + N'|' + p.Prijmeni + N'|' + p.TitulPred + N'|' + "
            "p.AdrTrvUlice + N'|' + p.AdrTrvMisto + N'|[' + p.SSN + N'|' + p.PovoleniKPobytu + N']|' + "
            "p.CisloOP + N'|' + p.Telefon + N'|' + p.Email + N'|' + p.CisloUctu + N'|' + p.KodUstavu + "
            "N'|' + CAST(p.CommitNumber AS NVARCHAR(10)) + N'|' + CAST(DATALENGTH(p.Foto) AS "
            "NVARCHAR(10)) FROM TabQUELTAZamPortal p WHERE p.TypZaznamu = 2"),
        "101|Němec|Ing.|Tyršova|Praha 1|[|]|160333652|777000111|tomas.nemec@demo.cz|4291506457|0800|9|246");
}

TEST(NovyZamestnanecZPortalu, AnEmployeeTransferredBeforeKeepsItsNumberWhileThePortalLacksIt) {
    TPluginHost host;
    host.exec(Volani(NovaZamestnankyne()));
    const auto prvni = host.value("SELECT ID FROM TabQUELTAZamPortal WHERE TypZaznamu = 1");
    host.exec("EXEC [dbo].[_HP_QUELTA_KopieZamPortalDoCisZam] " + prvni + ", NULL");
    // The Portal changes the phone before it has learnt the employee's number.
    host.exec(Volani(S(NovaZamestnankyne(), {{"Telefon", "N'777000111'"}, {"CommitNumber", "6"}})));
    EXPECT_EQ(
        host.rows("SELECT CAST(TypZaznamu AS NVARCHAR(1)) + N'|' + CAST(Cislo AS NVARCHAR(10)) + N'|' + "
                  "CAST(Stav AS NVARCHAR(1)) + N'|' + Telefon FROM TabQUELTAZamPortal ORDER BY ID"),
        (std::vector<std::string>{"2|125|2|777000111", "1|125|2|603111222", "1|125|0|777000111"}));
    // Its transfer updates that employee; there is no second one.
    host.exec("EXEC [dbo].[_HP_QUELTA_KopieZamPortalDoCisZam] " +
              host.value("SELECT ID FROM TabQUELTAZamPortal WHERE Stav = 0") + ", NULL");
    EXPECT_EQ(
        host.rows(
            "SELECT CAST(z.Cislo AS NVARCHAR(10)) + N'|' + k.Spojeni FROM TabCisZam z JOIN TabKontakty "
            "k ON k.IDCisZam = z.ID WHERE z.Prijmeni = N'Nováková-O''Neill' AND k.Druh = 2 ORDER BY k.ID"),
        (std::vector<std::string>{"125|603111222", "125|777000111"}));
}

TEST(ReplikaceZTabCisZam, TheMainRecordIsACopyOfTheHostEmployee) {
    TPluginHost host;
    // Employee 104 has every identity number, 101 none of the social insurance and residence ones,
    // 105 no passport and here no surname either.
    host.exec("EXEC [dbo].[_HP_QUELTA_ReplikaceZTabCisZam] 101, 9001");
    host.exec("EXEC [dbo].[_HP_QUELTA_ReplikaceZTabCisZam] 104, 9004");
    host.exec("EXEC [dbo].[_HP_QUELTA_ReplikaceZTabCisZam] 999999, 9999"); // no such employee
    host.exec("UPDATE TabCisZam SET Prijmeni = NULL WHERE Cislo = 105");
    host.exec("EXEC [dbo].[_HP_QUELTA_ReplikaceZTabCisZam] 105, 9005");
    EXPECT_EQ(host.value("SELECT N'[' + Prijmeni + N']' FROM TabQUELTAZamPortal WHERE PortalID = 9005"),
              "[]");
    EXPECT_EQ(
        host.rows(
            "SELECT CAST(p.PortalID AS NVARCHAR(10)) + N'|[' + p.SSN + N'|' + p.PovoleniKPobytu + N'|' + "
            "p.CisloOP + N'|' + p.CisloPasu + N']' FROM TabQUELTAZamPortal p ORDER BY p.ID"),
        (std::vector<std::string>{"9001|[||160333652|98900156]",
                                  "9004|[5724055812|PP-2012-9686|948022486|66191834]",
                                  "9005|[||406699400|]"}));
    EXPECT_EQ(
        host.value(std::string(kData) + "WHERE PortalID = 9001"),
        "101|Němec|Tomáš|Ing.|12||0|" +
            host.value("SELECT CONVERT(NVARCHAR(8), DatumNarozeni, 112) FROM "
                       "TabCisZam WHERE Cislo = 101") +
            "|" + host.value("SELECT RodneCislo FROM TabCisZam WHERE Cislo = 101") + "|" +
            host.value("SELECT RodinnyStav FROM TabCisZam WHERE Cislo = 101") + "|Tyršova|Praha 1|110 00|" +
            host.value("SELECT AdrPrechUlice FROM TabCisZam WHERE Cislo = 101") + "|" +
            host.value("SELECT AdrPrechPopCislo FROM TabCisZam WHERE Cislo = 101") + "|" +
            host.value("SELECT ISNULL(AdrPrechMisto, N'-') FROM TabCisZam WHERE Cislo = 101") +
            "|100||160333652|98900156||31000.000000|tomas.nemec@demo.cz|+420 639 784 931|0800||0|0|246");
    EXPECT_EQ(
        host.value("SELECT CAST(TypZaznamu AS NVARCHAR(1)) + N'|' + CAST(DruhMzdyMesHod AS NVARCHAR(2)) + "
                   "N'|' + ZdravPojistovna + N'|' + IBANElektronicky + N'|' + CASE WHEN DatumVlozeni IS NULL "
                   "THEN N'-' ELSE N'dated' END FROM TabQUELTAZamPortal WHERE PortalID = 9001"),
        "2|0|111|CZ2008000000004291506457|dated");
}

TEST(OdeslaniZmenNaPortal, AChangeReplacesWhatItHolds) {
    TPluginHost host;
    host.exec(
        "INSERT INTO TabQUELTAZamPortal (TypZaznamu, PortalID, Cislo, CommitNumber, Prijmeni, Jmeno, "
        "TitulPred, "
        "Email, SSN, PovoleniKPobytu, CisloOP, CisloPasu, DrivejsiPrijmeni, Foto) VALUES (2, 50, 101, 1, "
        "N'Novák', N'Jan', N'Ing.', N'jan@demo.cz', N'111', N'222', N'333', N'444', N'Starý', 0x01)");
    // The change: an empty surname and identity texts keep the main values, a NULL keeps any value,
    // an empty title is a value.
    host.exec(
        "INSERT INTO TabQUELTAZamPortal (TypZaznamu, PortalID, Cislo, CommitNumber, Prijmeni, Jmeno, "
        "TitulPred, "
        "Email, SSN, PovoleniKPobytu, CisloOP, CisloPasu, DrivejsiPrijmeni, Telefon) VALUES (1, 50, 202, 8, "
        "N'', NULL, N'', NULL, N'', N'999', N'', N'', N'', N'603')");
    const auto zmena = host.value("SELECT ID FROM TabQUELTAZamPortal WHERE TypZaznamu = 1");
    const char* hlavni =
        "SELECT CAST(Cislo AS NVARCHAR(10)) + N'|' + CAST(CommitNumber AS NVARCHAR(10)) + N'|' + "
        "Prijmeni + N'|' + Jmeno + N'|[' + TitulPred + N']|' + Email + N'|' + SSN + N'|' + "
        "PovoleniKPobytu + N'|' + CisloOP + N'|' + CisloPasu + N'|' + DrivejsiPrijmeni + N'|' + "
        "Telefon + N'|' + CAST(DATALENGTH(Foto) AS NVARCHAR(2)) FROM TabQUELTAZamPortal "
        "WHERE TypZaznamu = 2";
    host.exec("EXEC [dbo].[_HP_QUELTA_OdeslaniZmenNaPortal] " + zmena + ", 0");
    EXPECT_EQ(host.value(hlavni), "101|8|Novák|Jan|[]|jan@demo.cz|111|999|333|444|Starý|603|1");
    host.exec("EXEC [dbo].[_HP_QUELTA_OdeslaniZmenNaPortal] " + zmena + ", 1");
    EXPECT_EQ(host.value(hlavni), "202|8|Novák|Jan|[]|jan@demo.cz|111|999|333|444|Starý|603|1");
    // A main record given as the change merges nothing.
    host.exec("UPDATE TabQUELTAZamPortal SET CommitNumber = 30 WHERE TypZaznamu = 2");
    host.exec("EXEC [dbo].[_HP_QUELTA_OdeslaniZmenNaPortal] " +
              host.value("SELECT ID FROM TabQUELTAZamPortal WHERE TypZaznamu = 2") + ", 1");
    EXPECT_EQ(host.value("SELECT CommitNumber FROM TabQUELTAZamPortal WHERE TypZaznamu = 2"), "30");
}

TEST(OdeslaniZmenNaPortal, AnErrorChangesNothingAndIsRaisedAgain) {
    TPluginHost host;
    host.exec(
        "INSERT INTO TabQUELTAZamPortal (TypZaznamu, PortalID, Prijmeni, SSN, PovoleniKPobytu, CisloOP, "
        "CisloPasu, DrivejsiPrijmeni, Telefon) VALUES (2, 50, N'Novák', N'', N'', N'', N'', N'', N'603')");
    host.exec(
        "INSERT INTO TabQUELTAZamPortal (TypZaznamu, PortalID, Prijmeni, SSN, PovoleniKPobytu, CisloOP, "
        "CisloPasu, DrivejsiPrijmeni, Telefon, Foto) VALUES (1, 50, N'Nová', N'', N'', N'', N'', N'', "
        "N'666', "
        "0x01)");
    host.exec(
        "ALTER TABLE TabQUELTAZamPortal WITH NOCHECK ADD CONSTRAINT [CK__Test__Telefon_100%] CHECK (Telefon "
        "<> N'666')");
    try {
        host.db().execute("EXEC [dbo].[_HP_QUELTA_OdeslaniZmenNaPortal] " +
                          host.value("SELECT ID FROM TabQUELTAZamPortal WHERE TypZaznamu = 1") + ", 1");
        FAIL() << "the error was not raised";
    } catch (const platform::db::DbError& e) {
        EXPECT_EQ(e.severity(), 16);
        // Raised again as it was, its "%" too.
        EXPECT_NE(std::string(e.what()).find("CK__Test__Telefon_100%"), std::string::npos) << e.what();
    }
    EXPECT_EQ(
        host.value(
            "SELECT Prijmeni + N'|' + Telefon + N'|' + CAST(ISNULL(DATALENGTH(Foto), 0) AS NVARCHAR(2)) "
            "FROM TabQUELTAZamPortal WHERE TypZaznamu = 2"),
        "Novák|603|0");
    EXPECT_EQ(host.value("SELECT @@TRANCOUNT"), "0");
}

//! A Portal employee with a main and a change record of the same values, as the download leaves a
//! new one; returns the change record's ID.
std::string StazenaZamestnankyne(TPluginHost& host, const THodnoty& zmeny = {}) {
    const auto hodnoty = S(NovaZamestnankyne(), zmeny);
    std::string sloupce = "TypZaznamu, Pohlavi, Foto", literaly = "2, 1, " + hodnoty.at("Obrazek");
    for (const char* parametr : kParametry)
        if (std::string_view(parametr) != "Pohlavi" && std::string_view(parametr) != "Obrazek") {
            sloupce += std::string(", ") + parametr;
            literaly += ", " + hodnoty.at(parametr);
        }
    host.exec("INSERT INTO TabQUELTAZamPortal (" + sloupce + ") VALUES (" + literaly + ")");
    host.exec("INSERT INTO TabQUELTAZamPortal (" + sloupce + ") SELECT 1" +
              sloupce.substr(sloupce.find(',')) + " FROM TabQUELTAZamPortal WHERE TypZaznamu = 2");
    return host.value("SELECT ID FROM TabQUELTAZamPortal WHERE TypZaznamu = 1");
}

TEST(KopieZamPortalDoCisZam, ANewEmployeeIsNumberedAndCreatedInTheHost) {
    TPluginHost host;
    const auto id = StazenaZamestnankyne(host);
    host.exec("EXEC [dbo].[_HP_QUELTA_KopieZamPortalDoCisZam] @ID = " + id + ", @Rada = NULL");

    // The first free number after the demo's 101 to 124.
    EXPECT_EQ(
        host.rows("SELECT CAST(Cislo AS NVARCHAR(10)) + N'|' + CAST(Stav AS NVARCHAR(1)) + N'|' + "
                  "AutorPreneseni + N'|' + CASE WHEN DatumPreneseni IS NULL THEN N'-' ELSE N'dated' END + "
                  "N'|' + TextChyby FROM TabQUELTAZamPortal ORDER BY ID"),
        (std::vector<std::string>(2, "125|2|" + host.value("SELECT SUSER_SNAME()") + "|dated|")));
    EXPECT_EQ(host.value(
                  "SELECT Prijmeni + N'|' + Jmeno + N'|' + TitulPred + N'|' + CAST(Pohlavi AS NVARCHAR(1)) + "
                  "N'|' + AdrTrvUlice + N'|' + AdrTrvMisto + N'|' + AdrTrvPSC + N'|[' + AdrPrechUlice + N'|' "
                  "+ AdrPrechMisto + N'|' + AdrPrechPSC + N']|' + Stredisko + N'|' + CisloOP + N'|' + "
                  "CAST(DATALENGTH(Obrazek) AS NVARCHAR(2)) FROM TabCisZam WHERE Cislo = 125"),
              "Nováková-O'Neill|Eva|Ing.|1|Lidická|Brno|602 00|[||]|200|123456789|3");
    EXPECT_EQ(host.value(
                  "SELECT CONVERT(NVARCHAR(8), m.DatumVznikuPP, 112) + N'|' + m.ZdravPojistovna + N'|' + "
                  "CAST(m.ZakladniPlat AS NVARCHAR(30)) + N'|' + m.Stredisko FROM TabZamMzd m JOIN TabCisZam "
                  "z ON z.ID = m.ZamestnanecId WHERE z.Cislo = 125 AND m.IdObdobi = 12"),
              "20130901|111|25000.500000|200");
    EXPECT_EQ(
        host.rows("SELECT CAST(k.Druh AS NVARCHAR(1)) + N'|' + k.Spojeni FROM TabKontakty k JOIN TabCisZam z "
                  "ON z.ID = k.IDCisZam WHERE z.Cislo = 125 ORDER BY k.Druh"),
        (std::vector<std::string>{"2|603111222", "6|eva@demo.cz"}));
    EXPECT_EQ(host.rows("SELECT b.CisloUctu + N'|' + u.KodUstavu + N'|' + b.IBANElektronicky + N'|' + "
                        "b.NazevBankSpoj + N'|' + CAST(b.Prednastaveno AS NVARCHAR(1)) FROM TabBankSpojeni b "
                        "JOIN TabCisZam z ON z.ID = b.IDZam JOIN TabPenezniUstavy u ON u.ID = b.IDUstavu "
                        "WHERE z.Cislo = 125"),
              (std::vector<std::string>{
                  "123456789|0100|CZ6501000000000123456789|Nováková-O'Neill Eva - peníze na účet|1"}));
    EXPECT_EQ(
        host.rows(
            "SELECT j.Prijmeni + N'|' + CAST(j.Poradi AS NVARCHAR(2)) FROM TabZamJme j JOIN TabCisZam z "
            "ON z.ID = j.ZamestnanecId WHERE z.Cislo = 125 ORDER BY j.Poradi"),
        (std::vector<std::string>{"Malá|1", "Velká|2", "Horká|3"}));
    // The new employee is offered to the Portal.
    EXPECT_EQ(host.value("SELECT CAST(x._QUELTA_NaPortal AS INT) FROM TabCisZam z JOIN TabCisZam_EXT x "
                         "ON x.ID = z.ID WHERE z.Cislo = 125"),
              "1");
}

TEST(KopieZamPortalDoCisZam, AKnownEmployeeIsUpdatedWithoutDoublingContactsOrBankConnections) {
    TPluginHost host;
    // Employee 103 already has this phone, a default bank connection and former surnames.
    const auto id = StazenaZamestnankyne(host, {{"Cislo", "103"},
                                                {"Telefon", "N'+420 602 356 288'"},
                                                {"Email", "N'nova@demo.cz'"},
                                                {"DrivejsiPrijmeni", "N'Malá,Malá , , Velká'"}});
    host.exec("EXEC [dbo].[_HP_QUELTA_KopieZamPortalDoCisZam] " + id + ", NULL");
    EXPECT_EQ(host.value("SELECT TextChyby FROM TabQUELTAZamPortal WHERE ID = " + id), "");
    EXPECT_EQ(
        host.rows("SELECT CAST(k.Druh AS NVARCHAR(1)) + N'|' + k.Spojeni FROM TabKontakty k JOIN TabCisZam z "
                  "ON z.ID = k.IDCisZam WHERE z.Cislo = 103 ORDER BY k.ID"),
        (std::vector<std::string>{"6|anna.horakova@demo.cz", "2|+420 602 356 288", "6|nova@demo.cz"}));
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabBankSpojeni b JOIN TabCisZam z ON z.ID = b.IDZam "
                          "WHERE z.Cislo = 103"),
              1);
    EXPECT_EQ(
        host.rows(
            "SELECT j.Prijmeni + N'|' + CAST(j.Poradi AS NVARCHAR(2)) FROM TabZamJme j JOIN TabCisZam z "
            "ON z.ID = j.ZamestnanecId WHERE z.Cislo = 103 ORDER BY j.Poradi"),
        (std::vector<std::string>{"Malá|1", "Velká|2"}));
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabCisZam WHERE Cislo = 103"), 1);
}

TEST(KopieZamPortalDoCisZam, ANumberSeriesGivesTheNextNumberOfTheSeries) {
    TPluginHost host;
    const auto id = StazenaZamestnankyne(host);
    host.exec("EXEC [dbo].[_HP_QUELTA_KopieZamPortalDoCisZam] " + id + ", N'B'");
    EXPECT_EQ(host.rows("SELECT Cislo FROM TabQUELTAZamPortal"), (std::vector<std::string>{"5000", "5000"}));
    EXPECT_EQ(
        host.number("SELECT COUNT(*) FROM TabCisZam WHERE Cislo = 5000 AND Prijmeni = N'Nováková-O''Neill'"),
        1);
}

TEST(KopieZamPortalDoCisZam, AnErrorIsKeptForTheUserAndNothingIsWritten) {
    TPluginHost host;
    const auto id = StazenaZamestnankyne(host);
    const auto zamestnancu = host.number("SELECT COUNT(*) FROM TabCisZam");

    const auto prenes = [&](const std::string& rada) {
        host.exec("EXEC [dbo].[_HP_QUELTA_KopieZamPortalDoCisZam] " + id + ", " + rada);
        return host.value("SELECT TextChyby FROM TabQUELTAZamPortal WHERE ID = " + id);
    };
    // An unknown number series: the host's own message.
    EXPECT_EQ(prenes("N'Z'"), "Řada osobních čísel Z neexistuje.");
    // A change without its main record: no empty host employee.
    host.exec("UPDATE TabQUELTAZamPortal SET TypZaznamu = 0 WHERE TypZaznamu = 2");
    EXPECT_EQ(prenes("N'A'"), "Zaměstnanec z portálu nemá hlavní záznam, nelze ho přenést.");
    host.exec("UPDATE TabQUELTAZamPortal SET TypZaznamu = 2 WHERE TypZaznamu = 0");

    // An error at the end, after the host employee, payroll record and contacts were made: all of it
    // goes. The message names a long constraint and is kept as far as the column holds.
    const std::string omezeni = "CK__Test__" + std::string(110, 'x');
    host.exec("ALTER TABLE TabZamJme ADD CONSTRAINT " + omezeni + " CHECK (Prijmeni <> N'Horká')");
    const auto chyba = prenes("NULL");
    EXPECT_EQ(chyba.size(), 255u) << chyba; // ASCII only: the constraint's message
    EXPECT_NE(chyba.find(omezeni.substr(0, 40)), std::string::npos) << chyba;
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabCisZam"), zamestnancu);
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabKontakty WHERE Spojeni = N'eva@demo.cz'"), 0);
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabZamMzd z WHERE NOT EXISTS (SELECT * FROM TabCisZam c "
                          "WHERE c.ID = z.ZamestnanecId)"),
              0);
    EXPECT_EQ(host.rows("SELECT ISNULL(CAST(Cislo AS NVARCHAR(10)), N'-') + N'|' + CAST(Stav AS NVARCHAR(1)) "
                        "FROM TabQUELTAZamPortal ORDER BY ID"),
              (std::vector<std::string>{"-|0", "-|0"}));

    // No free number: no employee number 0.
    host.exec(
        "ALTER PROCEDURE dbo.hp_NajdiPrvniVolny @Tabulka NVARCHAR(128), @Atribut NVARCHAR(128), @Min INT, "
        "@Max INT, @Podminka NVARCHAR(4000) = N'', @BezVysledku BIT = 0, @PlnitMezery BIT = 0 AS RETURN 0");
    EXPECT_EQ(prenes("NULL"), "Pro zaměstnance z portálu nebylo nalezeno volné osobní číslo.");
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabCisZam"), zamestnancu);
    EXPECT_EQ(host.value("SELECT @@TRANCOUNT"), "0");
}

} // namespace
