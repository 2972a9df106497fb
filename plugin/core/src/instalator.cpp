#include "plugin/core/instalator.h"

#include "plg_run.h"
#include "prostredi.h"

#include "plugin/core/moduly.h"
#include "plugin/core/verze.h"
#include "plugin/install/instalace.h"
#include "plugin/install/registrace_pluginu.h"
#include "plugin/install/ui/instalace_ui.h"

#include <stdexcept>

namespace plugin {

namespace {

//! The registration statements of the browses' action objects: each object, made as for an
//! action, answers the registration request.
class TZdrojAkci : public IZdrojAkci {
public:
    std::string SkriptAkciPrehledu(ITarvik& tarvik, const TplgVychoziNastaveniBrowse& prehled) override {
        if (prehled.DMAkceClass.empty()) return {};
        return VytvorAkcePrehledu(tarvik, prehled.DMAkceClass, prehled.EditorClass, prehled.SelfIdent)
            ->SpustAkci(kGUIDRegistraceAkci);
    }
    std::string SkriptAkciHostitele(ITarvik& tarvik, const TplgExtAkceDef& akce) override {
        if (akce.DMAkceClass.empty()) return {};
        return VytvorAkcePrehledu(tarvik, akce)->SpustAkci(kGUIDRegistraceAkci);
    }
};

} // namespace

TInstalacniKonfigurace KonfiguraceInstalace(TPluginKonfigBase& konfigurace) {
    TInstalacniKonfigurace instalacni;
    instalacni.Identita = {konfigurace.PluginSystemoveJmeno(), konfigurace.PluginClassName(),
                           konfigurace.PluginVerejneJmeno()};
    instalacni.Verze = TextVerze(kVerzePluginu);
    instalacni.ZobrazovanaVerze = ZobrazovanaVerze();
    instalacni.PrefixTabulek = konfigurace.PluginPrefixTabulek();
    instalacni.Logo = konfigurace.PluginLogo();
    instalacni.BarvaPrubehu = konfigurace.PluginProgressBarColor();
    instalacni.VlastniInstalacniSkript = konfigurace.VlastniInstalacniSkript();
    instalacni.VlastniInstalacniProcedura = [&konfigurace](ITarvik& tarvik) {
        return konfigurace.VlastniInstalacniProcedura(tarvik);
    };
    return instalacni;
}

void SpustInstalator(ITarvik& tarvik, TPluginKonfigBase& konfigurace, bool ticha) {
    auto instalacni = KonfiguraceInstalace(konfigurace);
    instalacni.JazykoveKnihovny = JazykoveKnihovny(tarvik, konfigurace);
    TZdrojAkci akce;
    TplgRegistracePluginu registrace(akce);
    auto definice = TDefiniceInstalace::Pluginu();
    definice.Registrace = &registrace;
    const auto vysledek =
        Instaluj(tarvik, instalacni, definice, ticha || TichaInstalaceZPrikazoveRadky(ArgumentyProcesu()),
                 [](QWidget& okno) { PripravOkno(okno); });
    if (vysledek.Konec == TKonecInstalace::Chyba) throw std::runtime_error(vysledek.Text);
}

} // namespace plugin
