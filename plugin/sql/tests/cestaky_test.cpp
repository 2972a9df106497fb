// Travel orders from the Portal: the synchronizer stages them with the four insert procedures and
// lets the import procedure turn the batch into host travel documents; the read procedures give
// the host's version back.

#include "plugin_host.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using plugin::testing::TPluginHost;

//! One procedure call as the synchronizer sends it: the values after a blank, each further one on a
//! line of its own after a comma.
std::string Volani(const std::string& procedura, const std::vector<std::string>& hodnoty) {
    std::string text = "EXEC [dbo].[" + procedura + "]\r ";
    for (std::size_t i = 0; i < hodnoty.size(); ++i)
        text += (i ? "\r," : "") + hodnoty[i];
    return text;
}

//! The header of a staged travel order, as literals.
struct THlavicka {
    std::string davka = "17";
    std::string commit = "21";
    std::string portalId = "601";
    std::string stav = "N'FOR_ACCOUNTING'";
    std::string cisloDokladu = "N''";
    std::string typCesty = "N'M'";
    std::string doprava = "N'A'";
    std::string vozidlo = "N'1AB 2345'";
    std::string poznamka = "N'Jednání v Brně'";
};

std::string Hlavicka(const THlavicka& h) {
    return Volani("hpx_Quelta_TravelOrder_InsertIntoImportTable", {h.davka,
                                                                   h.commit,
                                                                   h.portalId,
                                                                   "N''",
                                                                   h.stav,
                                                                   "'20131215 00:00:00.000'",
                                                                   "101",
                                                                   h.cisloDokladu,
                                                                   "N'Brno, Lidická 12'",
                                                                   "N'Jednání se zákazníkem'",
                                                                   "'20131216 07:00:00.000'",
                                                                   "'20131216 19:30:00.000'",
                                                                   h.typCesty,
                                                                   h.doprava,
                                                                   h.vozidlo,
                                                                   "N'Z001'",
                                                                   "N'N1'",
                                                                   "N'S1'",
                                                                   "0.00",
                                                                   "0.00",
                                                                   "350.00",
                                                                   "0.00",
                                                                   "N''",
                                                                   "0.00",
                                                                   "412.60",
                                                                   "6.50",
                                                                   "N'Praha'",
                                                                   "N'Brno'",
                                                                   "0",
                                                                   h.poznamka,
                                                                   "1",
                                                                   "0.00"});
}

std::string Naklad(const std::string& davka, const std::string& portalId, const std::string& castka,
                   const std::string& mena, const std::string& kod) {
    return Volani("hpx_Quelta_TravelOrderCost_InsertIntoImportTable",
                  {davka, "3", "7001", "N''", portalId, castka, mena, "N'Doklad'", kod});
}

std::string Usek(const std::string& davka, const std::string& portalId, const std::string& zeme,
                 const std::string& od, const std::string& do_) {
    return Volani("hpx_Quelta_TravelOrderItem_InsertIntoImportTable",
                  {davka, "4", "7101", "N''", portalId, zeme, "N''", do_, "N'Praha'", "N'M'", "N'Brno'",
                   "10.00", od, "0.00"});
}

std::string Phm(const std::string& davka, const std::string& portalId, const std::string& mena,
                const std::string& litry, const std::string& cena) {
    return Volani("hpx_Quelta_TravelOrderFuel_InsertIntoImportTable",
                  {davka, "5", "7201", "N''", portalId, mena, litry, cena});
}

constexpr const char* kZpracuj = "EXEC [dbo].[hpx_Quelta_TravelOrder_ProcessImportBatch]";

long long Importovano(TPluginHost& host, const char* tabulka) {
    return host.number(std::string("SELECT COUNT(*) FROM ") + tabulka);
}

TEST(TravelOrderImport, ANewOrderBecomesAHostDocumentWithItsCostsLegsAndFuel) {
    TPluginHost host;
    host.exec(Hlavicka({}));
    host.exec(Naklad("17", "601", "350.00", "N'CZK'", "N'PARK'"));
    host.exec(Naklad("17", "601", "20.00", "N'EUR'", "N'UBYT'"));
    host.exec(Usek("17", "601", "N'CZ'", "'20131216 07:00:00.000'", "'20131216 12:00:00.000'"));
    host.exec(Usek("17", "601", "N''", "'20131216 12:00:00.000'", "'20131216 19:30:00.000'"));
    host.exec(Phm("17", "601", "N'CZK'", "30.00", "36.50"));
    host.exec(Phm("17", "601", "N'EUR'", "10.00", "1.40"));
    EXPECT_EQ(Importovano(host, "Tabx_Quelta_TravelOrderCost_ImportTable"), 2);
    host.exec(kZpracuj);

    // Numbered after the highest number of series M (documents 1001 to 1007), released for editing.
    const auto id = host.value("SELECT ID FROM TabICestak WHERE CisDok = N'1008'");
    EXPECT_EQ(
        host.value(
            "SELECT Stav + N'|' + TypDopravy + N'|' + TypCesty + N'|' + CilCesty + N'|' + SPZ + N'|' + "
            "CisloZakazky + N'|' + NOkruh + N'|' + Stredisko + N'|' + UcelCesty + N'|' + SDPlati + N'|' + "
            "CAST(CisloZamestnance AS NVARCHAR(10)) + N'|' + CAST(KMCelkem AS NVARCHAR(30)) + N'|' + "
            "CAST(CAST(VratkaTuz AS INT) AS NVARCHAR(1)) + N'|' + ISNULL(CAST(BlokovaniEditoru AS "
            "NVARCHAR(10)), N'-') + N'|' + CONVERT(NVARCHAR(8), DatVystDokl, 112) "
            "FROM TabICestak WHERE ID = " +
            id),
        "O|A|M|Brno, Lidická 12|1AB 2345|Z001|N1|S1|Jednání se zákazníkem|Z|101|413.000000|1|-|20131215");
    EXPECT_EQ(host.value("SELECT v.SPZZobraz FROM TabICestak c JOIN TabIVozidlo v ON v.ID = c.idVozidlo "
                         "WHERE c.ID = " +
                         id),
              "1AB 2345");
    EXPECT_EQ(
        host.value("SELECT CAST(_Quelta_PortalID AS NVARCHAR(10)) + N'|' + CAST(_Quelta_CommitNumber AS "
                   "NVARCHAR(10)) + N'|' + _Quelta_State + N'|' + CAST(CAST(_Quelta_ToPortal AS INT) AS "
                   "NVARCHAR(1)) + N'|' + _Quelta_Note + N'|' + CASE WHEN _Quelta_DownloadDate IS NULL THEN "
                   "N'no date' ELSE N'dated' END FROM TabICestak_EXT WHERE ID = " +
                   id),
        "601|21|O|1|Jednání v Brně|dated");
    // The euro at the rate of 29 November 2013, the last before the order was made.
    EXPECT_EQ(
        host.rows(
            "SELECT k.Kod, n.Mena, ISNULL(CONVERT(NVARCHAR(8), n.DatumKurz, 112), N'-'), n.Kurz, "
            "n.CenaVal, n.CenaKc, n.Popis FROM TabICestaNakl n JOIN TabINaklKod k ON k.ID = n.IDNaklKod "
            "WHERE n.IDCestak = " +
            id + " ORDER BY n.ID"),
        (std::vector<std::string>{"PARK|CZK|-|1.000000|0.000000|350.000000|Doklad",
                                  "UBYT|EUR|20131129|27.425000|20.000000|548.500000|Doklad"}));
    EXPECT_EQ(
        host.rows("SELECT ISNULL(KodZeme, N'-'), ISNULL(Mena, N'-'), Odkud, Kam, TypUseku, CelkemKapesne "
                  "FROM TabICestaUsek WHERE IDCestak = " +
                  id + " ORDER BY ID"),
        (std::vector<std::string>{"CZ|-|Praha|Brno|M|10.000000", "-|-|Praha|Brno|M|10.000000"}));
    EXPECT_EQ(
        host.rows("SELECT Mena, Litry, CenaVal, CenaKc FROM TabICestaPHM WHERE IDCestak = " + id +
                  " ORDER BY ID"),
        (std::vector<std::string>{"CZK|30.000000|0.000000|36.500000", "EUR|10.000000|1.400000|38.395000"}));
    // The host computed allowances and totals: 350 + 548.50 of costs, 1095.00 + 383.95 of fuel.
    EXPECT_EQ(
        host.value("SELECT CAST(CelkemNaklady AS NVARCHAR(30)) + N'|' + CAST(CelkemPHM AS NVARCHAR(30)) "
                   "FROM TabICestak WHERE ID = " +
                   id),
        "898.500000|1478.950000");
    EXPECT_NE(host.value("SELECT CelkemDiety FROM TabICestak WHERE ID = " + id), "0.000000");

    // The batch is done and the staging tables are empty.
    for (const auto* tabulka :
         {"Tabx_Quelta_TravelOrder_ImportTable", "Tabx_Quelta_TravelOrderCost_ImportTable",
          "Tabx_Quelta_TravelOrderItem_ImportTable", "Tabx_Quelta_TravelOrderFuel_ImportTable"})
        EXPECT_EQ(Importovano(host, tabulka), 0) << tabulka;
    EXPECT_EQ(host.value("EXEC [dbo].[hpx_Quelta_TravelOrder_GetLatestCommitNumber]"), "21");
}

TEST(TravelOrderImport, OnlyOneBatchIsStagedAtATimeAndAnOrderStagedAgainReplacesItsRows) {
    TPluginHost host;
    host.exec(Hlavicka({}));
    host.exec(Naklad("17", "601", "350.00", "N'CZK'", "N'PARK'"));
    host.exec(Usek("17", "601", "N'CZ'", "'20131216 07:00:00.000'", "'20131216 12:00:00.000'"));
    // The same order once more in the same batch: its earlier rows go.
    host.exec(Hlavicka({.commit = "22"}));
    host.exec(Naklad("17", "601", "120.00", "N'CZK'", "N'PARK'"));
    // Rows of another batch are ignored while this one waits.
    host.exec(Hlavicka({.davka = "18", .portalId = "602"}));
    host.exec(Naklad("18", "602", "1.00", "N'CZK'", "N'PARK'"));
    host.exec(Usek("18", "602", "N'CZ'", "'20131216 07:00:00.000'", "'20131216 12:00:00.000'"));
    host.exec(Phm("18", "602", "N'CZK'", "1.00", "1.00"));
    EXPECT_EQ(
        host.rows(
            "SELECT BatchCommitNumber, CommitNumber, PortalID FROM Tabx_Quelta_TravelOrder_ImportTable"),
        (std::vector<std::string>{"17|22|601"}));
    EXPECT_EQ(host.rows("SELECT Amount FROM Tabx_Quelta_TravelOrderCost_ImportTable"),
              (std::vector<std::string>{"120"}));
    EXPECT_EQ(Importovano(host, "Tabx_Quelta_TravelOrderItem_ImportTable"), 0);
    EXPECT_EQ(Importovano(host, "Tabx_Quelta_TravelOrderFuel_ImportTable"), 0);
}

TEST(TravelOrderImport, HeadersInAStateTheHostDoesNotTakeAreLeftOut) {
    TPluginHost host;
    const auto dokladu = host.number("SELECT COUNT(*) FROM TabICestak");
    host.exec(Hlavicka({.portalId = "611", .cisloDokladu = "N'1001'"}));              // new, yet numbered
    host.exec(Hlavicka({.portalId = "612", .stav = "N'FINAL_ACCOUNTING_APPROVED'"})); // approved, no number
    host.exec(Hlavicka({.portalId = "613", .stav = "N'DRAFT'"}));                     // unknown state
    host.exec(
        Hlavicka({.portalId = "614", .stav = "N'FINAL_ACCOUNTING'", .cisloDokladu = "N'9999'"})); // unknown
    host.exec(kZpracuj);
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabICestak"), dokladu);
    EXPECT_EQ(host.value("SELECT Stav FROM TabICestak WHERE CisDok = N'1001'"), "O");
    EXPECT_EQ(Importovano(host, "Tabx_Quelta_TravelOrder_ImportTable"), 0);
}

TEST(TravelOrderImport, AnAccountedOrderUpdatesItsDocumentAndReplacesItsRows) {
    TPluginHost host;
    // Document 1003 (Portal order 503) as the host sent it; fuel it had before is replaced, not doubled.
    host.exec(
        "INSERT INTO TabICestaPHM (IDCestak, Litry, Mena, CenaKc) SELECT ID, 99, N'CZK', 30 FROM TabICestak "
        "WHERE CisDok = N'1003'");
    host.exec(
        "UPDATE TabICestak_EXT SET _Quelta_UploadDate = GETDATE(), _Quelta_UploadAuthor = N'1' WHERE ID = "
        "(SELECT ID FROM TabICestak WHERE CisDok = N'1003')");
    host.exec(Hlavicka({.commit = "30",
                        .portalId = "503",
                        .stav = "N'FINAL_ACCOUNTING'",
                        .cisloDokladu = "N'1003'",
                        .doprava = "N'S'",
                        .poznamka = "N'Vyúčtováno'"}));
    host.exec(Phm("17", "503", "N'CZK'", "20.00", "36.00"));
    const auto dokladu = host.number("SELECT COUNT(*) FROM TabICestak");
    host.exec(kZpracuj);

    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabICestak"), dokladu);
    const auto id = host.value("SELECT ID FROM TabICestak WHERE CisDok = N'1003'");
    EXPECT_EQ(host.value("SELECT Stav + N'|' + TypDopravy FROM TabICestak WHERE ID = " + id), "O|S");
    EXPECT_EQ(host.value("SELECT _Quelta_State + N'|' + CAST(_Quelta_CommitNumber AS NVARCHAR(10)) + N'|' + "
                         "_Quelta_Note + N'|' + ISNULL(_Quelta_UploadAuthor, N'-') + N'|' + "
                         "CASE WHEN _Quelta_UploadDate IS NULL THEN N'-' ELSE N'sent' END "
                         "FROM TabICestak_EXT WHERE ID = " +
                         id),
              "L|30|Vyúčtováno|-|-");
    // Without legs from the Portal the header makes the one leg.
    EXPECT_EQ(
        host.rows("SELECT TypUseku, Odkud, Kam, CONVERT(NVARCHAR(16), DatCasPocatek, 120) FROM TabICestaUsek "
                  "WHERE IDCestak = " +
                  id),
        (std::vector<std::string>{"M|Praha|Brno|2013-12-16 07:00"}));
    EXPECT_EQ(host.rows("SELECT Litry FROM TabICestaPHM WHERE IDCestak = " + id),
              (std::vector<std::string>{"20.000000"}));
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabICestaNakl WHERE IDCestak = " + id), 0);
}

TEST(TravelOrderImport, AnOrderDownloadedAgainKeepsItsDocument) {
    TPluginHost host;
    host.exec(Hlavicka({}));
    host.exec(kZpracuj);
    host.exec(Hlavicka({.davka = "21", .commit = "25", .poznamka = "N'Opraveno'"}));
    host.exec(kZpracuj);
    EXPECT_EQ(
        host.rows(
            "SELECT c.CisDok, CAST(e._Quelta_CommitNumber AS NVARCHAR(10)), e._Quelta_Note FROM TabICestak "
            "c JOIN TabICestak_EXT e ON e.ID = c.ID WHERE e._Quelta_PortalID = 601"),
        (std::vector<std::string>{"1008|25|Opraveno"}));
}

TEST(TravelOrderImport, ACurrencyQuotedPerHundredIsConvertedPerUnit) {
    TPluginHost host;
    // 100 forints cost 8.50 crowns; a newer rate after the order was made is not taken.
    host.exec("INSERT INTO TabKurzList (Mena, Datum, JednotkaMeny, Kurz) "
              "SELECT N'HUF', '20131210', 100, 8.5 UNION ALL SELECT N'HUF', '20131231', 100, 9");
    host.exec(Hlavicka({}));
    host.exec(Naklad("17", "601", "1000.00", "N'HUF'", "N'PARK'"));
    host.exec(Phm("17", "601", "N'HUF'", "10.00", "400.00"));
    host.exec(kZpracuj);
    EXPECT_EQ(host.value("SELECT CAST(n.CenaKc AS NVARCHAR(30)) + N'|' + CAST(p.CenaKc AS NVARCHAR(30)) "
                         "FROM TabICestak c JOIN TabICestaNakl n ON n.IDCestak = c.ID "
                         "JOIN TabICestaPHM p ON p.IDCestak = c.ID WHERE c.CisDok = N'1008'"),
              "85.000000|34.000000");
}

TEST(TravelOrderImport, ANewDocumentIsNumberedWithinItsOwnSeries) {
    TPluginHost host;
    // Series M runs from 1000 to below 2000, series T from 2000 to below 3000, M again from 3000.
    host.exec(
        "INSERT INTO TabICestak (CisDok) SELECT N'2000' UNION ALL SELECT N'x17' UNION ALL SELECT N'3500'");
    host.exec(Hlavicka({.portalId = "621"}));
    host.exec(Hlavicka({.portalId = "622", .typCesty = "N'T'"}));
    host.exec(kZpracuj);
    EXPECT_EQ(host.rows("SELECT c.CisDok FROM TabICestak c JOIN TabICestak_EXT e ON e.ID = c.ID "
                        "WHERE e._Quelta_PortalID IN (621, 622) ORDER BY e._Quelta_PortalID"),
              (std::vector<std::string>{"1008", "2002"}));
}

TEST(TravelOrderRead, TheHostsVersionOfAnOrderWithItsPortalState) {
    TPluginHost host;
    const auto radek = host.exec("EXEC [dbo].[hpx_Quelta_GetTravelOrderByErpPk] 2").resultSets.at(0);
    ASSERT_EQ(radek.rowCount(), 1u);
    const std::vector<std::string> sloupce = {"portalID",
                                              "commitNumber",
                                              "erpPk",
                                              "state",
                                              "createdAt",
                                              "personalNumber",
                                              "documentNumberErp",
                                              "activityDestination",
                                              "travelPurpose",
                                              "startTime",
                                              "endTime",
                                              "travelType",
                                              "modeOfTransportErpPk",
                                              "vehicleErpPk",
                                              "jobOrderErpPk",
                                              "costPoolErpPk",
                                              "departmentErpPk",
                                              "pocketMoney",
                                              "privateCarCompensation",
                                              "cost",
                                              "fuelCost",
                                              "toPortal",
                                              "note",
                                              "costTotal",
                                              "payInDomestic",
                                              "fuelConsumption",
                                              "distanceTotal",
                                              "distanceForeign"};
    ASSERT_EQ(radek.columns().size(), sloupce.size());
    for (std::size_t i = 0; i < sloupce.size(); ++i)
        EXPECT_EQ(radek.columns()[i].name, sloupce[i]);
    using plugin::testing::Text;
    EXPECT_EQ(Text(radek.at(0, "portalID")), "502");
    EXPECT_EQ(Text(radek.at(0, "state")), "ACCOUNTING_APPROVED");
    EXPECT_EQ(Text(radek.at(0, "documentNumberErp")), "1002");
    EXPECT_EQ(radek.columns()[21].typeName, "bit");
    EXPECT_EQ(Text(radek.at(0, "toPortal")), "1");

    // Host states without a Portal state to send, and a document without extension row.
    const auto bezExt = host.exec("EXEC [dbo].[hpx_Quelta_GetTravelOrderByErpPk] 8").resultSets.at(0);
    EXPECT_EQ(Text(bezExt.at(0, "portalID")), "NULL");
    EXPECT_EQ(Text(bezExt.at(0, "state")), "NULL");
    EXPECT_EQ(Text(bezExt.at(0, "toPortal")), "0");
    const auto otevreny = host.exec("EXEC [dbo].[hpx_Quelta_GetTravelOrderByErpPk] 1").resultSets.at(0);
    EXPECT_EQ(Text(otevreny.at(0, "state")), "NULL");
    for (const auto& [id, stav] : {std::pair{"4", "FINAL_ACCOUNTING_DONE"}, std::pair{"6", "CLOSED"}})
        EXPECT_EQ(Text(host.exec(std::string("EXEC [dbo].[hpx_Quelta_GetTravelOrderByErpPk] ") + id)
                           .resultSets.at(0)
                           .at(0, "state")),
                  stav);
}

TEST(TravelOrderRead, TheNewestCommitHeldIsZeroWithoutOrders) {
    TPluginHost host;
    EXPECT_EQ(host.value("EXEC [dbo].[hpx_Quelta_TravelOrder_GetLatestCommitNumber]"), "17");
    host.exec("DELETE FROM TabICestak_EXT");
    EXPECT_EQ(host.value("EXEC [dbo].[hpx_Quelta_TravelOrder_GetLatestCommitNumber]"), "0");
}

} // namespace
