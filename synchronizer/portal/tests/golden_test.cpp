// Request envelopes compared with reviewed copies in golden/ (one element per line there).

#include "quelta/portal/operations.h"
#include "quelta/portal/typed_records.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

namespace quelta {
namespace {

//! One element per line, so that golden files can be read and reviewed.
std::string Reflow(const std::string& xml) {
    return std::regex_replace(xml, std::regex("><"), ">\n<") + "\n";
}

std::string Request(std::string_view operation, std::vector<soap::Value> args) {
    const OperationDef* op = FindPortalOperation(operation);
    soap::Call call{std::string(operation), {}};
    const auto params = op->Params();
    for (std::size_t i = 0; i < params.size(); ++i)
        call.params.push_back(
            {std::string(params[i].wire), PortalRegistry().resolve(params[i].type), std::move(args[i])});
    return MakePortalCodec().encodeRequest(call);
}

void ExpectGolden(const std::string& name, const std::string& xml) {
    const std::string path = std::string(QUELTA_PORTAL_GOLDEN_DIR) + "/" + name;
    if (std::getenv("QUELTA_UPDATE_GOLDEN")) std::ofstream(path, std::ios::binary) << Reflow(xml);
    std::ifstream in(path, std::ios::binary);
    ASSERT_TRUE(in) << "missing golden file " << path;
    std::stringstream expected;
    expected << in.rdbuf();
    EXPECT_EQ(Reflow(xml), expected.str()) << name;
}

PayrollComponentsGroupRecordDto AbsenceGroup() {
    PayrollComponentsGroupRecordDto group;
    group.erpPk = "NEPR";
    group.groupType = "RECORD";
    group.name = "Nepřítomnosti";
    group.types.emplace();
    const char* const components[][3] = {
        {"DOV", "Dovolená", "DAY"}, {"NEM", "Nemoc", "DAY"}, {"LEK", "Lékař", "HOUR"}};
    for (const auto& c : components) {
        PayrollComponentsTypeDto t;
        t.code = c[0];
        t.name = c[1];
        t.type = c[2];
        group.types->push_back(t);
    }
    return group;
}

TEST(GoldenRequests, Envelopes) {
    BankCodeDto bank;
    bank.erpPk = "0800";
    bank.code = "0800";
    bank.name = "Česká spořitelna, a.s. <Praha> & \"Brno\"";
    bank.swift = "GIBACZPX";
    ExpectGolden("bank_code_save.xml", Request("saveOrUpdateByDto", {ToRecord(bank), std::string("0800")}));

    EmployeeCalendarsDto calendars;
    calendars.erpPk = "17";
    calendars.employeeErpPk = "1001";
    calendars.payrollCalendarErpPk = std::vector<std::string>{"K-2024"};
    ExpectGolden("employee_calendars_save.xml",
                 Request("saveOrUpdateByDto", {ToRecord(calendars), std::string("17")}));

    ExpectGolden("payroll_group_record_save.xml",
                 Request("saveOrUpdateByDto", {ToRecord(AbsenceGroup()), std::string("NEPR")}));

    FamilyMemberDto member;
    member.erpPk = "1552011234";
    member.dateOfBirth = soap::DateTime::date(2015, 5, 20);
    member.employeeErpPk = "1001";
    member.foreName = "Eliška";
    member.surname = "Malá";
    ExpectGolden("family_member_save.xml",
                 Request("saveOrUpdateByDto", {ToRecord(member), std::string("1552011234")}));

    ExpectGolden("echo.xml", Request("echo", {std::string("hello")}));
    ExpectGolden("job_title_entity_lookup.xml",
                 Request("getEntityByErpPk", {NewRecord("JobTitle"), std::string("Účetní")}));
}

//! Element names of the record written as the first parameter, in document order.
std::vector<std::string> MemberOrder(const std::string& xml) {
    std::vector<std::string> names;
    const std::regex element("<([A-Za-z0-9_]+) xsi:type=\"xsd:");
    for (std::sregex_iterator it(xml.begin(), xml.end(), element), end; it != end; ++it)
        names.push_back((*it)[1]);
    return names;
}

TEST(GoldenRequests, MemberOrderFollowsCharacterCodes) {
    const auto attendance =
        MemberOrder(Request("saveOrUpdateByDto", {NewRecord("AttendanceEvidenceDto"), std::string("1")}));
    const std::vector<std::string> attendanceHead = {"portalId", "commitNumber", "erpPk",
                                                     "day1",     "day10",        "day11"};
    EXPECT_TRUE(std::equal(attendanceHead.begin(), attendanceHead.end(), attendance.begin()));
    EXPECT_EQ(attendance[3 + 10], "day19");
    EXPECT_EQ(attendance[3 + 11], "day2");
    EXPECT_EQ(attendance[3 + 31], "employeeErpPk");

    WageSlipDto slip;
    slip.employeeErpPk = "1001";
    slip.yearOWageSlip = 2024;
    for (auto* month : {&slip.month0, &slip.month1, &slip.month2, &slip.month3, &slip.month4, &slip.month5,
                        &slip.month6, &slip.month7, &slip.month8, &slip.month9, &slip.month10, &slip.month11})
        *month = soap::Bytes{'%', 'P', 'D', 'F'};
    const std::string xml = Request("saveOrUpdateByDto", {ToRecord(slip), std::string("1001/2024")});
    std::vector<std::string> names;
    const std::regex element("<([A-Za-z0-9_]+) xsi:type=");
    for (std::sregex_iterator it(xml.begin(), xml.end(), element), end; it != end; ++it)
        names.push_back((*it)[1]);
    const std::vector<std::string> expected = {
        "dto",     "portalId", "commitNumber", "erpPk",         "employeeErpPk", "month0", "month1",
        "month10", "month11",  "month2",       "month3",        "month4",        "month5", "month6",
        "month7",  "month8",   "month9",       "yearOWageSlip", "erpPk"};
    EXPECT_EQ(names, expected);
}

TEST(GoldenRequests, EmployeePhotoIsSentOnlyWhenSet) {
    EmployeeDto employee;
    employee.erpPk = "1001";
    EXPECT_EQ(Request("saveOrUpdateByDto", {ToRecord(employee), std::string("1001")}).find("<photo"),
              std::string::npos);
    soap::Bytes photo;
    for (int i = 0; i < 1000; ++i)
        photo.push_back(static_cast<std::uint8_t>(i * 37));
    employee.photo = photo;
    const std::string xml = Request("saveOrUpdateByDto", {ToRecord(employee), std::string("1001")});
    std::smatch m;
    ASSERT_TRUE(
        std::regex_search(xml, m, std::regex(R"(<photo xsi:type="xsd:base64Binary">([^<]*)</photo>)")));
    EXPECT_EQ(soap::decodeBase64(m[1].str()), photo);
}

TEST(GoldenRequests, EntityRecordNamesOnTheWire) {
    soap::Record state = NewRecord("NewRecord");
    soap::Record record = NewRecord("Record_");
    record.set("hoursPdt", "4");
    state.set("record", record);
    soap::Record outer = NewRecord("Record_");
    outer.set("state", state);
    const std::string xml = Request("saveOrUpdateByErpPk", {outer, std::string("R1")});
    EXPECT_NE(xml.find(R"(<entity xsi:type="ns1:Record">)"), std::string::npos);
    EXPECT_NE(xml.find(R"(<state xsi:type="ns1:NewRecord">)"), std::string::npos);
    EXPECT_NE(xml.find(R"(<record xsi:type="ns1:Record">)"), std::string::npos);
}

} // namespace
} // namespace quelta
