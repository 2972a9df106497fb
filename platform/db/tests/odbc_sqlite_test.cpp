// The ODBC backend against the SQLite3 ODBC driver, a real driver every Debian machine can install.

#include "backend_suite.h"

#include "platform/db/connection.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace platform::db::testing {
namespace {

//! A folder for the test databases, removed when the tests end.
class ScratchFolder : public ::testing::Environment {
public:
    void SetUp() override {
        std::string pattern = (std::filesystem::temp_directory_path() / "odbc-test-XXXXXX").string();
        if (!mkdtemp(pattern.data())) FAIL() << "cannot create a scratch folder";
        path_ = pattern;
    }
    void TearDown() override {
        if (!path_.empty()) std::filesystem::remove_all(path_);
    }
    std::filesystem::path next() { return path_ / ("db" + std::to_string(++count_) + ".sqlite"); }

private:
    std::filesystem::path path_;
    int count_ = 0;
};

ScratchFolder* scratch = static_cast<ScratchFolder*>(::testing::AddGlobalTestEnvironment(new ScratchFolder));

ConnectionDescription sqliteDescription(const std::filesystem::path& file) {
    ConnectionDescription d;
    d.driver = "SQLite3";
    d.database = file.string();
    return d;
}

std::string sqliteText(std::string_view text) {
    std::string out = "'";
    for (char c : text) {
        out += c;
        if (c == '\'') out += '\'';
    }
    return out + "'";
}

std::string sqliteBinary(const Bytes& bytes) {
    return "X'" + tsqlBinaryLiteral(bytes).substr(2) + "'";
}

BackendUnderTest sqliteOverOdbc() {
    BackendUnderTest b;
    b.name = "SQLite3Odbc";
    b.open = [] { return connect(sqliteDescription(scratch->next())); };
    b.textLiteral = sqliteText;
    b.binaryLiteral = sqliteBinary;
    b.longTextType = "ntext";
    b.longBinaryType = "longvarbinary"; // the driver reads "image" columns as text
    b.statementSeparator = "";          // the driver runs one statement per call
    b.exactNumerics = false;            // the driver reports NUMERIC as DOUBLE
    b.dateTimeTicks = false;
    // SQLite takes any type name but "(max)" and reports its own type names.
    b.nullableTypes = {{"int", ""},          {"float", ""},    {"numeric(12,2)", ""}, {"varchar(10)", ""},
                       {"nvarchar(10)", ""}, {"datetime", ""}, {"varbinary(10)", ""}, {"ntext", ""}};
    b.missingTableNumber = 1;
    b.missingTableText = "no such table: no_such_table";
    return b;
}

INSTANTIATE_TEST_SUITE_P(Odbc, BackendSuite, ::testing::Values(sqliteOverOdbc()), backendName);

TEST(OdbcBackend, IsAvailableWithoutRegistration) {
    EXPECT_TRUE(hasBackend("odbc"));
}

TEST(OdbcBackend, UnknownDriverIsNamedInTheError) {
    ConnectionDescription d = sqliteDescription(scratch->next());
    d.driver = "No Such Driver 99";
    try {
        connect(d);
        FAIL() << "connected";
    } catch (const ConnectionError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("'No Such Driver 99' is not installed"), std::string::npos) << text;
        EXPECT_NE(text.find("SQLite3"), std::string::npos) << "installed drivers listed: " << text;
    }
}

TEST(OdbcBackend, RefusedConnectionCarriesTheDriverDiagnostic) {
    ConnectionDescription d =
        sqliteDescription(scratch->next().parent_path() / "missing-folder" / "x.sqlite");
    d.server = "here";
    try {
        connect(d);
        FAIL() << "connected";
    } catch (const ConnectionError& e) {
        const std::string text = e.what();
        EXPECT_NE(text.find("Cannot connect to the database '" + d.database + "' on server 'here': "),
                  std::string::npos)
            << text;
        EXPECT_NE(text.find("[SQLite]"), std::string::npos) << "the driver's own words: " << text;
    }
}

TEST(OdbcBackend, ConnectsWithEitherAuthenticationForm) {
    for (const char* login : {"", "sa"}) {
        ConnectionDescription d = sqliteDescription(scratch->next());
        d.login = login;
        d.password = "p;w}d";
        auto db = connect(d);
        EXPECT_EQ(db->execute("SELECT 5 AS n").resultSets.at(0).at(0, "n").asInt(), 5)
            << "login '" << login << "'";
    }
}

TEST(OdbcBackend, TextIsAlwaysValidUtf8) {
    auto db = connect(sqliteDescription(scratch->next()));
    EXPECT_THROW(db->execute("SELECT 'A\xC3(' AS t"), ConversionError) << "malformed batch text is not sent";
    const auto set = db->execute("SELECT CAST(X'41C328' AS TEXT) AS t").resultSets.at(0);
    EXPECT_EQ(set.at(0, "t"), Value::text("A\xEF\xBF\xBD(")) << "malformed text from the driver is repaired";
}

} // namespace
} // namespace platform::db::testing
