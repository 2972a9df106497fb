// The action object: its actions, the running of one by its GUID, and the statements that
// register its actions in the host's table of actions, run on a host database.

#include "host_fixture.h"
#include "test_tarvik.h"

#include "plugin/core/akce_prehledu.h"
#include "plugin/core/moduly.h"
#include "plugin/core/spravce_tarviku.h"
#include "plugin/messages/hlasky.h"

#include <gtest/gtest.h>

namespace {

using namespace plugin;

constexpr const char* kRegistrace = "{224bfce4-62a1-4990-b723-fcf5bd14f45d}";

//! Runs an object's registration statements in the installer's surroundings, for browse 4242.
void Registruj(platform::db::Connection& spojeni, const std::string& akce) {
    plugin::testing::exec(
        spojeni, "DECLARE @Cislo INT, @GUID BINARY(16), @DatPorizeni DATETIME, @Autor NVARCHAR(128)\r"
                 "SET @Cislo = 4242\rSET @DatPorizeni = GETDATE()\rSET @Autor = N'Test'\r"
                 "BEGIN TRANSACTION\r" +
                     akce + "\rCOMMIT\rRETURN\rCHYBAROLLBACK:\rROLLBACK");
}

std::vector<std::string> Radky(platform::db::Connection& spojeni, const std::string& sql) {
    std::vector<std::string> radky;
    const auto vysledek = spojeni.execute(sql);
    for (const auto& radek : vysledek.resultSets.at(0).rows()) {
        std::string text;
        for (const auto& hodnota : radek)
            text += (text.empty() ? "" : "|") + (hodnota.isNull() ? std::string("NULL") : hodnota.asText());
        radky.push_back(text);
    }
    return radky;
}

class AkcePrehleduTest : public ::testing::Test {
protected:
    void TearDown() override {
        plugin::testing::exec(*spojeni_, "DELETE FROM TabExtKom WHERE IdBrowse = 4242");
    }

    //! An object with one action of each kind of parameter writing; `parametry` is their text.
    std::unique_ptr<TplgAkcePrehledu> Objekt(const std::string& parametry) {
        auto akce = std::make_unique<TplgAkcePrehledu>(tarvik_, "TdmTest", "", bZadny);
        akce->PridejAkci("Nikdy", "Bez parametrů", true, parametry, kzpNikdy, 0, "Sub",
                         "{11111111-0000-0000-0000-000000000001}", [this] { ++spusteno_; });
        akce->PridejAkciTxt("Vlozeni", 175, false, 0, true, parametry, kzpInsert, 0, 172,
                            "{11111111-0000-0000-0000-000000000002}", {});
        akce->PridejAkci("VlozeniAZmena", "-Oddělená", true, parametry, kzpInsertUpdate, 65, "",
                         "{11111111-0000-0000-0000-000000000003}", {});
        return akce;
    }

    plugin::testing::TestTarvik tarvik_;
    std::unique_ptr<platform::db::Connection> spojeni_ = plugin::testing::connectHost();
    int spusteno_ = 0;
};

TEST_F(AkcePrehleduTest, RegistersItsActionsAndRegisteringAgainKeepsWhatIsNotRewritten) {
    Registruj(*spojeni_, Objekt("p1")->SpustAkci(kRegistrace));
    const std::string dotaz =
        "SELECT Popis, UP, CAST(HotKey AS NVARCHAR(5)), Skupina, NazevPodmenu, "
        "CAST(PoradiVPodmenu AS NVARCHAR(5)), Napoveda, CAST(CAST(VerejnaAkce AS INT) AS "
        "NVARCHAR(1)), Parametry FROM TabExtKom WHERE IdBrowse = 4242 ORDER BY PoradiVPodmenu";
    EXPECT_EQ(
        Radky(*spojeni_, dotaz),
        (std::vector<std::string>{"Bez parametrů|PluginQuelta.Quelta|0|PluginQuelta|Sub|1||1|",
                                  "-" + std::string(Hlaska(175).Klic) +
                                      "|PluginQuelta.Quelta|0|PluginQuelta|" + Hlaska(172).Klic + "|2||0|p1",
                                  "-Oddělená|PluginQuelta.Quelta|65|PluginQuelta||3||1|p1"}));

    // The host's user changed a hot key; the plug-in's parameters changed.
    plugin::testing::exec(*spojeni_, "UPDATE TabExtKom SET HotKey = 99 WHERE IdBrowse = 4242");
    Registruj(*spojeni_, Objekt("p2")->SpustAkci(kRegistrace));
    EXPECT_EQ(Radky(*spojeni_, "SELECT CAST(HotKey AS NVARCHAR(5)) + '|' + Parametry FROM TabExtKom WHERE "
                               "IdBrowse = 4242 ORDER BY PoradiVPodmenu"),
              (std::vector<std::string>{"99|", "99|p1", "65|p2"}));
    EXPECT_EQ(Radky(*spojeni_, "SELECT CAST(COUNT(*) AS NVARCHAR(5)) FROM TabExtKom WHERE IdBrowse = 4242"),
              std::vector<std::string>{"3"});
}

TEST_F(AkcePrehleduTest, RunsTheActionOfItsGUIDAndNothingForAnotherOne) {
    auto akce = Objekt("");
    EXPECT_EQ(akce->SpustAkci("{11111111-0000-0000-0000-000000000001}"), "");
    EXPECT_EQ(spusteno_, 1);
    EXPECT_EQ(akce->SpustAkci("{11111111-0000-0000-0000-0000000000FF}"), "");
    EXPECT_EQ(akce->SpustAkci("{}"), "");
    EXPECT_EQ(spusteno_, 1);
    EXPECT_FALSE(akce->SpustAkci(kRegistrace).empty());
    EXPECT_EQ(spusteno_, 1);
}

TEST_F(AkcePrehleduTest, StandardActionsOfTheBrowseAndItsPlaceInTheRegistry) {
    auto& spravce = SpravceTarviku();
    spravce.PridejTarvik(&tarvik_);
    {
        const auto akce =
            VytvorAkcePrehledu(tarvik_, "TdmPlgQUELTAHGlob", "TfrmPlgQUELTAHGlob", bQUELTAHGlob);
        EXPECT_EQ(spravce.VratAkcePrehledu(&tarvik_), akce.get());
        EXPECT_EQ(akce->HlavniTabulka(), tQUELTAHGlob);
        EXPECT_FALSE(akce->SetrideneAtributy().empty());
        ASSERT_EQ(akce->SeznamAkci().size(), 2u);
        EXPECT_EQ(akce->SeznamAkci()[0].NazevSys, "ActionEdit");
        EXPECT_EQ(akce->SeznamAkci()[0].HotKey, 13);
        EXPECT_EQ(akce->SeznamAkci()[0].NazevPodmenu, "Editace");
        EXPECT_EQ(akce->SeznamAkci()[1].NazevSys, "NaPortal");
        try {
            akce->SpustAkci("{a7d53780-dc72-467a-8435-bbc986456cab}");
            ADD_FAILURE() << "an action of a module that is not built ran";
        } catch (const std::runtime_error& e) {
            EXPECT_STREQ(
                e.what(),
                "Funkce \001Nastav příznak Na portál (TdmPlgQUELTAHGlob)\001 není v tomto sestavení pluginu "
                "k dispozici.");
        }
    }
    EXPECT_EQ(spravce.VratAkcePrehledu(&tarvik_), nullptr);
    spravce.OdeberTarvik(&tarvik_);
    // The synchronization settings have no standard actions, only their module's.
    const auto nastaveni =
        VytvorAkcePrehledu(tarvik_, "TdmPlgQUELTANastaveniSynchronizace", "", bQUELTANastaveniSynchronizace);
    ASSERT_EQ(nastaveni->SeznamAkci().size(), 1u);
    EXPECT_EQ(nastaveni->SeznamAkci()[0].NazevSys, "OdeslatNaPortal");
}

} // namespace
