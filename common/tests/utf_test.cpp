#include "common/utf.h"

#include <gtest/gtest.h>

TEST(Utf, RoundTripsThroughUtf16AndCodePoints) {
    const std::string texts[] = {"", "abc", "Spustená synchronizácia", "\xC5\xBE\xE2\x82\xAC",
                                 "\xF0\x9F\x98\x80 x"};
    for (const auto& t : texts) {
        EXPECT_EQ(common::Utf16ToUtf8(common::Utf8ToUtf16(t)), t);
        EXPECT_EQ(common::Utf32ToUtf8(common::Utf8ToUtf32(t)), t);
    }
    EXPECT_EQ(common::Utf8ToUtf16("\xF0\x9F\x98\x80"), (std::u16string{0xD83D, 0xDE00}));
}

TEST(Utf, MalformedInputBecomesReplacementCharacter) {
    struct Case {
        std::string input;
        std::u32string expected;
    };
    const Case cases[] = {
        {"a\xFF"
         "b",
         U"a\uFFFDb"},
        {"\xC3", U"\uFFFD"},         // truncated sequence
        {"\xC0\xAF", U"\uFFFD"},     // overlong
        {"\xED\xA0\x80", U"\uFFFD"}, // encoded surrogate
    };
    for (const auto& c : cases)
        EXPECT_EQ(common::Utf8ToUtf32(c.input), c.expected) << c.input;
    EXPECT_EQ(common::Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\xEF\xBF\xBDx");
}
