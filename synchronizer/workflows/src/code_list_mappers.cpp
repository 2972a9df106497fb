#include "quelta/workflows/code_list_mappers.h"

#include <array>

namespace quelta {

namespace {

// Members filled from columns, per record (member = column).
constexpr ColumnBinding kBankCode[] = {
    {"erpPk", "KodUstavu"}, {"code", "KodUstavu"}, {"swift", "SWIFTUstavu"}, {"name", "NazevUstavu"}};
constexpr ColumnBinding kCountry[] = {{"erpPk", "ISOKod"}, {"isoCode", "ISOKod"}, {"name", "Nazev"}};
constexpr ColumnBinding kCity[] = {{"erpPk", "Cislo"}, {"name", "Mesto"}, {"zipCode", "Cislo"}};
constexpr ColumnBinding kNameNumber[] = {{"erpPk", "Cislo"}, {"name", "Nazev"}, {"number", "Cislo"}};
constexpr ColumnBinding kNameValue[] = {{"erpPk", "Cislo"}, {"name", "Hodnota"}};
constexpr ColumnBinding kCodeName[] = {{"erpPk", "Kod"}, {"code", "Kod"}, {"name", "Nazev"}};
constexpr ColumnBinding kJobOrder[] = {
    {"erpPk", "CisloZakazky"}, {"number", "CisloZakazky"}, {"name", "Nazev"}};
constexpr ColumnBinding kMaritalStatus[] = {{"erpPk", "Cislo"}, {"statusDescription", "Hodnota"}};
constexpr ColumnBinding kPayout[] = {{"erpPk", "ID"}, {"number", "Cislo"}, {"name", "Nazev"}};
constexpr ColumnBinding kPensionRevenuesType[] = {{"erpPk", "Cislo"}, {"description", "Hodnota"}};
constexpr ColumnBinding kVehicle[] = {{"erpPk", "SPZZobraz"}, {"name", "Popis"}};
constexpr ColumnBinding kNumberName[] = {{"erpPk", "number"}, {"name", "name_"}};
constexpr ColumnBinding kFund[] = {{"erpPk", "code"}, {"code", "code"}, {"name", "name_"}};
constexpr ColumnBinding kTravelOrderCostType[] = {{"erpPk", "erpPk"}, {"name", "name_"}};
constexpr ColumnBinding kCurrency[] = {{"erpPk", "code"}, {"code", "code"}};
constexpr ColumnBinding kPeriod[] = {{"erpPk", "IdObdobi"}};

#define CURRENT_PERIOD                                                                                       \
    "DECLARE @IdObdobi INT\r"                                                                                \
    "SET @IdObdobi = (SELECT IdObdobi FROM TabMzdObd WHERE Stav = 1) -- aktualni obdobi\r"

constexpr std::string_view kCountryQuery = "SELECT tab.ID, tab.ISOKod, tab.Nazev\r"
                                           "FROM TabZeme tab\r"
                                           "JOIN TabZeme_EXT ext ON ext.ID = tab.ID\r"
                                           "WHERE ext._QUELTA_NaPortal = 1";

constexpr std::array<CodeListDef, 23> kCodeLists = {{
    {"bankcode",
     "TBankCode",
     "KodUstavu",
     "BankCodeDto",
     true,
     MapperKind::Columns,
     "SELECT tab.ID, tab.KodUstavu, tab.SWIFTUstavu, tab.NazevUstavu\r"
     "FROM TabPenezniUstavy tab\r"
     "JOIN TabPenezniUstavy_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ISNULL(tab.KodUstavu, '') <> '' AND ext._QUELTA_NaPortal = 1",
     {},
     kBankCode},
    {"citizenship",
     "TCitizenship",
     "ISOKod",
     "CitizenshipDto",
     true,
     MapperKind::Columns,
     kCountryQuery,
     {},
     kCountry},
    {"country", "TCountry", "ISOKod", "CountryDto", true, MapperKind::Columns, kCountryQuery, {}, kCountry},
    {"city",
     "TCity",
     "Cislo",
     "CityDto",
     true,
     MapperKind::Columns,
     "SELECT tab.ID, tab.Cislo, tab.Mesto\r"
     "FROM TabPSC tab\r"
     "JOIN TabPSC_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kCity},
    {"costpoot",
     "TCostPoot",
     "Cislo",
     "CostPootDto",
     true,
     MapperKind::Columns,
     "SELECT tab.Cislo, tab.Nazev\r"
     "FROM TabNakladovyOkruh tab\r"
     "JOIN TabNakladovyOkruh_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kNameNumber},
    {"department",
     "TDepartment",
     "Cislo",
     "DepartmentDto",
     true,
     MapperKind::Columns,
     "SELECT tab.Cislo, tab.Nazev\r"
     "FROM TabStrom tab\r"
     "JOIN TabStrom_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kNameNumber},
    {"employmenttype",
     "TEmploymentType",
     "Cislo",
     "EmploymentTypeDto",
     false,
     MapperKind::Columns,
     "SELECT Cislo, Hodnota\r"
     "FROM TabQUELTAKonverzeDruhPP",
     {},
     kNameValue},
    {"healthinsuranceoffice", "THealthInsuranceOffice", "Kod", "HealthInsuranceOfficeDto", true,
     MapperKind::Columns,
     CURRENT_PERIOD "SELECT tab.Kod, tab.Nazev\r"
                    "FROM TabZdrPoj tab\r"
                    "JOIN TabZdrPoj_EXT ext ON ext.ID = tab.ID\r"
                    "WHERE ext._QUELTA_NaPortal = 1 AND tab.IDObdobi = @IdObdobi",
     "SELECT tab.ID, tab.Symbol AS Kod, tab.Nazev\r"
     "FROM TabMzdPojFondy  tab\r"
     "JOIN TabMzdPojFondy_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     kCodeName},
    {"joborder",
     "TJobOrder",
     "CisloZakazky",
     "JobOrderDto",
     true,
     MapperKind::Columns,
     "SELECT tab.CisloZakazky, tab.Nazev\r"
     "FROM TabZakazka tab\r"
     "JOIN TabZakazka_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kJobOrder},
    {"maritalstatus",
     "TMaritalStatus",
     "Cislo",
     "MaritalStatusDto",
     false,
     MapperKind::Columns,
     "SELECT Cislo, Hodnota\r"
     "FROM TabQUELTAKonverzeRodinnyStav",
     {},
     kMaritalStatus},
    {"payout",
     "TPayout",
     "ID",
     "PayoutDto",
     false,
     MapperKind::Columns,
     "SELECT 1 AS ID, 1 AS Cislo, 'Na účet' AS Nazev\r"
     "UNION SELECT 2 AS ID, 2 AS Cislo, 'Na pokladně' AS Nazev",
     {},
     kPayout},
    {"pensionrevenuestype",
     "TPensionRevenuesType",
     "Cislo",
     "PensionRevenuesTypeDto",
     false,
     MapperKind::Columns,
     "SELECT Cislo, Hodnota\r"
     "FROM TabQUELTAKonverzeDruhDuchodu",
     {},
     kPensionRevenuesType},
    {"period",
     "TPeriod",
     "IdObdobi",
     "PeriodDto",
     false,
     MapperKind::Period,
     "SELECT IdObdobi, Rok, Mesic, Uzavreno, SUSER_SNAME() AS UserName\r"
     "FROM TabMzdObd\r"
     "WHERE (Rok * 100 + Mesic) >= (SELECT (t.Rok * 100 + t.Mesic) FROM TabMzdObd t WHERE t.Stav = 1)",
     {},
     kPeriod},
    {"salary",
     "TSalary",
     "Cislo",
     "SalaryDto",
     false,
     MapperKind::Columns,
     "SELECT Cislo, Hodnota\r"
     "FROM TabQUELTAKonverzeDruhMzdyMesHod",
     {},
     kNameValue},
    {"vehicle",
     "TVehicle",
     "SPZZobraz",
     "VehicleDto",
     true,
     MapperKind::Columns,
     "SELECT tab.SPZZobraz, ISNULL(tab.Popis, '') AS Popis\r"
     "FROM TabIVozidlo tab\r"
     "JOIN TabIVozidlo_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kVehicle},
    {"career",
     "TCareer",
     "Cislo",
     "CareerDto",
     true,
     MapperKind::Columns,
     "SELECT tab.ID, tab.Cislo AS [number], tab.Nazev AS [name_]\r"
     "FROM TabProfes tab\r"
     "JOIN TabProfes_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kNumberName},
    {"jobtitle",
     "TJobTitle",
     "ID",
     "JobTitleDto",
     true,
     MapperKind::Columns,
     "SELECT tab.ID, tab.ID AS [number], tab.Nazev AS [name_]\r"
     "FROM TabPracovniPozice tab\r"
     "JOIN TabPracovniPozice_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kNumberName},
    {"supplementarypensioninsurance",
     "TSupplementaryPensionInsurance",
     "Symbol",
     "SupplementaryPensionInsuranceDto",
     true,
     MapperKind::Columns,
     CURRENT_PERIOD "SELECT tab.ID, tab.Symbol AS [code], tab.Nazev AS [name_]\r"
                    "FROM TabMzPF tab\r"
                    "JOIN TabMzPF_EXT ext ON ext.ID = tab.ID\r"
                    "WHERE ext._QUELTA_NaPortal = 1 AND tab.DruhFondu = 0 AND tab.IdObdobi = @IdObdobi",
     {},
     kFund},
    {"lifeinsurance",
     "TLifeInsurance",
     "Symbol",
     "LifeInsuranceDto",
     true,
     MapperKind::Columns,
     CURRENT_PERIOD "SELECT tab.ID, tab.Symbol AS [code], tab.Nazev AS [name_]\r"
                    "FROM TabMzPF tab\r"
                    "JOIN TabMzPF_EXT ext ON ext.ID = tab.ID\r"
                    "WHERE ext._QUELTA_NaPortal = 1 AND tab.DruhFondu = 1 AND tab.IdObdobi = @IdObdobi",
     {},
     kFund},
    {"familyrelationship",
     "TFamilyRelationship",
     "Cislo",
     "FamilyRelationshipDto",
     false,
     MapperKind::Columns,
     "SELECT Cislo, Hodnota\r"
     "FROM TabQUELTAKonverzeVztah",
     {},
     kNameValue},
    {"travelordercosttype",
     "TTravelOrderCostType",
     "Kod",
     "TravelOrderCostTypeDto",
     true,
     MapperKind::Columns,
     "SELECT tab.Kod AS [erpPk], tab.Popis AS [name_]\r"
     "FROM TabINaklKod tab\r"
     "JOIN TabINaklKod_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kTravelOrderCostType},
    {"currency",
     "TCurrency",
     "Kod",
     "CurrencyDto",
     true,
     MapperKind::Columns,
     "SELECT tab.Kod AS [code]\r"
     "FROM TabKodMen tab\r"
     "JOIN TabKodMen_EXT ext ON ext.ID = tab.ID\r"
     "WHERE ext._QUELTA_NaPortal = 1",
     {},
     kCurrency},
    {"employee", "TEmployee", "Cislo", "EmployeeDto", true, MapperKind::Employee, {}, {}, {}},
}};

#undef CURRENT_PERIOD

} // namespace

std::span<const CodeListDef> CodeListMappers() {
    return kCodeLists;
}

const CodeListDef* FindCodeListMapper(std::string_view code) {
    for (const CodeListDef& def : kCodeLists)
        if (def.code == code) return &def;
    return nullptr;
}

TCodeList::TCodeList(const CodeListDef& def, const std::string& legislation)
    : def_(def) {
    id = std::string(def.keyColumn);
    query = std::string(legislation == "SK" && !def.querySK.empty() ? def.querySK : def.query);
}

soap::Record TCodeList::setProperties(TDBConnector& db) {
    soap::Record record = NewRecord(def_.recordType);
    FillFromRow(record, db, def_.members);
    return record;
}

TPeriod::TPeriod(const CodeListDef& def, const std::string& legislation, RpcKvaEndpoint& service)
    : TCodeList(def, legislation)
    , service_(service) {}

soap::Record TPeriod::setProperties(TDBConnector& db) {
    const std::string key = db.FieldAsStringStrict("IdObdobi");
    soap::Record record =
        FoundOrNew(service_.getDtoByErpPk(NewRecord(def_.recordType), key), def_.recordType);
    const std::int32_t year = db.FieldAsInteger("Rok");
    const std::int32_t month = db.FieldAsInteger("Mesic");
    record.set("period", soap::Value(soap::DateTime::date(year, month, 1)));
    FillFromRow(record, db, def_.members);
    record.set("state", soap::Value(std::string(db.FieldAsInteger("Uzavreno") > 2 ? "Locked" : "Unlocked")));
    return record;
}

} // namespace quelta
