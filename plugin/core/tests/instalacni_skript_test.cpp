// The installation data script on the demo company's host database, with the plug-in's tables
// made from their definitions.

#include "common/testing/temp_folder.h"
#include "plugin/core/plg_konfig.h"
#include "plugin/definitions/ddl.h"
#include "plugin/definitions/schema.h"
#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/runner.h"
#include "standins/tarvik/scripted_front_end.h"
#include "tsql/backend.h"

#include <gtest/gtest.h>

#include <set>

namespace {

using platform::db::Connection;

class InstallationScript : public ::testing::Test {
protected:
    void SetUp() override {
        const auto file = folder_.path() / "demo.db";
        standins::tarvik::createHostDatabase(file, true, standins::tarvik::DemoOptions{});
        tsql::registerEmbeddedBackend();
        connection_ = platform::db::connect(standins::tarvik::hostDatabaseDescription(file));
        const auto& schema = plugin::EfektivniSchema();
        for (int i = schema.PrvniTabulka(); i <= schema.PosledniTabulka(); ++i)
            connection_->execute(plugin::TextCreateTable(schema, static_cast<plugin::TplgTabulka>(i)));
        // The folder row of the synchronization settings browse, as the browse registration makes it.
        connection_->execute("INSERT INTO TabSoudky (Skupina, Soudek, BrowseID, Poradi, Systemovy) VALUES "
                             "(N'PluginQuelta', N'QUEL-TA', N'hvw_QUELTANastaveniSynchronizace', 3, 1)");
        idObdobi_ = number("SELECT IdObdobi FROM TabMzdObd WHERE Stav = 1");
    }

    //! Runs the script through the host interface, as the installer does.
    void runScript() {
        standins::tarvik::ScriptedFrontEnd frontEnd;
        standins::tarvik::HostTarvik host(*connection_, frontEnd, {});
        host.ExecSQL(plugin::Konfigurace().VlastniInstalacniSkript());
    }

    long long number(const std::string& sql) {
        const auto result = connection_->execute(sql);
        const auto& value = result.resultSets.at(0).rows().at(0).at(0);
        return value.isNull() ? -1 : value.asInt();
    }
    std::string text(const std::string& sql) {
        const auto result = connection_->execute(sql);
        const auto& value = result.resultSets.at(0).rows().at(0).at(0);
        return value.isNull() ? "NULL" : value.asText();
    }
    std::set<long long> numbers(const std::string& sql) {
        std::set<long long> out;
        const auto result = connection_->execute(sql);
        for (const auto& row : result.resultSets.at(0).rows())
            out.insert(row.at(0).asInt());
        return out;
    }
    //! Payroll components of the current period flagged for preprocessing.
    std::set<long long> flaggedComponents() {
        return numbers(
            "SELECT ms.CisloMzSl FROM TabCisMzSl ms JOIN TabSkupMS sk ON sk.SkupinaMS = ms.SkupinaMS "
            "AND sk.IdObdobi = ms.IdObdobi WHERE ms.Konstanty_DoPredzpracovani = 1 AND ms.IdObdobi = " +
            std::to_string(idObdobi_));
    }

    common::testing::TempFolder folder_{"plugin-script-test"};
    std::unique_ptr<Connection> connection_;
    long long idObdobi_ = 0;
};

TEST_F(InstallationScript, RunsAgainWithoutDuplicatingRowsAndFollowsTheHost) {
    connection_->execute(
        "INSERT INTO TabQUELTANastaveniSynchronizace (Kod, Ciselnik, Nazev, Poradi, CommitNumber) "
        "VALUES (N'employee', N'TabCisZam', N'Zaměstnanci', 9, NULL)");
    connection_->execute("INSERT INTO TabQUELTAWSPayrollComponents (deleted, typeCode, typeName) "
                         "VALUES (1, 99999, N'Zrušená složka')");
    runScript();
    runScript();

    EXPECT_EQ(number("SELECT COUNT(*) FROM TabQUELTAHGlob"), 1);
    EXPECT_EQ(number("SELECT COUNT(*) FROM TabQUELTANastaveniSynchronizace"), 26);
    EXPECT_EQ(number("SELECT COUNT(*) FROM TabQUELTANastaveniSynchronizace WHERE CommitNumber IS NULL "
                     "OR CommitNumber <> 0"),
              0);
    EXPECT_EQ(number("SELECT Poradi FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'employee'"), 4);
    EXPECT_EQ(number("SELECT Poradi FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'record'"), 3);
    EXPECT_EQ(text("SELECT Nazev FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'city'"), "PSČ");
    EXPECT_EQ(text("SELECT Ciselnik FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'payout'"), "");

    EXPECT_EQ(number("SELECT COUNT(*) FROM TabMzImpDefUP WHERE Nazev = N'QUELTA' AND VlastniUP = 1 AND "
                     "JmenoUP = N'dbo._HP_QUELTA_PrenosDoPredspracovania'"),
              1);

    // One Portal row per flagged component, nothing else.
    const auto flagged = flaggedComponents();
    ASSERT_FALSE(flagged.empty());
    EXPECT_EQ(numbers("SELECT typeCode FROM TabQUELTAWSPayrollComponents"), flagged);
    EXPECT_EQ(number("SELECT COUNT(*) FROM TabQUELTAWSPayrollComponents"),
              static_cast<long long>(flagged.size()));
    EXPECT_EQ(
        number(
            "SELECT COUNT(*) FROM TabQUELTAWSPayrollComponents WHERE deleted <> 0 OR typeType <> N'OTHERS' "
            "OR groupClass IS NULL OR groupType IS NULL"),
        0);

    EXPECT_EQ(
        number("SELECT COUNT(*) FROM TabSoudky WHERE Soudek = N'QUEL-TA' AND IDPredek = (SELECT ID FROM "
               "TabSoudky WHERE BrowseID = N'hvw_QUELTANastaveniSynchronizace')"),
        14);
    EXPECT_EQ(number("SELECT COUNT(*) FROM TabSoudky WHERE Soudek = N'QUEL-TA' AND IDPredek IS NULL AND "
                     "BrowseID IN (N'200', N'205', N'10536')"),
              3);

    // A component no longer flagged leaves the offer on the next run.
    ASSERT_GE(flagged.size(), 2u);
    const auto dropped = *flagged.begin();
    const auto kept = *flagged.rbegin();
    const auto period = std::to_string(idObdobi_);
    connection_->execute("UPDATE TabCisMzSl SET Konstanty_DoPredzpracovani = 0 WHERE CisloMzSl = " +
                         std::to_string(dropped) + " AND IdObdobi = " + period);
    // A group of a type the Portal has no group type for: no type rather than another group's.
    connection_->execute("UPDATE TabSkupMS SET Typ = 9 WHERE IdObdobi = " + period +
                         " AND SkupinaMS = (SELECT SkupinaMS FROM TabCisMzSl WHERE IdObdobi = " + period +
                         " AND CisloMzSl = " + std::to_string(kept) + ")");
    runScript();
    EXPECT_EQ(number("SELECT COUNT(*) FROM TabQUELTAWSPayrollComponents WHERE typeCode = " +
                     std::to_string(dropped)),
              0);
    EXPECT_EQ(
        text("SELECT groupClass FROM TabQUELTAWSPayrollComponents WHERE typeCode = " + std::to_string(kept)),
        "PayrollComponentsGroupRecord");
    EXPECT_EQ(
        text("SELECT groupType FROM TabQUELTAWSPayrollComponents WHERE typeCode = " + std::to_string(kept)),
        "NULL");
}

TEST_F(InstallationScript, ImportDefinitionHandsApprovedRecordsToTheHost) {
    runScript();
    connection_->execute(text("SELECT DefiniceUP FROM TabMzImpDefUP WHERE Nazev = N'QUELTA'"));
    // Employee 101 works 8 hours on 3 December 2013 by his calendar.
    connection_->execute(
        "INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, hours, dateFrom, dateTo, "
        "Stav) "
        "VALUES (101, N'300', 10, '20131203', '20131203', 1)\r"
        "INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, hours, dateFrom, dateTo, "
        "Stav) "
        "VALUES (102, N'300', 16, '20131203', '20131204', 1)\r"
        "INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, amount, hours, Stav) "
        "VALUES (103, N'200', 1500, 2, 1)\r"
        "INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, amount, Stav) "
        "VALUES (103, N'200', 99, 0)");
    connection_->execute("EXEC dbo.hp_MzPredzpImportUP " + std::to_string(idObdobi_));

    const auto rows = connection_
                          ->execute("SELECT z.Cislo, p.CisloMS, p.Castka, p.Hodiny, "
                                    "CASE WHEN p.DatumOd IS NULL THEN 0 ELSE 1 END "
                                    "FROM TabQUELTAWSPreprocess ws JOIN TabPredzp p ON p.ID = ws.erpPk "
                                    "JOIN TabCisZam z ON z.ID = p.ZamestnanecId ORDER BY ws.ID")
                          .resultSets.at(0);
    ASSERT_EQ(rows.rowCount(), 3u);
    EXPECT_EQ(rows.rows()[0][0].asInt(), 101);
    EXPECT_EQ(rows.rows()[0][3].asDecimal().text, "8.00"); // the smaller of 10 and the calendar's 8
    EXPECT_EQ(rows.rows()[0][4].asInt(), 1);
    EXPECT_EQ(rows.rows()[1][3].asDecimal().text, "0.00"); // an absence over several days
    EXPECT_EQ(rows.rows()[2][2].asDecimal().text, "1500.00");
    EXPECT_EQ(rows.rows()[2][3].asDecimal().text, "2.00");
    EXPECT_EQ(rows.rows()[2][4].asInt(), 0); // no dates outside absences
    EXPECT_EQ(number("SELECT COUNT(*) FROM TabQUELTAWSPreprocess WHERE erpPk IS NULL"), 1);
}

} // namespace
