#include "tsql/backend.h"
#include "tsql/engine.h"

#include "common/testing/temp_folder.h"
#include "platform/db/connection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace db = platform::db;
namespace fs = std::filesystem;

class EmbeddedBackendTest : public testing::Test {
protected:
    void SetUp() override {
        tsql::registerEmbeddedBackend();
        dir_ = fs::temp_directory_path() / ("tsql-backend-" + std::to_string(::getpid()) + "-" +
                                            testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        tsql::DatabaseOptions create;
        create.path = (dir_ / "Firma.db").string();
        create.create = true;
        tsql::Database::open(create);
    }
    void TearDown() override { fs::remove_all(dir_); }

    db::ConnectionDescription description(const std::string& database = "Firma") const {
        db::ConnectionDescription d;
        d.backend = "embedded";
        d.server = "SRV01";
        d.database = database;
        d.login = "mzdy";
        d.dataDir = dir_.string();
        return d;
    }

    fs::path dir_;
};

TEST_F(EmbeddedBackendTest, ReportsLoginServerAndDatabase) {
    auto c = db::connect(description());
    auto r = c->execute("SELECT SUSER_SNAME() AS l, @@SERVERNAME AS s, DB_NAME() AS d, CAST(1 AS BIT) AS b");
    ASSERT_EQ(r.resultSets.size(), 1u);
    const auto& rs = r.resultSets.front();
    EXPECT_EQ(rs.at(0, "l").asText(), "mzdy");
    EXPECT_EQ(rs.at(0, "s").asText(), "SRV01");
    EXPECT_EQ(rs.at(0, "d").asText(), "Firma");
    EXPECT_TRUE(rs.at(0, "b").asBool());
    EXPECT_EQ(c->serverName(), "SRV01");
}

TEST_F(EmbeddedBackendTest, UnknownDatabaseFailsLikeTheLogin) {
    try {
        db::connect(description("Neni"));
        FAIL();
    } catch (const db::ConnectionError& e) {
        EXPECT_EQ(std::string(e.what()),
                  "Cannot open database \"Neni\" requested by the login. The login failed.");
    }
    EXPECT_FALSE(fs::exists(dir_ / "Neni.db"));
}

TEST_F(EmbeddedBackendTest, ErrorsOfABatchAreThrownTogetherAfterItEnds) {
    auto c = db::connect(description());
    c->execute("CREATE TABLE T (ID INT PRIMARY KEY)");
    try {
        c->execute("INSERT T VALUES (1) INSERT T VALUES (1) INSERT T VALUES (NULL) INSERT T VALUES (2)");
        FAIL();
    } catch (const db::DbError& e) {
        ASSERT_EQ(e.errors().size(), 2u);
        EXPECT_EQ(e.number(), 2627);
        EXPECT_EQ(e.errors()[1].number, 515);
    }
    auto r = c->execute("SELECT COUNT(*) AS n FROM T");
    EXPECT_EQ(r.resultSets.at(0).at(0, "n").asInt(), 3 - 1);
}

TEST_F(EmbeddedBackendTest, ConnectionsShareDataButNotTemporaryTables) {
    auto a = db::connect(description());
    auto b = db::connect(description());
    a->execute("CREATE TABLE Sdilena (ID INT) INSERT Sdilena VALUES (7) CREATE TABLE #Moje (ID INT)");
    auto r = b->execute("SELECT ID FROM Sdilena SELECT OBJECT_ID('tempdb..#Moje') AS t");
    EXPECT_EQ(r.resultSets.at(0).at(0, "ID").asInt(), 7);
    EXPECT_TRUE(r.resultSets.at(1).at(0, "t").isNull());
    b->execute("CREATE TABLE #Moje (Jine NVARCHAR(5))");
}

TEST_F(EmbeddedBackendTest, AnotherProcessWritesTheSameFile) {
    auto c = db::connect(description());
    c->execute("CREATE TABLE Log (ID INT IDENTITY PRIMARY KEY, Kdo NVARCHAR(20))");
    fs::path script = dir_ / "other.sql";
    {
        std::ofstream out(script);
        out << "DECLARE @i INT = 0\nWHILE @i < 50 BEGIN INSERT Log (Kdo) VALUES (N'other') SET @i = @i + 1 "
               "END\n";
    }
    std::string cmd = std::string(TSQLSH_PATH) + " --db '" + (dir_ / "Firma.db").string() + "' '" +
                      script.string() + "' > '" + (dir_ / "other.out").string() + "' 2>&1 &";
    ASSERT_EQ(std::system(cmd.c_str()), 0);
    for (int i = 0; i < 50; ++i)
        c->execute("INSERT Log (Kdo) VALUES (N'me')");
    // Wait for the other process by taking the write lock it holds while inserting.
    long long total = 0;
    for (int attempt = 0; attempt < 600 && total < 100; ++attempt) {
        total = c->execute("SELECT COUNT(*) AS n FROM Log").resultSets.at(0).at(0, "n").asInt();
        if (total < 100) std::system("sleep 0.05");
    }
    EXPECT_EQ(total, 100);
    auto r = c->execute("SELECT COUNT(DISTINCT ID) AS n FROM Log");
    EXPECT_EQ(r.resultSets.at(0).at(0, "n").asInt(), 100);
}

} // namespace

namespace {

struct ShellCase {
    const char* script;
    const char* output;
    int status;
};

class TsqlshTest : public testing::TestWithParam<ShellCase> {};

TEST_P(TsqlshTest, PrintsResultsAndExitStatus) {
    fs::path dir = fs::temp_directory_path() / ("tsqlsh-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path script = dir / "in.sql";
    fs::path out = dir / "out.txt";
    {
        std::ofstream f(script, std::ios::binary);
        f << GetParam().script;
    }
    std::string cmd = std::string(TSQLSH_PATH) + " '" + script.string() + "' > '" + out.string() + "' 2>&1";
    int status = std::system(cmd.c_str());
    std::ifstream in(out, std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    fs::remove_all(dir);
    EXPECT_EQ(text, GetParam().output);
    EXPECT_EQ(WEXITSTATUS(status), GetParam().status);
}

// An endless batch prints as it runs, in bounded memory: the first lines arrive while it still runs
// (it ends when the reader stops reading).
TEST(TsqlshStreamTest, PrintsAnEndlessBatchAsItRuns) {
    common::testing::TempFolder dir("tsqlsh-stream");
    {
        std::ofstream f(dir / "in.sql", std::ios::binary);
        f << "DECLARE @i INT = 0\nWHILE 1 = 1 BEGIN SET @i += 1 PRINT @i END\n";
    }
#if defined(__SANITIZE_ADDRESS__)
    std::string limit; // the sanitizer reserves more address space than any sensible limit
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
    std::string limit;
#else
    std::string limit = "ulimit -v 1000000; ";
#endif
#else
    std::string limit = "ulimit -v 1000000; ";
#endif
    std::string cmd = "(" + limit + "timeout 60 " + std::string(TSQLSH_PATH) + " '" +
                      (dir / "in.sql").string() + "') 2>&1 | head -n 20000 > '" + (dir / "out.txt").string() +
                      "'";
    std::system(cmd.c_str());
    std::ifstream in(dir / "out.txt", std::ios::binary);
    std::string line, last;
    int lines = 0;
    while (std::getline(in, line)) {
        ++lines;
        last = line;
    }
    EXPECT_EQ(lines, 20000);
    EXPECT_EQ(last, "20000");
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, TsqlshTest,
    testing::Values(ShellCase{"SELECT 1 AS a\r\ngo\r\nSELECT N'x\ty' AS b, CAST(NULL AS INT) c\r\n",
                              "a\n1\n(1 rows)\nb\tc\nx\\ty\tNULL\n(1 rows)\n", 0},
                    ShellCase{"DECLARE @a INT\rSET @a = 2\rGO\rPRINT 'x'\rSELECT Nic\r",
                              "x\nMsg 207, Level 16, State 1: Invalid column name 'Nic'.\n", 1},
                    ShellCase{"  GO  \nSELECT 1.50 AS n, 0x0A AS b\nGO\n", "n\tb\n1.50\t0x0A\n(1 rows)\n",
                              0}));

} // namespace
