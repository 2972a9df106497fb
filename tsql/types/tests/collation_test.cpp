#include "tsql/collation.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

using namespace tsql;

TEST(Collation, CzechOrderCaseInsensitiveAccentSensitive) {
    const std::vector<std::string> ordered = {"a", "á", "b", "c", "č", "d", "h", "ch",
                                              "i", "r", "ř", "s", "š", "z", "ž"};
    for (std::size_t i = 0; i + 1 < ordered.size(); ++i) {
        EXPECT_LT(collateCompare(ordered[i], ordered[i + 1]), 0) << ordered[i] << " < " << ordered[i + 1];
        EXPECT_LT(collateKey(ordered[i]), collateKey(ordered[i + 1]))
            << ordered[i] << " < " << ordered[i + 1];
    }
    EXPECT_LT(collateCompare("Hruška", "Chalupa"), 0);
}

TEST(Collation, EqualityIgnoresCaseAndTrailingBlanksOnly) {
    const struct {
        const char* a;
        const char* b;
        bool equal;
    } cases[] = {
        {"employee", "EMPLOYEE", true}, {"Žluťoučký", "ŽLUŤOUČKÝ", true}, {"abc", "abc  ", true},
        {"abc", "  abc", false},        {"Novak", "Novák", false},        {"", "   ", true},
        {"a b", "ab", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(collateEqual(c.a, c.b), c.equal) << c.a << " / " << c.b;
        EXPECT_EQ(collateKey(c.a) == collateKey(c.b), c.equal) << c.a << " / " << c.b;
    }
}

TEST(Like, PatternsUnderTheCollation) {
    const struct {
        const char* text;
        const char* pattern;
        bool match;
    } cases[] = {
        {"cashincome", "cashincome", true},
        {"CashIncome", "cashincome", true},
        {"cashincome", "cash%", true},
        {"cash", "cash%", true},
        {"cas", "cash%", false},
        {"abc", "%b%", true},
        {"abc", "a_c", true},
        {"ac", "a_c", false},
        {"abc", "[a-c]bc", true},
        {"dbc", "[a-c]bc", false},
        {"dbc", "[^a-c]bc", true},
        {"abc", "[^a-c]bc", false},
        {"Xbc", "[xyz]bc", true},
        {"50%", "50[%]", true},
        {"500", "50[%]", false},
        {"a_b", "a[_]b", true},
        {"axb", "a[_]b", false},
        {"Novák", "nov_k", true},
        {"Novák", "novak", false},
        {"Č", "č", true},
        {"abc   ", "abc", true},
        {"abc", "abc ", false},
        {"a b", "a%", true},
        {"", "%", true},
        {"", "_", false},
        {"aaa", "%a%a%a%", true},
        {"aa", "%a%a%a%", false},
        {"[x", "[x", true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(like(c.text, c.pattern), c.match) << c.text << " LIKE " << c.pattern;
    EXPECT_TRUE(like("10%", "10!%", U'!'));
    EXPECT_FALSE(like("100", "10!%", U'!'));
}

TEST(Collation, UpperAndLowerKnowCzechLetters) {
    EXPECT_EQ(upper("příliš žluťoučký kůň"), "PŘÍLIŠ ŽLUŤOUČKÝ KŮŇ");
    EXPECT_EQ(lower("ČEŠTINA"), "čeština");
}
