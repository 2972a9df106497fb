// The installer as the host starts it: the library loaded by the host runner, silent
// (`tarvik install`) and interactive (`tarvik run --browse 871 --extkom -1`) without a display.

#include "hostitel.h"

#include "standins/tarvik/runner.h"

#include <gtest/gtest.h>

#include <sstream>

namespace plugin::testing {
namespace {

struct TVystup {
    int status;
    std::string out;
    std::string err;
};

TVystup Tarvik(const THostitel& hostitel, std::vector<std::string> argumenty) {
    argumenty.insert(argumenty.begin() + 1,
                     {"--db", hostitel.Soubor().string(), "--plugin", PLUGINQUELTA_LIBRARY});
    std::ostringstream out, err;
    const int status = standins::tarvik::runTarvik(argumenty, out, err);
    return {status, out.str(), err.str()};
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
    ASSERT_EQ(prvni.status, 0) << prvni.err;
    // The tables, the triggers on the host's tables, the installation data script, the procedures.
    EXPECT_EQ(Pocet(prvni.out, "INFO: Změna struktury databáze\n"), 4) << prvni.out.substr(0, 500);
    EXPECT_EQ(Pocet(prvni.out, "YES/NO"), 0);
    // Silent: the host application is not ended.
    EXPECT_EQ(Pocet(prvni.out, "bude ukončena"), 0);
    EXPECT_EQ(Zaznam(hostitel), "020020120719/1");

    const auto druha = Tarvik(hostitel, {"install"});
    ASSERT_EQ(druha.status, 0) << druha.err;
    EXPECT_EQ(Pocet(druha.out, "INFO: Změna struktury databáze\n"), 1);
    EXPECT_EQ(Pocet(druha.out, "Vlastní instalace"), 4) << druha.out.substr(0, 500);
    EXPECT_EQ(Zaznam(hostitel), "020020120719/1");
}

TEST(Spousteni, InteractiveInstallationAsksBeforeEachDialog) {
    THostitel hostitel;
    const auto zrusena =
        Tarvik(hostitel, {"run", "--browse", "871", "--extkom", "-1", "--answer", "yes", "--answer", "no"});
    EXPECT_EQ(zrusena.status, 0) << zrusena.err;
    EXPECT_EQ(Pocet(zrusena.out, "YES/NO: Opravdu si přejete provést výše uvedené změny ? -> no"), 1);
    EXPECT_EQ(Zaznam(hostitel), "000000000000/0");
    const auto neuplna = Tarvik(hostitel, {"run", "--browse", "205"});
    EXPECT_EQ(neuplna.status, 1);
    EXPECT_NE(neuplna.err.find("Je třeba spustit instalaci pluginu!"), std::string::npos) << neuplna.err;

    // The tables exist from the first attempt: the triggers, the installation data script and the
    // procedures are left to ask about.
    const auto hotova = Tarvik(hostitel, {"run", "--browse", "871", "--extkom", "-1", "--answer", "yes",
                                          "--answer", "yes", "--answer", "yes"});
    EXPECT_EQ(hotova.status, 0) << hotova.err;
    EXPECT_TRUE(hotova.out.ends_with("INFO: Aplikace Tarvik bude ukončena.\n"))
        << hotova.out.substr(hotova.out.size() - 300);
    EXPECT_EQ(Zaznam(hostitel), "020020120719/1");
}

TEST(Spousteni, FailingStatementFailsTheCommandWithTheServersMessage) {
    THostitel hostitel;
    ASSERT_EQ(Tarvik(hostitel, {"install"}).status, 0);
    hostitel.Proved("ALTER TABLE TabQUELTANastaveniSynchronizace DROP CONSTRAINT "
                    "UQ__TabQUELTANastaveniSynchronizace__Kod\r"
                    "INSERT INTO TabQUELTANastaveniSynchronizace (Kod, Ciselnik, Nazev, Poradi) "
                    "VALUES (N'country', N'TabZeme', N'Země', 2)");
    const auto vysledek = Tarvik(hostitel, {"install"});
    EXPECT_EQ(vysledek.status, 1);
    EXPECT_TRUE(vysledek.err.starts_with("Run failed: Instalace ERROR - 2.0.2012.0719\n\n")) << vysledek.err;
    EXPECT_NE(vysledek.err.find("UQ__TabQUELTANastaveniSynchronizace__Kod"), std::string::npos)
        << vysledek.err;
    EXPECT_EQ(Zaznam(hostitel), "020020120719/0");
}

} // namespace
} // namespace plugin::testing
