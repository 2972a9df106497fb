// Quelta as a site with SQL Server runs it: driver=FreeTDS in its INI, the server written "HOST,PORT",
// against tsql-server serving a host database made by `tarvik create`.

#include "common/testing/loopback.h"
#include "common/testing/server_process.h"
#include "common/testing/temp_folder.h"
#include "platform/db/connection.h"
#include "quelta/scramble.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace {

namespace db = platform::db;

constexpr const char* kPassword = "Mzdy-2013";

std::string readFile(const std::filesystem::path& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(QueltaOverTds, WritesItsStartAndErrorJournalEntriesThroughFreeTds) {
    common::testing::TempFolder site("quelta-tds");
    const auto data = site / "data";
    std::filesystem::create_directories(data);
    const std::string create = std::string(TARVIK_PATH) + " create --db " + (data / "Tarvik.db").string() +
                               " >" + (site / "tarvik.out").string() + " 2>&1";
    ASSERT_EQ(std::system(create.c_str()), 0) << readFile(site / "tarvik.out");

    common::testing::ServerProcess server(
        {TSQL_SERVER_PATH, "--listen", "127.0.0.1:0", "--datadir", data.string()},
        {std::string("TSQL_SERVER_PASSWORD=") + kPassword}, (site / "server.log").string());
    const std::string address = server.firstLine();
    const std::string hostPort = "127.0.0.1," + address.substr(address.rfind(':') + 1);

    // What the plug-in's installer and the host's company settings would have put there.
    db::ConnectionDescription d;
    d.driver = "FreeTDS";
    d.server = hostPort;
    d.database = "Tarvik";
    d.login = "sa";
    d.password = kPassword;
    auto host = db::connect(d);
    host->execute("INSERT INTO TabHGlob (Legislativa, NazevFirmy) VALUES (1, N'Demo s.r.o.')\n"
                  "CREATE TABLE TabQUELTAHGlob (URL NVARCHAR(255) NULL, CertStoreLocation INT NULL,\n"
                  "  CertStoreName INT NULL, CertByName NVARCHAR(255) NULL, CertSN NVARCHAR(255) NULL)\n"
                  "INSERT INTO TabQUELTAHGlob VALUES (N'http://127.0.0.1:" +
                  std::to_string(common::testing::ClosedLoopbackPort()) + "/portal', 0, 0, NULL, NULL)");

    const auto ini = site / "quelta.INI";
    std::ofstream(ini, std::ios::binary)
        << "[settings]\r\nlogin=sa\r\npassword=" << quelta::Scramble(kPassword)
        << "\r\ndriver=FreeTDS\r\nlogintimeout=10\r\n";
    // "save" wants one integer: the id is refused before any SQL is built, and the refusal journaled.
    const std::string run = "QUELTA_INI=" + ini.string() + " " + QUELTA_PATH + " save " + hostPort +
                            " Tarvik employee 1 '7 OR 1=1' </dev/null >/dev/null 2>" +
                            (site / "quelta.err").string();
    const int status = std::system(run.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    EXPECT_EQ(readFile(site / "quelta.err"), "");

    const auto journal =
        host->execute("SELECT Druh, Kod, Text, Autor FROM TabZurnal ORDER BY ID").resultSets.at(0);
    ASSERT_EQ(journal.rowCount(), 2u) << readFile(site / "server.log");
    EXPECT_EQ(journal.at(0, "Druh"), db::Value::integer(2));
    EXPECT_EQ(journal.at(0, "Text"),
              db::Value::text("QUELTA - Spustená synchronizácia - method: save | list : employee"));
    EXPECT_EQ(journal.at(1, "Druh"), db::Value::integer(0));
    EXPECT_EQ(journal.at(1, "Text").asText().rfind("QUELTA - EQueltaError error raised with message : ", 0),
              0u)
        << journal.at(1, "Text").asText();
    EXPECT_EQ(journal.at(0, "Autor"), db::Value::text("sa")) << "the server's login is the author";
    EXPECT_EQ(readFile(site / "server.log").find(kPassword), std::string::npos);
}

} // namespace
