#include "plugin/install/ui/instalace_ui.h"

#include "plugin/install/bez_obrazovky.h"
#include "plugin/install/ui/frm_instalace.h"

#include <QApplication>

namespace plugin {

TplgVysledekInstalace Instaluj(ITarvik& tarvik, const TInstalacniKonfigurace& konfigurace,
                               const TDefiniceInstalace& definice, bool ticha,
                               const TPripravOkna& pripravOkna) {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        TplgOknoBezObrazovky okno(tarvik, ticha);
        TplgInstalace instalace(tarvik, konfigurace, definice, okno, ticha);
        instalace.Priprav();
        return instalace.Spustit();
    }
    TfrmInstalace okno(tarvik, konfigurace, definice, ticha, pripravOkna);
    okno.exec();
    return okno.Vysledek();
}

} // namespace plugin
