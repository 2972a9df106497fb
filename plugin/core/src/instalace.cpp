// The installation record and the version checks of Run.

#include "plugin/core/plg_main.h"

#include "common/ascii.h"
#include "common/sql_text.h"
#include "plugin/messages/hlasky.h"

namespace plugin {

TStavInstalace PorovnejVerze(std::string_view verzeVDB, std::string_view vlastniVerze) {
    if (common::EqualsIgnoreCaseAscii(verzeVDB, vlastniVerze)) return TStavInstalace::Aktualni;
    return verzeVDB > vlastniVerze ? TStavInstalace::VDatabaziVyssi : TStavInstalace::VDatabaziNizsi;
}

TInstalace CtiInstalaci(ITarvik& tarvik, const TPluginKonfigBase& konfigurace) {
    const auto dotaz =
        Format("IF EXISTS(SELECT*FROM TabPluginInfo WHERE NazevSys=%s)\r"
               "SELECT VerzePluginu, CAST(ZmenyOK AS INT) FROM TabPluginInfo WHERE NazevSys=%0:s\r"
               "ELSE\r"
               "SELECT %s, CAST(0 AS INT)",
               {common::SqlNString(konfigurace.PluginSystemoveJmeno()), common::SqlNString("000000000000")});
    auto radky = tarvik.OpenSQL(dotaz);
    TInstalace instalace;
    const auto verze = radky->FieldValue(0);
    const auto zmenyOK = radky->FieldValue(1);
    instalace.VerzeVDB = verze.isNull() ? "" : verze.asText();
    instalace.ZmenyOK = zmenyOK.isNull() ? 0 : static_cast<int>(zmenyOK.asInt());
    instalace.Stav = PorovnejVerze(instalace.VerzeVDB, FormatVerze(kVerzePluginu, 6));
    return instalace;
}

} // namespace plugin
