// Runs the quelta executable as a process, as the plug-in's launcher does.

#include "common/testing/loopback.h"
#include "common/testing/temp_folder.h"
#include "quelta/workflows/testing/quelta_site.h"
#include "tsql/engine.h"
#include "tsql/format.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

using Outcome = quelta::testing::ProcessOutcome;

//! A folder with Quelta's INI file, removed at the end.
class Site {
public:
    std::filesystem::path Ini() const { return path_ / "quelta.INI"; }
    std::filesystem::path DataDir() const { return path_; }
    void WriteIni(const std::string& text) const { std::ofstream(Ini(), std::ios::binary) << text; }

    //! Runs quelta with the arguments, no display, stdin from /dev/null; waits for it.
    Outcome Run(const std::vector<std::string>& args, const std::vector<std::string>& extraEnv = {}) const {
        std::vector<std::string> env = {"QUELTA_INI=" + Ini().string(), "PATH=/usr/bin:/bin"};
        env.insert(env.end(), extraEnv.begin(), extraEnv.end());
        std::vector<std::string> argv = {quelta::testing::QueltaExecutable()};
        argv.insert(argv.end(), args.begin(), args.end());
        return quelta::testing::RunProcess(argv, env);
    }

private:
    common::testing::TempFolder folder_{"quelta-app"};
    const std::filesystem::path& path_ = folder_.path();
};

} // namespace

TEST(QueltaProcess, BadParametersGiveOneMessageAndExitZero) {
    Site site;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{}, {"upload"}, {"upload", "srv"}, {"", "srv", "db"}}) {
        const auto outcome = site.Run(args);
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.err, "Bad parameters! Check documentation\n");
    }
    EXPECT_FALSE(std::filesystem::exists(site.Ini()));
}

TEST(QueltaProcess, UnreachableDatabaseGivesOneMessageAndExitZero) {
    Site site;
    const std::string server = "127.0.0.1," + std::to_string(common::testing::ClosedLoopbackPort());
    const std::string inis[] = {
        "[settings]\r\nlogin=\r\ndriver=FreeTDS\r\nlogintimeout=5\r\n",
        "[settings]\r\nlogin=\r\ndriver=No Such ODBC Driver\r\n",
    };
    for (const auto& ini : inis) {
        site.WriteIni(ini);
        const auto outcome = site.Run({"upload", server, "Tarvik", "bankcode", "0"});
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.err.rfind("EDatabaseError error raised, with message : \n", 0), 0u) << outcome.err;
        EXPECT_EQ(outcome.err.find("error raised", outcome.err.find("error raised") + 1), std::string::npos)
            << "more than one message: " << outcome.err;
    }
}

//! Runs a batch on an embedded database in the site's data folder, creating the database file when needed.
static std::string ReadOnEmbedded(const Site& site, const std::string& batch) {
    tsql::DatabaseOptions options;
    options.path = (site.DataDir() / "Tarvik.db").string();
    options.create = true;
    auto session = tsql::Database::open(options)->connect("quelta-test");
    std::string out;
    for (const auto& event : session->execute(batch).events) {
        if (event.kind == tsql::BatchEvent::Kind::Message) {
            out += "Msg " + std::to_string(event.message.number) + ": " + event.message.text + "\n";
            continue;
        }
        for (const auto& row : event.rows.rows) {
            for (const auto& value : row)
                out += tsql::formatForShell(value) + "|";
            out += "\n";
        }
    }
    return out;
}

TEST(QueltaProcess, UnknownEmbeddedDatabaseGivesOneMessageAndNoFile) {
    Site site;
    site.WriteIni("[settings]\nlogin=\ndriver=embedded\ndatadir=" + site.DataDir().string() + "\n");
    const auto outcome = site.Run({"download", "local", "Tarvik"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err.rfind("EDatabaseError error raised, with message : \n", 0), 0u) << outcome.err;
    EXPECT_NE(outcome.err.find("Tarvik"), std::string::npos) << outcome.err;
    EXPECT_FALSE(std::filesystem::exists(site.DataDir() / "Tarvik.db"));
}

TEST(QueltaProcess, MethodErrorReachesTheJournalOnTheEmbeddedEngine) {
    Site site;
    site.WriteIni("[settings]\nlogin=\ndriver=embedded\ndatadir=" + site.DataDir().string() + "\n");
    const std::string setup = ReadOnEmbedded(site, R"SQL(
CREATE TABLE TabHGlob (Legislativa INT NULL)
INSERT INTO TabHGlob (Legislativa) VALUES (0)
CREATE TABLE TabQUELTAHGlob (URL NVARCHAR(255) NULL, CertStoreLocation INT NULL, CertStoreName INT NULL,
  CertByName NVARCHAR(255) NULL, CertSN NVARCHAR(255) NULL)
INSERT INTO TabQUELTAHGlob VALUES (N'http://127.0.0.1:9/portal', 0, 0, NULL, NULL)
CREATE TABLE TabZurnal (ID INT IDENTITY PRIMARY KEY, Kod INT, Text NVARCHAR(255))
)SQL");
    ASSERT_EQ(setup, "");
    const std::string procedure = ReadOnEmbedded(site, R"SQL(
CREATE PROCEDURE dbo.hp_ZapisDoZurnalu @Druh INT, @Kod INT, @Text NVARCHAR(255), @IDZurnal INT = NULL OUTPUT
AS
INSERT INTO TabZurnal (Kod, Text) VALUES (@Druh, @Text)
SET @IDZurnal = SCOPE_IDENTITY()
)SQL");
    ASSERT_EQ(procedure, "");

    // "save" needs one integer: the bad id is refused before any SQL is built, and journaled.
    const auto outcome = site.Run({"save", "local", "Tarvik", "employee", "1", "7 OR 1=1"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    const std::string journal = ReadOnEmbedded(site, "SELECT Kod, Text FROM TabZurnal ORDER BY ID");
    EXPECT_EQ(journal.substr(0, journal.find('\n')),
              "2|QUELTA - Spustená synchronizácia - method: save | list : employee|");
    EXPECT_NE(
        journal.find("\n0|QUELTA - EQueltaError error raised with message : Chybný identifikátor záznamu "
                     "(6. parametr): '7 OR 1=1'. Očekáváno celé číslo.|"),
        std::string::npos)
        << journal;
}

TEST(QueltaProcess, FirstRunWithoutTerminalEndsAsCancelledNamingTheKeys) {
    Site site;
    const auto outcome = site.Run({"upload", "srv", "Tarvik", "bankcode", "0"});
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_NE(outcome.err.find("\"login\""), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find("\"password\""), std::string::npos) << outcome.err;
    EXPECT_NE(outcome.err.find(site.Ini().string()), std::string::npos) << outcome.err;
    // The default file was written; nothing else was.
    std::ifstream in(site.Ini(), std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
}

TEST(QueltaProcess, UnreachableDisplayFallsBackToTheTerminal) {
    Site site;
    site.WriteIni("[settings]\nlogin=\ndriver=No Such ODBC Driver\n");
    for (const char* display : {"DISPLAY=:9753", "QT_QPA_PLATFORM=offscreen"}) {
        const auto outcome = site.Run({"upload", "srv", "Tarvik", "bankcode", "0"}, {display});
        EXPECT_EQ(outcome.exitCode, 0);
        EXPECT_EQ(outcome.err.rfind("EDatabaseError error raised, with message : \n", 0), 0u) << outcome.err;
    }
}
