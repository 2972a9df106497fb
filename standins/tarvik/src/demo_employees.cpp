// Employees of the demo company with everything the payroll keeps about them.

#include "demo_internal.h"

#include "common/sql_text.h"
#include "standins/tarvik/wage_slip_pdf.h"

#include <set>
#include <stdexcept>

namespace standins::tarvik::demo {

namespace {

constexpr const char* kMaleNames[] = {
    "Jan",    "Petr",      "Josef", "Pavel", "Martin", "Tomáš", "Jaroslav", "Miroslav", "Zdeněk", "Václav",
    "Michal", "František", "Jiří",  "Lukáš", "Jakub",  "David", "Ondřej",   "Karel",    "Milan",  "Roman"};
constexpr const char* kFemaleNames[] = {"Jana",     "Marie",    "Eva",     "Hana",      "Anna",
                                        "Lenka",    "Kateřina", "Lucie",   "Věra",      "Alena",
                                        "Petra",    "Veronika", "Martina", "Jaroslava", "Tereza",
                                        "Michaela", "Zuzana",   "Ivana",   "Monika",    "Barbora"};
struct Surname {
    const char* male;
    const char* female;
};
constexpr Surname kSurnames[] = {
    {"Novák", "Nováková"},    {"Svoboda", "Svobodová"},   {"Novotný", "Novotná"},
    {"Dvořák", "Dvořáková"},  {"Černý", "Černá"},         {"Procházka", "Procházková"},
    {"Kučera", "Kučerová"},   {"Veselý", "Veselá"},       {"Horák", "Horáková"},
    {"Němec", "Němcová"},     {"Marek", "Marková"},       {"Pospíšil", "Pospíšilová"},
    {"Pokorný", "Pokorná"},   {"Hájek", "Hájková"},       {"Král", "Králová"},
    {"Jelínek", "Jelínková"}, {"Růžička", "Růžičková"},   {"Beneš", "Benešová"},
    {"Fiala", "Fialová"},     {"Sedláček", "Sedláčková"}, {"Doležal", "Doležalová"},
    {"Zeman", "Zemanová"},    {"Kolář", "Kolářová"},      {"Navrátil", "Navrátilová"},
};
constexpr const char* kStreets[] = {"Masarykova", "Husova",    "Palackého",  "Nádražní",
                                    "Školní",     "Zahradní",  "Komenského", "Lidická",
                                    "Sokolská",   "Jiráskova", "Tyršova",    "Havlíčkova"};
constexpr const char* kTitles[] = {"Ing.", "Mgr.", "Bc."};
constexpr const char* kBoyNames[] = {"Adam", "Matyáš", "Vojtěch"};
constexpr const char* kGirlNames[] = {"Eliška", "Klára", "Natálie"};

//! Fixed traits of the regular employee at a position within each group of 24.
struct Traits {
    int sex = -1; //!< -1 random, 2 unknown
    bool photo = false;
    bool foreigner = false; //!< citizen of the neighbouring country
    bool noPostalCode = false;
    Portal portal = Portal::Flagged;
    int stavES = 0;
    int pension = -1; //!< DruhDuchodu or -1
    int familyMembers = 0;
    int formerSurnames = 0;
    bool cash = false; //!< no bank connection
    bool secondAccount = false;
    bool contacts = true;
    int calendar = 1;
    int weeklyHours = 40;
    int hiredInMonth = 0; //!< month of 2013 (10..12) for new hires, 0 for long-standing staff
    bool decemberResult = true;
    bool decemberSlip = true;
    bool novemberSlip = false;
    const char* relief = nullptr; //!< extra tax relief besides S_POP
};

Traits traitsAt(int k) {
    Traits t;
    switch (k) {
    case 0:
        t.photo = true;
        t.sex = 0;
        t.familyMembers = 2;
        t.novemberSlip = true;
        break;
    case 1:
        t.photo = true;
        t.sex = 1;
        t.familyMembers = 2;
        t.formerSurnames = 1;
        t.novemberSlip = true;
        break;
    case 2:
        t.photo = true;
        t.sex = 1;
        t.familyMembers = 2;
        t.formerSurnames = 3;
        break;
    case 3:
        t.foreigner = true;
        break;
    case 4:
        t.familyMembers = 1;
        t.formerSurnames = 1;
        t.sex = 1;
        break;
    case 5:
        t.noPostalCode = true;
        break;
    case 6:
        t.familyMembers = 2;
        break;
    case 7:
        t.portal = Portal::Unflagged;
        break;
    case 8:
        t.portal = Portal::NoExtRow;
        break;
    case 9:
        t.stavES = 1;
        break;
    case 10:
        t.stavES = 2;
        break;
    case 11:
        t.stavES = 3;
        t.decemberResult = false;
        break;
    case 12:
        t.pension = 0;
        break;
    case 13:
        t.pension = 1;
        t.decemberSlip = false;
        t.relief = "S_ZTPP";
        break;
    case 14:
        t.secondAccount = true;
        t.decemberSlip = false;
        break;
    case 15:
    case 16:
        t.cash = true;
        break;
    case 17:
        t.calendar = 2;
        t.weeklyHours = 30;
        break;
    case 18:
        t.weeklyHours = 20;
        t.contacts = false;
        break;
    case 19:
        t.familyMembers = 1;
        t.decemberResult = false;
        t.contacts = false;
        break;
    case 20:
        t.hiredInMonth = 10;
        t.decemberResult = false;
        t.contacts = false;
        break;
    case 21:
        t.hiredInMonth = 11;
        t.decemberResult = false;
        t.relief = "S_STD";
        t.contacts = false;
        break;
    case 22:
        t.hiredInMonth = 11;
        t.decemberResult = false;
        t.sex = 2;
        t.contacts = false;
        break;
    case 23:
        t.hiredInMonth = 12;
        t.decemberResult = false;
        t.contacts = false;
        break;
    }
    if (k == 0 || k == 2 || k == 4 || k == 6) t.relief = t.relief ? t.relief : "S_CID";
    return t;
}

struct Person {
    long long number;
    std::string first;
    std::string last;
    int sex;
    Surname family; //!< the surname in its male and female form
};

class EmployeeWriter {
public:
    EmployeeWriter(Context& c, std::set<std::string>& birthNumbers)
        : c_(c)
        , birthNumbers_(birthNumbers) {}

    void write(long long number, const Traits& t, int k);

private:
    void payroll(Batch& b, const Traits& t, int k, const Person& p);
    void bank(Batch& b, const Traits& t, const Person& p);
    void family(Batch& b, const Traits& t, const Person& p);
    void results(Batch& b, const Traits& t, const Person& p, std::int64_t gross);

    Context& c_;
    std::set<std::string>& birthNumbers_;
    int hireYear_ = 2010;
    int hireMonth_ = 1;
};

void EmployeeWriter::write(long long number, const Traits& t, int k) {
    auto& rng = c_.rng;
    const bool sk = c_.slovak();
    const int sex = t.sex >= 0 ? t.sex : rng.below(2);
    const auto& surname = kSurnames[rng.below(int(std::size(kSurnames)))];
    Person p{number, sex == 1 ? kFemaleNames[rng.below(20)] : kMaleNames[rng.below(20)],
             sex == 1 ? surname.female : surname.male, sex, surname};
    if (number == 1234567) {
        p.first = "Maxmilián";
        p.last = "Dlouhý";
        p.family = {"Dlouhý", "Dlouhá"};
    }
    const int birthYear = rng.between(1955, 1994), birthMonth = rng.between(1, 12),
              birthDay = rng.between(1, 28);
    const int maritalStatus = rng.below(4);
    const auto town = towns(sk)[rng.below(int(towns(sk).size()))];
    const auto other = towns(sk)[rng.below(int(towns(sk).size()))];
    const char* ownCountry = sk ? "SK" : "CZ";
    const char* neighbour = sk ? "CZ" : "SK";
    const bool contactAddress = k % 6 == 2;
    hireYear_ = t.hiredInMonth ? 2013 : rng.between(1998, 2012);
    hireMonth_ = t.hiredInMonth ? t.hiredInMonth : rng.between(1, 12);

    Batch b(c_.company, "Employee " + std::to_string(number));
    b.declare("@IDZam INT")
        .declare("@ID INT")
        .declare("@IDUstavu INT")
        .declare("@IDPP INT")
        .declare("@IDKalendar INT");
    b.insert(
        "TabCisZam",
        {{"Cislo", num(number)},
         {"Prijmeni", text(p.last)},
         {"Jmeno", text(p.first)},
         {"TitulPred", text(k == 0           ? "Ing."
                            : rng.chance(20) ? kTitles[rng.below(3)]
                                             : "")},
         {"RodnePrijmeni", text(sex == 1 && maritalStatus == 1 ? kSurnames[rng.below(24)].female : "")},
         {"Pohlavi", num(sex)},
         {"DatumNarozeni", date(birthYear, birthMonth, birthDay)},
         {"MistoNarozeni", text(other.name)},
         {"RodneCislo", text(birthNumber(rng, birthYear, birthMonth, birthDay, sex == 1, birthNumbers_))},
         {"RodinnyStav", num(maritalStatus)},
         {"Narodnost", text(t.foreigner ? (sk ? "česká" : "slovenská") : (sk ? "slovenská" : "česká"))},
         {"StatniPrislus", text(t.foreigner ? neighbour : ownCountry)},
         {"AdrTrvUlice", text(kStreets[rng.below(int(std::size(kStreets)))])},
         {"AdrTrvPopCislo", text(std::to_string(rng.between(1, 2500)))},
         {"AdrTrvOrCislo", text(rng.chance(50) ? std::to_string(rng.between(1, 60)) : "")},
         {"AdrTrvMisto", text(town.name)},
         {"AdrTrvPSC", t.noPostalCode ? null() : text(town.psc)},
         {"AdrTrvZeme", text(ownCountry)},
         {"AdrPrechUlice", text(contactAddress ? kStreets[rng.below(int(std::size(kStreets)))] : "")},
         {"AdrPrechPopCislo", text(contactAddress ? std::to_string(rng.between(1, 900)) : "")},
         {"AdrPrechMisto", text(contactAddress ? other.name : "")},
         {"AdrPrechPSC", text(contactAddress ? other.psc : "")},
         {"AdrPrechZeme", contactAddress ? text(ownCountry) : null()},
         {"Stredisko", text(departmentNumbers()[k % departmentNumbers().size()])},
         {"NakladovyOkruh", text(costPoolNumbers()[k % costPoolNumbers().size()])},
         {"Zakazka", k % 2 == 0 ? text(jobOrderNumbers()[(k / 2) % jobOrderNumbers().size()]) : null()},
         {"SSN", t.foreigner ? text(digits(rng, 10)) : null()},
         {"PovoleniKPobytu", t.foreigner ? text("PP-2012-" + digits(rng, 4)) : null()},
         {"CisloOP", text(digits(rng, 9))},
         {"PlatnostOP", date(rng.between(2015, 2022), rng.between(1, 12), rng.between(1, 28))},
         {"CisloPasu", k % 3 == 0 ? text(digits(rng, 8)) : null()},
         {"PlatnostPasu", k % 3 == 0 ? date(rng.between(2014, 2023), rng.between(1, 12), 15) : null()},
         {"Obrazek", t.photo ? Value::bytes(photo(rng)) : null()}},
        "@IDZam");
    if (t.portal != Portal::NoExtRow)
        b.insert("TabCisZam_EXT",
                 {{"ID", expr("@IDZam")}, {"_QUELTA_NaPortal", flag(t.portal == Portal::Flagged)}});
    payroll(b, t, k, p);
    bank(b, t, p);
    if (t.contacts) {
        const auto mail = mailName(p.first) + "." + mailName(p.last) + "@demo." + (sk ? "sk" : "cz");
        b.insert("TabKontakty", {{"IDCisZam", expr("@IDZam")},
                                 {"Prednastaveno", flag(true)},
                                 {"Druh", num(6)},
                                 {"Spojeni", text(mail)}});
        b.insert("TabKontakty", {{"IDCisZam", expr("@IDZam")},
                                 {"Prednastaveno", flag(true)},
                                 {"Druh", num(2)},
                                 {"Spojeni", text(std::string(sk ? "+421 9" : "+420 6") + digits(rng, 2) +
                                                  " " + digits(rng, 3) + " " + digits(rng, 3))}});
        if (k == 1)
            b.insert("TabKontakty", {{"IDCisZam", expr("@IDZam")},
                                     {"Prednastaveno", flag(false)},
                                     {"Druh", num(6)},
                                     {"Spojeni", text(mailName(p.last) + "@seznam.cz")}});
    }
    if (t.pension >= 0)
        b.insert("TabDuchod", {{"ZamestnanecID", expr("@IDZam")},
                               {"DruhDuchodu", num(t.pension)},
                               {"DatumNaroku", date(rng.between(2005, 2012), rng.between(1, 12), 1)}});
    family(b, t, p);
    const char* former[] = {"Malá", "Veselá", "Horáková"};
    for (int i = 0; i < t.formerSurnames; ++i)
        b.insert("TabZamJme",
                 {{"ZamestnanecId", expr("@IDZam")}, {"Prijmeni", text(former[i])}, {"Poradi", num(i + 1)}});
}

void EmployeeWriter::payroll(Batch& b, const Traits& t, int k, const Person& p) {
    auto& rng = c_.rng;
    const bool sk = c_.slovak();
    const bool hourly = k % 5 == 4;
    const std::int64_t pay = hourly ? (sk ? rng.between(35, 90) * 10 : rng.between(11, 25) * 1000)
                                    : (sk ? rng.between(60, 250) * 1000 : rng.between(36, 130) * 50000);
    const bool taxed = k % 7 != 6;
    const int entitlement = k % 3 == 0 ? 25 : 20, lastYear = rng.between(0, 5), taken = rng.between(0, 20);
    const std::string department = departmentNumbers()[k % departmentNumbers().size()];
    for (int period : kPayrollPeriods) {
        if (t.hiredInMonth && period == kPeriodNov2013 && t.hiredInMonth > 11) continue;
        b.insert(
            "TabZamMzd",
            {{"ZamestnanecId", expr("@IDZam")},
             {"IdObdobi", num(period)},
             {"DatumVznikuPP", date(hireYear_, hireMonth_, 1)},
             {"DatumUkonceniPP", t.stavES == 3 ? date(2013, 11, 30) : null()},
             {"DruhPP", num(k % 4)},
             {"ZdravPojistovna", text(insurerCodes(sk)[k % insurerCodes(sk).size()])},
             {"DruhMzdyMesHod", num(hourly ? 1 : 0)},
             {"ZakladniPlat", dec(money(pay))},
             {"DanitMzdu", flag(taxed)},
             {"ZkusebniDoba_X", t.hiredInMonth
                                    ? date(2013 + (t.hiredInMonth + 2) / 12, (t.hiredInMonth + 2) % 12 + 1, 1)
                                    : null()},
             {"DovPrumer", dec(money(sk ? rng.between(400, 1500) : rng.between(9000, 40000)))},
             {"DNPPrumer", dec(money(sk ? rng.between(2000, 8000) : rng.between(60000, 200000)))},
             {"DNPPrumerSK", sk ? dec(money(rng.between(2000, 8000))) : null()},
             {"DovNarokBR", num(entitlement)},
             {"DovMinulyRok", num(lastYear)},
             {"DovZustatekMR", sk ? num(lastYear) : null()},
             {"DovCerpaniBR", num(taken)},
             {"DovKraceni", num(0)},
             {"DovKraceniRucne", k % 4 == 1 ? null() : num(0)},
             {"DovZustatekBR", num(entitlement + lastYear - taken)},
             {"StavES", num(t.stavES)},
             {"RokKalendare", num(2013)},
             {"DruhKalendare", num(t.calendar)},
             {"TydenniUvazek", num(t.weeklyHours)},
             {"Stredisko", text(department)},
             {"NakladovyOkruh", text(costPoolNumbers()[k % costPoolNumbers().size()])},
             {"Zakazka", k % 2 == 0 ? text(jobOrderNumbers()[(k / 2) % jobOrderNumbers().size()]) : null()}});
    }
    b.insert("TabZamPer", {{"ZamestnanecId", expr("@IDZam")},
                           {"IdObdobi", num(kPeriodDec2013)},
                           {"PraxeRoky", num(rng.between(0, 30))},
                           {"PraxeDny", num(rng.between(0, 364))},
                           {"Profese", text(professionNumbers()[k % professionNumbers().size()])}});
    b.insert("TabZamDan",
             {{"ZamestnanecId", expr("@IDZam")}, {"Rok", num(2013)}, {"StavRZD", num(k < 10 ? 0 : 1)}});
    if (!sk && taxed) {
        b.insert("TabMzdOdpPolMzd", {{"Symbol", text("S_POP")},
                                     {"IdObdobi", num(kPeriodDec2013)},
                                     {"ZamestnanecID", expr("@IDZam")}});
        if (t.relief)
            b.insert("TabMzdOdpPolMzd", {{"Symbol", text(t.relief)},
                                         {"IdObdobi", num(kPeriodDec2013)},
                                         {"ZamestnanecID", expr("@IDZam")}});
    }
    if (k < 5)
        b.insert("TabMzPaus", {{"ZamestnanecId", expr("@IDZam")},
                               {"IdObdobi", num(kPeriodDec2013)},
                               {"CisloMS", num(600)},
                               {"Castka", dec("500.00")}});
    if (k >= 5 && k < 8)
        b.insert("TabMzPaus", {{"ZamestnanecId", expr("@IDZam")},
                               {"IdObdobi", num(kPeriodDec2013)},
                               {"CisloMS", num(610)},
                               {"Castka", dec("1000.00")}});
    if (!t.cash)
        b.insert(
            "TabMzPaus",
            {{"ZamestnanecId", expr("@IDZam")}, {"IdObdobi", num(kPeriodDec2013)}, {"CisloMS", num(900)}});

    const int position = k == 0 ? 0 : 1 + k % 5;
    b.sql("SELECT @IDPP = ID FROM dbo.TabPracovniPozice WHERE Nazev = " +
          common::SqlNString(kPositions[position]));
    b.insert("TabObsazeniPracovnichPozic", {{"IDZam", expr("@IDZam")},
                                            {"IDPP", expr("@IDPP")},
                                            {"PlatnostOd", date(hireYear_, hireMonth_, 1)},
                                            {"PlatnostDo", null()}});
    if (k == 2 || k == 3) {
        b.sql(std::string("SELECT @IDPP = ID FROM dbo.TabPracovniPozice WHERE Nazev = N'") + kPositions[5] +
              "'");
        b.insert("TabObsazeniPracovnichPozic", {{"IDZam", expr("@IDZam")},
                                                {"IDPP", expr("@IDPP")},
                                                {"PlatnostOd", k == 2 ? date(2010, 1, 1) : date(2014, 3, 1)},
                                                {"PlatnostDo", k == 2 ? date(2012, 12, 31) : null()}});
    }

    b.insert("TabMzKalendarZam",
             {{"Rok", num(2013)},
              {"Cislo", num(t.calendar)},
              {"ZamestnanecId", expr("@IDZam")},
              {"UvazekTyden", num(t.weeklyHours)}},
             "@IDKalendar");
    const int calendarHours = t.calendar == 2 ? 30 : 40;
    b.sql("INSERT INTO dbo.TabMzKalendarDnyZam (IDKalendar, Datum, TypDne, PocetHodin)\n"
          "SELECT @IDKalendar, d.Datum, d.TypDne, d.PocetHodin * " +
          std::to_string(t.weeklyHours) + " / " + std::to_string(calendarHours) +
          "\nFROM dbo.TabMzKalendarDny d JOIN dbo.TabMzKalendar k ON k.ID = d.IDKalendar\n"
          "WHERE k.Rok = 2013 AND k.Cislo = " +
          std::to_string(t.calendar));
    results(b, t, p, hourly ? pay * 168 : pay);
}

void EmployeeWriter::bank(Batch& b, const Traits& t, const Person& p) {
    if (t.cash) return;
    auto& rng = c_.rng;
    const bool sk = c_.slovak();
    const auto& codes = employeeBankCodes(sk);
    const int accounts = t.secondAccount ? 2 : 1;
    for (int i = 0; i < accounts; ++i) {
        const std::string code = codes[rng.below(int(codes.size()))];
        const std::string prefix = rng.chance(30) ? std::to_string(rng.between(19, 35)) : "";
        const std::string number = std::to_string(rng.between(100000, 999999)) + digits(rng, 4);
        b.sql("SELECT @IDUstavu = ID FROM dbo.TabPenezniUstavy WHERE KodUstavu = " +
              common::SqlNString(code));
        b.insert("TabBankSpojeni", {{"IDZam", expr("@IDZam")},
                                    {"Prednastaveno", flag(i == 0)},
                                    {"IDUstavu", expr("@IDUstavu")},
                                    {"NazevBankSpoj", text(p.last + " " + p.first +
                                                           (i == 0 ? " - peníze na účet" : " - spoření"))},
                                    {"CisloUctu", text((prefix.empty() ? "" : prefix + "-") + number)},
                                    {"IBANElektronicky", text(iban(sk ? "SK" : "CZ", code, prefix, number))},
                                    {"KonstantniSymbol", text("")},
                                    {"SpecifickySymbol", text("")}});
    }
}

void EmployeeWriter::family(Batch& b, const Traits& t, const Person& p) {
    auto& rng = c_.rng;
    for (int i = 0; i < t.familyMembers; ++i) {
        const bool spouse = i == 1 && t.familyMembers == 2 && rng.chance(50);
        const int relation = spouse ? 1 : (i == 0 ? 0 : rng.chance(20) ? 2 : 0);
        const bool female = spouse ? p.sex == 0 : rng.chance(50);
        const int year = spouse ? rng.between(1960, 1990) : rng.between(1996, 2012);
        const int month = rng.between(1, 12), day = rng.between(1, 28);
        b.insert("TabZamRPr",
                 {{"ZamestnanecId", expr("@IDZam")},
                  {"IdObdobi", num(kPeriodDec2013)},
                  {"RodneCislo", text(birthNumber(rng, year, month, day, female, birthNumbers_))},
                  {"DatumNarozeni", date(year, month, day)},
                  {"Vztah", num(relation)},
                  {"Jmeno", text(spouse ? (female ? kFemaleNames[rng.below(20)] : kMaleNames[rng.below(20)])
                                        : (female ? kGirlNames : kBoyNames)[rng.below(3)])},
                  {"Prijmeni", text(female ? p.family.female : p.family.male)}});
    }
}

void EmployeeWriter::results(Batch& b, const Traits& t, const Person& p, std::int64_t gross) {
    const bool sk = c_.slovak();
    const std::int64_t net = gross * 77 / 100;
    struct Month {
        int period;
        int month;
        bool result;
        bool slip;
        bool sent;
    };
    const bool workedInNovember = !(t.hiredInMonth > 11);
    const Month months[] = {
        {kPeriodNov2013, 11, workedInNovember, t.novemberSlip, t.novemberSlip},
        {kPeriodDec2013, 12, t.decemberResult, t.decemberResult && t.decemberSlip, false}};
    for (const auto& m : months) {
        if (!m.result) continue;
        b.insert("TabZamVyp",
                 {{"ZamestnanecId", expr("@IDZam")},
                  {"IdObdobi", num(m.period)},
                  {"HrubaMzda", dec(money(gross))},
                  {"CistaMzda", dec(money(net))},
                  {"KVyplate", dec(money(net))}},
                 "@ID");
        if (m.sent)
            b.insert("TabZamVyp_EXT",
                     {{"ID", expr("@ID")},
                      {"_QUELTA_AutorOdeslani", text(sk ? "mzdova.uctovnicka" : "mzdova.ucetni")},
                      {"_QUELTA_DatumOdeslani", dateTime(2013, 12, 10, 14, 5)}});
        if (!m.slip) continue;
        const auto currency = sk ? " EUR" : " Kc";
        c_.company.wageSlips.push_back(
            {wageSlipFileName(p.number, m.month, 2013),
             makeTextPdf({"Demo s.r.o.", "Vyplatni paska " + std::to_string(m.month) + "/2013",
                          "Zamestnanec " + std::to_string(p.number) + ": " + p.last + " " + p.first,
                          "Hruba mzda: " + money(gross) + currency, "K vyplate: " + money(net) + currency})});
    }
}

} // namespace

void addEmployees(Context& c) {
    std::set<std::string> birthNumbers;
    EmployeeWriter writer(c, birthNumbers);
    const int count = kDemoEmployeesPerScale * c.options.scale;
    for (int i = 0; i < count; ++i)
        writer.write(101 + i, traitsAt(i % kDemoEmployeesPerScale), i % kDemoEmployeesPerScale);
    Traits edge;
    edge.decemberSlip = true;
    writer.write(1234567, edge, 24);

    Batch b(c.company, "Payroll preprocessing rows of November 2013");
    b.declare("@IDZam INT");
    for (int number = 101; number <= 103; ++number) {
        b.sql("SELECT @IDZam = ID FROM dbo.TabCisZam WHERE Cislo = " + std::to_string(number));
        b.insert("TabPredzp", {{"ZamestnanecId", expr("@IDZam")},
                               {"IdObdobi", num(kPeriodNov2013)},
                               {"CisloMS", num(200)},
                               {"SkupinaMS", num(2)},
                               {"Castka", dec(c.slovak() ? "150.00" : "3500.00")}});
        b.insert("TabPredzp", {{"ZamestnanecId", expr("@IDZam")},
                               {"IdObdobi", num(kPeriodNov2013)},
                               {"CisloMS", num(300)},
                               {"SkupinaMS", num(3)},
                               {"Hodiny", dec("8.00")},
                               {"DatumOd", date(2013, 11, 4 + number - 101)},
                               {"DatumDo", date(2013, 11, 4 + number - 101)}});
    }
}

} // namespace standins::tarvik::demo
