// What the change dialog shows, and which statements run after unchecking.

#include "plugin/install/obsah_dialogu.h"

#include <gtest/gtest.h>

namespace plugin {
namespace {

//! A checker's trees over four statements: a column added, a trigger changed, a procedure
//! created with its rights.
struct TKontrola {
    TplgVysvetleni tabulky;
    TplgVysvetleni procedury;
    std::vector<TplgPrikaz> prikazy{{1, "ALTER TABLE T ADD C INT NULL"},
                                    {2, "ALTER TRIGGER et_T ON T FOR INSERT AS SELECT 2"},
                                    {3, "CREATE PROCEDURE dbo.P AS SELECT 1"},
                                    {4, "GRANT ALL ON dbo.P TO PUBLIC"}};
    TKontrola() {
        tabulky.Dite("T").Dite("C").Dite("Atribut tohoto názvu v tabulce chybí").Prikazy = {1};
        tabulky.Dite("T").Dite("$TRIGGER$et_T").Dite("Trigger v databázi se změnil").Prikazy = {2};
        procedury.Dite("dbo.P").Dite("Uložená procedura tohoto názvu v databázi chybí").Prikazy = {3};
        procedury.Dite("dbo.P").Dite("$PRAVA$Nastavení práv k nové uložené proceduře").Prikazy = {4};
    }
    TplgObsahDialogu Obsah() const {
        return ObsahZKontroly("Byla detekována změna struktury.", "2.0.2012.0719", "PluginQuelta", tabulky,
                              procedury, prikazy);
    }
};

TEST(TplgObsahDialogu, TreeOfTheCheckerWithKindsOfNodes) {
    const auto obsah = TKontrola().Obsah();
    const auto& koren = obsah.Koren;
    EXPECT_EQ(koren.Druh, TDruhUzlu::Koren);
    EXPECT_TRUE(koren.Tucne);
    ASSERT_EQ(koren.Deti.size(), 2u);
    const auto& tabulka = koren.Deti[0];
    EXPECT_EQ(tabulka.Druh, TDruhUzlu::Tabulka);
    ASSERT_EQ(tabulka.Deti.size(), 2u);
    EXPECT_EQ(tabulka.Deti[1].Druh, TDruhUzlu::Trigger);
    EXPECT_EQ(tabulka.Deti[1].Text, "et_T");
    const auto& procedura = koren.Deti[1];
    EXPECT_EQ(procedura.Druh, TDruhUzlu::Procedura);
    EXPECT_EQ(procedura.Deti[1].Druh, TDruhUzlu::Prava);
    EXPECT_EQ(procedura.Deti[1].Text, "Nastavení práv k nové uložené proceduře");
    EXPECT_EQ(obsah.PrikazyUzlu(procedura.Deti[1]), "GRANT ALL ON dbo.P TO PUBLIC");
    EXPECT_EQ(obsah.PrikazyUzlu(procedura), "");
}

TEST(TplgObsahDialogu, UncheckedNodesLeaveTheirStatementsOut) {
    auto obsah = TKontrola().Obsah();
    EXPECT_EQ(obsah.PrikazyKProvedeni().size(), 4u);
    obsah.Koren.Deti[0].Deti[1].Deti[0].Zaskrtnuty = false; // the trigger
    obsah.Koren.Deti[1].Deti[1].Zaskrtnuty = false;         // the rights
    EXPECT_EQ(obsah.PrikazyKProvedeni(), (std::vector<std::string>{"ALTER TABLE T ADD C INT NULL",
                                                                   "CREATE PROCEDURE dbo.P AS SELECT 1"}));
    obsah.OdznacVse();
    EXPECT_TRUE(obsah.PrikazyKProvedeni().empty());
    // Nodes without statements keep their state.
    EXPECT_TRUE(obsah.Koren.Deti[0].Zaskrtnuty);
}

TEST(TplgObsahDialogu, EqualStatementsAreToldApartByNumber) {
    TplgVysvetleni tabulky;
    tabulky.Dite("T").Dite("A").Dite("x").Prikazy = {1};
    tabulky.Dite("T").Dite("B").Dite("x").Prikazy = {2};
    auto obsah = ObsahZKontroly("h", "v", "P", tabulky, {}, {{1, "SELECT 1"}, {2, "SELECT 1"}});
    obsah.Koren.Deti[0].Deti[1].Deti[0].Zaskrtnuty = false;
    EXPECT_EQ(obsah.PrikazyKProvedeni(), std::vector<std::string>{"SELECT 1"});
}

TEST(TplgObsahDialogu, RegistrationItemsHangUnderTheirSections) {
    const auto obsah = ObsahZRegistrace(
        "Vytvoření a změna základních přehledů, akcí a vazeb.", "2.0.2012.0719", "PluginQuelta",
        {{"*** Externí atributy ***$INFO$", "/* Externí atributy */", {}},
         {"Ext.atribut TabICestak._Quelta_PortalID$EXATR$", "/* a */\rEXEC x", {}},
         {"*** Vlastní instalace ***$INFO$", "/* Vlastní instalace */", {}},
         {"Vlastní instalace$VLASTNI$",
          "/* Vlastní instalace */\rSELECT 1",
          {"Pohled v", "$PRAVA$GRANT ALL ON v"}},
         {"Bez druhu", "SELECT 2", {}}});
    ASSERT_EQ(obsah.Koren.Deti.size(), 2u);
    const auto& sekce = obsah.Koren.Deti[1];
    EXPECT_EQ(sekce.Druh, TDruhUzlu::Sekce);
    EXPECT_TRUE(sekce.Rozbaleny);
    EXPECT_EQ(sekce.Text, "*** Vlastní instalace ***");
    ASSERT_EQ(sekce.Deti.size(), 2u);
    EXPECT_EQ(sekce.Deti[0].Druh, TDruhUzlu::Vlastni);
    EXPECT_EQ(sekce.Deti[0].Text, "Vlastní instalace");
    // What an item's statement does hangs under it; a rights grant shows without its prefix.
    ASSERT_EQ(sekce.Deti[0].Deti.size(), 2u);
    EXPECT_EQ(sekce.Deti[0].Deti[0].Druh, TDruhUzlu::Zprava);
    EXPECT_EQ(sekce.Deti[0].Deti[1].Druh, TDruhUzlu::Prava);
    EXPECT_EQ(sekce.Deti[0].Deti[1].Text, "GRANT ALL ON v");
    EXPECT_FALSE(sekce.Deti[0].Deti[1].MaPrikazy());
    EXPECT_EQ(sekce.Deti[1].Druh, TDruhUzlu::Polozka);
    EXPECT_EQ(obsah.Koren.Deti[0].Deti[0].Druh, TDruhUzlu::ExtAtribut);
    EXPECT_EQ(obsah.PrikazyKProvedeni().size(), 5u);
}

TEST(TplgObsahDialogu, TextShowsTreeAndStatementsThatRun) {
    auto obsah = TKontrola().Obsah();
    obsah.Koren.Deti[0].Deti[0].Deti[0].Tucne = true;
    obsah.Koren.Deti[1].Deti[1].Zaskrtnuty = false;
    EXPECT_EQ(obsah.Text(), "Byla detekována změna struktury.\r"
                            "2.0.2012.0719\r"
                            "\r"
                            "! PluginQuelta\r"
                            "  T\r"
                            "    C\r"
                            "      ! Atribut tohoto názvu v tabulce chybí\r"
                            "    et_T\r"
                            "      Trigger v databázi se změnil\r"
                            "  dbo.P\r"
                            "    Uložená procedura tohoto názvu v databázi chybí\r"
                            "    [ ] Nastavení práv k nové uložené proceduře\r"
                            "\r-- 1\rALTER TABLE T ADD C INT NULL\r"
                            "\r-- 2\rALTER TRIGGER et_T ON T FOR INSERT AS SELECT 2\r"
                            "\r-- 3\rCREATE PROCEDURE dbo.P AS SELECT 1\r");
}

} // namespace
} // namespace plugin
