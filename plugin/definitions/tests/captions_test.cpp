// Captions, value lists and hints in the user's language.
#include "plugin/definitions/captions.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace plugin {
namespace {

// Answers with the request, so that a test sees which way each text took.
class ZdrojPopisku : public IZdrojPopisku {
public:
    std::string TextHlasky(int index) override { return "hlaska " + std::to_string(index); }
    std::string TextKlice(std::string_view klic) override { return "klic " + std::string(klic); }
    std::string PopisAtributu(std::string_view attr) override {
        if (selze) throw std::runtime_error("host failed");
        ++dotazu;
        return "popis " + std::string(attr);
    }
    std::string KonverzeAtributu(std::string_view attr) override { return "konverze " + std::string(attr); }
    bool selze = false;
    int dotazu = 0;
};

constexpr auto tTabulka = static_cast<TplgTabulka>(1);

TEST(Captions, EachTextTakesItsOwnSource) {
    const TplgAtributTabulky atributy[] = {
        {.JmenoSys = "Zprava",
         .JmenoVerejne = "nepouzity",
         .JmenoVerejneTxt = 12,
         .Typ = taInt,
         .TarvikAttr = "TabCisZam.Cislo"},
        {.JmenoSys = "Hostitel", .Typ = taInt, .Konverze = "0=ne", .TarvikAttr = "TabCisZam.Pohlavi"},
        {.JmenoSys = "Text",
         .JmenoVerejne = "Prostý text",
         .JmenoVerejneZkr = "{0C4A2E6B-1F0D-4B7A-9E0C-0B8C7D6E5F41}",
         .Typ = taInt,
         .Konverze = "0=Ne\r1=Ano",
         .Hint = "nápověda",
         .HintTxt = 7},
        {.JmenoSys = "Klic",
         .JmenoVerejne = "0c4a2e6b-1f0d-4b7a-9e0c-0b8c7d6e5f41",
         .Typ = taInt,
         .KonverzeTxt = 174},
    };
    const TplgTabulkaDef tabulka{
        .SelfIdent = tTabulka, .JmenoSys = "T", .Jmeno = "Tabulka", .Atributy = atributy};
    const TplgTabulkaDef* registr[] = {nullptr, &tabulka};
    const auto schema = TplgSchema::Odvod(registr, {});
    ZdrojPopisku zdroj;
    const auto popisky = PrelozPopisky(*schema, zdroj);
    ASSERT_EQ(popisky.Tabulky.size(), 2u);
    EXPECT_EQ(popisky.Tabulky[1].Jmeno, "Tabulka");
    const auto& a = popisky.Tabulky[1].Atributy;
    ASSERT_EQ(a.size(), 4u);
    EXPECT_EQ(a[0].JmenoVerejne, "hlaska 12"); // the message wins over the host
    EXPECT_EQ(a[0].Konverze, "konverze TabCisZam.Cislo");
    EXPECT_EQ(a[1].JmenoVerejne, "popis TabCisZam.Pohlavi"); // from the host
    EXPECT_EQ(a[1].Konverze, "konverze TabCisZam.Pohlavi");  // the host's list wins over the own
    EXPECT_EQ(a[2].JmenoVerejne, "Prostý text");
    EXPECT_EQ(a[2].JmenoVerejneZkr, "klic 0C4A2E6B-1F0D-4B7A-9E0C-0B8C7D6E5F41");
    EXPECT_EQ(a[2].Konverze, "0=Ne\r1=Ano");
    EXPECT_EQ(a[2].Hint, "hlaska 7");
    EXPECT_EQ(a[3].JmenoVerejne, "klic 0c4a2e6b-1f0d-4b7a-9e0c-0b8c7d6e5f41");
    EXPECT_EQ(a[3].Konverze, "hlaska 174");
    EXPECT_EQ(popisky.Atribut(*schema, tTabulka, "TEXT")->Hint, "hlaska 7");
    EXPECT_EQ(popisky.Atribut(*schema, tTabulka, "Neni"), nullptr);

    zdroj.selze = true;
    EXPECT_THROW(PrelozPopisky(*schema, zdroj), std::runtime_error);
}

TEST(Captions, MessageKeysAreGuids) {
    EXPECT_TRUE(JeKlicHlasky("{CC12ADED-9A74-4F31-B403-5A6F6C7BD17E}"));
    EXPECT_TRUE(JeKlicHlasky("cc12aded-9a74-4f31-b403-5a6f6c7bd17e"));
    for (const auto* text :
         {"", "Stav", "{CC12ADED-9A74-4F31-B403-5A6F6C7BD17E", "CC12ADED-9A74-4F31-B403-5A6F6C7BD17",
          "CC12ADED+9A74-4F31-B403-5A6F6C7BD17E", "GC12ADED-9A74-4F31-B403-5A6F6C7BD17E"})
        EXPECT_FALSE(JeKlicHlasky(text)) << text;
}

TEST(Captions, PluginTablesAfterALanguageChange) {
    const auto predtim = PopiskyTabulek();
    ASSERT_NE(predtim, nullptr);
    const auto& schema = EfektivniSchema();
    EXPECT_EQ(predtim->Tabulky[tQUELTAKonverzeVztah].Jmeno, "Konverze (rodinní příslušníci - vztah)");
    EXPECT_EQ(predtim->Atribut(schema, tQUELTAZamPortal, "ID")->JmenoVerejne, "");

    ZdrojPopisku zdroj;
    PrelozPopiskyTabulek(zdroj);
    const auto potom = PopiskyTabulek();
    EXPECT_EQ(potom->Tabulky[tQUELTAZamPortal].Jmeno, "hlaska 253");
    const auto* id = potom->Atribut(schema, tQUELTAZamPortal, "ID");
    EXPECT_EQ(id->JmenoVerejne, "hlaska 73");
    EXPECT_EQ(id->JmenoVerejneZkr, "hlaska 74");
    const auto* stav = potom->Atribut(schema, tQUELTAZamPortal, "Stav");
    EXPECT_EQ(stav->JmenoVerejne, "Stav");
    EXPECT_EQ(stav->Konverze, "hlaska 174");
    EXPECT_EQ(potom->Atribut(schema, tQUELTAZamPortal, "Utvar")->JmenoVerejne, "popis TabCisZam.Stredisko");
    EXPECT_EQ(potom->Atribut(schema, tQUELTAWSPreProcess, "employeeErpPk")->JmenoVerejneZkr, "hlaska 197");
    EXPECT_EQ(potom->Atribut(schema, tQUELTAZamPortal, "TextChyby")->JmenoVerejne, "Text chyby");
    // Every source attribute of the plug-in is asked once per translation.
    EXPECT_EQ(zdroj.dotazu, 48);
    // Those who hold the earlier texts keep them.
    EXPECT_EQ(predtim->Tabulky[tQUELTAZamPortal].Jmeno, "");
}

} // namespace
} // namespace plugin
