//! A scripted run on the demo host with the plug-in installed (a database file in the folder given,
//! else in the temporary folder): a DELETE of 10,000 host rows with the delete-log trigger in place
//! (and with it disabled, for the ratio), for a table with one Portal entity and one with two; then
//! 1,000 calls of _HP_QUELTA_NovyZamestnanecZPortalu as the synchronizer sends them, each its own
//! batch, for 250 Portal employees (a new one first, then changes). Prints rows or calls per second.

#include "plugin_host.h"
#include "zamestnanec_z_portalu.h"

#include "common/testing/temp_folder.h"

#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>

namespace {

using Hodiny = std::chrono::steady_clock;
using plugin::testing::Text;

constexpr int kRadku = 10000;
constexpr int kVolani = 1000;
constexpr int kZamestnancu = 250;

double Sekund(Hodiny::time_point od) {
    return std::chrono::duration<double>(Hodiny::now() - od).count();
}

//! 10,000 new rows of a host table in one statement; `radek` makes a row's values from n (0 to 9999).
void Vloz(platform::db::Connection& db, const std::string& tabulka, const std::string& sloupce,
          const std::string& radek) {
    db.execute(
        "CREATE TABLE #Cislice (n INT NOT NULL)\r"
        "INSERT INTO #Cislice (n) SELECT 0 UNION ALL SELECT 1 UNION ALL SELECT 2 UNION ALL SELECT 3 "
        "UNION ALL SELECT 4 UNION ALL SELECT 5 UNION ALL SELECT 6 UNION ALL SELECT 7 UNION ALL SELECT 8 "
        "UNION ALL SELECT 9\r"
        "INSERT INTO " +
        tabulka + " (" + sloupce + ") SELECT " + radek +
        " FROM (SELECT a.n * 1000 + b.n * 100 + c.n * 10 + d.n AS n FROM #Cislice a, #Cislice b, "
        "#Cislice c, #Cislice d) x\r"
        "DROP TABLE #Cislice");
}

//! Seconds of one DELETE of those rows.
double Smaz(platform::db::Connection& db, const std::string& tabulka, const std::string& podminka) {
    const auto od = Hodiny::now();
    const auto vysledek = db.execute("DELETE FROM " + tabulka + " WHERE " + podminka);
    const auto sekund = Sekund(od);
    if (vysledek.rowsAffected != kRadku)
        throw std::runtime_error("the DELETE took " + std::to_string(vysledek.rowsAffected) +
                                 " rows, not 10,000");
    return sekund;
}

void Mazani(platform::db::Connection& db, const std::string& tabulka, const std::string& sloupce,
            const std::string& radek, const std::string& podminka, int kodu) {
    const std::string trigger = "et_" + tabulka + "_QUELTA";
    Vloz(db, tabulka, sloupce, radek);
    db.execute("ALTER TABLE " + tabulka + " DISABLE TRIGGER " + trigger);
    const double bez = Smaz(db, tabulka, podminka);
    db.execute("ALTER TABLE " + tabulka + " ENABLE TRIGGER " + trigger);
    Vloz(db, tabulka, sloupce, radek);
    db.execute("DELETE FROM TabQUELTADeleteLog");
    const double s = Smaz(db, tabulka, podminka);
    const auto zapsano =
        Text(db.execute("SELECT COUNT(*) FROM TabQUELTADeleteLog").resultSets.at(0).rows()[0][0]);
    std::printf("DELETE of %d %s rows (%d log rows per row, %s written): %.0f rows/s with the trigger, "
                "%.0f rows/s without, ratio %.2f\n",
                kRadku, tabulka.c_str(), kodu, zapsano.c_str(), kRadku / s, kRadku / bez, s / bez);
}

void Stahovani(platform::db::Connection& db) {
    using namespace plugin::testing;
    const auto od = Hodiny::now();
    for (int i = 0; i < kVolani; ++i) {
        const int zamestnanec = i % kZamestnancu;
        db.execute(Volani(S(NovaZamestnankyne(), {{"PortalID", std::to_string(20000 + zamestnanec)},
                                                  {"CommitNumber", std::to_string(100 + i)},
                                                  {"Telefon", "N'60" + std::to_string(1000000 + i) + "'"}})));
    }
    const double s = Sekund(od);
    const auto zaznamu =
        Text(db.execute("SELECT COUNT(*) FROM TabQUELTAZamPortal").resultSets.at(0).rows()[0][0]);
    std::printf("%d calls of _HP_QUELTA_NovyZamestnanecZPortalu for %d Portal employees (%s records): "
                "%.0f calls/s\n",
                kVolani, kZamestnancu, zaznamu.c_str(), kVolani / s);
}

} // namespace

int main(int argc, char** argv) {
    try {
        common::testing::TempFolder docasna("plugin-sql-bench");
        const std::filesystem::path slozka = argc > 1 ? std::filesystem::path(argv[1]) : docasna.path();
        const auto soubor = slozka / "plugin-sql-bench.db";
        const auto uklid = [&] {
            for (const char* konec : {"", "-wal", "-shm"})
                std::filesystem::remove(soubor.string() + konec);
        };
        uklid();
        std::printf("Demo host with the plug-in in %s\n", soubor.c_str());
        plugin::testing::VytvorHostitele(soubor);
        auto db = plugin::testing::PripojHostitele(soubor);
        Mazani(*db, "TabCisZam", "Cislo, Prijmeni", "200000 + n, N'Zkušební'",
               "Cislo BETWEEN 200000 AND 209999", 1);
        Mazani(*db, "TabMzPF", "IdObdobi, Symbol", "12, N'B' + CAST(n AS NVARCHAR(5))", "Symbol LIKE N'B%'",
               2);
        try {
            Stahovani(*db);
        } catch (const std::exception& e) {
            std::printf("Employee download not measured: %s\n", e.what());
        }
        db.reset();
        uklid();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
    return 0;
}
