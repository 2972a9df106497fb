// Payroll periods, component groups, components, funds, tax reliefs, payment orders and calendars.

#include "demo_internal.h"

#include <set>

namespace standins::tarvik::demo {

namespace {

struct ComponentGroup {
    int number;
    const char* name;
    int type;
};
// One group of every type; the absence group is 3, the payout group 11 (its type 11 has no class).
constexpr ComponentGroup kGroups[] = {
    {1, "Základní mzdy", 0},    {2, "Prémie a odměny", 1}, {3, "Nepřítomnosti", 2},
    {4, "Přesčasy", 3},         {5, "Příplatky", 4},       {6, "Náhrady mzdy", 5},
    {7, "Překážky v práci", 6}, {8, "Ostatní příjmy", 7},  {9, "Naturální plnění", 8},
    {10, "Zálohy", 9},          {11, "Výplata", 11},       {12, "Stravenky", 10},
};

enum class Preprocess { No, Yes, Unset };

struct Component {
    int number;
    const char* name;
    int group;
    Preprocess preprocess;
    bool pensionFund = false;
    bool lifeInsurance = false;
    int base = 0;
};
constexpr Component kComponents[] = {
    {100, "Základní mzda", 1, Preprocess::No},
    {110, "Hodinová mzda", 1, Preprocess::Yes},
    {200, "Prémie", 2, Preprocess::Yes},
    {250, "Přesčas", 4, Preprocess::Yes},
    {260, "Příplatek za noční práci", 5, Preprocess::Yes},
    {300, "Dovolená", 3, Preprocess::Yes},
    {310, "Nemoc", 3, Preprocess::Yes},
    {320, "Lékař", 7, Preprocess::Yes},
    {350, "Náhrada mzdy", 6, Preprocess::No},
    {400, "Stravenky", 12, Preprocess::Yes},
    {450, "Naturální plnění", 9, Preprocess::No},
    {500, "Záloha", 10, Preprocess::Unset},
    {550, "Ostatní příjem", 8, Preprocess::Yes},
    {600, "Příspěvek na penzijní připojištění", 8, Preprocess::No, true, false},
    {610, "Příspěvek na životní pojištění", 8, Preprocess::No, false, true},
    {900, "100", 11, Preprocess::No, false, false, 3},
};

struct Fund {
    const char* symbol;
    const char* name;
    int kind;
    int component;
    Portal portal;
};
constexpr Fund kFunds[] = {
    {"PF01", "ČSOB Penzijní společnost, a.s.", 0, 600, Portal::Flagged},
    {"PF02", "Penzijní společnost České pojišťovny, a.s.", 0, 600, Portal::Flagged},
    {"ZP01", "Kooperativa pojišťovna, a.s.", 1, 610, Portal::Flagged},
    {"ZP02", "Allianz pojišťovna, a.s.", 1, 610, Portal::Unflagged},
};

struct Relief {
    const char* symbol;
    const char* name;
    const char* monthly;
};
constexpr Relief kReliefs[] = {
    {"S_POP", "Sleva na poplatníka", "2070"},      {"S_CID", "Sleva na částečnou invaliditu", "210"},
    {"S_PID", "Sleva na plnou invaliditu", "420"}, {"S_STD", "Sleva na studenta", "335"},
    {"S_ZTPP", "Sleva na držitele ZTP/P", "1345"},
};

//! Month and day of Easter Sunday (anonymous Gregorian algorithm).
std::pair<int, int> easterSunday(int year) {
    const int a = year % 19, b = year / 100, c = year % 100, d = b / 4, e = b % 4;
    const int f = (b + 8) / 25, g = (b - f + 1) / 3, h = (19 * a + b - d - g + 15) % 30;
    const int i = c / 4, k = c % 4, l = (32 + 2 * e + 2 * i - h - k) % 7, m = (a + 11 * h + 22 * l) / 451;
    const int month = (h + l - 7 * m + 114) / 31, day = (h + l - 7 * m + 114) % 31 + 1;
    return {month, day};
}

struct Holiday {
    int month;
    int day;
};
constexpr Holiday kCzechHolidays[] = {{1, 1},   {5, 1},   {5, 8},   {7, 5},   {7, 6},  {9, 28},
                                      {10, 28}, {11, 17}, {12, 24}, {12, 25}, {12, 26}};
constexpr Holiday kSlovakHolidays[] = {{1, 1},  {1, 6},  {5, 1},   {5, 8},   {7, 5},   {8, 29}, {9, 1},
                                       {9, 15}, {11, 1}, {11, 17}, {12, 24}, {12, 25}, {12, 26}};

//! Public holidays of a year as day numbers: fixed dates, Easter Monday and, in Slovakia, Good Friday.
std::set<long long> holidays(int year, bool slovak) {
    std::set<long long> days;
    for (const auto& h :
         slovak ? std::span<const Holiday>(kSlovakHolidays) : std::span<const Holiday>(kCzechHolidays))
        days.insert(common::DaysFromCivil(year, h.month, h.day));
    const auto [m, d] = easterSunday(year);
    const auto easter = common::DaysFromCivil(year, m, d);
    days.insert(easter + 1);
    if (slovak) days.insert(easter - 2);
    return days;
}

struct CalendarDefinition {
    int year;
    int number;
    const char* name;
    int weeklyHours;
    bool withDays;
};
constexpr CalendarDefinition kCalendars[] = {
    {2013, 1, "Plný úvazek 40 h", 40, true},
    {2013, 2, "Zkrácený úvazek 30 h", 30, true},
    {2013, 3, "Směnný provoz (bez dnů)", 40, false},
    {2012, 1, "Plný úvazek 40 h", 40, true},
};

} // namespace

void addPayrollSetup(Context& c) {
    const bool sk = c.slovak();
    {
        Batch b(c.company, "Payroll periods and constants");
        for (int id = 1; id <= kPeriodFeb2014; ++id) {
            const int year = id <= 12 ? 2013 : 2014, month = id <= 12 ? id : id - 12;
            const int state = id == kPeriodDec2013 ? 1 : id == kPeriodJan2014 ? 2 : 0;
            const int closed = id < kPeriodDec2013 ? 3 : id == kPeriodFeb2014 ? 1 : 0;
            b.insert("TabMzdObd", {{"IdObdobi", num(id)},
                                   {"Rok", num(year)},
                                   {"Mesic", num(month)},
                                   {"Stav", num(state)},
                                   {"Uzavreno", num(closed)}});
        }
        for (int period : kPayrollPeriods)
            b.insert("TabMzKons", {{"IdObdobi", num(period)},
                                   {"MinimalniMzda", dec(sk ? "337.70" : "8500")},
                                   {"SazbaZP", dec(sk ? "4" : "4.5")},
                                   {"SazbaSP", dec(sk ? "9.4" : "6.5")}});
    }
    {
        Batch b(c.company, "Payroll component groups and components per period");
        for (int period : kPayrollPeriods) {
            for (const auto& g : kGroups)
                b.insert("TabSkupMS", {{"SkupinaMS", num(g.number)},
                                       {"IdObdobi", num(period)},
                                       {"Nazev", text(g.name)},
                                       {"Typ", num(g.type)}});
            for (const auto& m : kComponents)
                b.insert(
                    "TabCisMzSl",
                    {{"IdObdobi", num(period)},
                     {"CisloMzSl", num(m.number)},
                     {"NazevMS", text(m.name)},
                     {"SkupinaMS", num(m.group)},
                     {"Konstanty_DoPredzpracovani",
                      m.preprocess == Preprocess::Unset ? null() : flag(m.preprocess == Preprocess::Yes)},
                     {"Srazky_PrispevekPFZam", flag(m.pensionFund)},
                     {"Srazky_PrispevekZPZam", flag(m.lifeInsurance)},
                     {"Vypocet_ZakladProVypocet", num(m.base)}});
        }
    }
    {
        Batch b(c.company, "Pension funds and life insurers per period");
        b.declare("@ID INT");
        for (int period : {kPeriodDec2013, kPeriodJan2014})
            for (const auto& f : kFunds) {
                b.insert("TabMzPF",
                         {{"IdObdobi", num(period)},
                          {"Symbol", text(f.symbol)},
                          {"Nazev", text(f.name)},
                          {"DruhFondu", num(f.kind)},
                          {"MSZamestnanec", num(f.component)}},
                         "@ID");
                b.extension("TabMzPF", f.portal);
            }
    }
    {
        Batch b(c.company, "Tax reliefs and payment orders");
        for (int period : kPayrollPeriods)
            for (const auto& r : kReliefs)
                b.insert("TabMzdOdpPol", {{"Symbol", text(r.symbol)},
                                          {"IdObdobi", num(period)},
                                          {"Nazev", text(r.name)},
                                          {"CastkaMesic", dec(r.monthly)}});
        b.insert("TabPlatTuz",
                 {{"TypPrikazu", num(0)}, {"IdMzdObd", num(kPeriodNov2013)}, {"Castka", dec("612480.00")}});
        b.insert("TabPlatTuz",
                 {{"TypPrikazu", num(0)}, {"IdMzdObd", num(kPeriodNov2013)}, {"Castka", dec("48210.00")}});
        b.insert("TabPlatTuz",
                 {{"TypPrikazu", num(1)}, {"IdMzdObd", num(kPeriodDec2013)}, {"Castka", dec("15000.00")}});
        b.insert("TabPlatZahr",
                 {{"IdMzdObd", num(kPeriodNov2013)}, {"Castka", dec("1250.00")}, {"Mena", text("EUR")}});
    }
}

void addCalendars(Context& c) {
    for (const auto& k : kCalendars) {
        Batch b(c.company, "Payroll calendar " + std::to_string(k.year) + "/" + std::to_string(k.number));
        b.declare("@ID INT");
        b.insert("TabMzKalendar",
                 {{"Cislo", num(k.number)},
                  {"Rok", num(k.year)},
                  {"Nazev", text(k.name)},
                  {"UvazekTyden", num(k.weeklyHours)}},
                 "@ID");
        if (!k.withDays) continue;
        const auto free = holidays(k.year, c.slovak());
        const auto first = common::DaysFromCivil(k.year, 1, 1), last = common::DaysFromCivil(k.year, 12, 31);
        const int dailyHours = k.weeklyHours / 5;
        for (auto day = first; day <= last; ++day) {
            const int weekday =
                static_cast<int>(((day % 7) + 7 + 5) % 7); // 0 = Monday (1899-12-30 was a Saturday)
            const bool holiday = free.count(day) > 0;
            const char* type = weekday == 5 ? "S" : weekday == 6 ? "N" : "P";
            const bool working = weekday < 5 && !holiday;
            b.insert("TabMzKalendarDny", {{"IDKalendar", expr("@ID")},
                                          {"Datum", Value::dateTime(static_cast<double>(day))},
                                          {"TypDne", text(type)},
                                          {"Svatek", text(holiday ? "A" : "N")},
                                          {"PocetHodin", num(working ? dailyHours : 0)}});
        }
    }
}

} // namespace standins::tarvik::demo
