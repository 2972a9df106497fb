#include "zamestnanec_z_portalu.h"

namespace plugin::testing {

THodnoty NovaZamestnankyne() {
    return {{"Cislo", "NULL"},
            {"Prijmeni", "N'Nováková-O''Neill'"},
            {"Jmeno", "N'Eva'"},
            {"TitulPred", "N'Ing.'"},
            {"Obdobi", "N'12'"},
            {"RodnePrijmeni", "N'Malá'"},
            {"Pohlavi", "N'FEMALE'"},
            {"DatumNarozeni", "'19850314'"},
            {"MistoNarozeni", "N'Brno'"},
            {"RodneCislo", "N'855314/1234'"},
            {"RodinnyStav", "N'1'"},
            {"StatniPrislus", "N'CZ'"},
            {"AdrTrvUlice", "N'Lidická'"},
            {"AdrTrvPopCislo", "N'12'"},
            {"AdrTrvOrCislo", "N'3'"},
            {"AdrTrvPSC", "N'602 00'"},
            {"AdrTrvZeme", "N'CZ'"},
            {"AdrPrechUlice", "NULL"},
            {"AdrPrechPopCislo", "NULL"},
            {"AdrPrechOrCislo", "NULL"},
            {"AdrPrechPSC", "NULL"},
            {"AdrPrechZeme", "NULL"},
            {"Utvar", "N'200'"},
            {"NakladovyOkruh", "NULL"},
            {"Zakazka", "NULL"},
            {"SSN", "N''"},
            {"PovoleniKPobytu", "N''"},
            {"CisloOP", "N'123456789'"},
            {"PlatnostOP", "'20200101'"},
            {"CisloPasu", "N''"},
            {"PlatnostPasu", "NULL"},
            {"DruhDuchodu", "NULL"},
            {"DatumNaroku", "NULL"},
            {"DrivejsiPrijmeni", "N'Malá, Velká,Horká'"},
            {"DatumVznikuPP", "'20130901'"},
            {"DruhPP", "N'0'"},
            {"DatumUkonceniPP", "NULL"},
            {"ZdravPojistovna", "N'111'"},
            {"DruhMzdyMesHod", "N'0'"},
            {"ZakladniPlat", "N'25000.5'"},
            {"Email", "N'eva@demo.cz'"},
            {"Telefon", "N'603111222'"},
            {"CisloUctu", "N'123456789'"},
            {"KodUstavu", "N'0100'"},
            {"IBANElektronicky", "N'CZ6501000000000123456789'"},
            {"PortalID", "7001"},
            {"CommitNumber", "5"},
            {"Obrazek", "0x00AB7F"}};
}

THodnoty S(THodnoty hodnoty, const THodnoty& zmeny) {
    for (const auto& [k, v] : zmeny)
        hodnoty.at(k) = v;
    return hodnoty;
}

std::string Volani(const THodnoty& hodnoty) {
    std::string text = "EXEC [dbo].[_HP_QUELTA_NovyZamestnanecZPortalu]\r";
    for (std::size_t i = 0; i < kParametry.size(); ++i) {
        std::string navesti = std::string("@") + kParametry[i];
        navesti.resize(19, ' ');
        text +=
            navesti + "= " + hodnoty.at(kParametry[i]) + (i + 1 < kParametry.size() ? ",\r" : "\rSELECT 1");
    }
    return text;
}

} // namespace plugin::testing
