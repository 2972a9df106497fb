#include "plugin/messages/hlasky.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <set>
#include <string>

namespace {

using plugin::Hlaska;
using plugin::kPocetHlasek;
using plugin::TabulkaHlasek;

TEST(MessageTable, EveryIndexHasBothTextsAndItsStoredNumber) {
    ASSERT_EQ(TabulkaHlasek().size(), static_cast<std::size_t>(kPocetHlasek));
    std::set<int> numbers;
    for (int n = 1; n <= kPocetHlasek; ++n) {
        const auto& h = Hlaska(n);
        SCOPED_TRACE("message " + std::to_string(n));
        EXPECT_EQ(h.Index, n);
        EXPECT_NE(std::string(h.Cesky), "");
        EXPECT_NE(std::string(h.Slovensky), "");
        EXPECT_EQ(h.Cislo, n <= 170 ? 5000000 + n : 5055000 + (n - 171));
        EXPECT_TRUE(numbers.insert(h.Cislo).second);
    }
    EXPECT_THROW(Hlaska(0), std::out_of_range);
    EXPECT_THROW(Hlaska(269), std::out_of_range);
}

TEST(MessageTable, SlovakTextsAreNotCzechCopies) {
    // Slovak has none of these letters; a text carrying one was copied, not translated.
    for (const auto& h : TabulkaHlasek())
        for (const char* czechOnly : {"ě", "ř", "ů", "Ř", "Ě"})
            EXPECT_EQ(std::string(h.Slovensky).find(czechOnly), std::string::npos)
                << "message " << h.Index << ": " << h.Slovensky;
}

TEST(MessageTable, KeysAreUniqueGuidsOfTheRegisteredMessages) {
    const std::regex guid("[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}");
    std::set<std::string> keys;
    for (const auto& h : TabulkaHlasek()) {
        const std::string key = h.Klic;
        const bool registered = (h.Index >= 11 && h.Index <= 13) || h.Index >= 171;
        if (!registered) {
            EXPECT_EQ(key, "") << "message " << h.Index;
            continue;
        }
        EXPECT_TRUE(std::regex_match(key, guid)) << "message " << h.Index << ": " << key;
        EXPECT_TRUE(keys.insert(key).second) << "message " << h.Index << " repeats " << key;
    }
    EXPECT_EQ(keys.size(), 101u);
}

TEST(MessageTable, KeepsTheKeysOtherModulesRegisterBy) {
    const std::map<int, std::string> given = {
        {175, "7DAFCC43-C299-4FD2-AF57-7A167B0254B4"}, {179, "9737F06E-2CFF-4DBC-8FB0-3F02E5F29008"},
        {180, "16EB8109-83A7-4D41-970D-40C4E2A7F1E0"}, {181, "12811ABC-0BAD-45D1-A60B-0AF9D4EAC2C9"},
        {182, "1E9D040A-E296-48A6-8783-43C53403CFE4"}, {188, "168A5DF6-451B-4030-A40C-893279213840"},
        {214, "95E36251-BEF2-4520-9980-46D6A9CEE017"},
    };
    for (const auto& [index, key] : given)
        EXPECT_EQ(Hlaska(index).Klic, key) << "message " << index;
    EXPECT_EQ(plugin::HlaskaPodleKlice("{7dafcc43-c299-4fd2-af57-7a167b0254b4}"), &Hlaska(175));
    EXPECT_EQ(plugin::HlaskaPodleKlice("7DAFCC43-C299-4FD2-AF57-7A167B0254B4"), &Hlaska(175));
    EXPECT_EQ(plugin::HlaskaPodleKlice(""), nullptr);
    EXPECT_EQ(plugin::HlaskaPodleKlice("{}"), nullptr);
    EXPECT_EQ(plugin::HlaskaPodleKlice("00000000-0000-0000-0000-000000000000"), nullptr);
    EXPECT_STREQ(Hlaska(214).Cesky, "Historie verzí");
}

TEST(MessageTable, RunAndConfigurationTextsAreExact) {
    const std::map<int, std::string> texts = {
        {8, "Plugin vyžaduje minimální verzi Tarviku \001%s\001 !"},
        {57, "Verze v DB"},
        {58, "Verze pluginu"},
        {59, "Verze pluginu je nižší než verze v databázi!"},
        {61, "Je třeba spustit instalaci pluginu!"},
        {62, "Verze pluginu je vyšší než verze v databázi!"},
        {63, "Při minulé instalaci nebyly korektně provedeny všechny změny!"},
        {86, "Nebyl nalezen def.přehled \001%s\001 (%s)!"},
        {105, "Plugin vyžaduje MS SQL Server verze minimálně \001%s\001!"},
        {174, "0=Vložen\r1=Odsouhlasen\r2=Přenesen"},
    };
    for (const auto& [index, text] : texts)
        EXPECT_EQ(Hlaska(index).Cesky, text) << "message " << index;
}

TEST(MessageTable, PlaceholdersMatchBetweenLanguages) {
    // A translation that loses or adds a placeholder breaks the formatting of its message.
    const std::regex placeholder("%[0-9]*:?[sd]|\001");
    auto shape = [&](const std::string& text) {
        std::string out;
        for (std::sregex_iterator i(text.begin(), text.end(), placeholder), end; i != end; ++i)
            out += i->str();
        return out;
    };
    for (const auto& h : TabulkaHlasek())
        EXPECT_EQ(shape(h.Cesky), shape(h.Slovensky)) << "message " << h.Index;
}

} // namespace
