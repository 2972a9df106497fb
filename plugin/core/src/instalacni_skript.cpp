// The installation data script of PluginQuelta: the global settings row, the synchronization
// settings, the import definition for the host's payroll preprocessing, the Portal payroll
// components offered for preprocessing and the host browses in the navigation folder. Every part
// checks before it writes, so the script can run on every installation.

#include "plugin/core/plg_konfig.h"

#include "common/sql_text.h"
#include "common/utf.h"
#include "plugin/definitions/sql_objects.h"
#include "plugin/messages/hlasky.h"

#include <initializer_list>

namespace plugin {

namespace {

using common::SqlNString;

constexpr TNastaveniSynchronizaceRadek kNastaveniSynchronizace[] = {
    {"country", "TabZeme", "Země", 2, 2},
    {"bankcode", "TabPenezniUstavy", "Peněžní ústavy", 2, 2},
    {"healthinsuranceoffice", "TabZdrPoj", "Zdravotní pojišťovny", 2, 2},
    {"city", "TabPSC", "PSČ", 2, 2},
    {"department", "TabStrom", "Útvary", 2, 2},
    {"costpoot", "TabNakladovyOkruh", "Nákladové okruhy", 2, 2},
    {"vehicle", "TabIVozidlo", "Vozidla", 2, 2},
    {"joborder", "TabZakazka", "Zakázka", 2, 2},
    {"maritalstatus", "TabCisZam.RodinnyStav", "Rodinný stav", 1, 1},
    {"pensionrevenuestype", "TabDuchod.DruhDuchodu", "Druh důchodu", 1, 1},
    {"salary", "TabZamMzd.DruhMzdyMesHod", "Typ mzdy", 1, 1},
    {"period", "TabMzdObd", "Období", 2, 2},
    {"employmenttype", "TabZamMzd.DruhPP", "Druh pracovního poměru", 1, 1},
    {"employee", "TabCisZam", "Zaměstnanci", 3, 4},
    {"payrollcomponents", "TabCisMzSl", "Mzdové složky", 2, 2},
    {"cashincome", "TabPredzp", "Peněžní příjmy", 4, 3},
    {"record", "TabPredzp", "Nepřítomnosti", 4, 3},
    {"career", "TabProfes", "Profese", 2, 2},
    {"jobtitle", "TabPracovniPozice", "Pracovní pozice", 2, 2},
    {"supplementarypensioninsurance", "TabMzPF", "Penzijní fondy", 2, 2},
    {"lifeinsurance", "TabMzPF", "Životní pojišťovny", 2, 2},
    {"familyrelationship", "TabZamRPr.Vztah", "Rodinní příslušníci - vztah", 1, 1},
    {"payrollcalendar", "TabMzKalendar", "Mzdové kalendáře", 4, 3},
    {"payout", "", "Poukazování mzdy", 1, 1},
    {"currency", "TabKodMen", "Měna", 2, 2},
    {"travelordercosttype", "TabINaklKod", "Kódy nákladů", 2, 2},
};

constexpr const char* kPrehledyVeSlozce[] = {"37", "65",  "202", "3",    "4",   "82", "1272",
                                             "59", "214", "204", "1124", "330", "6",  "10521"};
constexpr const char* kPrehledyBezPredka[] = {"200", "205", "10536"};

//! Lines of a script, joined by CR.
class TSkript {
public:
    TSkript& operator<<(std::string_view radek) {
        if (!text_.empty()) text_ += '\r';
        text_ += radek;
        return *this;
    }
    const std::string& text() const { return text_; }

private:
    std::string text_;
};

//! The first `pocet` characters of a UTF-8 text.
std::string prvniZnaky(std::string_view text, std::size_t pocet) {
    auto znaky = common::Utf8ToUtf32(text);
    if (znaky.size() > pocet) znaky.resize(pocet);
    return common::Utf32ToUtf8(znaky);
}

std::string cislo(int n) {
    return std::to_string(n);
}

void globalniNastaveni(TSkript& s) {
    s << "IF NOT EXISTS (SELECT * FROM dbo.TabQUELTAHGlob)"
      << "INSERT INTO dbo.TabQUELTAHGlob (URL) VALUES (" + SqlNString("") + ")";
}

void nastaveniSynchronizace(TSkript& s) {
    for (const auto& r : kNastaveniSynchronizace) {
        s << Format("IF NOT EXISTS (SELECT * FROM dbo.TabQUELTANastaveniSynchronizace WHERE Kod = %s)",
                    {SqlNString(r.Kod)});
        s << Format("INSERT INTO dbo.TabQUELTANastaveniSynchronizace (Kod, Ciselnik, Nazev, Poradi) "
                    "VALUES (%s, %s, %s, %s)",
                    {SqlNString(r.Kod), SqlNString(r.Ciselnik), SqlNString(r.Nazev), cislo(r.PoradiVlozene)});
    }
    s << "UPDATE TabQUELTANastaveniSynchronizace SET CommitNumber = ISNULL(CommitNumber, 0)";
    for (const auto& r : kNastaveniSynchronizace)
        s << Format("UPDATE TabQUELTANastaveniSynchronizace SET Poradi = %s WHERE Kod = %s",
                    {cislo(r.PoradiKonecne), SqlNString(r.Kod)});
}

void importDefinice(TSkript& s) {
    const auto nazev = SqlNString("QUELTA");
    s << "DELETE FROM TabMzImpDefUP WHERE Nazev LIKE " + nazev
      << Format("INSERT INTO TabMzImpDefUP (Nazev, JmenoUP) VALUES (%s, %s)", {nazev, SqlNString("")})
      << "UPDATE TabMzImpDefUP SET"
      << "JmenoUP = " + SqlNString("dbo._HP_QUELTA_PrenosDoPredspracovania") + ","
      << "VlastniUP = 1,"
      // The definition is the procedure the installer creates: the host may create it from here.
      << "DefiniceUP = " + SqlNString(std::string(TextProcedury("_HP_QUELTA_PrenosDoPredspracovania")))
      << "WHERE Nazev = " + nazev;
}

void mzdoveSlozky(TSkript& s) {
    // Payroll components of the current period flagged for preprocessing, with their group.
    const char* slozky = "FROM TabCisMzSl ms"
                         "\rJOIN TabSkupMS sk ON sk.SkupinaMS = ms.SkupinaMS AND sk.IdObdobi = ms.IdObdobi"
                         "\rJOIN TabMzdObd o ON o.IdObdobi = ms.IdObdobi"
                         "\rWHERE o.Stav = 1 AND ms.Konstanty_DoPredzpracovani = 1";
    s << "DELETE FROM TabQUELTAWSPayrollComponents"
      << "WHERE NOT EXISTS (SELECT * " + std::string(slozky)
      << "AND ms.CisloMzSl = TabQUELTAWSPayrollComponents.typeCode)";
    s << "DECLARE @CisloMzSl INT, @NazevMS NVARCHAR(40), @SkupinaMS INT, @NazevSkupiny NVARCHAR(100), @Typ "
         "INT,"
      << "@GroupClass NVARCHAR(100), @GroupType NVARCHAR(100)"
      << "DECLARE slozky CURSOR LOCAL FAST_FORWARD FOR"
      << "SELECT ms.CisloMzSl, ms.NazevMS, ms.SkupinaMS, sk.Nazev, sk.Typ " + std::string(slozky)
      << "OPEN slozky"
      << "FETCH NEXT FROM slozky INTO @CisloMzSl, @NazevMS, @SkupinaMS, @NazevSkupiny, @Typ"
      << "WHILE @@FETCH_STATUS = 0"
      << "BEGIN"
      << Format("SET @GroupClass = CASE WHEN @Typ IN (1, 3, 4, 5, 7, 8, 10) THEN %s ELSE %s END",
                {SqlNString("PayrollComponentsGroupCashIncome"), SqlNString("PayrollComponentsGroupRecord")})
      // A group of any other type gets no group type rather than the previous component's one.
      << Format("SET @GroupType = CASE WHEN @Typ IN (1, 3, 4, 5, 7, 8) THEN %s WHEN @Typ = 10 THEN %s "
                "WHEN @Typ IN (0, 2, 6) THEN %s ELSE NULL END",
                {SqlNString("COMPLEMENTS"), SqlNString("PAYROLL"), SqlNString("NOTWORKED")})
      << "IF NOT EXISTS (SELECT * FROM TabQUELTAWSPayrollComponents WHERE typeCode = @CisloMzSl)"
      << "INSERT INTO TabQUELTAWSPayrollComponents (deleted, groupErpPk, groupClass, groupType, groupName,"
      << "typeCode, typeName, typeType)"
      << "VALUES (0, @SkupinaMS, @GroupClass, @GroupType, @NazevSkupiny, @CisloMzSl, @NazevMS, " +
             SqlNString("OTHERS") + ")"
      << "ELSE"
      << "UPDATE TabQUELTAWSPayrollComponents SET deleted = 0, groupErpPk = @SkupinaMS,"
      << "groupClass = @GroupClass, groupType = @GroupType, groupName = @NazevSkupiny,"
      << "typeCode = @CisloMzSl, typeName = @NazevMS, typeType = " + SqlNString("OTHERS")
      << "WHERE typeCode = @CisloMzSl"
      << "FETCH NEXT FROM slozky INTO @CisloMzSl, @NazevMS, @SkupinaMS, @NazevSkupiny, @Typ"
      << "END"
      << "CLOSE slozky"
      << "DEALLOCATE slozky";
}

void slozkaNavigace(TSkript& s, const std::string& skupina, const std::string& systemoveJmeno) {
    const auto soudek = SqlNString(kSoudekQuelta);
    const auto autor = SqlNString(systemoveJmeno + " (") + " + SUSER_SNAME() + " + SqlNString(")");
    auto radek = [&](const char* browse, int poradi, const char* predek) {
        const auto browseId = SqlNString(browse);
        s << Format("IF NOT EXISTS (SELECT * FROM TabSoudky WHERE Soudek = %s AND BrowseID = %s AND %s)",
                    {soudek, browseId, predek ? "IDPredek = @IDPredek" : "IDPredek IS NULL"})
          << "INSERT INTO TabSoudky (Skupina, Soudek, BrowseID, Poradi, DatPorizeni, Autor, Systemovy, "
             "IDPredek)"
          << Format("VALUES (%s, %s, %s, %s, GETDATE(), %s, 1, %s)",
                    {SqlNString(skupina), soudek, browseId, cislo(poradi), autor, predek ? predek : "NULL"});
    };
    s << "DECLARE @IDPredek INT"
      << Format("SELECT @IDPredek = ID FROM TabSoudky WHERE BrowseID = %s AND Soudek = %s",
                {SqlNString(kViewNastaveniSynchronizace), soudek})
      << "IF @IDPredek IS NOT NULL"
      << "BEGIN";
    int poradi = 0;
    for (const char* browse : kPrehledyVeSlozce)
        radek(browse, ++poradi, "@IDPredek");
    s << "END";
    poradi = 0;
    for (const char* browse : kPrehledyBezPredka)
        radek(browse, ++poradi, nullptr);
}

} // namespace

std::span<const TNastaveniSynchronizaceRadek> NastaveniSynchronizace() {
    return kNastaveniSynchronizace;
}

std::span<const char* const> PrehledyVeSlozce() {
    return kPrehledyVeSlozce;
}

std::span<const char* const> PrehledyBezPredka() {
    return kPrehledyBezPredka;
}

std::string TPluginKonfig::VlastniInstalacniSkript() const {
    TSkript s;
    globalniNastaveni(s);
    nastaveniSynchronizace(s);
    importDefinice(s);
    mzdoveSlozky(s);
    slozkaNavigace(s, prvniZnaky(GetPluginVerejneJmeno(), 30), PluginSystemoveJmeno());
    return s.text();
}

} // namespace plugin
