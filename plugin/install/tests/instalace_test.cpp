// Installations of the plug-in into the demo host on the embedded engine: first installation,
// installation over an older version, a change script another installer applied meanwhile,
// cancelled dialogs, a second installation that finds nothing to change, a refused statement.

#include "hostitel.h"
#include "testovaci_schema.h"

#include "plugin/messages/hlasky.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace plugin::testing {
namespace {

constexpr const char* kVlastniVerze = "020020120719";

bool Obsahuje(const std::string& text, const std::string& cast) {
    return text.find(cast) != std::string::npos;
}

std::string Zaznam(THostitel& hostitel) {
    return hostitel.Hodnota(
        "SELECT VerzePluginu + '/' + CAST(CAST(ZmenyOK AS INT) AS NVARCHAR(1)) FROM TabPluginInfo "
        "WHERE NazevSys = N'PluginQuelta'");
}

std::string PosledniZurnal(THostitel& hostitel) {
    return hostitel.Hodnota(
        "SELECT TOP 1 CAST(Kod AS NVARCHAR(5)) + ' ' + Text FROM TabZurnal ORDER BY ID DESC");
}

void Nainstalovano(THostitel& hostitel, const std::string& verze, int zmenyOK) {
    hostitel.Proved("UPDATE TabPluginInfo SET VerzePluginu = N'" + verze +
                    "', ZmenyOK = " + std::to_string(zmenyOK) + " WHERE NazevSys = N'PluginQuelta'");
}

void NainstalujPlugin(THostitel& hostitel) {
    const auto beh = hostitel.Instaluj(TDefiniceInstalace::Pluginu(), KonfiguracePluginu());
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Hotovo) << beh.Vysledek.Text;
}

//! The plug-in as version 020020120210 left it: with the settings row the next script deletes.
void Verze020020120210(THostitel& hostitel) {
    NainstalujPlugin(hostitel);
    Nainstalovano(hostitel, "020020120210", 1);
    hostitel.Proved("INSERT INTO TabQUELTANastaveniSynchronizace (Kod, Ciselnik, Nazev, Poradi) "
                    "VALUES (N'modeoftransport', N'', N'Druh dopravy', 2)");
}

TEST(Instalace, FirstInstallationCreatesTheTablesAndRecordsTheVersion) {
    THostitel hostitel;
    const auto beh = hostitel.Instaluj(TDefiniceInstalace::Pluginu(), KonfiguracePluginu());
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Hotovo) << beh.Vysledek.Text;
    EXPECT_EQ(Zaznam(hostitel), std::string(kVlastniVerze) + "/1");
    EXPECT_EQ(PosledniZurnal(hostitel), "77 PluginQuelta - Instalace OK - 2.0.2012.0719");
    for (const auto& tabulka : TabulkyPluginu())
        EXPECT_EQ(hostitel.Hodnota("SELECT COUNT(*) FROM sysobjects WHERE xtype = 'U' AND name = '" +
                                   tabulka + "'"),
                  "1")
            << tabulka;
    // The missing tables, the missing triggers on the host's tables, the installation data script and
    // the missing procedures; the change scripts are for updates.
    ASSERT_EQ(beh.Dialogy.size(), 4u);
    EXPECT_TRUE(Obsahuje(beh.Dialogy[0], "Uvedené tabulky v databázi chybí."));
    EXPECT_TRUE(Obsahuje(beh.Dialogy[1], "Trigger v databázi chybí"));
    EXPECT_TRUE(Obsahuje(beh.Dialogy[2], "Vlastní instalace"));
    EXPECT_TRUE(Obsahuje(beh.Dialogy[3], "Uložená procedura tohoto názvu v databázi chybí"));
    EXPECT_EQ(hostitel.Hodnota("SELECT COUNT(*) FROM TabQUELTANastaveniSynchronizace"), "26");
    // Each step announces itself in order before it runs.
    std::vector<std::string> komentare;
    for (const auto& prikaz : beh.Prikazy)
        if (prikaz.starts_with("/* Kontrola") || prikaz.starts_with("/* Změnové"))
            komentare.push_back(prikaz);
    EXPECT_EQ(komentare, (std::vector<std::string>{
                             "/* Změnové skripty */", "/* Kontrola externích atributů */",
                             "/* Kontrola tabulek */", "/* Kontrola jednotlivých atributů */",
                             "/* Kontrola unikátních klíčů */", "/* Kontrola integritních omezení */",
                             "/* Kontrola cizích klíčů */", "/* Kontrola triggerů */",
                             "/* Kontrola indexů */", "/* Kontrola def.přehledů a externích akcí */",
                             "/* Kontrola uložených procedur */", "/* Kontrola uživatelských funkcí */"}));
}

TEST(Instalace, SecondInstallationChangesNothing) {
    THostitel hostitel;
    NainstalujPlugin(hostitel);
    const auto objekty = "SELECT CAST(id AS NVARCHAR(20)) + ' ' + name FROM sysobjects ORDER BY id";
    const auto pred = hostitel.Sloupec(objekty);
    const auto katalog = hostitel.Katalog(TabulkyPluginu());
    const auto beh = hostitel.Instaluj(TDefiniceInstalace::Pluginu(), KonfiguracePluginu());
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Hotovo) << beh.Vysledek.Text;
    // Only the installation data script is shown; no checker group has anything to change.
    ASSERT_EQ(beh.Dialogy.size(), 1u);
    EXPECT_TRUE(Obsahuje(beh.Dialogy[0], "Vlastní instalace"));
    const auto& skript = KonfiguracePluginu().VlastniInstalacniSkript;
    for (const auto& prikaz : beh.Prikazy) {
        const bool dovoleny = prikaz.starts_with("/* ") && !Obsahuje(prikaz, "\r");
        const bool zaznam =
            prikaz.starts_with("DECLARE @VerzePluginu") || prikaz.starts_with("EXEC dbo.hp_ZapisDoZurnalu");
        const bool vlastni = prikaz.starts_with("/* Vlastní instalace */") &&
                             (!Obsahuje(prikaz, "\r") || Obsahuje(prikaz, skript));
        EXPECT_TRUE(dovoleny || zaznam || vlastni) << prikaz.substr(0, 200);
    }
    EXPECT_EQ(hostitel.Sloupec(objekty), pred) << "an object was dropped and made again";
    EXPECT_EQ(hostitel.Katalog(TabulkyPluginu()), katalog);
    EXPECT_EQ(Zaznam(hostitel), std::string(kVlastniVerze) + "/1");
}

TEST(Instalace, UpdateFromAnOlderVersionRunsOnlyTheNewerScripts) {
    THostitel hostitel;
    Verze020020120210(hostitel);
    const auto beh = hostitel.Instaluj(TDefiniceInstalace::Pluginu(), KonfiguracePluginu());
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Hotovo) << beh.Vysledek.Text;
    ASSERT_GE(beh.Dialogy.size(), 1u);
    EXPECT_TRUE(beh.Dialogy[0].starts_with("Update z verze 020020120210 na verzi 020020120212.\r"));
    EXPECT_TRUE(Obsahuje(beh.Dialogy[0], "skript: 020020120212"));
    EXPECT_FALSE(Obsahuje(beh.Dialogy[0], "skript: 020020120210"));
    EXPECT_EQ(hostitel.Hodnota(
                  "SELECT COUNT(*) FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'modeoftransport'"),
              "0");
    EXPECT_EQ(hostitel.Hodnota("SELECT COUNT(*) FROM TabZurnal WHERE Kod = 8 AND "
                               "Text = N'PluginQuelta - 020020120212 změnových skriptů: 1'"),
              "1");
    EXPECT_EQ(Zaznam(hostitel), std::string(kVlastniVerze) + "/1");
}

TEST(Instalace, UnicodeScriptTellsTheHostAboutTheTablesAndTheWalkGoesOn) {
    THostitel hostitel;
    NainstalujPlugin(hostitel);
    Nainstalovano(hostitel, "020020120101", 1);
    static constexpr TplgZmenovySkript kSkripty[] = {
        {0x020020101022ull, {}},
        {0x020020120105ull, "UPDATE TabQUELTAHGlob SET URL = N'pred'"},
        {0x020020120210ull, "Unicode"},
        {0x020020120212ull, "UPDATE TabQUELTAHGlob SET URL = N'po'"},
    };
    auto definice = TDefiniceInstalace::Pluginu();
    definice.ZmenoveSkripty = kSkripty;
    const auto beh = hostitel.Instaluj(definice, KonfiguracePluginu());
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Hotovo) << beh.Vysledek.Text;
    ASSERT_GE(beh.Dialogy.size(), 2u);
    EXPECT_TRUE(beh.Dialogy[0].starts_with("Update z verze 020020120101 na verzi 020020120105."));
    EXPECT_TRUE(beh.Dialogy[1].starts_with("Update z verze 020020120210 na verzi 020020120212."));
    // The host hears the object IDs of all sixteen tables.
    ASSERT_EQ(beh.HostCalls.size(), 1u);
    EXPECT_TRUE(beh.HostCalls[0].starts_with("NotifyTables(")) << beh.HostCalls[0];
    EXPECT_EQ(std::count(beh.HostCalls[0].begin(), beh.HostCalls[0].end(), ','), 15) << beh.HostCalls[0];
    EXPECT_EQ(hostitel.Hodnota("SELECT COUNT(*) FROM TabZurnal WHERE Kod = 80 AND "
                               "Text = N'PluginQuelta - 020020120210 Převod do UNICODE'"),
              "1");
    EXPECT_EQ(hostitel.Hodnota("SELECT URL FROM TabQUELTAHGlob"), "po");
    EXPECT_EQ(Zaznam(hostitel), std::string(kVlastniVerze) + "/1");
}

TEST(Instalace, ChangeScriptAppliedByAnotherInstallerMeanwhileLeavesNothing) {
    THostitel hostitel;
    Verze020020120210(hostitel);
    const auto beh = hostitel.Instaluj(TDefiniceInstalace::Pluginu(), KonfiguracePluginu(),
                                       [&](int dialog, const TplgObsahDialogu&) {
                                           // Another installer runs the same script while the
                                           // dialog waits for confirmation.
                                           if (dialog == 0) Nainstalovano(hostitel, "020020120212", 0);
                                           return TOdpoved::Provest;
                                       });
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Chyba);
    EXPECT_TRUE(Obsahuje(beh.Vysledek.Text, TextHlasky(31))) << beh.Vysledek.Text;
    EXPECT_TRUE(beh.Vysledek.Text.starts_with("Instalace ERROR - 2.0.2012.0719\r\r")) << beh.Vysledek.Text;
    EXPECT_EQ(hostitel.Hodnota(
                  "SELECT COUNT(*) FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'modeoftransport'"),
              "1");
    EXPECT_EQ(hostitel.Hodnota("SELECT @@TRANCOUNT"), "0");
    EXPECT_EQ(Zaznam(hostitel), "020020120212/0");
    EXPECT_EQ(PosledniZurnal(hostitel), "77 PluginQuelta - Instalace ERROR - 2.0.2012.0719");
}

TEST(Instalace, CancellingAnyDialogKeepsTheOldVersionUnfinished) {
    struct TPripad {
        const char* nazev;
        const char* verze; // installed before, nullptr: nothing
        const char* zmena; // drift made before the installation
        int dialog;        // the dialog cancelled
        const char* nadpis;
    };
    const TPripad pripady[] = {
        {"missing tables", nullptr, nullptr, 0, "Uvedené tabulky v databázi chybí."},
        {"installation data script", nullptr, nullptr, 2, "Vytvoření a změna základních přehledů"},
        {"change scripts", "020020120210", nullptr, 0, "Update z verze 020020120210"},
        {"checker group", kVlastniVerze, "ALTER TABLE TabQUELTAHGlob ADD Navic INT NULL", 0,
         "Byla detekována změna struktury."},
    };
    for (const auto& pripad : pripady) {
        SCOPED_TRACE(pripad.nazev);
        THostitel hostitel;
        if (pripad.verze) {
            NainstalujPlugin(hostitel);
            Nainstalovano(hostitel, pripad.verze, 1);
        }
        if (pripad.zmena) hostitel.Proved(pripad.zmena);
        const auto pred = hostitel.Katalog(TabulkyPluginu());
        const auto beh = hostitel.Instaluj(
            TDefiniceInstalace::Pluginu(), KonfiguracePluginu(), [&](int dialog, const TplgObsahDialogu&) {
                return dialog == pripad.dialog ? TOdpoved::Zrusit : TOdpoved::Provest;
            });
        EXPECT_EQ(beh.Vysledek.Konec, TKonecInstalace::Zrusena);
        EXPECT_EQ(beh.Vysledek.Text, "");
        ASSERT_EQ(beh.Dialogy.size(), static_cast<std::size_t>(pripad.dialog + 1));
        EXPECT_TRUE(Obsahuje(beh.Dialogy.back(), pripad.nadpis)) << beh.Dialogy.back().substr(0, 200);
        EXPECT_EQ(Zaznam(hostitel), std::string(pripad.verze ? pripad.verze : "000000000000") + "/0");
        EXPECT_EQ(PosledniZurnal(hostitel), "77 PluginQuelta - Instalace ERROR - 2.0.2012.0719");
        if (pripad.dialog == 0) {
            EXPECT_EQ(hostitel.Katalog(TabulkyPluginu()), pred);
        }
    }
}

TEST(Instalace, ColumnAFilledTableCannotTakeIsExplainedAndTheRefusalShown) {
    THostitel hostitel;
    ASSERT_EQ(hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu()).Vysledek.Konec, TKonecInstalace::Hotovo);
    hostitel.Proved("INSERT INTO TabQUELTATestA (Cislo, Priorita, Termin) VALUES (1, 1, '20130101')\r"
                    "ALTER TABLE TabQUELTATestA DROP COLUMN Termin");
    const auto beh = hostitel.Instaluj(DefiniceTestu(), KonfiguraceTestu());
    ASSERT_EQ(beh.Vysledek.Konec, TKonecInstalace::Chyba);
    ASSERT_EQ(beh.Dialogy.size(), 1u);
    EXPECT_TRUE(Obsahuje(beh.Dialogy[0], "! Atribut tohoto názvu v tabulce chybí: DATETIME NOT NULL"))
        << beh.Dialogy[0];
    EXPECT_TRUE(Obsahuje(beh.Vysledek.Text, "Column 'Termin' cannot be added to non-empty table"))
        << beh.Vysledek.Text;
    EXPECT_EQ(hostitel.Hodnota("SELECT COUNT(*) FROM syscolumns WHERE name = 'Termin'"), "0");
    EXPECT_EQ(Zaznam(hostitel), std::string(kVlastniVerze) + "/0");
}

} // namespace
} // namespace plugin::testing
