// The procedures and triggers go through the installer's comparison with the catalog: the catalog's
// text, read in 2000-character parts and cut at its first CREATE, is compared with the text that
// ships, trailing line ends and blanks ignored. What was created or altered from those texts must
// compare equal, so that a re-install changes nothing.

#include "plugin_host.h"

#include "plugin/definitions/sql_objects.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

namespace {

using plugin::testing::TPluginHost;

std::string BezKonce(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

std::string OdCreate(const std::string& text) {
    const auto kde = text.find("CREATE");
    return kde == std::string::npos ? text : text.substr(kde);
}

//! The catalog's texts of the objects of a query returning id, part 1 + "|", part 2 + "|" (after
//! `predem` leading columns that name the object), joined per object and cut at CREATE.
std::map<std::string, std::string> TextyKatalogu(TPluginHost& host, const std::string& dotaz,
                                                 std::size_t predem) {
    std::map<std::string, std::string> texty;
    const auto vysledek = host.exec(dotaz);
    for (const auto& radek : vysledek.resultSets.at(0).rows()) {
        std::string klic;
        for (std::size_t i = 0; i < predem; ++i)
            klic += plugin::testing::Text(radek[i]) + (i + 1 < predem ? "." : "");
        for (std::size_t i = predem; i < radek.size(); ++i) {
            auto cast = plugin::testing::Text(radek[i]);
            cast.pop_back(); // the "|" that keeps trailing blanks
            texty[klic] += cast;
        }
    }
    for (auto& [klic, text] : texty)
        text = OdCreate(text);
    return texty;
}

std::string SeznamJmen(const std::set<std::string>& jmena) {
    std::string seznam;
    for (const auto& jmeno : jmena)
        seznam += (seznam.empty() ? "N'" : ",N'") + jmeno + "'";
    return seznam;
}

//! The plug-in's procedures and triggers whose catalog text differs from the shipped one, or that
//! are missing or disabled.
std::set<std::string> Zmenene(TPluginHost& host) {
    std::set<std::string> zmenene;

    std::map<std::string, std::string> procedury;
    for (const auto& p : plugin::UlozeneProcedury().subspan(1))
        procedury[std::string(plugin::JmenoObjektu(p.Text))] = std::string(p.Text);
    std::set<std::string> jmena;
    for (const auto& [jmeno, text] : procedury)
        jmena.insert(jmeno);
    const auto katalog = TextyKatalogu(host,
                                       "SELECT sysobjects.name,\r"
                                       "SUBSTRING(text,    1, 2000) + N'|',\r"
                                       "SUBSTRING(text, 2001, 2000) + N'|'\r"
                                       "FROM sysobjects\r"
                                       "JOIN syscomments c ON sysobjects.id=c.id\r"
                                       "WHERE sysobjects.name IN(" +
                                           SeznamJmen(jmena) +
                                           ") AND sysobjects.xtype='P'\r"
                                           "ORDER BY c.id,c.colid",
                                       1);
    for (const auto& [jmeno, text] : procedury)
        if (!katalog.contains(jmeno) || BezKonce(katalog.at(jmeno)) != BezKonce(text)) zmenene.insert(jmeno);

    std::map<std::string, std::string> triggery;
    std::set<std::string> tabulky;
    for (const auto& t : plugin::ExterniTriggery().subspan(1)) {
        triggery[std::string(t.JmenoTabulky) + "." + std::string(plugin::JmenoObjektu(t.TriggerSkript))] =
            std::string(t.TriggerSkript);
        tabulky.insert(std::string(t.JmenoTabulky));
    }
    const auto katalogTriggeru =
        TextyKatalogu(host,
                      "SELECT o2.name, sysobjects.name,\r"
                      "substring(text,    1,2000) + '|',\r"
                      "substring(text, 2001,2000) + '|'\r"
                      "FROM sysobjects\r"
                      "JOIN syscomments ON sysobjects.id=syscomments.id\r"
                      "JOIN sysobjects o2 ON o2.id=sysobjects.parent_obj\r"
                      "WHERE sysobjects.xtype='TR' AND o2.name IN(" +
                          SeznamJmen(tabulky) +
                          ")\r"
                          "AND sysobjects.name LIKE 'et_'+o2.name+'%'\r"
                          "AND OBJECTPROPERTY(sysobjects.id,'ExecIsTriggerDisabled') = 0\r"
                          "ORDER BY syscomments.id,syscomments.colid",
                      2);
    for (const auto& [klic, text] : triggery)
        if (!katalogTriggeru.contains(klic) || BezKonce(katalogTriggeru.at(klic)) != BezKonce(text))
            zmenene.insert(klic);
    for (const auto& [klic, text] : katalogTriggeru)
        if (!triggery.contains(klic)) zmenene.insert(klic); // one of the plug-in's names no longer defined
    return zmenene;
}

//! The differences of the objects the engine takes (those it does not take yet stay out).
std::set<std::string> ZmeneneNaStroji(TPluginHost& host) {
    auto zmenene = Zmenene(host);
    for (const auto& p : plugin::UlozeneProcedury().subspan(1)) {
        const std::string jmeno(plugin::JmenoObjektu(p.Text));
        if (!host.Chybi({jmeno}).empty()) zmenene.erase(jmeno);
    }
    return zmenene;
}

TEST(Comparison, AFreshInstallAndAReinstallLeaveNothingToChange) {
    TPluginHost host;
    EXPECT_EQ(ZmeneneNaStroji(host), std::set<std::string>{});

    // The installer's way of bringing a changed text in: ALTER in place of CREATE.
    for (const auto& p : plugin::UlozeneProcedury().subspan(1))
        if (host.Chybi({plugin::JmenoObjektu(p.Text)}).empty())
            host.exec("ALTER " + std::string(p.Text.substr(7)));
    for (const auto& t : plugin::ExterniTriggery().subspan(1))
        host.exec("ALTER" + std::string(t.TriggerSkript.substr(6)));
    EXPECT_EQ(ZmeneneNaStroji(host), std::set<std::string>{});
}

TEST(Comparison, ATextThatDiffersIsFound) {
    TPluginHost host;
    const auto& procedura = plugin::UlozeneProcedury()[3];
    host.exec("ALTER " + std::string(procedura.Text.substr(7)) + "\r-- changed by hand");
    host.exec("ALTER TABLE TabZeme DISABLE TRIGGER et_TabZeme_QUELTA");
    host.exec("DROP TRIGGER et_TabPSC_QUELTA_NaPortal");
    host.exec("CREATE TRIGGER et_TabPSC_QUELTA_Stary ON TabPSC FOR UPDATE AS SET NOCOUNT ON");
    EXPECT_EQ(
        ZmeneneNaStroji(host),
        (std::set<std::string>{"hpx_Quelta_TravelOrder_GetLatestCommitNumber", "TabZeme.et_TabZeme_QUELTA",
                               "TabPSC.et_TabPSC_QUELTA_NaPortal", "TabPSC.et_TabPSC_QUELTA_Stary"}));
}

} // namespace
