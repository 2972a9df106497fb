// The plug-in's browses with their default layout and bindings, its folders, and the host browses
// on which it offers actions.
#include "plugin/definitions/browses.h"

#include "poradi.h"

namespace plugin {
namespace {

// System filter 5: the payroll period (AttrFor_sqlIDMzdObd).
constexpr std::array<std::string_view, kPocetSystemovychFiltru> FiltrObdobi(std::string_view sloupec) {
    return {{{}, {}, {}, {}, sloupec, {}, {}}};
}

constexpr std::string_view kSloupceZamestnancu = "Stav\rCislo\rPrijmeni\rJmeno\rDatumVznikuPP\rDruhPP\r"
                                                 "DruhMzdyMesHod\rZakladniPlat\rZdravPojistovna\r"
                                                 "DatumUkonceniPP\rCisloUctu\rKodUstavu";

constexpr TplgVychoziNastaveniBrowse kPrehledy[] = {
    {},
    {.SelfIdent = bQUELTAZamPortal,
     .Jmeno = "*",
     .BlobTableName = "TabQUELTAZamPortal",
     .SELECT = kSloupceZamestnancu,
     .ORDERBY = "Cislo",
     .DMAkceClass = "TdmPlgQUELTAPortalZam",
     .EditorClass = "TfrmPlgQUELTAPortalZam",
     .GUID_ActionNew = "{CB769AFB-6542-47A0-86A1-A3B34497A816}",
     .GUID_ActionEdit = "{150E4790-E468-46C2-9745-2E420A6C7F9F}",
     .Soudek = sdQUELTAPortalZam,
     .AttrFor_sql = FiltrObdobi("Obdobi")},
    {.SelfIdent = bQUELTAZamPortal_AktualniObdobi,
     .JmenoTxt = 226,
     .BlobTableName = "TabQUELTAZamPortal",
     .SELECT = kSloupceZamestnancu,
     .ORDERBY = "Cislo",
     .DMAkceClass = "TdmPlgQUELTAPortalZam_AktualniObdobi"},
    {.SelfIdent = bQUELTAZamPortal_BezneObdobi,
     .JmenoTxt = 227,
     .BlobTableName = "TabQUELTAZamPortal",
     .SELECT = kSloupceZamestnancu,
     .ORDERBY = "Cislo",
     .DMAkceClass = "TdmPlgQUELTAPortalZam_BezneObdobi"},
    {.SelfIdent = bQUELTAPortalPredzp,
     .Jmeno = "*",
     .BlobTableName = "TabQUELTAWSPreprocess",
     .SELECT = "Stav\remployeeErpPk\rJmeno\rPrijmeni\rpayrollComponentsType\rNazevMzSl\ramount\rdateFrom\r"
               "dateTo\rhours\rdepartment\rjobOrder",
     .ORDERBY = "employeeErpPk",
     .DMAkceClass = "TdmPlgQUELTAPortalPredzp",
     .EditorClass = "TfrmPlgQUELTAPortalPredzp",
     .GUID_ActionEdit = "{81B10B69-A38D-4861-9A9F-5534BE071B9C}",
     .Soudek = sdQUELTAPortalZam,
     .AttrFor_sql = FiltrObdobi("period")},
    {.SelfIdent = bQUELTANastaveniSynchronizace,
     .Jmeno = "*",
     .BlobTableName = "TabQUELTANastaveniSynchronizace",
     .SELECT = "Nazev\rKod\rDatumSynchronizace",
     .ORDERBY = "Poradi\rID",
     .DMAkceClass = "TdmPlgQUELTANastaveniSynchronizace",
     .Soudek = sdQUELTAPortalZam},
    {.SelfIdent = bQUELTAHGlob,
     .Jmeno = "*",
     .BlobTableName = "TabQUELTAHGlob",
     .SELECT = "CertStoreLocation\rCertStoreName\rCertByName\rCertSN\rURL\rExePath",
     .ORDERBY = "ExePath",
     .DMAkceClass = "TdmPlgQUELTAHGlob",
     .EditorClass = "TfrmPlgQUELTAHGlob",
     .GUID_ActionEdit = "{F7B344D3-7D8F-4ADB-A77E-C51258D4E875}",
     .Soudek = sdQUELTAPortalZam},
    {.SelfIdent = bQUELTASynchroLog,
     .Jmeno = "*",
     .BlobTableName = "TabQUELTASynchroLog",
     .SELECT = "Tabulka\rIDRadku\rStatus\rPoznamka",
     .ORDERBY = "Tabulka",
     .DMAkceClass = "TdmPlgQUELTASynchroLog"},
};

static_assert(IndexovanoPodleSelfIdent(kPrehledy), "the browses are indexed by TplgBrowse");
static_assert(std::size(kPrehledy) == bQUELTASynchroLog + 1, "one entry per browse");

constexpr TplgSoudekDef kSoudky[] = {
    {sdNeniVidet, ""},
    {sdQUELTAPortalZam, "QUEL-TA"},
};

static_assert(IndexovanoPodleSelfIdent(kSoudky), "the folders are indexed by TplgSoudek");

constexpr TplgExtAkceDef kExtAkce[] = {
    {},
    {.BrowseID = 10536, .DMAkceClass = "TdmPlgQUELTATabICestak"},
    {.BrowseID = 10521, .DMAkceClass = "TdmPlgQUELTATabINaklKod"},
    {.BrowseID = 6, .DMAkceClass = "TdmPlgQUELTATabKodMen"},
    {.BrowseID = 200, .DMAkceClass = "TdmPlgQUELTAMzdObdobi"},
    {.BrowseID = 205, .DMAkceClass = "TdmPlgQUELTATabCisZam_Mzd"},
    {.BrowseID = 37, .DMAkceClass = "TdmPlgQUELTATabZeme"},
    {.BrowseID = 65, .DMAkceClass = "TdmPlgQUELTATabPenezniUstavy"},
    {.BrowseID = 202, .DMAkceClass = "TdmPlgQUELTATabZdrPoj"},
    {.BrowseID = 3, .DMAkceClass = "TdmPlgQUELTATabPSC"},
    {.BrowseID = 4, .DMAkceClass = "TdmPlgQUELTATabStrom"},
    {.BrowseID = 82, .DMAkceClass = "TdmPlgQUELTATabNakladovyOkruh"},
    {.BrowseID = 59, .DMAkceClass = "TdmPlgQUELTATabZakazka"},
    {.BrowseID = 214, .DMAkceClass = "TdmPlgQUELTATabCisMzSl"},
    {.BrowseID = 232, .DMAkceClass = "TdmPlgQUELTATabZamVyp"},
    {.BrowseID = 375, .DMAkceClass = "TdmPlgQUELTATabCisZam_Mzd_SK"},
    {.BrowseID = 389, .DMAkceClass = "TdmPlgQUELTATabCisMzSl_SK"},
    {.BrowseID = 392, .DMAkceClass = "TdmPlgQUELTATabZamVyp_SK"},
    {.BrowseID = 400, .DMAkceClass = "TdmPlgQUELTATabMzPF_SK"},
    {.BrowseID = 330, .DMAkceClass = "TdmPlgQUELTATabMzPF"},
    {.BrowseID = 1124, .DMAkceClass = "TdmPlgQUELTATabPracovniPozice"},
    {.BrowseID = 735, .DMAkceClass = "TdmPlgQUELTATabMzdPojFondy"},
    {.BrowseID = 10505, .DMAkceClass = "TdmPlgQUELTATabIVozidlo"},
    {.BrowseID = 1272, .DMAkceClass = "TdmPlgQUELTATabIVozidlo2"},
    {.BrowseID = 204, .DMAkceClass = "TdmPlgQUELTATabProfes"},
};

static_assert(std::size(kExtAkce) == 25, "entry 0 and the 24 host browses");

} // namespace

std::span<const TplgVychoziNastaveniBrowse> Prehledy() {
    return kPrehledy;
}

std::span<const TplgSoudekDef> Soudky() {
    return kSoudky;
}

std::span<const TplgExtAkceDef> ExtAkce() {
    return kExtAkce;
}

const TplgExtAkceDef* ExtAkcePrehledu(int browseID) {
    for (const auto& akce : std::span(kExtAkce).subspan(1))
        if (akce.BrowseID == browseID) return &akce;
    return nullptr;
}

} // namespace plugin
