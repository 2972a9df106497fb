// The external attributes, the relations and the host's language codes.
#include "plugin/definitions/registrations.h"

#include <array>

namespace plugin {
namespace {

//! A stored attribute of a travel document (the exchange of travel orders).
constexpr TplgExterniAtribut Cestak(std::string_view jmeno, TplgTypAtributu typ, std::uint16_t delka = 0) {
    return {
        .JmenoTabulky = "TabICestak", .JmenoSys = jmeno, .Typ = typ, .Delka = delka, .TypExtAtr = eaNormal};
}

//! A public attribute that cannot be edited.
constexpr TplgExterniAtribut JenKeCteni(TplgExterniAtribut atribut, std::string_view popis) {
    atribut.JmenoVerejne = popis;
    atribut.Verejny = true;
    atribut.Editovatelny = vFalse;
    return atribut;
}

//! The Portal flag of a host code list, shown on the tab "QUEL-TA".
constexpr TplgExterniAtribut NaPortal(std::string_view tabulka) {
    return {.JmenoTabulky = tabulka,
            .JmenoSys = "_QUELTA_NaPortal",
            .JmenoVerejneTxt = 225,
            .Typ = taBoolean,
            .Verejny = true,
            .Editovatelny = vFalse,
            .TypExtAtr = eaNormal,
            .ExtEd_Zalozka = "QUEL-TA",
            .ExtEd_Poradi = 1};
}

//! A computed, public attribute on the tab "QUEL-TA" with its caption as a message.
constexpr TplgExterniAtribut Pocitany(std::string_view tabulka, std::string_view jmeno, std::uint16_t popis,
                                      std::string_view vyraz) {
    return {.JmenoTabulky = tabulka,
            .JmenoSys = jmeno,
            .JmenoVerejneTxt = popis,
            .Verejny = true,
            .TypExtAtr = eaUserDef,
            .ExtEd_Atr = vyraz,
            .ExtEd_Zalozka = "QUEL-TA",
            .ExtEd_Poradi = 1};
}

constexpr TplgExterniAtribut kToPortal{.JmenoTabulky = "TabICestak",
                                       .JmenoSys = "_Quelta_ToPortal",
                                       .JmenoVerejneTxt = 225,
                                       .Typ = taBoolean,
                                       .Verejny = true,
                                       .TypExtAtr = eaNormal,
                                       .ExtEd_Zalozka = "Quelta",
                                       .ExtEd_Poradi = 1};

constexpr TplgExterniAtribut kState{.JmenoTabulky = "TabICestak",
                                    .JmenoSys = "_Quelta_State",
                                    .JmenoVerejne = "Stav z portálu",
                                    .Typ = taChar,
                                    .Delka = 1,
                                    .Verejny = true,
                                    .Konverze = "O=Otevřený\rN=Napočítaný\rL=K likvidaci\rV=Vyúčtování\r"
                                                "S=Odsouhlasené vyúčtování\rU=Vypořádaný",
                                    .TypExtAtr = eaNormal,
                                    .ExtEd_Zalozka = "Quelta",
                                    .ExtEd_Poradi = 2};

constexpr TplgExterniAtribut kNote{.JmenoTabulky = "TabICestak",
                                   .JmenoSys = "_Quelta_Note",
                                   .JmenoVerejne = "Poznámka",
                                   .Typ = taNVarChar,
                                   .Delka = 2048,
                                   .Verejny = true,
                                   .TypExtAtr = eaNormal};

constexpr TplgExterniAtribut kNaPortalFondy{.JmenoTabulky = "TabMzdPojFondy",
                                            .JmenoSys = "_QUELTA_NaPortal",
                                            .JmenoVerejneTxt = 225,
                                            .Typ = taBoolean,
                                            .Editovatelny = vFalse,
                                            .TypExtAtr = eaNormal,
                                            .ExtEd_Zalozka = "QUEL-TA",
                                            .ExtEd_Poradi = 1};

constexpr std::string_view kJeNovyZamestnanec = "CAST(CASE WHEN Cislo IS NULL THEN 1 ELSE 0 END AS BIT)";
constexpr std::string_view kMzdovaSlozkaNaPortal =
    "CAST(CASE WHEN EXISTS(SELECT*FROM TabQUELTAWSPayrollComponents WHERE typeCode = TabCisMzSl.CisloMzSl "
    "AND "
    "deleted <> 1) THEN 1 ELSE 0 END AS BIT)";
constexpr std::string_view kVyplatniPasekOdeslan =
    "CAST(CASE WHEN (SELECT _QUELTA_DatumOdeslani FROM TabZamVyp_EXT WHERE ID = TabZamVyp.ID) IS NOT NULL "
    "THEN 1 "
    "ELSE 0 END AS BIT)";
// The employee number keeps its last six digits: numbers of a million and more fit the file name
// as the wage-slip upload names the file.
constexpr std::string_view kNazevPDF = "(SELECT RIGHT('000000'+ CAST(zam.Cislo AS NVARCHAR(11)),6) + "
                                       "RIGHT('00'+ CAST(obd.Mesic AS NVARCHAR(2)),2) + "
                                       "CAST(obd.Rok AS NVARCHAR(4))\r"
                                       "FROM TabZamVyp vyp\r"
                                       "LEFT OUTER JOIN TabCisZam zam ON zam.ID = vyp.ZamestnanecId\r"
                                       "LEFT OUTER JOIN TabMzdObd obd ON vyp.IDObdobi = obd.IDObdobi\r"
                                       "WHERE vyp.ID = TabZamVyp.ID)";
constexpr std::string_view kFondNaPortal =
    "CAST(CASE WHEN EXISTS(SELECT*FROM TabMzdPojFondy f INNER JOIN TabMzdPojFondy_EXT e ON f.ID = e.ID WHERE "
    "f.Symbol = TabMzdPojFondy.Symbol AND e._QUELTA_NaPortal = 1) THEN 1 ELSE 0 END AS BIT)";

constexpr TplgExterniAtribut kAtributy[] = {
    {},
    Cestak("_Quelta_PortalID", taInt),
    Cestak("_Quelta_CommitNumber", taInt),
    kToPortal,
    JenKeCteni(Cestak("_Quelta_UploadAuthor", taNVarChar, 128), "Autor odeslání"),
    JenKeCteni(Cestak("_Quelta_UploadDate", taDateTime), "Datum odeslání"),
    JenKeCteni(Cestak("_Quelta_DownloadDate", taDateTime), "Datum stažení"),
    kState,
    JenKeCteni(Cestak("_Quelta_ApproverID", taInt), "Schvalovatel"),
    kNote,
    Pocitany("hvw_QUELTAZamPortal", "_QUELTA_JeNovyZamestnanec", 224, kJeNovyZamestnanec),
    NaPortal("TabCisZam"),
    NaPortal("TabKodMen"),
    NaPortal("TabINaklKod"),
    NaPortal("TabZeme"),
    NaPortal("TabPenezniUstavy"),
    NaPortal("TabZdrPoj"),
    NaPortal("TabPSC"),
    NaPortal("TabStrom"),
    NaPortal("TabNakladovyOkruh"),
    NaPortal("TabIVozidlo"),
    NaPortal("TabZakazka"),
    NaPortal("TabProfes"),
    NaPortal("TabPracovniPozice"),
    NaPortal("TabMzPF"),
    Pocitany("TabCisMzSl", "_QUELTA_NaPortal", 225, kMzdovaSlozkaNaPortal),
    {.JmenoTabulky = "TabZamVyp",
     .JmenoSys = "_QUELTA_AutorOdeslani",
     .JmenoVerejneTxt = 260,
     .Typ = taNVarChar,
     .Delka = 128,
     .Verejny = true,
     .Editovatelny = vFalse,
     .TypExtAtr = eaNormal,
     .ExtEd_Zalozka = "QUEL-TA",
     .ExtEd_Poradi = 1},
    {.JmenoTabulky = "TabZamVyp",
     .JmenoSys = "_QUELTA_DatumOdeslani",
     .JmenoVerejneTxt = 261,
     .Typ = taDateTime,
     .Verejny = true,
     .Editovatelny = vFalse,
     .TypExtAtr = eaNormal,
     .ExtEd_Zalozka = "QUEL-TA",
     .ExtEd_Poradi = 1},
    Pocitany("TabZamVyp", "_QUELTA_VyplatniPasekOdeslan", 262, kVyplatniPasekOdeslan),
    Pocitany("TabZamVyp", "_QUELTA_NazevPDF", 263, kNazevPDF),
    kNaPortalFondy,
    Pocitany("TabMzdPojFondy", "_QUELTA_NaPortalUserDef", 225, kFondNaPortal),
};

static_assert(std::size(kAtributy) == 32, "entry 0 and the 31 external attributes");

constexpr TplgVztahDef kVztahy[] = {
    {},
    {.GUIDVazby = "{CC12ADED-9A74-4F31-B403-5A6F6C7BD17E}",
     .TabLStr = "hvw_QUELTAWSPreprocess",
     .NazevLPTxt = 187,
     .NazevLPSys = "TabCisZam",
     .TypLP = tv11,
     .TabPStr = "TabCisZam",
     .Join = "hvw_QUELTAWSPreprocess.EmployeeErpPk = TabCisZam.Cislo"},
    {.GUIDVazby = "{5F876558-F6A1-4B63-B13D-652A19BE7E70}",
     .TabLStr = "hvw_QUELTAWSPreprocess",
     .NazevLPTxt = 193,
     .NazevLPSys = "TabMzdObd",
     .TypLP = tv11,
     .TabPStr = "TabMzdObd",
     .Join = "hvw_QUELTAWSPreprocess.Period = TabMzdObd.IdObdobi"},
    {.GUIDVazby = "{FCA11223-9AD3-4A25-9D40-42C4B72EA2C9}",
     .TabLStr = "hvw_QUELTAZamPortal",
     .NazevLPTxt = 193,
     .NazevLPSys = "TabMzdObd",
     .TypLP = tv11,
     .TabPStr = "TabMzdObd",
     .Join = "hvw_QUELTAZamPortal.Obdobi = TabMzdObd.IdObdobi"},
};

constexpr int kJazyky[] = {0,    1,    4,    6,    7,    8,    9,    10,   11,   12,   1033, 1031, 1036,
                           1030, 3082, 1040, 1043, 2068, 2070, 1035, 1053, 1038, 1045, 1048, 1050, 1051,
                           1060, 1032, 1026, 1049, 1055, 1061, 1062, 1063, 1041, 1042, 1028, 2052};

static_assert(std::size(kJazyky) == 38, "the host's 38 language codes");

} // namespace

std::span<const TplgExterniAtribut> ExterniAtributy() {
    return kAtributy;
}

std::span<const TplgVztahDef> Vztahy() {
    return kVztahy;
}

std::span<const int> JazykyHostitele() {
    return kJazyky;
}

} // namespace plugin
