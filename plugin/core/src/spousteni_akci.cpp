// Commands of browse actions: the action object of the browse the command came from runs the
// action the host's table of actions names by its GUID.

#include "plg_run.h"

#include "plugin/core/moduly.h"
#include "plugin/definitions/browses.h"
#include "plugin/messages/hlasky.h"

namespace plugin {

namespace {

//! Browse numbers above this one are user browses (100000 + TabObecnyPrehled.Cislo).
constexpr int kPosledniPrehledHostitele = 99999;

//! The action object of the browse: a plug-in browse by its view, else the plug-in's actions on a
//! host browse by its number; nullptr when the plug-in has none there.
std::unique_ptr<TplgAkcePrehledu> AkcePrehledu(ITarvik& tarvik, int prehled) {
    if (prehled > kPosledniPrehledHostitele) {
        const auto browse = BrowsePodleView(tarvik.GetBrowseSysName());
        if (const auto& definice = Prehledy()[browse]; browse != bZadny && !definice.DMAkceClass.empty())
            return VytvorAkcePrehledu(tarvik, definice.DMAkceClass, definice.EditorClass, browse);
    }
    if (const auto* akce = ExtAkcePrehledu(prehled); akce && !akce->DMAkceClass.empty())
        return VytvorAkcePrehledu(tarvik, *akce);
    return nullptr;
}

} // namespace

void SpustAkciPrehledu(ITarvik& tarvik, int prehled, int extKomID) {
    auto radky = tarvik.OpenSQL(Format("SELECT CAST(CAST(GUID AS UNIQUEIDENTIFIER) AS NVARCHAR(36))\r"
                                       "FROM TabExtKom WHERE ID=%d",
                                       {std::to_string(extKomID)}));
    const auto hodnota = radky->FieldValue(0);
    const auto guid = "{" + (hodnota.isNull() ? std::string() : hodnota.asText()) + "}";
    if (auto akce = AkcePrehledu(tarvik, prehled)) akce->SpustAkci(guid);
}

} // namespace plugin
