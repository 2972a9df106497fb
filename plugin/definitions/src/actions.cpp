// The actions of every class of action objects, each class's in the order its constructor
// registers them.
#include "plugin/definitions/actions.h"

#include <array>

namespace plugin {
namespace {

constexpr std::string_view kQUELTA = "QUEL-TA";

//! An action in the submenu "QUEL-TA" with its caption as a message.
constexpr TplgAkceDef VQUELTA(std::string_view nazevSys, std::uint16_t nazevTxt, std::string_view guid) {
    return {.NazevSys = nazevSys, .NazevTxt = nazevTxt, .NazevPodmenu = kQUELTA, .GUID = guid};
}

// Portal employees: all of them, and those of the current and of the running payroll period.
constexpr TplgAkceDef kPortalZam[] = {
    VQUELTA("StazeniZaznamuZPortalu", 179, "{8F37CDE3-1D60-4D34-8243-BA472836E9E0}"),
    VQUELTA("Odsouhlaseni", 180, "{3E0E1E1A-8487-4577-B793-FB017493D5A0}"),
    VQUELTA("ZruseniOdsouhlaseni", 181, "{680909A8-1B6B-4E70-9C39-88FA25D3412E}"),
    {.NazevSys = "ZobrazitAktualniObdobi",
     .NazevTxt = 216,
     .NazevPodmenuTxt = 215,
     .GUID = "{2E072326-2535-4EE4-BC1E-0D42D2C5BF66}"},
    {.NazevSys = "ZobrazitBezneObdobi",
     .NazevTxt = 217,
     .NazevPodmenuTxt = 215,
     .GUID = "{0DD6E27B-C753-4507-98BB-13681CE1419F}"},
    VQUELTA("KontrolaStazeni", 218, "{1D0BA638-7C2A-4BC3-8D4A-3968884A0310}"),
};
constexpr TplgAkceDef kPortalZamAktualniObdobi[] = {
    VQUELTA("PrenosDoOstrychTabulek", 219, "{6CE591AB-D722-4B46-B0FA-BAD8F27AF99B}"),
};
constexpr TplgAkceDef kPortalZamBezneObdobi[] = {
    VQUELTA("PrenosDoOstrychTabulek", 219, "{C9597F49-ED64-4C56-A5B0-0FBA82FEA2C3}"),
};

// Preprocess records from the Portal.
constexpr TplgAkceDef kPortalPredzp[] = {
    VQUELTA("StazeniZaznamuZPortalu", 179, "{4B5B1082-C147-40A2-8CFD-B35CCFE944B0}"),
    VQUELTA("Odsouhlaseni", 180, "{FB22830C-A48D-4031-85C2-90BDFEE70831}"),
    VQUELTA("ZruseniOdsouhlaseni", 181, "{DFB029D8-7458-4EB4-9681-3C6FB8CDAF99}"),
    VQUELTA("PrenosDoOstrychTabulek", 182, "{EFD3A5C2-84EA-4E30-A633-0E384EE88965}"),
    VQUELTA("PohledDoPredzpracovani", 188, "{3D070E35-00A0-42BC-9883-A1DE012B9BEE}"),
};

// Synchronization settings, global settings, synchronization log.
constexpr TplgAkceDef kNastaveniSynchronizace[] = {
    VQUELTA("OdeslatNaPortal", 175, "{53BB154E-4FCF-44EE-91CD-3ADA3283731D}"),
};
constexpr TplgAkceDef kHGlob[] = {
    VQUELTA("NaPortal", 254, "{A7D53780-DC72-467A-8435-BBC986456CAB}"),
};
constexpr TplgAkceDef kSynchroLog[] = {
    {.NazevSys = "ActionZobrazZaznam",
     .Nazev = "Zobraz záznam",
     .NazevPodmenu = kQUELTA,
     .GUID = "{E472ACCF-FD94-4B45-A2A5-35F9E958BC77}"},
};

//! Adding records of a host list to the Portal's offer and taking them off it (code lists and
//! payroll components), in the submenu "Nápočet synchronizace".
constexpr std::array<TplgAkceDef, 2> Napocet(std::string_view pridat, std::string_view odebrat) {
    return {
        {{.NazevSys = "HromadnePridatDoNapoctu", .NazevTxt = 171, .NazevPodmenuTxt = 172, .GUID = pridat},
         {.NazevSys = "HromadneOdebratZNapoctu", .NazevTxt = 173, .NazevPodmenuTxt = 172, .GUID = odebrat}}};
}

constexpr auto kCisZam_Mzd_SK =
    Napocet("{42E0F527-7F0B-4EE5-94DD-F691FDA35A8C}", "{CCD76C0C-4A2A-4483-A83E-825C9BF4BEFD}");
constexpr auto kCisZam_Mzd =
    Napocet("{B53889C8-F189-4339-B663-A60B9BEED3F5}", "{572597BB-B059-48BE-96AE-EC09EE3E00B4}");
constexpr auto kZeme =
    Napocet("{109BDB1B-DF2E-45A8-9094-2DB5FBA50B17}", "{576810E1-753A-468D-A267-CCE460CCB832}");
constexpr auto kPenezniUstavy =
    Napocet("{5611DD5A-92B5-48F1-97A3-4B89ECF00230}", "{9DBC64E5-501A-4E80-A9FE-3F339772A9ED}");
constexpr auto kZdrPoj =
    Napocet("{1FE55B70-ECE6-48E8-9F48-D77EFB75880B}", "{B939CA68-3C4C-4F28-8888-BAD9280FB53B}");
constexpr auto kPSC =
    Napocet("{68087673-0A19-4089-B0F0-7F5F991DFD51}", "{4A372A03-07F9-4AE3-8031-78E0FC7ECC1D}");
constexpr auto kStrom =
    Napocet("{C8E6B472-922F-47E8-824B-30EECDC8B0B6}", "{CDBD917A-66F2-4121-8D73-726A88F9918F}");
constexpr auto kNakladovyOkruh =
    Napocet("{99CC34E4-6A15-4BB7-87E9-AAF489E870B4}", "{45FEF548-E3DE-466D-BB5B-82F5B3773A5E}");
constexpr auto kIVozidlo =
    Napocet("{2F5DCBB7-26DB-4BD4-9EC4-8103337B1A86}", "{EEBB4FA5-EB1D-4561-B9CA-3C09F7AF6BB4}");
constexpr auto kIVozidlo2 =
    Napocet("{F5CA4A1F-28B2-4998-BE45-69D3785A12BA}", "{DB1610CF-3534-4FF2-896E-11F869801C6B}");
constexpr auto kZakazka =
    Napocet("{A11EA06D-13D0-45BC-97D8-9C5BAD007D42}", "{AD2FEFA4-C724-4450-9F87-D38B6E97420B}");
constexpr auto kProfes =
    Napocet("{E62CA772-558D-444D-A2C1-8F76772A3F02}", "{2ED619D5-9E37-41F3-A038-3ED713CD64FE}");
constexpr auto kPracovniPozice =
    Napocet("{ED39BF36-263A-4F81-BFD4-9CCB049B987B}", "{7370138E-11AD-4157-A04E-B457110D7621}");
constexpr auto kMzPF =
    Napocet("{9D055603-0094-4C50-8BC7-0F5859842E56}", "{803901E8-40C4-43D9-8672-5A6D6B4CE6B1}");
constexpr auto kMzPF_SK =
    Napocet("{489DD254-9030-42FD-8F6E-6A8587217B4B}", "{F6F12BA2-4CB2-4688-AD2F-3C83C456A976}");
constexpr auto kMzdPojFondy =
    Napocet("{A0B90212-9AC1-4BDB-9618-B69E276D1E66}", "{49DC79CE-C2D4-4304-ABFC-12E0464B04E7}");
constexpr auto kKodMen =
    Napocet("{8B1C7E9C-20FD-4117-A522-5BAE669F6C42}", "{8C25427C-B5AF-45FB-A876-BE643E4F8843}");
constexpr auto kINaklKod =
    Napocet("{EB5084E9-8088-4139-84FE-AE81B2257AEF}", "{5290F01A-EBC1-477A-AFAC-E1CC34753ECB}");
constexpr auto kCisMzSl =
    Napocet("{72139DE5-CA37-4A0B-A87F-F48547F0C933}", "{67AA3333-6B5C-4E08-BBF7-8643570A6E0A}");
constexpr auto kCisMzSl_SK =
    Napocet("{9D8DB580-FB3C-47C9-A3C5-36239EBFAD53}", "{F241360D-AB27-4454-8BB1-510743C060EE}");

// Payroll periods and payroll results.
constexpr TplgAkceDef kMzdObdobi[] = {
    VQUELTA("Kontrola", 212, "{090C7B99-814F-4DC0-BC17-86C6DC566C42}"),
};
constexpr TplgAkceDef kZamVyp[] = {
    VQUELTA("OdeslaniVyplatnichListku", 256, "{5B78BE6B-6922-4CD2-894E-5843213A9D4B}"),
};
constexpr TplgAkceDef kZamVyp_SK[] = {
    VQUELTA("OdeslaniVyplatnichListku", 256, "{E81DF5B3-5823-4DDA-91D7-8A45807C28F6}"),
};

// Travel documents: plain captions at the top level of the menu.
constexpr TplgAkceDef kICestak[] = {
    {.NazevSys = "DownloadTravelOrder",
     .Nazev = "Cestovní příkazy z portálu",
     .GUID = "{43B7CD01-0AC6-4723-97A1-E8AD0251B822}"},
    {.NazevSys = "UploadTravelOrder", .Nazev = "Na portál", .GUID = "{0088A2D0-31E3-4201-B126-9275CC6C0C37}"},
    {.NazevSys = "SetStateAccountingApproved",
     .Nazev = "Změna stavu - Napočítaný",
     .GUID = "{80CB471C-5B0A-4C46-B919-093C34F0B69F}"},
    {.NazevSys = "SetStateFinalAccountingDone",
     .Nazev = "Změna stavu - Vyúčtovaný",
     .GUID = "{7BB1F91A-2D67-40E8-9677-F4C253AB1497}"},
    {.NazevSys = "SetStateClosed",
     .Nazev = "Změna stavu - Vypořádaný",
     .GUID = "{3B5D0FF9-5FE0-4D15-8B71-CAF152A7ABDF}"},
};

constexpr TplgTridaAkciDef kTridy[] = {
    {"TdmPlgQUELTAPortalZam", kPortalZam},
    {"TdmPlgQUELTAPortalZam_AktualniObdobi", kPortalZamAktualniObdobi},
    {"TdmPlgQUELTAPortalZam_BezneObdobi", kPortalZamBezneObdobi},
    {"TdmPlgQUELTAPortalPredzp", kPortalPredzp},
    {"TdmPlgQUELTANastaveniSynchronizace", kNastaveniSynchronizace},
    {"TdmPlgQUELTAHGlob", kHGlob},
    {"TdmPlgQUELTASynchroLog", kSynchroLog},
    {"TdmPlgQUELTATabCisZam_Mzd_SK", kCisZam_Mzd_SK},
    {"TdmPlgQUELTATabCisZam_Mzd", kCisZam_Mzd},
    {"TdmPlgQUELTATabZeme", kZeme},
    {"TdmPlgQUELTATabPenezniUstavy", kPenezniUstavy},
    {"TdmPlgQUELTATabZdrPoj", kZdrPoj},
    {"TdmPlgQUELTATabPSC", kPSC},
    {"TdmPlgQUELTATabStrom", kStrom},
    {"TdmPlgQUELTATabNakladovyOkruh", kNakladovyOkruh},
    {"TdmPlgQUELTATabIVozidlo", kIVozidlo},
    {"TdmPlgQUELTATabIVozidlo2", kIVozidlo2},
    {"TdmPlgQUELTATabZakazka", kZakazka},
    {"TdmPlgQUELTATabProfes", kProfes},
    {"TdmPlgQUELTATabPracovniPozice", kPracovniPozice},
    {"TdmPlgQUELTATabMzPF", kMzPF},
    {"TdmPlgQUELTATabMzPF_SK", kMzPF_SK},
    {"TdmPlgQUELTATabMzdPojFondy", kMzdPojFondy},
    {"TdmPlgQUELTATabKodMen", kKodMen},
    {"TdmPlgQUELTATabINaklKod", kINaklKod},
    {"TdmPlgQUELTATabCisMzSl", kCisMzSl},
    {"TdmPlgQUELTATabCisMzSl_SK", kCisMzSl_SK},
    {"TdmPlgQUELTAMzdObdobi", kMzdObdobi},
    {"TdmPlgQUELTATabZamVyp", kZamVyp},
    {"TdmPlgQUELTATabZamVyp_SK", kZamVyp_SK},
    {"TdmPlgQUELTATabICestak", kICestak},
};

} // namespace

std::span<const TplgTridaAkciDef> TridyAkci() {
    return kTridy;
}

const TplgTridaAkciDef* TridaAkci(std::string_view jmeno) {
    for (const auto& trida : kTridy)
        if (trida.Jmeno == jmeno) return &trida;
    return nullptr;
}

} // namespace plugin
