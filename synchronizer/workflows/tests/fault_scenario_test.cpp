// A failing Portal in the middle of an upload and of a download: the journal names the fault, what was sent
// stays, nothing is stamped, and running the method again reaches the state of a run without the fault.

#include "scenario_support.h"

#include "quelta/workflows/testing/workflow_host.h"

using namespace scenario;

namespace {

struct FaultCase {
    const char* kind;    //!< the stand-in's fault kind
    const char* journal; //!< what the journal's error entry starts with
};

void PrintTo(const FaultCase& c, std::ostream* os) {
    *os << c.kind;
}

const FaultCase kFaults[] = {
    {"soapFault", "0|QUELTA - ESOAPFault error raised with message : Injected fault"},
    {"http500", "0|QUELTA - EPortalConnection error raised with message : "},
    {"truncated", "0|QUELTA - EPortalResponse error raised with message : "},
    {"reset", "0|QUELTA - EPortalConnection error raised with message : "},
    {"noAnswer", "0|QUELTA - EPortalConnection error raised with message : "},
};

class FaultScenario : public Scenario {
protected:
    void SeedDeletion() {
        portal.Seed({{"$type", "BankCodeDto"}, {"erpPk", "9999"}, {"code", "9999"}});
        Exec("INSERT TabQUELTADeleteLog (Tabulka, PKRadku) VALUES (N'bankcode', N'9999')");
    }
    void SeedChanges() {
        Exec("UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = 0 WHERE Kod = N'employee'");
        portal.Seed(Json::array({{{"$type", "EmployeeDto"}, {"erpPk", "101"}, {"surname", "Němec"}},
                                 {{"$type", "EmployeeDto"}, {"erpPk", "102"}, {"surname", "Benešová"}}}));
    }
    std::vector<std::string> StagedSurnames() {
        return Rows("SELECT Prijmeni FROM TabQUELTAZamPortal WHERE TypZaznamu = 1 ORDER BY ID");
    }
    void ExpectOneErrorEntry(const std::string& start) {
        const auto errors = ErrorEntries();
        ASSERT_EQ(errors.size(), 1u);
        EXPECT_EQ(errors[0].rfind(start, 0), 0u) << errors[0];
    }
};

class Faults : public FaultScenario, public ::testing::WithParamInterface<FaultCase> {};

//! The Portal's records after a bank upload without faults, from a site of its own.
const Json& CleanBankUpload() {
    static const Json records = [] {
        quelta::testing::PortalStandin portal;
        quelta::testing::QueltaSite site{{.portalUrl = portal.Url()}};
        portal.Seed({{"$type", "BankCodeDto"}, {"erpPk", "9999"}, {"code", "9999"}});
        site.Host().Exec("INSERT TabQUELTADeleteLog (Tabulka, PKRadku) VALUES (N'bankcode', N'9999')");
        site.Quelta("upload", "bankcode");
        return WithoutCommits(portal.Records());
    }();
    return records;
}

} // namespace

TEST_P(Faults, InTheMiddleOfAnUpload) {
    SeedDeletion();
    portal.AddFault("saveOrUpdateByDto", 3, GetParam().kind);
    site.Quelta("upload", "bankcode");
    ExpectOneErrorEntry(GetParam().journal);
    EXPECT_EQ(Keys("BankCodeDto").size(), 2u) << "the two banks sent before the fault stay";
    EXPECT_EQ(Value("SELECT SmazanoUplne FROM TabQUELTADeleteLog"), "True");
    EXPECT_EQ(Stamped("bankcode"), "NULL");

    RunSilently("upload", "bankcode");
    EXPECT_EQ(WithoutCommits(portal.Records()), CleanBankUpload());
    EXPECT_EQ(Stamped("bankcode"), "0");
}

TEST_P(Faults, InADownload) {
    SeedChanges();
    portal.AddFault("findChangedDtos", 1, GetParam().kind);
    site.Quelta("download");
    ExpectOneErrorEntry(GetParam().journal);
    EXPECT_EQ(StagedSurnames(), std::vector<std::string>{});
    EXPECT_EQ(EmployeeCommit(), "0");
    EXPECT_EQ(Stamped("employee"), "NULL");

    RunSilently("download");
    EXPECT_EQ(StagedSurnames(), (std::vector<std::string>{"Němec", "Benešová"}));
    EXPECT_EQ(EmployeeCommit(), "2");
}

TEST_F(FaultScenario, StagingErrorStopsTheDownloadAtThatRecord) {
    SeedChanges();
    // The staging of the second record fails.
    Exec("ALTER TABLE TabQUELTAZamPortal ADD CONSTRAINT CK__Staging__Prijmeni CHECK (Prijmeni <> "
         "N'Benešová')");
    site.Quelta("download");
    EXPECT_EQ(StagedSurnames(), std::vector<std::string>{"Němec"});
    EXPECT_EQ(EmployeeCommit(), "0") << "the next download fetches the records again";
    ExpectOneErrorEntry("0|QUELTA - EDatabaseError error raised with message : ");
}

INSTANTIATE_TEST_SUITE_P(PortalFaults, Faults, ::testing::ValuesIn(kFaults),
                         [](const auto& info) { return std::string(info.param.kind); });
