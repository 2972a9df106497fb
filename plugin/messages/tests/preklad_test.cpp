#include "plugin/messages/hlasky.h"

#include <gtest/gtest.h>

#include <map>

namespace {

using namespace plugin;

//! A language library stand-in holding a few texts by stored number.
class FakeLibrary : public TplgAktivniJazyk {
public:
    FakeLibrary(int jazyk, std::map<int, std::string> texts)
        : TplgAktivniJazyk(jazyk)
        , texts_(std::move(texts)) {}
    std::string CtiOznam(int cislo) const override {
        const auto found = texts_.find(cislo);
        return found == texts_.end() ? "" : found->second;
    }

private:
    std::map<int, std::string> texts_;
};

class Languages : public ::testing::Test {
protected:
    void TearDown() override { PrepniJazyky(1, -1); }
};

TEST_F(Languages, CzechByDefaultAndSlovakBuiltIn) {
    EXPECT_TRUE(PrepniJazyky(1, -1));
    EXPECT_EQ(TextHlasky(61), "Je třeba spustit instalaci pluginu!");
    EXPECT_TRUE(PrepniJazyky(4, -1));
    EXPECT_EQ(TextHlasky(61), "Je potrebné spustiť inštaláciu pluginu!");
    EXPECT_EQ(AktualniJazyky(), std::make_pair(4, -1));
    EXPECT_TRUE(PrepniJazyky(0, 4));
    EXPECT_EQ(TextHlasky(61), "Je třeba spustit instalaci pluginu!");
}

TEST_F(Languages, LanguageWithoutTextsFallsBackToCzech) {
    EXPECT_FALSE(PrepniJazyky(1033, -1));
    EXPECT_EQ(TextHlasky(59), "Verze pluginu je nižší než verze v databázi!");
}

TEST_F(Languages, LibraryTakesPrecedenceAndSourcesAreAskedInOrder) {
    const int w59 = Hlaska(59).Cislo;
    const int w61 = Hlaska(61).Cislo;
    std::vector<int> asked;
    auto libraries = [&](int jazyk) -> std::unique_ptr<TplgAktivniJazyk> {
        asked.push_back(jazyk);
        if (jazyk == 1033)
            return std::make_unique<FakeLibrary>(1033, std::map<int, std::string>{{w59, "Lower"}});
        if (jazyk == 4)
            return std::make_unique<FakeLibrary>(4, std::map<int, std::string>{{w61, "Z knižnice"}});
        return nullptr;
    };
    EXPECT_TRUE(PrepniJazyky(1033, 4, libraries));
    EXPECT_EQ(asked, (std::vector<int>{1033, 4}));
    EXPECT_EQ(TextHlasky(59), "Lower");
    EXPECT_EQ(TextHlasky(61), "Z knižnice");
    EXPECT_EQ(TextHlasky(62), "Verze pluginu je vyšší než verze v databázi!");

    // English library without the text: the built-in Slovak one comes before Czech.
    auto englishOnly = [&](int jazyk) -> std::unique_ptr<TplgAktivniJazyk> {
        if (jazyk == 1033)
            return std::make_unique<FakeLibrary>(1033, std::map<int, std::string>{{w59, "Lower"}});
        return nullptr;
    };
    EXPECT_TRUE(PrepniJazyky(1033, 4, englishOnly));
    EXPECT_EQ(TextHlasky(61), "Je potrebné spustiť inštaláciu pluginu!");

    // -2 keeps the current languages; the second one equal to the first is not loaded twice.
    asked.clear();
    EXPECT_TRUE(PrepniJazyky(-2, 1033, libraries));
    EXPECT_EQ(asked, (std::vector<int>{1033}));
}

TEST_F(Languages, ErrorTextsThatAreMessageNumbersAreTranslated) {
    PrepniJazyky(4, -1);
    EXPECT_EQ(PrelozChybu("5000061"), "Je potrebné spustiť inštaláciu pluginu!");
    EXPECT_EQ(PrelozChybu("5055000"), "Pridať do nápočtu");
    for (const char* kept :
         {"4999999", "5000300", "5000061 ", "x5000061", "", "Chyba", "99999999999999999999"})
        EXPECT_EQ(PrelozChybu(kept), kept);
}

TEST(FormatTest, FillsPlaceholdersInOrderAndByIndex) {
    EXPECT_EQ(Format("%s\r%s: %s", {"a", "b", "c"}), "a\rb: c");
    EXPECT_EQ(Format("IF x=%s SELECT %0:s, %s", {"N'P'", "1"}), "IF x=N'P' SELECT N'P', 1");
    EXPECT_EQ(Format("100%% %d", {"7"}), "100% 7");
    EXPECT_THROW(Format("%s %s", {"a"}), std::invalid_argument);
    EXPECT_THROW(Format("%x", {"a"}), std::invalid_argument);
    EXPECT_THROW(Format("50%", {}), std::invalid_argument);
}

} // namespace
