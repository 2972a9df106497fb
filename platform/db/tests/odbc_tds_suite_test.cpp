// The ODBC backend with the SQL Server driver FreeTDS, against the embedded engine served over TDS by
// tsql-server on loopback: the whole path a site with SQL Server takes.

#include "backend_suite.h"

#include "common/testing/server_process.h"
#include "common/testing/temp_folder.h"
#include "platform/db/connection.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <string>

namespace platform::db::testing {
namespace {

constexpr const char* kPassword = "Heslo-123";
constexpr const char* kDataSource = "TdsSuiteServer";

//! One tsql-server for all tests of this program, serving a fresh data folder.
class TdsServer : public ::testing::Environment {
public:
    void SetUp() override {
        folder_ = std::make_unique<common::testing::TempFolder>("tds-suite");
        process_ = std::make_unique<common::testing::ServerProcess>(
            std::vector<std::string>{TSQL_SERVER_PATH, "--listen", "127.0.0.1:0", "--datadir",
                                     folder_->path().string()},
            std::vector<std::string>{std::string("TSQL_SERVER_PASSWORD=") + kPassword},
            (folder_->path() / "server.log").string());
        const std::string& address = process_->firstLine();
        port_ = address.substr(address.rfind(':') + 1);
        server_ = "127.0.0.1," + port_;
        // A data source for the server, as an administrator would define it in odbc.ini.
        const auto ini = folder_->path() / "odbc.ini";
        std::ofstream(ini) << "[" << kDataSource
                           << "]\nDriver = FreeTDS\nServer = 127.0.0.1\nPort = " << port_ << "\n";
        ::setenv("ODBCINI", ini.c_str(), 1);
    }
    void TearDown() override {
        process_.reset();
        folder_.reset();
    }
    //! The server as Quelta's INI and SQL Server administrators write it: "HOST,PORT".
    const std::string& server() const { return server_; }

private:
    std::unique_ptr<common::testing::TempFolder> folder_;
    std::unique_ptr<common::testing::ServerProcess> process_;
    std::string port_;
    std::string server_;
};

TdsServer* tds = static_cast<TdsServer*>(::testing::AddGlobalTestEnvironment(new TdsServer));

ConnectionDescription freetds(const std::string& database) {
    ConnectionDescription d;
    d.driver = "FreeTDS";
    d.server = tds->server();
    d.database = database;
    d.login = "sa";
    d.password = kPassword;
    return d;
}

BackendUnderTest freetdsOverTds() {
    BackendUnderTest b;
    b.name = "FreeTdsOverTds";
    b.open = [] {
        static std::atomic<int> counter{0};
        const std::string name = "suite" + std::to_string(++counter);
        connect(freetds("master"))->execute("CREATE DATABASE " + name);
        return connect(freetds(name));
    };
    b.textLiteral = tsqlTextLiteral;
    b.binaryLiteral = tsqlBinaryLiteral;
    b.print = [](std::string_view text) { return "PRINT " + tsqlTextLiteral(text); };
    return b;
}

INSTANTIATE_TEST_SUITE_P(Tds, BackendSuite, ::testing::Values(freetdsOverTds()), backendName);

TEST(TdsServerOdbc, ReachesTheServerAsHostCommaPortAndAsADataSource) {
    connect(freetds("master"))->execute("CREATE DATABASE reach");
    for (const std::string& server : {tds->server(), std::string(kDataSource)}) {
        ConnectionDescription d = freetds("reach");
        d.server = server;
        // A data source brings its own driver.
        if (server == kDataSource) d.driver = "No Such Driver";
        const auto set = connect(d)->execute("SELECT DB_NAME() AS db").resultSets.at(0);
        EXPECT_EQ(set.at(0, "db"), Value::text("reach")) << server;
    }
}

TEST(TdsServerOdbc, WrongPasswordAndUnknownDatabaseAreLoginFailures) {
    ConnectionDescription wrong = freetds("master");
    wrong.password = "nope";
    ConnectionDescription unknown = freetds("NoSuchDatabase");
    for (const auto& d : {wrong, unknown}) {
        try {
            connect(d);
            FAIL() << "connected to " << d.database;
        } catch (const ConnectionError& e) {
            EXPECT_NE(std::string(e.what()).find("Login failed for user 'sa'."), std::string::npos)
                << e.what();
        }
    }
}

} // namespace
} // namespace platform::db::testing
