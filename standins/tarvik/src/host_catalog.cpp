#include "standins/tarvik/host_catalog.h"

#include "common/ascii.h"

#include "plugin/host/tarvik_interface.h"

#include <algorithm>

namespace standins::tarvik {

namespace {

constexpr HostBrowse kBrowses[] = {
    {3, "TabPSC", "PSČ"},
    {4, "TabStrom", "Útvary"},
    {6, "TabKodMen", "Kódy měn"},
    {37, "TabZeme", "Země"},
    {59, "TabZakazka", "Zakázky"},
    {65, "TabPenezniUstavy", "Peněžní ústavy"},
    {82, "TabNakladovyOkruh", "Nákladové okruhy"},
    {86, "TabCisZam", "Zaměstnanci"},
    {138, "TabZalohy", "Zálohy databáze"},
    {200, "TabMzdObd", "Mzdová období"},
    {202, "TabZdrPoj", "Zdravotní pojišťovny"},
    {204, "TabProfes", "Profese"},
    {205, "TabCisZam", "Mzdoví zaměstnanci"},
    {214, "TabCisMzSl", "Mzdové složky"},
    {232, "TabZamVyp", "Výsledky mezd"},
    {265, "TabPredzp", "Předzpracování mezd"},
    {330, "TabMzPF", "Penzijní fondy a životní pojišťovny"},
    {375, "TabCisZam", "Mzdoví zamestnanci"},
    {389, "TabCisMzSl", "Mzdové zložky"},
    {392, "TabZamVyp", "Výsledky miezd"},
    {393, "TabPredzp", "Predspracovanie miezd"},
    {400, "TabMzPF", "Doplnkové dôchodkové sporenie"},
    {735, "TabMzdPojFondy", "Poisťovne a fondy"},
    {871, "TabPluginInfo", "Pluginy"},
    {1049, "TabMzRadyOsCisel", "Řady osobních čísel"},
    {1124, "TabPracovniPozice", "Pracovní pozice"},
    {1272, "TabIVozidlo", "Vozidla (cestovní příkazy)"},
    {10505, "TabIVozidlo", "Vozidla"},
    {10521, "TabINaklKod", "Kódy nákladů cest"},
    {10536, "TabICestak", "Cestovní příkazy"},
};

struct Attribute {
    const char* name;
    const char* caption;
    const char* values; //!< texts of the values 0, 1, ... separated by '|', or nullptr
};

constexpr Attribute kAttributes[] = {
    {"TabCisZam.Cislo", "Osobní číslo", nullptr},
    {"TabCisZam.Prijmeni", "Příjmení", nullptr},
    {"TabCisZam.Jmeno", "Jméno", nullptr},
    {"TabCisZam.TitulPred", "Titul před jménem", nullptr},
    {"TabCisZam.RodnePrijmeni", "Rodné příjmení", nullptr},
    {"TabCisZam.Pohlavi", "Pohlaví", "muž|žena"},
    {"TabCisZam.DatumNarozeni", "Datum narození", nullptr},
    {"TabCisZam.MistoNarozeni", "Místo narození", nullptr},
    {"TabCisZam.RodneCislo", "Rodné číslo", nullptr},
    {"TabCisZam.RodinnyStav", "Rodinný stav",
     "svobodný/svobodná|ženatý/vdaná|rozvedený/rozvedená|vdovec/vdova|registrované partnerství"},
    {"TabCisZam.StatniPrislus", "Státní příslušnost", nullptr},
    {"TabCisZam.AdrTrvUlice", "Trvalá adresa - ulice", nullptr},
    {"TabCisZam.AdrTrvPopCislo", "Trvalá adresa - číslo popisné", nullptr},
    {"TabCisZam.AdrTrvOrCislo", "Trvalá adresa - číslo orientační", nullptr},
    {"TabCisZam.AdrTrvMisto", "Trvalá adresa - místo", nullptr},
    {"TabCisZam.AdrTrvPSC", "Trvalá adresa - PSČ", nullptr},
    {"TabCisZam.AdrTrvZeme", "Trvalá adresa - země", nullptr},
    {"TabCisZam.AdrPrechUlice", "Přechodná adresa - ulice", nullptr},
    {"TabCisZam.AdrPrechPopCislo", "Přechodná adresa - číslo popisné", nullptr},
    {"TabCisZam.AdrPrechOrCislo", "Přechodná adresa - číslo orientační", nullptr},
    {"TabCisZam.AdrPrechMisto", "Přechodná adresa - místo", nullptr},
    {"TabCisZam.AdrPrechPSC", "Přechodná adresa - PSČ", nullptr},
    {"TabCisZam.AdrPrechZeme", "Přechodná adresa - země", nullptr},
    {"TabCisZam.Stredisko", "Útvar", nullptr},
    {"TabCisZam.NakladovyOkruh", "Nákladový okruh", nullptr},
    {"TabCisZam.Zakazka", "Zakázka", nullptr},
    {"TabCisZam.SSN", "Číslo sociálního pojištění", nullptr},
    {"TabCisZam.PovoleniKPobytu", "Povolení k pobytu", nullptr},
    {"TabCisZam.CisloOP", "Číslo občanského průkazu", nullptr},
    {"TabCisZam.PlatnostOP", "Platnost občanského průkazu", nullptr},
    {"TabCisZam.CisloPasu", "Číslo pasu", nullptr},
    {"TabCisZam.PlatnostPasu", "Platnost pasu", nullptr},
    {"TabCisZam.Obrazek", "Fotografie", nullptr},
    {"TabObdobi.ID", "Období", nullptr},
    {"TabDuchod.DruhDuchodu", "Druh důchodu",
     "starobní|invalidní pro invaliditu 1. a 2. stupně|invalidní pro invaliditu 3. "
     "stupně|vdovský/vdovecký|sirotčí"},
    {"TabDuchod.DatumNaroku", "Datum nároku na důchod", nullptr},
    {"TabZamMzd.DatumVznikuPP", "Datum vzniku pracovního poměru", nullptr},
    {"TabZamMzd.DruhPP", "Druh pracovního poměru",
     "hlavní pracovní poměr|dohoda o provedení práce|dohoda o pracovní činnosti|vedlejší pracovní poměr"},
    {"TabZamMzd.DatumUkonceniPP", "Datum ukončení pracovního poměru", nullptr},
    {"TabZamMzd.ZdravPojistovna", "Zdravotní pojišťovna", nullptr},
    {"TabZamMzd.DruhMzdyMesHod", "Druh mzdy", "měsíční|hodinová"},
    {"TabZamMzd.ZakladniPlat", "Základní plat", nullptr},
    {"TabBankSpojeni.NazevBankSpoj", "Název bankovního spojení", nullptr},
    {"TabBankSpojeni.CisloUctu", "Číslo účtu", nullptr},
    {"TabBankSpojeni.IBANElektronicky", "IBAN", nullptr},
    {"TabPenezniUstavy.KodUstavu", "Kód peněžního ústavu", nullptr},
    {"TabZamRPr.Vztah", "Vztah k zaměstnanci", "dítě|manžel/manželka|jiná osoba"},
};

struct Text {
    int number;
    const char* text;
};
constexpr Text kTexts[] = {
    {8921, "Akce"},
    {11820, "Původní velikost"},
};

const Attribute& attribute(std::string_view name) {
    for (const auto& a : kAttributes)
        if (common::EqualsIgnoreCaseAscii(a.name, name)) return a;
    throw plugin::TarvikError("Atribut " + std::string(name) + " neexistuje.");
}

} // namespace

std::span<const HostBrowse> hostBrowses() {
    return kBrowses;
}

const HostBrowse* findHostBrowse(int number) {
    for (const auto& b : kBrowses)
        if (b.number == number) return &b;
    return nullptr;
}

std::string attributeCaption(std::string_view name) {
    return attribute(name).caption;
}

std::string attributeConversion(std::string_view name) {
    const auto& a = attribute(name);
    if (!a.values) return {};
    std::string out;
    std::string_view values = a.values;
    for (int value = 0;; ++value) {
        const auto end = values.find('|');
        if (value) out += '\r';
        out += std::to_string(value) + "=" + std::string(values.substr(0, end));
        if (end == std::string_view::npos) break;
        values.remove_prefix(end + 1);
    }
    return out;
}

std::string hostText(int number) {
    for (const auto& t : kTexts)
        if (t.number == number) return t.text;
    throw plugin::TarvikError("Text číslo " + std::to_string(number) + " neexistuje.");
}

} // namespace standins::tarvik
