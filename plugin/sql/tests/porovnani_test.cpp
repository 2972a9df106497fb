// The procedures and triggers go through the installer's comparison with the catalog: what a fresh
// installation created from the texts must compare equal to them, so that installing again
// changes nothing, and a text that drifted must be found and brought back.

#include "plugin_host.h"

#include "plugin/definitions/sql_objects.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using plugin::testing::TPluginHost;

//! The texts of an installation that tell of a procedure or a trigger.
std::vector<std::string> ZpravyOObjektech(const std::vector<std::string>& zpravy) {
    std::vector<std::string> nalezene;
    for (const auto& zprava : zpravy)
        if (zprava.find("Uložená procedura") != std::string::npos ||
            zprava.find("Trigger v databázi") != std::string::npos ||
            zprava.find("Trigger je v databázi") != std::string::npos)
            nalezene.push_back(zprava);
    return nalezene;
}

std::string TextKatalogu(TPluginHost& host, const std::string& jmeno) {
    std::string text;
    for (const auto& cast : host.rows("SELECT c.text FROM syscomments c JOIN sysobjects o ON o.id = c.id "
                                      "WHERE o.name = N'" +
                                      jmeno + "' ORDER BY c.colid"))
        text += cast;
    return text.substr(text.find("CREATE"));
}

TEST(Comparison, AReinstallationFindsNoProcedureOrTriggerToChange) {
    TPluginHost host;
    EXPECT_EQ(ZpravyOObjektech(plugin::testing::Instaluj(host.db())), std::vector<std::string>{});
    // The catalog holds the texts as they ship.
    for (const auto& p : plugin::UlozeneProcedury().subspan(1))
        EXPECT_EQ(TextKatalogu(host, std::string(plugin::JmenoObjektu(p.Text))), p.Text);
    for (const auto& t : plugin::ExterniTriggery().subspan(1))
        EXPECT_EQ(TextKatalogu(host, std::string(plugin::JmenoObjektu(t.TriggerSkript))), t.TriggerSkript);
}

TEST(Comparison, ADriftedProcedureOrTriggerIsFoundAndBroughtBack) {
    TPluginHost host;
    const auto& procedura = plugin::UlozeneProcedury()[3];
    host.exec("ALTER " + std::string(procedura.Text.substr(7)) + "\r-- changed by hand");
    host.exec("ALTER TABLE TabZeme DISABLE TRIGGER et_TabZeme_QUELTA");
    host.exec("DROP TRIGGER et_TabPSC_QUELTA_NaPortal");
    const auto zpravy = ZpravyOObjektech(plugin::testing::Instaluj(host.db()));
    ASSERT_EQ(zpravy.size(), 2u);
    const auto& spousteci = zpravy[0];
    EXPECT_NE(spousteci.find("Trigger je v databázi vypnut"), std::string::npos) << spousteci;
    EXPECT_NE(spousteci.find("Trigger v databázi chybí"), std::string::npos) << spousteci;
    EXPECT_NE(zpravy[1].find("Uložená procedura se změnila"), std::string::npos) << zpravy[1];
    EXPECT_NE(zpravy[1].find("hpx_Quelta_TravelOrder_GetLatestCommitNumber"), std::string::npos) << zpravy[1];
    EXPECT_EQ(ZpravyOObjektech(plugin::testing::Instaluj(host.db())), std::vector<std::string>{});
    EXPECT_EQ(TextKatalogu(host, "hpx_Quelta_TravelOrder_GetLatestCommitNumber"), procedura.Text);
}

} // namespace
