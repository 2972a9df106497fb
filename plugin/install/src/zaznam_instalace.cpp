#include "plugin/install/zaznam_instalace.h"

#include "plugin/messages/hlasky.h"

#include "common/sql_text.h"
#include "common/utf.h"

#include "texty.h"

#include <cstdio>

namespace plugin {

namespace {

//! Message of a change script that another installer already applied.
constexpr int kSkriptUzProveden = 31;

//! The longest journal text.
constexpr std::size_t kDelkaZurnalu = 255;

constexpr TplgZmenovySkript kZmenoveSkripty[] = {
    {0x020020101022ull, {}},
    {0x020020120210ull, {}},
    {0x020020120212ull, "DELETE FROM dbo.TabQUELTANastaveniSynchronizace WHERE Kod = 'modeoftransport'"},
};

} // namespace

std::string TextVerze(std::uint64_t verze) {
    char text[24];
    std::snprintf(text, sizeof text, "%012llX", static_cast<unsigned long long>(verze));
    return text;
}

std::string TextCteniVerze(std::string_view systemoveJmeno) {
    return Format("IF EXISTS(SELECT*FROM TabPluginInfo WHERE NazevSys=%s)\r"
                  "SELECT VerzePluginu, CAST(ZmenyOK AS INT) FROM TabPluginInfo WHERE NazevSys=%0:s\r"
                  "ELSE\r"
                  "SELECT %s, CAST(0 AS INT)",
                  {common::SqlNString(systemoveJmeno), common::SqlNString(kZadnaVerze)});
}

std::string TextZapisuVerze(std::string_view verze, const TplgIdentitaPluginu& identita, int zmenyOK) {
    const auto ok = std::to_string(zmenyOK);
    return Format("DECLARE @VerzePluginu NVARCHAR(12)\r"
                  "SET @VerzePluginu = %s\r"
                  "IF EXISTS(SELECT*FROM TabPluginInfo WHERE NazevSys=%s)\r"
                  "UPDATE TabPluginInfo SET\r"
                  "VerzePluginu=@VerzePluginu,\r"
                  "NazevObjektu=%s,\r"
                  "NazevVerejny=%s,\r"
                  "ZmenyOK=%s\r"
                  "WHERE NazevSys=%1:s\r"
                  "ELSE\r"
                  "INSERT TabPluginInfo(VerzePluginu,NazevSys,NazevObjektu,NazevVerejny,ZmenyOK)\r"
                  "VALUES(@VerzePluginu,%1:s,%s,%s,%s)",
                  {common::SqlNString(verze), common::SqlNString(identita.SystemoveJmeno),
                   common::SqlNString(identita.ClassName), common::SqlNString(identita.VerejneJmeno), ok,
                   common::SqlNString(identita.ClassName), common::SqlNString(identita.VerejneJmeno), ok});
}

std::string TextZapisuDoZurnalu(std::string_view systemoveJmeno, int kod, std::string_view text) {
    auto znaky = common::Utf8ToUtf32(std::string(systemoveJmeno) + " - " + std::string(text));
    if (znaky.size() > kDelkaZurnalu) znaky.resize(kDelkaZurnalu);
    return Format("EXEC dbo.hp_ZapisDoZurnalu %s,%s,%s",
                  {"0", std::to_string(kod), common::SqlNString(common::Utf32ToUtf8(znaky))});
}

std::span<const TplgZmenovySkript> ZmenoveSkripty() {
    return kZmenoveSkripty;
}

bool JeUnicode(const TplgZmenovySkript& skript) {
    return instalace::StejneBezVelikosti(instalace::Orizni(skript.Skript), "UNICODE");
}

TplgSberSkriptu SeberZmenoveSkripty(std::span<const TplgZmenovySkript> skripty,
                                    std::string_view nainstalovana, const TplgIdentitaPluginu& identita,
                                    std::size_t od) {
    TplgSberSkriptu sber;
    const auto nainstalovanaVelkymi = instalace::Velkymi(nainstalovana);
    for (auto i = od; i < skripty.size(); ++i) {
        const auto verze = TextVerze(skripty[i].PlatiOd);
        if (verze <= nainstalovanaVelkymi) continue;
        if (JeUnicode(skripty[i])) {
            sber.Unicode = i;
            break;
        }
        sber.Skripty.push_back(
            {verze,
             Format("/* skript: %s */\r"
                    "BEGIN TRANSACTION\r"
                    "IF(SELECT VerzePluginu FROM TabPluginInfo WITH(TABLOCKX) WHERE NazevSys=%s)>=%s\r"
                    "BEGIN\r"
                    "ROLLBACK\r"
                    "RAISERROR(%s, 16, 1)\r"
                    "RETURN\r"
                    "END\r"
                    "%s\r"
                    "COMMIT",
                    {verze, common::SqlNString(identita.SystemoveJmeno), common::SqlNString(verze),
                     common::SqlNString(TextHlasky(kSkriptUzProveden)), skripty[i].Skript}),
             TextZapisuVerze(verze, identita, 0)});
    }
    return sber;
}

} // namespace plugin
