// The installation record and the version checks of Run.

#include "plugin/core/plg_main.h"

#include "common/ascii.h"
#include "plugin/install/zaznam_instalace.h"
#include "plugin/messages/hlasky.h"

namespace plugin {

TStavInstalace PorovnejVerze(std::string_view verzeVDB, std::string_view vlastniVerze) {
    if (common::EqualsIgnoreCaseAscii(verzeVDB, vlastniVerze)) return TStavInstalace::Aktualni;
    return verzeVDB > vlastniVerze ? TStavInstalace::VDatabaziVyssi : TStavInstalace::VDatabaziNizsi;
}

TInstalace CtiInstalaci(ITarvik& tarvik, const TPluginKonfigBase& konfigurace) {
    auto radky = tarvik.OpenSQL(TextCteniVerze(konfigurace.PluginSystemoveJmeno()));
    TInstalace instalace;
    const auto verze = radky->FieldValue(0);
    const auto zmenyOK = radky->FieldValue(1);
    instalace.VerzeVDB = verze.isNull() ? "" : verze.asText();
    instalace.ZmenyOK = zmenyOK.isNull() ? 0 : static_cast<int>(zmenyOK.asInt());
    instalace.Stav = PorovnejVerze(instalace.VerzeVDB, FormatVerze(kVerzePluginu, 6));
    return instalace;
}

} // namespace plugin
