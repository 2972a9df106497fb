// The code-list upload on the demo host against the Portal stand-in, quelta run as a process in silent mode.

#include "scenario_support.h"

#include <chrono>
#include <future>
#include <thread>

using namespace scenario;

namespace {

class Upload : public Scenario {};

} // namespace

TEST_F(Upload, BankcodeSendsDeletionsOfTheLogThenEveryBankAndStamps) {
    portal.Seed(
        Json::array({{{"$type", "BankCodeDto"}, {"erpPk", "2010"}, {"code", "2010"}, {"name", "Zrušená"}},
                     {{"$type", "BankCodeDto"}, {"erpPk", "0300"}, {"code", "0300"}, {"name", "ČSOB"}}}));
    // The host deletes 2010 and 5500, which never reached the Portal (the plug-in's trigger logs both), and
    // takes 0300 off the Portal (module form: the host row's ID, its key read from the host).
    Exec("DELETE FROM TabPenezniUstavy WHERE KodUstavu IN ('2010', '5500')\r"
         "UPDATE e SET e._QUELTA_NaPortal = 0 FROM TabPenezniUstavy_EXT e JOIN TabPenezniUstavy t ON t.ID = "
         "e.ID WHERE t.KodUstavu = '0300'\r"
         "INSERT TabQUELTADeleteLog (Tabulka, IDRadku) SELECT N'bankcode', ID FROM TabPenezniUstavy "
         "WHERE KodUstavu = '0300'\r"
         "INSERT TabQUELTADeleteLog (Tabulka, PKRadku) VALUES (N'country', N'XX')");
    const auto banks =
        Rows("SELECT tab.KodUstavu FROM TabPenezniUstavy tab JOIN TabPenezniUstavy_EXT ext "
             "ON ext.ID = tab.ID WHERE ISNULL(tab.KodUstavu, '') <> '' AND ext._QUELTA_NaPortal = 1 "
             "ORDER BY tab.KodUstavu");
    ASSERT_FALSE(banks.empty());

    RunSilently("upload", "bankcode");

    EXPECT_EQ(Calls("getDtoByErpPk"), 3);
    EXPECT_EQ(Calls("deleteByDto"), 2);
    EXPECT_EQ(Calls("saveOrUpdateByDto"), static_cast<int>(banks.size()));
    EXPECT_EQ(Keys("BankCodeDto"), banks);
    const Json bank = Record("BankCodeDto", banks.front());
    EXPECT_EQ(bank.value("code", ""), banks.front());
    EXPECT_FALSE(bank.value("swift", "").empty());
    EXPECT_EQ(Rows("SELECT Tabulka, SmazanoUplne FROM TabQUELTADeleteLog ORDER BY ID"),
              (std::vector<std::string>{"bankcode|True", "bankcode|True", "bankcode|True", "country|False"}));
    EXPECT_EQ(Stamped("bankcode"), "0");
    EXPECT_EQ(Stamped("country"), "NULL");
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(Upload, DeletionLoggedWhileTheUploadRunsWaitsForTheNextUpload) {
    Exec("INSERT TabQUELTADeleteLog (Tabulka, PKRadku) VALUES (N'bankcode', N'9999')");
    portal.AddFault("saveOrUpdateByDto", 1, "delay", "", 1500);
    auto run = std::async(std::launch::async, [this] { return site.Quelta("upload", "bankcode"); });
    // The first bank is on its way (the stand-in holds its answer): the host deletes another bank now.
    for (int i = 0; i < 200 && Calls("saveOrUpdateByDto") == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    Exec("DELETE FROM TabPenezniUstavy WHERE KodUstavu = '5500'");
    EXPECT_EQ(run.get().err, "");
    EXPECT_EQ(Rows("SELECT PKRadku, SmazanoUplne FROM TabQUELTADeleteLog ORDER BY ID"),
              (std::vector<std::string>{"9999|True", "5500|False"}));
}

TEST_F(Upload, CodeWithoutRecordClassSendsNoDeletions) {
    Exec("INSERT TabQUELTAKonverzeRodinnyStav (Cislo, Hodnota) VALUES (0, N'svobodný/á'), (1, "
         "N'ženatý/vdaná')\r"
         "INSERT TabQUELTADeleteLog (Tabulka, PKRadku) VALUES (N'maritalstatus', N'7')");
    RunSilently("upload", "maritalstatus");
    EXPECT_EQ(Calls("getDtoByErpPk"), 0);
    EXPECT_EQ(Keys("MaritalStatusDto"), (std::vector<std::string>{"0", "1"}));
    EXPECT_EQ(Record("MaritalStatusDto", "1").value("statusDescription", ""), "ženatý/vdaná");
    EXPECT_EQ(Value("SELECT SmazanoUplne FROM TabQUELTADeleteLog"), "False");
    EXPECT_EQ(Stamped("maritalstatus"), "0");
}

TEST_F(Upload, CitizenshipUsesTheCountryRowAndStampsNothing) {
    portal.Seed({{"$type", "CitizenshipDto"}, {"erpPk", "XX"}, {"isoCode", "XX"}});
    Exec("INSERT TabQUELTADeleteLog (Tabulka, PKRadku) VALUES (N'citizenship', N'XX')");
    RunSilently("upload", "citizenship");
    EXPECT_EQ(Calls("deleteByDto"), 1);
    const auto countries = Rows("SELECT tab.ISOKod FROM TabZeme tab JOIN TabZeme_EXT ext ON ext.ID = tab.ID "
                                "WHERE ext._QUELTA_NaPortal = 1 ORDER BY tab.ISOKod");
    EXPECT_EQ(Keys("CitizenshipDto"), countries);
    EXPECT_EQ(Keys("CountryDto"), std::vector<std::string>{});
    EXPECT_EQ(Stamped("country"), "NULL");
}

TEST_F(Upload, UnknownCodesDoNothingAfterTheStartEntry) {
    for (const char* code : {"BankCode", "payrollcomponents", "nothing"}) {
        RunSilently("upload", code);
        EXPECT_EQ(portal.Calls(), (std::map<std::string, int>{})) << code;
    }
    EXPECT_EQ(Stamped("bankcode"), "NULL");
    EXPECT_EQ(Stamped("payrollcomponents"), "NULL");
    EXPECT_EQ(site.Journal().size(), 3u);
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(Upload, PayoutSendsTheTwoConstantRecords) {
    RunSilently("upload", "payout");
    EXPECT_EQ(Keys("PayoutDto"), (std::vector<std::string>{"1", "2"}));
    EXPECT_EQ(Record("PayoutDto", "1").value("name", ""), "Na účet");
    EXPECT_EQ(Record("PayoutDto", "2").value("name", ""), "Na pokladně");
    EXPECT_EQ(Record("PayoutDto", "2").value("number", 0), 2);
}

TEST_F(Upload, PeriodsKeepThePortalsRecordAndEndWithThePeriodLock) {
    portal.Seed({{"$type", "PeriodDto"}, {"erpPk", "13"}, {"state", "Locked"}});
    const Json before = Record("PeriodDto", "13");
    Exec("UPDATE TabMzdObd SET Uzavreno = 3 WHERE IdObdobi = 12");
    Exec("INSERT TabPlatTuz (TypPrikazu, IdMzdObd, Castka) VALUES (0, 12, 1000)");
    RunSilently("upload", "period");
    EXPECT_EQ(Record("PeriodDto", "12").value("period", ""), "2013-12-01T00:00:00.000Z");
    EXPECT_EQ(Record("PeriodDto", "12").value("state", ""), "Locked")
        << "the current period has payment orders";
    EXPECT_EQ(Record("PeriodDto", "13").value("state", ""), "Unlocked");
    EXPECT_EQ(Record("PeriodDto", "13").value("portalId", 0), before.value("portalId", -1));
    EXPECT_EQ(Stamped("period"), "0");
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(Upload, IncompleteSettingsEndWithAClearErrorBeforeAnyPortalCall) {
    const struct {
        const char* change;
        const char* method;
        const char* list;
        const char* error;
    } cases[] = {
        {"UPDATE TabQUELTANastaveniSynchronizace SET Ciselnik = N'' WHERE Kod = N'bankcode'", "upload",
         "bankcode",
         "Řádek 'bankcode' tabulky TabQUELTANastaveniSynchronizace nemá vyplněný číselník (Ciselnik)."},
        {"DELETE FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'employee'", "download", "employee",
         "Tabulka TabQUELTANastaveniSynchronizace nemá řádek s kódem 'employee'."},
    };
    for (const auto& c : cases) {
        Exec(c.change);
        site.Quelta(c.method, c.list);
        const auto errors = ErrorEntries();
        ASSERT_FALSE(errors.empty()) << c.list;
        EXPECT_NE(errors.back().find(c.error), std::string::npos) << errors.back();
    }
    EXPECT_EQ(ErrorEntries().size(), 2u);
    EXPECT_EQ(portal.Calls(), (std::map<std::string, int>{}));
}
