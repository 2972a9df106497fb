#include "quelta/workflows/employee_mapper.h"

#include "common/sql_text.h"
#include "quelta/errors.h"
#include "quelta/workflows/employee_queries.h"
#include "quelta/workflows/synch_sql.h"

#include <array>

namespace quelta {

namespace {

using R = ColumnRead;

//! Members the host supplies in both modes: texts (NULL overwrites with the empty text) and dates.
constexpr ColumnBinding kEmployeeColumns[] = {
    {"erpPk", "Cislo", R::Lenient},
    {"surname", "Prijmeni", R::Lenient},
    {"foreName", "Jmeno", R::Lenient},
    {"title", "TitulPred", R::Lenient},
    {"maidenName", "RodnePrijmeni", R::Lenient},
    {"placeOfBirth", "MistoNarozeni", R::Lenient},
    {"birthNumber", "RodneCislo", R::Lenient},
    {"socialInssurance", "SSN", R::Lenient},
    {"residencePermisson", "PovoleniKPobytu", R::Lenient},
    {"identityCard", "CisloOP", R::Lenient},
    {"passport", "CisloPasu", R::Lenient},
    {"email", "Email", R::Lenient},
    {"phone", "Telefon", R::Lenient},
    {"accountNumber", "CisloUctu", R::Lenient},
    {"iban", "IBANElektronicky", R::Lenient},
    {"maritalStatusErpPk", "RodinnyStav", R::Lenient},
    {"citizenshipErpPk", "StatniPrislus", R::Lenient},
    {"departmentErpPk", "Stredisko", R::Lenient},
    {"costPootErpPk", "NakladovyOkruh", R::Lenient},
    {"jobOrderErpPk", "Zakazka", R::Lenient},
    {"healthInsuranceOfficeErpPk", "ZdravPojistovna", R::Lenient},
    {"pensionRevenuesTypeErpPk", "DruhDuchodu", R::Lenient},
    {"employmentTypeErpPk", "DruhPP", R::Lenient},
    {"salaryErpPk", "DruhMzdyMesHod", R::Lenient},
    {"bankCodeErpPk", "KodUstavu", R::Lenient},
    {"periodErpPk", "IdObdobi", R::Lenient},
    {"permanentAddressCountryErpPk", "AdrTrvZeme", R::Lenient},
    {"permanentAddressCityErpPk", "AdrTrvPSC", R::Lenient},
    {"permanentAddressDescriptiveNumber", "AdrTrvPopCislo", R::Lenient},
    {"permanentAddressGuideNumber", "AdrTrvOrCislo", R::Lenient},
    {"permanentAddressStreet", "AdrTrvUlice", R::Lenient},
    {"postalAddressCountryErpPk", "AdrPrechZeme", R::Lenient},
    {"postalAddressCityErpPk", "AdrPrechPSC", R::Lenient},
    {"postalAddressDescriptiveNumber", "AdrPrechPopCislo", R::Lenient},
    {"postalAddressGuideNumber", "AdrPrechOrCislo", R::Lenient},
    {"postalAddressStreet", "AdrPrechUlice", R::Lenient},
    {"dateOfBirth", "DatumNarozeni", R::DateOnly},
    {"identityCardValidTo", "PlatnostOP", R::DateOnly},
    {"passportValidTo", "PlatnostPasu", R::DateOnly},
    {"rightToPension", "DatumNaroku", R::DateOnly},
    {"employmentStart", "DatumVznikuPP", R::DateOnly},
    {"employmentEnd", "DatumUkonceniPP", R::DateOnly},
};

//! Members only the upload supplies: numbers (NULL gives 0), texts and dates, from the column of the same
//! name.
constexpr ColumnBinding kEmployeeUploadColumns[] = {
    {"basicSalary", "basicSalary", R::Lenient},
    {"vacancy", "vacancy", R::Lenient},
    {"sickleaveAverage", "sickleaveAverage", R::Lenient},
    {"averageSalary", "averageSalary", R::Lenient},
    {"formerTimesVacancy", "formerTimesVacancy", R::Lenient},
    {"spentVacancy", "spentVacancy", R::Lenient},
    {"abbreviateVacancy", "abbreviateVacancy", R::Lenient},
    {"residual", "residual", R::Lenient},
    {"workingTimeBasic", "workingTimeBasic", R::Lenient},
    {"workingTimeChanged", "workingTimeChanged", R::Lenient},
    {"yearOfPractice", "yearOfPractice", R::Lenient},
    {"dayOfPractice", "dayOfPractice", R::Lenient},
    {"bankName", "bankName", R::Lenient},
    {"supplementaryPensionInsuranceErpPk", "supplementaryPensionInsuranceErpPk", R::Lenient},
    {"lifeInsuranceErpPk", "lifeInsuranceErpPk", R::Lenient},
    {"jobTitleErpPk", "jobTitleErpPk", R::Lenient},
    {"careerErpPk", "careerErpPk", R::Lenient},
    {"payoutErpPk", "payoutErpPk", R::Lenient},
    {"temporaryEmployment", "temporaryEmployment", R::DateOnly},
    {"periodOfProbation", "periodOfProbation", R::DateOnly},
};

//! A host code and the Portal's text for it.
struct CodeText {
    std::int32_t code;
    std::string_view text;
};

//! `Pohlavi` to `sex`; other codes leave the Portal's value.
constexpr CodeText kSexes[] = {{0, "MALE"}, {1, "FEMALE"}};
//! `StavES` to `employmentState`; other codes leave the Portal's value.
constexpr CodeText kEmploymentStates[] = {{0, "INSTATE"}, {1, "EXCLUDED"}, {3, "TERMINATED"}};

//! A tax-relief symbol of the host and the two members it sets.
struct TaxRelief {
    std::string_view symbol;
    std::string_view amount;
    std::string_view have;
};

constexpr TaxRelief kTaxReliefs[] = {
    {"S_POP", "allowance", "haveAllowance"},    {"S_CID", "allowance2", "haveAllowance2"},
    {"S_PID", "allowance3", "haveAllowance3"},  {"S_STD", "allowance4", "haveAllowance4"},
    {"S_ZTPP", "allowance5", "haveAllowance5"},
};

//! Sets `member` to the text of the column's code in the table, when the column holds one of its codes.
void setFromCodeTable(soap::Record& record, std::string_view member, const TDBConnector& db,
                      std::string_view column, std::span<const CodeText> table) {
    if (db.FieldIsNull(column)) return;
    const std::int32_t code = db.FieldAsInteger(column);
    for (const CodeText& entry : table)
        if (entry.code == code) record.set(member, soap::Value(std::string(entry.text)));
}

//! True when the column is not NULL and equals `value`.
bool columnEquals(const TDBConnector& db, std::string_view column, std::int32_t value) {
    return !db.FieldIsNull(column) && db.FieldAsInteger(column) == value;
}

} // namespace

std::string PreviousSurnamesBatch(std::int32_t employeeId) {
    const std::string cr(CR);
    return "DECLARE @IDZam INT" + cr + "DECLARE @Prijmeni NVARCHAR(20)" + cr +
           "DECLARE @DrivejsiPrijmeni NVARCHAR(40)" + cr + "SET @IDZam = " + common::SqlValue(employeeId) +
           cr + "SET @DrivejsiPrijmeni = ''" + cr + "DECLARE c CURSOR LOCAL FAST_FORWARD FOR" + cr +
           "SELECT Prijmeni" + cr + "FROM TabZamJme" + cr + "WHERE ZamestnanecId = @IDZam" + cr +
           "ORDER BY Poradi" + cr + "OPEN c" + cr + "WHILE 1=1 BEGIN" + cr +
           "FETCH NEXT FROM c INTO @Prijmeni" + cr + "IF @@FETCH_STATUS <> 0 BREAK" + cr +
           "SET @DrivejsiPrijmeni = @DrivejsiPrijmeni + ', ' + @Prijmeni" + cr + "END" + cr + "DEALLOCATE c" +
           cr +
           "SELECT RTRIM(LTRIM(SUBSTRING(@DrivejsiPrijmeni, 2, LEN(@DrivejsiPrijmeni)))) AS DrivejsiPrijmeni";
}

std::string PreviousSurnamesAndTaxReliefsBatch(std::int32_t employeeId) {
    const std::string cr(CR);
    return PreviousSurnamesBatch(employeeId) + cr + "DECLARE @IdObdobi INT" + cr +
           "DECLARE @Symbol NVARCHAR(10)" + cr + "DECLARE @Castka NUMERIC(19,6)" + cr +
           "SET @IdObdobi = (SELECT IdObdobi FROM TabMzdObd WHERE Stav = 1) -- aktualni obdobi" + cr +
           "SELECT polmzd.Symbol, SUM(pol.CastkaMesic) AS Castka" + cr + "FROM TabMzdOdpPolMzd polmzd" + cr +
           "LEFT OUTER JOIN TabMzdOdpPol pol ON polmzd.Symbol = pol.Symbol AND polmzd.IdObdobi = "
           "pol.IdObdobi" +
           cr + "WHERE polmzd.IdObdobi = @IDObdobi AND polmzd.ZamestnanecID = @IDZam" + cr +
           "GROUP BY polmzd.Symbol";
}

TEmployee::TEmployee(EmployeeMode mode, const std::string& legislation, RpcKvaEndpoint& service,
                     std::function<TDBConnector&()> extraConnector)
    : mode_(mode)
    , legislation_(legislation)
    , service_(service)
    , extraConnector_(std::move(extraConnector)) {
    id = "Cislo";
    query = mode == EmployeeMode::Upload ? EmployeeUploadQuery(legislation) : EmployeeSaveQuery();
}

soap::Record TEmployee::setProperties(TDBConnector& db) {
    constexpr std::string_view kType = "EmployeeDto";
    const bool upload = mode_ == EmployeeMode::Upload;
    const bool czech = legislation_ == "CZ";
    std::optional<soap::Record> found;
    if (upload) {
        // The call's arguments first: work handed to the endpoint belongs to the very next call.
        const std::string number = db.FieldAsString("Cislo");
        // One batch per employee, read while the Portal looks the employee up: the previous surnames, then
        // (Czech hosts) the tax reliefs.
        const std::int32_t id = db.FieldAsInteger("ID");
        service_.OverlapNextCall([this, id, czech] {
            extraConnector_().SQLExec(czech ? PreviousSurnamesAndTaxReliefsBatch(id)
                                            : PreviousSurnamesBatch(id));
        });
        found = service_.getDtoByErpPk(NewRecord(kType), number);
    } else {
        found = service_.getDtoByPortalId(NewRecord(kType), db.FieldAsInteger("PortalID"));
    }
    soap::Record record = FoundOrNew(std::move(found), kType);

    if (!db.FieldIsNull("PortalID")) record.set("portalId", soap::Value(db.FieldAsInteger("PortalID")));
    if (!db.FieldIsNull("Cislo")) record.set("personalNumber", soap::Value(db.FieldAsLargeInt("Cislo")));
    FillFromRow(record, db, kEmployeeColumns);

    if (upload) {
        FillFromRow(record, db, kEmployeeUploadColumns);
        record.set("signedTaxDeclaration", soap::Value(columnEquals(db, "signedTaxDeclaration", 1)));
        record.set("annualAccounts", soap::Value(columnEquals(db, "annualAccounts", 0)));
    }

    const platform::db::Value& photo = db.FieldValue("Foto");
    if (photo.kind() == platform::db::ValueKind::Bytes) {
        record.set("photo", soap::Value(soap::Bytes(photo.asBytes())));
    } else if (!photo.isNull()) { // a text column: its bytes as stored
        const std::string text = db.FieldAsString("Foto");
        record.set("photo", soap::Value(soap::Bytes(text.begin(), text.end())));
    }

    record.set("portalCreated", soap::Value(columnEquals(db, "TypZaznamu", 0)));
    setFromCodeTable(record, "sex", db, "Pohlavi", kSexes);
    setFromCodeTable(record, "employmentState", db, "StavES", kEmploymentStates);

    if (upload) {
        TDBConnector& extra = extraConnector_();
        setPreviousSurnames(record, extra);
        if (czech) {
            if (!extra.NextResult())
                throw EDatabaseError("Dotaz na daňové slevy zaměstnance nevrátil sadu výsledků: " +
                                     extra.SQLText());
            setTaxReliefs(record, extra);
        }
        extra.Close();
    } else {
        record.set("allPreviousNames", soap::Value(db.FieldAsString("DrivejsiPrijmeni")));
    }
    return record;
}

void TEmployee::setPreviousSurnames(soap::Record& record, const TDBConnector& surnames) {
    if (!surnames.Eof() && !surnames.FieldIsNull("DrivejsiPrijmeni"))
        record.set("allPreviousNames", soap::Value(surnames.FieldAsString("DrivejsiPrijmeni")));
}

void TEmployee::setTaxReliefs(soap::Record& record, TDBConnector& reliefs) {
    for (const TaxRelief& relief : kTaxReliefs) {
        record.set(relief.amount, soap::Value(0.0));
        record.set(relief.have, soap::Value(false));
    }
    for (; !reliefs.Eof(); reliefs.Next()) {
        if (reliefs.FieldIsNull("Symbol")) continue;
        const std::string symbol = reliefs.FieldAsString("Symbol");
        for (const TaxRelief& relief : kTaxReliefs) {
            if (relief.symbol != symbol) continue;
            const double amount = reliefs.FieldAsFloat("Castka");
            record.set(relief.amount, soap::Value(amount));
            record.set(relief.have, soap::Value(amount > 0));
        }
    }
}

} // namespace quelta
