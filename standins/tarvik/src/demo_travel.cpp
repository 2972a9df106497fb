// Travel documents of the demo company, one in each Portal state and a few host-only ones.

#include "demo_internal.h"

namespace standins::tarvik::demo {

namespace {

//! How the trip went and where the document stands.
struct Trip {
    const char* portalState; //!< _Quelta_State, or nullptr for a document without extension row
    bool toPortal;
    const char* state;  //!< TabICestak.Stav
    const char* series; //!< 'M' domestic, 'T' abroad
    int number;         //!< offset within the series
    int employee;
    const char* destination;
    const char* purpose;
    const char* transport; //!< 'S' private car, 'A' company car, 'H' public transport
    const char* plate;     //!< vehicle, or nullptr
    int day;               //!< day of December 2013 the trip starts
    int days;              //!< nights away
    int kilometres;
    int foreignKilometres;
    const char* foreignCountry; //!< leg abroad (country), or nullptr
    bool legWithoutCountry;     //!< the domestic leg leaves country and currency empty
};

constexpr Trip kTrips[] = {
    {"O", true, "O", "M", 1, 103, "Brno", "Jednání se zákazníkem", "A", "1AB 2345", 2, 0, 410, 0, nullptr,
     false},
    {"N", true, "O", "M", 2, 105, "Ostrava", "Servis linky", "A", "3AD 1122", 3, 1, 740, 0, nullptr, true},
    {"L", true, "O", "M", 3, 107, "Plzeň", "Školení obsluhy", "S", "5AF 5566", 4, 0, 190, 0, nullptr, false},
    {"V", true, "S", "T", 1, 101, "Mnichov", "Veletrh", "A", "2AC 6789", 9, 2, 760, 420, "DE", false},
    {"S", true, "S", "M", 4, 109, "Hradec Králové", "Audit skladu", "H", nullptr, 10, 0, 0, 0, nullptr,
     false},
    {"U", true, "U", "M", 5, 111, "Liberec", "Montáž", "A", "4AE 3344", 11, 1, 220, 0, nullptr, false},
    {"O", false, "O", "M", 6, 113, "Olomouc", "Obchodní jednání", "S", "5AF 5566", 12, 0, 560, 0, nullptr,
     false},
    {nullptr, false, "O", "M", 7, 115, "Zlín", "Předání zakázky", "A", "1AB 2345", 16, 0, 620, 0, nullptr,
     false},
};

} // namespace

void addTravelDocuments(Context& c) {
    const bool sk = c.slovak();
    const char* main = sk ? "EUR" : "CZK";
    const char* own = sk ? "SK" : "CZ";
    // Amounts are given in crowns; the Slovak company pays the same in euros.
    auto amount = [&](int crowns) { return dec(money(sk ? crowns * 100 / 27 : crowns * 100)); };
    int portalId = 500;
    for (const auto& trip : kTrips) {
        const int start = std::string_view(trip.series) == "T" ? 2000 : 1000;
        Batch b(c.company,
                std::string("Travel document ") + trip.series + " " + std::to_string(start + trip.number));
        b.declare("@ID INT").declare("@IDVozidlo INT").declare("@IDNaklKod INT");
        if (trip.plate)
            b.sql(std::string("SELECT @IDVozidlo = ID FROM dbo.TabIVozidlo WHERE SPZZobraz = N'") +
                  trip.plate + "'");
        const bool privateCar = std::string_view(trip.transport) == "S";
        b.insert("TabICestak",
                 {{"Stav", text(trip.state)},
                  {"CisDok", text(std::to_string(start + trip.number))},
                  {"TypDopravy", text(trip.transport)},
                  {"TypCesty", text(trip.series)},
                  {"DatVystDokl", date(2013, 11, 25 + trip.number % 5)},
                  {"DatCasPocatek", dateTime(2013, 12, trip.day, 6, 30)},
                  {"DatCasKonec", dateTime(2013, 12, trip.day + trip.days, trip.days ? 18 : 19, 15)},
                  {"CisloZamestnance", num(trip.employee)},
                  {"CilCesty", text(trip.destination)},
                  {"UcelCesty", text(trip.purpose)},
                  {"idVozidlo", trip.plate ? DemoValue(expr("@IDVozidlo")) : DemoValue(null())},
                  {"SPZ", trip.plate ? text(trip.plate) : null()},
                  {"CisloZakazky", text("Z13002")},
                  {"NOkruh", text("OB")},
                  {"Stredisko", text("300")},
                  {"Spotreba", privateCar ? dec("6.0") : null()},
                  {"KMCelkem", num(trip.kilometres)},
                  {"KMZahr", num(trip.foreignKilometres)},
                  {"VratkaTuz", flag(trip.number % 2 == 0)},
                  {"CenaL", sk ? dec("1.450") : dec("36.10")},
                  {"SazbaKm", sk ? dec("0.183") : dec("3.70")},
                  {"ProcKapes", dec("40")},
                  {"PHMZahrPo", dec("1")},
                  {"SDPlati", text("Z")}},
                 "@ID");
        if (trip.portalState)
            b.insert("TabICestak_EXT",
                     {{"ID", expr("@ID")},
                      {"_Quelta_PortalID", num(++portalId)},
                      {"_Quelta_CommitNumber", num(portalId - 490)},
                      {"_Quelta_ToPortal", flag(trip.toPortal)},
                      {"_Quelta_UploadAuthor", null()},
                      {"_Quelta_UploadDate",
                       std::string_view(trip.portalState) == "U" ? dateTime(2013, 12, 20, 9, 0) : null()},
                      {"_Quelta_DownloadDate", dateTime(2013, 12, trip.day + trip.days + 1, 8, 0)},
                      {"_Quelta_State", text(trip.portalState)},
                      {"_Quelta_Note", text(std::string("Cesta ") + trip.destination)}});

        const auto end = trip.foreignCountry ? trip.day + 1 : trip.day + trip.days;
        b.insert(
            "TabICestaUsek",
            {{"IDCestak", expr("@ID")},
             {"TypUseku", text("T")},
             {"DatCasPocatek", dateTime(2013, 12, trip.day, 6, 30)},
             {"DatCasKonec", dateTime(2013, 12, end, trip.foreignCountry ? 11 : (trip.days ? 18 : 19), 15)},
             {"Relace", null()},
             {"Odkud", text("Praha")},
             {"Kam", text(trip.destination)},
             {"ProcStrav", num(0)},
             {"ZpusobKurzu", num(0)},
             {"CelkemKapesne", num(0)},
             {"KodZeme", trip.legWithoutCountry ? null() : text(own)},
             {"Mena", trip.legWithoutCountry ? null() : text(main)}});
        if (trip.foreignCountry)
            b.insert("TabICestaUsek", {{"IDCestak", expr("@ID")},
                                       {"TypUseku", text("Z")},
                                       {"DatCasPocatek", dateTime(2013, 12, end, 11, 15)},
                                       {"DatCasKonec", dateTime(2013, 12, trip.day + trip.days, 18, 15)},
                                       {"Relace", null()},
                                       {"Odkud", text("Rozvadov")},
                                       {"Kam", text(trip.destination)},
                                       {"ProcStrav", num(25)},
                                       {"ZpusobKurzu", num(0)},
                                       {"CelkemKapesne", dec("18.00")},
                                       {"KodZeme", text(trip.foreignCountry)},
                                       {"Mena", text("EUR")}});

        auto cost = [&](const char* code, int crowns, const char* note) {
            b.sql(std::string("SELECT @IDNaklKod = ID FROM dbo.TabINaklKod WHERE Kod = N'") + code + "'");
            b.insert("TabICestaNakl", {{"IDCestak", expr("@ID")},
                                       {"IDNaklKod", expr("@IDNaklKod")},
                                       {"Datum", date(2013, 12, trip.day)},
                                       {"DatumKurz", null()},
                                       {"Popis", text(note)},
                                       {"Mena", text(main)},
                                       {"Kurz", num(1)},
                                       {"JednotkaMeny", num(1)},
                                       {"ZpusobKurzu", num(0)},
                                       {"CenaKc", amount(crowns)},
                                       {"CenaVal", num(0)}});
        };
        cost("PARK", 120 + 10 * trip.number, "Parkování");
        if (trip.days) cost("UBYT", 1150 * trip.days, "Hotel");
        if (std::string_view(trip.transport) == "H") cost("JIZD", 238, "Jízdenka vlak");
        if (trip.foreignCountry) {
            b.sql("SELECT @IDNaklKod = ID FROM dbo.TabINaklKod WHERE Kod = N'UBYT'");
            const char* rate = sk ? "1" : "27.440";
            b.insert("TabICestaNakl", {{"IDCestak", expr("@ID")},
                                       {"IDNaklKod", expr("@IDNaklKod")},
                                       {"Datum", date(2013, 12, trip.day + 1)},
                                       {"DatumKurz", sk ? null() : date(2013, 12, 20)},
                                       {"Popis", text("Hotel Mnichov")},
                                       {"Mena", text("EUR")},
                                       {"Kurz", dec(rate)},
                                       {"JednotkaMeny", num(1)},
                                       {"ZpusobKurzu", num(0)},
                                       {"CenaKc", sk ? dec("85.00") : dec("2332.40")},
                                       {"CenaVal", dec("85.00")}});
        }
        if (privateCar)
            for (int i = 0; i < 2; ++i)
                b.insert("TabICestaPHM", {{"IDCestak", expr("@ID")},
                                          {"idUsek", null()},
                                          {"Datum", date(2013, 12, trip.day)},
                                          {"Litry", dec(i ? "12.40" : "30.15")},
                                          {"Mena", text(main)},
                                          {"ZpusobKurzu", num(0)},
                                          {"CenaKc", sk ? dec("1.42") : dec("35.90")},
                                          {"CenaVal", num(0)}});
        b.sql("EXEC dbo.hpi_VypoctiDiety @ID");
        b.sql("EXEC dbo.hpi_VypoctiCestak @ID, 1");
    }
}

} // namespace standins::tarvik::demo
