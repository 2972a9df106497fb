// The ODBC backend through the driver manager against a scripted driver that plays the parts of a
// SQL Server a file database cannot: several results per batch, PRINT output, errors mid-batch.

#include "value_printer.h"

#include "platform/db/connection.h"

#include "common/datetime.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace platform::db {
namespace {

std::unique_ptr<Connection> openScripted(const std::string& database = "Tarvik") {
    ConnectionDescription d;
    d.driver = SCRIPTED_DRIVER_PATH;
    d.server = "SCRIPTED";
    d.database = database;
    d.login = "sa";
    d.password = "heslo";
    return connect(d);
}

TEST(ScriptedOdbc, ReturnsEveryResultOfABatchInOrder) {
    auto db = openScripted();
    const auto result = db->execute("COUNT\t3\n"
                                    "COLUMNS\tID:int\tJméno:nvarchar\n"
                                    "ROW\t1\tŽofie\n"
                                    "ROW\t2\t\\N\n"
                                    "PRINT\tHotovo\n"
                                    "COUNT\t1\n"
                                    "COLUMNS\tn:bigint\n"
                                    "ROW\t9007199254740993\n"
                                    "COUNT\t0\n"
                                    "COLUMNS\tempty:int\n");
    ASSERT_EQ(result.resultSets.size(), 3u);
    const auto& people = result.resultSets[0];
    EXPECT_EQ(people.columns()[1].name, "Jméno");
    EXPECT_EQ(people.at(0, "jméno"), Value::text("Žofie"));
    EXPECT_TRUE(people.at(1, "JMéNO").isNull());
    EXPECT_EQ(result.resultSets[1].at(0, "n"), Value::integer(9007199254740993LL));
    EXPECT_EQ(result.resultSets[2].rowCount(), 0u);
    EXPECT_EQ(result.rowsAffected, 0);
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Hotovo");
    EXPECT_EQ(result.messages[0].sqlState, "01000");
    EXPECT_EQ(db->serverName(), "SCRIPTED\\INSTANCE");
}

TEST(ScriptedOdbc, CollectsEveryErrorOfTheBatchAndRunsItToTheEnd) {
    auto db = openScripted();
    try {
        db->execute("COUNT\t1\n"
                    "ERROR\t2627\t14\tViolation of PRIMARY KEY constraint 'PK__TabX'.\n"
                    "COUNT\t1\n"
                    "COLUMNS\ta:int\n"
                    "ROW\t1\n"
                    "ROW\tFAIL\n"
                    "ERROR\t50000\t16\tVlastní chyba: 'x'\n"
                    "COLUMNS\tb:int\n");
        FAIL() << "no error";
    } catch (const DbError& e) {
        ASSERT_EQ(e.errors().size(), 3u);
        EXPECT_STREQ(e.what(), "Violation of PRIMARY KEY constraint 'PK__TabX'.");
        EXPECT_EQ(e.number(), 2627);
        EXPECT_EQ(e.severity(), 14) << "the severity the driver reports";
        EXPECT_EQ(e.errors()[0].line, 5) << "the line the driver reports";
        EXPECT_EQ(e.errors()[1].number, 8115) << "an error while fetching rows";
        EXPECT_EQ(e.errors()[2].number, 50000);
        EXPECT_EQ(e.errors()[2].text, "Vlastní chyba: 'x'");
        for (const auto& m : e.errors())
            EXPECT_GE(m.severity, 11) << m.text;
    }
    EXPECT_EQ(db->execute("COLUMNS\tok:int\nROW\t1\n").resultSets.size(), 1u) << "usable after errors";
}

TEST(ScriptedOdbc, AStatementTheDriverCannotCloseIsReplaced) {
    auto db = openScripted();
    EXPECT_THROW(db->execute("STUCK\nERROR\t50000\t16\tZaseknuto\n"), DbError);
    const auto result = db->execute("COLUMNS\tok:int\nROW\t1\n");
    ASSERT_EQ(result.resultSets.size(), 1u);
    EXPECT_EQ(result.resultSets[0].at(0, "ok"), Value::integer(1));
}

TEST(ScriptedOdbc, AHandlerOfStreamedRowsCannotRunABatchOnTheSameConnection) {
    auto db = openScripted();
    struct Nested : RowHandler {
        Connection* db = nullptr;
        void columns(const std::vector<Column>&) override {}
        void row(std::vector<Value>&) override { db->execute("COUNT\t1\n"); }
    } nested;
    nested.db = db.get();
    EXPECT_THROW(db->stream("COLUMNS\ta:int\nROW\t1\nROW\t2\n", nested), std::logic_error);
    EXPECT_EQ(db->execute("COLUMNS\tok:int\nROW\t1\n").resultSets.at(0).rowCount(), 1u) << "usable after";
}

TEST(ScriptedOdbc, ReadsEveryServerType) {
    auto db = openScripted();
    const auto set = db->execute("COLUMNS\tm:money:4\tn:numeric:2\tg:uniqueidentifier\tt:time:7\td:datetime\t"
                                 "b:bit\tf:float\tk:int identity\tv:varbinary\n"
                                 "ROW\t12.5\t-.5\t6f9619ff-8b86-d011-b42d-00c04fc964ff\t06:00:00.0000000\t"
                                 "2024-02-29 23:59:58.997000000\t1\t0.25\t-7\t00FF0000\n"
                                 "ROW\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\t\\N\n")
                         .resultSets.at(0);
    const std::pair<const char*, Value> expected[] = {
        {"money", Value::decimal("12.5000")},
        {"numeric", Value::decimal("-0.50")},
        {"uniqueidentifier", Value::text("6F9619FF-8B86-D011-B42D-00C04FC964FF")},
        {"time", Value::dateTime(0.25)},
        {"datetime", Value::dateTime(common::EncodeDateTime({2024, 2, 29, 23, 59, 58, 997}))},
        {"bit", Value::boolean(true)},
        {"float", Value::floating(0.25)},
        {"int", Value::integer(-7)},
        {"varbinary", Value::bytes({0x00, 0xFF, 0x00, 0x00})},
    };
    ASSERT_EQ(set.columns().size(), std::size(expected));
    for (std::size_t i = 0; i < std::size(expected); ++i) {
        EXPECT_EQ(set.columns()[i].typeName, expected[i].first);
        EXPECT_EQ(set.rows()[0][i], expected[i].second) << expected[i].first;
        EXPECT_TRUE(set.rows()[1][i].isNull()) << expected[i].first;
    }
}

TEST(ScriptedOdbc, LongValuesOfUnknownLengthArriveWhole) {
    std::string text;
    std::string hex;
    for (int i = 0; text.size() < 100'000; ++i)
        text += i % 2 ? "𝄞ř" : "a";
    for (int i = 0; i < 40'000; ++i)
        hex += i % 3 ? "00" : "A5";
    auto db = openScripted();
    const auto set =
        db->execute("COLUMNS\tt:ntext\tb:image\tempty:nvarchar\nROW\t" + text + "\t" + hex + "\t\n")
            .resultSets.at(0);
    EXPECT_TRUE(set.at(0, "t") == Value::text(text)) << ::testing::PrintToString(set.at(0, "t"));
    EXPECT_EQ(set.at(0, "b").asBytes().size(), 40'000u);
    EXPECT_EQ(set.at(0, "b").asBytes()[3], 0xA5);
    EXPECT_EQ(set.at(0, "empty"), Value::text(""));
}

TEST(ScriptedOdbc, LostConnectionIsAConnectionError) {
    auto db = openScripted();
    EXPECT_THROW(db->execute("COUNT\t1\nLOST\nCOUNT\t1\n"), ConnectionError);
}

TEST(ScriptedOdbc, RefusedLoginCarriesTheServersMessage) {
    try {
        openScripted("refuse");
        FAIL() << "connected";
    } catch (const ConnectionError& e) {
        EXPECT_STREQ(e.what(), "Cannot connect to the database 'refuse' on server 'SCRIPTED': "
                               "[Scripted][SQL Server]Login failed for user 'sa'.");
    }
}

} // namespace
} // namespace platform::db
