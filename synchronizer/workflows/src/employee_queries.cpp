#include "quelta/workflows/employee_queries.h"

#include "quelta/workflows/synch_sql.h"

#include "common/sql_text.h"

#include <string_view>

namespace quelta {

namespace {

//! One line of the select list; `slovak` empty: the same for both legislations.
struct SelectLine {
    std::string_view czech;
    std::string_view slovak = {};
};

constexpr SelectLine kUploadSelect[] = {
    {"zam.ID"},
    {"NULL AS PortalID"},
    {"1 AS TypZaznamu"},
    {"NULL AS CommitNumber"},
    {"zam.Cislo, zam.Prijmeni, zam.Jmeno, zam.TitulPred, zam.RodnePrijmeni"},
    {"NULL AS DrivejsiPrijmeni"},
    {"zam.Pohlavi, zam.DatumNarozeni, zam.MistoNarozeni, zam.RodneCislo, zam.RodinnyStav"},
    {"du.DruhDuchodu, du.DatumNaroku"},
    {"zam.Narodnost, zam.StatniPrislus"},
    {"bs.NazevBankSpoj AS bankName"},
    {"mzd.DatumVznikuPP, mzd.DatumUkonceniPP"},
    {"zam.Stredisko, mzd.DruhPP, bs.CisloUctu, pu.KodUstavu, bs.IBANElektronicky, mzd.ZdravPojistovna"},
    {"pf.Nazev AS supplementaryPensionInsuranceErpPk"},
    {"zp.Nazev AS lifeInsuranceErpPk"},
    {"mzd.DanitMzdu AS signedTaxDeclaration"},
    {"dan.StavRZD AS annualAccounts"},
    {"zam.AdrTrvUlice, zam.AdrTrvPopCislo, zam.AdrTrvOrCislo, zam.AdrTrvMisto"},
    {"ISNULL(zam.AdrTrvPSC, '') AS AdrTrvPSC"},
    {"zam.AdrTrvZeme, zam.AdrPrechUlice, zam.AdrPrechPopCislo, zam.AdrPrechOrCislo, zam.AdrPrechMisto"},
    {"ISNULL(zam.AdrPrechPSC, '') AS AdrPrechPSC"},
    {"zam.AdrPrechZeme"},
    {"ke.Spojeni AS Email"},
    {"kt.Spojeni AS Telefon"},
    {"zam.CisloOP, zam.PlatnostOP, zam.CisloPasu, zam.PlatnostPasu, zam.SSN, zam.PovoleniKPobytu"},
    {"ISNULL(mzd.DruhMzdyMesHod, 0) AS DruhMzdyMesHod"},
    {"mzd.ZakladniPlat AS basicSalary"},
    {"@IdObdobi AS IdObdobi"},
    {"zam.Obrazek AS Foto"},
    {"zam.Zakazka, zam.NakladovyOkruh"},
    {"mzd.ZkusebniDoba_X AS periodOfProbation"},
    {"mzd.DatumUkonceniPP AS temporaryEmployment"},
    {"per.PraxeRoky AS yearOfPractice"},
    {"per.PraxeDny AS dayOfPractice"},
    {"pp.Nazev AS jobTitleErpPk"},
    {"per.Profese AS careerErpPk"},
    {"(CASE WHEN kalendar.Uvazektyden = mzd.TydenniUvazek THEN kalendar.UvazekTyden ELSE NULL END) AS "
     "workingTimeBasic"},
    {"(CASE WHEN kalendar.Uvazektyden = mzd.TydenniUvazek THEN NULL ELSE kalendar.UvazekTyden END) AS "
     "workingTimeChanged"},
    {"(CASE WHEN pout.CisloMzSl IS NULL THEN 2 ELSE 1 END) AS payoutErpPk",
     "(CASE WHEN pout.CisloMzSl IS NULL THEN 'Na pokladne' ELSE 'Na ucet' END) AS payoutErpPk"},
    {"mzd.DovPrumer AS averageSalary"},
    {"mzd.DNPPrumer AS sickleaveAverage", "mzd.DNPPrumerSK AS sickleaveAverage"},
    {"mzd.DovNarokBR AS vacancy"},
    {"mzd.DovMinulyRok AS formerTimesVacancy", "mzd.DovZustatekMR AS formerTimesVacancy"},
    {"mzd.DovCerpaniBR AS spentVacancy"},
    {"mzd.DovKraceni + mzd.DovKraceniRucne AS abbreviateVacancy"},
    {"mzd.DovZustatekBR AS residual"},
    {"mzd.StavES"},
};

constexpr std::string_view kUploadFrom[] = {
    "FROM TabCisZam zam",
    "LEFT OUTER JOIN TabCisZam_EXT zamx ON zamx.ID = zam.ID",
    "LEFT OUTER JOIN TabZamMzd mzd ON mzd.ZamestnanecID = zam.ID AND mzd.IdObdobi = @IdObdobi",
    "LEFT OUTER JOIN TabBankSpojeni bs ON bs.IDZam = zam.ID AND bs.Prednastaveno = 1",
    "LEFT OUTER JOIN TabPenezniUstavy pu ON pu.ID = bs.IDUstavu",
    "LEFT OUTER JOIN TabKontakty ke ON ke.IDCisZam = zam.ID AND ke.Prednastaveno = 1 AND ke.Druh = 6",
    "LEFT OUTER JOIN TabKontakty kt ON kt.IDCisZam = zam.ID AND kt.Prednastaveno = 1 AND kt.Druh = 2",
    "LEFT OUTER JOIN TabDuchod du ON du.ID = (SELECT TOP 1 ID FROM TabDuchod WHERE TabDuchod.ZamestnanecID = "
    "zam.ID)",
    "LEFT OUTER JOIN TabZamPer per ON per.ZamestnanecId = zam.ID AND per.IdObdobi = @IdObdobi",
    "LEFT OUTER JOIN TabMzKons konst ON konst.IDObdobi = @IdObdobi",
    "LEFT OUTER JOIN TabZamDan dan ON mzd.ZamestnanecId = dan.ZamestnanecId AND mzd.IdObdobi = (SELECT "
    "IdObdobi "
    "FROM TabMzdObd WHERE Rok = dan.Rok AND Mesic = 12)",
    "LEFT OUTER JOIN TabMzKalendarZam kalendar ON kalendar.Rok = mzd.RokKalendare AND kalendar.Cislo = "
    "mzd.DruhKalendare AND kalendar.ZamestnanecId = zam.ID",
    "LEFT OUTER JOIN TabCisMzSl slpf ON slpf.CisloMzSl IN (SELECT paus.CisloMS FROM TabMzPaus paus WHERE "
    "paus.ZamestnanecId = zam.ID AND paus.IdObdobi = @IdObdobi) AND slpf.IdObdobi = @IdObdobi AND "
    "slpf.Srazky_PrispevekPFZam = 1",
    "LEFT OUTER JOIN TabCisMzSl slzp ON slzp.CisloMzSl IN (SELECT paus.CisloMS FROM TabMzPaus paus WHERE "
    "paus.ZamestnanecId = zam.ID AND paus.IdObdobi = @IdObdobi) AND slzp.IdObdobi = @IdObdobi AND "
    "slzp.Srazky_PrispevekZPZam = 1",
    "LEFT OUTER JOIN TabCisMzSl pout ON pout.CisloMzSl IN (SELECT paus.CisloMS FROM TabMzPaus paus WHERE "
    "paus.ZamestnanecId = zam.ID",
    "  AND paus.IdObdobi = @IdObdobi) AND pout.IdObdobi = @IdObdobi AND pout.NazevMS = '100' AND "
    "pout.Vypocet_ZakladProVypocet = 3 AND pout.SkupinaMS = 11",
    "LEFT OUTER JOIN TabMzPf pf ON pf.MSZamestnanec = slpf.CisloMzSl AND pf.IdObdobi = @IdObdobi",
    "LEFT OUTER JOIN TabMzPf zp ON zp.MSZamestnanec = slzp.CisloMzSl AND zp.IdObdobi = @IdObdobi",
    "LEFT OUTER JOIN TabPracovniPozice pp ON pp.ID = (",
    "SELECT TOP 1 pp1.ID",
    "FROM TabObsazeniPracovnichPozic opp1",
    "LEFT OUTER JOIN TabPracovniPozice pp1 ON pp1.ID = opp1.IDPP",
    "WHERE opp1.IDZam = zam.ID AND",
    "CONVERT(DATETIME,CONVERT(INT,CONVERT(FLOAT,ISNULL(opp1.PlatnostOd, GETDATE())))) <= "
    "CONVERT(DATETIME,CONVERT(INT,CONVERT(FLOAT, GETDATE()))) AND",
    "CONVERT(DATETIME,CONVERT(INT,CONVERT(FLOAT,ISNULL(opp1.PlatnostDo, GETDATE())))) >= "
    "CONVERT(DATETIME,CONVERT(INT,CONVERT(FLOAT, GETDATE())))",
    "ORDER BY opp1.PlatnostOd DESC",
    ")",
    "WHERE (zamx._QUELTA_NaPortal = 1 AND mzd.StavES IN (0, 1))",
};

//! Columns of the save query, in order.
constexpr std::string_view kSaveSelect[] = {
    "ID",
    "Cislo",
    "Prijmeni",
    "Jmeno",
    "TitulPred",
    "RodnePrijmeni",
    "MistoNarozeni",
    "RodneCislo",
    "SSN",
    "PovoleniKPobytu",
    "CisloOP",
    "CisloPasu",
    "Email",
    "Telefon",
    "CisloUctu",
    "IBANElektronicky",
    "ZakladniPlat",
    "Pohlavi",
    "RodinnyStav",
    "StatniPrislus",
    "Utvar AS Stredisko",
    "Zakazka",
    "NakladovyOkruh",
    "ZdravPojistovna",
    "DruhDuchodu",
    "DruhPP",
    "ISNULL(DruhMzdyMesHod, 0) AS DruhMzdyMesHod",
    "KodUstavu",
    "Obdobi AS IdObdobi",
    "DatumNarozeni",
    "PlatnostOP",
    "PlatnostPasu",
    "DatumNaroku",
    "DatumVznikuPP",
    "DatumUkonceniPP",
    "AdrTrvUlice",
    "AdrTrvPopCislo",
    "AdrTrvOrCislo",
    "AdrTrvMisto",
    "ISNULL(AdrTrvPSC, '') AS AdrTrvPSC",
    "AdrTrvZeme",
    "AdrPrechUlice",
    "AdrPrechPopCislo",
    "AdrPrechOrCislo",
    "AdrPrechMisto",
    "ISNULL(AdrPrechPSC, '') AS AdrPrechPSC",
    "AdrPrechZeme",
    "DrivejsiPrijmeni",
    "PortalID",
    "TypZaznamu",
    "CommitNumber",
    "Foto",
    "NULL AS StavES",
};

} // namespace

namespace {

//! The upload query's period variable and its SELECT keyword.
std::string uploadQueryStart() {
    return "DECLARE @IdObdobi INT" + std::string(CR) +
           "SET @IdObdobi = (SELECT IdObdobi FROM TabMzdObd WHERE Stav = 1) -- aktualni obdobi" +
           std::string(CR) + "SELECT";
}

void appendUploadFrom(std::string& q) {
    for (std::string_view line : kUploadFrom) {
        q += CR;
        q += line;
    }
}

} // namespace

std::string EmployeeUploadCountQuery() {
    std::string q = uploadQueryStart() + " COUNT(*) AS Pocet";
    appendUploadFrom(q);
    return q;
}

std::string EmployeeUploadQuery(const std::string& legislation) {
    const bool slovak = legislation == "SK";
    std::string q = uploadQueryStart();
    const char* separator = "";
    for (const SelectLine& line : kUploadSelect) {
        q += separator;
        q += CR;
        q += "  ";
        q += slovak && !line.slovak.empty() ? line.slovak : line.czech;
        separator = ",";
    }
    appendUploadFrom(q);
    return q;
}

std::string EmployeeSaveQuery() {
    std::string q = "SELECT";
    const char* separator = "";
    for (std::string_view column : kSaveSelect) {
        q += separator;
        q += CR;
        q += "  ";
        q += column;
        separator = ",";
    }
    q += CR;
    q += "FROM TabQUELTAZamPortal";
    q += CR;
    q += "WHERE ID = @ID";
    return q;
}

namespace {

//! The batch start of the employee extras: the current period and the employee.
std::string extrasPrefix(std::int32_t employeeId) {
    const std::string cr(CR);
    return "DECLARE @IdObdobi INT" + cr + "DECLARE @ZamestnanecId INT" + cr +
           "SET @IdObdobi = (SELECT IdObdobi FROM TabMzdObd WHERE Stav = 1) -- aktualni obdobi" + cr +
           "SET @ZamestnanecId = " + common::SqlValue(employeeId) + cr;
}

} // namespace

std::string EmployeeExtrasBatch(std::int32_t employeeId) {
    const std::string cr(CR);
    return extrasPrefix(employeeId) +
           "SELECT RodneCislo, DatumNarozeni, ZamestnanecId, Vztah, Jmeno, Prijmeni" + cr + "FROM TabZamRPr" +
           cr + "WHERE IdObdobi = @IdObdobi AND ZamestnanecId = @ZamestnanecId" + cr +
           "SELECT kal.ID AS IDKalendara, kalzam.ID AS IDKalendaraZam, DruhKalendare, RokKalendare FROM "
           "TabZamMzd mzd" +
           cr +
           "INNER JOIN TabMzKalendar kal ON kal.Rok  = mzd.RokKalendare AND kal.Cislo = mzd.DruhKalendare" +
           cr +
           "INNER JOIN TabMzKalendarZam kalzam ON kalzam.Rok  = mzd.RokKalendare AND kalzam.Cislo = "
           "mzd.DruhKalendare AND kalzam.ZamestnanecId = mzd.ZamestnanecId" +
           cr + "WHERE mzd.ZamestnanecId = @ZamestnanecId AND mzd.IdObdobi = @IdObdobi";
}

} // namespace quelta
