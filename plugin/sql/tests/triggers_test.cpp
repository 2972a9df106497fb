// The plug-in's triggers on the demo host: flags of new code-list rows, the delete log with its
// further effects, and the completion of Portal preprocessing records.

#include "plugin_host.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using plugin::testing::TPluginHost;

struct TNovyRadek {
    const char* tabulka;
    const char* sloupce; //!< the columns the host needs for a new row
    const char* hodnoty; //!< two rows of them, for one INSERT ... SELECT ... UNION ALL SELECT ...
};

constexpr TNovyRadek kNoveRadky[] = {
    {"TabINaklKod", "Kod", "SELECT N'TEST1' UNION ALL SELECT N'TEST2'"},
    {"TabKodMen", "Kod", "SELECT N'CHF' UNION ALL SELECT N'HUF'"},
    {"TabZeme", "ISOKod", "SELECT N'IT' UNION ALL SELECT N'FR'"},
    {"TabCisZam", "Cislo", "SELECT 901 UNION ALL SELECT 902"},
    {"TabPenezniUstavy", "KodUstavu", "SELECT N'9901' UNION ALL SELECT N'9902'"},
    {"TabZdrPoj", "Kod, IdObdobi", "SELECT N'991', 12 UNION ALL SELECT N'992', 12"},
    {"TabPSC", "Cislo, Mesto", "SELECT N'999 01', N'Nové Město' UNION ALL SELECT N'999 02', N'Staré Město'"},
    {"TabStrom", "Cislo", "SELECT N'S901' UNION ALL SELECT N'S902'"},
    {"TabNakladovyOkruh", "Cislo", "SELECT N'N901' UNION ALL SELECT N'N902'"},
    {"TabIVozidlo", "SPZZobraz", "SELECT N'9X9 0001' UNION ALL SELECT N'9X9 0002'"},
    {"TabZakazka", "CisloZakazky", "SELECT N'Z901' UNION ALL SELECT N'Z902'"},
    {"TabProfes", "Cislo", "SELECT N'P901' UNION ALL SELECT N'P902'"},
    {"TabPracovniPozice", "Nazev", "SELECT N'Pozice 1' UNION ALL SELECT N'Pozice 2'"},
    {"TabMzPF", "IdObdobi, Symbol", "SELECT 12, N'PF91' UNION ALL SELECT 12, N'PF92'"},
};

TEST(FlagTriggers, EveryNewRowOfASynchronisedCodeListIsOfferedToThePortal) {
    TPluginHost host;
    for (const auto& t : kNoveRadky) {
        SCOPED_TRACE(t.tabulka);
        const std::string tabulka = t.tabulka, ext = tabulka + "_EXT";
        const auto posledni = std::to_string(host.number("SELECT ISNULL(MAX(ID), 0) FROM " + tabulka));
        // An extension row left from an earlier row with the next ID: it is reused, not doubled.
        host.exec("INSERT INTO " + ext + " (ID, _QUELTA_NaPortal) SELECT ISNULL(MAX(ID), 0) + 1, 0 FROM " +
                  tabulka);
        host.exec("INSERT INTO " + tabulka + " (" + t.sloupce + ") " + t.hodnoty);
        EXPECT_EQ(host.rows("SELECT CAST(x._QUELTA_NaPortal AS INT) FROM " + tabulka + " t JOIN " + ext +
                            " x ON x.ID = t.ID WHERE t.ID > " + posledni),
                  (std::vector<std::string>{"1", "1"}));
        EXPECT_EQ(host.number("SELECT COUNT(*) FROM " + ext + " WHERE ID > " + posledni), 2);
    }
}

struct TMazani {
    const char* tabulka;
    const char* klic;
    std::vector<std::string> kody;
};

const TMazani kMazani[] = {
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
    {"TabCisMzSl", "CisloMzSl", {"payrollcomponents"}},
    {"TabPredzp", "ID", {"preproces"}},
};

TEST(DeleteTriggers, EveryDeletedRowIsLoggedOncePerPortalEntityWithItsKey) {
    TPluginHost host;
    for (const auto& t : kMazani) {
        SCOPED_TRACE(t.tabulka);
        const std::string tabulka = t.tabulka;
        // Three rows in one statement.
        const std::string ktere = " WHERE ID IN (SELECT TOP 3 ID FROM " + tabulka + " ORDER BY ID DESC)";
        const auto klice =
            host.rows("SELECT CAST(" + std::string(t.klic) + " AS NVARCHAR(100)) FROM " + tabulka + ktere);
        ASSERT_EQ(klice.size(), 3u);
        std::vector<std::string> ocekavane;
        for (const auto& kod : t.kody)
            for (const auto& klic : klice)
                ocekavane.push_back(kod + "|" + klic);
        host.exec("DELETE FROM TabQUELTADeleteLog");
        host.exec("DELETE FROM " + tabulka + ktere);
        auto zapsane = host.rows("SELECT Tabulka, PKRadku FROM TabQUELTADeleteLog");
        std::sort(ocekavane.begin(), ocekavane.end());
        std::sort(zapsane.begin(), zapsane.end());
        EXPECT_EQ(zapsane, ocekavane);
        // The other columns keep their defaults.
        EXPECT_EQ(
            host.number("SELECT COUNT(*) FROM TabQUELTADeleteLog WHERE SmazanoUplne = 0 AND IDRadku IS NULL "
                        "AND Autor = SUSER_SNAME() AND DatPorizeni IS NOT NULL"),
            static_cast<long long>(ocekavane.size()));
    }
}

TEST(DeleteTriggers, AStatementThatDeletesNothingLogsNothing) {
    TPluginHost host;
    host.exec("DELETE FROM TabZeme WHERE ISOKod = N'XX'");
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabQUELTADeleteLog"), 0);
}

TEST(DeleteTriggers, ADeletedPayrollComponentIsNoLongerOfferedToThePortal) {
    TPluginHost host;
    host.exec("DELETE FROM TabQUELTAWSPayrollComponents");
    host.exec(
        "INSERT INTO TabQUELTAWSPayrollComponents (deleted, typeCode, typeName) "
        "SELECT 0, 200, N'Prémie' UNION ALL SELECT 0, 200, N'Prémie' UNION ALL SELECT 0, 300, N'Dovolená'");
    host.exec("DELETE FROM TabCisMzSl WHERE CisloMzSl = 200 AND IdObdobi = 12");
    EXPECT_EQ(
        host.rows("SELECT typeCode, CAST(deleted AS INT) FROM TabQUELTAWSPayrollComponents ORDER BY ID"),
        (std::vector<std::string>{"200|1", "200|1", "300|0"}));
}

TEST(DeleteTriggers, ADeletedHostPreprocessingRowMarksThePortalRecordItCameFrom) {
    TPluginHost host;
    host.exec("INSERT INTO TabQUELTAWSPreprocess (erpPk, Stav) SELECT 2, 2 UNION ALL SELECT 3, 2 "
              "UNION ALL SELECT NULL, 0");
    host.exec("DELETE FROM TabPredzp WHERE ID = 2");
    EXPECT_EQ(host.rows("SELECT ISNULL(CAST(erpPk AS NVARCHAR(10)), N'-'), CAST(deleted AS INT) "
                        "FROM TabQUELTAWSPreprocess ORDER BY ID"),
              (std::vector<std::string>{"2|1", "3|0", "-|0"}));
}

TEST(PreprocessTrigger, ARecordWrittenAloneGetsItsClassNamesAndComponentName) {
    TPluginHost host;
    const char* vloz = "INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, period, "
                       "preprocessClass) VALUES ";
    host.exec(std::string(vloz) + "(101, N'200', N'12', NULL)");      // group type 1
    host.exec(std::string(vloz) + "(102, N'300', N'12', NULL)");      // group type 2
    host.exec(std::string(vloz) + "(103, N'500', N'12', NULL)");      // group type 9: no class
    host.exec(std::string(vloz) + "(104, N'200', N'12', N'Record')"); // a class it has stays
    host.exec(std::string(vloz) + "(99999, N'999', N'12', NULL)");    // nothing known
    EXPECT_EQ(host.rows("SELECT ISNULL(preprocessClass, N'-'), ISNULL(Prijmeni, N'-'), ISNULL(Jmeno, N'-'), "
                        "ISNULL(NazevMzSl, N'-') FROM TabQUELTAWSPreprocess ORDER BY ID"),
              (std::vector<std::string>{"CashIncome|Němec|Tomáš|Prémie", "Record|Benešová|Věra|Dovolená",
                                        "-|Horáková|Anna|Záloha", "Record|Benešová|Hana|Prémie", "-|-|-|-"}));

    // Rewritten alone, a record follows its new employee and component.
    host.exec("UPDATE TabQUELTAWSPreprocess SET employeeErpPk = 105, payrollComponentsType = N'320', "
              "preprocessClass = NULL WHERE employeeErpPk = 101");
    EXPECT_EQ(
        host.value("SELECT preprocessClass + N'|' + Prijmeni + N'|' + NazevMzSl FROM TabQUELTAWSPreprocess "
                   "WHERE employeeErpPk = 105"),
        "Record|Veselá|Lékař");
}

TEST(PreprocessTrigger, RecordsWrittenTogetherAreLeftAsTheyAre) {
    TPluginHost host;
    host.exec("INSERT INTO TabQUELTAWSPreprocess (employeeErpPk, payrollComponentsType, period) "
              "SELECT 101, N'200', N'12' UNION ALL SELECT 102, N'300', N'12'");
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabQUELTAWSPreprocess WHERE preprocessClass IS NULL "
                          "AND Prijmeni IS NULL AND NazevMzSl IS NULL"),
              2);
    host.exec("UPDATE TabQUELTAWSPreprocess SET Stav = 1");
    EXPECT_EQ(host.number("SELECT COUNT(*) FROM TabQUELTAWSPreprocess WHERE preprocessClass IS NULL"), 2);
}

} // namespace
