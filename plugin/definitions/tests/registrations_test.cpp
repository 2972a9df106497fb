// The browse, action and registration tables hold together: the columns a browse shows, sorts
// and filters by exist in its main table, every action class named exists and is named, every
// GUID is well formed and used once.
#include "plugin/definitions/actions.h"
#include "plugin/definitions/browses.h"
#include "plugin/definitions/registrations.h"
#include "plugin/definitions/schema.h"

#include <gtest/gtest.h>

#include <cctype>
#include <set>
#include <string>
#include <vector>

namespace plugin {
namespace {

std::vector<std::string> Radky(std::string_view text) {
    std::vector<std::string> radky;
    while (!text.empty()) {
        const auto konec = text.find('\r');
        radky.emplace_back(text.substr(0, konec));
        text = konec == std::string_view::npos ? std::string_view() : text.substr(konec + 1);
    }
    return radky;
}

bool JeGUID(std::string_view text) {
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return false;
    for (std::size_t i = 1; i < 37; ++i) {
        const bool pomlcka = i == 9 || i == 14 || i == 19 || i == 24;
        if (pomlcka ? text[i] != '-'
                    : !std::isxdigit(static_cast<unsigned char>(text[i])) ||
                          std::islower(static_cast<unsigned char>(text[i])))
            return false;
    }
    return true;
}

TEST(Prehledy, ColumnsShownSortedAndFilteredExistInTheMainTable) {
    const auto& schema = EfektivniSchema();
    for (const auto& prehled : Prehledy().subspan(1)) {
        SCOPED_TRACE(std::string(prehled.JmenoView()));
        ASSERT_NE(schema.Tabulka(prehled.HlavniTabulka()), nullptr);
        EXPECT_EQ(prehled.BlobTableName, schema.JmenoSys(prehled.HlavniTabulka()));
        auto sloupce = Radky(prehled.SELECT);
        for (auto razeni : Radky(prehled.ORDERBY)) {
            for (const char* smer : {" ASC", " DESC"})
                if (razeni.ends_with(smer)) razeni.resize(razeni.size() - std::string_view(smer).size());
            sloupce.push_back(razeni);
        }
        for (const auto& filtr : prehled.AttrFor_sql)
            if (!filtr.empty()) sloupce.emplace_back(filtr);
        EXPECT_FALSE(sloupce.empty());
        for (const auto& sloupec : sloupce)
            EXPECT_NE(schema.Atribut(prehled.HlavniTabulka(), sloupec), nullptr) << sloupec;
    }
}

TEST(Prehledy, EveryActionClassNamedExistsAndIsNamed) {
    std::set<std::string_view> pojmenovane;
    for (const auto& prehled : Prehledy().subspan(1))
        pojmenovane.insert(prehled.DMAkceClass);
    for (const auto& akce : ExtAkce().subspan(1)) {
        EXPECT_NE(akce.BrowseID, 0);
        EXPECT_EQ(ExtAkcePrehledu(akce.BrowseID), &akce) << akce.BrowseID << " is listed twice";
        pojmenovane.insert(akce.DMAkceClass);
    }
    std::set<std::string_view> definovane;
    for (const auto& trida : TridyAkci()) {
        EXPECT_TRUE(definovane.insert(trida.Jmeno).second) << trida.Jmeno;
        EXPECT_FALSE(trida.Akce.empty()) << trida.Jmeno;
        EXPECT_EQ(TridaAkci(trida.Jmeno), &trida);
    }
    EXPECT_EQ(pojmenovane, definovane);
    EXPECT_EQ(ExtAkcePrehledu(871), nullptr);
}

TEST(Prehledy, EveryGUIDIsWellFormedAndUsedOnce) {
    std::vector<std::string_view> guidy;
    for (const auto& prehled : Prehledy().subspan(1))
        for (const auto guid : {prehled.GUID_ActionNew, prehled.GUID_ActionEdit, prehled.GUID_ActionDelete})
            if (!guid.empty()) guidy.push_back(guid);
    for (const auto& trida : TridyAkci())
        for (const auto& akce : trida.Akce)
            guidy.push_back(akce.GUID);
    for (const auto& vztah : Vztahy().subspan(1))
        guidy.push_back(vztah.GUIDVazby);
    guidy.push_back(kGUIDRegistraceAkci);
    // 4 standard actions, 68 - 4 = 64 of the classes, 3 relations, the registration request.
    EXPECT_EQ(guidy.size(), 4u + 64u + 3u + 1u);
    std::set<std::string_view> jednou;
    for (const auto guid : guidy) {
        EXPECT_TRUE(JeGUID(guid)) << guid;
        EXPECT_TRUE(jednou.insert(guid).second) << guid;
    }
}

TEST(ExterniAtributy, StoredOnHostTablesComputedWithAnExpression) {
    int ulozene = 0, pocitane = 0;
    for (const auto& atribut : ExterniAtributy().subspan(1)) {
        SCOPED_TRACE(std::string(atribut.JmenoTabulky) + "." + std::string(atribut.JmenoSys));
        if (atribut.JePocitany()) {
            ++pocitane;
            EXPECT_EQ(atribut.Typ, taBlbe);
            EXPECT_FALSE(atribut.ExtEd_Atr.empty());
        } else {
            ++ulozene;
            EXPECT_EQ(atribut.TypExtAtr, eaNormal);
            EXPECT_NE(atribut.Typ, taBlbe);
            EXPECT_TRUE(atribut.JmenoTabulky.starts_with("Tab")) << "only host tables have extension tables";
        }
    }
    EXPECT_EQ(ulozene, 26);
    EXPECT_EQ(pocitane, 5);
    EXPECT_EQ(JazykyHostitele().front(), 0);
    EXPECT_EQ(JazykyHostitele().size(), 38u);
}

} // namespace
} // namespace plugin
