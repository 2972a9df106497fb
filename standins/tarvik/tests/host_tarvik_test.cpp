#include "standins/tarvik/host_script.h"
#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/scripted_front_end.h"

#include "host_database.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace standins::tarvik;
using host_database::fixtureDatabase;
using host_database::kTestBrowse;
using plugin::TarvikError;
using plugin::TaVariant;

namespace {

class HostTarvikTest : public ::testing::Test {
protected:
    HostTarvik host(BrowseState state) { return HostTarvik(*connection, frontEnd, std::move(state)); }

    static BrowseState browse(int number, std::optional<long long> current = {},
                              std::vector<long long> marked = {}) {
        BrowseState state;
        state.browse = number;
        state.currentId = current;
        state.markedIds = std::move(marked);
        return state;
    }

    std::unique_ptr<platform::db::Connection> connection = host_database::connectHost(fixtureDatabase());
    ScriptedFrontEnd frontEnd;
};

std::string firstColumn(plugin::ITaQuery& rows) {
    std::string out;
    for (; rows.RecordCount() > 0 && !rows.Eof(); rows.Next())
        out += (out.empty() ? "" : ",") + std::to_string(rows.FieldValue(0).asInt());
    return out;
}

TEST_F(HostTarvikTest, MarkedIdsBecomeATemporaryTableSeenByTheNextQuery) {
    struct Case {
        std::vector<long long> marked;
        std::optional<long long> current;
        const char* expected;
    };
    const Case cases[] = {
        {{5, 1, 3}, 2, "1,3,5"}, // marked rows win over the current one
        {{}, 2, "2"},            // nothing marked: the current row
        {{}, {}, ""},            // nothing at all: an empty table
    };
    for (const auto& c : cases) {
        auto tarvik = host(browse(kTestBrowse, c.current, c.marked));
        tarvik.MarkedIDsToTable("#TabOznaceneID");
        EXPECT_EQ(firstColumn(*tarvik.OpenSQL("SELECT ID FROM #TabOznaceneID ORDER BY ID")), c.expected);
    }
}

TEST_F(HostTarvikTest, OnlyPlainTemporaryTableNamesAreAccepted) {
    auto tarvik = host(browse(kTestBrowse, 1));
    for (const char* name : {"TabOznaceneID", "#", "#x (ID INT) DROP TABLE dbo.TabZeme --", "#a.b", ""})
        EXPECT_THROW(tarvik.MarkedIDsToTable(name), TarvikError) << name;
}

TEST_F(HostTarvikTest, BrowseSystemNames) {
    struct Case {
        int browse;
        const char* sysName; // nullptr: the host does not know the browse
    };
    const Case cases[] = {
        {kTestBrowse, "hvw_TestRadky"}, {205, "TabCisZam"}, {375, "TabCisZam"},
        {871, "TabPluginInfo"},         {100008, nullptr},  {5, nullptr},
    };
    for (const auto& c : cases) {
        auto tarvik = host(browse(c.browse));
        if (c.sysName)
            EXPECT_EQ(tarvik.GetBrowseSysName(), c.sysName) << c.browse;
        else
            EXPECT_THROW(tarvik.GetBrowseSysName(), TarvikError) << c.browse;
    }
}

TEST_F(HostTarvikTest, BrowseRowsShareTheirCursorWithTheCurrentId) {
    auto tarvik = host(browse(kTestBrowse, 2));
    EXPECT_EQ(tarvik.GetCurrentID(), TaVariant::integer(2));
    auto& rows = tarvik.GetBrowseRows();
    EXPECT_EQ(rows.RecordCount(), 3);
    EXPECT_EQ(tarvik.GetCurrentID(), TaVariant::integer(2));
    rows.Next();
    EXPECT_EQ(tarvik.GetCurrentID(), TaVariant::integer(3));
    rows.Next();
    EXPECT_TRUE(rows.Eof());
    EXPECT_TRUE(tarvik.Locate("ID", TaVariant::integer(1)));
    EXPECT_EQ(tarvik.GetCurrentID(), TaVariant::integer(1));
    EXPECT_FALSE(tarvik.Locate("ID", TaVariant::integer(9)));
    tarvik.Refresh(true);
    EXPECT_EQ(tarvik.GetCurrentID(), TaVariant::integer(1));
    rows.Prior();
    EXPECT_TRUE(rows.Bof());
    EXPECT_EQ(tarvik.hostCalls(), std::vector<std::string>{"Refresh(all)"});
}

TEST_F(HostTarvikTest, ACurrentIdOutsideTheBrowseIsRefused) {
    auto tarvik = host(browse(kTestBrowse, 99));
    EXPECT_THROW(tarvik.GetBrowseRows(), TarvikError);
}

TEST_F(HostTarvikTest, OpenSqlReturnsTheFirstResultThatHasColumns) {
    auto tarvik = host(browse(kTestBrowse));
    auto rows = tarvik.OpenSQL("UPDATE dbo.TestRadky SET Nazev = Nazev WHERE ID = 0\n"
                               "SELECT ID FROM dbo.TestRadky WHERE ID > 1 ORDER BY ID\nSELECT 7");
    EXPECT_EQ(firstColumn(*rows), "2,3");
    auto none = tarvik.OpenSQL("UPDATE dbo.TestRadky SET Nazev = Nazev WHERE ID = 0");
    EXPECT_TRUE(none->Eof());
    EXPECT_TRUE(none->FieldValue(3).isNull());
}

TEST_F(HostTarvikTest, FailingSqlThrowsTheServerMessage) {
    auto tarvik = host(browse(kTestBrowse));
    try {
        tarvik.ExecSQL("RAISERROR(N'Záznam je zamčen.', 16, 1)");
        FAIL() << "no error";
    } catch (const TarvikError& e) {
        EXPECT_NE(std::string(e.what()).find("Záznam je zamčen."), std::string::npos) << e.what();
    }
    EXPECT_THROW(tarvik.OpenSQL("SELECT * FROM dbo.TabNeexistuje"), TarvikError);
}

TEST_F(HostTarvikTest, ATransactionLeftOpenIsRolledBackAndFails) {
    auto tarvik = host(browse(kTestBrowse));
    const char* batches[] = {
        "BEGIN TRANSACTION\nINSERT dbo.TestRadky (ID, Nazev) VALUES (50, N'visí')",
        "BEGIN TRANSACTION\nINSERT dbo.TestRadky (ID, Nazev) VALUES (50, N'visí')\n"
        "RAISERROR(N'Chyba uprostřed.', 16, 1)",
    };
    for (const char* batch : batches) {
        EXPECT_THROW(tarvik.ExecSQL(batch), TarvikError) << batch;
        EXPECT_EQ(firstColumn(*tarvik.OpenSQL("SELECT @@TRANCOUNT")), "0");
        EXPECT_EQ(firstColumn(*tarvik.OpenSQL("SELECT COUNT(*) FROM dbo.TestRadky WHERE ID = 50")), "0");
    }
    tarvik.ExecSQL(
        "BEGIN TRANSACTION\nUPDATE dbo.TestRadky SET Nazev = Nazev WHERE ID = 1\nCOMMIT TRANSACTION");
}

TEST_F(HostTarvikTest, UnknownHostActionsFail) {
    auto tarvik = host(browse(265));
    EXPECT_THROW(tarvik.RunAction(265, "A_Neznama"), TarvikError);
    EXPECT_THROW(tarvik.RunAction(214, "A_ExtorniProc"), TarvikError);
}

TEST_F(HostTarvikTest, PreprocessingImportRunsTheHostProcedure) {
    host_database::TempFolder folder;
    const auto file = folder.path() / "import.db";
    std::vector<std::string> extra;
    for (const auto& script : hostScriptFiles())
        if (script.name == "host-procedures.sql")
            for (auto& batch : splitBatches(script.text))
                extra.push_back(std::move(batch));
    extra.insert(extra.end(),
                 {
                     "INSERT dbo.TabMzdObd (IdObdobi, Rok, Mesic, Stav) VALUES (12, 2013, 12, 1)\n"
                     "INSERT dbo.TabMzdObd (IdObdobi, Rok, Mesic, Stav) VALUES (13, 2014, 1, 0)",
                     "CREATE TABLE dbo.TestDavka (ID INT NOT NULL PRIMARY KEY, PredzpID INT NULL)\n"
                     "INSERT dbo.TestDavka (ID) VALUES (1) INSERT dbo.TestDavka (ID) VALUES (2) "
                     "INSERT dbo.TestDavka (ID) VALUES (3)",
                     // the plug-in's import procedure: two rows of the current period, one of the next
                     "CREATE PROCEDURE dbo.ep_TestImport @IdObdobi INT, @TabName VARCHAR(50) OUTPUT, "
                     "@AtrName VARCHAR(50) OUTPUT AS\n"
                     "INSERT #PredzpImportTable (Pomocne_ID, ZamestnanecId, IdObdobi, CisloMS, Castka) "
                     "VALUES (1, 7, @IdObdobi, 600, 100)\n"
                     "INSERT #PredzpImportTable (Pomocne_ID, ZamestnanecId, IdObdobi, CisloMS, Castka) "
                     "VALUES (2, 8, @IdObdobi, 610, 200)\n"
                     "INSERT #PredzpImportTable (Pomocne_ID, ZamestnanecId, IdObdobi, CisloMS, Castka) "
                     "VALUES (3, 9, 13, 600, 50)\n"
                     "SET @TabName = 'TestDavka' SET @AtrName = 'PredzpID'",
                     "INSERT dbo.TabMzImpDefUP (Nazev, JmenoUP, VlastniUP) VALUES (N'QUELTA', "
                     "N'dbo.ep_TestImport', 1)",
                 });
    host_database::createHostTables(file, extra);
    auto own = host_database::connectHost(file);
    HostTarvik tarvik(*own, frontEnd, browse(265));
    const auto rows = [&](const char* query) {
        std::string out;
        const auto result = own->execute(query);
        for (const auto& row : result.resultSets.at(0).rows())
            out += (out.empty() ? "" : ";") + row.at(0).asText();
        return out;
    };

    tarvik.RunAction(265, "A_ExtorniProc");
    EXPECT_EQ(rows("SELECT CAST(IdObdobi AS VARCHAR) + ':' + CAST(CisloMS AS VARCHAR) FROM dbo.TabPredzp "
                   "ORDER BY ID"),
              "12:600;12:610");
    // every imported row's ID went back to the row it came from
    EXPECT_EQ(rows("SELECT CAST(d.ID AS VARCHAR) + '=' + ISNULL(CAST(p.CisloMS AS VARCHAR), '-') "
                   "FROM dbo.TestDavka d LEFT JOIN dbo.TabPredzp p ON p.ID = d.PredzpID ORDER BY d.ID"),
              "1=600;2=610;3=-");

    // a procedure name that would smuggle in SQL fails the import and leaves nothing behind
    own->execute("UPDATE dbo.TabMzImpDefUP SET JmenoUP = N'dbo.ep_TestImport; DELETE dbo.TabPredzp'");
    EXPECT_THROW(tarvik.RunAction(265, "A_ExtorniProc"), TarvikError);
    EXPECT_EQ(rows("SELECT CAST(COUNT(*) AS VARCHAR) FROM dbo.TabPredzp"), "2");
    EXPECT_THROW(tarvik.RunAction(265, "A_JinaAkce"), TarvikError);
}

TEST_F(HostTarvikTest, UserFacingCallsReachTheFrontEnd) {
    frontEnd.queue(ScriptedAnswer::no());
    frontEnd.queue(ScriptedAnswer::cancel());
    auto tarvik = host(browse(kTestBrowse));
    tarvik.ShowInfo("Hotovo");
    EXPECT_FALSE(tarvik.AskYesNo("Smazat?"));
    EXPECT_EQ(tarvik.AskYesNoCancel("Uložit?"), plugin::TaAnswer::Cancel);
    EXPECT_THROW(tarvik.AskYesNo("Ještě?"), UnexpectedQuestion);
    EXPECT_EQ(frontEnd.texts(Interaction::Kind::Info), std::vector<std::string>{"Hotovo"});
}

} // namespace
