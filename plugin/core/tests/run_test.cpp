// Run on a host database: the installation record, the version checks, the languages and
// the commands, through the host stand-in with a scripted user.

#include "host_fixture.h"

#include "plugin/core/moduly.h"
#include "plugin/core/plg_main.h"
#include "plugin/core/spravce_tarviku.h"
#include "plugin/core/verze.h"
#include "plugin/definitions/captions.h"

#include <gtest/gtest.h>

namespace {

using namespace plugin;
using plugin::testing::runPlugin;
using standins::tarvik::BrowseState;
using standins::tarvik::HostSettings;
using standins::tarvik::Interaction;

const std::string kOwnVersion = "020020120719";

BrowseState browse(int number, int extKom) {
    BrowseState state;
    state.browse = number;
    state.extKomId = extKom;
    return state;
}

std::string notAvailable(const std::string& what) {
    return "Funkce \001" + what + "\001 není v tomto sestavení pluginu k dispozici.";
}

std::string versions(const std::string& stored) {
    return "Verze v DB: " + stored + "\rVerze pluginu: " + kOwnVersion;
}

class RunTest : public ::testing::Test {
protected:
    void SetUp() override {
        connection_ = plugin::testing::connectHost();
        exec("DELETE FROM TabPluginInfo");
        language(1);
    }
    void TearDown() override {
        exec("DELETE FROM TabPluginInfo");
        exec("DELETE FROM TabObecnyPrehled WHERE NazevSys LIKE N'hvw[_]QUELTA%'");
        exec("DELETE FROM TabExtKom WHERE UP = N'PluginQuelta.Quelta'");
        language(1);
    }

    void exec(const std::string& sql) { plugin::testing::exec(*connection_, sql); }
    void installed(const std::string& version, int changesOk) {
        exec("INSERT INTO TabPluginInfo (NazevSys, VerzePluginu, NazevObjektu, NazevVerejny, ZmenyOK) VALUES "
             "(N'PluginQuelta', N'" +
             version + "', N'Quelta', N'PluginQuelta', " + std::to_string(changesOk) + ")");
    }
    void language(int jazyk) {
        exec("UPDATE TabUziv SET Jazyk = " + std::to_string(jazyk) +
             ", Jazyk2 = -1 WHERE LoginName = SUSER_SNAME()");
    }
    plugin::testing::CallResult run(BrowseState state, HostSettings settings = {}) {
        auto result = runPlugin(*connection_, std::move(state), std::move(settings));
        EXPECT_EQ(SpravceTarviku().Pocet(), 0u) << "the interface outlived Run";
        return result;
    }

    std::unique_ptr<platform::db::Connection> connection_;
};

TEST_F(RunTest, InstallationRecordDecidesWhetherCommandsRun) {
    struct Case {
        const char* what;
        const char* stored; // nullptr: no row
        int changesOk;
        int browse, extKom;
        std::string failure;
    };
    const std::string install =
        "Verze pluginu je vyšší než verze v databázi!\r\001Je třeba spustit instalaci pluginu!\001";
    const std::string higher = "Verze pluginu je nižší než verze v databázi!\r\r" + versions("020020130101");
    // The installer itself (ExtKom -1 and -3) is tested with the installer, on databases of its own.
    const Case cases[] = {
        {"not installed", nullptr, 0, 205, 0, install + "\r\r" + versions("000000000000")},
        {"older version installed", "020020120210", 1, 205, 0, install + "\r\r" + versions("020020120210")},
        {"newer version installed", "020020130101", 1, 205, 0, higher},
        {"newer version installed, installer asked for", "020020130101", 1, 871, -1, higher},
        {"last installation incomplete", kOwnVersion.c_str(), 0, 205, 0,
         "Při minulé instalaci nebyly korektně provedeny všechny změny!\r\001Je třeba spustit instalaci "
         "pluginu!\001"},
        {"installed", kOwnVersion.c_str(), 1, 205, 0, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        exec("DELETE FROM TabPluginInfo");
        if (c.stored) installed(c.stored, c.changesOk);
        const auto result = run(browse(c.browse, c.extKom));
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_TRUE(result.shown.empty());
    }
}

TEST_F(RunTest, HostAndSqlServerVersionsAreChecked) {
    installed(kOwnVersion, 1);
    HostSettings old;
    old.tarvikVersion = Verze(2, 0, 0x20110907);
    EXPECT_EQ(run(browse(205, 0), old).failure,
              "Plugin vyžaduje minimální verzi Tarviku \0012.0.2011.0908\001 !");

    // The configuration asks for 1.0.2009.0803; the host version is never checked below 2.0.2011.0908.
    HostSettings minimal;
    minimal.tarvikVersion = Verze(2, 0, 0x20110908);
    EXPECT_EQ(run(browse(205, 0), minimal).failure, "");

    HostSettings sql2000;
    sql2000.sqlServerVersion = VerzeSQLServeru(8, 0, 2039);
    EXPECT_EQ(run(browse(205, 0), sql2000).failure,
              "Plugin vyžaduje MS SQL Server verze minimálně \001MS SQL Server 2005\001!");

    // The plug-in's own commands that need no installation come before the checks.
    const auto about = run(browse(871, -2), sql2000);
    EXPECT_EQ(about.failure, "");
    ASSERT_EQ(about.shown.size(), 1u);
    EXPECT_EQ(about.shown[0].kind, Interaction::Kind::Info);
}

TEST_F(RunTest, TextsFollowTheUsersLanguage) {
    language(4);
    EXPECT_EQ(
        run(browse(205, 0)).failure,
        "Verzia pluginu je vyššia ako verzia v databáze!\r\001Je potrebné spustiť inštaláciu pluginu!\001\r\r"
        "Verzia v DB: 000000000000\rVerzia pluginu: " +
            kOwnVersion);
    EXPECT_EQ(run(browse(871, -5)).failure,
              "Funkcia \001Preklady textov pluginu\001 nie je v tejto zostave pluginu k dispozícii.");
    auto caption = [] {
        return PopiskyTabulek()->Atribut(EfektivniSchema(), tQUELTAHGlob, "ExePath")->JmenoVerejne;
    };
    EXPECT_EQ(caption(), "Cesta k EXE súborom");
    language(1);
    EXPECT_EQ(run(browse(871, -5)).failure, notAvailable("Překlady textů pluginu"));
    EXPECT_EQ(caption(), "Cesta k EXE souborům");

    // A user the host does not know reads Czech.
    language(4);
    exec("UPDATE TabUziv SET LoginName = N'jiny.uzivatel' WHERE LoginName = SUSER_SNAME()");
    const auto unknownUser = run(browse(871, -6)).failure;
    exec("UPDATE TabUziv SET LoginName = SUSER_SNAME() WHERE LoginName = N'jiny.uzivatel'");
    EXPECT_EQ(unknownUser, notAvailable("Překlady textů pluginu"));
}

TEST_F(RunTest, AboutShowsNameVersionAndPartnerWithoutWindows) {
    const auto result = run(browse(871, -2));
    EXPECT_EQ(result.failure, "");
    ASSERT_EQ(result.shown.size(), 1u);
    EXPECT_EQ(result.shown[0].text, "\001PluginQuelta\001\rVerze: 2.0.2012.0719\rIdentifikace partnera: "
                                    "QUEL2012-07190\rCopyright © 2012 Quelta s.r.o.");
}

TEST_F(RunTest, ConfigurationCommandOpensTheSettingsBrowse) {
    installed(kOwnVersion, 1);
    EXPECT_EQ(
        run(browse(871, -4)).failure,
        "Nebyl nalezen def.přehled \001hvw_QUELTAHGlob\001 (Nastavení)!\r\r\001Je třeba spustit instalaci "
        "pluginu!\001");

    exec("INSERT INTO TabObecnyPrehled (Cislo, NazevSys, Nazev) VALUES (42, N'hvw_QUELTAHGlob', "
         "N'Nastavení')");
    const auto result = run(browse(871, -4));
    EXPECT_EQ(result.failure, "");
    ASSERT_EQ(result.shown.size(), 1u);
    EXPECT_EQ(result.shown[0].kind, Interaction::Kind::OpenBrowse);
    EXPECT_EQ(result.shown[0].browse, 100042);
    EXPECT_EQ(result.shown[0].text, "");

    const auto zero = run(browse(871, 0));
    EXPECT_EQ(zero.failure, "");
    EXPECT_TRUE(zero.shown.empty());
}

TEST_F(RunTest, BrowseActionsAreFoundByTheBrowse) {
    installed(kOwnVersion, 1);
    auto action = [&](int browseNumber, const std::string& guid) {
        exec("INSERT INTO TabExtKom (GUID, Typ, IdBrowse, Popis, UP) VALUES (CAST(CAST(N'" + guid +
             "' AS uniqueidentifier) AS BINARY(16)), 3, " + std::to_string(browseNumber) +
             ", N'Akce', N'PluginQuelta.Quelta')");
        auto rows = connection_->execute("SELECT MAX(ID) FROM TabExtKom");
        return static_cast<int>(rows.resultSets.at(0).rows().at(0).at(0).asInt());
    };
    exec("INSERT INTO TabObecnyPrehled (Cislo, NazevSys, Nazev) VALUES (43, N' HVW_quelTAwspreprocess ', "
         "N'P')");
    exec("INSERT INTO TabObecnyPrehled (Cislo, NazevSys, Nazev) VALUES (44, N'hvw_Cizi', N'Cizí')");

    struct Case {
        int browse;
        std::string guid;
        std::string failure;
    };
    const Case cases[] = {
        // Host browses by their number; the modules are not in this build.
        {37, "{109bdb1b-df2e-45a8-9094-2db5fba50b17}",
         notAvailable("Přidat do nápočtu (TdmPlgQUELTATabZeme)")},
        {1272, "{DB1610CF-3534-4FF2-896E-11F869801C6B}",
         notAvailable("Odebrat z nápočtu (TdmPlgQUELTATabIVozidlo2)")},
        // A plug-in browse by its view: its own actions and the standard edit action.
        {100043, "{3D070E35-00A0-42BC-9883-A1DE012B9BEE}",
         notAvailable("Pohled do předzpracování (TdmPlgQUELTAPortalPredzp)")},
        {100043, "{81B10B69-A38D-4861-9A9F-5534BE071B9C}", notAvailable("Oprava (TdmPlgQUELTAPortalPredzp)")},
        {37, "{4B5B1082-C147-40A2-8CFD-B35CCFE944B0}", ""},     // an action of another browse
        {100044, "{109BDB1B-DF2E-45A8-9094-2DB5FBA50B17}", ""}, // a user browse of someone else
        {9999, "{109BDB1B-DF2E-45A8-9094-2DB5FBA50B17}", ""},   // a host browse without the plug-in's actions
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.browse) + " " + c.guid);
        const auto result = run(browse(c.browse, action(c.browse, c.guid)));
        EXPECT_EQ(result.failure, c.failure);
        EXPECT_TRUE(result.shown.empty());
    }
}

//! A module of the tests: it runs its class's actions by telling the host what it is.
class TModulTestu : public TplgAkcePrehledu {
public:
    TModulTestu(ITarvik& tarvik, std::string_view trida, std::string_view editor, TplgBrowse browse)
        : TplgAkcePrehledu(tarvik, std::string(trida), std::string(editor), browse) {
        for (const auto& akce : TridaAkci(trida)->Akce)
            PridejAkci(akce, [this, nazev = std::string(akce.NazevSys)] {
                const bool registrovany = SpravceTarviku().VratAkcePrehledu(&Tarvik()) == this;
                Tarvik().ShowInfo(Trida() + "." + nazev + " " + std::to_string(Browse()) +
                                  (registrovany ? " registered" : " unregistered"));
            });
    }
};

TEST_F(RunTest, TheModuleOfTheBrowseRunsTheAction) {
    installed(kOwnVersion, 1);
    for (const char* trida : {"TdmPlgQUELTANastaveniSynchronizace", "TdmPlgQUELTATabZamVyp"})
        RegistrujModul(trida, [trida](ITarvik& tarvik, std::string_view editor, TplgBrowse browse) {
            return std::make_unique<TModulTestu>(tarvik, trida, editor, browse);
        });
    exec("INSERT INTO TabObecnyPrehled (Cislo, NazevSys, Nazev) VALUES (45, "
         "N'hvw_QUELTANastaveniSynchronizace', "
         "N'S')");
    exec("INSERT INTO TabExtKom (GUID, Typ, IdBrowse, Popis, UP) VALUES (CAST(CAST("
         "N'{53BB154E-4FCF-44EE-91CD-3ADA3283731D}' AS uniqueidentifier) AS BINARY(16)), 3, 100045, N'A', "
         "N'PluginQuelta.Quelta')");
    const int odeslat = static_cast<int>(
        connection_->execute("SELECT MAX(ID) FROM TabExtKom").resultSets.at(0).rows().at(0).at(0).asInt());
    exec("INSERT INTO TabExtKom (GUID, Typ, IdBrowse, Popis, UP) VALUES (CAST(CAST("
         "N'{5B78BE6B-6922-4CD2-894E-5843213A9D4B}' AS uniqueidentifier) AS BINARY(16)), 3, 232, N'A', "
         "N'PluginQuelta.Quelta')");
    const int pasky = odeslat + 1;

    const auto nastaveni = run(browse(100045, odeslat));
    const auto vyplaty = run(browse(232, pasky));
    OdeberModul("TdmPlgQUELTANastaveniSynchronizace");
    OdeberModul("TdmPlgQUELTATabZamVyp");
    EXPECT_EQ(nastaveni.failure, "");
    ASSERT_EQ(nastaveni.shown.size(), 1u);
    EXPECT_EQ(nastaveni.shown[0].text, "TdmPlgQUELTANastaveniSynchronizace.OdeslatNaPortal 5 registered");
    EXPECT_EQ(vyplaty.failure, "");
    ASSERT_EQ(vyplaty.shown.size(), 1u);
    EXPECT_EQ(vyplaty.shown[0].text, "TdmPlgQUELTATabZamVyp.OdeslaniVyplatnichListku 0 registered");
}

} // namespace
