#include "standins/tarvik/buffered_query.h"

#include <gtest/gtest.h>

using platform::db::Column;
using platform::db::ResultSet;
using platform::db::Value;
using standins::tarvik::BufferedQuery;
using standins::tarvik::sameHostValue;

namespace {

ResultSet banks(int rows) {
    std::vector<std::vector<Value>> data;
    const char* codes[] = {"0100", "0300", "0800"};
    for (int i = 0; i < rows; ++i)
        data.push_back({Value::integer(i + 1), Value::text(codes[i])});
    return ResultSet({{"ID", "int"}, {"KodUstavu", "nvarchar"}}, std::move(data));
}

} // namespace

TEST(BufferedQuery, EmptyResultReadsAsNullWithoutRaising) {
    BufferedQuery q(banks(0));
    EXPECT_TRUE(q.Eof());
    EXPECT_TRUE(q.Bof());
    EXPECT_EQ(q.RecordCount(), 0);
    EXPECT_TRUE(q.FieldValue(0).isNull());
    q.Next();
    q.Prior();
    EXPECT_TRUE(q.FieldValue(1).isNull());
    EXPECT_FALSE(q.LocateValue("ID", Value::integer(1)));
    EXPECT_TRUE(q.FieldValue(5).isNull());
    EXPECT_TRUE(BufferedQuery().FieldValue(0).isNull()) << "a batch without any result set";
    EXPECT_THROW(BufferedQuery(banks(1)).FieldValue(2), plugin::TarvikError);
}

TEST(BufferedQuery, WalksLikeTheHostsDataSets) {
    BufferedQuery q(banks(3));
    // A loop "while not Eof: read, Next" sees every row once.
    std::vector<long long> seen;
    EXPECT_TRUE(q.Bof());
    while (!q.Eof()) {
        seen.push_back(q.FieldValue(0).asInt());
        q.Next();
    }
    EXPECT_EQ(seen, (std::vector<long long>{1, 2, 3}));
    // Past the end the cursor stays on the last row.
    EXPECT_EQ(q.FieldValue(0), Value::integer(3));
    q.Prior();
    EXPECT_FALSE(q.Eof());
    EXPECT_FALSE(q.Bof());
    EXPECT_EQ(q.FieldValue(0), Value::integer(2));
    q.Prior();
    EXPECT_FALSE(q.Bof()) << "reaching the first row is not yet the beginning";
    q.Prior();
    EXPECT_TRUE(q.Bof());
    EXPECT_EQ(q.FieldValue(1), Value::text("0100"));
}

TEST(BufferedQuery, LocatesByColumnNameAndValue) {
    BufferedQuery q(banks(3));
    EXPECT_TRUE(q.LocateValue("kodustavu", Value::text("0800")));
    EXPECT_EQ(q.FieldValue(0), Value::integer(3));
    EXPECT_TRUE(q.LocateValue("ID", Value::text("2")));
    EXPECT_EQ(q.FieldValue(1), Value::text("0300"));
    EXPECT_FALSE(q.LocateValue("ID", Value::integer(9)));
    EXPECT_EQ(q.FieldValue(0), Value::integer(2)) << "a failed locate keeps the cursor";
    EXPECT_THROW(q.LocateValue("Nazev", Value::text("x")), plugin::TarvikError);
}

TEST(BufferedQuery, RefreshKeepsTheRowNumberWhenItStillExists) {
    BufferedQuery q(banks(3));
    q.moveTo(2);
    q.reset(banks(3));
    EXPECT_EQ(q.position(), 2);
    q.reset(banks(1));
    EXPECT_EQ(q.position(), 0);
    q.reset(banks(0));
    EXPECT_EQ(q.position(), -1);
    EXPECT_TRUE(q.Eof());
}

struct SameCase {
    Value a;
    Value b;
    bool same;
};

TEST(SameHostValue, ComparesAsTheHostLocates) {
    const SameCase cases[] = {
        {Value::null(), Value::null(), true},
        {Value::null(), Value::text(""), false},
        {Value::integer(12), Value::decimal("12.0"), true},
        {Value::integer(12), Value::text("12"), true},
        {Value::integer(12), Value::text("12a"), false},
        {Value::text("CZK"), Value::text("czk"), true},
        {Value::text("CZK"), Value::text("CZ"), false},
        {Value::boolean(true), Value::integer(1), true},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sameHostValue(c.a, c.b), c.same);
        EXPECT_EQ(sameHostValue(c.b, c.a), c.same);
    }
}
