#include "plugin/core/instalator.h"

#include "prostredi.h"

#include "plugin/core/verze.h"
#include "plugin/install/instalace.h"
#include "plugin/install/ui/instalace_ui.h"

#include <stdexcept>

namespace plugin {

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
    const auto instalacni = KonfiguraceInstalace(konfigurace);
    const auto vysledek = Instaluj(tarvik, instalacni, TDefiniceInstalace::Pluginu(),
                                   ticha || TichaInstalaceZPrikazoveRadky(ArgumentyProcesu()),
                                   [](QWidget& okno) { PripravOkno(okno); });
    if (vysledek.Konec == TKonecInstalace::Chyba) throw std::runtime_error(vysledek.Text);
}

} // namespace plugin
