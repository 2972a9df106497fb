// The installer as the host starts it: the library loaded by the host runner, silent
// (`tarvik install`) and interactive (`tarvik run --browse 871 --extkom -1`) without a display.

#include "hostitel.h"

#include <gtest/gtest.h>

namespace plugin::testing {
namespace {

TVystupTarviku Tarvik(const THostitel& hostitel, std::vector<std::string> argumenty) {
    return testing::Tarvik(hostitel, std::move(argumenty), PLUGINQUELTA_LIBRARY);
}

int Pocet(const std::string& text, const std::string& cast) {
    int pocet = 0;
    for (auto i = text.find(cast); i != std::string::npos; i = text.find(cast, i + 1))
        ++pocet;
    return pocet;
}

std::string Zaznam(THostitel& hostitel) {
    return hostitel.Hodnota(
        "SELECT VerzePluginu + '/' + CAST(CAST(ZmenyOK AS INT) AS NVARCHAR(1)) FROM TabPluginInfo");
}

TEST(Spousteni, SilentInstallationAndItsRepetition) {
    THostitel hostitel;
    const auto prvni = Tarvik(hostitel, {"install"});
    ASSERT_EQ(prvni.Status, 0) << prvni.Err;
    // External attributes, the missing tables, the triggers on the host's tables, the registrations
    // with the installation data script, the procedures.
    EXPECT_EQ(Pocet(prvni.Out, "INFO: Změna struktury databáze\n"), 5) << prvni.Out.substr(0, 500);
    EXPECT_EQ(Pocet(prvni.Out, "YES/NO"), 0);
    // Silent: the host application is not ended.
    EXPECT_EQ(Pocet(prvni.Out, "bude ukončena"), 0);
    EXPECT_EQ(Zaznam(hostitel), "020020120719/1");

    const auto druha = Tarvik(hostitel, {"install"});
    ASSERT_EQ(druha.Status, 0) << druha.Err;
    // The registrations are shown again (they run on every installation); no checker group is.
    EXPECT_EQ(Pocet(druha.Out, "INFO: Změna struktury databáze\n"), 2);
    EXPECT_EQ(Pocet(druha.Out, "Vlastní instalace"), 4) << druha.Out.substr(0, 500);
    EXPECT_EQ(Zaznam(hostitel), "020020120719/1");
}

TEST(Spousteni, InteractiveInstallationAsksBeforeEachDialog) {
    THostitel hostitel;
    const auto zrusena = Tarvik(hostitel, {"run", "--browse", "871", "--extkom", "-1", "--answer", "yes",
                                           "--answer", "yes", "--answer", "no"});
    EXPECT_EQ(zrusena.Status, 0) << zrusena.Err;
    EXPECT_EQ(Pocet(zrusena.Out, "YES/NO: Opravdu si přejete provést výše uvedené změny ? -> no"), 1);
    EXPECT_EQ(Zaznam(hostitel), "000000000000/0");
    const auto neuplna = Tarvik(hostitel, {"run", "--browse", "205"});
    EXPECT_EQ(neuplna.Status, 1);
    EXPECT_NE(neuplna.Err.find("Je třeba spustit instalaci pluginu!"), std::string::npos) << neuplna.Err;

    // The tables exist from the first attempt: the triggers, the registrations with the installation
    // data script and the procedures are left to ask about.
    const auto hotova = Tarvik(hostitel, {"run", "--browse", "871", "--extkom", "-1", "--answer", "yes",
                                          "--answer", "yes", "--answer", "yes", "--answer", "yes"});
    EXPECT_EQ(hotova.Status, 0) << hotova.Err;
    EXPECT_TRUE(hotova.Out.ends_with("INFO: Aplikace Tarvik bude ukončena.\n"))
        << hotova.Out.substr(hotova.Out.size() - 300);
    EXPECT_EQ(Zaznam(hostitel), "020020120719/1");
}

TEST(Spousteni, FailingStatementFailsTheCommandWithTheServersMessage) {
    THostitel hostitel;
    ASSERT_EQ(Tarvik(hostitel, {"install"}).Status, 0);
    hostitel.Proved("ALTER TABLE TabQUELTANastaveniSynchronizace DROP CONSTRAINT "
                    "UQ__TabQUELTANastaveniSynchronizace__Kod\r"
                    "INSERT INTO TabQUELTANastaveniSynchronizace (Kod, Ciselnik, Nazev, Poradi) "
                    "VALUES (N'country', N'TabZeme', N'Země', 2)");
    const auto vysledek = Tarvik(hostitel, {"install"});
    EXPECT_EQ(vysledek.Status, 1);
    EXPECT_TRUE(vysledek.Err.starts_with("Run failed: Instalace ERROR - 2.0.2012.0719\n\n")) << vysledek.Err;
    EXPECT_NE(vysledek.Err.find("UQ__TabQUELTANastaveniSynchronizace__Kod"), std::string::npos)
        << vysledek.Err;
    EXPECT_EQ(Zaznam(hostitel), "020020120719/0");
}

} // namespace
} // namespace plugin::testing
