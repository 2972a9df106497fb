//! Hostile and generated batches at the engine's limits: nesting answered by error 191 with the session
//! still usable, and the long flat lists generated SQL holds still answered.

#include "tsql/engine.h"

#include <gtest/gtest.h>

#include <string>

namespace tsql {
namespace {

std::string repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

//! `n` copies of `term` separated by `separator`.
std::string list(const std::string& term, const std::string& separator, int n) {
    std::string out = term;
    for (int i = 1; i < n; ++i)
        out += separator + term;
    return out;
}

//! The numbers of a batch's errors, in order.
std::vector<int> errorsOf(const BatchOutput& out) {
    std::vector<int> numbers;
    for (const auto& e : out.events)
        if (e.kind == BatchEvent::Kind::Message && e.message.isError()) numbers.push_back(e.message.number);
    return numbers;
}

//! The only value of the batch's only result set.
Value scalar(const BatchOutput& out) {
    EXPECT_FALSE(out.hasErrors());
    for (const auto& e : out.events)
        if (e.kind == BatchEvent::Kind::Rows) return e.rows.rows.at(0).at(0);
    ADD_FAILURE() << "no result set";
    return Value();
}

struct Shape {
    const char* name;
    std::string batch;
};

class TooDeepTest : public testing::TestWithParam<Shape> {};

TEST_P(TooDeepTest, AnswersNestedTooDeeplyAndGoesOn) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    ASSERT_FALSE(s->execute("CREATE TABLE T (a INT)").hasErrors());
    BatchOutput out = s->execute(GetParam().batch);
    ASSERT_EQ(errorsOf(out), std::vector<int>{191});
    const Message& m = out.events.back().message;
    EXPECT_EQ(m.severity, 15);
    EXPECT_EQ(m.text,
              "Some part of your SQL statement is nested too deeply. Rewrite the query or break it up "
              "into smaller queries.");
    EXPECT_EQ(scalar(s->execute("SELECT COUNT(*) + 1 FROM T")).asInt(), 1);
}

const std::string kVar = "DECLARE @a INT = 1 ";

INSTANTIATE_TEST_SUITE_P(
    Shapes, TooDeepTest,
    testing::Values(Shape{"Parentheses", "SELECT " + repeat("(", 4600) + "1" + repeat(")", 4600)},
                    Shape{"UnclosedParentheses", "SELECT " + repeat("(", 100000)},
                    Shape{"Case",
                          "SELECT " + repeat("CASE WHEN 1 = 1 THEN ", 4300) + "1" + repeat(" END", 4300)},
                    Shape{"FunctionCalls", "SELECT " + repeat("ABS(", 4300) + "1" + repeat(")", 4300)},
                    Shape{"Subqueries", "SELECT " + repeat("(SELECT ", 2600) + "1" + repeat(")", 2600)},
                    Shape{"DerivedTables",
                          "SELECT * FROM " + repeat("(SELECT * FROM ", 2600) + "T" + repeat(") x", 2600)},
                    Shape{"JoinParentheses", "SELECT * FROM " + repeat("(", 5000) + "T" + repeat(")", 5000)},
                    Shape{"Not", "SELECT 1 WHERE " + repeat("NOT ", 5000) + "1 = 1"},
                    Shape{"Signs", "SELECT " + repeat("- ", 5000) + "1"},
                    Shape{"Blocks", repeat("BEGIN ", 24000) + "PRINT 1 " + repeat("END ", 24000)},
                    Shape{"NestedIf", repeat("IF 1 = 1 ", 5000) + "PRINT 1"},
                    Shape{"ConstantSum", "SELECT " + list("1", "+", 3900)},
                    Shape{"VariableSum", kVar + "SELECT " + list("@a", " + ", 3900)},
                    Shape{"BitwiseChain", kVar + "SELECT " + list("@a", " | ", 3900)},
                    Shape{"AndChain", kVar + "SELECT 1 WHERE " + list("@a = 1", " AND ", 5300)},
                    Shape{"OrChain", kVar + "SELECT 1 WHERE " + list("@a = 1", " OR ", 5300)},
                    Shape{"JoinChain", "SELECT * FROM T t0" + repeat(" JOIN T x ON 1 = 1", 3000)},
                    // Shallow enough for the parser, too deep for SQLite's own parser: refused all the same.
                    Shape{"SqliteFunctionCalls", "SELECT " + repeat("ABS(", 60) + "1" + repeat(")", 60)},
                    Shape{"SqliteSubqueries", "SELECT " + repeat("(SELECT ", 60) + "1" + repeat(")", 60)}),
    [](const testing::TestParamInfo<Shape>& info) { return std::string(info.param.name); });

// Generated SQL: ID lists pasted into IN (...), long concatenations and sums, search conditions of
// hundreds of terms.
TEST(LimitsTest, LongFlatListsStillWork) {
    auto db = Database::open({});
    auto s = db->connect("sa");
    ASSERT_FALSE(s->execute("CREATE TABLE T (ID INT, Kod NVARCHAR(10))").hasErrors());
    ASSERT_FALSE(
        s->execute("INSERT T VALUES (1, N'a') INSERT T VALUES (500, N'b') INSERT T VALUES (9999, N'c')")
            .hasErrors());
    std::string ids;
    for (int i = 1; i <= 5000; ++i)
        ids += (i > 1 ? "," : "") + std::to_string(i);
    EXPECT_EQ(scalar(s->execute("SELECT COUNT(*) FROM T WHERE ID IN (" + ids + ")")).asInt(), 2);
    EXPECT_EQ(scalar(s->execute("SELECT COUNT(*) FROM T WHERE Kod IN (" + list("N'x'", ",", 3000) + ",N'c')"))
                  .asInt(),
              1);

    EXPECT_EQ(scalar(s->execute("SELECT " + list("ID", " + ", 900) + " FROM T WHERE ID = 1")).asInt(), 900);
    EXPECT_EQ(scalar(s->execute(kVar + "SELECT " + list("@a * 2 - 1", " + ", 300))).asInt(), 300);
    EXPECT_EQ(scalar(s->execute("SELECT " + list("Kod", " + ", 500) + " FROM T WHERE ID = 500")).asString(),
              repeat("b", 500));
    EXPECT_EQ(scalar(s->execute(kVar + "SELECT N'<' + " + list("Kod + CAST(@a AS NVARCHAR(5))", " + ", 200) +
                                " FROM T WHERE ID = 1"))
                  .asString(),
              "<" + repeat("a1", 200));
    EXPECT_EQ(scalar(s->execute("SELECT COUNT(*) FROM T WHERE " + list("ID > 0", " AND ", 900))).asInt(), 3);
    std::string ors;
    for (int i = 2; i < 900; ++i)
        ors += "ID = " + std::to_string(i) + " OR ";
    EXPECT_EQ(scalar(s->execute("SELECT COUNT(*) FROM T WHERE " + ors + "ID = 9999")).asInt(), 2);
    // Constants of a chain are folded, the others applied from the left as SQL Server does.
    EXPECT_EQ(scalar(s->execute(kVar + "SELECT 5 ^ 3 ^ @a")).asInt(), 7);
    EXPECT_EQ(scalar(s->execute(kVar + "SELECT @a + 6 | 8 & 12")).asInt(), 12);
    EXPECT_EQ(scalar(s->execute(kVar + "SELECT 'x' + 'y' + CAST(@a AS VARCHAR(3)) + 'z'")).asString(),
              "xy1z");
}

} // namespace
} // namespace tsql
