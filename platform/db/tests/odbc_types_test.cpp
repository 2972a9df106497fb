#include "odbc_types.h"
#include "utf16.h"

#include "platform/db/errors.h"

#include "common/datetime.h"

#include <gtest/gtest.h>

#include <sql.h>
#include <sqlext.h>

namespace platform::db::detail {
namespace {

TEST(CanonicalDecimal, WritesPlainDigitsWithTheColumnsScale) {
    struct Case {
        const char* raw;
        int scale;
        const char* expected;
    };
    const Case cases[] = {
        {"12.50", 2, "12.50"},
        {".5", 2, "0.50"},
        {"-.5", 2, "-0.50"},
        {"-1234.5", 2, "-1234.50"},
        {"007", 0, "7"},
        {"1.5E+3", 2, "1500.00"},
        {"1.25e-3", 2, "0.00125"},
        {"-0.00", 2, "0.00"},
        {" 42 ", 0, "42"},
        {"+3", 1, "3.0"},
        {"12.3456", 2, "12.3456"},
        {"100", -1, "100"},
        {"922337203685477.5807", 4, "922337203685477.5807"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(canonicalDecimal(c.raw, c.scale), c.expected) << c.raw;
}

TEST(CanonicalDecimal, RefusesWhatIsNotANumber) {
    for (const char* raw : {"", "-", "1.2.3", "12a", "1e", "1e+x", "NaN", "1e999999"})
        EXPECT_THROW(canonicalDecimal(raw, 2), ConversionError) << raw;
}

TEST(ColumnTypeName, PrefersTheServersOwnName) {
    struct Case {
        const char* driverName;
        int sqlType;
        const char* expected;
    };
    const Case cases[] = {
        {"money", SQL_DECIMAL, "money"},
        {"int identity", SQL_INTEGER, "int"},
        {"NVARCHAR(40)", SQL_WVARCHAR, "nvarchar"},
        {"integer", SQL_INTEGER, "int"},
        {"", SQL_LONGVARBINARY, "image"},
        {"", SQL_TYPE_TIMESTAMP, "datetime"},
        {"", SQL_DOUBLE, "float"},
        {"", SQL_GUID, "uniqueidentifier"},
        {"geography", -151, "unknown"},
        {"smalldatetime", SQL_TYPE_TIMESTAMP, "smalldatetime"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(columnTypeName(c.driverName, c.sqlType), c.expected) << c.driverName;
}

TEST(SqlTypeInfo, UnknownTypesAreReadAsText) {
    EXPECT_EQ(sqlTypeInfo(-9999).fetch, Fetch::Text);
    EXPECT_EQ(sqlTypeInfo(SQL_BIGINT).fetch, Fetch::Integer);
    EXPECT_EQ(sqlTypeInfo(SQL_NUMERIC).fetch, Fetch::Decimal);
}

TEST(GuidText, IsUpperCaseInGroupsOfEightFourFourFourTwelve) {
    const std::uint8_t tail[8] = {0x8a, 0x0b, 0x00, 0xc0, 0x4f, 0xd4, 0x30, 0xc8};
    EXPECT_EQ(guidText(0x6F9619FF, 0x8B86, 0xD011, tail), "6F9619FF-8B86-D011-8A0B-00C04FD430C8");
}

TEST(DayNumber, CountsFromTheEpochAndRoundsToMilliseconds) {
    using common::EncodeDateTime;
    EXPECT_EQ(dayNumber(1899, 12, 30, 0, 0, 0, 0, false), 0.0);
    EXPECT_EQ(dayNumber(2024, 2, 29, 23, 59, 58, 996'666'667, false),
              EncodeDateTime({2024, 2, 29, 23, 59, 58, 997}));
    EXPECT_EQ(dayNumber(2024, 1, 1, 23, 59, 59, 999'900'000, false),
              EncodeDateTime({2024, 1, 1, 23, 59, 59, 999}));
    EXPECT_EQ(dayNumber(2031, 5, 6, 6, 0, 0, 0, true), 0.25) << "time of day only";
    EXPECT_EQ(dayNumber(1850, 6, 1, 6, 0, 0, 0, false), EncodeDateTime({1850, 6, 1, 6, 0, 0, 0}));
    EXPECT_THROW(dayNumber(2023, 2, 29, 0, 0, 0, 0, false), ConversionError);
}

TEST(Utf16, RoundTripsEveryPlane) {
    const std::string text = "aŽ€😀𝄞";
    const std::u16string wide = toUtf16(text);
    EXPECT_EQ(wide, u"aŽ€😀𝄞");
    EXPECT_EQ(toUtf8(wide), text);
}

TEST(Utf16, RefusesMalformedUtf8) {
    const std::string bad[] = {"\xC3",     "\xC3\x28",     "\xE2\x82",         "\xF0\x9F\x98",
                               "\xC0\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xFF"};
    for (const auto& b : bad)
        EXPECT_THROW(toUtf16("ok " + b), ConversionError) << testing::PrintToString(b);
}

TEST(Utf16, UnpairedSurrogateBecomesReplacementCharacter) {
    EXPECT_EQ(toUtf8(std::u16string{u'a', char16_t(0xD800), u'b'}), "a\xEF\xBF\xBD"
                                                                    "b");
}

} // namespace
} // namespace platform::db::detail
