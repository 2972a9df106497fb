#include "odbc_support.h"
#include "odbc_types.h"

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

TEST(ServerTypeNameNeeded, OnlyWhereSeveralServerTypesShareTheCode) {
    struct Case {
        int sqlType;
        unsigned long size;
        bool needed;
    };
    const Case cases[] = {
        {SQL_INTEGER, 10, false},       // int, also as identity
        {SQL_WVARCHAR, 40, false},      // nvarchar
        {SQL_WVARCHAR, 128, true},      // nvarchar(128) or sysname
        {SQL_BINARY, 16, false},        // binary
        {SQL_BINARY, 8, true},          // binary(8) or timestamp
        {SQL_VARBINARY, 8, true},       // varbinary(8) or a nullable timestamp
        {SQL_DECIMAL, 19, true},        // decimal or money
        {SQL_NUMERIC, 10, true},        // numeric or decimal
        {SQL_TYPE_TIMESTAMP, 23, true}, // datetime, datetime2 or smalldatetime
        {SQL_WLONGVARCHAR, 0, true},    // ntext or xml
        {SQL_FLOAT, 53, false},         // float
        {SQL_GUID, 36, false},          // uniqueidentifier
        {-151, 0, true},                // not in the table
    };
    for (const auto& c : cases)
        EXPECT_EQ(serverTypeNameNeeded(c.sqlType, c.size), c.needed) << c.sqlType << " size " << c.size;
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

TEST(Encoding, TextReachesTheDriverInItsFormAndComesBack) {
    const std::string text = "a\xC5\xBD\xE2\x82\xAC\xF0\x9F\x98\x80";
    auto wide = Encoding(true).encode(text);
    EXPECT_EQ(std::u16string(wide.wide.begin(), wide.wide.end() - 1), u"a\u017D\u20AC\U0001F600");
    EXPECT_EQ(wide.length(), 5);
    EXPECT_EQ(Encoding(true).decode(wide.wideText(), 5), text);
    auto ascii = Encoding(true).encode("SELECT 1 AS [a~]");
    EXPECT_EQ(std::u16string(ascii.wide.begin(), ascii.wide.end()),
              std::u16string(u"SELECT 1 AS [a~]\0", 17));
    EXPECT_EQ(Encoding(true).decode(ascii.wideText(), 16), "SELECT 1 AS [a~]");
    auto narrow = Encoding(false).encode(text);
    EXPECT_EQ(narrow.narrow, text);
    EXPECT_EQ(Encoding(false).decode("ok \xFF!", 5), "ok \xEF\xBF\xBD!")
        << "malformed narrow text is repaired";
}

TEST(Encoding, RefusesMalformedUtf8InBothForms) {
    for (const bool wide : {true, false}) {
        try {
            Encoding(wide).encode("ok \xC3\x28");
            ADD_FAILURE() << "no error, wide " << wide;
        } catch (const ConversionError& e) {
            EXPECT_STREQ(e.what(), "The text is not valid UTF-8 (byte 3)");
        }
    }
}

} // namespace
} // namespace platform::db::detail
