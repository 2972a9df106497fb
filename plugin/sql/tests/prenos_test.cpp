// The host's payroll preprocessing imports approved Portal records through the plug-in's procedure.

#include "plugin_host.h"

#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/scripted_front_end.h"

#include <gtest/gtest.h>

namespace {

using plugin::testing::TPluginHost;

TEST(PrenosDoPredspracovania, TheHostsImportTakesApprovedRecordsOnceAndLinksThemBack) {
    TPluginHost host;
    // The installation registered the procedure as the host's import definition "QUELTA".
    // Employee 101 works 8 hours on 3 December 2013 by his calendar.
    host.exec(
        "INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, hours, dateFrom, dateTo, "
        "department, jobOrder, costPoot, vehicle, Stav) "
        "VALUES (101, N'300', 10, '20131203', '20131203', N'S1', N'Z1', N'N1', N'2AC 6789', 1)");
    host.exec("INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, hours, dateFrom, "
              "dateTo, Stav) "
              "VALUES (101, N'300', 6, '20131204', '20131204', 1)");
    host.exec("INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, hours, dateFrom, "
              "dateTo, Stav) "
              "VALUES (102, N'310', 16, '20131203', '20131204', 1)");
    host.exec(
        "INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, amount, hours, dateFrom, "
        "Stav) VALUES (103, N'200', 1500, 2, '20131203', 1)");
    host.exec("INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, amount, Stav) "
              "VALUES (103, N'200', 99, 0)"); // not approved
    host.exec("INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, amount, Stav, erpPk) "
              "VALUES (104, N'200', 77, 1, 1)"); // transferred before
    const auto predtim = host.number("SELECT MAX(ID) FROM TabPredzp");

    standins::tarvik::ScriptedFrontEnd frontEnd;
    standins::tarvik::HostTarvik tarvik(host.db(), frontEnd, {});
    tarvik.RunAction(265, "A_ExtorniProc");

    EXPECT_EQ(
        host.rows(
            "SELECT z.Cislo, p.IdObdobi, p.CisloMS, p.SkupinaMS, ISNULL(CAST(p.Castka AS NVARCHAR(20)), "
            "N'-'), p.Hodiny, p.Dny, p.DnyKal, p.Procento, "
            "ISNULL(CONVERT(NVARCHAR(8), p.DatumOd, 112), N'-'), "
            "ISNULL(CONVERT(NVARCHAR(8), p.DatumDo, 112), N'-'), ISNULL(p.Utvar, N'-'), "
            "ISNULL(p.Zakazka, N'-'), ISNULL(p.NakladovyOkruh, N'-'), ISNULL(v.SPZZobraz, N'-') "
            "FROM TabQUELTAWSPreprocess ws JOIN TabPredzp p ON p.ID = ws.erpPk "
            "JOIN TabCisZam z ON z.ID = p.ZamestnanecId LEFT JOIN TabIVozidlo v ON v.ID = p.IdVozidlo "
            "WHERE p.ID > " +
            std::to_string(predtim) + " ORDER BY ws.ID"),
        (std::vector<std::string>{
            // capped at the calendar's hours of the day, with the record's coding and vehicle
            "101|12|300|3|-|8.00|0.00|0.00|0.00|20131203|20131203|S1|Z1|N1|2AC 6789",
            // fewer hours than the calendar's stay
            "101|12|300|3|-|6.00|0.00|0.00|0.00|20131204|20131204|-|-|-|-",
            // an absence over several days
            "102|12|310|3|-|0.00|0.00|0.00|0.00|20131203|20131204|-|-|-|-",
            // no dates outside absences
            "103|12|200|2|1500.00|2.00|0.00|0.00|0.00|-|-|-|-|-|-",
        }));
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabQUELTAWSPreprocess WHERE erpPk IS NULL"), 1);

    // Imported once: a second import finds nothing more.
    const auto poPrvnim = host.number("SELECT COUNT(*) FROM TabPredzp");
    tarvik.RunAction(265, "A_ExtorniProc");
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabPredzp"), poPrvnim);
}

TEST(PrenosDoPredspracovania, WithoutTheHostsImportTableItHandsNothing) {
    TPluginHost host;
    host.exec("INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, amount, Stav) "
              "VALUES (103, N'200', 99, 1)");
    EXPECT_EQ(host.value("DECLARE @TabName VARCHAR(50), @AtrName VARCHAR(50)\r"
                         "SET @TabName = 'x' SET @AtrName = 'y'\r"
                         "EXEC dbo._HP_QUELTA_PrenosDoPredspracovania 12, @TabName OUT, @AtrName OUT\r"
                         "SELECT ISNULL(@TabName, 'NULL') + '|' + ISNULL(@AtrName, 'NULL')"),
              "NULL|NULL");
}

} // namespace
