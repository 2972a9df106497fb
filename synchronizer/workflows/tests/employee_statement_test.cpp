// The statement that hands a downloaded employee to the staging procedure, against golden text.

#include "plugin/definitions/sql_objects.h"
#include "quelta/workflows/employee_statement.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace quelta;

namespace {

soap::Record employee() {
    soap::Record r = NewRecord("EmployeeDto");
    r.set("personalNumber", soap::Value(std::int64_t{101}));
    r.set("surname", soap::Value(std::string("O'Neill")));
    r.set("foreName", soap::Value(std::string("Jiří")));
    r.set("periodErpPk", soap::Value(std::string("12")));
    r.set("sex", soap::Value(std::string("FEMALE")));
    r.set("dateOfBirth", soap::Value(soap::DateTime{1980, 2, 29, 23, 30, 0, 0, true, 60}));
    r.set("basicSalary", soap::Value(2500.5));
    r.set("photo", soap::Value(soap::Bytes{0x00, 0xAB, 0x7F}));
    r.set("portalId", soap::Value(std::int32_t{17}));
    r.set("commitNumber", soap::Value(std::int64_t{12}));
    r.set("email", soap::Value(std::string("jiri@demo.cz")));
    return r;
}

std::string golden(const std::string& name) {
    std::ifstream in(std::string(QUELTA_WORKFLOWS_GOLDEN_DIR) + "/" + name, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

//! The statement with CR shown as a line feed, as the golden files hold it.
std::string readable(std::string text) {
    for (char& c : text)
        if (c == '\r') c = '\n';
    return text + "\n";
}

} // namespace

TEST(NewEmployeeStatement, MatchesGoldenText) {
    const std::string statement = NewEmployeeStatement(employee());
    EXPECT_EQ(statement.find('\n'), std::string::npos) << "lines are separated by CR alone";
    if (std::getenv("QUELTA_UPDATE_GOLDEN"))
        std::ofstream(std::string(QUELTA_WORKFLOWS_GOLDEN_DIR) + "/new_employee.sql", std::ios::binary)
            << readable(statement);
    EXPECT_EQ(readable(statement), golden("new_employee.sql"));
}

TEST(NewEmployeeStatement, ValueForms) {
    soap::Record r = NewRecord("EmployeeDto");
    struct Case {
        std::string_view param;
        std::string expected;
    };
    // An empty record: number 0 and empty texts become NULL where the form says so, no date, no photo.
    const Case empty[] = {{"Cislo", "NULL"},         {"Pohlavi", "NULL"},      {"Prijmeni", "N''"},
                          {"DatumNarozeni", "NULL"}, {"ZakladniPlat", "N'0'"}, {"Obrazek", "0x"},
                          {"PortalID", "0"},         {"CommitNumber", "0"}};
    for (const Case& c : empty) {
        for (const ProcedureParam& p : NewEmployeeParams()) {
            if (p.name == c.param) {
                EXPECT_EQ(ParamValue(r, p), c.expected) << c.param;
            }
        }
    }
    EXPECT_EQ(ParamLabel("Cislo"), "@Cislo             = ");
    EXPECT_EQ(ParamLabel("IBANElektronicky"), "@IBANElektronicky  = ");
}

TEST(NewEmployeeStatement, DecimalPointWhateverTheLocale) {
    // A locale with a decimal comma, when the system has one.
    const char* previous = std::setlocale(LC_ALL, nullptr);
    const std::string saved = previous ? previous : "C";
    const bool switched = std::setlocale(LC_ALL, "cs_CZ.UTF-8") || std::setlocale(LC_ALL, "de_DE.UTF-8");
    soap::Record r = NewRecord("EmployeeDto");
    r.set("basicSalary", soap::Value(2500.5));
    const std::string statement = NewEmployeeStatement(r);
    std::setlocale(LC_ALL, saved.c_str());
    EXPECT_NE(statement.find("@ZakladniPlat      = N'2500.5'"), std::string::npos) << statement;
    if (!switched) GTEST_LOG_(INFO) << "no locale with a decimal comma installed; checked in the C locale";
}

TEST(NewEmployeeStatement, NamesTheParametersOfTheShippedProcedureInItsOrder) {
    std::istringstream text{std::string(plugin::TextProcedury("_HP_QUELTA_NovyZamestnanecZPortalu"))};
    std::vector<std::string> shipped;
    for (std::string line; std::getline(text, line) && line.rfind("AS", 0) != 0;)
        if (const auto at = line.find('@'); at != std::string::npos)
            shipped.push_back(line.substr(at + 1, line.find(' ', at) - at - 1));
    std::vector<std::string> sent;
    for (const ProcedureParam& p : NewEmployeeParams())
        sent.emplace_back(p.name);
    EXPECT_EQ(sent, shipped);
}
