// Statements the payroll workflows build from Portal records: the receipt of a preprocessing record and the
// staging calls of a travel order, against the literal forms and the staging procedures' parameters.

#include "plugin/definitions/sql_objects.h"
#include "quelta/errors.h"
#include "quelta/workflows/payroll_components.h"
#include "quelta/workflows/travel_orders.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

using namespace quelta;

namespace {

soap::Record cashIncome() {
    soap::Record r = NewRecord("CashIncomeDto");
    r.set("id", soap::Value(std::int32_t{7}));
    r.set("commitNumber", soap::Value(std::int64_t{17}));
    r.set("amount", soap::Value(1234.5));
    r.set("costPootErpPk", soap::Value("O'B"));
    r.set("departmentErpPk", soap::Value("D1"));
    r.set("employeeErpPk", soap::Value("101"));
    r.set("payrollComponentsTypeCode", soap::Value("200"));
    r.set("periodErpPk", soap::Value("12"));
    r.set("state", soap::Value("agreed"));
    return r;
}

soap::Record record() {
    soap::Record r = NewRecord("RecordDto");
    r.set("id", soap::Value(std::int32_t{8}));
    r.set("commitNumber", soap::Value(std::int64_t{18}));
    r.set("amount", soap::Value(1234.5));
    r.set("hours", soap::Value(7.25));
    r.set("dateFrom", soap::Value(soap::DateTime{2012, 3, 15, 14, 30}));
    r.set("employeeErpPk", soap::Value("102"));
    r.set("payrollComponentsTypeCode", soap::Value("300"));
    r.set("periodErpPk", soap::Value("12"));
    r.set("vehicleErpPk", soap::Value("1AB 2345"));
    return r;
}

//! The parameter names of a procedure text, in order.
std::vector<std::string> procedureParameters(std::string_view text) {
    const std::string head(text.substr(0, text.find("\nAS")));
    std::vector<std::string> names;
    const std::regex parameter(R"(@(\w+)\s+[A-Z])");
    for (auto it = std::sregex_iterator(head.begin(), head.end(), parameter); it != std::sregex_iterator();
         ++it)
        names.push_back((*it)[1]);
    return names;
}

} // namespace

TEST(PreprocessReceipt, CashIncomeUpdatesItsRowOrInsertsIt) {
    EXPECT_EQ(
        PreprocessReceiptStatement(PreprocessKind::CashIncome, cashIncome()),
        "IF EXISTS (SELECT 1 FROM TabQUELTAWSPreprocess WHERE PortalID = 7) UPDATE TabQUELTAWSPreprocess SET "
        "commitNumber = 17, amount = 1234.50, costPoot = N'O''B', department = N'D1', employeeErpPk = 101, "
        "jobOrder = NULL, payrollComponentsType = 200, period = 12, vehicle = NULL,  deleted=0 WHERE "
        "PortalID = 7  ELSE INSERT INTO TabQUELTAWSPreprocess (commitNumber, portalID, amount, costPoot, "
        "department, employeeErpPk, jobOrder, payrollComponentsType, period, vehicle) VALUES (17, 7, "
        "1234.50, N'O''B', N'D1', 101, NULL, 200, 12, NULL ) SELECT 1");
}

TEST(PreprocessReceipt, RecordHasItsHoursAndDatesAndGeneralNumbers) {
    EXPECT_EQ(
        PreprocessReceiptStatement(PreprocessKind::Record, record()),
        "IF EXISTS (SELECT 1 FROM TabQUELTAWSPreprocess WHERE PortalID = 8) UPDATE TabQUELTAWSPreprocess SET "
        "commitNumber = 18, amount = 1234.5, hours = 7.25, dateFrom = '20120315', dateTo = NULL, costPoot = "
        "NULL, department = NULL, employeeErpPk = 102, jobOrder = NULL, payrollComponentsType = 300, period "
        "= 12, vehicle = N'1AB 2345',  deleted=0 WHERE PortalID = 8  ELSE INSERT INTO TabQUELTAWSPreprocess "
        "(commitNumber, portalID, amount, hours, dateFrom, dateTo, costPoot, department, employeeErpPk, "
        "jobOrder, payrollComponentsType, period, vehicle) VALUES (18, 8, 1234.5, 7.25, '20120315', NULL, "
        "NULL, NULL, 102, NULL, 300, 12, N'1AB 2345' ) SELECT 1");
}

TEST(PreprocessReceipt, ExactlyZeroIsStoredAsNull) {
    soap::Record r = record();
    r.set("amount", soap::Value(0.0));
    r.set("hours", soap::Value(0.0));
    const std::string statement = PreprocessReceiptStatement(PreprocessKind::Record, r);
    EXPECT_NE(statement.find("amount = NULL, hours = NULL,"), std::string::npos) << statement;
    soap::Record c = cashIncome();
    c.set("amount", soap::Value(0.004));
    EXPECT_NE(PreprocessReceiptStatement(PreprocessKind::CashIncome, c).find("amount = 0.00,"),
              std::string::npos)
        << "only exactly 0 is no amount";
}

TEST(PreprocessReceipt, KeysPastedUnquotedMustBeIntegers) {
    for (const char* member : {"employeeErpPk", "payrollComponentsTypeCode", "periodErpPk"})
        for (const char* bad : {"1; DROP TABLE TabCisZam", "12.5", "abc", "-", "1 OR 1=1"}) {
            soap::Record r = cashIncome();
            r.set(member, soap::Value(bad));
            EXPECT_THROW(PreprocessReceiptStatement(PreprocessKind::CashIncome, r), EConvertError)
                << member << " = " << bad;
        }
    soap::Record negative = cashIncome();
    negative.set("periodErpPk", soap::Value("-3"));
    EXPECT_NE(PreprocessReceiptStatement(PreprocessKind::CashIncome, negative).find("period = -3,"),
              std::string::npos);
}

TEST(TravelOrderStaging, ValuesFollowTheProceduresParameters) {
    const auto staging = TravelOrderStaging();
    ASSERT_EQ(staging.size(), 4u);
    const std::vector<std::size_t> counts = {32, 9, 14, 8};
    for (std::size_t i = 0; i < staging.size(); ++i) {
        SCOPED_TRACE(std::string(staging[i].name));
        const std::string_view text = plugin::TextProcedury(staging[i].name);
        ASSERT_FALSE(text.empty()) << "the plug-in has no such procedure";
        std::vector<std::string> names;
        for (const StagedValue& v : staging[i].values)
            names.emplace_back(v.parameter);
        EXPECT_EQ(names.size(), counts[i]);
        EXPECT_EQ(names, procedureParameters(text));
    }
}

TEST(TravelOrderStaging, LiteralsByMemberType) {
    soap::Record order = NewRecord("TravelOrderDto");
    order.set("portalId", soap::Value(std::int32_t{601}));
    order.set("commitNumber", soap::Value(std::int64_t{5000000000}));
    order.set("note", soap::Value("Jednání u O'Neilla"));
    order.set("createdAt", soap::Value(soap::DateTime{2013, 12, 15}));
    order.set("distanceTotal", soap::Value(412.6));
    order.set("personalNumber", soap::Value(std::int64_t{103}));
    order.set("privateCar", soap::Value(true));
    order.set("payInDomestic", soap::Value(false));
    const std::string header = StagingStatement(TravelOrderStaging()[0], order, order, 21);
    std::vector<std::string> values;
    const std::string prefix = "EXEC [dbo].[hpx_Quelta_TravelOrder_InsertIntoImportTable]\r ";
    ASSERT_EQ(header.rfind(prefix, 0), 0u) << header;
    std::string rest = header.substr(prefix.size());
    for (std::size_t at; (at = rest.find("\r,")) != std::string::npos; rest.erase(0, at + 2))
        values.push_back(rest.substr(0, at));
    values.push_back(rest);
    ASSERT_EQ(values.size(), 32u);
    EXPECT_EQ(values[0], "21");
    EXPECT_EQ(values[1], "5000000000");
    EXPECT_EQ(values[2], "601");
    EXPECT_EQ(values[3], "N''") << "an empty text";
    EXPECT_EQ(values[5], "'20131215 00:00:00.000'");
    EXPECT_EQ(values[6], "103");
    EXPECT_EQ(values[10], "NULL") << "a start time the Portal left out";
    EXPECT_EQ(values[18], "0.00");
    EXPECT_EQ(values[24], "412.60");
    EXPECT_EQ(values[28], "1") << "privateCar";
    EXPECT_EQ(values[29], "N'Jednání u O''Neilla'");
    EXPECT_EQ(values[30], "0") << "payInDomestic";

    soap::Record fuel = NewRecord("TravelOrderFuelDto");
    fuel.set("currencyErpPk", soap::Value("EUR"));
    fuel.set("numberOfLiters", soap::Value(30.0));
    fuel.set("pricePerLiter", soap::Value(1.4));
    EXPECT_EQ(
        StagingStatement(TravelOrderStaging()[3], fuel, order, 21),
        "EXEC [dbo].[hpx_Quelta_TravelOrderFuel_InsertIntoImportTable]\r 21\r,0\r,0\r,N''\r,601\r,N'EUR'\r,"
        "30.00\r,1.40");
}
