// Statements the payroll workflows build from Portal records: the receipt of a preprocessing record against
// the literal forms.

#include "quelta/errors.h"
#include "quelta/workflows/payroll_components.h"

#include <gtest/gtest.h>

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
