#include "support.h"

#include "tsql/operators.h"

#include <gtest/gtest.h>

using namespace tsql;
using namespace tsql::test;

namespace {

struct Case {
    Value value;
    const char* type;
    ConversionKind kind;
    const char* expected; //!< shell text of the result, or "Msg <number>"
};

constexpr auto X = ConversionKind::Explicit;
constexpr auto Im = ConversionKind::Implicit;
constexpr auto As = ConversionKind::Assignment;
constexpr auto St = ConversionKind::Store;

void check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        EXPECT_EQ(run([&] { return convert(c.value, T(c.type), c.kind); }), c.expected)
            << formatForShell(c.value) << " (" << c.value.type().name() << ") to " << c.type;
    }
}

} // namespace

TEST(Convert, TextToNumbers) {
    check({
        {S(" 12 "), "int", Im, "12"},
        {U("-7"), "int", Im, "-7"},
        {S(""), "int", Im, "0"},
        {U("12.5"), "int", Im, "Msg 245"},
        {U("abc"), "int", Im, "Msg 245"},
        {S("99999999999"), "int", Im, "Msg 248"},
        {S("300"), "tinyint", X, "Msg 248"},
        {S("true"), "bit", Im, "1"},
        {S("5"), "bit", Im, "1"},
        {S("12.345"), "numeric(5,2)", X, "12.35"},
        {S("-12.345"), "numeric(5,2)", X, "-12.35"},
        {S("1234.5"), "numeric(5,2)", X, "Msg 8115"},
        {S("1x"), "numeric(5,2)", X, "Msg 8114"},
        {S(""), "numeric(5,2)", X, "Msg 8114"},
        {S("1e3"), "float", X, "1000"},
        {S(""), "float", X, "0"},
        {S("1,5"), "float", X, "Msg 8114"},
        {S("$1,234.5"), "money", X, "1234.5000"},
        {S("x"), "money", X, "Msg 235"},
    });
}

TEST(Convert, NumbersBetweenTypes) {
    check({
        {N("2.7"), "int", X, "2"},
        {N("-2.7"), "int", X, "-2"},
        {F(-2.7), "int", X, "-2"},
        {F(3e10), "int", X, "Msg 8115"},
        {I(300), "tinyint", X, "Msg 220"},
        {B(3000000000), "int", X, "Msg 8115"},
        {I(-1), "bit", X, "1"},
        {I(12), "numeric(3,1)", X, "12.0"},
        {I(123), "numeric(3,1)", X, "Msg 8115"},
        {N("1.005"), "numeric(5,2)", X, "1.01"},
        {F(2.675), "numeric(5,2)", X, "2.68"},
        {F(0.1), "money", X, "0.1000"},
        {M("12.3456"), "numeric(10,2)", X, "12.35"},
        {F(1.0 / 3), "real", X, "0.33333334"},
        {N("12.50"), "float", X, "12.5"},
    });
}

TEST(Convert, NumbersToText) {
    check({
        {I(12345), "varchar(10)", X, "12345"},
        {I(12345), "varchar(3)", X, "*"},
        {I(12345), "nvarchar(3)", X, "Msg 8115"},
        {I(12345), "varchar(3)", St, "Msg 8152"},
        {N("12.50"), "varchar(10)", X, "12.50"},
        {N("12.50"), "varchar(3)", X, "Msg 8115"},
        {M("1234.5678"), "varchar(20)", X, "1234.57"},
        {F(0.1), "varchar(20)", X, "0.1"},
        {F(1234567.0), "varchar(20)", X, "1.23457e+006"},
        {I(5), "char(3)", X, "5  "},
        {Null(Type::integer()), "varchar(3)", X, "NULL"},
    });
}

TEST(Convert, TextToTextTruncatesOnlyWhereSqlServerDoes) {
    check({
        {U("Novák"), "nvarchar(3)", As, "Nov"},
        {U("Novák"), "nvarchar(4)", X, "Nová"},
        {U("Novák"), "nvarchar(3)", St, "Msg 8152"},
        {U("ab   "), "nvarchar(2)", St, "ab"},
        {U("ab"), "nchar(4)", St, "ab  "},
        {U("ab"), "varchar(max)", St, "ab"},
        {U("a\tb\\"), "ntext", St, "a\\tb\\\\"},
    });
}

TEST(Convert, DateTimeLiteralsAndRounding) {
    check({
        {S("20240131"), "datetime", Im, "2024-01-31 00:00:00.000"},
        {S("20240131 13:45:10.123"), "datetime", Im, "2024-01-31 13:45:10.123"},
        {S("2024-01-31T13:45:10"), "datetime", Im, "2024-01-31 13:45:10.000"},
        {S("2024-01-31 13:45:10.5"), "datetime", Im, "2024-01-31 13:45:10.500"},
        {S("2024-01-31 13:45"), "datetime", Im, "2024-01-31 13:45:00.000"},
        {S("01/31/2024"), "datetime", Im, "2024-01-31 00:00:00.000"},
        {S("Jan 31 2024  1:05PM"), "datetime", Im, "2024-01-31 13:05:00.000"},
        {S("13:05"), "datetime", Im, "1900-01-01 13:05:00.000"},
        {S(""), "datetime", Im, "1900-01-01 00:00:00.000"},
        {S("2024-01-31 23:59:59.999"), "datetime", Im, "2024-02-01 00:00:00.000"},
        {S("2024-01-31 10:00:00.001"), "datetime", Im, "2024-01-31 10:00:00.000"},
        {S("2024-01-31 10:00:00.002"), "datetime", Im, "2024-01-31 10:00:00.003"},
        {S("2024-01-31 10:00:00.005"), "datetime", Im, "2024-01-31 10:00:00.007"},
        {S("2024-01-31 10:00:00.995"), "datetime", Im, "2024-01-31 10:00:00.997"},
        {S("2024-01-31 10:00:00.991"), "datetime", Im, "2024-01-31 10:00:00.990"},
        {S("1753-01-01"), "datetime", Im, "1753-01-01 00:00:00.000"},
        {S("9999-12-31 23:59:59.997"), "datetime", Im, "9999-12-31 23:59:59.997"},
        {S("1752-12-31"), "datetime", Im, "Msg 242"},
        {S("2023-02-29"), "datetime", Im, "Msg 242"},
        {S("2024-13-01"), "datetime", Im, "Msg 242"},
        {S("tomorrow"), "datetime", Im, "Msg 241"},
        {S("2024-01-31T13:45"), "datetime", Im, "Msg 241"},
        {S("2024-01-31 10:00:00.1234"), "datetime", Im, "Msg 241"},
        {I(1), "datetime", Im, "1900-01-02 00:00:00.000"},
        {F(-0.5), "datetime", Im, "1899-12-31 12:00:00.000"},
        {F(44998.75), "datetime", Im, "2023-03-15 18:00:00.000"},
        {F(1e9), "datetime", Im, "Msg 8115"},
    });
}

TEST(Convert, DateTimeToNumbers) {
    check({
        {D("2023-03-15 18:00"), "float", X, "44998.75"},
        {D("2023-03-15 11:59"), "int", X, "44998"},
        {D("2023-03-15 12:00"), "int", X, "44999"},
        {D("2023-03-15 18:00"), "int", Im, "Msg 257"},
        {D("2023-03-15"), "uniqueidentifier", X, "Msg 529"},
        {Value::guid(parseGuid("6F9619FF-8B86-D011-B42D-00C04FC964FF")), "int", Im, "Msg 206"},
    });
}

TEST(Convert, DateTimeStyles) {
    const Value d = D("2024-03-05 14:07:09.123");
    const struct {
        int style;
        const char* text;
    } cases[] = {
        {0, "Mar  5 2024  2:07PM"},
        {1, "03/05/24"},
        {101, "03/05/2024"},
        {103, "05/03/2024"},
        {104, "05.03.2024"},
        {108, "14:07:09"},
        {112, "20240305"},
        {120, "2024-03-05 14:07:09"},
        {121, "2024-03-05 14:07:09.123"},
        {126, "2024-03-05T14:07:09.123"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(run([&] { return convertStyle(d, T("varchar(30)"), c.style); }), c.text) << c.style;
    EXPECT_EQ(run([&] { return convertStyle(D("2024-03-05"), T("varchar(30)"), 126); }),
              "2024-03-05T00:00:00");
    EXPECT_EQ(run([&] { return convertStyle(d, T("varchar(10)"), 120); }), "2024-03-05");
    EXPECT_EQ(run([&] { return convertStyle(d, T("varchar(30)"), 999); }), "Msg 281");
    EXPECT_EQ(run([&] { return convertStyle(S("05/03/2024"), T("datetime"), 103); }),
              "2024-03-05 00:00:00.000");
    EXPECT_EQ(run([&] { return convertStyle(S("05.03.2024"), T("datetime"), 104); }),
              "2024-03-05 00:00:00.000");
    EXPECT_EQ(run([&] { return convertStyle(S("03/05/2024"), T("datetime"), 101); }),
              "2024-03-05 00:00:00.000");
    EXPECT_EQ(run([&] { return convertStyle(M("1234567.891"), T("varchar(30)"), 1); }), "1,234,567.89");
    EXPECT_EQ(run([&] {
                  return convertStyle(Value::varBinary({0xAB, 0x01}), T("varchar(30)"), 1);
              }),
              "0xAB01");
    // Round trip through the text SQL Server writes by default.
    EXPECT_EQ(run([&] { return convert(convert(d, T("varchar(30)")), T("datetime")); }),
              "2024-03-05 14:07:00.000");
}

TEST(Convert, DateAndTime) {
    check({
        {S("1850-06-01"), "date", Im, "1850-06-01"},
        {S("0001-01-01"), "date", Im, "0001-01-01"},
        {S("20240229 13:45"), "date", Im, "2024-02-29"},
        {S("2023-02-29"), "date", Im, "Msg 241"},
        {S("abc"), "date", Im, "Msg 241"},
        {D("2024-01-31 23:59:59.997"), "date", Im, "2024-01-31"},
        {S("06:00:00"), "time", Im, "06:00:00.0000000"},
        {S("06:00:00.1234567"), "time", Im, "06:00:00.1234567"},
        {S("06:00:00.12345678"), "time", Im, "Msg 241"},
        {S("2024-01-31 18:30"), "time(0)", Im, "18:30:00"},
        {S("23:59:59.9999999"), "time(3)", Im, "00:00:00.000"},
        {S("12:00:00.555"), "time(2)", Im, "12:00:00.56"},
        {D("2024-01-31 06:00:00.003"), "time", Im, "06:00:00.0033333"},
        {Value::date(*Date::fromParts(2024, 1, 31)), "datetime", Im, "2024-01-31 00:00:00.000"},
        {Value::date(*Date::fromParts(1600, 1, 1)), "datetime", Im, "Msg 242"},
        {Value::time(parseTime("06:00:00.0016667")), "datetime", Im, "1900-01-01 06:00:00.003"},
        {Value::date(*Date::fromParts(2024, 1, 31)), "varchar(10)", Im, "2024-01-31"},
        {Value::time(parseTime("06:00"), T("time(2)")), "nvarchar(20)", Im, "06:00:00.00"},
        {Value::date(*Date::fromParts(2024, 1, 31)), "time", X, "Msg 529"},
        {I(1), "date", Im, "Msg 206"},
        {Value::date(*Date::fromParts(2024, 1, 31)), "int", X, "Msg 529"},
    });
    EXPECT_EQ(
        run([] { return convertStyle(Value::date(*Date::fromParts(2024, 1, 31)), T("varchar(10)"), 104); }),
        "31.01.2024");
    EXPECT_EQ(run([] { return convertStyle(S("31.01.2024"), T("date"), 104); }), "2024-01-31");
    // DATE and TIME compare with each other's kinds through DATETIME, and take no arithmetic.
    EXPECT_EQ(compare(Value::date(*Date::fromParts(2024, 1, 31)), D("2024-01-31 00:00")), 0);
    EXPECT_EQ(compare(Value::time(parseTime("06:00")), S("07:00")), -1);
    EXPECT_EQ(run([] { return binaryOp(BinaryOp::Add, Value::date(*Date::fromParts(2024, 1, 31)), I(1)); }),
              "Msg 402");
    EXPECT_EQ(comparisonType(T("date"), T("datetime")).name(), "datetime");
    EXPECT_EQ(typeFacts(T("time(3)")).length, 4);
    EXPECT_EQ(typeFacts(T("date")).xtype, 40);
}

TEST(Convert, GuidsWithAndWithoutBracesAndAsBytes) {
    const char* text = "6F9619FF-8B86-D011-B42D-00C04FC964FF";
    check({
        {S("{6f9619ff-8b86-d011-b42d-00c04fc964ff}"), "uniqueidentifier", Im, text},
        {S(text), "uniqueidentifier", Im, text},
        {S("6F9619FF-8B86-D011-B42D-00C04FC964F"), "uniqueidentifier", Im, "Msg 8169"},
        {S("{6F9619FF-8B86-D011-B42D-00C04FC964FF"), "uniqueidentifier", Im, "Msg 8169"},
        {S(text), "binary(16)", X, "0x36463936313946462D384238362D4430"}, // the characters' bytes
        {Value::guid(parseGuid(text)), "binary(16)", X, "0xFF19966F868B11D0B42D00C04FC964FF"},
        {Value::guid(parseGuid(text)), "nvarchar(36)", X, text},
        {Value::guid(parseGuid(text)), "nvarchar(20)", X, "Msg 8170"},
    });
    const Value bytes = convert(Value::guid(parseGuid(text)), T("binary(16)"));
    EXPECT_EQ(guidToString(convert(bytes, T("uniqueidentifier")).asGuid()), text);
    const Guid g = newGuid();
    EXPECT_EQ(parseGuid(guidToString(g)), g);
    EXPECT_NE(newGuid(), g);
}

TEST(Convert, BinaryValues) {
    check({
        {I(258), "binary(4)", X, "0x00000102"},
        {I(258), "binary(1)", X, "0x02"},
        {I(258), "varbinary(8)", X, "0x00000102"},
        {Value::varBinary({0x01, 0x02}), "binary(4)", X, "0x01020000"},
        {Value::varBinary({0x01, 0x02, 0x03}), "binary(2)", As, "0x0102"},
        {Value::varBinary({0x01, 0x02, 0x03}), "binary(2)", St, "Msg 8152"},
        {Value::varBinary({0x00, 0x00, 0x01, 0x02}), "int", Im, "258"},
        {Value::varBinary({0xFF, 0xFF, 0xFF, 0xFE}), "int", Im, "-2"},
        {S("AB"), "varbinary(4)", X, "0x4142"},
        {U("AB"), "varbinary(4)", X, "0x41004200"},
        {S("AB"), "varbinary(4)", Im, "Msg 257"},
        {Value::varBinary({0x41, 0x42}), "varchar(4)", Im, "AB"},
        {I(1), "image", Im, "Msg 206"},
    });
}

TEST(Convert, NullKeepsTheTargetType) {
    const Value v = convert(Null(), T("nvarchar(5)"));
    EXPECT_TRUE(v.isNull());
    EXPECT_EQ(v.type(), T("nvarchar(5)"));
    EXPECT_EQ(convertibility(TypeId::DateTime, TypeId::Int), Convertibility::Explicit);
    EXPECT_EQ(convertibility(TypeId::NVarChar, TypeId::Int), Convertibility::Implicit);
    EXPECT_EQ(convertibility(TypeId::Text, TypeId::Int), Convertibility::Forbidden);
}
