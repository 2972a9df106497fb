// The script list's sections, the walk over two sorted lists and the step table.

#include "plugin/install/kroky.h"
#include "plugin/install/skript_zmen.h"

#include "prochazeni.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace plugin {
namespace {

std::vector<std::string> Texty(const TplgSkript& skript) {
    std::vector<std::string> texty;
    for (const auto& prikaz : skript.Prikazy())
        texty.push_back(prikaz.Text);
    return texty;
}

TEST(TplgSkript, PlacementsKeepDropsBeforeAdditions) {
    TplgSkript skript;
    // In the order a check meets them: a column dropped, a computed column re-made, a column
    // added, a constraint dropped, a trigger changed, a constraint added.
    skript.Pridej(TUmisteni::KonecZacatku, "drop column");
    skript.Pridej(TUmisteni::Zacatek, "drop computed");
    skript.Pridej(TUmisteni::Konec, "add computed");
    skript.Pridej(TUmisteni::Stred, "add column");
    skript.Pridej(TUmisteni::KonecZacatku, "drop constraint");
    skript.Pridej(TUmisteni::Konec, "alter trigger");
    skript.Pridej(TUmisteni::Stred, "add constraint");
    skript.Pridej(TUmisteni::Zacatek, "drop second computed");
    EXPECT_EQ(Texty(skript), (std::vector<std::string>{"drop second computed", "drop computed",
                                                       "drop constraint", "drop column", "add column",
                                                       "add constraint", "add computed", "alter trigger"}));
    EXPECT_EQ(skript.IndexZacatek(), 2);
    EXPECT_EQ(skript.IndexKonec(), 2);
    // Numbers tell equal texts apart.
    const auto a = skript.Pridej(TUmisteni::Stred, "same");
    const auto b = skript.Pridej(TUmisteni::Stred, "same");
    EXPECT_NE(a, b);
}

TEST(TplgVysvetleni, ChildrenKeepTheirFirstOrderAndMeetIgnoringCase) {
    TplgVysvetleni koren;
    koren.Dite("TabB").Dite("Kod");
    koren.Dite("TabA");
    koren.Dite("tabb").Dite("KOD").Prikazy.push_back(1);
    ASSERT_EQ(koren.Deti.size(), 2u);
    EXPECT_EQ(koren.Deti[0].Text, "TabB");
    ASSERT_EQ(koren.Deti[0].Deti.size(), 1u);
    EXPECT_EQ(koren.Deti[0].Deti[0].Prikazy, std::vector<int>{1});
}

std::string Projdi(const std::vector<std::string>& definice, const std::vector<std::string>& katalog,
                   instalace::TNejdriv nejdriv = instalace::TNejdriv::Definice) {
    std::string vysledek;
    instalace::ProjdiSerazene(
        definice, katalog, [](const std::string& d, const std::string& k) { return d == k; },
        [&](const std::string& d, const std::string&) { vysledek += "=" + d + " "; },
        [&](const std::string& d) { vysledek += "+" + d + " "; },
        [&](const std::string& k) { vysledek += "-" + k + " "; }, nejdriv);
    return vysledek;
}

TEST(ProjdiSerazene, ReportsMatchesMissingAndSuperfluousEntries) {
    struct TPripad {
        const char* nazev;
        std::vector<std::string> definice;
        std::vector<std::string> katalog;
        std::string definiceNejdriv;
        std::string katalogNejdriv;
    };
    const TPripad pripady[] = {
        {"equal", {"a", "b"}, {"a", "b"}, "=a =b ", "=a =b "},
        {"missing in the middle", {"a", "b", "c"}, {"a", "c"}, "=a +b =c ", "=a +b =c "},
        {"superfluous in the middle", {"a", "c"}, {"a", "b", "c"}, "=a -b =c ", "=a -b =c "},
        {"neither found ahead", {"a", "x"}, {"a", "y"}, "=a +x -y ", "=a +x -y "},
        {"no match at all", {"a", "b"}, {"c"}, "+a -c +b ", "+a -c +b "},
        {"leftovers", {"a", "b", "c"}, {"a"}, "=a +b +c ", "=a +b +c "},
        {"empty catalog", {"a"}, {}, "+a ", "+a "},
        {"empty definitions", {}, {"a"}, "-a ", "-a "},
        // Both look-aheads would succeed: the one tried first decides.
        {"crossed", {"a", "b"}, {"b", "a"}, "+a =b -a ", "-b =a +b "},
    };
    for (const auto& pripad : pripady) {
        SCOPED_TRACE(pripad.nazev);
        EXPECT_EQ(Projdi(pripad.definice, pripad.katalog), pripad.definiceNejdriv);
        EXPECT_EQ(Projdi(pripad.definice, pripad.katalog, instalace::TNejdriv::Katalog),
                  pripad.katalogNejdriv);
    }
}

TEST(TplgKrokyInstalace, HoldsTwelveStepsAtMost) {
    TplgKrokyInstalace kroky;
    for (int i = 0; i < 12; ++i)
        kroky.Registruj("krok " + std::to_string(i + 1), [] { return true; });
    EXPECT_EQ(kroky.Pocet(), 12u);
    EXPECT_EQ(kroky[11].Popis, "krok 12");
    try {
        kroky.Registruj("krok 13", [] { return true; });
        FAIL() << "a thirteenth step was accepted";
    } catch (const std::logic_error& e) {
        EXPECT_STREQ(e.what(), "Chybny pocet kroku !!");
    }
}

} // namespace
} // namespace plugin
