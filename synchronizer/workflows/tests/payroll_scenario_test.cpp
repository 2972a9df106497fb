// The payroll methods on the demo host against the Portal stand-in, quelta run as a process in silent mode:
// payroll components, the preprocessing exchange, calendars, wage slips and the period lock.

#include "scenario_support.h"

#include <fstream>

using namespace scenario;

namespace {

class Payroll : public Scenario {
protected:
    //! The component codes of a group on the Portal, in the order sent ("absent" when the group is not
    //! there).
    std::vector<std::string> GroupTypes(const std::string& type, const std::string& group) {
        const Json g = Record(type, group);
        if (g.is_null()) return {"absent"};
        std::vector<std::string> codes;
        for (const auto& t : g.value("types", Json::array()))
            codes.push_back(t.value("code", ""));
        return codes;
    }
    std::string Commit(const std::string& code) {
        return Value("SELECT CommitNumber FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'" + code + "'");
    }
};

} // namespace

TEST_F(Payroll, ComponentGroupsFollowTheOffer) {
    RunSilently("payrollcomponents");
    EXPECT_EQ(Stamped("payrollcomponents"), "0");
    EXPECT_EQ(GroupTypes("PayrollComponentsGroupRecordDto", "3"), (std::vector<std::string>{"300", "310"}));
    EXPECT_EQ(GroupTypes("PayrollComponentsGroupCashIncomeDto", "2"), std::vector<std::string>{"200"});
    const Json absences = Record("PayrollComponentsGroupRecordDto", "3");
    EXPECT_EQ(absences.value("name", ""), "Nepřítomnosti");
    EXPECT_EQ(absences.value("groupType", ""), "NOTWORKED");

    // A removed component: its group goes and comes back without it; a group left empty stays away.
    Exec("UPDATE TabQUELTAWSPayrollComponents SET deleted = 1 WHERE typeCode IN (310, 200)");
    RunSilently("payrollcomponents");
    EXPECT_EQ(GroupTypes("PayrollComponentsGroupRecordDto", "3"), std::vector<std::string>{"300"});
    EXPECT_EQ(GroupTypes("PayrollComponentsGroupCashIncomeDto", "2"), std::vector<std::string>{"absent"});
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(Payroll, AGroupOfAnUnknownClassStopsTheUploadWithAnErrorAndNoStamp) {
    Exec("UPDATE TabQUELTAWSPayrollComponents SET groupClass = N'PayrollComponentsGroupOther' WHERE "
         "groupErpPk = 3");
    site.Quelta("payrollcomponents");
    const auto errors = ErrorEntries();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find("PayrollComponentsGroupOther"), std::string::npos) << errors[0];
    EXPECT_EQ(Stamped("payrollcomponents"), "NULL");
}

TEST_F(Payroll, AgreedRecordsAreStagedOnceAndLocalChangesGoBack) {
    portal.Seed(Json::array({
        {{"$type", "CashIncomeDto"},
         {"state", "agreed"},
         {"amount", 1500.5},
         {"employeeErpPk", "101"},
         {"payrollComponentsTypeCode", "200"},
         {"periodErpPk", "12"}},
        {{"$type", "CashIncomeDto"},
         {"state", "new"},
         {"amount", 99.0},
         {"employeeErpPk", "102"},
         {"payrollComponentsTypeCode", "200"},
         {"periodErpPk", "12"}},
        {{"$type", "RecordDto"},
         {"state", "agreed"},
         {"hours", 7.5},
         {"dateFrom", "2013-12-02T00:00:00.000Z"},
         {"dateTo", "2013-12-02T00:00:00.000Z"},
         {"employeeErpPk", "103"},
         {"payrollComponentsTypeCode", "300"},
         {"periodErpPk", "12"}},
    }));
    const std::string staged = "SELECT employeeErpPk, payrollComponentsType, amount, hours, "
                               "CONVERT(NVARCHAR(8), dateFrom, 112), PreprocessClass "
                               "FROM TabQUELTAWSPreprocess ORDER BY ID";
    const std::vector<std::string> expected = {"101|200|1500.5|NULL|NULL|CashIncome",
                                               "103|300|NULL|7.5|20131202|Record"};
    RunSilently("preprocess");
    EXPECT_EQ(Rows(staged), expected);
    RunSilently("preprocess");
    EXPECT_EQ(Rows(staged), expected) << "records downloaded twice are staged once";
    EXPECT_EQ(Commit("cashincome"), "1") << "the agreed cash income's commit";
    EXPECT_EQ(Commit("record"), "3");

    // A clerk's change on the host goes back to the Portal's record.
    Exec("UPDATE TabQUELTAWSPreprocess SET amount = 1600, commitNumber = 1000 WHERE employeeErpPk = 101");
    RunSilently("cashincome");
    const Json cash = portal.Records("CashIncomeDto");
    ASSERT_EQ(cash.size(), 2u);
    EXPECT_EQ(cash[0].value("amount", 0.0), 1600.0);
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(Payroll, CalendarsOfTheCurrentYearWithTheirDays) {
    RunSilently("payrollcalendar");
    const auto hostCalendars = Rows("SELECT ID FROM TabMzKalendar WHERE Rok = 2013 ORDER BY ID");
    const Json calendars = portal.Records("PayrollCalendarDto");
    ASSERT_EQ(calendars.size(), hostCalendars.size());
    ASSERT_FALSE(calendars.empty());
    for (const auto& c : calendars) {
        EXPECT_EQ(c.value("year", 0), 2013);
        const auto days = Value("SELECT COUNT(*) FROM TabMzKalendarDny WHERE IDKalendar = " +
                                c.value("erpPk", std::string("0")));
        EXPECT_EQ(std::to_string(c.value("days", Json::array()).size()), days) << c.value("erpPk", "");
    }
    const Json first = Record("PayrollCalendarDto", hostCalendars[0]);
    ASSERT_GE(first.value("days", Json::array()).size(), 1u);
    EXPECT_EQ(first["days"][0].value("day", ""), "2013-01-01T00:00:00.000Z");
    EXPECT_EQ(first["days"][0].value("holidayType", ""), "A");
    EXPECT_EQ(Stamped("payrollcalendar"), "0");
}

TEST_F(Payroll, WageSlipsOfResultsWithFilesAreSentAndMarked) {
    const auto folder = site.Folder() / "slips";
    std::filesystem::create_directories(folder);
    Exec("UPDATE TabQUELTAHGlob SET WageSlipPath = N'" + folder.string() + "'");
    const auto results = Rows("SELECT TOP 3 vyp.ID, zam.Cislo FROM TabZamVyp vyp "
                              "JOIN TabCisZam zam ON zam.ID = vyp.ZamestnanecId "
                              "WHERE vyp.IdObdobi = 12 ORDER BY zam.Cislo");
    ASSERT_EQ(results.size(), 3u);
    std::vector<std::string> ids, numbers;
    for (const auto& r : results) {
        ids.push_back(r.substr(0, r.find('|')));
        numbers.push_back(r.substr(r.find('|') + 1));
    }
    for (int i = 0; i < 2; ++i) {
        std::ofstream(folder / ("000" + numbers[i] + "122013.PDF"), std::ios::binary)
            << "%PDF-" << numbers[i];
    }
    Exec("INSERT TabZamVyp_EXT (ID, _QUELTA_DatumOdeslani) VALUES (" + ids[2] + ", GETDATE())");

    RunSilently("sendwageslip", "", ids[0] + "," + ids[1] + "," + ids[2]);
    const Json slip = Record("WageSlipDto", "2013000" + numbers[0]);
    ASSERT_FALSE(slip.is_null());
    EXPECT_EQ(slip.value("month11", ""), "JVBERi0xMDE=") << "%PDF-101 in the December slot";
    EXPECT_EQ(slip.value("yearOWageSlip", 0), 2013);
    EXPECT_FALSE(Record("WageSlipDto", "2013000" + numbers[1]).is_null());
    EXPECT_TRUE(Record("WageSlipDto", "2013000" + numbers[2]).is_null());
    EXPECT_EQ(Rows("SELECT ID, CASE WHEN _QUELTA_DatumOdeslani IS NULL THEN 0 ELSE 1 END FROM TabZamVyp_EXT "
                   "WHERE ID IN (" +
                   ids[0] + "," + ids[1] + "," + ids[2] + ") ORDER BY ID"),
              (std::vector<std::string>{ids[0] + "|1", ids[1] + "|1", ids[2] + "|0"}))
        << "the result without a file is not marked sent";
}

TEST_F(Payroll, PeriodLockedOnlyWithPaymentOrders) {
    portal.Seed({{"$type", "PeriodDto"}, {"erpPk", "12"}, {"state", "Locked"}});
    RunSilently("lockperiod");
    EXPECT_EQ(Record("PeriodDto", "12").value("state", ""), "Unlocked") << "no domestic order of type 0";

    Exec("INSERT TabPlatTuz (TypPrikazu, IdMzdObd, Castka) VALUES (0, 12, 1000)");
    RunSilently("lockperiod");
    EXPECT_EQ(Record("PeriodDto", "12").value("state", ""), "Locked");
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(Payroll, AnUnreadableWageSlipIsJournalledAndTheOthersGo) {
    const auto folder = site.Folder() / "slips";
    const auto results = Rows("SELECT TOP 2 vyp.ID, zam.Cislo FROM TabZamVyp vyp "
                              "JOIN TabCisZam zam ON zam.ID = vyp.ZamestnanecId "
                              "WHERE vyp.IdObdobi = 12 ORDER BY zam.Cislo");
    ASSERT_EQ(results.size(), 2u);
    const auto field = [](const std::string& row, bool second) {
        return second ? row.substr(row.find('|') + 1) : row.substr(0, row.find('|'));
    };
    // The first file cannot be read (a folder stands in its name), the second can.
    const std::string unreadable = "000" + field(results[0], true) + "122013.PDF";
    std::filesystem::create_directories(folder / unreadable);
    std::ofstream(folder / ("000" + field(results[1], true) + "122013.PDF"), std::ios::binary) << "%PDF-1.4";
    Exec("UPDATE TabQUELTAHGlob SET WageSlipPath = N'" + folder.string() + "'");

    site.Quelta("sendwageslip", "", "1", field(results[0], false) + "," + field(results[1], false));
    const auto errors = ErrorEntries();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_NE(errors[0].find(unreadable), std::string::npos) << errors[0];
    EXPECT_EQ(Keys("WageSlipDto"), std::vector<std::string>{"2013000" + field(results[1], true)});
    EXPECT_EQ(Rows("SELECT CASE WHEN _QUELTA_DatumOdeslani IS NULL THEN 0 ELSE 1 END FROM TabZamVyp_EXT "
                   "WHERE ID IN (" +
                   field(results[0], false) + "," + field(results[1], false) + ") ORDER BY ID"),
              (std::vector<std::string>{"0", "1"}));
}
