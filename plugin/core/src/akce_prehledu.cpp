// Commands of browse actions: the action objects bound to the plug-in's browses and to host
// browses, found by the browse the command came from.

#include "plg_run.h"

#include "common/ascii.h"
#include "plugin/messages/hlasky.h"

namespace plugin {

namespace {

//! A plug-in browse (a user browse of the host, by its view) and its action class.
struct TAkcePrehleduPluginu {
    const char* JmenoView;
    const char* DMAkceClass;
};

constexpr TAkcePrehleduPluginu kPrehledyPluginu[] = {
    {"hvw_QUELTAZamPortal", "TdmPlgQUELTAPortalZam"},
    {"hvw_QUELTAZamPortal_AktualniObdobi", "TdmPlgQUELTAPortalZam_AktualniObdobi"},
    {"hvw_QUELTAZamPortal_BezneObdobi", "TdmPlgQUELTAPortalZam_BezneObdobi"},
    {"hvw_QUELTAWSPreprocess", "TdmPlgQUELTAPortalPredzp"},
    {"hvw_QUELTANastaveniSynchronizace", "TdmPlgQUELTANastaveniSynchronizace"},
    {"hvw_QUELTAHGlob", "TdmPlgQUELTAHGlob"},
    {"hvw_QUELTASynchroLog", "TdmPlgQUELTASynchroLog"},
};

//! A host browse and the action class of the plug-in's actions on it.
struct TplgExtAkceDef {
    int BrowseID;
    const char* DMAkceClass;
};

constexpr TplgExtAkceDef kAkceNaPrehledechHostitele[] = {
    {10536, "TdmPlgQUELTATabICestak"},
    {10521, "TdmPlgQUELTATabINaklKod"},
    {6, "TdmPlgQUELTATabKodMen"},
    {200, "TdmPlgQUELTAMzdObdobi"},
    {205, "TdmPlgQUELTATabCisZam_Mzd"},
    {37, "TdmPlgQUELTATabZeme"},
    {65, "TdmPlgQUELTATabPenezniUstavy"},
    {202, "TdmPlgQUELTATabZdrPoj"},
    {3, "TdmPlgQUELTATabPSC"},
    {4, "TdmPlgQUELTATabStrom"},
    {82, "TdmPlgQUELTATabNakladovyOkruh"},
    {59, "TdmPlgQUELTATabZakazka"},
    {214, "TdmPlgQUELTATabCisMzSl"},
    {232, "TdmPlgQUELTATabZamVyp"},
    {375, "TdmPlgQUELTATabCisZam_Mzd_SK"},
    {389, "TdmPlgQUELTATabCisMzSl_SK"},
    {392, "TdmPlgQUELTATabZamVyp_SK"},
    {400, "TdmPlgQUELTATabMzPF_SK"},
    {330, "TdmPlgQUELTATabMzPF"},
    {1124, "TdmPlgQUELTATabPracovniPozice"},
    {735, "TdmPlgQUELTATabMzdPojFondy"},
    {10505, "TdmPlgQUELTATabIVozidlo"},
    {1272, "TdmPlgQUELTATabIVozidlo2"},
    {204, "TdmPlgQUELTATabProfes"},
};

std::string oriznuto(std::string text) {
    const auto zacatek = text.find_first_not_of(" \t\r\n");
    if (zacatek == std::string::npos) return {};
    return text.substr(zacatek, text.find_last_not_of(" \t\r\n") - zacatek + 1);
}

//! The action class of the browse the command came from, or nullptr when the plug-in has none.
const char* tridaAkci(ITarvik& tarvik, int prehled) {
    if (prehled > 99999) {
        const auto jmeno = oriznuto(tarvik.GetBrowseSysName());
        if (!jmeno.empty())
            for (const auto& p : kPrehledyPluginu)
                if (common::EqualsIgnoreCaseAscii(jmeno, p.JmenoView)) return p.DMAkceClass;
    }
    for (const auto& a : kAkceNaPrehledechHostitele)
        if (a.BrowseID == prehled) return a.DMAkceClass;
    return nullptr;
}

} // namespace

void SpustAkciPrehledu(ITarvik& tarvik, int prehled, int extKomID) {
    auto radky = tarvik.OpenSQL(Format("SELECT CAST(CAST(GUID AS UNIQUEIDENTIFIER) AS NVARCHAR(36))\r"
                                       "FROM TabExtKom WHERE ID=%d",
                                       {std::to_string(extKomID)}));
    const auto hodnota = radky->FieldValue(0);
    const auto guid = "{" + (hodnota.isNull() ? std::string() : hodnota.asText()) + "}";
    const char* trida = tridaAkci(tarvik, prehled);
    if (!trida) return;
    // The action objects of the browses come with the modules; this build has none of them.
    NeniKDispozici(Format(TextHlasky(128), {std::string(trida) + " " + guid}));
}

} // namespace plugin
