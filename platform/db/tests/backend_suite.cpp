#include "backend_suite.h"

#include "common/datetime.h"
#include "common/sql_text.h"

#include <functional>
#include <stdexcept>
#include <utility>
#include <vector>

namespace platform::db::testing {

std::string tsqlTextLiteral(std::string_view text) {
    return common::SqlNString(text);
}

std::string tsqlBinaryLiteral(const Bytes& bytes) {
    return common::SqlBinary(bytes);
}

std::string backendName(const ::testing::TestParamInfo<BackendUnderTest>& info) {
    return info.param.name;
}

void BackendSuite::SetUp() {
    db = GetParam().open();
}

BatchResult BackendSuite::run(std::initializer_list<std::string> statements) {
    std::string batch;
    for (const auto& s : statements) {
        if (!batch.empty()) batch += GetParam().statementSeparator;
        batch += s;
    }
    return db->execute(batch);
}

namespace {

common::TDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return common::EncodeDateTime({y, mo, d, h, mi, s, ms});
}

//! A column type, a literal of it and what reading it back gives.
struct KindCase {
    std::string ddl;
    std::string typeName;
    std::string literal;
    Value expected;
};

std::vector<KindCase> kindCases(const BackendUnderTest& b) {
    return {
        {"int", "int", "-2147483648", Value::integer(-2147483648LL)},
        {"bigint", "bigint", "9007199254740993", Value::integer(9007199254740993LL)},
        {"smallint", "smallint", "-32768", Value::integer(-32768)},
        {"tinyint", "tinyint", "255", Value::integer(255)},
        {"bit", "bit", "1", Value::boolean(true)},
        {"float", "float", "0.1", Value::floating(0.1)},
        {"numeric(12,2)", "numeric", "-1234.5",
         b.exactNumerics ? Value::decimal("-1234.50") : Value::floating(-1234.5)},
        {"nvarchar(40)", "nvarchar", b.textLiteral("Žluťoučký kůň"), Value::text("Žluťoučký kůň")},
        {"varchar(10)", "varchar", "'abc'", Value::text("abc")},
        {"datetime", "datetime", "'2024-02-29T23:59:58.997'",
         Value::dateTime(at(2024, 2, 29, 23, 59, 58, 997))},
        {"date", "date", "'1850-06-01'", Value::dateTime(at(1850, 6, 1))},
        {"time", "time", "'06:00:00'", Value::dateTime(0.25)},
        {"varbinary(16)", "varbinary", b.binaryLiteral({0, 1, 0, 255}), Value::bytes({0, 1, 0, 255})},
    };
}

//! A long text whose multi-unit characters fall on every possible chunk offset.
std::string longText(std::size_t atLeastBytes) {
    std::string out;
    for (int i = 0; out.size() < atLeastBytes; ++i) {
        out += "řádek ";
        out += std::to_string(i);
        out += i % 3 == 0 ? " 😀 " : " x ";
    }
    return out;
}

Bytes longBytes(std::size_t size) {
    Bytes out(size);
    for (std::size_t i = 0; i < size; ++i)
        out[i] = static_cast<std::uint8_t>(i % 251);
    return out;
}

} // namespace

TEST_P(BackendSuite, ReadsEveryKindAndItsNull) {
    const auto cases = kindCases(GetParam());
    std::string columns = "id int";
    std::string names = "id";
    std::string values = "1";
    std::string nulls = "2";
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string name = "c" + std::to_string(i);
        columns += ", " + name + " " + cases[i].ddl;
        names += ", " + name;
        values += ", " + cases[i].literal;
        nulls += ", NULL";
    }
    run({"CREATE TABLE kinds (" + columns + ")"});
    run({"INSERT INTO kinds (" + names + ") VALUES (" + values + ")"});
    run({"INSERT INTO kinds (" + names + ") VALUES (" + nulls + ")"});

    const auto result = run({"SELECT " + names + " FROM kinds ORDER BY id"});
    ASSERT_EQ(result.resultSets.size(), 1u);
    const auto& set = result.resultSets.front();
    ASSERT_EQ(set.rowCount(), 2u);
    for (std::size_t i = 0; i < cases.size(); ++i) {
        SCOPED_TRACE(cases[i].ddl);
        EXPECT_EQ(set.columns()[i + 1].typeName, cases[i].typeName);
        EXPECT_EQ(set.rows()[0][i + 1], cases[i].expected);
        EXPECT_TRUE(set.rows()[1][i + 1].isNull());
    }
}

TEST_P(BackendSuite, ReadsNullOfEveryType) {
    const auto& types = GetParam().nullableTypes;
    std::string columns = "id int";
    std::string names = "id";
    for (std::size_t i = 0; i < types.size(); ++i) {
        columns += ", c" + std::to_string(i) + " " + types[i].first + " NULL";
        names += ", c" + std::to_string(i);
    }
    run({"CREATE TABLE nulls (" + columns + ")"});
    run({"INSERT INTO nulls (id) VALUES (1)"});
    const auto set = run({"SELECT " + names + " FROM nulls"}).resultSets.at(0);
    ASSERT_EQ(set.rowCount(), 1u);
    for (std::size_t i = 0; i < types.size(); ++i) {
        SCOPED_TRACE(types[i].first);
        EXPECT_TRUE(set.rows()[0][i + 1].isNull()) << ::testing::PrintToString(set.rows()[0][i + 1]);
        if (!types[i].second.empty()) {
            EXPECT_EQ(set.columns()[i + 1].typeName, types[i].second);
        }
    }
}

TEST_P(BackendSuite, ExactNumbersKeepEveryDigit) {
    if (!GetParam().exactNumerics) GTEST_SKIP() << "NUMERIC read as floating point";
    // NUMERIC(38) with values the embedded engine keeps exactly: integers of 64 bits, fractions of 15
    // significant digits.
    const std::pair<std::string, std::string> cases[] = {
        {"numeric(38,0)", "9223372036854775807"},
        {"numeric(38,0)", "-9223372036854775807"},
        {"numeric(38,10)", "-12345.0123456789"},
        {"decimal(38,2)", "1234567890123.45"},
        {"numeric(5,2)", "0.05"},
        {"money", "12345678901.2345"},
        {"money", "-0.0001"},
    };
    for (const auto& [type, text] : cases) {
        SCOPED_TRACE(type + " " + text);
        const auto set = run({"SELECT CAST('" + text + "' AS " + type + ") AS n"}).resultSets.at(0);
        EXPECT_EQ(set.at(0, "n"), Value::decimal(text));
    }
}

TEST_P(BackendSuite, DateTimeRoundsToItsTicks) {
    if (!GetParam().dateTimeTicks) GTEST_SKIP() << "DATETIME keeps its milliseconds";
    // DATETIME counts 1/300 s: milliseconds end in 0, 3 or 7, rounding up into the next day.
    const std::pair<std::string, common::TDateTime> cases[] = {
        {"2024-01-31T10:00:00.001", at(2024, 1, 31, 10, 0, 0, 0)},
        {"2024-01-31T10:00:00.002", at(2024, 1, 31, 10, 0, 0, 3)},
        {"2024-01-31T10:00:00.005", at(2024, 1, 31, 10, 0, 0, 7)},
        {"2024-01-31T10:00:00.009", at(2024, 1, 31, 10, 0, 0, 10)},
        {"2024-02-28T23:59:59.999", at(2024, 2, 29)},
        {"1753-01-01T00:00:00.000", at(1753, 1, 1)},
        {"9999-12-31T23:59:59.997", at(9999, 12, 31, 23, 59, 59, 997)},
    };
    run({"CREATE TABLE moments (id int, d datetime)"});
    for (std::size_t i = 0; i < std::size(cases); ++i)
        run({"INSERT INTO moments (id, d) VALUES (" + std::to_string(i) + ", '" + cases[i].first + "')"});
    const auto set = run({"SELECT id, d FROM moments ORDER BY id"}).resultSets.at(0);
    ASSERT_EQ(set.rowCount(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(set.at(i, "d"), Value::dateTime(cases[i].second)) << cases[i].first;
}

TEST_P(BackendSuite, TextComesBackExactly) {
    const std::string texts[] = {
        "Příliš žluťoučký kůň úpěl ďábelské ódy",
        "emoji 😀 and clef 𝄞 outside the basic plane",
        "",
        "it's \"quoted\"; {braced} = 100 %",
    };
    run({"CREATE TABLE texts (id int, t nvarchar(200))"});
    for (std::size_t i = 0; i < std::size(texts); ++i)
        run({"INSERT INTO texts (id, t) VALUES (" + std::to_string(i) + ", " +
             GetParam().textLiteral(texts[i]) + ")"});
    const auto set = run({"SELECT id, t FROM texts ORDER BY id"}).resultSets.at(0);
    ASSERT_EQ(set.rowCount(), std::size(texts));
    for (std::size_t i = 0; i < std::size(texts); ++i)
        EXPECT_EQ(set.at(i, "t"), Value::text(texts[i]));
}

TEST_P(BackendSuite, LongValuesArriveWhole) {
    const std::string text = longText(200 * 1024);
    const Bytes bytes = longBytes(150 * 1024);
    run({"CREATE TABLE longs (t " + GetParam().longTextType + ", b " + GetParam().longBinaryType + ")"});
    run({"INSERT INTO longs (t, b) VALUES (" + GetParam().textLiteral(text) + ", " +
         GetParam().binaryLiteral(bytes) + ")"});
    const auto set = run({"SELECT t, b FROM longs"}).resultSets.at(0);
    ASSERT_EQ(set.rowCount(), 1u);
    EXPECT_TRUE(set.at(0, "t") == Value::text(text)) << ::testing::PrintToString(set.at(0, "t"));
    EXPECT_TRUE(set.at(0, "b") == Value::bytes(bytes)) << ::testing::PrintToString(set.at(0, "b"));
}

TEST_P(BackendSuite, FindsColumnsByNameIgnoringCase) {
    const auto set = run({"SELECT 0 AS Legislativa"}).resultSets.at(0);
    EXPECT_EQ(set.columns().at(0).name, "Legislativa");
    EXPECT_EQ(set.at(0, "LEGISLATIVA").asInt(), 0);
    EXPECT_THROW(set.at(0, "Legislation"), std::out_of_range);
}

TEST_P(BackendSuite, CountsRowsAffected) {
    run({"CREATE TABLE counted (a int)"});
    EXPECT_EQ(run({"INSERT INTO counted (a) VALUES (1), (2), (3)"}).rowsAffected, 3);
    EXPECT_EQ(run({"UPDATE counted SET a = a + 10 WHERE a > 1"}).rowsAffected, 2);
    EXPECT_EQ(run({"DELETE FROM counted WHERE a > 100"}).rowsAffected, 0);
    EXPECT_TRUE(run({"DELETE FROM counted WHERE a > 100"}).resultSets.empty());
}

TEST_P(BackendSuite, ServerErrorBecomesDbError) {
    try {
        run({"SELECT * FROM no_such_table"});
        FAIL() << "no error";
    } catch (const DbError& e) {
        EXPECT_EQ(e.number(), GetParam().missingTableNumber);
        EXPECT_GE(e.severity(), 11);
        EXPECT_NE(std::string(e.what()).find(GetParam().missingTableText), std::string::npos) << e.what();
        EXPECT_EQ(e.errors().size(), 1u);
    }
    EXPECT_EQ(run({"SELECT 7 AS a"}).resultSets.at(0).at(0, "a").asInt(), 7)
        << "connection unusable after error";
}

TEST_P(BackendSuite, ReturnsEveryResultSetOfABatch) {
    if (!hasBatches()) GTEST_SKIP() << "one statement per batch";
    run({"CREATE TABLE several (a int)", "INSERT INTO several (a) VALUES (1), (2)"});
    const auto result = run({"SELECT a FROM several ORDER BY a", "UPDATE several SET a = a WHERE a = 2",
                             "SELECT " + GetParam().textLiteral("dvě") + " AS b, NULL AS c"});
    ASSERT_EQ(result.resultSets.size(), 2u);
    EXPECT_EQ(result.resultSets[0].rowCount(), 2u);
    EXPECT_EQ(result.resultSets[1].at(0, "b"), Value::text("dvě"));
    EXPECT_TRUE(result.resultSets[1].at(0, "c").isNull());
    EXPECT_EQ(result.rowsAffected, 1);
}

TEST_P(BackendSuite, GoesOnAfterAFailingStatement) {
    if (!hasBatches()) GTEST_SKIP() << "one statement per batch";
    run({"CREATE TABLE keyed (id int PRIMARY KEY)"});
    try {
        run({"INSERT INTO keyed (id) VALUES (1)", "INSERT INTO keyed (id) VALUES (1)",
             "INSERT INTO keyed (id) VALUES (2)", "SELECT * FROM no_such_table"});
        FAIL() << "no error";
    } catch (const DbError& e) {
        ASSERT_EQ(e.errors().size(), 2u);
        EXPECT_EQ(e.errors()[1].number, GetParam().missingTableNumber);
    }
    EXPECT_EQ(run({"SELECT COUNT(*) AS n FROM keyed"}).resultSets.at(0).at(0, "n").asInt(), 2);
}

namespace {

//! Records what a streamed batch hands on; throws at the row numbered `failAt` (from 1) when given.
struct RecordingRows : RowHandler {
    std::vector<std::vector<std::string>> columnNames;
    std::vector<std::int64_t> values;
    std::size_t failAt = 0;
    void columns(const std::vector<Column>& columns) override {
        columnNames.emplace_back();
        for (const auto& c : columns)
            columnNames.back().push_back(c.name);
    }
    void row(std::vector<Value>& row) override {
        values.push_back(row.at(0).asInt());
        if (values.size() == failAt) throw std::runtime_error("handler stops");
    }
};

} // namespace

TEST_P(BackendSuite, EachBatchStartsAfreshHoweverTheLastOneEnded) {
    run({"CREATE TABLE fresh (a int, b nvarchar(20))"});
    run({"INSERT INTO fresh (a, b) VALUES (1, " + GetParam().textLiteral("jedna") + ")"});
    std::vector<std::pair<const char*, std::function<void()>>> endings = {
        {"a change of no row", [&] { run({"UPDATE fresh SET a = 2 WHERE a = 99"}); }},
        {"an error", [&] { EXPECT_THROW(run({"SELECT * FROM no_such_table"}), DbError); }},
        {"a result read to its end", [&] { run({"SELECT a, b FROM fresh"}); }},
        {"a streamed result", [&] {
             RecordingRows rows;
             db->stream("SELECT a, b FROM fresh", rows);
         }}};
    if (hasBatches()) {
        endings.emplace_back("several results", [&] {
            run({"SELECT a FROM fresh", "SELECT b, a FROM fresh"});
        });
        endings.emplace_back("an error after a result", [&] {
            EXPECT_THROW(run({"SELECT a FROM fresh", "SELECT * FROM no_such_table", "SELECT b FROM fresh"}),
                         DbError);
        });
    }
    if (GetParam().print) endings.emplace_back("a message", [&] { run({GetParam().print("Hotovo")}); });
    for (const auto& [name, ending] : endings) {
        SCOPED_TRACE(name);
        ending();
        const auto result = run({"SELECT b, a, 3 AS c FROM fresh"});
        ASSERT_EQ(result.resultSets.size(), 1u);
        const auto& set = result.resultSets[0];
        ASSERT_EQ(set.columns().size(), 3u);
        ASSERT_EQ(set.rowCount(), 1u);
        EXPECT_EQ(set.at(0, "b"), Value::text("jedna"));
        EXPECT_EQ(set.at(0, "a"), Value::integer(1));
        EXPECT_EQ(set.at(0, "c"), Value::integer(3));
        EXPECT_TRUE(result.messages.empty());
    }
}

TEST_P(BackendSuite, CollectsInformationalMessages) {
    if (!GetParam().print) GTEST_SKIP() << "no informational messages";
    const auto result = run({GetParam().print("Hotovo: 3 řádky"), "SELECT 1 AS a"});
    ASSERT_EQ(result.messages.size(), 1u);
    EXPECT_EQ(result.messages[0].text, "Hotovo: 3 řádky");
    EXPECT_LE(result.messages[0].severity, 10);
    EXPECT_EQ(result.resultSets.size(), 1u);
}

TEST_P(BackendSuite, StreamsRowsToAHandlerAndStopsWhenItThrows) {
    run({"CREATE TABLE streamed (a int)"});
    for (int from = 0; from < 2000; from += 500) {
        std::string insert = "INSERT INTO streamed (a) VALUES (" + std::to_string(from + 1) + ")";
        for (int i = from + 2; i <= from + 500; ++i)
            insert += ", (" + std::to_string(i) + ")";
        run({insert});
    }
    RecordingRows all;
    const auto result = db->stream("SELECT a FROM streamed ORDER BY a", all);
    ASSERT_EQ(result.resultSets.size(), 1u);
    EXPECT_EQ(result.resultSets[0].rowCount(), 0u) << "streamed rows are not kept";
    EXPECT_EQ(result.resultSets[0].columns().at(0).name, "a");
    EXPECT_EQ(all.columnNames, (std::vector<std::vector<std::string>>{{"a"}}));
    ASSERT_EQ(all.values.size(), 2000u);
    EXPECT_EQ(all.values.front(), 1);
    EXPECT_EQ(all.values.back(), 2000);

    // The handler's exception ends the batch, reaches the caller, and the connection goes on.
    RecordingRows stopping;
    stopping.failAt = 3;
    const std::string after = hasBatches() ? GetParam().statementSeparator + "SELECT 7 AS b" : "";
    EXPECT_THROW(db->stream("SELECT a FROM streamed ORDER BY a" + after, stopping), std::runtime_error);
    EXPECT_EQ(stopping.values, (std::vector<std::int64_t>{1, 2, 3}));
    EXPECT_EQ(stopping.columnNames.size(), 1u) << "the second result set is not handed on";
    EXPECT_EQ(run({"SELECT COUNT(*) AS n FROM streamed"}).resultSets.at(0).at(0, "n").asInt(), 2000);
}

} // namespace platform::db::testing
