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

TEST(Utf, FindsTheFirstMalformedSequence) {
    const std::pair<std::string, std::optional<std::size_t>> cases[] = {
        {"", std::nullopt},
        {"a\xC5\xBD\xF0\x9F\x98\x80", std::nullopt},
        {"ok \xC3", 3},     // truncated at the end
        {"ok \xC3\x28", 3}, // continuation missing
        {"ok \xE2\x82", 3},
        {"ok \xF0\x9F\x98", 3},
        {"ok \xC0\xAF", 3},         // overlong
        {"ok \xED\xA0\x80", 3},     // encoded surrogate
        {"ok \xF4\x90\x80\x80", 3}, // above U+10FFFF
        {"\xC5\xBD\xFF", 2},
        {"\x80", 0}, // lone continuation byte
    };
    for (const auto& [text, offset] : cases) {
        EXPECT_EQ(common::FindInvalidUtf8(text), offset) << testing::PrintToString(text);
        EXPECT_EQ(common::RepairUtf8(text) == text, !offset) << testing::PrintToString(text);
        EXPECT_FALSE(common::FindInvalidUtf8(common::RepairUtf8(text))) << testing::PrintToString(text);
    }
    EXPECT_EQ(common::RepairUtf8("a\xFF"
                                 "b"),
              "a\xEF\xBF\xBD"
              "b");
}
