#include "standins/tarvik/host_script.h"
#include "standins/tarvik/plugin_library.h"
#include "standins/tarvik/runner.h"

#include "host_database.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace standins::tarvik;
using host_database::fixtureDatabase;
using host_database::kForeignAction;
using host_database::kTestActions;
using host_database::kTestBrowse;
using host_database::TempFolder;

namespace {

struct Outcome {
    int status;
    std::string out;
    std::string err;
};

Outcome tarvik(std::vector<std::string> args) {
    std::ostringstream out, err;
    const int status = runTarvik(args, out, err);
    return {status, out.str(), err.str()};
}

int actionId(std::string_view name) {
    for (std::size_t i = 0; i < std::size(kTestActions); ++i)
        if (kTestActions[i] == name) return static_cast<int>(i) + 1;
    throw std::logic_error("no test action " + std::string(name));
}

std::vector<std::string> runArgs(int extKom, std::vector<std::string> more) {
    std::vector<std::string> args = {"run",
                                     "--db",
                                     fixtureDatabase().string(),
                                     "--plugin",
                                     TARVIK_TEST_PLUGIN,
                                     "--browse",
                                     std::to_string(kTestBrowse),
                                     "--extkom",
                                     std::to_string(extKom)};
    args.insert(args.end(), more.begin(), more.end());
    return args;
}

TEST(TarvikRun, ActionsWithScriptedAnswers) {
    struct Case {
        const char* action;
        std::vector<std::string> more;
        int status;
        const char* out; // expected within the output
        const char* err; // expected within the errors, or ""
    };
    const Case cases[] = {
        {"state",
         {"--current", "2", "--marked", "1,2"},
         0,
         "INFO: browse 100007 hvw_TestRadky, current 2, marked [1,2]\n",
         ""},
        {"ask", {"--answer", "no"}, 0, "YES/NO: Smazat označené záznamy? -> no\nINFO: ne\n", ""},
        {"ask",
         {},
         1,
         "YES/NO: Smazat označené záznamy? -> (no answer)\n",
         "Run failed: Unexpected question"},
        {"ask", {"--answer", "cancel"}, 1, "", "does not fit the question"},
        {"ask3", {"--answer", "cancel"}, 0, "INFO: odpověď 2\n", ""},
        {"select", {"--answer", "value:B"}, 0, "INFO: řada B\n", ""},
        {"select", {"--answer", "cancel"}, 0, "INFO: nic\n", ""},
        {"marked", {"--marked", "3,1"}, 0, "INFO: označeno 1,3\n", ""},
        {"marked", {"--current", "2"}, 0, "INFO: označeno 2\n", ""},
        {"rows", {"--current", "1"}, 0, "INFO: 3 rows, current 1 then 2\n", ""},
        {"fail", {}, 1, "ERROR: Chyba akce\n", "Run failed: Akce selhala"},
        {"sql-error", {}, 1, "", "TabNeexistuje"},
        {"state", {"--answer", "yes"}, 1, "INFO: browse", "1 prepared answer(s) were not asked for"},
    };
    for (const auto& c : cases) {
        const auto result = tarvik(runArgs(actionId(c.action), c.more));
        SCOPED_TRACE(std::string(c.action) + "\nout: " + result.out + "\nerr: " + result.err);
        EXPECT_EQ(result.status, c.status);
        EXPECT_NE(result.out.find(c.out), std::string::npos);
        EXPECT_NE(result.err.find(c.err), std::string::npos);
    }
}

TEST(TarvikRun, ActionsAreLookedUpInTheHostRegistry) {
    const struct {
        int extKom;
        const char* err;
    } cases[] = {
        {999, "TabExtKom has no action with ID 999"},
        {kForeignAction, "belongs to browse 205, not to browse 100007"},
    };
    for (const auto& c : cases) {
        const auto result = tarvik(runArgs(c.extKom, {}));
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(c.err), std::string::npos) << result.err;
    }
}

TEST(TarvikRun, NoActionShowsTheBrowseState) {
    const auto result = tarvik(runArgs(0, {}));
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "INFO: browse 100007 hvw_TestRadky, current NULL, marked []\n");
}

TEST(TarvikRun, SilentInstallationRunsFromThePluginList) {
    const auto result =
        tarvik({"install", "--db", fixtureDatabase().string(), "--plugin", TARVIK_TEST_PLUGIN});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.out, "INFO: silent installation\n");
}

TEST(TarvikRun, WrongArgumentsAreRefusedBeforeAnythingRuns) {
    const std::vector<std::vector<std::string>> cases = {
        {"run", "--db", "x.db", "--plugin", "p.so"},                      // no browse
        {"run", "--db", "x.sqlite", "--plugin", "p.so", "--browse", "1"}, // not a .db file
        {"run", "--db", "x.db", "--plugin", "p.so", "--browse", "1", "--marked", "1;2"},
        {"run", "--db", "x.db", "--plugin", "p.so", "--browse", "1", "--answer", "maybe"},
        {"create", "--db", "x.db", "--plugin", "p.so"}, // option of another command
        {"create", "--db", "x.db", "--scale", "0"},
        {"create", "--db", "x.db", "--wage-slips", "slips"}, // describes a demo that was not asked for
        {"frobnicate"},
    };
    for (const auto& args : cases) {
        const auto result = tarvik(args);
        EXPECT_EQ(result.status, 2) << args[0];
        EXPECT_NE(result.err.find("usage:"), std::string::npos);
    }
}

TEST(TarvikRun, MissingDatabaseOrLibraryFails) {
    TempFolder folder;
    auto missingDb = tarvik({"run", "--db", (folder.path() / "none.db").string(), "--plugin",
                             TARVIK_TEST_PLUGIN, "--browse", "205"});
    EXPECT_EQ(missingDb.status, 1);
    EXPECT_NE(missingDb.err.find("does not exist"), std::string::npos) << missingDb.err;
    auto missingLib = tarvik({"run", "--db", fixtureDatabase().string(), "--plugin",
                              (folder.path() / "none.so").string(), "--browse", "205"});
    EXPECT_EQ(missingLib.status, 1);
    EXPECT_NE(missingLib.err.find("none.so does not exist"), std::string::npos) << missingLib.err;
}

TEST(TarvikRun, TheExecutableReportsAFailedRunByItsExitStatus) {
    const std::string command = std::string("'") + TARVIK_EXE + "' run --db '" + fixtureDatabase().string() +
                                "' --plugin '" + TARVIK_TEST_PLUGIN + "' --browse " +
                                std::to_string(kTestBrowse) + " --extkom " +
                                std::to_string(actionId("fail")) + " 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string output;
    char buffer[256];
    while (const auto n = std::fread(buffer, 1, sizeof buffer, pipe))
        output.append(buffer, n);
    const int status = pclose(pipe);
    ASSERT_TRUE(WIFEXITED(status)) << output;
    EXPECT_EQ(WEXITSTATUS(status), 1) << output;
    EXPECT_EQ(output, "ERROR: Chyba akce\nRun failed: Akce selhala\n");
}

TEST(PluginLibrary, ExportsOfTheTestPlugin) {
    PluginLibrary library(TARVIK_TEST_PLUGIN);
    EXPECT_EQ(library.sysAndClassName(), "TestPlugin.Tester");
    EXPECT_TRUE(library.readyForSilentInstall());
    auto first = library.createObject();
    auto second = library.createObject();
    EXPECT_NE(first.get(), second.get());
    EXPECT_EQ(first->PartnerIdentification(), "TEST0000-00000");
}

TEST(TarvikCreate, HostTablesRunOnTheEngine) {
    TempFolder folder;
    EXPECT_NO_THROW(host_database::createHostTables(folder.path() / "tables.db"));
}

TEST(TarvikCreate, AFailedCreationLeavesNoFile) {
    TempFolder folder;
    const auto file = folder.path() / "host.db";
    const auto result = tarvik({"create", "--db", file.string()});
    if (result.status == 0) {
        EXPECT_TRUE(std::filesystem::is_regular_file(file));
        const auto again = tarvik({"create", "--db", file.string()});
        EXPECT_EQ(again.status, 1);
        EXPECT_NE(again.err.find("already exists"), std::string::npos);
        return;
    }
    EXPECT_NE(result.err.find("Creating the host database failed"), std::string::npos) << result.err;
    EXPECT_TRUE(std::filesystem::is_empty(folder.path())) << result.err;
}

TEST(TarvikCreate, DemoCompanyInBothLegislations) {
    struct Case {
        std::vector<std::string> options;
        long long legislation;
    };
    for (const auto& c : {Case{{}, 0}, Case{{"--sk"}, 1}}) {
        TempFolder folder;
        const auto file = folder.path() / "demo.db";
        std::vector<std::string> args = {"create", "--db",         file.string(),
                                         "--demo", "--wage-slips", (folder.path() / "slips").string()};
        args.insert(args.end(), c.options.begin(), c.options.end());
        const auto result = tarvik(args);
        ASSERT_EQ(result.status, 0) << result.err;
        auto connection = host_database::connectHost(file);
        const auto count = [&](const std::string& query) {
            return connection->execute(query).resultSets.at(0).rows().at(0).at(0).asInt();
        };
        EXPECT_EQ(count("SELECT Legislativa FROM dbo.TabHGlob"), c.legislation);
        EXPECT_GT(count("SELECT COUNT(*) FROM dbo.TabCisZam"), 20);
        EXPECT_EQ(count("SELECT COUNT(*) FROM dbo.TabPracovniPozice"), 6);
        // every job assignment points at a position, and the extension rows came with the code lists
        EXPECT_EQ(count("SELECT COUNT(*) FROM dbo.TabObsazeniPracovnichPozic o "
                        "LEFT JOIN dbo.TabPracovniPozice p ON p.ID = o.IDPP WHERE p.ID IS NULL"),
                  0);
        EXPECT_EQ(count("SELECT COUNT(*) FROM dbo.TabPracovniPozice_EXT WHERE _QUELTA_NaPortal = 1"), 5);
        EXPECT_GT(count("SELECT COUNT(*) FROM dbo.TabICestak WHERE CelkemKc > 0"), 0);
        EXPECT_FALSE(std::filesystem::is_empty(folder.path() / "slips"));
    }
}

} // namespace
