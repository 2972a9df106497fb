#include "platform/db/connection.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace platform::db {
namespace {

//! One typed read and the kind it accepts.
struct Read {
    const char* name;
    ValueKind accepts;
    std::function<void(const Value&)> read;
};

const Read kReads[] = {
    {"asBool", ValueKind::Bool, [](const Value& v) { (void)v.asBool(); }},
    {"asInt", ValueKind::Int, [](const Value& v) { (void)v.asInt(); }},
    {"asFloat", ValueKind::Float, [](const Value& v) { (void)v.asFloat(); }},
    {"asDecimal", ValueKind::Decimal, [](const Value& v) { (void)v.asDecimal(); }},
    {"asText", ValueKind::Text, [](const Value& v) { (void)v.asText(); }},
    {"asDateTime", ValueKind::DateTime, [](const Value& v) { (void)v.asDateTime(); }},
    {"asBytes", ValueKind::Bytes, [](const Value& v) { (void)v.asBytes(); }},
};

TEST(Value, TypedReadsAcceptOnlyTheirOwnKind) {
    const Value values[] = {Value::null(),      Value::boolean(false), Value::integer(0),
                            Value::floating(0), Value::decimal("0"),   Value::text(""),
                            Value::dateTime(0), Value::bytes({})};
    for (const auto& value : values) {
        for (const auto& r : kReads) {
            SCOPED_TRACE(std::string(r.name) + " of a " + kindName(value.kind()) + " value");
            if (value.kind() == r.accepts)
                EXPECT_NO_THROW(r.read(value));
            else
                EXPECT_THROW(r.read(value), ConversionError);
        }
    }
}

TEST(Value, ConversionErrorNamesBothKinds) {
    try {
        (void)Value::null().asInt();
        FAIL();
    } catch (const ConversionError& e) {
        EXPECT_STREQ(e.what(), "Cannot read a NULL value as integer");
    }
}

TEST(Value, NullDiffersFromEmptyAndZero) {
    EXPECT_NE(Value::null(), Value::text(""));
    EXPECT_NE(Value::null(), Value::integer(0));
    EXPECT_NE(Value::integer(1), Value::boolean(true));
    EXPECT_EQ(Value::decimal("1.50"), Value::decimal("1.50"));
}

TEST(Value, TextIsTheSameForEveryReader) {
    const std::pair<Value, const char*> cases[] = {
        {Value::null(), ""},
        {Value::boolean(true), "True"},
        {Value::integer(-42), "-42"},
        {Value::floating(1.5), "1.5"},
        {Value::floating(0.1 + 0.2), "0.3"},
        {Value::floating(1e20), "1e+20"},
        {Value::decimal("12.50"), "12.5"},
        {Value::decimal("-0.000"), "0"},
        {Value::text("Novák"), "Novák"},
        {Value::dateTime(common::EncodeDateTime({2024, 2, 29})), "2024-02-29"},
        {Value::dateTime(common::EncodeDateTime({2024, 2, 29, 13, 5, 9})), "2024-02-29 13:05:09"},
        {Value::bytes({'a', 'b'}), "ab"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(toText(value), text) << kindName(value.kind());
}

ResultSet sample() {
    return ResultSet({{"ID", "int"}, {"Jmeno", "nvarchar"}, {"jmeno", "nvarchar"}},
                     {{Value::integer(7), Value::text("first"), Value::text("second")}});
}

TEST(ResultSet, LooksUpColumnsIgnoringCaseFirstMatchWins) {
    const auto set = sample();
    EXPECT_EQ(set.columnIndex("id"), 0u);
    EXPECT_EQ(set.columnIndex("JMENO"), 1u);
    EXPECT_EQ(set.at(0, "jMeNo").asText(), "first");
    EXPECT_EQ(set.columnIndex("Jmén"), std::nullopt);
}

TEST(ResultSet, MissingColumnIsNamedInTheError) {
    const auto set = sample();
    try {
        (void)set.at(0, "Prijmeni");
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "Field 'Prijmeni' not found");
    }
    EXPECT_THROW((void)set.at(1, "ID"), std::out_of_range);
}

TEST(DbError, KeepsEveryErrorInOrder) {
    const DbError e({{2627, 14, 1, 3, "first"}, {208, 16, 1, 4, "second"}});
    EXPECT_STREQ(e.what(), "first");
    EXPECT_EQ(e.number(), 2627);
    EXPECT_EQ(e.severity(), 14);
    ASSERT_EQ(e.errors().size(), 2u);
    EXPECT_EQ(e.errors()[1].text, "second");
    EXPECT_THROW(DbError(std::vector<ServerMessage>{}), std::invalid_argument);
}

//! A description and the connection string it gives.
struct ConnectionStringCase {
    const char* label;
    ConnectionDescription description;
    const char* expected;
};

ConnectionDescription described(std::string driver, std::string server, std::string database,
                                std::string login, std::string password) {
    ConnectionDescription d;
    d.driver = std::move(driver);
    d.server = std::move(server);
    d.database = std::move(database);
    d.login = std::move(login);
    d.password = std::move(password);
    return d;
}

TEST(ConnectionDescription, BuildsOdbcConnectionStrings) {
    const ConnectionStringCase cases[] = {
        {"sql login", described("FreeTDS", "srv\\INST", "Tarvik", "sa", "secret"),
         "DRIVER=FreeTDS;SERVER=srv\\INST;DATABASE=Tarvik;UID=sa;PWD=secret;"},
        {"integrated", described("FreeTDS", "srv", "Tarvik", "", "ignored"),
         "DRIVER=FreeTDS;SERVER=srv;DATABASE=Tarvik;Trusted_Connection=Yes;"},
        {"braces", described("ODBC Driver 18 for SQL Server", "srv", "db;x", "a=b", "p;w}d{"),
         "DRIVER=ODBC Driver 18 for SQL Server;SERVER=srv;DATABASE={db;x};UID={a=b};PWD={p;w}}d{};"},
        {"driver already braced", described("{FreeTDS}", "srv", "db", "sa", " lead"),
         "DRIVER=FreeTDS;SERVER=srv;DATABASE=db;UID=sa;PWD={ lead};"},
        {"empty password", described("FreeTDS", "srv", "db", "sa", ""),
         "DRIVER=FreeTDS;SERVER=srv;DATABASE=db;UID=sa;PWD=;"},
        {"FreeTDS host and port", described("FreeTDS", "127.0.0.1, 1433", "db", "sa", "p"),
         "DRIVER=FreeTDS;SERVER=127.0.0.1;Port=1433;DATABASE=db;UID=sa;PWD=p;"},
        {"FreeTDS by library",
         described("/usr/lib/x86_64-linux-gnu/odbc/libtdsodbc.so", "srv\\INST,1500", "db", "sa", "p"),
         "DRIVER=/usr/lib/x86_64-linux-gnu/odbc/"
         "libtdsodbc.so;SERVER=srv\\INST;Port=1500;DATABASE=db;UID=sa;PWD=p;"},
        {"other drivers take host,port themselves",
         described("ODBC Driver 18 for SQL Server", "srv,1433", "db", "sa", "p"),
         "DRIVER=ODBC Driver 18 for SQL Server;SERVER=srv,1433;DATABASE=db;UID=sa;PWD=p;"},
        {"a comma without a port", described("FreeTDS", "a,b", "db", "sa", "p"),
         "DRIVER=FreeTDS;SERVER=a,b;DATABASE=db;UID=sa;PWD=p;"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.description.odbcConnectionString(), c.expected) << c.label;
}

TEST(ConnectionDescription, NamesADataSourceInsteadOfDriverAndServer) {
    auto d = described("FreeTDS", "Tarvik-DSN", "db;1", "sa", "p");
    d.extra = "Encrypt=yes;";
    EXPECT_EQ(d.odbcDataSourceString(), "DSN=Tarvik-DSN;DATABASE={db;1};UID=sa;PWD=p;Encrypt=yes;");
    EXPECT_EQ(described("FreeTDS", "Tarvik-DSN", "db", "", "").odbcDataSourceString(),
              "DSN=Tarvik-DSN;DATABASE=db;Trusted_Connection=Yes;");
}

TEST(ConnectionDescription, AppendsExtraKeywords) {
    auto d = described("FreeTDS", "srv", "db", "", "");
    d.extra = "Encrypt=yes;";
    EXPECT_EQ(d.odbcConnectionString(),
              "DRIVER=FreeTDS;SERVER=srv;DATABASE=db;Trusted_Connection=Yes;Encrypt=yes;");
}

TEST(Backends, UnknownBackendIsAClearConnectionError) {
    ConnectionDescription d;
    d.backend = "nonesuch";
    try {
        connect(d);
        FAIL();
    } catch (const ConnectionError& e) {
        EXPECT_STREQ(e.what(), "No database backend named 'nonesuch' is available");
    }
}

} // namespace
} // namespace platform::db
