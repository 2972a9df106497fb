#include "plugin/core/plg_konfig.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

namespace {

using namespace plugin;

//! A configuration whose identity a test changes after the valid defaults are set.
class TestKonfig : public TPluginKonfigBase {
public:
    explicit TestKonfig(std::function<void(TestKonfig&)> zmena = {}, std::string verejneJmeno = "Test")
        : zmena_(std::move(zmena))
        , verejneJmeno_(std::move(verejneJmeno)) {}
    std::string GetPluginVerejneJmeno() const override { return verejneJmeno_; }
    std::string PartnerIdentification() const override { return "TEST0000-00000"; }

    std::string& classId() { return FPluginClass_ID; }
    std::string& systemoveJmeno() { return FPluginSystemoveJmeno; }
    std::string& className() { return FPluginClassName; }
    std::string& prefix() { return FPluginPrefixTabulek; }
    TVerze& minTarvik() { return FPluginMinimalniPozadovanaVerzeTarviku; }
    std::uint32_t& minSQL() { return FPluginMinimalniPozadovanaVerzeSQLServeru; }
    std::string& formulare() { return FPluginAutoImp_FileName_Formulare; }
    std::string& filtry() { return FPluginAutoImp_FileName_Filtry; }

protected:
    void NastavIdentitu() override {
        FPluginClass_ID = "{11111111-2222-3333-4444-555555555555}";
        FPluginSystemoveJmeno = "PluginTest";
        FPluginClassName = "Test";
        FPluginMinimalniPozadovanaVerzeTarviku = Verze(2, 0, 0x20110908);
        if (zmena_) zmena_(*this);
    }

private:
    std::function<void(TestKonfig&)> zmena_;
    std::string verejneJmeno_;
};

std::string chyby(TestKonfig k) {
    try {
        k.Create();
    } catch (const EKonfigurace& e) {
        return e.what();
    }
    return {};
}

TEST(Configuration, ThisPluginIsValid) {
    const auto& k = Konfigurace();
    EXPECT_EQ(k.PluginClass_ID(), "{9F212AA7-3812-4F0B-A49A-C95AC7258877}");
    EXPECT_EQ(k.PluginSystemoveJmeno(), "PluginQuelta");
    EXPECT_EQ(k.PluginClassName(), "Quelta");
    EXPECT_EQ(k.PluginIdentifikator(), "Quelta");
    EXPECT_EQ(k.PluginPrefixTabulek(), "Tab");
    EXPECT_EQ(k.PluginMinimalniPozadovanaVerzeTarviku(), Verze(1, 0, 0x20090803));
    EXPECT_EQ(k.PluginMinimalniPozadovanaVerzeSQLServeru(), VerzeSQLServeru(9, 0, 0));
    EXPECT_EQ(k.PluginVerejneJmeno(), "PluginQuelta");
    EXPECT_EQ(k.PluginHistorieVerzi(), "95E36251-BEF2-4520-9980-46D6A9CEE017");
    EXPECT_EQ(k.PluginProgressBarColor(), 0xFFFFFFu);
    EXPECT_EQ(k.AutoImp_Formulare_Cesky(), "");
    const auto partner = k.PartnerIdentification();
    ASSERT_EQ(partner.size(), 14u);
    for (std::size_t i = 0; i < partner.size(); ++i) {
        if (i < 4)
            EXPECT_TRUE(std::isalpha(static_cast<unsigned char>(partner[i]))) << partner;
        else if (i == 8)
            EXPECT_EQ(partner[i], '-');
        else
            EXPECT_TRUE(std::isdigit(static_cast<unsigned char>(partner[i]))) << partner;
    }
    EXPECT_EQ(k.PluginJazykoveDLL_Ext(4), "PluginQueltaLng4.so");
    EXPECT_EQ(k.PluginJazykoveDLL_Ext(1033), k.PluginJazykoveDLL_Ext(6));
    EXPECT_NE(k.PluginJazykoveDLL_Ext(1033), "PluginQueltaLng1033.so");
}

TEST(Configuration, EachBrokenRuleAddsItsLine) {
    struct Case {
        std::function<void(TestKonfig&)> zmena;
        const char* radek;
    };
    const Case cases[] = {
        {[](TestKonfig& k) { k.systemoveJmeno() = std::string(31, 'S'); },
         "- delka FPluginSystemoveJmeno muze byt max. 30 znaku"},
        {[](TestKonfig& k) { k.classId() = std::string(kPrazdneClassID); },
         "- nevyplneno FPluginClass_ID (GUID pluginu)"},
        {[](TestKonfig& k) { k.systemoveJmeno().clear(); }, "- nevyplneno FPluginSystemoveJmeno"},
        {[](TestKonfig& k) { k.className().clear(); }, "- nevyplneno FPluginClassName"},
        {[](TestKonfig& k) { k.className() = std::string(31, 'C'); },
         "- delka FPluginClassName muze byt max. 30 znaku"},
        {[](TestKonfig& k) { k.prefix().clear(); }, "- nevyplneno FPluginPrefixTabulek"},
        {[](TestKonfig& k) { k.prefix() = "VTab"; }, "- FPluginPrefixTabulek nesmi zacinat na 'V'"},
        {[](TestKonfig& k) { k.prefix() = "hvw_Tab"; }, "- FPluginPrefixTabulek nesmi zacinat na 'hvw_'"},
        {[](TestKonfig& k) { k.minTarvik() = 0; }, "- nevyplneno FPluginMinimalniPozadovanaVerzeTarviku"},
        {[](TestKonfig& k) { k.minSQL() = 0; }, "- nevyplneno FPluginMinimalniPozadovanaVerzeSQLServeru"},
        {[](TestKonfig& k) { k.minSQL() = VerzeSQLServeru(8, 0, 2039); },
         "- FPluginMinimalniPozadovanaVerzeSQLServeru - MS SQL 2005 ci nizsi uz nelze"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(chyby(TestKonfig(c.zmena)), std::string("Chyby konfigurace\r\r") + c.radek);

    // A 30-character name in multi-byte characters is within the limit.
    EXPECT_EQ(chyby(TestKonfig([](TestKonfig& k) {
                  k.systemoveJmeno().clear();
                  for (int i = 0; i < 30; ++i)
                      k.systemoveJmeno() += "Ř";
              })),
              "");
    EXPECT_EQ(chyby(TestKonfig({}, "")), "Chyby konfigurace\r\r- nevyplneno GetPluginVerejneJmeno");
    EXPECT_EQ(chyby(TestKonfig({}, std::string(31, 'P'))),
              "Chyby konfigurace\r\r- delka PluginVerejneJmeno muze byt max. 30 znaku");
    EXPECT_EQ(chyby(TestKonfig([](TestKonfig& k) {
                  k.systemoveJmeno().clear();
                  k.className().clear();
              })),
              "Chyby konfigurace\r\r- nevyplneno FPluginSystemoveJmeno\r- nevyplneno FPluginClassName");
}

TEST(Configuration, ImportFileNamesDerivedFromTheirBase) {
    TestKonfig k([](TestKonfig& t) {
        t.formulare() = "Quelta";
        t.filtry() = "QueltaF";
    });
    k.Create();
    EXPECT_EQ(k.AutoImp_Formulare_Cesky(), "Quelta.HFMX");
    EXPECT_EQ(k.AutoImp_Formulare_Jazyk(), "Quelta%.2d.HFMX");
    EXPECT_EQ(k.AutoImp_Filtry_Cesky(), "QueltaF.HFLX");
    EXPECT_EQ(k.AutoImp_FiltryN_Cesky(), "QueltaFN.HFLX");
    EXPECT_EQ(k.AutoImp_Filtry_Jazyk(), "QueltaF%.2d.HFLX");
    EXPECT_EQ(k.AutoImp_FiltryN_Jazyk(), "QueltaFN%.2d.HFLX");
    EXPECT_EQ(k.AutoImp_Opisy_Cesky(), "");
    EXPECT_EQ(k.AutoImp_OpisyN_Jazyk(), "");
}

} // namespace
