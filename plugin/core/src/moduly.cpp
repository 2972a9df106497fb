#include "plugin/core/moduly.h"

#include "plugin/messages/hlasky.h"

#include <map>
#include <string>

namespace plugin {

namespace {

std::map<std::string, TVytvorAkcePrehledu, std::less<>>& moduly() {
    static std::map<std::string, TVytvorAkcePrehledu, std::less<>> instance;
    return instance;
}

} // namespace

void RegistrujModul(std::string_view trida, TVytvorAkcePrehledu vytvor) {
    moduly().insert_or_assign(std::string(trida), std::move(vytvor));
}

void OdeberModul(std::string_view trida) {
    if (const auto i = moduly().find(trida); i != moduly().end()) moduly().erase(i);
}

std::unique_ptr<TplgAkcePrehledu> VytvorAkcePrehledu(ITarvik& tarvik, std::string_view trida,
                                                     std::string_view editorClass, TplgBrowse browse) {
    if (const auto i = moduly().find(trida); i != moduly().end())
        return i->second(tarvik, editorClass, browse);
    return std::make_unique<TplgAkceBezModulu>(tarvik, trida, editorClass, browse);
}

std::unique_ptr<TplgAkcePrehledu> VytvorAkcePrehledu(ITarvik& tarvik, const TplgExtAkceDef& akce) {
    return VytvorAkcePrehledu(tarvik, akce.DMAkceClass, akce.EditorClass, bZadny);
}

TplgAkceBezModulu::TplgAkceBezModulu(ITarvik& tarvik, std::string_view trida, std::string_view editorClass,
                                     TplgBrowse browse)
    : TplgAkcePrehledu(tarvik, std::string(trida), std::string(editorClass), browse) {
    const auto* definice = TridaAkci(trida);
    if (!definice) return;
    for (const auto& akce : definice->Akce) {
        const auto nazev = akce.NazevTxt != 0 ? TextHlasky(akce.NazevTxt) : std::string(akce.Nazev);
        PridejAkci(akce, [this, nazev] { NeniKDispozici(nazev); });
    }
}

} // namespace plugin
