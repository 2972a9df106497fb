#pragma once
//! The installed-version record of the plug-in (host table TabPluginInfo), the change scripts that
//! bring an older installation up to date, and the installer's journal entries.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! A version as the record holds it: twelve upper-case hexadecimal digits ("020020120719").
std::string TextVerze(std::uint64_t verze);

//! The version a database without the record counts as.
inline constexpr std::string_view kZadnaVerze = "000000000000";

//! The query of the installed version and ZmenyOK; one row, "000000000000" and 0 without a record.
std::string TextCteniVerze(std::string_view systemoveJmeno);

//! Who the plug-in is in the record.
struct TplgIdentitaPluginu {
    std::string SystemoveJmeno; //!< NazevSys
    std::string ClassName;      //!< NazevObjektu
    std::string VerejneJmeno;   //!< NazevVerejny
};

//! The statement that writes the record (update or insert) with a version and ZmenyOK.
std::string TextZapisuVerze(std::string_view verze, const TplgIdentitaPluginu& identita, int zmenyOK);

//! Journal codes of the installer.
inline constexpr int kZurnalInstalace = 77;
inline constexpr int kZurnalZmenoveSkripty = 8;
inline constexpr int kZurnalUnicode = 80;

//! A journal entry of kind 0: the system name, " - " and the text, cut to 255 characters.
std::string TextZapisuDoZurnalu(std::string_view systemoveJmeno, int kod, std::string_view text);

//! A change script: from which version it applies and its SQL ("UNICODE" in any case asks for
//! the Unicode conversion instead).
struct TplgZmenovySkript {
    std::uint64_t PlatiOd = 0;
    std::string_view Skript;
};

//! The plug-in's change scripts; entry 0 is a placeholder that is never applied.
std::span<const TplgZmenovySkript> ZmenoveSkripty();

//! True when a script asks for the Unicode conversion.
bool JeUnicode(const TplgZmenovySkript& skript);

//! What a walk over the change scripts collected.
struct TplgSberSkriptu {
    //! One script collected: its version, its guarded transaction and the record update.
    struct TSkript {
        std::string Verze;
        std::string Transakce;
        std::string Zaznam;
    };
    std::vector<TSkript> Skripty;
    //! Index of the Unicode script that stopped the walk; 0 when none did.
    std::size_t Unicode = 0;
};

//! Collects, from entry `od` on and in list order, every script whose version is higher than
//! `nainstalovana` (compared as texts), up to the first Unicode script. A script becomes its
//! guarded transaction, which gives up with message 31 when another installer already applied it
//! (exclusive lock on TabPluginInfo), followed by the record update to its version with ZmenyOK 0.
TplgSberSkriptu SeberZmenoveSkripty(std::span<const TplgZmenovySkript> skripty,
                                    std::string_view nainstalovana, const TplgIdentitaPluginu& identita,
                                    std::size_t od = 1);

} // namespace plugin
