#include "common/sql_text.h"

#include <gtest/gtest.h>

#include <clocale>
#include <locale>

using namespace common;

namespace {

TDateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0, int ms = 0) {
    return EncodeDateTime({y, mo, d, h, mi, s, ms});
}

} // namespace

TEST(SqlText, RemoveChars) {
    struct Case {
        std::string text;
        CharSet set;
        std::string expected;
    };
    const Case cases[] = {
        {"1 234,50", MakeCharSet({U' ', U','}), "123450"},
        {"", MakeCharSet({U'a'}), ""},
        {"abc", CharSet{}, "abc"},
        {"\xC3\xA1"
         "b\xC3\xA1",
         MakeCharSet({U'\u00E1'}), "b"},                      // á (225) is in the set
        {"\xC4\xA1x", MakeCharSet({U'\u0021'}), "\xC4\xA1x"}, // U+0121: low 8 bits are '!', still kept
        {"\xC5\xA0", MakeCharSet({U'\u0060'}), "\xC5\xA0"},   // U+0160 kept
    };
    for (const auto& c : cases)
        EXPECT_EQ(RemoveChars(c.text, c.set), c.expected) << c.text;
    EXPECT_THROW(MakeCharSet({U'\u0100'}), std::invalid_argument);
}

TEST(SqlText, SqlNString) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "N''"},
        {"O'Neil", "N'O''Neil'"},
        {"''", "N''''''"},
        {"a:b :name", "N'a:b :name'"},
        {"Spustená", "N'Spustená'"},
    };
    for (const auto& [in, out] : cases)
        EXPECT_EQ(SqlNString(in), out);
}

TEST(SqlText, SqlDateAndDateTime) {
    EXPECT_EQ(SqlDate(0), "NULL");
    EXPECT_EQ(SqlDate(at(2012, 3, 15, 14, 30)), "'20120315'");
    EXPECT_EQ(SqlDate(at(1, 1, 1)), "'00010101'");
    EXPECT_EQ(SqlDateTime(0, true), "NULL");
    EXPECT_EQ(SqlDateTime(0, false), "NULL");
    const TDateTime t = at(2012, 3, 15, 14, 30, 5, 7);
    EXPECT_EQ(SqlDateTime(t, true), "'20120315 14:30:05.007'");
    EXPECT_EQ(SqlDateTime(t, false), "20120315 14:30:05.007");
    EXPECT_EQ(SqlDateTime(at(9999, 12, 31, 23, 59, 59, 999), false), "99991231 23:59:59.999");
    EXPECT_EQ(SqlDateTime(at(1899, 12, 29, 6), false), "18991229 06:00:00.000");
}

TEST(SqlText, SqlFloatFormatsWithPointAndRoundsLikeTheHost) {
    struct Case {
        const char* format;
        double value;
        const char* expected;
    };
    const Case cases[] = {
        {"%.2f", 1234.5, "1234.50"}, {"%.2f", 0, "0.00"},
        {"%.2f", -0.001, "0.00"},    {"%.2f", -12.345678, "-12.35"},
        {"%.2f", 0.125, "0.13"}, // exact half rounds away from zero
        {"%.2f", 2.675, "2.67"}, // binary value lies below the half
        {"%.2f", 0.999, "1.00"},     {"%.2f", 0.006, "0.01"},
        {"%.2f", 99.995, "100.00"},  {"%.2f", 1e15, "1000000000000000.00"},
        {"%.0f", 2.5, "3"},          {"%.3f", 1.0005, "1.000"}, // below the half in binary too
        {"%.3f", 1.0625, "1.063"},   {"%f", 3.14159, "3.14"},
        {"%10.2f", 1.5, "1.50"},     {"%.2n", 1234567.891, "1234567.89"},
        {"x=%.1f;", 7.25, "x=7.3;"}, {"%.4e", 12345.678, "1.235E+004"},
        {"%%%.1f", 1.0, "%1.0"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SqlFloat(c.format, c.value), c.expected) << c.format << " " << c.value;
}

TEST(SqlText, SqlFloatRefusesWhatHasNoLiteral) {
    EXPECT_THROW(SqlFloat("%.2f", std::numeric_limits<double>::infinity()), std::invalid_argument);
    EXPECT_THROW(SqlFloat("%.2f", std::numeric_limits<double>::quiet_NaN()), std::invalid_argument);
    EXPECT_THROW(SqlFloat("%d", 1.0), std::invalid_argument);
    EXPECT_THROW(SqlFloat("no placeholder", 1.0), std::invalid_argument);
    EXPECT_THROW(SqlFloat("%.2f %.2f", 1.0), std::invalid_argument);
}

namespace {

struct CommaDecimal : std::numpunct<char> {
    char do_decimal_point() const override { return ','; }
    char do_thousands_sep() const override { return ' '; }
    std::string do_grouping() const override { return "\3"; }
};

} // namespace

TEST(SqlText, SqlFloatIgnoresLocalesAndLeavesThemAlone) {
    const std::locale before;
    const std::locale comma(std::locale::classic(), new CommaDecimal);
    std::locale::global(comma);
    // A comma locale for the C library too, when the machine has one.
    const char* cLocale = nullptr;
    for (const char* name : {"cs_CZ.UTF-8", "de_DE.UTF-8", "sk_SK.UTF-8", "fr_FR.UTF-8"})
        if ((cLocale = std::setlocale(LC_NUMERIC, name))) break;
    const std::string cNumeric = std::setlocale(LC_NUMERIC, nullptr);

    EXPECT_EQ(SqlFloat("%.2f", 1234.5), "1234.50");
    EXPECT_EQ(SqlValue(SqlVariant{2.5}, "%.2f"), "2.50");

    EXPECT_EQ(std::locale().name(), comma.name());
    EXPECT_EQ(std::setlocale(LC_NUMERIC, nullptr), cNumeric);
    std::setlocale(LC_NUMERIC, "C");
    std::locale::global(before);
}

TEST(SqlText, SqlValueByKind) {
    struct Case {
        SqlVariant value;
        std::string expected;
    };
    const Case cases[] = {
        {VarNull{}, "NULL"},
        {VarEmpty{}, ""},
        {std::int16_t{-7}, "-7"},
        {std::int32_t{2147483647}, "2147483647"},
        {std::uint8_t{255}, "255"},
        {1.5f, "1.50"},
        {1234.5, "1234.50"},
        {VarCurrency{123456}, "12.35"},
        {VarDate{at(2012, 3, 15, 14, 30, 5, 7)}, "'20120315 14:30:05.007'"},
        {VarDate{0}, "NULL"},
        {VarOleStr{"it's"}, "N'it''s'"},
        {VarUString{"ž"}, "N'ž'"},
        {VarAnsiString{"it's"}, "'it''s'"},
        {true, ""},
        {std::int8_t{5}, ""},
        {std::int64_t{5}, ""},
        {std::uint16_t{5}, ""},
        {std::uint32_t{5}, ""},
        {std::uint64_t{5}, ""},
        {VarArray{}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(SqlValue(c.value, "%.2f"), c.expected) << "kind " << c.value.index();
    EXPECT_EQ(SqlValue(SqlVariant{2.0}, "%.3f"), "2.000");
}

TEST(SqlText, SqlBinary) {
    EXPECT_EQ(SqlBinary({}), "0x");
    EXPECT_EQ(SqlBinary({0x00, 0x0f, 0xab, 0xff}), "0x000FABFF");
}
