#include "plugin/core/plg_konfig_base.h"

#include "common/ascii.h"
#include "common/utf.h"
#include "plugin/messages/hlasky.h"

namespace plugin {

namespace {

//! Length in characters of a UTF-8 text.
std::size_t delka(std::string_view text) {
    return common::Utf8ToUtf32(text).size();
}

bool zacinaNa(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           common::EqualsIgnoreCaseAscii(text.substr(0, prefix.size()), prefix);
}

//! One validation rule: when `porusena` holds, the line goes into the error text.
struct TPravidlo {
    bool porusena;
    const char* radek;
};

} // namespace

void TPluginKonfigBase::Create() {
    FPluginClass_ID = std::string(kPrazdneClassID);
    FPluginMinimalniPozadovanaVerzeSQLServeru = VerzeSQLServeru(9, 0, 0);
    FPluginPrefixTabulek = "Tab";
    NastavIdentitu();
    if (const auto chyby = ChybyKonfigurace(); !chyby.empty())
        throw EKonfigurace("Chyby konfigurace\r" + chyby);
    OdvodJmenaImportu();
}

std::string TPluginKonfigBase::ChybyKonfigurace() const {
    const auto verejneJmeno = GetPluginVerejneJmeno();
    const auto minSQL = FPluginMinimalniPozadovanaVerzeSQLServeru;
    // The public name becomes the host's group name of the plug-in's rows (30 characters), so
    // the rule allows what its line says.
    const TPravidlo pravidla[] = {
        {FPluginClass_ID == kPrazdneClassID, "- nevyplneno FPluginClass_ID (GUID pluginu)"},
        {FPluginSystemoveJmeno.empty(), "- nevyplneno FPluginSystemoveJmeno"},
        {delka(FPluginSystemoveJmeno) > 30, "- delka FPluginSystemoveJmeno muze byt max. 30 znaku"},
        {FPluginClassName.empty(), "- nevyplneno FPluginClassName"},
        {delka(FPluginClassName) > 30, "- delka FPluginClassName muze byt max. 30 znaku"},
        {verejneJmeno.empty(), "- nevyplneno GetPluginVerejneJmeno"},
        {delka(verejneJmeno) > 30, "- delka PluginVerejneJmeno muze byt max. 30 znaku"},
        {FPluginPrefixTabulek.empty(), "- nevyplneno FPluginPrefixTabulek"},
        {zacinaNa(FPluginPrefixTabulek, "V"), "- FPluginPrefixTabulek nesmi zacinat na 'V'"},
        {zacinaNa(FPluginPrefixTabulek, "hvw_"), "- FPluginPrefixTabulek nesmi zacinat na 'hvw_'"},
        {FPluginMinimalniPozadovanaVerzeTarviku == 0, "- nevyplneno FPluginMinimalniPozadovanaVerzeTarviku"},
        {minSQL == 0, "- nevyplneno FPluginMinimalniPozadovanaVerzeSQLServeru"},
        {minSQL != 0 && minSQL < VerzeSQLServeru(9, 0, 0),
         "- FPluginMinimalniPozadovanaVerzeSQLServeru - MS SQL 2005 ci nizsi uz nelze"},
    };
    std::string chyby;
    for (const auto& pravidlo : pravidla)
        if (pravidlo.porusena) chyby += std::string("\r") + pravidlo.radek;
    return chyby;
}

void TPluginKonfigBase::OdvodJmenaImportu() {
    auto jmeno = [](const std::string& zaklad, const char* pripona) {
        return zaklad.empty() ? std::string() : zaklad + pripona;
    };
    const auto& F = FPluginAutoImp_FileName_Formulare;
    FAutoImp_Formulare_Cesky = jmeno(F, ".HFMX");
    FAutoImp_Formulare_Jazyk = jmeno(F, "%.2d.HFMX");
    const auto& L = FPluginAutoImp_FileName_Filtry;
    FAutoImp_Filtry_Cesky = jmeno(L, ".HFLX");
    FAutoImp_FiltryN_Cesky = jmeno(L, "N.HFLX");
    FAutoImp_Filtry_Jazyk = jmeno(L, "%.2d.HFLX");
    FAutoImp_FiltryN_Jazyk = jmeno(L, "N%.2d.HFLX");
    const auto& O = FPluginAutoImp_FileName_Opisy;
    FAutoImp_Opisy_Cesky = jmeno(O, ".HDOX");
    FAutoImp_OpisyN_Cesky = jmeno(O, "N.HDOX");
    FAutoImp_Opisy_Jazyk = jmeno(O, "%.2d.HDOX");
    FAutoImp_OpisyN_Jazyk = jmeno(O, "N%.2d.HDOX");
}

std::string TPluginKonfigBase::PluginJazykoveDLL_Ext(int jazyk) const {
    auto jmeno = PluginJazykoveDLL(jazyk);
    if (jmeno.empty()) jmeno = Format("%sLng%d.so", {FPluginSystemoveJmeno, std::to_string(jazyk)});
    return jmeno;
}

} // namespace plugin
