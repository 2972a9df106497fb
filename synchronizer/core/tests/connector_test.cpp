#include "quelta/db_connector.h"
#include "quelta/errors.h"
#include "quelta/scramble.h"

#include "fake_database.h"

#include <gtest/gtest.h>

#include <clocale>

#include <sys/stat.h>

using namespace quelta;
using namespace quelta::test;
namespace db = platform::db;

namespace {

class Connector : public ::testing::Test {
protected:
    void SetUp() override { FakeDatabase::Reset(); }
    FakeDatabase& database() { return FakeDatabase::Instance(); }
    std::filesystem::path ini() const { return dir / "quelta.INI"; }
    //! An INI file selecting the scripted database, plus the given lines.
    void writeIni(const std::string& lines) const {
        WriteTextFile(ini(), "[settings]\ndriver=embedded\n" + lines);
    }
    TDBConnector connector() { return TDBConnector("srv", "Tarvik", {ini(), &login}); }

    TempFolder dir;
    ScriptedLogin login;
};

} // namespace

TEST_F(Connector, NoIniWritesDefaultAndAsksWithSa) {
    login.answer = LoginAnswer{true, "ignored", "ignored"};
    EXPECT_NO_THROW(connector());
    EXPECT_EQ(login.shownWith, std::vector<std::string>{"sa"});
    const auto stored = IniFile::Load(ini());
    EXPECT_EQ(stored.Get("settings", "login"), "");
    EXPECT_EQ(stored.Get("settings", "password"), "");
    struct stat st {};
    ASSERT_EQ(::stat(ini().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    EXPECT_EQ(ReadBytes(ini()).substr(0, 2), "\xFF\xFE");

    // Windows authentication stored: later connectors do not ask.
    login.shownWith.clear();
    TDBConnector later("srv", "Tarvik", {ini(), &login});
    EXPECT_TRUE(login.shownWith.empty());
    EXPECT_TRUE(later.Description().integratedSecurity());
}

TEST_F(Connector, DefaultContentIsThreeLines) {
    login.answer = std::nullopt;
    EXPECT_THROW(connector(), ELoginCancelled);
    std::string expected = "\xFF\xFE";
    for (char c : std::string("[settings]\r\nlogin=sa\r\npassword=\r\n"))
        expected += std::string{c, '\0'};
    EXPECT_EQ(ReadBytes(ini()), expected) << "UTF-16LE with a byte-order mark";
    EXPECT_TRUE(database().connections.empty());
}

TEST_F(Connector, EnteredPasswordIsStoredScrambled) {
    writeIni("login=sa\npassword=\n");
    login.answer = LoginAnswer{false, "clerk", "Tajné:heslo;1"};
    const auto c = connector();
    const auto stored = IniFile::Load(ini());
    EXPECT_EQ(stored.Get("settings", "login"), "clerk");
    EXPECT_EQ(stored.Get("settings", "password"), Scramble("Tajné:heslo;1"));
    EXPECT_EQ(stored.Get("settings", "driver"), "embedded");
    EXPECT_EQ(c.Description().login, "clerk");
    EXPECT_EQ(c.Description().password, "Tajné:heslo;1");
}

TEST_F(Connector, StoredLoginAndPasswordNeedNoForm) {
    writeIni("login=clerk\npassword=" + Scramble("pw") + "\n");
    const auto c = connector();
    EXPECT_TRUE(login.shownWith.empty());
    EXPECT_EQ(c.Description().login, "clerk");
    EXPECT_EQ(c.Description().password, "pw");
    EXPECT_EQ(c.Description().server, "srv");
    EXPECT_EQ(c.Description().database, "Tarvik");
}

TEST_F(Connector, CancelWritesNothing) {
    writeIni("login=sa\npassword=\n");
    const auto before = ReadBytes(ini());
    EXPECT_THROW(connector(), ELoginCancelled);
    EXPECT_EQ(ReadBytes(ini()), before);
    EXPECT_THROW(TDBConnector("srv", "Tarvik", {ini(), nullptr}), ELoginCancelled);
}

TEST_F(Connector, DriverAndDataFolderChooseTheBackend) {
    struct Case {
        std::string lines;
        std::string backend, driver, dataDir, extra;
    };
    const std::string folder = dir.path().string();
    const Case cases[] = {
        {"login=\n", "odbc", "ODBC Driver 18 for SQL Server", "", ""},
        {"login=\ndriver=FreeTDS\noptions=Port=1433;\n", "odbc", "FreeTDS", "", "Port=1433;"},
        {"login=\ndriver=Embedded\n", "embedded", "", folder + "/data", ""},
        {"login=\ndriver=embedded\ndatadir=db/../dbs\n", "embedded", "", folder + "/dbs", ""},
        {"login=\ndriver=embedded\ndatadir=/var/lib/q\n", "embedded", "", "/var/lib/q", ""},
    };
    for (const auto& c : cases) {
        WriteTextFile(ini(), "[settings]\n" + c.lines);
        const auto d = connector().Description();
        EXPECT_EQ(d.backend, c.backend) << c.lines;
        EXPECT_EQ(d.driver, c.driver) << c.lines;
        EXPECT_EQ(d.dataDir, c.dataDir) << c.lines;
        EXPECT_EQ(d.extra, c.extra) << c.lines;
        EXPECT_TRUE(d.integratedSecurity());
    }
}

TEST_F(Connector, LoginTimeoutFromIni) {
    writeIni("login=\nlogintimeout=3\n");
    EXPECT_EQ(connector().Description().loginTimeoutSeconds, 3);
    writeIni("login=\n");
    EXPECT_EQ(connector().Description().loginTimeoutSeconds, db::ConnectionDescription{}.loginTimeoutSeconds);
    writeIni("login=\nlogintimeout=soon\n");
    EXPECT_THROW(connector(), EQueltaError);
}

TEST_F(Connector, ConnectsAtTheFirstStatementAndRunsEachBatchOnce) {
    writeIni("login=\n");
    auto c = connector();
    EXPECT_TRUE(database().connections.empty());
    database().answers["UPDATE T"] = db::ResultSet({{"x", "int"}}, {{db::Value::integer(1)}});
    c.SQLExec("UPDATE T SET a = 1 SELECT 1");
    EXPECT_EQ(database().connections.size(), 1u);
    c.ExecSQL("EXEC p");
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(database().batches, (std::vector<std::string>{"UPDATE T SET a = 1 SELECT 1", "EXEC p"}));
}

TEST_F(Connector, BatchWithoutResultSetFailsAfterRunningOnce) {
    writeIni("login=\n");
    auto c = connector();
    EXPECT_THROW(c.SQLExec("UPDATE T SET a = 1"), EDatabaseError);
    EXPECT_EQ(database().batches, std::vector<std::string>{"UPDATE T SET a = 1"});
}

TEST_F(Connector, ConnectFailureIsADatabaseError) {
    writeIni("login=\n");
    database().connectError = "Server unreachable";
    auto c = connector();
    try {
        c.SQLExec("SELECT 1");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_STREQ(e.what(), "Server unreachable");
    }
}

TEST_F(Connector, CursorAndFieldReads) {
    writeIni("login=\n");
    auto c = connector();
    const auto dt = common::EncodeDateTime({2012, 3, 15, 14, 30});
    database().answers["SELECT *"] =
        db::ResultSet({{"b", "bit"},
                       {"i", "int"},
                       {"big", "bigint"},
                       {"n", "numeric"},
                       {"f", "float"},
                       {"s", "nvarchar"},
                       {"d", "datetime"},
                       {"z", "int"},
                       {"t", "nvarchar"}},
                      {{db::Value::boolean(true), db::Value::integer(-42), db::Value::integer(5'000'000'000),
                        db::Value::decimal("12.50"), db::Value::floating(0.25), db::Value::text(" 17 "),
                        db::Value::dateTime(dt), db::Value::null(), db::Value::text("x")},
                       {db::Value::boolean(false), db::Value::integer(0), db::Value::integer(0),
                        db::Value::decimal("3.000"), db::Value::floating(1e20), db::Value::text(""),
                        db::Value::dateTime(0), db::Value::null(), db::Value::text("y")}});
    c.SQLExec("SELECT *");
    EXPECT_EQ(c.RecordCount(), 2u);
    EXPECT_FALSE(c.Eof());
    EXPECT_EQ(c.FieldAsString("B"), "True");
    EXPECT_EQ(c.FieldAsString("i"), "-42");
    EXPECT_EQ(c.FieldAsString("n"), "12.5");
    EXPECT_EQ(c.FieldAsString("z"), "");
    EXPECT_EQ(c.FieldAsString("d"), "2012-03-15 14:30:00");
    EXPECT_THROW(c.FieldAsStringStrict("z"), EConvertError);
    EXPECT_EQ(c.FieldAsInteger("i"), -42);
    EXPECT_EQ(c.FieldAsInteger("s"), 17);
    EXPECT_EQ(c.FieldAsInteger("b"), 1);
    EXPECT_THROW(c.FieldAsInteger("big"), EConvertError);
    EXPECT_EQ(c.FieldAsLargeInt("big"), 5'000'000'000);
    EXPECT_DOUBLE_EQ(c.FieldAsFloat("n"), 12.5);
    EXPECT_DOUBLE_EQ(c.FieldAsFloat("f"), 0.25);
    EXPECT_DOUBLE_EQ(c.FieldAsDateTime("d"), dt);
    for (const char* read : {"int", "large", "float", "date"}) {
        const std::string r = read;
        EXPECT_THROW(r == "int"     ? (void)c.FieldAsInteger("z")
                     : r == "large" ? (void)c.FieldAsLargeInt("z")
                     : r == "float" ? (void)c.FieldAsFloat("z")
                                    : (void)c.FieldAsDateTime("z"),
                     EConvertError)
            << read;
    }
    EXPECT_THROW(c.FieldAsInteger("t"), EConvertError);
    EXPECT_THROW(c.FieldValue("missing"), EDatabaseError);
    c.Next();
    EXPECT_EQ(c.FieldAsString("b"), "False");
    EXPECT_EQ(c.FieldAsString("n"), "3");
    EXPECT_EQ(c.FieldAsString("f"), "1e+20");
    EXPECT_THROW(c.FieldAsInteger("f"), EConvertError);
    c.Next();
    EXPECT_TRUE(c.Eof());
    EXPECT_THROW(c.FieldValue("b"), EDatabaseError);
    c.Close();
    EXPECT_TRUE(c.Eof());
    EXPECT_EQ(c.RecordCount(), 0u);
}

TEST_F(Connector, ForEachRowReadsEachRowAsItArrivesAndStopsOnAnException) {
    writeIni("login=\n");
    auto c = connector();
    database().answers["SELECT e"] = db::ResultSet({{"id", "int"}, {"name", "nvarchar"}},
                                                   {{db::Value::integer(1), db::Value::text("Novák")},
                                                    {db::Value::integer(2), db::Value::null()},
                                                    {db::Value::integer(3), db::Value::text("Malá")}});
    std::vector<std::string> seen;
    const auto count = c.ForEachRow("SELECT e", [&] {
        EXPECT_FALSE(c.Eof());
        seen.push_back(c.FieldAsString("ID") + ":" + c.FieldAsString("name"));
    });
    EXPECT_EQ(count, 3u);
    EXPECT_EQ(seen, (std::vector<std::string>{"1:Novák", "2:", "3:Malá"}));
    EXPECT_FALSE(c.Active());
    EXPECT_THROW(c.FieldValue("id"), EDatabaseError) << "no row after the batch";

    seen.clear();
    EXPECT_THROW(c.ForEachRow("SELECT e",
                              [&] {
                                  seen.push_back(c.FieldAsString("id"));
                                  if (seen.size() == 2) throw EQueltaError("stop");
                              }),
                 EQueltaError);
    EXPECT_EQ(seen, (std::vector<std::string>{"1", "2"}));
    EXPECT_TRUE(c.Eof());
    EXPECT_THROW(c.ForEachRow("UPDATE T SET a = 1", [] {}), EDatabaseError) << "no result set";
}

TEST_F(Connector, NextResultOpensTheBatchsFollowingResultSets) {
    writeIni("login=\n");
    auto c = connector();
    database().batchAnswers["DECLARE"] = {
        db::ResultSet({{"a", "int"}, {"b", "nvarchar"}}, {{db::Value::integer(1), db::Value::text("first")}}),
        db::ResultSet({{"b", "nvarchar"}}, {}),
        db::ResultSet({{"b", "nvarchar"}, {"a", "int"}},
                      {{db::Value::text("third"), db::Value::integer(3)}})};
    c.SQLExec("DECLARE @x INT SELECT ...");
    EXPECT_EQ(c.FieldAsString("b"), "first");
    ASSERT_TRUE(c.NextResult());
    EXPECT_TRUE(c.Eof());
    ASSERT_TRUE(c.NextResult());
    EXPECT_EQ(c.FieldAsString("b"), "third") << "each result set finds its own columns";
    EXPECT_EQ(c.FieldAsInteger("a"), 3);
    EXPECT_FALSE(c.NextResult());
    EXPECT_FALSE(c.Active());
    EXPECT_EQ(database().batches.size(), 1u) << "the batch ran once";
}

TEST_F(Connector, NumericReadsIgnoreTheLocale) {
    // The window system switches the process to the user's locale; a comma locale must not cut
    // "3.5" to 3.
    struct Locale {
        std::string saved = std::setlocale(LC_NUMERIC, nullptr);
        Locale() {
            for (const char* name : {"cs_CZ.UTF-8", "cs_CZ.utf8", "de_DE.UTF-8", "fr_FR.UTF-8"})
                if (std::setlocale(LC_NUMERIC, name)) break;
        }
        ~Locale() { std::setlocale(LC_NUMERIC, saved.c_str()); }
    } locale;
    writeIni("login=\n");
    auto c = connector();
    struct Case {
        const char* decimal;
        std::int32_t integer; // rounded half to even
        double number;
    };
    const Case cases[] = {{"3.5", 4, 3.5}, {"2.50", 2, 2.5}, {"-7.25", -7, -7.25}, {"12", 12, 12}};
    for (const auto& k : cases) {
        database().answers["SELECT n"] = db::ResultSet({{"n", "numeric"}}, {{db::Value::decimal(k.decimal)}});
        c.SQLExec("SELECT n");
        EXPECT_EQ(c.FieldAsInteger("n"), k.integer) << k.decimal;
        EXPECT_EQ(c.FieldAsLargeInt("n"), k.integer) << k.decimal;
        EXPECT_EQ(c.FieldAsFloat("n"), k.number) << k.decimal;
    }
}

TEST_F(Connector, SetLegislation) {
    writeIni("login=\n");
    struct Case {
        db::Value value;
        bool result;
        std::string legislation;
    };
    const Case cases[] = {
        {db::Value::integer(0), true, "CZ"},
        {db::Value::integer(1), true, "SK"},
        {db::Value::integer(2), false, ""},
        {db::Value::integer(-1), false, ""},
    };
    for (const auto& c : cases) {
        database().legislativa = c.value;
        auto connector = this->connector();
        EXPECT_EQ(connector.SetLegislation(), c.result);
        EXPECT_EQ(connector.Legislation(), c.legislation);
    }
    database().legislativa = db::Value::null();
    auto c = connector();
    EXPECT_THROW(c.SetLegislation(), EConvertError);
    EXPECT_EQ(database().batches.back(), "SELECT TOP 1 Legislativa FROM TabHGlob");
}

TEST_F(Connector, JournalBatchText) {
    EXPECT_EQ(JournalBatch(2, "it's :name at 10:30"), "DECLARE @IDZurnal INT\rEXECUTE dbo.hp_ZapisDoZurnalu "
                                                      "2, -1, N'it''s :name at 10:30' SELECT @IDZurnal");
    writeIni("login=\n");
    auto c = connector();
    c.SetParamCheck(false);
    c.WriteJournal(0, "a ':b'");
    EXPECT_EQ(database().Journal(), (std::vector<std::pair<int, std::string>>{{0, "a ':b'"}}));
}

TEST(ConnectorPaths, IniPathReplacesTheExtension) {
    EXPECT_EQ(IniPathForExecutable("/opt/quelta/bin/quelta"), "/opt/quelta/bin/quelta.INI");
    EXPECT_EQ(IniPathForExecutable("/opt/q/Quelta.exe"), "/opt/q/Quelta.INI");
    ::setenv("QUELTA_INI", "/tmp/other.INI", 1);
    EXPECT_EQ(DefaultIniPath(), "/tmp/other.INI");
    ::unsetenv("QUELTA_INI");
    EXPECT_EQ(DefaultIniPath().filename(), "quelta_core_tests.INI");
}
