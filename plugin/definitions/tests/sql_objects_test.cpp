// The lists of stored procedures and triggers as the installer walks them: order, the form of each
// text's CREATE line, the trigger names the schema checker relies on.

#include "plugin/definitions/sql_objects.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(SqlObjects, TheProceduresInTheirOrderEachCreatedUnderItsSchemaQualifiedName) {
    const char* jmena[] = {"hpx_Quelta_TravelOrder_ProcessImportBatch",
                           "hpx_Quelta_GetTravelOrderByErpPk",
                           "hpx_Quelta_TravelOrder_GetLatestCommitNumber",
                           "hpx_Quelta_TravelOrder_InsertIntoImportTable",
                           "hpx_Quelta_TravelOrderCost_InsertIntoImportTable",
                           "hpx_Quelta_TravelOrderFuel_InsertIntoImportTable",
                           "hpx_Quelta_TravelOrderItem_InsertIntoImportTable",
                           "_HP_QUELTA_ReplikaceZTabCisZam",
                           "_HP_QUELTA_OdeslaniZmenNaPortal",
                           "_HP_QUELTA_KopieZamPortalDoCisZam",
                           "_HP_QUELTA_NovyZamestnanecZPortalu",
                           "_HP_QUELTA_PrenosDoPredspracovania"};
    const auto procedury = plugin::UlozeneProcedury();
    ASSERT_EQ(procedury.size(), std::size(jmena) + 1);
    EXPECT_TRUE(procedury[0].Text.empty());
    for (std::size_t i = 0; i < std::size(jmena); ++i) {
        SCOPED_TRACE(jmena[i]);
        const auto& p = procedury[i + 1];
        const std::string zacatek =
            std::string(i + 1 == std::size(jmena) ? "CREATE PROCEDURE" : "CREATE PROC") + " [dbo].[" +
            jmena[i] + "]\n";
        EXPECT_TRUE(p.Text.starts_with(zacatek)) << p.Text.substr(0, 80);
        EXPECT_EQ(plugin::JmenoObjektu(p.Text), jmena[i]);
        EXPECT_EQ(plugin::TextProcedury(jmena[i]), p.Text);
        EXPECT_TRUE(p.Legislativa.Prazdna());
        EXPECT_TRUE(p.Databaze.empty());
    }
    EXPECT_EQ(plugin::TextProcedury("_hp_quelta_prenosdopredspracovania"), procedury[12].Text);
    EXPECT_TRUE(plugin::TextProcedury("_HP_QUELTA_Neni").empty());
    EXPECT_EQ(plugin::UzivatelskeFunkce().size(), 1u);
}

TEST(SqlObjects, TheTriggersOnHostTablesInTheirOrderNamedAfterTheirTable) {
    const char* priznakove[] = {"TabINaklKod",       "TabKodMen",   "TabZeme",    "TabCisZam",
                                "TabPenezniUstavy",  "TabZdrPoj",   "TabPSC",     "TabStrom",
                                "TabNakladovyOkruh", "TabIVozidlo", "TabZakazka", "TabProfes",
                                "TabPracovniPozice", "TabMzPF"};
    const char* mazaci[] = {"TabZeme",     "TabCisZam", "TabPenezniUstavy",  "TabZdrPoj",
                            "TabPSC",      "TabStrom",  "TabZakazka",        "TabNakladovyOkruh",
                            "TabIVozidlo", "TabProfes", "TabPracovniPozice", "TabMzPF",
                            "TabCisMzSl",  "TabPredzp"};
    std::vector<std::pair<std::string, std::string>> ocekavane; // table, CREATE line
    for (const char* t : priznakove)
        ocekavane.emplace_back(t, std::string("CREATE TRIGGER et_") + t + "_QUELTA_NaPortal ON " + t +
                                      " FOR INSERT\n");
    for (const char* t : mazaci)
        ocekavane.emplace_back(t,
                               std::string("CREATE TRIGGER et_") + t + "_QUELTA ON " + t + " FOR DELETE\n");
    ocekavane.emplace_back(
        "TabQUELTAWSPreprocess",
        "CREATE TRIGGER et_TabQUELTAWSPreprocess_QUELTA ON TabQUELTAWSPreprocess FOR INSERT, UPDATE\n");

    const auto triggery = plugin::ExterniTriggery();
    ASSERT_EQ(triggery.size(), ocekavane.size() + 1);
    EXPECT_TRUE(triggery[0].TriggerSkript.empty());
    for (std::size_t i = 0; i < ocekavane.size(); ++i) {
        const auto& t = triggery[i + 1];
        SCOPED_TRACE(ocekavane[i].second);
        EXPECT_EQ(t.JmenoTabulky, ocekavane[i].first);
        EXPECT_TRUE(t.TriggerSkript.starts_with(ocekavane[i].second)) << t.TriggerSkript.substr(0, 100);
        EXPECT_TRUE(t.Legislativa.Prazdna());
        // No placeholder of the templates is left.
        EXPECT_EQ(t.TriggerSkript.find('{'), std::string_view::npos) << t.TriggerSkript;
    }
}

TEST(SqlObjects, ADeleteTriggerLogsEveryEntityOfItsTableAndItsFurtherEffect) {
    const auto triggery = plugin::ExterniTriggery();
    // TabMzPF feeds two entities; TabCisMzSl marks the Portal's offer.
    EXPECT_EQ(
        triggery[26].TriggerSkript,
        "CREATE TRIGGER et_TabMzPF_QUELTA ON TabMzPF FOR DELETE\n"
        "AS\n"
        "-- Every deleted row goes into the delete log once for each Portal entity the table feeds, keyed\n"
        "-- by the value the Portal knows it by; the synchronizer deletes it on the Portal.\n"
        "SET NOCOUNT ON\n"
        "INSERT INTO TabQUELTADeleteLog (Tabulka, PKRadku)\n"
        "SELECT k.Kod, CAST(d.Symbol AS NVARCHAR(100))\n"
        "FROM deleted d\n"
        "CROSS JOIN (SELECT N'supplementarypensioninsurance' AS Kod UNION ALL SELECT N'lifeinsurance') k\n");
    EXPECT_TRUE(triggery[27].TriggerSkript.ends_with("CROSS JOIN (SELECT N'payrollcomponents' AS Kod) k\n"
                                                     "UPDATE TabQUELTAWSPayrollComponents SET deleted = 1 "
                                                     "WHERE typeCode IN (SELECT CisloMzSl FROM deleted)\n"))
        << triggery[27].TriggerSkript;
}

TEST(SqlObjects, TheNameOfTheObjectACreateTextMakes) {
    EXPECT_EQ(plugin::JmenoObjektu("-- x\nCREATE PROC [dbo].[a_b] @x INT AS"), "a_b");
    EXPECT_EQ(plugin::JmenoObjektu("create procedure dbo.Proc1\nAS"), "Proc1");
    EXPECT_EQ(plugin::JmenoObjektu("CREATE TRIGGER et_T_QUELTA ON T FOR DELETE"), "et_T_QUELTA");
    EXPECT_EQ(plugin::JmenoObjektu("CREATE FUNCTION [dbo].[f](@a INT)"), "f");
    EXPECT_EQ(plugin::JmenoObjektu("CREATE TABLE T (a INT)"), "");
    EXPECT_EQ(plugin::JmenoObjektu("SELECT 1"), "");
}

} // namespace
