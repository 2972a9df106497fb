// Code lists of the demo company.

#include "demo_internal.h"

namespace standins::tarvik::demo {

namespace {

struct Country {
    const char* iso;
    const char* name;
    Portal portal;
};
constexpr Country kCountries[] = {
    {"CZ", "Česká republika", Portal::Flagged},
    {"SK", "Slovenská republika", Portal::Flagged},
    {"DE", "Německo", Portal::Flagged},
    {"AT", "Rakousko", Portal::Flagged},
    {"PL", "Polsko", Portal::Flagged},
    {"HU", "Maďarsko", Portal::Flagged},
    {"US", "Spojené státy americké", Portal::Unflagged},
    {"GB", "Spojené království", Portal::NoExtRow},
};

constexpr Town kCzechTowns[] = {
    {"110 00", "Praha 1"},        {"120 00", "Praha 2"}, {"130 00", "Praha 3"},
    {"140 00", "Praha 4"},        {"150 00", "Praha 5"}, {"602 00", "Brno"},
    {"702 00", "Ostrava"},        {"301 00", "Plzeň"},   {"370 01", "České Budějovice"},
    {"400 01", "Ústí nad Labem"}, {"460 01", "Liberec"}, {"500 02", "Hradec Králové"},
    {"530 02", "Pardubice"},      {"779 00", "Olomouc"}, {"760 01", "Zlín"},
    {"586 01", "Jihlava"},
};
constexpr Town kSlovakTowns[] = {
    {"811 01", "Bratislava"},
    {"821 08", "Bratislava - Ružinov"},
    {"040 01", "Košice"},
    {"010 01", "Žilina"},
    {"974 01", "Banská Bystrica"},
    {"080 01", "Prešov"},
    {"949 01", "Nitra"},
    {"917 01", "Trnava"},
    {"911 01", "Trenčín"},
    {"036 01", "Martin"},
    {"058 01", "Poprad"},
    {"960 01", "Zvolen"},
    {"921 01", "Piešťany"},
    {"071 01", "Michalovce"},
    {"031 01", "Liptovský Mikuláš"},
    {"984 01", "Lučenec"},
};

struct Bank {
    const char* code;
    const char* swift; // nullptr: none
    const char* name;
    Portal portal;
};
constexpr Bank kCzechBanks[] = {
    {"0100", "KOMBCZPP", "Komerční banka, a.s.", Portal::Flagged},
    {"0300", "CEKOCZPP", "Československá obchodní banka, a.s.", Portal::Flagged},
    {"0600", "AGBACZPP", "GE Money Bank, a.s.", Portal::Flagged},
    {"0800", "GIBACZPX", "Česká spořitelna, a.s.", Portal::Flagged},
    {"2010", "FIOBCZPP", "Fio banka, a.s.", Portal::Flagged},
    {"5500", "RZBCCZPP", "Raiffeisenbank a.s.", Portal::Unflagged},
    {"", nullptr, "Pokladna", Portal::NoExtRow},
};
constexpr Bank kSlovakBanks[] = {
    {"0200", "SUBASKBX", "Všeobecná úverová banka, a.s.", Portal::Flagged},
    {"0900", "GIBASKBX", "Slovenská sporiteľňa, a.s.", Portal::Flagged},
    {"1100", "TATRSKBX", "Tatra banka, a.s.", Portal::Flagged},
    {"1111", "UNCRSKBX", "UniCredit Bank Czech Republic and Slovakia, a.s.", Portal::Flagged},
    {"7500", "CEKOSKBX", "Československá obchodná banka, a.s.", Portal::Flagged},
    {"8330", "FIOZSKBA", "Fio banka, a.s., pobočka zahraničnej banky", Portal::Unflagged},
    {"", nullptr, "Pokladňa", Portal::NoExtRow},
};
constexpr const char* kCzechEmployeeBanks[] = {"0100", "0300", "0600", "0800", "2010"};
constexpr const char* kSlovakEmployeeBanks[] = {"0200", "0900", "1100", "1111", "7500"};

struct Numbered {
    const char* number;
    const char* name;
    Portal portal;
};
constexpr Numbered kDepartments[] = {
    {"100", "Vedení společnosti", Portal::Flagged},
    {"200", "Ekonomické oddělení", Portal::Flagged},
    {"300", "Obchodní oddělení", Portal::Flagged},
    {"400", "Výroba", Portal::Flagged},
    {"500", "Sklad", Portal::Unflagged},
    {"600", "Vývoj (zrušeno)", Portal::NoExtRow},
};
//! The department forbidden in the accounting period.
constexpr const char* kForbiddenDepartment = "600";
constexpr const char* kEmployeeDepartments[] = {"100", "200", "300", "400", "400", "500"};

constexpr Numbered kCostPools[] = {
    {"RE", "Režie", Portal::Flagged},
    {"VY", "Výroba", Portal::Flagged},
    {"OB", "Obchod", Portal::Flagged},
    {"SP", "Správa budov", Portal::NoExtRow},
};
constexpr const char* kEmployeeCostPools[] = {"RE", "VY", "OB"};

struct JobOrder {
    const char* number;
    const char* name;
    bool closed;
    Portal portal;
};
constexpr JobOrder kJobOrders[] = {
    {"Z13001", "Dodávka linky Kovo Plzeň", false, Portal::Flagged},
    {"Z13002", "Servis strojů", false, Portal::Flagged},
    {"Z13003", "Montáž haly Brno", false, Portal::Flagged},
    {"Z13004", "Školení obsluhy", false, Portal::Flagged},
    {"Z13005", "Revize zařízení 2012", true, Portal::Flagged},
    {"Z13006", "Interní vývoj", false, Portal::Unflagged},
};
constexpr const char* kEmployeeJobOrders[] = {"Z13001", "Z13002", "Z13003", "Z13004"};

struct Currency {
    const char* code;
    const char* name;
    Portal portal;
};
constexpr Currency kCurrencies[] = {
    {"CZK", "Česká koruna", Portal::Flagged},   {"EUR", "Euro", Portal::Flagged},
    {"USD", "Americký dolar", Portal::Flagged}, {"GBP", "Britská libra", Portal::NoExtRow},
    {"PLN", "Polský zlotý", Portal::Unflagged},
};

struct Rate {
    const char* currency;
    int month;
    int day;
    int units;
    const char* rate;
};
constexpr Rate kCzechRates[] = {
    {"EUR", 11, 29, 1, "27.425"}, {"EUR", 12, 20, 1, "27.440"}, {"USD", 11, 29, 1, "20.180"},
    {"USD", 12, 20, 1, "19.920"}, {"GBP", 11, 29, 1, "32.900"}, {"GBP", 12, 20, 1, "32.630"},
    {"PLN", 11, 29, 1, "6.530"},  {"PLN", 12, 20, 1, "6.550"},
};
constexpr Rate kSlovakRates[] = {
    {"CZK", 11, 29, 100, "3.6463"}, {"CZK", 12, 20, 100, "3.6443"}, {"USD", 11, 29, 1, "0.7350"},
    {"USD", 12, 20, 1, "0.7260"},   {"GBP", 11, 29, 1, "1.1960"},   {"GBP", 12, 20, 1, "1.1890"},
    {"PLN", 11, 29, 1, "0.2386"},   {"PLN", 12, 20, 1, "0.2390"},
};

struct CostCode {
    const char* code;
    const char* name;
    Portal portal;
};
constexpr CostCode kCostCodes[] = {
    {"PARK", "Parkovné", Portal::Flagged},          {"UBYT", "Ubytování", Portal::Flagged},
    {"DALN", "Dálniční poplatky", Portal::Flagged}, {"JIZD", "Jízdenka", Portal::Flagged},
    {"OST", "Ostatní výdaje", Portal::Unflagged},
};

struct Vehicle {
    const char* plate;
    const char* registration;
    const char* description; // nullptr: none
    bool privateCar;
    const char* consumption;
    Portal portal;
};
constexpr Vehicle kVehicles[] = {
    {"1AB 2345", "V01", "Škoda Octavia Combi", false, "5.8", Portal::Flagged},
    {"2AC 6789", "V02", "Škoda Superb", false, "6.4", Portal::Flagged},
    {"3AD 1122", "V03", "Volkswagen Transporter", false, "8.1", Portal::Flagged},
    {"4AE 3344", "V04", nullptr, false, "5.2", Portal::Flagged},
    {"5AF 5566", "V05", "Ford Focus (soukromé)", true, "6.0", Portal::NoExtRow},
};

struct Insurer {
    const char* code;
    const char* name;
    Portal portal;
};
constexpr Insurer kCzechInsurers[] = {
    {"111", "Všeobecná zdravotní pojišťovna ČR", Portal::Flagged},
    {"201", "Vojenská zdravotní pojišťovna ČR", Portal::Flagged},
    {"205", "Česká průmyslová zdravotní pojišťovna", Portal::Flagged},
    {"207", "Oborová zdravotní poj. zam. bank, poj. a stav.", Portal::Flagged},
    {"209", "Zaměstnanecká pojišťovna Škoda", Portal::NoExtRow},
    {"211", "Zdravotní pojišťovna ministerstva vnitra ČR", Portal::Flagged},
    {"213", "Revírní bratrská pokladna", Portal::Unflagged},
};
constexpr Insurer kSlovakFunds[] = {
    {"24", "DÔVERA zdravotná poisťovňa, a.s.", Portal::Flagged},
    {"25", "Všeobecná zdravotná poisťovňa, a.s.", Portal::Flagged},
    {"27", "Union zdravotná poisťovňa, a.s.", Portal::Flagged},
    {"25", "Všeobecná zdravotná poisťovňa, a.s. - pobočka", Portal::Unflagged},
};
constexpr const char* kCzechEmployeeInsurers[] = {"111", "111", "201", "205", "207", "211"};
constexpr const char* kSlovakEmployeeInsurers[] = {"24", "25", "25", "27"};

constexpr Numbered kProfessions[] = {
    {"UCT", "Účetní", Portal::Flagged},
    {"PRG", "Programátor", Portal::Flagged},
    {"OBZ", "Obchodní zástupce", Portal::Flagged},
    {"SVR", "Svářeč", Portal::Flagged},
    {"SKL", "Skladník", Portal::Flagged},
    {"MAN", "Manažer", Portal::Unflagged},
};
constexpr const char* kProfessionNumbers[] = {"UCT", "PRG", "OBZ", "SVR", "SKL", "MAN"};

} // namespace

std::span<const Town> towns(bool slovak) {
    if (slovak) return kSlovakTowns;
    return kCzechTowns;
}
std::span<const char* const> departmentNumbers() {
    return kEmployeeDepartments;
}
std::span<const char* const> costPoolNumbers() {
    return kEmployeeCostPools;
}
std::span<const char* const> jobOrderNumbers() {
    return kEmployeeJobOrders;
}
std::span<const char* const> employeeBankCodes(bool slovak) {
    if (slovak) return kSlovakEmployeeBanks;
    return kCzechEmployeeBanks;
}
std::span<const char* const> insurerCodes(bool slovak) {
    if (slovak) return kSlovakEmployeeInsurers;
    return kCzechEmployeeInsurers;
}
std::span<const char* const> professionNumbers() {
    return kProfessionNumbers;
}

void addCodeLists(Context& c) {
    const bool sk = c.slovak();
    {
        Batch b(c.company, "Countries and postal codes");
        b.declare("@ID INT");
        for (const auto& country : kCountries) {
            b.insert("TabZeme",
                     {{"ISOKod", text(country.iso)},
                      {"Nazev", text(country.name)},
                      {"Vlastni", flag(std::string_view(country.iso) == (sk ? "SK" : "CZ"))}},
                     "@ID");
            b.extension("TabZeme", country.portal);
        }
        const auto list = towns(sk);
        for (std::size_t i = 0; i < list.size(); ++i) {
            b.insert("TabPSC", {{"Cislo", text(list[i].psc)}, {"Mesto", text(list[i].name)}}, "@ID");
            b.extension("TabPSC", i + 2 == list.size()   ? Portal::Unflagged
                                  : i + 1 == list.size() ? Portal::NoExtRow
                                                         : Portal::Flagged);
        }
    }
    {
        Batch b(c.company, "Banks");
        b.declare("@ID INT");
        for (const auto& bank :
             sk ? std::span<const Bank>(kSlovakBanks) : std::span<const Bank>(kCzechBanks)) {
            b.insert("TabPenezniUstavy",
                     {{"KodUstavu", text(bank.code)},
                      {"SWIFTUstavu", bank.swift ? text(bank.swift) : null()},
                      {"NazevUstavu", text(bank.name)}},
                     "@ID");
            b.extension("TabPenezniUstavy", bank.portal);
        }
    }
    {
        Batch b(c.company, "Departments, cost pools and job orders");
        b.declare("@ID INT");
        for (const auto& d : kDepartments) {
            b.insert("TabStrom", {{"Cislo", text(d.number)}, {"Nazev", text(d.name)}}, "@ID");
            b.extension("TabStrom", d.portal);
            b.insert("TabStromDef", {{"IdStrom", expr("@ID")},
                                     {"IdObdobi", num(kAccountingPeriod)},
                                     {"Zakazano", flag(std::string_view(d.number) == kForbiddenDepartment)}});
        }
        for (const auto& pool : kCostPools) {
            b.insert("TabNakladovyOkruh", {{"Cislo", text(pool.number)}, {"Nazev", text(pool.name)}}, "@ID");
            b.extension("TabNakladovyOkruh", pool.portal);
        }
        for (const auto& order : kJobOrders) {
            b.insert("TabZakazka",
                     {{"CisloZakazky", text(order.number)},
                      {"Nazev", text(order.name)},
                      {"Ukonceno", flag(order.closed)}},
                     "@ID");
            b.extension("TabZakazka", order.portal);
        }
    }
    {
        Batch b(c.company, "Currencies and exchange rates");
        b.declare("@ID INT");
        for (const auto& currency : kCurrencies) {
            b.insert("TabKodMen",
                     {{"Kod", text(currency.code)},
                      {"Nazev", text(currency.name)},
                      {"HlavniMena", flag(std::string_view(currency.code) == (sk ? "EUR" : "CZK"))}},
                     "@ID");
            b.extension("TabKodMen", currency.portal);
        }
        for (const auto& rate : sk ? std::span<const Rate>(kSlovakRates) : std::span<const Rate>(kCzechRates))
            b.insert("TabKurzList", {{"Mena", text(rate.currency)},
                                     {"Datum", date(2013, rate.month, rate.day)},
                                     {"JednotkaMeny", num(rate.units)},
                                     {"Kurz", dec(rate.rate)}});
    }
    {
        Batch b(c.company, "Travel cost codes and vehicles");
        b.declare("@ID INT");
        for (const auto& code : kCostCodes) {
            b.insert("TabINaklKod", {{"Kod", text(code.code)}, {"Popis", text(code.name)}}, "@ID");
            b.extension("TabINaklKod", code.portal);
        }
        for (const auto& v : kVehicles) {
            b.insert("TabIVozidlo",
                     {{"SPZZobraz", text(v.plate)},
                      {"EvCislo", text(v.registration)},
                      {"Popis", v.description ? text(v.description) : null()},
                      {"Soukrome", flag(v.privateCar)},
                      {"Spotreba", dec(v.consumption)}},
                     "@ID");
            b.extension("TabIVozidlo", v.portal);
        }
    }
    {
        Batch b(c.company, sk ? "Insurance funds" : "Health insurance offices per payroll period");
        b.declare("@ID INT");
        if (sk) {
            for (const auto& fund : kSlovakFunds) {
                b.insert("TabMzdPojFondy", {{"Symbol", text(fund.code)}, {"Nazev", text(fund.name)}}, "@ID");
                b.extension("TabMzdPojFondy", fund.portal);
            }
        } else {
            for (int period : kPayrollPeriods)
                for (const auto& insurer : kCzechInsurers) {
                    b.insert("TabZdrPoj",
                             {{"Kod", text(insurer.code)},
                              {"Nazev", text(insurer.name)},
                              {"IdObdobi", num(period)}},
                             "@ID");
                    b.extension("TabZdrPoj", insurer.portal);
                }
        }
    }
    {
        Batch b(c.company, "Professions and job positions");
        b.declare("@ID INT");
        for (const auto& p : kProfessions) {
            b.insert("TabProfes", {{"Cislo", text(p.number)}, {"Nazev", text(p.name)}}, "@ID");
            b.extension("TabProfes", p.portal);
        }
        for (std::size_t i = 0; i < std::size(kPositions); ++i) {
            b.insert("TabPracovniPozice", {{"Nazev", text(kPositions[i])}}, "@ID");
            b.extension("TabPracovniPozice",
                        i + 1 == std::size(kPositions) ? Portal::Unflagged : Portal::Flagged);
        }
    }
}

} // namespace standins::tarvik::demo
