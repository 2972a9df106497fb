// Real SQL Server clients against the server: FreeTDS's ODBC driver with bound parameters, prepared
// statements, procedure calls with OUTPUT parameters, every protocol version and TLS; FreeTDS's `tsql`;
// Node's tedious when it is installed.

#include "server_fixture.h"

#include <sql.h>
#include <sqlext.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/wait.h>

namespace tsql::server::testing {
namespace {

//! One ODBC connection with one statement handle; failures throw with the driver's diagnostics.
class Odbc {
public:
    explicit Odbc(const std::string& connectionString) {
        SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env_);
        SQLSetEnvAttr(env_, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
        SQLAllocHandle(SQL_HANDLE_DBC, env_, &dbc_);
        std::string text = connectionString;
        check(SQLDriverConnect(dbc_, nullptr, reinterpret_cast<SQLCHAR*>(text.data()), SQL_NTS, nullptr, 0,
                               nullptr, SQL_DRIVER_NOPROMPT),
              SQL_HANDLE_DBC, dbc_);
        SQLAllocHandle(SQL_HANDLE_STMT, dbc_, &stmt_);
    }
    ~Odbc() {
        SQLFreeHandle(SQL_HANDLE_STMT, stmt_);
        SQLDisconnect(dbc_);
        SQLFreeHandle(SQL_HANDLE_DBC, dbc_);
        SQLFreeHandle(SQL_HANDLE_ENV, env_);
    }
    SQLHSTMT stmt() const { return stmt_; }

    void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle) const {
        if (SQL_SUCCEEDED(rc) || rc == SQL_NO_DATA) return;
        std::string text = "ODBC call failed (" + std::to_string(rc) + ")";
        SQLCHAR state[6];
        SQLINTEGER native = 0;
        SQLCHAR message[1024];
        SQLSMALLINT length = 0;
        for (SQLSMALLINT r = 1;
             SQLGetDiagRec(type, handle, r, state, &native, message, sizeof message, &length) == SQL_SUCCESS;
             ++r)
            text += std::string("; ") + reinterpret_cast<char*>(message);
        throw std::runtime_error(text);
    }
    void check(SQLRETURN rc) const { check(rc, SQL_HANDLE_STMT, stmt_); }

    void run(const std::string& sql) {
        check(SQLExecDirect(stmt_, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS));
        while (SQL_SUCCEEDED(SQLMoreResults(stmt_))) {
        }
        SQLFreeStmt(stmt_, SQL_CLOSE);
    }

    //! Every row of the current result as text (NULL as "NULL"), columns separated by '|'.
    std::vector<std::string> rows() {
        std::vector<std::string> out;
        SQLSMALLINT columns = 0;
        SQLNumResultCols(stmt_, &columns);
        while (SQL_SUCCEEDED(SQLFetch(stmt_))) {
            std::string row;
            for (SQLUSMALLINT c = 1; c <= columns; ++c) {
                std::string value;
                char buffer[4096];
                SQLLEN indicator = 0;
                SQLRETURN rc;
                while ((rc = SQLGetData(stmt_, c, SQL_C_CHAR, buffer, sizeof buffer, &indicator)) !=
                       SQL_NO_DATA) {
                    check(rc);
                    if (indicator == SQL_NULL_DATA) {
                        value = "NULL";
                        break;
                    }
                    value += buffer;
                    if (rc == SQL_SUCCESS) break;
                }
                row += (c > 1 ? "|" : "") + value;
            }
            out.push_back(row);
        }
        return out;
    }

private:
    SQLHENV env_ = SQL_NULL_HANDLE;
    SQLHDBC dbc_ = SQL_NULL_HANDLE;
    SQLHSTMT stmt_ = SQL_NULL_HANDLE;
};

class FreeTdsTest : public ServerFixture {
protected:
    std::string connectionString(const std::string& extra = {}) const {
        return "DRIVER=FreeTDS;SERVER=127.0.0.1;Port=" + std::to_string(server_->port()) +
               ";DATABASE=Tarvik;UID=sa;PWD=" + kPassword + ";ClientCharset=UTF-8;" + extra;
    }
};

TEST_F(FreeTdsTest, BoundParametersTravelAsTypedRpcParameters) {
    Odbc db(connectionString());
    db.run("CREATE TABLE typed (id INT, name NVARCHAR(40), amount NUMERIC(12,2), at DATETIME, code "
           "VARCHAR(10))");
    SQLHSTMT s = db.stmt();
    SQLINTEGER id = 7;
    SQLLEN idLength = 0;
    const std::u16string name = u"Žofie 😀";
    SQLLEN nameLength = static_cast<SQLLEN>(name.size() * 2);
    char amount[] = "-1234.50";
    SQLLEN amountLength = SQL_NTS;
    SQL_TIMESTAMP_STRUCT at{2024, 2, 29, 23, 59, 58, 0};
    SQLLEN atLength = 0;
    SQLLEN nullLength = SQL_NULL_DATA;
    db.check(SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &id, 0, &idLength));
    db.check(SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_WCHAR, SQL_WVARCHAR, 40, 0,
                              const_cast<char16_t*>(name.data()), nameLength, &nameLength));
    db.check(
        SQLBindParameter(s, 3, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_NUMERIC, 12, 2, amount, 0, &amountLength));
    db.check(SQLBindParameter(s, 4, SQL_PARAM_INPUT, SQL_C_TYPE_TIMESTAMP, SQL_TYPE_TIMESTAMP, 23, 3, &at, 0,
                              &atLength));
    db.check(
        SQLBindParameter(s, 5, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 10, 0, nullptr, 0, &nullLength));
    const std::string insert = "INSERT INTO typed VALUES (?, ?, ?, ?, ?)";
    db.check(SQLExecDirect(s, reinterpret_cast<SQLCHAR*>(const_cast<char*>(insert.c_str())), SQL_NTS));
    SQLLEN count = 0;
    SQLRowCount(s, &count);
    EXPECT_EQ(count, 1);
    SQLFreeStmt(s, SQL_CLOSE);
    SQLFreeStmt(s, SQL_RESET_PARAMS);

    const std::string select = "SELECT id, name, amount, at, code FROM typed";
    db.check(SQLExecDirect(s, reinterpret_cast<SQLCHAR*>(const_cast<char*>(select.c_str())), SQL_NTS));
    EXPECT_EQ(db.rows(), std::vector<std::string>{"7|Žofie 😀|-1234.50|2024-02-29 23:59:58.000|NULL"});
    SQLFreeStmt(s, SQL_CLOSE);
}

TEST_F(FreeTdsTest, PreparedStatementsRunAgainWithNewValues) {
    Odbc db(connectionString());
    SQLHSTMT s = db.stmt();
    const std::string sql = "SELECT ? * 2 AS twice, N'ř' + ? AS joined";
    db.check(SQLPrepare(s, reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS));
    SQLINTEGER value = 0;
    SQLLEN valueLength = 0;
    char text[16] = {};
    SQLLEN textLength = SQL_NTS;
    db.check(
        SQLBindParameter(s, 1, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &value, 0, &valueLength));
    db.check(SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_CHAR, SQL_VARCHAR, 15, 0, text, sizeof text,
                              &textLength));
    for (int i : {3, 21}) {
        value = i;
        std::snprintf(text, sizeof text, "x%d", i);
        db.check(SQLExecute(s));
        EXPECT_EQ(db.rows(), std::vector<std::string>{std::to_string(2 * i) + "|řx" + std::to_string(i)});
        SQLFreeStmt(s, SQL_CLOSE);
    }
}

TEST_F(FreeTdsTest, ProcedureCallsGiveBackReturnValueAndOutputParameters) {
    Odbc db(connectionString());
    db.run("CREATE PROCEDURE dbo.p_split @total INT, @half INT OUTPUT AS\n"
           "SET @half = @total / 2\n"
           "RETURN @total % 2");
    SQLHSTMT s = db.stmt();
    SQLINTEGER status = -99;
    SQLINTEGER total = 21;
    SQLINTEGER half = -1;
    SQLLEN lengths[3] = {0, 0, 0};
    db.check(
        SQLBindParameter(s, 1, SQL_PARAM_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &status, 0, &lengths[0]));
    db.check(SQLBindParameter(s, 2, SQL_PARAM_INPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &total, 0, &lengths[1]));
    db.check(SQLBindParameter(s, 3, SQL_PARAM_INPUT_OUTPUT, SQL_C_SLONG, SQL_INTEGER, 0, 0, &half, 0,
                              &lengths[2]));
    const std::string call = "{? = call dbo.p_split(?, ?)}";
    db.check(SQLExecDirect(s, reinterpret_cast<SQLCHAR*>(const_cast<char*>(call.c_str())), SQL_NTS));
    while (SQL_SUCCEEDED(SQLMoreResults(s))) {
    }
    EXPECT_EQ(status, 1);
    EXPECT_EQ(half, 10);
}

TEST_F(FreeTdsTest, EveryProtocolVersionCarriesTheSameData) {
    for (const char* version : {"7.1", "7.2", "7.3", "7.4"}) {
        SCOPED_TRACE(version);
        Odbc db(connectionString(std::string("TDS_Version=") + version + ";"));
        const std::string sql =
            "SELECT REPLICATE(CAST(N'ž' AS NVARCHAR(MAX)), 5000) AS t, CAST(NULL AS VARBINARY(MAX)) AS b, "
            "CAST(12.5 AS MONEY) AS m, CAST('2000-01-01T12:00:00.003' AS DATETIME) AS d, "
            "CAST('2024-02-29' AS DATE) AS dd, CAST('13:14:15.1234567' AS TIME(7)) AS tt, "
            "CAST('06:00' AS TIME(0)) AS t0";
        db.check(
            SQLExecDirect(db.stmt(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS));
        const auto rows = db.rows();
        ASSERT_EQ(rows.size(), 1u);
        std::string text;
        for (int i = 0; i < 5000; ++i)
            text += "ž";
        // Compared in two parts: a difference in five thousand characters is no help in a report.
        EXPECT_TRUE(rows[0].substr(0, text.size()) == text) << rows[0].size() << " bytes";
        EXPECT_EQ(rows[0].substr(std::min(text.size(), rows[0].size())),
                  "|NULL|12.5000|2000-01-01 12:00:00.003|2024-02-29|13:14:15.1234567|06:00:00");
        SQLFreeStmt(db.stmt(), SQL_CLOSE);
    }
}

//! A server that has a certificate: TLS for the login only, or for the whole connection.
class TlsTest : public FreeTdsTest {
protected:
    void SetUp() override {
        const std::string command =
            "openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj /CN=localhost -keyout " +
            (folder_ / "key.pem").string() + " -out " + (folder_ / "cert.pem").string() + " >/dev/null 2>&1";
        if (std::system(command.c_str()) != 0) GTEST_SKIP() << "openssl cannot make a test certificate";
        FreeTdsTest::SetUp();
    }
    void adjust(ServerOptions& o) override {
        o.tlsCertificate = (folder_ / "cert.pem").string();
        o.tlsKey = (folder_ / "key.pem").string();
    }
};

TEST_F(TlsTest, ClientsChooseLoginOnlyOrFullEncryption) {
    for (const char* encryption : {"request", "require"}) {
        SCOPED_TRACE(encryption);
        Odbc db(connectionString(std::string("Encryption=") + encryption + ";"));
        const std::string sql = "SELECT REPLICATE(CAST(N'šifra ' AS NVARCHAR(MAX)), 2000) AS t";
        db.check(
            SQLExecDirect(db.stmt(), reinterpret_cast<SQLCHAR*>(const_cast<char*>(sql.c_str())), SQL_NTS));
        const auto rows = db.rows();
        ASSERT_EQ(rows.size(), 1u);
        EXPECT_EQ(rows[0].size(), std::string("šifra ").size() * 2000);
    }
    EXPECT_NE(log().find("TLS for the login"), std::string::npos) << log();
    EXPECT_NE(log().find("Tarvik' from 127.0.0.1"), std::string::npos);
    EXPECT_NE(log().find(", TLS\n"), std::string::npos) << log();
}

TEST_F(TlsTest, TediousConnectsQueriesAndCallsProcedures) {
    if (std::system("command -v node >/dev/null 2>&1") != 0) GTEST_SKIP() << "Node.js is not installed";
    const auto output = folder_ / "tedious.out";
    const std::string command = "node " + std::string(TEDIOUS_CHECK) + " " + std::to_string(server_->port()) +
                                " " + kPassword + " > " + output.string() + " 2>&1";
    const int status = std::system(command.c_str());
    std::ifstream in(output);
    std::stringstream text;
    text << in.rdbuf();
    if (WIFEXITED(status) && WEXITSTATUS(status) == 77) GTEST_SKIP() << text.str();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << text.str() << log();
}

TEST_F(FreeTdsTest, EncryptionRequiredOfAServerWithoutCertificateFails) {
    EXPECT_THROW(Odbc encrypted(connectionString("Encryption=require;")), std::runtime_error);
    EXPECT_NO_THROW(Odbc plain(connectionString()));
}

TEST_F(FreeTdsTest, TheCommandLineClientRunsScripts) {
    if (!std::filesystem::exists("/usr/bin/tsql"))
        GTEST_SKIP() << "FreeTDS's tsql is not installed (freetds-bin)";
    const auto script = folder_ / "script.sql";
    std::ofstream(script) << "SELECT N'Příliš' AS word, 6 * 7 AS answer\ngo\nexit\n";
    const auto output = folder_ / "tsql.out";
    const std::string command = "/usr/bin/tsql -H 127.0.0.1 -p " + std::to_string(server_->port()) +
                                " -U sa -P " + kPassword + " -D Tarvik < " + script.string() + " > " +
                                output.string() + " 2>&1";
    std::system(command.c_str());
    std::ifstream in(output);
    std::stringstream text;
    text << in.rdbuf();
    EXPECT_NE(text.str().find("Příliš\t42"), std::string::npos) << text.str();
}

} // namespace
} // namespace tsql::server::testing
