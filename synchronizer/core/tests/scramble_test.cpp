#include "quelta/scramble.h"

#include "common/utf.h"

#include <gtest/gtest.h>

using namespace quelta;

namespace {

std::string latin1(std::u32string_view chars) {
    return common::Utf32ToUtf8(chars);
}

} // namespace

TEST(Scramble, PermutationSwapsTheGivenPositions) {
    // m = 3 for twelve characters: 1<->5, 2<->7, 3<->9 (1-based).
    EXPECT_EQ(PermutePositions(U"abcdefghijkl"), U"egidafbhcjkl");
    const std::pair<std::u32string, std::u32string> cases[] = {
        {U"", U""},
        {U"ab", U"ab"},
        {U"abc", U"abc"},
        {U"abcd", U"cbad"},         // m = 1: 1<->3
        {U"abcdefgh", U"dfcaebgh"}, // m = 2: 1<->4, 2<->6
    };
    for (const auto& [in, out] : cases) {
        EXPECT_EQ(PermutePositions(in), out);
        EXPECT_EQ(PermutePositions(PermutePositions(in)), in);
    }
}

TEST(Scramble, StoredFormIsPermutedLowerCaseHexOfKeyedBytes) {
    // 'a' ^ 'K' = 0x2a; one character gives two hex digits, which the permutation leaves alone.
    EXPECT_EQ(Scramble("a"), "2a");
    EXPECT_EQ(Scramble(""), "");
    // "ab": 0x61^0x4b = 2a, 0x62^0x71 = 13 -> "2a13"; m = 1 swaps positions 1 and 3.
    EXPECT_EQ(Scramble("ab"), "1a23");
    // The key itself, then its first character again: every byte cancels, so the key and its cyclic
    // reuse after 25 characters are pinned.
    const std::string keyAgain = std::string(kScrambleKey) + "K";
    EXPECT_EQ(Scramble(keyAgain), std::string(52, '0'));
    EXPECT_EQ(Unscramble(std::string(52, '0')), keyAgain);
    for (char c : Scramble("Heslo123!"))
        EXPECT_TRUE((c >= '0' && c <= '9') || (c >= 'a' && c <= 'f')) << c;
}

TEST(Scramble, RoundTripsPasswordsOfCharactersUpTo255) {
    std::u32string all;
    for (char32_t c = 1; c <= 255; ++c)
        all += c;
    const std::string passwords[] = {
        "",
        "x",
        "ab",
        "abc",
        "heslo123456!", // lengths 0 to 3 and 12
        "a password longer than the twenty-five character key",
        latin1(U"P\u00E1\u00DF\u00FF\u00A0w"),
        latin1(all),
    };
    for (const auto& p : passwords)
        EXPECT_EQ(Unscramble(Scramble(p)), p) << p;
}

TEST(Scramble, CharactersAbove255LoseTheirHighBits) {
    // U+0161 (š) keeps only its low byte 0x61 ('a').
    EXPECT_EQ(Unscramble(Scramble("\xC5\xA1")), "a");
}

TEST(Scramble, InvalidPairsReadAs32AndOddTailIsIgnored) {
    // "zz" is no hex pair: 32 ^ 'K' (0x4b) = 0x6b 'k'.
    EXPECT_EQ(Unscramble("zz"), "k");
    EXPECT_EQ(Unscramble("2a1"), "a");
    EXPECT_EQ(Unscramble("2A"), "a");
}
