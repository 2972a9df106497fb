#include "plugin/core/plg_konfig.h"

#include "common/ascii.h"
#include "common/sql_text.h"
#include "plugin/messages/hlasky.h"

#include <memory>

namespace plugin {

namespace {

//! Index of the message "Historie verzí", whose text key names the version history.
constexpr int kHlaskaHistorieVerzi = 214;
//! Index of the message with the public name of the global settings table ("Nastavení").
constexpr int kHlaskaNastaveni = 241;

} // namespace

void TPluginKonfig::NastavIdentitu() {
    FPluginClass_ID = "{9F212AA7-3812-4F0B-A49A-C95AC7258877}";
    FPluginSystemoveJmeno = "PluginQuelta";
    FPluginClassName = "Quelta";
    FPluginIdentifikator = "Quelta";
    FPluginMinimalniPozadovanaVerzeTarviku = Verze(1, 0, 0x20090803);
    FPluginCopyrightVyrobce = "Copyright © 2012 Quelta s.r.o.";
}

std::string TPluginKonfig::GetPluginVerejneJmeno() const {
    return "PluginQuelta";
}

std::string TPluginKonfig::GetPluginTechnickyPopis() const {
    return "Plugin Quelta - technický popis";
}

std::string TPluginKonfig::GetPluginHistorieVerzi() const {
    return Hlaska(kHlaskaHistorieVerzi).Klic;
}

void TPluginKonfig::PluginConfiguration(ITarvik& tarvik) {
    tarvik.OpenBrowse(CisloDefinovanehoPrehledu(tarvik, kViewNastaveni, TextHlasky(kHlaskaNastaveni)), "");
}

std::string TPluginKonfig::PluginJazykoveDLL(int jazyk) const {
    return jazyk == 6 || jazyk == 1033 ? "PluginQueltaLngEN.so" : "";
}

std::string TPluginKonfig::PartnerIdentification() const {
    return "QUEL2012-07190";
}

TPluginKonfigBase& Konfigurace() {
    static std::unique_ptr<TPluginKonfig> instance;
    if (!instance) {
        auto konfigurace = std::make_unique<TPluginKonfig>();
        konfigurace->Create();
        instance = std::move(konfigurace);
    }
    return *instance;
}

int CisloDefinovanehoPrehledu(ITarvik& tarvik, std::string_view view, std::string_view nazevPrehledu) {
    if (view.size() < 4 || !common::EqualsIgnoreCaseAscii(view.substr(0, 4), "hvw_")) return 0;
    auto radky = tarvik.OpenSQL(
        Format("SELECT Cislo FROM TabObecnyPrehled WHERE NazevSys=%s", {common::SqlNString(view)}));
    if (radky->RecordCount() == 0 || radky->FieldValue(0).isNull())
        throw std::runtime_error(Format(TextHlasky(86), {view, nazevPrehledu}) + "\r\r\001" + TextHlasky(61) +
                                 "\001");
    return static_cast<int>(radky->FieldValue(0).asInt()) + 100000;
}

} // namespace plugin
