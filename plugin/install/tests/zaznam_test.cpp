// The installation record, the journal texts, the change scripts and the silent command line.

#include "plugin/install/instalace.h"
#include "plugin/install/zaznam_instalace.h"

#include <gtest/gtest.h>

namespace plugin {
namespace {

const TplgIdentitaPluginu kIdentita{"PluginQuelta", "Quelta", "PluginQuelta"};

TEST(ZaznamInstalace, VersionsAsTwelveUpperCaseDigits) {
    EXPECT_EQ(TextVerze(0x020020120719ull), "020020120719");
    EXPECT_EQ(TextVerze(0x0A0B20120719ull), "0A0B20120719");
    EXPECT_EQ(TextVerze(0), "000000000000");
}

TEST(ZaznamInstalace, RecordStatementUpdatesOrInserts) {
    EXPECT_EQ(TextZapisuVerze("020020120719", kIdentita, 1),
              "DECLARE @VerzePluginu NVARCHAR(12)\r"
              "SET @VerzePluginu = N'020020120719'\r"
              "IF EXISTS(SELECT*FROM TabPluginInfo WHERE NazevSys=N'PluginQuelta')\r"
              "UPDATE TabPluginInfo SET\r"
              "VerzePluginu=@VerzePluginu,\r"
              "NazevObjektu=N'Quelta',\r"
              "NazevVerejny=N'PluginQuelta',\r"
              "ZmenyOK=1\r"
              "WHERE NazevSys=N'PluginQuelta'\r"
              "ELSE\r"
              "INSERT TabPluginInfo(VerzePluginu,NazevSys,NazevObjektu,NazevVerejny,ZmenyOK)\r"
              "VALUES(@VerzePluginu,N'PluginQuelta',N'Quelta',N'PluginQuelta',1)");
}

TEST(ZaznamInstalace, JournalTextIsCutTo255Characters) {
    EXPECT_EQ(TextZapisuDoZurnalu("PluginQuelta", 77, "Instalace OK - 2.0.2012.0719"),
              "EXEC dbo.hp_ZapisDoZurnalu 0,77,N'PluginQuelta - Instalace OK - 2.0.2012.0719'");
    // Characters, not bytes: 300 two-byte letters keep 255 - 15 of them whole.
    std::string dlouhy;
    for (int i = 0; i < 300; ++i)
        dlouhy += "č";
    const auto prikaz = TextZapisuDoZurnalu("PluginQuelta", 8, dlouhy + "'");
    std::string ocekavany;
    for (int i = 0; i < 255 - 15; ++i)
        ocekavany += "č";
    EXPECT_EQ(prikaz, "EXEC dbo.hp_ZapisDoZurnalu 0,8,N'PluginQuelta - " + ocekavany + "'");
}

TEST(ZaznamInstalace, ChangeScriptsNewerThanTheInstalledVersion) {
    const auto skripty = ZmenoveSkripty();
    EXPECT_TRUE(SeberZmenoveSkripty(skripty, "020020120212", kIdentita).Skripty.empty());
    const auto zPredposledni = SeberZmenoveSkripty(skripty, "020020120210", kIdentita);
    ASSERT_EQ(zPredposledni.Skripty.size(), 1u);
    EXPECT_EQ(zPredposledni.Skripty[0].Verze, "020020120212");
    EXPECT_EQ(zPredposledni.Skripty[0].Transakce,
              "/* skript: 020020120212 */\r"
              "BEGIN TRANSACTION\r"
              "IF(SELECT VerzePluginu FROM TabPluginInfo WITH(TABLOCKX) WHERE NazevSys=N'PluginQuelta')>="
              "N'020020120212'\r"
              "BEGIN\r"
              "ROLLBACK\r"
              "RAISERROR(N'Změnový skript už byl proveden někým jiným - informace by měla být v žurnálu !', "
              "16, 1)\r"
              "RETURN\r"
              "END\r"
              "DELETE FROM dbo.TabQUELTANastaveniSynchronizace WHERE Kod = 'modeoftransport'\r"
              "COMMIT");
    EXPECT_EQ(zPredposledni.Skripty[0].Zaznam, TextZapisuVerze("020020120212", kIdentita, 0));
    // The placeholder of entry 0 is never applied.
    const auto zeStare = SeberZmenoveSkripty(skripty, "010020100101", kIdentita);
    ASSERT_EQ(zeStare.Skripty.size(), 2u);
    EXPECT_EQ(zeStare.Skripty[0].Verze, "020020120210");
}

TEST(ZaznamInstalace, UnicodeScriptStopsTheWalk) {
    const TplgZmenovySkript skripty[] = {
        {0x020020101022ull, {}},
        {0x020020120210ull, "SELECT 1"},
        {0x020020120211ull, " unicode "},
        {0x020020120212ull, "SELECT 2"},
    };
    const auto sber = SeberZmenoveSkripty(skripty, "020020120101", kIdentita);
    ASSERT_EQ(sber.Skripty.size(), 1u);
    EXPECT_EQ(sber.Unicode, 2u);
    const auto dale = SeberZmenoveSkripty(skripty, "020020120211", kIdentita, sber.Unicode + 1);
    ASSERT_EQ(dale.Skripty.size(), 1u);
    EXPECT_EQ(dale.Skripty[0].Verze, "020020120212");
    EXPECT_EQ(dale.Unicode, 0u);
}

TEST(TichaInstalace, CommandLineArgumentWithXX) {
    EXPECT_TRUE(TichaInstalaceZPrikazoveRadky({"tarvik", "-XX"}));
    EXPECT_TRUE(TichaInstalaceZPrikazoveRadky({"tarvik", "/xXinstall"}));
    EXPECT_FALSE(TichaInstalaceZPrikazoveRadky({"tarvik", "-X"}));
    EXPECT_FALSE(TichaInstalaceZPrikazoveRadky({"tarvik", "XXX", "-AXX", "--xx"}));
    EXPECT_FALSE(ArgumentyProcesu().empty());
}

} // namespace
} // namespace plugin
