// The plug-in's stored procedures and triggers on host tables. The procedures and the trigger on
// TabQUELTAWSPreprocess are .sql files as they are; the flag and delete-log triggers, alike but for
// their table, are made from two template files and the tables of their parameters below.

#include "plugin/definitions/sql_objects.h"

#include "plugin/definitions/sql_texty.h"
#include "texty.h"

#include "common/ascii.h"

#include <array>
#include <cctype>
#include <string>
#include <vector>

namespace plugin {
namespace {

//! An embedded .sql file by its name; a name without a file does not compile.
consteval std::string_view Soubor(std::string_view jmeno) {
    for (const auto& soubor : sql::kSoubory)
        if (soubor.name == jmeno) return soubor.text;
    throw "no such embedded .sql file";
}

constexpr TplgUlozenaProcedura kUlozeneProcedury[] = {
    {},
    {.Text = Soubor("hpx_Quelta_TravelOrder_ProcessImportBatch.sql")},
    {.Text = Soubor("hpx_Quelta_GetTravelOrderByErpPk.sql")},
    {.Text = Soubor("hpx_Quelta_TravelOrder_GetLatestCommitNumber.sql")},
    {.Text = Soubor("hpx_Quelta_TravelOrder_InsertIntoImportTable.sql")},
    {.Text = Soubor("hpx_Quelta_TravelOrderCost_InsertIntoImportTable.sql")},
    {.Text = Soubor("hpx_Quelta_TravelOrderFuel_InsertIntoImportTable.sql")},
    {.Text = Soubor("hpx_Quelta_TravelOrderItem_InsertIntoImportTable.sql")},
    {.Text = Soubor("_HP_QUELTA_ReplikaceZTabCisZam.sql")},
    {.Text = Soubor("_HP_QUELTA_OdeslaniZmenNaPortal.sql")},
    {.Text = Soubor("_HP_QUELTA_KopieZamPortalDoCisZam.sql")},
    {.Text = Soubor("_HP_QUELTA_NovyZamestnanecZPortalu.sql")},
    {.Text = Soubor("_HP_QUELTA_PrenosDoPredspracovania.sql")},
};

constexpr TplgUzivatelskaFunkce kUzivatelskeFunkce[] = {{}};

//! Host code lists whose new rows are flagged for the Portal (et_<table>_QUELTA_NaPortal).
constexpr std::string_view kTabulkySPriznakem[] = {
    "TabINaklKod", "TabKodMen", "TabZeme",           "TabCisZam",         "TabPenezniUstavy",
    "TabZdrPoj",   "TabPSC",    "TabStrom",          "TabNakladovyOkruh", "TabIVozidlo",
    "TabZakazka",  "TabProfes", "TabPracovniPozice", "TabMzPF",
};

//! A host table whose deleted rows go into the delete log (et_<table>_QUELTA).
struct TMazaciTrigger {
    std::string_view Tabulka;
    std::string_view Klic;                //!< the column the Portal knows a row by
    std::array<std::string_view, 2> Kody; //!< the Portal entities fed by the table; the second may be empty
    std::string_view DalsiUcinek = {};    //!< a further statement on the plug-in's tables, or empty
};

constexpr TMazaciTrigger kMazaciTriggery[] = {
    {"TabZeme", "ISOKod", {"country", "citizenship"}},
    {"TabCisZam", "Cislo", {"employee"}},
    {"TabPenezniUstavy", "KodUstavu", {"bankcode"}},
    {"TabZdrPoj", "Kod", {"healthinsuranceoffice"}},
    {"TabPSC", "Cislo", {"city"}},
    {"TabStrom", "Cislo", {"department"}},
    {"TabZakazka", "CisloZakazky", {"joborder"}},
    {"TabNakladovyOkruh", "Cislo", {"costpoot"}},
    {"TabIVozidlo", "SPZZobraz", {"vehicle"}},
    {"TabProfes", "Cislo", {"career"}},
    {"TabPracovniPozice", "ID", {"jobtitle"}},
    {"TabMzPF", "Symbol", {"supplementarypensioninsurance", "lifeinsurance"}},
    {"TabCisMzSl",
     "CisloMzSl",
     {"payrollcomponents"},
     "UPDATE TabQUELTAWSPayrollComponents SET deleted = 1 WHERE typeCode IN (SELECT CisloMzSl FROM deleted)"},
    {"TabPredzp",
     "ID",
     {"preproces"},
     "UPDATE TabQUELTAWSPreprocess SET deleted = 1 WHERE erpPk IN (SELECT ID FROM deleted)"},
};

constexpr std::string_view kTabulkaPredzpracovani = "TabQUELTAWSPreprocess";

//! The template with every "{name}" replaced by its value.
std::string Vypln(std::string_view sablona,
                  std::initializer_list<std::pair<std::string_view, std::string>> hodnoty) {
    std::string text(sablona);
    for (const auto& [nazev, hodnota] : hodnoty) {
        const std::string znacka = "{" + std::string(nazev) + "}";
        for (auto kde = text.find(znacka); kde != std::string::npos;
             kde = text.find(znacka, kde + hodnota.size()))
            text.replace(kde, znacka.size(), hodnota);
    }
    return text;
}

std::string TextMazacihoTriggeru(const TMazaciTrigger& t) {
    std::string kody;
    for (const auto kod : t.Kody)
        if (!kod.empty())
            kody += (kody.empty() ? "SELECT N'" : " UNION ALL SELECT N'") + std::string(kod) +
                    (kody.empty() ? "' AS Kod" : "'");
    // The further statement takes the template's line of its own, or that line goes.
    std::string sablona(Soubor("et_Tabulka_QUELTA.sql"));
    if (t.DalsiUcinek.empty()) {
        constexpr std::string_view radek = "{DalsiUcinek}\n";
        if (const auto kde = sablona.find(radek); kde != std::string::npos) sablona.erase(kde, radek.size());
    }
    return Vypln(sablona, {{"Tabulka", std::string(t.Tabulka)},
                           {"Klic", std::string(t.Klic)},
                           {"Kody", kody},
                           {"DalsiUcinek", std::string(t.DalsiUcinek)}});
}

//! The trigger texts made once per loaded library, and the list that points into them.
struct TSeznamTriggeru {
    std::vector<std::string> texty;
    std::vector<TplgExterniTrigger> seznam;

    TSeznamTriggeru() {
        for (const auto tabulka : kTabulkySPriznakem)
            texty.push_back(
                Vypln(Soubor("et_Tabulka_QUELTA_NaPortal.sql"), {{"Tabulka", std::string(tabulka)}}));
        for (const auto& t : kMazaciTriggery)
            texty.push_back(TextMazacihoTriggeru(t));
        seznam.push_back({});
        std::size_t i = 0;
        for (const auto tabulka : kTabulkySPriznakem)
            seznam.push_back({.JmenoTabulky = tabulka, .TriggerSkript = texty[i++]});
        for (const auto& t : kMazaciTriggery)
            seznam.push_back({.JmenoTabulky = t.Tabulka, .TriggerSkript = texty[i++]});
        seznam.push_back({.JmenoTabulky = kTabulkaPredzpracovani,
                          .TriggerSkript = Soubor("et_TabQUELTAWSPreprocess_QUELTA.sql")});
    }
};

bool JeZnakJmena(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '[' || c == ']' || c == '.' ||
           c == '#' || c == '@' || c == '$';
}

} // namespace

std::span<const TplgUlozenaProcedura> UlozeneProcedury() {
    return kUlozeneProcedury;
}
std::span<const TplgUzivatelskaFunkce> UzivatelskeFunkce() {
    return kUzivatelskeFunkce;
}
std::span<const TplgExterniTrigger> ExterniTriggery() {
    static const TSeznamTriggeru triggery;
    return triggery.seznam;
}

std::string_view JmenoObjektu(std::string_view text) {
    const auto slovo = [&](std::size_t& kde) {
        while (kde < text.size() && std::isspace(static_cast<unsigned char>(text[kde])))
            ++kde;
        const auto zacatek = kde;
        while (kde < text.size() && JeZnakJmena(text[kde]))
            ++kde;
        return text.substr(zacatek, kde - zacatek);
    };
    std::size_t kde = 0;
    while (kde < text.size() && !texty::ZacinaBezVelikosti(text.substr(kde), "CREATE"))
        ++kde;
    if (kde == text.size()) return {};
    kde += 6;
    const auto druh = slovo(kde);
    if (!common::EqualsIgnoreCaseAscii(druh, "PROC") && !common::EqualsIgnoreCaseAscii(druh, "PROCEDURE") &&
        !common::EqualsIgnoreCaseAscii(druh, "TRIGGER") && !common::EqualsIgnoreCaseAscii(druh, "FUNCTION"))
        return {};
    auto jmeno = slovo(kde);
    if (const auto tecka = jmeno.rfind('.'); tecka != std::string_view::npos) jmeno.remove_prefix(tecka + 1);
    if (jmeno.starts_with('[') && jmeno.ends_with(']') && jmeno.size() >= 2)
        jmeno = jmeno.substr(1, jmeno.size() - 2);
    return jmeno;
}

std::string_view TextProcedury(std::string_view jmeno) {
    for (const auto& procedura : UlozeneProcedury())
        if (!procedura.Text.empty() && common::EqualsIgnoreCaseAscii(JmenoObjektu(procedura.Text), jmeno))
            return procedura.Text;
    return {};
}

} // namespace plugin
