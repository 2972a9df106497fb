// Settings of the demo company: external attributes, global settings, users, number series,
// user browses and folders.

#include "demo_internal.h"

#include "common/sql_text.h"

namespace standins::tarvik::demo {

namespace {

struct ExtensionAttribute {
    const char* table;
    const char* column;
    const char* type;
};

// External attributes as the plug-in registers them; the demo's flags need them in place.
constexpr ExtensionAttribute kExtensionAttributes[] = {
    {"TabCisZam", "_QUELTA_NaPortal", "BIT"},
    {"TabKodMen", "_QUELTA_NaPortal", "BIT"},
    {"TabINaklKod", "_QUELTA_NaPortal", "BIT"},
    {"TabZeme", "_QUELTA_NaPortal", "BIT"},
    {"TabPenezniUstavy", "_QUELTA_NaPortal", "BIT"},
    {"TabZdrPoj", "_QUELTA_NaPortal", "BIT"},
    {"TabPSC", "_QUELTA_NaPortal", "BIT"},
    {"TabStrom", "_QUELTA_NaPortal", "BIT"},
    {"TabNakladovyOkruh", "_QUELTA_NaPortal", "BIT"},
    {"TabIVozidlo", "_QUELTA_NaPortal", "BIT"},
    {"TabZakazka", "_QUELTA_NaPortal", "BIT"},
    {"TabProfes", "_QUELTA_NaPortal", "BIT"},
    {"TabPracovniPozice", "_QUELTA_NaPortal", "BIT"},
    {"TabMzPF", "_QUELTA_NaPortal", "BIT"},
    {"TabMzdPojFondy", "_QUELTA_NaPortal", "BIT"},
    {"TabZamVyp", "_QUELTA_AutorOdeslani", "NVARCHAR(128)"},
    {"TabZamVyp", "_QUELTA_DatumOdeslani", "DATETIME"},
    {"TabICestak", "_Quelta_PortalID", "INT"},
    {"TabICestak", "_Quelta_CommitNumber", "INT"},
    {"TabICestak", "_Quelta_ToPortal", "BIT"},
    {"TabICestak", "_Quelta_UploadAuthor", "NVARCHAR(128)"},
    {"TabICestak", "_Quelta_UploadDate", "DATETIME"},
    {"TabICestak", "_Quelta_DownloadDate", "DATETIME"},
    {"TabICestak", "_Quelta_State", "CHAR(1)"},
    {"TabICestak", "_Quelta_ApproverID", "INT"},
    {"TabICestak", "_Quelta_Note", "NVARCHAR(2048)"},
};

struct BrowseDefinition {
    int number;
    const char* view;
    const char* name;
    const char* select; //!< the view's query
};
// User browses of other customisations, so that the plug-in's browses are numbered after them.
constexpr BrowseDefinition kForeignUserBrowses[] = {
    {1, "hvw_PrehledDochazky", "Docházka",
     "SELECT k.ID, z.Cislo, z.Prijmeni, z.Jmeno, k.Rok, k.Cislo AS Kalendar, k.UvazekTyden\n"
     "FROM dbo.TabMzKalendarZam k JOIN dbo.TabCisZam z ON z.ID = k.ZamestnanecId"},
    {2, "hvw_PrehledSmluv", "Smlouvy",
     "SELECT m.ID, z.Cislo, z.Prijmeni, z.Jmeno, m.IdObdobi, m.DruhPP, m.DatumVznikuPP, m.DatumUkonceniPP\n"
     "FROM dbo.TabZamMzd m JOIN dbo.TabCisZam z ON z.ID = m.ZamestnanecId"},
    {3, "hvw_PrehledSkoleni", "Školení",
     "SELECT z.ID, z.Cislo, z.Prijmeni, z.Jmeno, z.Stredisko\nFROM dbo.TabCisZam z"},
};

} // namespace

void addExtensionAttributes(Context& c) {
    Batch b(c.company, "External attributes that the company's data below already uses");
    for (const auto& a : kExtensionAttributes)
        b.sql("EXEC dbo.hp_ExterniTabulka " + common::SqlNString(a.table) + ", " +
              common::SqlNString(a.column) + ", " + common::SqlNString(a.type));
}

void addCompanySettings(Context& c) {
    const bool sk = c.slovak();
    Batch b(c.company, "Company settings, users, number series and user browses");
    b.insert("TabHGlob", {{"Legislativa", num(sk ? 1 : 0)},
                          {"fazeeuro", num(0)},
                          {"DatumPrechoduNaEuro", null()},
                          {"NazevFirmy", text("Demo s.r.o.")}});
    b.insert("TabUziv", {{"LoginName", expr("SUSER_SNAME()")},
                         {"Jazyk", num(sk ? 4 : 1)},
                         {"Jazyk2", num(-1)},
                         {"CeleJmeno", text("Správce mezd")}});
    b.insert("TabUziv", {{"LoginName", text(sk ? "mzdova.uctovnicka" : "mzdova.ucetni")},
                         {"Jazyk", num(sk ? 1 : 4)},
                         {"Jazyk2", num(-1)},
                         {"CeleJmeno", text(sk ? "Mzdová účtovníčka" : "Mzdová účetní")}});
    if (sk)
        b.insert("TabIHGlob", {{"CestakSazbaPHM", dec("1.450")},
                               {"CestakSazbaKm", dec("0.183")},
                               {"CestakKapesne", dec("40")},
                               {"CestakZahrPHM", dec("1")}});
    else
        b.insert("TabIHGlob", {{"CestakSazbaPHM", dec("36.10")},
                               {"CestakSazbaKm", dec("3.70")},
                               {"CestakKapesne", dec("40")},
                               {"CestakZahrPHM", dec("1")}});
    b.insert(
        "TabMzRadyOsCisel",
        {{"Rada", text("A")}, {"Nazev", text("Dělníci")}, {"CisloOd", num(1000)}, {"CisloDo", num(1999)}});
    b.insert(
        "TabMzRadyOsCisel",
        {{"Rada", text("B")}, {"Nazev", text("Technici")}, {"CisloOd", num(5000)}, {"CisloDo", num(5999)}});
    b.insert("TabIStazkaRada", {{"TypPrepravy", text("M")}, {"StPrefix", num(1000)}});
    b.insert("TabIStazkaRada", {{"TypPrepravy", text("T")}, {"StPrefix", num(2000)}});
    b.insert("TabIStazkaRada", {{"TypPrepravy", text("M")}, {"StPrefix", num(3000)}});
    for (const auto& browse : kForeignUserBrowses)
        b.insert("TabObecnyPrehled", {{"Cislo", num(browse.number)},
                                      {"NazevSys", text(browse.view)},
                                      {"Skupina", text("Personalistika")},
                                      {"Nazev", text(browse.name)},
                                      {"Systemovy", flag(false)},
                                      {"JeToDBView", flag(true)}});
    b.insert("TabSoudky", {{"Skupina", text("Tarvik")},
                           {"Soudek", text("Mzdy")},
                           {"BrowseID", text("200")},
                           {"Poradi", num(1)},
                           {"Systemovy", flag(true)}});
    b.insert("TabSoudkyPoradi", {{"Soudek", text("Mzdy")}, {"Poradi", num(1)}});
    for (const auto& browse : kForeignUserBrowses)
        Batch(c.company, std::string("View of user browse ") + browse.name)
            .sql(std::string("CREATE VIEW dbo.") + browse.view + " AS\n" + browse.select);
}

} // namespace standins::tarvik::demo
