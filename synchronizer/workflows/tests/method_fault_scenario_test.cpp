// A Portal fault in the middle of each payroll and travel method: the journal names it, the host marks
// nothing that was not sent, and a second run reaches the state of a run without the fault.

#include "scenario_support.h"

#include <fstream>

using namespace scenario;
using quelta::testing::PortalStandin;
using quelta::testing::QueltaSite;

namespace {

constexpr const char* kJournal = "0|QUELTA - ESOAPFault error raised with message : Injected fault";

//! Puts on the host and the Portal what a method works on; returns its entity argument.
using Prepare = std::string (*)(QueltaSite&, PortalStandin&);
//! What the method marks on the host (or, where it marks nothing there, the Portal's answer to it).
using Marks = std::string (*)(QueltaSite&, PortalStandin&);

std::string stamped(QueltaSite& site, const std::string& code) {
    return site.Host().Value("SELECT CASE WHEN DatumSynchronizace IS NULL THEN N'-' ELSE N'stamped' END FROM "
                             "TabQUELTANastaveniSynchronizace WHERE Kod = N'" +
                             code + "'");
}

std::string nothing(QueltaSite&, PortalStandin&) {
    return {};
}

std::string agreedRecords(QueltaSite&, PortalStandin& portal) {
    portal.Seed(Json::array({{{"$type", "CashIncomeDto"},
                              {"state", "agreed"},
                              {"amount", 800.0},
                              {"employeeErpPk", "101"},
                              {"payrollComponentsTypeCode", "200"},
                              {"periodErpPk", "12"}},
                             {{"$type", "RecordDto"},
                              {"state", "agreed"},
                              {"hours", 8.0},
                              {"employeeErpPk", "102"},
                              {"payrollComponentsTypeCode", "300"},
                              {"periodErpPk", "12"}}}));
    return {};
}

//! Two December results with their wage-slip files.
std::string wageSlips(QueltaSite& site, PortalStandin&) {
    const auto folder = site.Folder() / "slips";
    std::filesystem::create_directories(folder);
    site.Host().Exec("UPDATE TabQUELTAHGlob SET WageSlipPath = N'" + folder.string() + "'");
    std::string ids;
    for (const auto& row :
         site.Host().Rows("SELECT TOP 2 vyp.ID, zam.Cislo FROM TabZamVyp vyp JOIN TabCisZam "
                          "zam ON zam.ID = vyp.ZamestnanecId WHERE vyp.IdObdobi = 12 "
                          "ORDER BY zam.Cislo")) {
        const auto bar = row.find('|');
        std::ofstream(folder / ("000" + row.substr(bar + 1) + "122013.PDF"), std::ios::binary) << "%PDF-1.4";
        ids += (ids.empty() ? "" : ",") + row.substr(0, bar);
    }
    return ids;
}

std::string travelOrder(QueltaSite&, PortalStandin& portal) {
    portal.Seed({{"$type", "TravelOrderDto"},
                 {"portalId", 650},
                 {"commitNumber", 100},
                 {"state", "FOR_ACCOUNTING"},
                 {"createdAt", "2013-12-15T00:00:00.000Z"},
                 {"personalNumber", 101},
                 {"startTime", "2013-12-16T07:00:00.000Z"},
                 {"endTime", "2013-12-16T19:30:00.000Z"},
                 {"travelType", "M"},
                 {"modeOfTransport", "H"}});
    return {};
}

//! The flagged document in state "N", known to the Portal at the host's commit.
std::string exportableDocument(QueltaSite& site, PortalStandin& portal) {
    const auto row =
        site.Host().Value("SELECT CAST(ID AS NVARCHAR(10)) + N'|' + CAST(_Quelta_PortalID AS "
                          "NVARCHAR(10)) + N'|' + CAST(_Quelta_CommitNumber AS NVARCHAR(10)) FROM "
                          "TabICestak_EXT WHERE _Quelta_State = 'N' AND _Quelta_ToPortal = 1");
    const auto first = row.find('|'), second = row.rfind('|');
    portal.Seed({{"$type", "TravelOrderDto"},
                 {"portalId", std::stoi(row.substr(first + 1, second - first - 1))},
                 {"commitNumber", std::stoll(row.substr(second + 1))},
                 {"state", "FOR_ACCOUNTING"}});
    return row.substr(0, first);
}

//! Records without what the Portal assigns: a group sent again is a new record with a new identity.
Json withoutIdentities(Json records) {
    records = WithoutCommits(std::move(records));
    for (auto& r : records)
        r.erase("portalId");
    return records;
}

struct MethodFault {
    const char* method;
    const char* operation; //!< the Portal operation that fails
    int call;              //!< at its call
    Prepare prepare;
    Marks marks;
    const char* unmarked; //!< the marks after the failed run
};

void PrintTo(const MethodFault& f, std::ostream* os) {
    *os << f.method;
}

const MethodFault kMethodFaults[] = {
    {"payrollcomponents", "saveOrUpdateByDto", 2, nothing,
     [](QueltaSite& s, PortalStandin&) { return stamped(s, "payrollcomponents"); }, "-"},
    {"preprocess", "findChangedAgreedRecordDtos", 1, agreedRecords,
     [](QueltaSite& s, PortalStandin&) {
         return s.Host().Value("SELECT CAST(ISNULL(CommitNumber, 0) AS NVARCHAR(10)) + N'|' + CAST((SELECT "
                               "COUNT(*) FROM TabQUELTAWSPreprocess WHERE PreprocessClass = 'Record') AS "
                               "NVARCHAR(5)) FROM TabQUELTANastaveniSynchronizace WHERE Kod = N'record'");
     },
     "0|0"},
    {"payrollcalendar", "saveOrUpdateByDto", 2, nothing,
     [](QueltaSite& s, PortalStandin&) { return stamped(s, "payrollcalendar"); }, "-"},
    {"sendwageslip", "saveOrUpdateByDto", 2, wageSlips,
     [](QueltaSite& s, PortalStandin&) {
         return s.Host().Value("SELECT CAST(COUNT(*) AS NVARCHAR(5)) FROM TabZamVyp_EXT WHERE "
                               "_QUELTA_DatumOdeslani IS NOT NULL AND ID IN (SELECT ID FROM TabZamVyp WHERE "
                               "IdObdobi = 12)");
     },
     "0"},
    {"lockperiod", "saveOrUpdateByDto", 1,
     [](QueltaSite& s, PortalStandin& p) {
         p.Seed({{"$type", "PeriodDto"}, {"erpPk", "12"}, {"state", "Unlocked"}});
         s.Host().Exec("INSERT TabPlatTuz (TypPrikazu, IdMzdObd, Castka) VALUES (0, 12, 1000)");
         return std::string();
     },
     [](QueltaSite&, PortalStandin& p) { return p.Records("PeriodDto").at(0).value("state", ""); },
     "Unlocked"},
    {"travelorderdownload", "findChangedDtos", 1, travelOrder,
     [](QueltaSite& s, PortalStandin&) {
         return s.Host().Value("SELECT CAST(COUNT(*) AS NVARCHAR(5)) FROM TabICestak_EXT WHERE "
                               "_Quelta_PortalID = 650");
     },
     "0"},
    {"travelorderupload", "saveOrUpdateDtoByPortalId", 1, exportableDocument,
     [](QueltaSite& s, PortalStandin&) {
         return s.Host().Value(
             "SELECT CAST(COUNT(*) AS NVARCHAR(5)) FROM TabICestak_EXT WHERE "
             "_Quelta_UploadDate IS NOT NULL AND _Quelta_State = 'N' AND _Quelta_ToPortal = 1");
     },
     "0"},
};

class MethodFaults : public Scenario, public ::testing::WithParamInterface<MethodFault> {};

} // namespace

TEST_P(MethodFaults, JournalNothingMarkedAndASecondRunConverges) {
    const MethodFault& f = GetParam();

    // The same method on a site of its own without the fault.
    PortalStandin cleanPortal;
    QueltaSite clean{{.portalUrl = cleanPortal.Url()}};
    const std::string cleanEntity = f.prepare(clean, cleanPortal);
    ASSERT_EQ(clean.Quelta(f.method, "", "1", cleanEntity).err, "");
    const std::string cleanMarks = f.marks(clean, cleanPortal);
    ASSERT_NE(cleanMarks, f.unmarked) << "the method marks something";

    const std::string entity = f.prepare(site, portal);
    portal.AddFault(f.operation, f.call, "soapFault");
    site.Quelta(f.method, "", "1", entity);
    const auto errors = ErrorEntries();
    ASSERT_EQ(errors.size(), 1u);
    EXPECT_EQ(errors[0], kJournal);
    EXPECT_EQ(f.marks(site, portal), f.unmarked);

    RunSilently(f.method, "", entity);
    EXPECT_EQ(f.marks(site, portal), cleanMarks);
    EXPECT_EQ(withoutIdentities(portal.Records()), withoutIdentities(cleanPortal.Records()));
}

INSTANTIATE_TEST_SUITE_P(PortalFaults, MethodFaults, ::testing::ValuesIn(kMethodFaults),
                         [](const auto& info) { return std::string(info.param.method); });
