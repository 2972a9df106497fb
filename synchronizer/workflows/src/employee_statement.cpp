#include "quelta/workflows/employee_statement.h"

#include "common/sql_text.h"
#include "quelta/portal/datetime.h"
#include "quelta/workflows/synch_sql.h"

#include <charconv>
#include <stdexcept>

namespace quelta {

namespace {

using F = ParamForm;

constexpr ProcedureParam kParams[] = {
    {"Cislo", "personalNumber", F::NumberOrNull},
    {"Prijmeni", "surname", F::Text},
    {"Jmeno", "foreName", F::Text},
    {"TitulPred", "title", F::Text},
    {"Obdobi", "periodErpPk", F::TextOrNull},
    {"RodnePrijmeni", "maidenName", F::Text},
    {"Pohlavi", "sex", F::TextOrNull},
    {"DatumNarozeni", "dateOfBirth", F::Date},
    {"MistoNarozeni", "placeOfBirth", F::Text},
    {"RodneCislo", "birthNumber", F::Text},
    {"RodinnyStav", "maritalStatusErpPk", F::TextOrNull},
    {"StatniPrislus", "citizenshipErpPk", F::TextOrNull},
    {"AdrTrvUlice", "permanentAddressStreet", F::TextOrNull},
    {"AdrTrvPopCislo", "permanentAddressDescriptiveNumber", F::TextOrNull},
    {"AdrTrvOrCislo", "permanentAddressGuideNumber", F::TextOrNull},
    {"AdrTrvPSC", "permanentAddressCityErpPk", F::TextOrNull},
    {"AdrTrvZeme", "permanentAddressCountryErpPk", F::TextOrNull},
    {"AdrPrechUlice", "postalAddressStreet", F::TextOrNull},
    {"AdrPrechPopCislo", "postalAddressDescriptiveNumber", F::TextOrNull},
    {"AdrPrechOrCislo", "postalAddressGuideNumber", F::TextOrNull},
    {"AdrPrechPSC", "postalAddressCityErpPk", F::TextOrNull},
    {"AdrPrechZeme", "postalAddressCountryErpPk", F::TextOrNull},
    {"Utvar", "departmentErpPk", F::TextOrNull},
    {"NakladovyOkruh", "costPootErpPk", F::TextOrNull},
    {"Zakazka", "jobOrderErpPk", F::TextOrNull},
    {"SSN", "socialInssurance", F::Text},
    {"PovoleniKPobytu", "residencePermisson", F::Text},
    {"CisloOP", "identityCard", F::Text},
    {"PlatnostOP", "identityCardValidTo", F::Date},
    {"CisloPasu", "passport", F::Text},
    {"PlatnostPasu", "passportValidTo", F::Date},
    {"DruhDuchodu", "pensionRevenuesTypeErpPk", F::TextOrNull},
    {"DatumNaroku", "rightToPension", F::Date},
    {"DrivejsiPrijmeni", "allPreviousNames", F::Text},
    {"DatumVznikuPP", "employmentStart", F::Date},
    {"DruhPP", "employmentTypeErpPk", F::TextOrNull},
    {"DatumUkonceniPP", "employmentEnd", F::Date},
    {"ZdravPojistovna", "healthInsuranceOfficeErpPk", F::TextOrNull},
    {"DruhMzdyMesHod", "salaryErpPk", F::TextOrNull},
    {"ZakladniPlat", "basicSalary", F::DecimalText},
    {"Email", "email", F::Text},
    {"Telefon", "phone", F::Text},
    {"CisloUctu", "accountNumber", F::Text},
    {"KodUstavu", "bankCodeErpPk", F::TextOrNull},
    {"IBANElektronicky", "iban", F::Text},
    {"PortalID", "portalId", F::Number},
    {"CommitNumber", "commitNumber", F::Number},
    {"Obrazek", "photo", F::Binary},
};
static_assert(std::size(kParams) == 48);

constexpr std::size_t kLabelWidth = 19;

std::int64_t integerOf(const soap::Value& v) {
    if (v.isNull()) return 0;
    if (v.kind() == soap::Value::Kind::Int) return v.asInt();
    return v.asLong();
}

std::string shortestDecimal(double value) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    if (r.ec != std::errc()) throw std::runtime_error("number cannot be written");
    return std::string(buf, r.ptr);
}

} // namespace

std::span<const ProcedureParam> NewEmployeeParams() {
    return kParams;
}

std::string ParamLabel(std::string_view name) {
    std::string label = "@" + std::string(name);
    if (label.size() < kLabelWidth) label.append(kLabelWidth - label.size(), ' ');
    return label + "= ";
}

std::string ParamValue(const soap::Record& employee, const ProcedureParam& param) {
    const soap::Value& v = employee.get(param.member);
    switch (param.form) {
    case F::Number:
        return SqlInteger(integerOf(v));
    case F::NumberOrNull: {
        const std::int64_t n = integerOf(v);
        return n == 0 ? "NULL" : SqlInteger(n);
    }
    case F::Text:
        return common::SqlNString(employee.getString(param.member));
    case F::TextOrNull: {
        const std::string text = employee.getString(param.member);
        return text.empty() ? "NULL" : common::SqlNString(text);
    }
    case F::Date:
        return common::SqlDate(
            ToHostDate(v.isNull() ? std::nullopt : std::optional<soap::DateTime>(v.asDateTime())));
    case F::DecimalText:
        return common::SqlNString(shortestDecimal(employee.getDouble(param.member)));
    case F::Binary:
        return common::SqlBinary(v.isNull() ? soap::Bytes() : v.asBytes());
    }
    throw std::logic_error("unknown parameter form");
}

std::string NewEmployeeStatement(const soap::Record& employee) {
    std::string statement = "EXEC [dbo].[_HP_QUELTA_NovyZamestnanecZPortalu]";
    statement += CR;
    const char* separator = "";
    for (const ProcedureParam& param : kParams) {
        statement += separator;
        statement += ParamLabel(param.name);
        statement += ParamValue(employee, param);
        separator = ",\r";
    }
    statement += CR;
    statement += "SELECT 1";
    return statement;
}

} // namespace quelta
