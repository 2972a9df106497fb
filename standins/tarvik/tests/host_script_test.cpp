#include "standins/tarvik/host_script.h"

#include "schema_reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using standins::tarvik::hostScriptBatches;
using standins::tarvik::hostScriptFiles;
using standins::tarvik::splitBatches;

using schema_reader::code;
using schema_reader::Columns;
using schema_reader::upper;

namespace {

std::vector<std::string> words(const std::string& s) {
    std::istringstream in(s);
    std::vector<std::string> out;
    for (std::string w; in >> w;)
        out.push_back(upper(w));
    return out;
}

const std::map<std::string, Columns>& tables() {
    static const auto all = schema_reader::createdTables();
    return all;
}

} // namespace

struct SplitCase {
    const char* name;
    const char* script;
    std::vector<std::string> batches;
};

void PrintTo(const SplitCase& c, std::ostream* os) {
    *os << c.name;
}

class SplitBatches : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitBatches, SeparatesAtGoLinesOnly) {
    EXPECT_EQ(splitBatches(GetParam().script), GetParam().batches);
}

INSTANTIATE_TEST_SUITE_P(
    Scripts, SplitBatches,
    ::testing::Values(SplitCase{"lf", "SELECT 1\nGO\nSELECT 2\n", {"SELECT 1\n", "SELECT 2\n"}},
                      SplitCase{"crlf", "SELECT 1\r\nGO\r\nSELECT 2", {"SELECT 1\r\n", "SELECT 2"}},
                      SplitCase{"cr", "SELECT 1\rgo\rSELECT 2\r", {"SELECT 1\r", "SELECT 2\r"}},
                      SplitCase{"blanks and case", "A\n  Go \t\nB\n", {"A\n", "B\n"}},
                      SplitCase{
                          "not a separator", "GOTO X\nSELECT 'GO'\nX:\n", {"GOTO X\nSELECT 'GO'\nX:\n"}},
                      SplitCase{"empty batches dropped", "GO\n\nGO\nA\nGO\n  \nGO\n", {"A\n"}},
                      SplitCase{"no separator", "A", {"A"}}),
    [](const auto& info) {
        std::string n = info.param.name;
        std::replace(n.begin(), n.end(), ' ', '_');
        return n;
    });

TEST(HostScript, FilesRunTablesBeforeProcedures) {
    std::vector<std::string> names;
    for (const auto& f : hostScriptFiles())
        names.emplace_back(f.name);
    ASSERT_FALSE(names.empty());
    EXPECT_EQ(names.back(), "host-procedures.sql");
    for (const auto& f : hostScriptFiles())
        EXPECT_FALSE(f.text.empty()) << f.name;
}

TEST(HostScript, BatchesAreLexicallySound) {
    for (const auto& batch : hostScriptBatches()) {
        const auto text = code(batch);
        int depth = 0;
        for (char c : text) {
            depth += c == '(' ? 1 : c == ')' ? -1 : 0;
            ASSERT_GE(depth, 0) << batch;
        }
        EXPECT_EQ(depth, 0) << batch;
        EXPECT_EQ(text.find('"'), std::string::npos) << "quoted identifier in:\n" << batch;
    }
}

TEST(HostScript, ConstraintNamesAreUnique) {
    std::set<std::string> names;
    const std::regex constraint(R"(CONSTRAINT\s+(\w+))");
    for (const auto& batch : hostScriptBatches()) {
        const auto text = upper(code(batch));
        for (std::sregex_iterator it(text.begin(), text.end(), constraint), end; it != end; ++it)
            EXPECT_TRUE(names.insert((*it)[1]).second) << (*it)[1];
    }
    EXPECT_GT(names.size(), 50u);
}

TEST(HostScript, ProceduresStandAloneInTheirBatch) {
    for (const auto& batch : hostScriptBatches()) {
        const auto w = words(code(batch));
        const auto creates =
            std::count(w.begin(), w.end(), "PROCEDURE") + std::count(w.begin(), w.end(), "PROC");
        if (creates == 0) continue;
        ASSERT_GE(w.size(), 2u);
        EXPECT_EQ(w[0], "CREATE") << batch;
        EXPECT_EQ(creates, 1) << batch;
    }
}

// Columns the plug-in and Quelta read or write in host tables, table by table.
struct TableColumns {
    const char* table;
    const char* columns;
};

constexpr TableColumns kUsedColumns[] = {
    {"TabHGlob", "Legislativa fazeeuro DatumPrechoduNaEuro"},
    {"TabUziv", "LoginName Jazyk Jazyk2"},
    {"TabZurnal", "Druh Kod Text Autor DatPorizeni"},
    {"TabPluginInfo", "NazevSys VerzePluginu NazevObjektu NazevVerejny ZmenyOK"},
    {"TabExtKom",
     "ID GUID Typ IdBrowse Popis UP ParamTa HotKey Skupina NazevPodmenu PoradiVPodmenu DatPorizeni "
     "DatZmeny Autor Zmenil Napoveda VerejnaAkce Parametry"},
    {"TabObecnyPrehled", "Cislo NazevSys Skupina Nazev Pomocnicek BlobTableName DefView DefAttrs DatPorizeni "
                         "DatZmeny Autor Zmenil Systemovy JeToDBView"},
    {"TabSoudky", "ID Skupina Soudek BrowseID Poradi DatPorizeni Autor Systemovy IDPredek"},
    {"TabPravaSoudky", "IDSoudek"},
    {"TabSoudkyPoradi", "Soudek Poradi"},
    {"TabObecnaVazba",
     "GUIDVazby Systemovy Popis Skupina TabL TabP NazevLP NazevPL NazevLPSys NazevPLSys TypLP "
     "TypPL Podminka DatPorizeni DatZmeny Autor Zmenil"},
    {"TabExtHlasky", "GUID Jazyk Hlaska Skupina"},
    {"TabUzivAtr",
     "Externi NazevTabulkySys NazevAtrSys NazevAtrVer NazevAtrVerZkr TypAtr MaskaAtr VerejnyAtr "
     "SirkaSloupceAtr SumovatAtr TiskAtr PoznamkaAtr DefiniceAtr ExtEd_BrowseID ExtEd_Atr "
     "ExtEd_PrimaEditace ExtEd_Zalozka ExtEd_Poradi Skupina ExtEd_Podminka ProcPruhAtr BarvaAtr "
     "KonverzeAtr"},
    {"TabSkupinaExt", "Skupina"},
    {"TabVelikostEditOkna", "LoginName FormIdent FormLeft FormTop FormWidth FormHeight Maximized"},
    {"TabMzImpDefUP", "Nazev JmenoUP VlastniUP DefiniceUP"},
    {"TabMzdObd", "IdObdobi Rok Mesic Stav Uzavreno"},
    {"TabCisZam",
     "ID Cislo Prijmeni Jmeno PrijmeniJmeno TitulPred RodnePrijmeni Pohlavi DatumNarozeni "
     "MistoNarozeni RodneCislo RodinnyStav Narodnost StatniPrislus AdrTrvUlice AdrTrvPopCislo "
     "AdrTrvOrCislo AdrTrvMisto AdrTrvPSC AdrTrvZeme AdrPrechUlice AdrPrechPopCislo AdrPrechOrCislo "
     "AdrPrechMisto AdrPrechPSC AdrPrechZeme Stredisko NakladovyOkruh Zakazka SSN PovoleniKPobytu "
     "CisloOP PlatnostOP CisloPasu PlatnostPasu Obrazek"},
    {"TabZamMzd",
     "ZamestnanecId IdObdobi DatumVznikuPP DatumUkonceniPP DruhPP ZdravPojistovna DruhMzdyMesHod "
     "ZakladniPlat DanitMzdu ZkusebniDoba_X DovPrumer DNPPrumer DNPPrumerSK DovNarokBR DovMinulyRok "
     "DovZustatekMR DovCerpaniBR DovKraceni DovKraceniRucne DovZustatekBR StavES RokKalendare "
     "DruhKalendare TydenniUvazek Stredisko NakladovyOkruh Zakazka"},
    {"TabBankSpojeni",
     "IDZam Prednastaveno IDUstavu NazevBankSpoj CisloUctu IBANElektronicky KonstantniSymbol "
     "SpecifickySymbol"},
    {"TabKontakty", "IDCisZam Prednastaveno Druh Spojeni"},
    {"TabDuchod", "ID ZamestnanecID DruhDuchodu DatumNaroku"},
    {"TabZamPer", "ZamestnanecId IdObdobi PraxeRoky PraxeDny Profese"},
    {"TabZamDan", "ZamestnanecId Rok StavRZD"},
    {"TabMzKons", "IdObdobi"},
    {"TabMzPaus", "ZamestnanecId IdObdobi CisloMS"},
    {"TabCisMzSl", "ID IdObdobi CisloMzSl NazevMS SkupinaMS Konstanty_DoPredzpracovani Srazky_PrispevekPFZam "
                   "Srazky_PrispevekZPZam Vypocet_ZakladProVypocet"},
    {"TabSkupMS", "SkupinaMS IdObdobi Nazev Typ"},
    {"TabMzPF", "ID IdObdobi Symbol Nazev DruhFondu MSZamestnanec"},
    {"TabMzdPojFondy", "ID Symbol Nazev"},
    {"TabZdrPoj", "ID Kod Nazev IdObdobi"},
    {"TabZamRPr", "ZamestnanecId IdObdobi RodneCislo DatumNarozeni Vztah Jmeno Prijmeni"},
    {"TabZamJme", "ZamestnanecId Prijmeni Poradi"},
    {"TabMzKalendar", "ID Cislo Rok"},
    {"TabMzKalendarDny", "IDKalendar Datum TypDne Svatek PocetHodin"},
    {"TabMzKalendarZam", "ID Rok Cislo ZamestnanecId UvazekTyden"},
    {"TabMzKalendarDnyZam", "IDKalendar Datum PocetHodin"},
    {"TabMzdOdpPolMzd", "Symbol IdObdobi ZamestnanecID"},
    {"TabMzdOdpPol", "Symbol IdObdobi CastkaMesic"},
    {"TabZamVyp", "ID ZamestnanecId IdObdobi"},
    {"TabPlatTuz", "TypPrikazu IdMzdObd"},
    {"TabPlatZahr", "IdMzdObd"},
    {"TabPracovniPozice", "ID Nazev"},
    {"TabObsazeniPracovnichPozic", "IDZam IDPP PlatnostOd PlatnostDo"},
    {"TabProfes", "ID Cislo Nazev"},
    {"TabPredzp",
     "ID ZamestnanecId IdObdobi CisloMS SkupinaMS Castka Hodiny Dny DnyKal Procento DatumOd DatumDo "
     "Utvar Zakazka NakladovyOkruh IdVozidlo"},
    {"TabMzRadyOsCisel", "Rada CisloOd CisloDo"},
    {"TabPenezniUstavy", "ID KodUstavu SWIFTUstavu NazevUstavu"},
    {"TabZeme", "ID ISOKod Nazev Vlastni"},
    {"TabPSC", "ID Cislo Mesto"},
    {"TabStrom", "ID Cislo Nazev"},
    {"TabStromDef", "IdStrom IdObdobi Zakazano"},
    {"TabNakladovyOkruh", "ID Cislo Nazev"},
    {"TabZakazka", "ID CisloZakazky Nazev Ukonceno"},
    {"TabKodMen", "ID Kod HlavniMena"},
    {"TabKurzList", "Mena Datum JednotkaMeny Kurz"},
    {"TabICestak",
     "ID Stav CisDok TypDopravy TypCesty DatVystDokl DatVystDokl_X DatCasPocatek DatCasKonec "
     "CisloZamestnance CilCesty UcelCesty idVozidlo SPZ CisloZakazky NOkruh Stredisko CelkemDiety "
     "CelkemNahrady CelkemNaklady CelkemPHM CelkemKc Spotreba KMCelkem KMZahr VratkaTuz CenaL "
     "SazbaKm ProcKapes PHMZahrPo SDPlati BlokovaniEditoru"},
    {"TabICestaNakl",
     "IDCestak IDNaklKod Datum DatumKurz Popis Mena Kurz JednotkaMeny ZpusobKurzu CenaKc CenaVal"},
    {"TabICestaUsek", "IDCestak TypUseku DatCasPocatek DatCasKonec Relace Odkud Kam ProcStrav ZpusobKurzu "
                      "CelkemKapesne CelkemStravne KodZeme Mena"},
    {"TabICestaPHM", "IDCestak idUsek Datum Litry Mena ZpusobKurzu CenaKc CenaVal"},
    {"TabINaklKod", "ID Kod Popis"},
    {"TabIStazkaRada", "TypPrepravy StPrefix"},
    {"TabIVozidlo", "ID SPZZobraz Popis EvCislo"},
    {"TabIHGlob", "CestakSazbaPHM CestakSazbaKm CestakKapesne CestakZahrPHM"},
    {"#PredzpImportTable",
     "Pomocne_ID OsCislo PrijmeniJmeno ZamestnanecId IdObdobi CisloMS SkupinaMS Castka "
     "Hodiny Dny DnyKal Procento DatumOd DatumDo Utvar Zakazka NakladovyOkruh IdVozidlo"},
};

TEST(HostSchema, HasEveryColumnThePlugInAndQueltaUse) {
    for (const auto& t : kUsedColumns) {
        const auto it = tables().find(upper(t.table));
        ASSERT_NE(it, tables().end()) << "missing table " << t.table;
        for (const auto& column : words(t.columns))
            EXPECT_TRUE(it->second.count(column)) << t.table << "." << column << " missing";
    }
}

TEST(HostSchema, CreatesNoExtensionTables) {
    // Extension tables come from hp_ExterniTabulka when a plug-in registers its attributes.
    for (const auto& [name, columns] : tables())
        EXPECT_FALSE(name.size() > 4 && name.substr(name.size() - 4) == "_EXT") << name;
}

// Inserts that name only a few columns; every other column must be nullable, defaulted,
// an identity or computed.
struct PartialInsert {
    const char* table;
    const char* columns;
};

constexpr PartialInsert kPartialInserts[] = {
    {"TabCisZam", "Cislo"},
    {"TabKontakty", "Druh Spojeni IDCisZam"},
    {"TabZamJme", "ZamestnanecID Prijmeni Poradi"},
    {"TabBankSpojeni", "KonstantniSymbol SpecifickySymbol IDZam Prednastaveno IDUstavu CisloUctu "
                       "IBANElektronicky NazevBankSpoj"},
    {"TabICestak",
     "BlokovaniEditoru CisDok Stav TypDopravy CenaL SazbaKm ProcKapes PHMZahrPo SDPlati TypCesty"},
    {"TabICestaNakl", "IDCestak Datum DatumKurz IDNaklKod Popis Mena Kurz JednotkaMeny ZpusobKurzu"},
    {"TabICestaUsek", "IDCestak TypUseku DatCasPocatek DatCasKonec Relace Odkud Kam ProcStrav ZpusobKurzu "
                      "CelkemKapesne KodZeme Mena"},
    {"TabICestaPHM", "IDCestak idUsek Datum Litry Mena ZpusobKurzu"},
    {"TabObecnyPrehled", "Cislo Skupina Nazev NazevSys DatPorizeni Autor"},
    {"TabVelikostEditOkna", "FormIdent FormLeft FormTop FormWidth FormHeight Maximized"},
    {"TabMzImpDefUP", "Nazev JmenoUP"},
    {"TabPluginInfo", "NazevSys VerzePluginu NazevObjektu NazevVerejny ZmenyOK"},
    {"TabExtKom", "GUID Typ IdBrowse Popis UP ParamTa HotKey Skupina NazevPodmenu PoradiVPodmenu DatPorizeni "
                  "Autor Napoveda VerejnaAkce Parametry"},
    {"TabSoudky", "Skupina Soudek BrowseID Poradi DatPorizeni Autor Systemovy IDPredek"},
    {"TabExtHlasky", "GUID Jazyk Hlaska Skupina"},
    {"TabZurnal", "Druh Kod Text"},
    {"TabPredzp",
     "ZamestnanecId IdObdobi CisloMS SkupinaMS Castka Hodiny Dny DnyKal Procento DatumOd DatumDo "
     "Utvar Zakazka NakladovyOkruh IdVozidlo"},
    {"TabZamMzd", "ZamestnanecId IdObdobi"},
};

TEST(HostSchema, PartialInsertsNeedNoOtherColumn) {
    for (const auto& insert : kPartialInserts) {
        const auto it = tables().find(upper(insert.table));
        ASSERT_NE(it, tables().end()) << insert.table;
        const auto given = words(insert.columns);
        for (const auto& [column, definition] : it->second) {
            if (std::find(given.begin(), given.end(), column) != given.end()) continue;
            const auto w = words(definition);
            const bool notNull = definition.find("NOT NULL") != std::string::npos;
            const bool filled = definition.find("DEFAULT") != std::string::npos ||
                                definition.find("IDENTITY") != std::string::npos ||
                                (w.size() > 1 && w[1] == "AS");
            EXPECT_TRUE(!notNull || filled) << insert.table << "." << column << " blocks a partial insert";
        }
    }
}

// The call forms the plug-in and Quelta use; each must fit the procedure's parameter list.
struct CallForm {
    const char* procedure;
    int arguments;
};

constexpr CallForm kCallForms[] = {
    {"HP_ZAPISDOZURNALU", 3},         {"HP_NAJDIPRVNIVOLNY", 7},   {"HP_EXTERNITABULKA", 3},
    {"HP_MZVRATCISZAMRADA_CISLO", 2}, {"HP_PRIDEJMZDOVOUVETU", 2}, {"HPI_VYPOCTIDIETY", 1},
    {"HPI_VYPOCTICESTAK", 2},         {"HP_MZPREDZPIMPORTUP", 0},
};

TEST(HostProcedures, AcceptTheirCallForms) {
    struct Parameters {
        int total = 0;
        int required = 0;
    };
    std::map<std::string, Parameters> procedures;
    const std::regex head(R"(CREATE\s+PROC(?:EDURE)?\s+(?:DBO\.)?(\w+)([\s\S]*?)\bAS\b)");
    for (const auto& batch : hostScriptBatches()) {
        const auto text = upper(code(batch));
        std::smatch m;
        if (!std::regex_search(text, m, head)) continue;
        Parameters p;
        std::istringstream list(m[2].str());
        for (std::string parameter; std::getline(list, parameter, ',');) {
            if (parameter.find('@') == std::string::npos) continue;
            ++p.total;
            if (parameter.find('=') == std::string::npos) ++p.required;
        }
        procedures[m[1]] = p;
    }
    for (const auto& call : kCallForms) {
        const auto it = procedures.find(call.procedure);
        ASSERT_NE(it, procedures.end()) << call.procedure << " missing";
        EXPECT_LE(it->second.required, call.arguments) << call.procedure;
        EXPECT_GE(it->second.total, call.arguments) << call.procedure;
    }
}
