#include "support.h"

#include "tsql/functions.h"

#include <gtest/gtest.h>

using namespace tsql;
using namespace tsql::test;

namespace {

struct Call {
    const char* name;
    std::vector<Value> args;
    const char* expected;
};

std::string describe(const Call& c) {
    std::string s = std::string(c.name) + "(";
    for (std::size_t i = 0; i < c.args.size(); ++i)
        s += (i ? ", " : "") + formatForShell(c.args[i]);
    return s + ")";
}

void check(const std::vector<Call>& calls) {
    for (const Call& c : calls)
        EXPECT_EQ(run([&] { return callFunction(c.name, c.args); }), c.expected) << describe(c);
}

} // namespace

TEST(Functions, NullHandlingTypes) {
    // The binder translates ISNULL, COALESCE and NULLIF itself (lazily); the table gives their types.
    EXPECT_THROW(callFunction("ISNULL", std::vector{I(1), I(2)}), std::logic_error);
    EXPECT_EQ(functionResultType("nullif", std::vector{Type::null(), T("int")}).name(), "int");
    EXPECT_EQ(functionResultType("ISNULL", std::vector{T("nvarchar(3)"), T("nvarchar(10)")}).name(),
              "nvarchar(3)");
    EXPECT_EQ(functionResultType("coalesce", std::vector{Type::null(), T("int"), T("numeric(5,2)")}).name(),
              "numeric(12,2)");
}

TEST(Functions, Strings) {
    check({
        {"LEN", {U("abc  ")}, "3"},
        {"LEN", {U("  ")}, "0"},
        {"LEN", {U("Žluť")}, "4"},
        {"LEN", {I(12345)}, "5"},
        {"LEN", {Null(T("varchar(3)"))}, "NULL"},
        {"DATALENGTH", {U("ab ")}, "6"},
        {"DATALENGTH", {S("ab ")}, "3"},
        {"DATALENGTH", {I(1)}, "4"},
        {"DATALENGTH", {D("2024-01-01")}, "8"},
        {"DATALENGTH", {Value::varBinary({1, 2})}, "2"},
        {"SUBSTRING", {U("abcdef"), I(2), I(3)}, "bcd"},
        {"SUBSTRING", {U("abcdef"), I(0), I(2)}, "a"},
        {"SUBSTRING", {U("abcdef"), I(5), I(10)}, "ef"},
        {"SUBSTRING", {U("abcdef"), I(10), I(2)}, ""},
        {"SUBSTRING", {U("Příliš"), I(2), I(3)}, "říl"},
        {"SUBSTRING", {U("abc"), I(1), I(-1)}, "Msg 536"},
        {"SUBSTRING", {Null(T("nvarchar(3)")), I(1), I(1)}, "NULL"},
        {"SUBSTRING", {Value::varBinary({1, 2, 3}), I(2), I(1)}, "0x02"},
        {"LEFT", {U("abc"), I(2)}, "ab"},
        {"LEFT", {U("abc"), I(5)}, "abc"},
        {"LEFT", {U("abc"), I(-1)}, "Msg 536"},
        {"RIGHT", {U("abc"), I(2)}, "bc"},
        {"LTRIM", {U("  a b  ")}, "a b  "},
        {"RTRIM", {U("  a b  ")}, "  a b"},
        {"UPPER", {U("čaj")}, "ČAJ"},
        {"LOWER", {S("ABC")}, "abc"},
        {"REPLACE", {U("Ahoj AHOJ ahój"), U("ahoj"), U("x")}, "x x ahój"},
        {"REPLACE", {U("abc"), U(""), U("x")}, "abc"},
        {"REPLACE", {U("abc"), Null(T("nvarchar(1)")), U("x")}, "NULL"},
        {"CHARINDEX", {U("B"), U("abcb")}, "2"},
        {"CHARINDEX", {U("b"), U("abcb"), I(3)}, "4"},
        {"CHARINDEX", {U("x"), U("abc")}, "0"},
        {"CHARINDEX", {U("á"), U("abc")}, "0"},
        {"REPLICATE", {S("ab"), I(3)}, "ababab"},
        {"SPACE", {I(3)}, "   "},
        {"STR", {F(123.456)}, "       123"},
        {"STR", {F(123.456), I(8), I(2)}, "  123.46"},
        {"STR", {F(2.5), I(3)}, "  3"},
        {"STR", {F(123456), I(3)}, "***"},
        {"STR", {F(12.345), I(4), I(2)}, "12.3"},
    });
}

TEST(Functions, CharactersAndPatterns) {
    check({
        {"ASCII", {S("Abc")}, "65"},
        {"ASCII", {U("č")}, "63"},
        {"ASCII", {S("")}, "NULL"},
        {"CHAR", {I(65)}, "A"},
        {"CHAR", {I(256)}, "NULL"},
        {"CHAR", {I(-1)}, "NULL"},
        {"NCHAR", {I(269)}, "č"},
        {"NCHAR", {I(0xD800)}, "NULL"},
        {"UNICODE", {U("čaj")}, "269"},
        {"UNICODE", {U("😀")}, "55357"},
        {"UNICODE", {Null(T("nvarchar(1)"))}, "NULL"},
        {"PATINDEX", {S("%ter%"), S("interesting")}, "3"},
        {"PATINDEX", {S("ter%"), S("interesting")}, "0"},
        {"PATINDEX", {S("in%"), S("interesting")}, "1"},
        {"PATINDEX", {S("%[0-9]%"), U("Žádost 42")}, "8"},
        {"PATINDEX", {S("%ŘÍ%"), U("příliš")}, "2"},
        {"PATINDEX", {S("%x"), S("abc")}, "0"},
        {"REVERSE", {U("Žluť")}, "ťulŽ"},
        {"REVERSE", {S("")}, ""},
        {"STUFF", {S("abcdef"), I(2), I(3), S("XY")}, "aXYef"},
        {"STUFF", {S("abc"), I(3), I(5), S("Z")}, "abZ"},
        {"STUFF", {S("abc"), I(4), I(0), S("Z")}, "NULL"},
        {"STUFF", {S("abc"), I(0), I(1), S("Z")}, "NULL"},
        {"STUFF", {S("abc"), I(1), I(-1), S("Z")}, "NULL"},
        {"STUFF", {S("abc"), I(2), I(1), Null(T("varchar(1)"))}, "ac"},
        {"SOUNDEX", {S("Robert")}, "R163"},
        {"SOUNDEX", {S("Rupert")}, "R163"},
        {"SOUNDEX", {S("Tymczak")}, "T522"},
        {"SOUNDEX", {S("Lee")}, "L000"},
        {"DIFFERENCE", {S("Green"), S("Greene")}, "4"},
        {"DIFFERENCE", {S("Robert"), S("Lee")}, "0"},
    });
    EXPECT_EQ(functionResultType("STUFF", std::vector{T("varchar(10)"), T("int"), T("int"), T("nvarchar(2)")})
                  .name(),
              "nvarchar(4000)");
    EXPECT_EQ(functionResultType("CHAR", std::vector{T("int")}).name(), "char(1)");
}

TEST(Functions, Mathematics) {
    check({
        {"PI", {}, "3.141592653589793"},
        {"SQUARE", {I(3)}, "9"},
        {"EXP", {I(0)}, "1"},
        {"EXP", {I(1000)}, "Msg 8115"},
        {"LOG", {F(1)}, "0"},
        {"LOG", {I(0)}, "Msg 3623"},
        {"LOG10", {I(1000)}, "3"},
        {"SIN", {I(0)}, "0"},
        {"COS", {I(0)}, "1"},
        {"TAN", {I(0)}, "0"},
        {"COT", {I(0)}, "Msg 3623"},
        {"ASIN", {I(1)}, "1.5707963267948966"},
        {"ASIN", {I(2)}, "Msg 3623"},
        {"ACOS", {I(1)}, "0"},
        {"ATAN", {I(0)}, "0"},
        {"ATN2", {I(1), I(1)}, "0.7853981633974483"},
        {"DEGREES", {I(3)}, "171"},
        {"DEGREES", {F(3.141592653589793)}, "180"},
        {"RADIANS", {I(180)}, "3"},
        {"SQRT", {I(-1)}, "Msg 3623"},
        {"SIN", {Null(T("float"))}, "NULL"},
    });
    const Value seeded = callFunction("RAND", std::vector{I(7)});
    EXPECT_EQ(callFunction("RAND", std::vector{I(7)}), seeded);
    EXPECT_NE(callFunction("RAND", {}), seeded);
    const double r = callFunction("RAND", {}).asDouble();
    EXPECT_TRUE(r >= 0 && r < 1);
    EXPECT_TRUE(findFunction("rand")->volatileResult);
}

TEST(Functions, Numbers) {
    check({
        {"ROUND", {N("123.456"), I(2)}, "123.460"},
        {"ROUND", {N("123.455"), I(2)}, "123.460"},
        {"ROUND", {N("-123.455"), I(2)}, "-123.460"},
        {"ROUND", {N("123.456"), I(2), I(1)}, "123.450"},
        {"ROUND", {N("748.58"), I(-2)}, "700.00"},
        {"ROUND", {N("999.9"), I(0)}, "1000.0"},
        {"ROUND", {I(1234), I(-2)}, "1200"},
        {"ROUND", {F(2.5), I(0)}, "3"},
        {"ROUND", {Null(T("numeric(5,2)")), I(0)}, "NULL"},
        {"ABS", {I(-5)}, "5"},
        {"ABS", {N("-1.50")}, "1.50"},
        {"ABS", {I(-2147483647 - 1)}, "Msg 8115"},
        {"ABS", {S("-2")}, "2"},
        {"FLOOR", {N("-1.5")}, "-2"},
        {"FLOOR", {N("1.5")}, "1"},
        {"CEILING", {N("1.2")}, "2"},
        {"CEILING", {N("-1.2")}, "-1"},
        {"CEILING", {F(1.2)}, "2"},
        {"FLOOR", {M("1.5")}, "1.0000"},
        {"SIGN", {N("-3.5")}, "-1.0"},
        {"POWER", {I(2), I(10)}, "1024"},
        {"SQRT", {F(16)}, "4"},
        {"ISNUMERIC", {S("12.5")}, "1"},
        {"ISNUMERIC", {S("abc")}, "0"},
        {"ISDATE", {S("20240229")}, "1"},
        {"ISDATE", {S("20230229")}, "0"},
    });
}

TEST(Functions, Dates) {
    const Value d = D("2024-01-31 13:45:30.123");
    check({
        {"YEAR", {d}, "2024"},
        {"MONTH", {d}, "1"},
        {"DAY", {S("20240229")}, "29"},
        {"YEAR", {I(0)}, "1900"},
        {"DATEADD", {S("month"), I(1), d}, "2024-02-29 13:45:30.123"},
        {"DATEADD", {S("mm"), I(13), d}, "2025-02-28 13:45:30.123"},
        {"DATEADD", {S("yy"), I(-1), D("2024-02-29")}, "2023-02-28 00:00:00.000"},
        {"DATEADD", {S("dd"), I(1), d}, "2024-02-01 13:45:30.123"},
        {"DATEADD", {S("day"), I(-31), d}, "2023-12-31 13:45:30.123"},
        {"DATEADD", {S("hh"), I(11), d}, "2024-02-01 00:45:30.123"},
        {"DATEADD", {S("mi"), I(15), d}, "2024-01-31 14:00:30.123"},
        {"DATEADD", {S("ss"), I(30), d}, "2024-01-31 13:46:00.123"},
        {"DATEADD", {S("ms"), I(1), D("2024-01-01")}, "2024-01-01 00:00:00.000"},
        {"DATEADD", {S("ms"), I(2), D("2024-01-01")}, "2024-01-01 00:00:00.003"},
        {"DATEADD", {S("wk"), I(1), d}, "2024-02-07 13:45:30.123"},
        {"DATEADD", {S("q"), I(1), d}, "2024-04-30 13:45:30.123"},
        {"DATEADD", {S("yy"), I(8000), d}, "Msg 517"},
        {"DATEADD", {S("fortnight"), I(1), d}, "Msg 155"},
        {"DATEADD", {S("dd"), Null(T("int")), d}, "NULL"},
        {"DATEDIFF", {S("day"), D("2024-01-31 23:59"), D("2024-02-01 00:01")}, "1"},
        {"DATEDIFF", {S("month"), D("2024-01-31"), D("2024-02-01")}, "1"},
        {"DATEDIFF", {S("yy"), D("2024-12-31"), D("2023-01-01")}, "-1"},
        {"DATEDIFF", {S("hh"), D("2024-01-01 10:59"), D("2024-01-01 11:00")}, "1"},
        {"DATEDIFF", {S("wk"), D("2024-01-06"), D("2024-01-07")}, "1"},
        {"DATEDIFF", {S("wk"), D("2024-01-07"), D("2024-01-13")}, "0"},
        {"DATEDIFF", {S("ms"), D("1900-01-01"), D("2024-01-01")}, "Msg 535"},
        {"DATEDIFF", {S("ss"), D("2024-01-01"), S("20240101 00:01")}, "60"},
        {"DATEPART", {S("weekday"), D("2024-01-07")}, "1"},
        {"DATEPART", {S("dw"), D("2024-01-06")}, "7"},
        {"DATEPART", {S("dy"), D("2024-12-31")}, "366"},
        {"DATEPART", {S("wk"), D("2024-01-06")}, "1"},
        {"DATEPART", {S("wk"), D("2024-01-07")}, "2"},
        {"DATEPART", {S("ms"), d}, "123"},
        {"DATEPART", {S("qq"), d}, "1"},
        {"DATEADD", {S("dd"), I(1), Value::date(*Date::fromParts(2024, 2, 28))}, "2024-02-29"},
        {"DATEADD", {S("hh"), I(1), Value::date(*Date::fromParts(2024, 2, 28))}, "Msg 9810"},
        {"DATEADD", {S("mi"), I(90), Value::time(parseTime("23:00"), T("time(0)"))}, "00:30:00"},
        {"DATEADD", {S("dd"), I(1), Value::time(parseTime("23:00"))}, "Msg 9810"},
        {"DATEPART", {S("hh"), Value::time(parseTime("23:15"))}, "23"},
        {"DATEADD", {S("ms"), I(1), Value::time(parseTime("18:00:00.124"), T("time(3)"))}, "18:00:00.125"},
        {"DATEADD", {S("yy"), I(-1), Value::date(*Date::fromParts(1, 6, 1))}, "Msg 517"},
        {"DATEADD", {S("mm"), I(1), Value::date(*Date::fromParts(1600, 1, 31))}, "1600-02-29"},
        {"DATEPART", {S("dw"), Value::date(*Date::fromParts(1600, 1, 1))}, "7"},
        {"DATEPART", {S("dy"), Value::date(*Date::fromParts(1600, 12, 31))}, "366"},
        {"DATEDIFF", {S("yy"), Value::date(*Date::fromParts(1600, 1, 1)), D("2024-01-01")}, "424"},
        {"DATEDIFF", {S("dd"), Value::date(*Date::fromParts(2024, 1, 1)), D("2024-01-31 12:00")}, "30"},
        {"DATENAME", {S("month"), d}, "January"},
        {"DATENAME", {S("dw"), D("2024-01-07")}, "Sunday"},
        {"DATENAME", {S("yyyy"), d}, "2024"},
        {"DATENAME", {S("dd"), Null(T("datetime"))}, "NULL"},
    });
    EXPECT_EQ(functionResultType("datename", std::vector{T("varchar(5)"), T("datetime")}).name(),
              "nvarchar(30)");
    EXPECT_EQ(run([] { return callFunction("GETUTCDATE", {}); }).size(), 23u);
}

TEST(Functions, ArgumentCountsAndUnknownNames) {
    check({
        {"LEN", {}, "Msg 174"},
        {"ROUND", {I(1)}, "Msg 189"},
        {"FROBNICATE", {I(1)}, "Msg 195"},
    });
    EXPECT_EQ(functionResultType("getdate", {}).name(), "datetime");
    EXPECT_TRUE(findFunction("newid")->volatileResult);
    EXPECT_EQ(run([] { return callFunction("GETDATE", {}); }).size(), 23u);
}
