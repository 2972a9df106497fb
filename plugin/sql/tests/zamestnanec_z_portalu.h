#pragma once
// The synchronizer's call of _HP_QUELTA_NovyZamestnanecZPortalu for one employee downloaded from
// the Portal, for tests and benchmarks.

#include <array>
#include <map>
#include <string>

namespace plugin::testing {

//! The procedure's 48 parameters, in their order.
inline constexpr std::array<const char*, 48> kParametry = {
    "Cislo",         "Prijmeni",        "Jmeno",           "TitulPred",        "Obdobi",
    "RodnePrijmeni", "Pohlavi",         "DatumNarozeni",   "MistoNarozeni",    "RodneCislo",
    "RodinnyStav",   "StatniPrislus",   "AdrTrvUlice",     "AdrTrvPopCislo",   "AdrTrvOrCislo",
    "AdrTrvPSC",     "AdrTrvZeme",      "AdrPrechUlice",   "AdrPrechPopCislo", "AdrPrechOrCislo",
    "AdrPrechPSC",   "AdrPrechZeme",    "Utvar",           "NakladovyOkruh",   "Zakazka",
    "SSN",           "PovoleniKPobytu", "CisloOP",         "PlatnostOP",       "CisloPasu",
    "PlatnostPasu",  "DruhDuchodu",     "DatumNaroku",     "DrivejsiPrijmeni", "DatumVznikuPP",
    "DruhPP",        "DatumUkonceniPP", "ZdravPojistovna", "DruhMzdyMesHod",   "ZakladniPlat",
    "Email",         "Telefon",         "CisloUctu",       "KodUstavu",        "IBANElektronicky",
    "PortalID",      "CommitNumber",    "Obrazek",
};

//! Parameter name → the literal the synchronizer passes for it.
using THodnoty = std::map<std::string, std::string>;

//! A new employee on the Portal (no host number, Portal id 7001, commit 5), as literals in the
//! forms the synchronizer sends.
THodnoty NovaZamestnankyne();

//! The values with some of them replaced.
THodnoty S(THodnoty hodnoty, const THodnoty& zmeny);

//! The call exactly as the synchronizer builds it: "EXEC [dbo].[...]", then one line per parameter
//! with its label padded to 19 characters, and "SELECT 1".
std::string Volani(const THodnoty& hodnoty);

} // namespace plugin::testing
