// Quelta run inside the test process: the progress pane and the message boxes of interactive mode, and a
// Portal that answers in an order the stand-in does not.

#include "inprocess_support.h"
#include "scenario_support.h"

#include "quelta/workflows/employee_queries.h"

#include <fstream>
#include <stdexcept>

using namespace scenario;
namespace soap = quelta::soap;

namespace {

//! A Portal that answers findChangedDtos from a script; any other call is a test failure.
class ScriptedPortal : public quelta::RpcKvaEndpoint {
public:
    explicit ScriptedPortal(std::vector<soap::Record> changed)
        : changed_(std::move(changed)) {}
    std::vector<std::int64_t> askedAfter;

    std::vector<soap::Record> findChangedDtos(const soap::Record&, std::int64_t after) override {
        askedAfter.push_back(after);
        return changed_;
    }

    [[noreturn]] static void unexpected() { throw std::logic_error("unexpected Portal call"); }
    std::string echo(const std::string&) override { unexpected(); }
    std::vector<soap::Record> findChangedEntities(const soap::Record&, std::int64_t) override {
        unexpected();
    }
    std::vector<soap::Record> findChangedAgreedCashIncomeDtos(std::int64_t) override { unexpected(); }
    std::vector<soap::Record> findChangedAgreedRecordDtos(std::int64_t) override { unexpected(); }
    void saveCashIncomeDtos(const soap::Record&) override { unexpected(); }
    void saveRecordDtos(const soap::Record&) override { unexpected(); }
    void saveEmployeeCalendarDto(const soap::Record&) override { unexpected(); }
    std::optional<soap::Record> getEntityByPortalId(const soap::Record&, std::int32_t) override {
        unexpected();
    }
    std::optional<soap::Record> getEntityByErpPk(const soap::Record&, const std::string&) override {
        unexpected();
    }
    void saveOrUpdateByErpPk(const soap::Record&, const std::string&) override { unexpected(); }
    void saveOrUpdateByPortalId(const soap::Record&, std::int32_t) override { unexpected(); }
    void deleteByErpPk(const soap::Record&, const std::string&) override { unexpected(); }
    void deleteByPortalId(const soap::Record&, std::int32_t) override { unexpected(); }
    std::optional<soap::Record> getDtoByErpPk(const soap::Record&, const std::string&) override {
        unexpected();
    }
    void saveOrUpdateByDto(const soap::Record&, const std::string&) override { unexpected(); }
    void deleteByDto(const soap::Record&, const std::string&) override { unexpected(); }
    void saveOrUpdateDtoByPortalId(const soap::Record&) override { unexpected(); }
    std::optional<soap::Record> getDtoByPortalId(const soap::Record&, std::int32_t) override { unexpected(); }
    std::optional<soap::Record> dummyMethod(const soap::Record&) override { unexpected(); }

private:
    std::vector<soap::Record> changed_;
};

//! A Portal employee of its own (its Portal ID is the commit number) changed at that commit.
soap::Record changedEmployee(const std::string& surname, std::int64_t commit) {
    soap::Record r = quelta::NewRecord("EmployeeDto");
    r.set("portalId", soap::Value(static_cast<std::int32_t>(commit)));
    r.set("surname", soap::Value(surname));
    r.set("commitNumber", soap::Value(commit));
    return r;
}

class InProcess : public Scenario {
protected:
    RecordingUi ui;
    std::vector<std::string> Rowcounts(const std::vector<std::string>& events) {
        std::vector<std::string> out;
        for (const auto& e : events)
            if (e != "inc") out.push_back(e);
        return out;
    }
    long Steps() { return std::count(ui.pane->events.begin(), ui.pane->events.end(), std::string("inc")); }
};

} // namespace

TEST_F(InProcess, DownloadKeepsTheHighestCommitNumberNotTheLast) {
    Exec("UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = 5 WHERE Kod = N'employee'");
    auto scripted = std::make_shared<ScriptedPortal>(std::vector<soap::Record>{
        changedEmployee("Sedmá", 7), changedEmployee("Dvanáctá", 12), changedEmployee("Devátá", 9)});
    RunInProcess(site.Folder(), ui, {"download", "employee", "1"},
                 [scripted](const quelta::PortalSettings&) { return scripted; });
    EXPECT_EQ(scripted->askedAfter, std::vector<std::int64_t>{5});
    EXPECT_EQ(Rows("SELECT Prijmeni, CommitNumber FROM TabQUELTAZamPortal WHERE TypZaznamu = 1 ORDER BY ID"),
              (std::vector<std::string>{"Sedmá|7", "Dvanáctá|12", "Devátá|9"}));
    EXPECT_EQ(EmployeeCommit(), "12");
    EXPECT_EQ(Stamped("employee"), "0");
    EXPECT_EQ(ui.panesCreated, 0) << "silent mode shows no pane";
}

TEST_F(InProcess, InteractiveUploadShowsThePaneWithOneStepPerRecord) {
    const std::string banks =
        Value("SELECT COUNT(*) FROM TabPenezniUstavy tab JOIN TabPenezniUstavy_EXT ext ON "
              "ext.ID = tab.ID WHERE ISNULL(tab.KodUstavu, '') <> '' AND "
              "ext._QUELTA_NaPortal = 1");
    RunInProcess(site.Folder(), ui, {"upload", "bankcode", "0"});
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(ui.panesCreated, 1);
    EXPECT_EQ(Rowcounts(ui.pane->events),
              (std::vector<std::string>{"list Peněžní ústavy", "rowcount " + banks, "show"}));
    EXPECT_EQ(Steps(), std::stol(banks));
    EXPECT_EQ(Stamped("bankcode"), "0");
}

TEST_F(InProcess, InteractiveEmployeeUploadCountsTheStreamedEmployees) {
    AcceptPortalChanges();
    // One row per employee and bank link or contact: the pane counts rows, as it steps.
    const auto rows = std::to_string(Rows(quelta::EmployeeUploadQuery("CZ")).size());
    RunInProcess(site.Folder(), ui, {"upload", "employee", "0"});
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(Rowcounts(ui.pane->events),
              (std::vector<std::string>{"list Zaměstnanci", "rowcount " + rows, "show"}));
    EXPECT_EQ(std::to_string(Steps()), rows);
    EXPECT_FALSE(portal.Records("EmployeeDto").empty());
    EXPECT_EQ(Stamped("employee"), "0");
}

TEST_F(InProcess, InteractiveUploadWithoutRowsNeitherShowsNorStamps) {
    RunInProcess(site.Folder(), ui, {"upload", "maritalstatus", "0"});
    EXPECT_EQ(ui.pane->events, (std::vector<std::string>{"list Rodinný stav", "rowcount 0"}));
    EXPECT_EQ(Stamped("maritalstatus"), "NULL");
    // Silent mode stamps the empty list.
    RunInProcess(site.Folder(), ui, {"upload", "maritalstatus", "1"});
    EXPECT_EQ(Stamped("maritalstatus"), "0");
}

TEST_F(InProcess, InteractiveDownloadWithNothingChangedTellsAndUpdatesNothing) {
    AcceptPortalChanges();
    const std::string commit = EmployeeCommit();
    RunInProcess(site.Folder(), ui, {"download", "employee", "0"});
    EXPECT_EQ(ui.messages, std::vector<std::string>{"Nebyl nalezen žádný záznam pro stažení z portálu!"});
    EXPECT_EQ(ui.pane->events, (std::vector<std::string>{"list Zaměstnanci", "show", "rowcount 0"}));
    EXPECT_EQ(Stamped("employee"), "NULL");
    EXPECT_EQ(EmployeeCommit(), commit);
}

TEST_F(InProcess, InteractiveDownloadStepsOncePerRecord) {
    Exec("UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = 0 WHERE Kod = N'employee'");
    portal.Seed(Json::array({{{"$type", "EmployeeDto"}, {"erpPk", "101"}, {"surname", "Němec"}},
                             {{"$type", "EmployeeDto"}, {"erpPk", "102"}, {"surname", "Benešová"}}}));
    RunInProcess(site.Folder(), ui, {"download", "employee", "0"});
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(Rowcounts(ui.pane->events),
              (std::vector<std::string>{"list Zaměstnanci", "show", "rowcount 2"}));
    EXPECT_EQ(Steps(), 2);
}

TEST_F(InProcess, InteractiveWageSlipsNameEachEmployeeInThePane) {
    const auto folder = site.Folder() / "slips";
    std::filesystem::create_directories(folder);
    Exec("UPDATE TabQUELTAHGlob SET WageSlipPath = N'" + folder.string() + "'");
    const auto results =
        Rows("SELECT TOP 2 vyp.ID, zam.Cislo, zam.PrijmeniJmeno FROM TabZamVyp vyp JOIN TabCisZam "
             "zam ON zam.ID = vyp.ZamestnanecId WHERE vyp.IdObdobi = 12 ORDER BY vyp.ID");
    ASSERT_EQ(results.size(), 2u);
    std::vector<std::string> expected = {"caption Odesílání výplatních pásek",
                                         "label1 Odesílání zaměstnance:", "list ", "rowcount 2", "show"};
    std::string ids;
    for (const auto& row : results) {
        const auto first = row.find('|'), second = row.rfind('|');
        std::ofstream(folder / ("000" + row.substr(first + 1, second - first - 1) + "122013.PDF")) << "%PDF";
        ids += (ids.empty() ? "" : ",") + row.substr(0, first);
        expected.push_back("list " + row.substr(second + 1));
        expected.push_back("inc");
    }
    RunInProcess(site.Folder(), ui, {"sendwageslip", "", "0", ids});
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
    EXPECT_EQ(ui.pane->events, expected);
}

TEST_F(InProcess, InteractiveMethodsWithNothingToSendTellAndMarkNothing) {
    RunInProcess(site.Folder(), ui, {"sendwageslip", "", "0", "999999"});
    Exec("DELETE FROM TabQUELTAWSPayrollComponents");
    RunInProcess(site.Folder(), ui, {"payrollcomponents", "", "0"});
    EXPECT_EQ(ui.messages, std::vector<std::string>(2, "Žádné záznamy pro synchronizaci!"));
    EXPECT_EQ(Stamped("payrollcomponents"), "NULL");
    EXPECT_EQ(portal.Calls(), (std::map<std::string, int>{}));
}

TEST_F(InProcess, InteractivePayrollMethodsStepOnceForEachRecordTheySend) {
    struct PaneCase {
        const char* method;
        const char* list;
        int total; //!< of the demo company: eight component groups, three calendars of 2013
    };
    constexpr PaneCase kCases[] = {
        {"payrollcomponents", "Skupiny mzdových složek", 8},
        {"payrollcalendar", "Mzdové kalendáře", 3},
    };
    for (const PaneCase& c : kCases) {
        SCOPED_TRACE(c.method);
        portal.Reset();
        ui.pane->events.clear();
        RunInProcess(site.Folder(), ui, {c.method, "", "0"});
        std::vector<std::string> expected = {std::string("list ") + c.list,
                                             "rowcount " + std::to_string(c.total), "show"};
        expected.insert(expected.end(), c.total, "inc");
        EXPECT_EQ(ui.pane->events, expected);
        EXPECT_EQ(portal.Records().size(), static_cast<std::size_t>(c.total)) << "one record per step";
        EXPECT_EQ(Stamped(c.method), "0");
    }
    EXPECT_EQ(ui.messages, std::vector<std::string>{});
}
