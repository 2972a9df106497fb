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

TEST(Functions, NullHandling) {
    check({
        {"ISNULL", {Null(Type::integer()), I(0)}, "0"},
        {"ISNULL", {I(5), I(0)}, "5"},
        {"ISNULL", {Null(T("nvarchar(3)")), U("abcdef")}, "abc"},
        {"COALESCE", {Null(), Null(T("varchar(5)")), S("x"), S("y")}, "x"},
        {"COALESCE", {Null(), Null()}, "NULL"},
        {"COALESCE", {Null(T("int")), S("7")}, "7"},
        {"NULLIF", {I(1), I(1)}, "NULL"},
        {"NULLIF", {U("a"), U("A")}, "NULL"},
        {"NULLIF", {I(1), I(2)}, "1"},
    });
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
    });
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
