#include "common/ascii.h"

#include <gtest/gtest.h>

TEST(Ascii, FoldsOnlyAsciiLetters) {
    EXPECT_EQ(common::ToLowerAscii("SQLite3 ODBC Driver [Z]"), "sqlite3 odbc driver [z]");
    EXPECT_EQ(common::ToLowerAscii("\xC5\xBD\xC3\x81"), "\xC5\xBD\xC3\x81") << "UTF-8 bytes stay";
    struct Case {
        const char* a;
        const char* b;
        bool equal;
    };
    const Case cases[] = {
        {"Settings", "sETTINGS", true},
        {"login", "login ", false},
        {"", "", true},
        {"@", "`", false},
        {"[", "{", false},
        {"\xC5\xBD", "\xC5\xBE", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(common::EqualsIgnoreCaseAscii(c.a, c.b), c.equal) << c.a << " / " << c.b;
}
