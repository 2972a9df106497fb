// The payroll and travel methods on the Slovak demo company (main currency EUR, own country SK, Slovak public
// holidays): one representative run per method, checked on the Portal and on the host.

#include "scenario_support.h"

#include <fstream>
#include <sstream>

using namespace scenario;

namespace {

//! One method run on the Slovak host, and what it must leave.
struct SlovakCase {
    const char* method;
    const char* prepare;      //!< host batch run first ({slips} is the wage-slip folder), or ""
    const char* seed;         //!< Portal records seeded first (JSON), or ""
    const char* entity;       //!< query whose values, joined by ",", are the entity id, or ""
    const char* wageSlips;    //!< employee numbers whose December wage-slip file exists, or ""
    const char* portalType;   //!< a record the Portal then holds: its type,
    const char* portalErpPk;  //!< its host key,
    const char* portalMember; //!< a JSON pointer into it
    const char* portalValue;  //!< and the value there (JSON; of an object only the members given)
    const char* hostQuery;    //!< a host query then giving
    const char* hostValue;    //!< these rows joined by ";"
};

constexpr SlovakCase kCases[] = {
    {"payrollcomponents", "", "", "", "", "PayrollComponentsGroupRecordDto", "3", "/types/0/code", R"("300")",
     "SELECT CASE WHEN DatumSynchronizace IS NULL THEN 0 ELSE 1 END FROM TabQUELTANastaveniSynchronizace "
     "WHERE Kod = N'payrollcomponents'",
     "1"},
    {"preprocess", "",
     R"([{"$type":"CashIncomeDto","state":"agreed","amount":120.5,"employeeErpPk":"101",
         "payrollComponentsTypeCode":"200","periodErpPk":"12"}])",
     "", "", "", "", "", "", "SELECT employeeErpPk, amount, PreprocessClass FROM TabQUELTAWSPreprocess",
     "101|120.5|CashIncome"},
    // 6 January is a public holiday in Slovakia only.
    {"payrollcalendar", "", "", "", "", "PayrollCalendarDto", "2", "/days/5/holidayType", R"("A")",
     "SELECT COUNT(*) FROM TabMzKalendarDny WHERE IDKalendar = 2 AND Datum = '20130106' AND Svatek = 'A'",
     "1"},
    // Three December results, the third without a file.
    {"sendwageslip", "UPDATE TabQUELTAHGlob SET WageSlipPath = N'{slips}'", "",
     "SELECT vyp.ID FROM TabZamVyp vyp JOIN TabCisZam zam ON zam.ID = vyp.ZamestnanecId "
     "WHERE vyp.IdObdobi = 12 AND zam.Cislo IN (101, 102, 103) ORDER BY zam.Cislo",
     "101,102", "WageSlipDto", "2013000101", "/month11", R"("JVBERi0xMDE=")",
     "SELECT zam.Cislo, CASE WHEN ext._QUELTA_DatumOdeslani IS NULL THEN 0 ELSE 1 END FROM TabZamVyp vyp "
     "JOIN TabCisZam zam ON zam.ID = vyp.ZamestnanecId LEFT JOIN TabZamVyp_EXT ext ON ext.ID = vyp.ID "
     "WHERE vyp.IdObdobi = 12 AND zam.Cislo IN (101, 102, 103) ORDER BY zam.Cislo",
     "101|1;102|1;103|0"},
    {"lockperiod", "INSERT TabPlatTuz (TypPrikazu, IdMzdObd, Castka) VALUES (0, 12, 1000)",
     R"({"$type":"PeriodDto","erpPk":"12","state":"Unlocked"})", "", "", "PeriodDto", "12", "/state",
     R"("Locked")", "", ""},
    // A cost without a currency is in the main currency, EUR: its price is kept as sent, not converted.
    {"travelorderdownload", "",
     R"({"$type":"TravelOrderDto","portalId":660,"commitNumber":100,"state":"FOR_ACCOUNTING",
         "createdAt":"2013-12-15T00:00:00.000Z","personalNumber":101,"activityDestination":"Košice","travelPurpose":"Školenie",
         "startTime":"2013-12-16T06:00:00.000Z","endTime":"2013-12-16T20:00:00.000Z","travelType":"M",
         "modeOfTransport":"A","vehicleErpPk":"1AB 2345","distanceTotal":800,"payInDomestic":true,
         "items":[{"$type":"TravelOrderItemDto","itemType":"M","inputDestination":"Bratislava",
                   "outputDestination":"Košice","startTime":"2013-12-16T06:00:00.000Z",
                   "endTime":"2013-12-16T20:00:00.000Z"}],
         "costs":[{"$type":"TravelOrderCostDto","amount":12.5,"note":"Parkovanie",
                   "travelOrderCostTypeErpPk":"PARK"}]})",
     "", "", "", "", "", "",
     "SELECT e._Quelta_State, ISNULL(n.Mena, N'-'), n.CenaKc, CASE WHEN c.CelkemDiety > 0 THEN 1 ELSE 0 "
     "END "
     "FROM TabICestak c JOIN TabICestak_EXT e ON e.ID = c.ID JOIN TabICestaNakl n ON n.IDCestak = c.ID "
     "WHERE e._Quelta_PortalID = 660",
     "O|-|12.5|1"},
    // The computed document (host state N): its leg without country and currency goes in the own ones.
    {"travelorderupload", "UPDATE TabICestak_EXT SET _Quelta_CommitNumber = 40 WHERE _Quelta_PortalID = 502",
     R"({"$type":"TravelOrderDto","portalId":502,"commitNumber":40,"state":"FOR_ACCOUNTING"})",
     "SELECT ID FROM TabICestak_EXT WHERE _Quelta_PortalID = 502", "", "TravelOrderDto", "2", "/items/0",
     R"({"countryErpPk":"SK","currencyErpPk":"EUR"})",
     "SELECT CASE WHEN _Quelta_UploadDate IS NULL THEN 0 ELSE 1 END FROM TabICestak_EXT WHERE "
     "_Quelta_PortalID = 502",
     "1"},
};

std::string Joined(const std::vector<std::string>& rows, const char* separator) {
    std::string joined;
    for (const auto& row : rows)
        joined += (joined.empty() ? "" : separator) + row;
    return joined;
}

std::string Replaced(std::string text, const std::string& placeholder, const std::string& value) {
    for (auto at = text.find(placeholder); at != std::string::npos; at = text.find(placeholder, at))
        text.replace(at, placeholder.size(), value), at += value.size();
    return text;
}

void PrintTo(const SlovakCase& c, std::ostream* out) {
    *out << c.method;
}

class SlovakHost : public ::testing::TestWithParam<SlovakCase> {
protected:
    quelta::testing::PortalStandin portal;
    quelta::testing::QueltaSite site{{.slovak = true, .portalUrl = portal.Url()}, {"timeout=3"}};
};

} // namespace

TEST_P(SlovakHost, RunsTheMethod) {
    const SlovakCase& c = GetParam();
    auto& host = site.Host();
    const auto slips = site.Folder() / "slips";
    std::filesystem::create_directories(slips);
    std::stringstream numbers(c.wageSlips);
    for (std::string number; std::getline(numbers, number, ',');)
        std::ofstream(slips / ("000" + number + "122013.PDF"), std::ios::binary) << "%PDF-" << number;
    if (*c.prepare) host.Exec(Replaced(c.prepare, "{slips}", slips.string()));
    if (*c.seed) portal.Seed(Json::parse(c.seed));
    const std::string entity = *c.entity ? Joined(host.Rows(c.entity), ",") : "";

    const auto outcome = site.Quelta(c.method, "", "1", entity);
    EXPECT_EQ(outcome.exitCode, 0);
    EXPECT_EQ(outcome.err, "");
    for (const auto& line : site.Journal())
        EXPECT_NE(line.rfind("0|", 0), 0u) << line;

    if (*c.portalType) {
        Json found;
        for (const auto& r : portal.Records(c.portalType))
            if (r.value("erpPk", "") == c.portalErpPk) found = r;
        ASSERT_FALSE(found.is_null()) << c.portalType << " " << c.portalErpPk;
        const Json value = found.value(Json::json_pointer(c.portalMember), Json());
        const Json expected = Json::parse(c.portalValue);
        if (expected.is_object() && value.is_object()) {
            for (const auto& [member, wanted] : expected.items())
                EXPECT_EQ(value.value(member, Json()), wanted) << member << " of " << value.dump();
        } else {
            EXPECT_EQ(value, expected) << found.dump();
        }
    }
    if (*c.hostQuery) {
        EXPECT_EQ(Joined(host.Rows(c.hostQuery), ";"), c.hostValue);
    }
}

INSTANTIATE_TEST_SUITE_P(Methods, SlovakHost, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<SlovakCase>& info) {
                             return std::string(info.param.method);
                         });
