// The employee methods on the demo host against the Portal stand-in, quelta run as a process in silent mode:
// upload with its pre-check and extras, download into the staging procedure, save and the check.

#include "scenario_support.h"

#include "quelta/workflows/testing/workflow_host.h"

using namespace scenario;

namespace {

constexpr const char* kUndownloadedBeforeUpload =
    "Na portále se nachází nestažené záznamy, synchronizaci nelze provést.\n";

class Employees : public Scenario {
protected:
    //! The change records the staging procedure made, oldest first: the named columns joined by "|".
    std::vector<std::string> StagedChanges(const std::string& columns) {
        return Rows("SELECT " + columns + " FROM TabQUELTAZamPortal WHERE TypZaznamu = 1 ORDER BY ID");
    }
    //! A staged employee of TabQUELTAZamPortal; its ID.
    std::string Stage(const std::string& portalId, const std::string& commitNumber,
                      const std::string& surname) {
        Exec("INSERT TabQUELTAZamPortal (PortalID, CommitNumber, TypZaznamu, Cislo, Prijmeni, Jmeno, SSN, "
             "PovoleniKPobytu, CisloOP, CisloPasu, DrivejsiPrijmeni, Pohlavi, ZakladniPlat)\r"
             "VALUES (" +
             portalId + ", " + commitNumber + ", 1, 101, N'" + surname +
             "', N'Tomáš', N'', N'', N'', N'', N'Dřívější', 1, 30000)");
        return Value("SELECT MAX(ID) FROM TabQUELTAZamPortal");
    }
};

} // namespace

TEST_F(Employees, UploadRefusedWhileThePortalHoldsUndownloadedChanges) {
    portal.Seed({{"$type", "EmployeeDto"}, {"erpPk", "101"}, {"surname", "Němcová"}});
    Exec("INSERT TabQUELTADeleteLog (Tabulka, PKRadku) VALUES (N'employee', N'999')");
    const auto outcome = site.Quelta("upload", "employee");
    EXPECT_EQ(outcome.err, kUndownloadedBeforeUpload);
    EXPECT_EQ(portal.Calls(), (std::map<std::string, int>{{"findChangedDtos", 1}}));
    EXPECT_EQ(Value("SELECT SmazanoUplne FROM TabQUELTADeleteLog"), "False");
    EXPECT_EQ(Stamped("employee"), "NULL");
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(Employees, UploadOverwritesThePortalsRecordWithTheHostsValues) {
    Exec("UPDATE TabCisZam SET TitulPred = NULL WHERE Cislo = 101");
    portal.Seed(Json::array({
        {{"$type", "EmployeeDto"},
         {"erpPk", "101"},
         {"title", "Doc."},
         {"technicalSupportInsuranceErpPk", "T1"}},
        {{"$type", "EmployeeDto"}, {"erpPk", "104"}, {"photo", "AQID"}},
        {{"$type", "EmployeeDto"}, {"erpPk", "122"}, {"allowance2", 99.0}, {"haveAllowance2", true}},
        {{"$type", "EmployeeDto"}, {"erpPk", "123"}, {"sex", "FEMALE"}},
    }));
    AcceptPortalChanges();
    RunSilently("upload", "employee");
    EXPECT_EQ(Stamped("employee"), "0");

    const Json e101 = Record("EmployeeDto", "101");
    EXPECT_EQ(e101.value("title", "?"), "") << "a NULL title overwrites the Portal's";
    EXPECT_EQ(e101.value("technicalSupportInsuranceErpPk", ""), "T1") << "members the host lacks stay";
    EXPECT_EQ(e101.value("personalNumber", 0), 101);
    EXPECT_EQ(e101.value("sex", ""), "MALE");
    EXPECT_EQ(e101.value("employmentState", ""), "INSTATE");
    EXPECT_EQ(e101.value("dateOfBirth", ""), "1993-04-17T00:00:00.000Z");
    EXPECT_EQ(e101.value("workingTimeBasic", 0.0), 40.0);
    EXPECT_FALSE(e101.value("portalCreated", true));
    EXPECT_EQ(Record("EmployeeDto", "104").value("photo", ""), "AQID") << "no host photo: the Portal's stays";
    EXPECT_EQ(Record("EmployeeDto", "123").value("sex", ""), "FEMALE") << "Pohlavi 2 leaves sex";
    EXPECT_EQ(Record("EmployeeDto", "103").value("allPreviousNames", ""), "Malá, Veselá, Horáková");
    const Json e122 = Record("EmployeeDto", "122");
    EXPECT_EQ(e122.value("allowance", 0.0), 2070.0);
    EXPECT_TRUE(e122.value("haveAllowance", false));
    EXPECT_EQ(e122.value("allowance4", 0.0), 335.0);
    EXPECT_TRUE(e122.value("haveAllowance4", false));
    EXPECT_EQ(e122.value("allowance2", -1.0), 0.0);
    EXPECT_FALSE(e122.value("haveAllowance2", true));
    // Payroll states 2 and 3 are not in the upload query.
    EXPECT_TRUE(Record("EmployeeDto", "111").is_null());
    EXPECT_TRUE(Record("EmployeeDto", "112").is_null());

    // Employee 107: the record, its two family members and its calendar assignment, in this order.
    std::vector<std::pair<long long, std::string>> sent;
    for (const auto& r : portal.Records()) {
        const bool own = r.value("erpPk", "") == "107" && r.value("$type", "") == "EmployeeDto";
        if (own || r.value("employeeErpPk", "") == "107")
            sent.emplace_back(r.value("commitNumber", 0LL),
                              r.value("$type", "") + " " + r.value("erpPk", ""));
    }
    std::sort(sent.begin(), sent.end());
    ASSERT_EQ(sent.size(), 4u);
    EXPECT_EQ(sent[0].second, "EmployeeDto 107");
    EXPECT_EQ(sent[1].second, "FamilyMemberDto 060827/0729");
    EXPECT_EQ(sent[2].second, "FamilyMemberDto 010823/8504");
    EXPECT_EQ(sent[3].second, "EmployeeCalendarsDto 7");
    EXPECT_EQ(sent[3].first - sent[0].first, 3) << "nothing else in between";
    const Json calendars = Record("EmployeeCalendarsDto", "7");
    EXPECT_EQ(calendars.value("payrollCalendarErpPk", Json::array()),
              Json::array({Value("SELECT ID FROM TabMzKalendar WHERE Rok = 2013 AND Cislo = 1")}));
    EXPECT_EQ(Record("FamilyMemberDto", "060827/0729").value("dateOfBirth", ""), "2006-08-27T00:00:00.000Z");
}

TEST_F(Employees, DownloadHandsEachChangeToTheStagingProcedureAndKeepsTheHighestCommit) {
    Exec("UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = 0 WHERE Kod = N'employee'");
    portal.Seed(Json::array({
        {{"$type", "EmployeeDto"},
         {"erpPk", ""},
         {"surname", "O'Neill"},
         {"basicSalary", 2500.5},
         {"photo", "AQID"},
         {"sex", ""},
         {"personalNumber", 0}},
        {{"$type", "EmployeeDto"},
         {"erpPk", "102"},
         {"surname", "Benešová"},
         {"personalNumber", 102},
         {"sex", "FEMALE"},
         {"dateOfBirth", "1958-11-19T00:00:00.000Z"}},
    }));
    RunSilently("download");
    EXPECT_EQ(StagedChanges("Cislo, Prijmeni, Pohlavi, ZakladniPlat, Foto, DatumNarozeni, CommitNumber"),
              (std::vector<std::string>{"NULL|O'Neill|NULL|2500.5|\x01\x02\x03|NULL|1",
                                        "102|Benešová|NULL|0||NULL|2"}))
        << "a host employee's change keeps only what differs from the host: sex and date of birth match";
    EXPECT_EQ(EmployeeCommit(), "2");
    EXPECT_EQ(Stamped("employee"), "0");

    // Nothing changed since: no call, the commit number stays, the date is stamped again.
    Exec("UPDATE TabQUELTANastaveniSynchronizace SET DatumSynchronizace = NULL WHERE Kod = N'employee'");
    RunSilently("download");
    EXPECT_EQ(StagedChanges("COUNT(*)"), std::vector<std::string>{"2"});
    EXPECT_EQ(EmployeeCommit(), "2");
    EXPECT_EQ(Stamped("employee"), "0");
}

TEST_F(Employees, SaveRefusedWhenThePortalIsNewerAndSentWhenEqual) {
    portal.Seed({{"$type", "EmployeeDto"}, {"erpPk", "101"}, {"surname", "Němec"}, {"email", "t@demo.cz"}});
    portal.Seed(
        {{"$type", "EmployeeDto"}, {"erpPk", "101"}, {"surname", "Němec"}, {"email", "novy@demo.cz"}});
    const Json onPortal = Record("EmployeeDto", "101");
    const std::string portalId = std::to_string(onPortal.value("portalId", 0));
    const long long commit = onPortal.value("commitNumber", 0LL);

    const std::string older = Stage(portalId, std::to_string(commit - 1), "Nová");
    const auto refused = site.Quelta("save", "employee", "1", older);
    EXPECT_EQ(refused.err, "Na portále se nachází novější verze označeného záznamu!\n");
    EXPECT_EQ(Calls("saveOrUpdateDtoByPortalId"), 0);

    const std::string equal = Stage(portalId, std::to_string(commit), "Nová");
    RunSilently("save", "employee", equal);
    EXPECT_EQ(Calls("saveOrUpdateDtoByPortalId"), 1);
    const Json saved = Record("EmployeeDto", "101");
    EXPECT_EQ(saved.value("surname", ""), "Nová");
    EXPECT_EQ(saved.value("allPreviousNames", ""), "Dřívější");
    EXPECT_EQ(saved.value("email", ""), "") << "the staged row's NULL e-mail overwrites the Portal's";
    EXPECT_EQ(saved.value("sex", ""), "FEMALE");
    EXPECT_TRUE(ErrorEntries().empty());

    // A row that does not exist: the database layer's error, journaled.
    RunSilently("save", "employee", "999999");
    const auto errors = ErrorEntries();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0].rfind("0|QUELTA - EDatabaseError error raised with message : ", 0), 0u) << errors[0];
}

TEST_F(Employees, CheckTellsWhetherEverythingIsDownloaded) {
    AcceptPortalChanges();
    EXPECT_EQ(site.Quelta("checkifdownloaded").err, "Všechny záznamy jsou staženy.\n");
    portal.Seed({{"$type", "EmployeeDto"}, {"erpPk", "101"}});
    EXPECT_EQ(site.Quelta("checkifdownloaded").err, "Na portále se nachází nestažené záznamy.\n");
    EXPECT_TRUE(ErrorEntries().empty());
}

TEST_F(Employees, SlovakHostKeepsThePortalsReliefsAndSendsThePayoutAsText) {
    quelta::testing::QueltaSite slovak({.slovak = true, .portalUrl = portal.Url()}, {"timeout=3"});
    portal.Seed({{"$type", "EmployeeDto"}, {"erpPk", "101"}, {"allowance", 123.0}, {"haveAllowance", true}});
    slovak.Host().Exec("UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = " +
                       std::to_string(portal.Commit()) + " WHERE Kod = N'employee'");
    const auto outcome = slovak.Quelta("upload", "employee");
    EXPECT_EQ(outcome.err, "");
    const Json e101 = Record("EmployeeDto", "101");
    EXPECT_EQ(e101.value("allowance", 0.0), 123.0);
    EXPECT_TRUE(e101.value("haveAllowance", false));
    const std::string payout = e101.value("payoutErpPk", "");
    EXPECT_TRUE(payout == "Na ucet" || payout == "Na pokladne") << payout;

    // Health insurance offices come from the Slovak funds.
    EXPECT_EQ(slovak.Quelta("upload", "healthinsuranceoffice").err, "");
    const auto funds =
        slovak.Host().Rows("SELECT tab.Symbol FROM TabMzdPojFondy tab JOIN TabMzdPojFondy_EXT ext "
                           "ON ext.ID = tab.ID WHERE ext._QUELTA_NaPortal = 1 ORDER BY tab.Symbol");
    EXPECT_FALSE(funds.empty());
    EXPECT_EQ(Keys("HealthInsuranceOfficeDto"), funds);
}
