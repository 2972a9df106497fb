// The plug-in's table definitions and the rules that complete them into the effective schema.
#include "plugin/definitions/ddl.h"
#include "plugin/definitions/schema.h"
#include "plugin/definitions/tables.h"
#include "plugin/definitions/views.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace plugin {
namespace {

struct OcekavanaTabulka {
    TplgTabulka Tabulka;
    std::string_view JmenoSys;
    std::size_t PocetAtributu;
    std::vector<std::string> Konstrukce; // every constraint name without the table part
};

const std::vector<OcekavanaTabulka>& OcekavaneTabulky() {
    static const std::vector<OcekavanaTabulka> tabulky = {
        {tQUELTAZamPortal,
         "TabQUELTAZamPortal",
         65,
         {"PK__ID", "DF__Stav", "DF__TypZaznamu", "DF__Pohlavi", "DF__RodinnyStav", "DF__DruhPP",
          "DF__DruhMzdyMesHod", "DF__Autor", "DF__DatPorizeni", "DF__TextChyby"}},
        {tQUELTAKonverzeRodinnyStav,
         "TabQUELTAKonverzeRodinnyStav",
         8,
         {"PK__ID", "UQ__Cislo", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTAKonverzeDruhDuchodu,
         "TabQUELTAKonverzeDruhDuchodu",
         8,
         {"PK__ID", "UQ__Cislo", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTAKonverzeDruhMzdyMesHod,
         "TabQUELTAKonverzeDruhMzdyMesHod",
         8,
         {"PK__ID", "UQ__Cislo", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTAKonverzeDruhPP,
         "TabQUELTAKonverzeDruhPP",
         8,
         {"PK__ID", "UQ__Cislo", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTAKonverzeVztah,
         "TabQUELTAKonverzeVztah",
         8,
         {"PK__ID", "UQ__Cislo", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTANastaveniSynchronizace,
         "TabQUELTANastaveniSynchronizace",
         12,
         {"PK__ID", "DF__CommitNumber", "UQ__Kod", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTADeleteLog,
         "TabQUELTADeleteLog",
         10,
         {"PK__ID", "DF__SmazanoUplne", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTAHGlob,
         "TabQUELTAHGlob",
         14,
         {"PK__ID", "DF__CertStoreLocation", "DF__CertStoreName", "DF__Vztah", "DF__Autor",
          "DF__DatPorizeni"}},
        {tQUELTAWSPreProcess,
         "TabQUELTAWSPreprocess",
         36,
         {"PK__ID", "DF__deleted", "DF__halfDay", "DF__Stav", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTAWSPayrollComponents,
         "TabQUELTAWSPayrollComponents",
         14,
         {"PK__ID", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTATravelOrder_ImportTable,
         "Tabx_Quelta_TravelOrder_ImportTable",
         38,
         {"PK__ID", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTATravelOrderCost_ImportTable,
         "Tabx_Quelta_TravelOrderCost_ImportTable",
         15,
         {"PK__ID", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTATravelOrderFuel_ImportTable,
         "Tabx_Quelta_TravelOrderFuel_ImportTable",
         14,
         {"PK__ID", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTATravelOrderItem_ImportTable,
         "Tabx_Quelta_TravelOrderItem_ImportTable",
         20,
         {"PK__ID", "DF__Autor", "DF__DatPorizeni"}},
        {tQUELTASynchroLog,
         "TabQUELTASynchroLog",
         10,
         {"PK__ID", "DF__Status", "DF__Autor", "DF__DatPorizeni"}},
    };
    return tabulky;
}

TEST(PluginTables, RegistryHoldsTheSixteenTablesInEnumeratorOrder) {
    const auto registr = RegistrTabulek();
    ASSERT_EQ(registr.size(), 17u);
    EXPECT_EQ(registr[0], nullptr);
    for (const auto& ocekavana : OcekavaneTabulky()) {
        const auto* tabulka = registr[ocekavana.Tabulka];
        ASSERT_NE(tabulka, nullptr);
        EXPECT_EQ(tabulka->SelfIdent, ocekavana.Tabulka);
        EXPECT_EQ(tabulka->JmenoSys, ocekavana.JmenoSys);
        EXPECT_EQ(tabulka->Predek, tZadna);
        EXPECT_TRUE(tabulka->Legislativa.Prazdna());
        EXPECT_TRUE(tabulka->Databaze.empty());
        EXPECT_EQ(tabulka->DalsiVlastnosti, tdvTabulkaPluginu);
        EXPECT_TRUE(tabulka->Constraints.empty());
        EXPECT_EQ(tabulka->Atributy.size(), ocekavana.PocetAtributu) << tabulka->JmenoSys;
    }
}

TEST(PluginTables, EveryTableStartsWithIdAndEndsWithTheAuditColumns) {
    const auto& schema = EfektivniSchema();
    for (const auto& ocekavana : OcekavaneTabulky()) {
        const auto* tabulka = schema.Tabulka(ocekavana.Tabulka);
        ASSERT_NE(tabulka, nullptr);
        const auto atributy = tabulka->Atributy;
        ASSERT_EQ(atributy.size(), ocekavana.PocetAtributu);
        EXPECT_EQ(atributy[0].JmenoSys, "ID");
        EXPECT_EQ(TextTypu(atributy[0]), "INT IDENTITY(1,1) NOT NULL");
        const std::size_t konecAuditu =
            ocekavana.Tabulka == tQUELTAZamPortal ? atributy.size() - 1 : atributy.size();
        const std::vector<std::pair<std::string_view, std::string_view>> audit = {
            {"Autor", "NVARCHAR(128) NOT NULL"},
            {"DatPorizeni", "DATETIME NOT NULL"},
            {"Zmenil", "NVARCHAR(128) NULL"},
            {"DatZmeny", "DATETIME NULL"},
            {"BlokovaniEditoru", "SMALLINT NULL"}};
        for (std::size_t i = 0; i < audit.size(); ++i) {
            const auto& atribut = atributy[konecAuditu - audit.size() + i];
            EXPECT_EQ(atribut.JmenoSys, audit[i].first) << tabulka->JmenoSys;
            EXPECT_EQ(TextTypu(atribut), audit[i].second) << tabulka->JmenoSys;
        }
        for (const auto& atribut : atributy) {
            EXPECT_NE(atribut.Null, nNic);
            EXPECT_NE(atribut.Vyzadovany, vDefault);
            EXPECT_NE(atribut.Verejny, vDefault);
            EXPECT_EQ(atribut.UTyp, plg_utaZadny);
            EXPECT_NE(atribut.Typ, taBlbe) << tabulka->JmenoSys << "." << atribut.JmenoSys;
        }
    }
}

TEST(PluginTables, ConstraintsAreDerivedAndNamedFromTheColumns) {
    const auto& schema = EfektivniSchema();
    for (const auto& ocekavana : OcekavaneTabulky()) {
        const auto* tabulka = schema.Tabulka(ocekavana.Tabulka);
        std::vector<std::string> jmena;
        for (const auto& constraint : tabulka->Constraints) {
            const auto casti = RozeberJmenoConstraintu(constraint.JmenoSys);
            EXPECT_EQ(casti.Typ, constraint.Typ) << constraint.JmenoSys;
            EXPECT_EQ(casti.Tabulka, ocekavana.JmenoSys) << constraint.JmenoSys;
            jmena.push_back(std::string(PrefixConstraintu(constraint.Typ)) + "__" + casti.Atributy);
        }
        EXPECT_EQ(jmena, ocekavana.Konstrukce) << ocekavana.JmenoSys;
    }
}

TEST(PluginTables, ColumnsDeclaredWithoutNullabilityAreNotNull) {
    const auto& schema = EfektivniSchema();
    for (const auto* jmeno :
         {"TabQUELTAZamPortal.SSN", "TabQUELTAZamPortal.PovoleniKPobytu", "TabQUELTAZamPortal.CisloOP",
          "TabQUELTAZamPortal.CisloPasu", "TabQUELTAZamPortal.DrivejsiPrijmeni",
          "TabQUELTAWSPreprocess.deleted", "TabQUELTAWSPreprocess.halfDay", "TabQUELTAZamPortal.Autor",
          "TabQUELTAZamPortal.DatPorizeni", "TabQUELTAZamPortal.TextChyby"}) {
        const auto* atribut = schema.Atribut(jmeno);
        ASSERT_NE(atribut, nullptr) << jmeno;
        EXPECT_EQ(atribut->Null, nNOTNULL) << jmeno;
    }
    const auto zamestnanci = schema.Tabulka(tQUELTAZamPortal)->Atributy;
    EXPECT_EQ(zamestnanci.back().JmenoSys, "TextChyby");
    EXPECT_EQ(TextTypu(zamestnanci.back()), "NVARCHAR(255) NOT NULL");
    EXPECT_EQ(zamestnanci.back().ServerDEFAULT, "''");
    EXPECT_EQ(zamestnanci.back().SirkaSloupce, 30);
    EXPECT_EQ(zamestnanci[58].JmenoSys, "Foto");
    EXPECT_EQ(zamestnanci[58].DalsiVlastnosti, advObrazek);
}

TEST(PluginTables, ColumnSettingsComeThroughTheTemplates) {
    const auto& schema = EfektivniSchema();
    const auto* id = schema.Atribut(tQUELTAHGlob, "id");
    ASSERT_NE(id, nullptr);
    EXPECT_EQ(id->JmenoVerejneTxt, 73);
    EXPECT_EQ(id->JmenoVerejneZkrTxt, 74);
    EXPECT_EQ(id->Vyzadovany, vTrue);
    EXPECT_EQ(id->Verejny, vFalse);
    const auto* autor = schema.Atribut("TabQUELTAHGlob.Autor");
    EXPECT_EQ(autor->ServerDEFAULT, "SUSER_SNAME()");
    EXPECT_EQ(autor->SirkaSloupce, 15);
    EXPECT_EQ(autor->Verejny, vTrue);
    const auto* blokovani = schema.Atribut("TabQUELTAHGlob.BlokovaniEditoru");
    EXPECT_EQ(blokovani->Vyzadovany, vTrue);
    EXPECT_EQ(blokovani->Verejny, vFalse);
    const auto* typ = schema.Atribut("TabQUELTAZamPortal.TypZaznamu");
    EXPECT_EQ(typ->Verejny, vFalse);
    EXPECT_EQ(typ->KonverzeTxt, 250);
    EXPECT_EQ(schema.Atribut("TabQUELTAZamPortal.Utvar")->TarvikAttr, "TabCisZam.Stredisko");
    const auto* castka = schema.Atribut("TabQUELTAWSPreprocess.amount");
    EXPECT_EQ(TextTypu(*castka), "NUMERIC(19,2) NULL");
    EXPECT_EQ(castka->MaskaDisplay, "#,##0.00");
    EXPECT_TRUE(castka->Sumovat);
}

TEST(PluginTables, LookupsByName) {
    const auto& schema = EfektivniSchema();
    EXPECT_EQ(schema.TabulkaPodleJmena("  tabqueltahglob "), tQUELTAHGlob);
    EXPECT_EQ(schema.TabulkaPodleJmena("Tabx_Quelta_TravelOrder_ImportTable"),
              tQUELTATravelOrder_ImportTable);
    for (const auto* nic : {"", "   ", "TabNeznama", "hvw_QUELTAHGlob"})
        EXPECT_EQ(schema.TabulkaPodleJmena(nic), tZadna) << nic;
    EXPECT_EQ(schema.Tabulka(tZadna), nullptr);
    EXPECT_EQ(schema.Tabulka(static_cast<TplgTabulka>(17)), nullptr);
    EXPECT_EQ(schema.JmenoSys(tZadna), "");
    EXPECT_EQ(schema.JmenoSys(tQUELTAWSPreProcess), "TabQUELTAWSPreprocess");
    EXPECT_EQ(schema.PrvniTabulka(), 1);
    EXPECT_EQ(schema.PosledniTabulka(), 16);

    EXPECT_EQ(schema.Atribut("TABQUELTAZAMPORTAL.ssn")->JmenoSys, "SSN");
    EXPECT_EQ(schema.Atribut("TabQUELTAZamPortal"), nullptr);
    EXPECT_EQ(schema.Atribut("TabQUELTAZamPortal.Neni"), nullptr);
    EXPECT_EQ(schema.Atribut(tZadna, "ID"), nullptr);

    const auto serazene = schema.SerazeneAtributy(tQUELTAWSPreProcess);
    ASSERT_EQ(serazene.size(), 36u);
    EXPECT_EQ(serazene[0].first, "amount");
    EXPECT_EQ(serazene[1].first, "Autor");
    EXPECT_EQ(serazene[2].first, "AutorOdsouhlaseni");
    for (const auto& [jmeno, atribut] : serazene)
        EXPECT_EQ(atribut->JmenoSys, jmeno);
}

TEST(PluginTables, TypeTableAndCategories) {
    EXPECT_EQ(DefiniceTypu(taNumeric_28_0).T, "NUMERIC");
    EXPECT_EQ(DefiniceTypu(taNumeric_28_0).P, 28);
    EXPECT_EQ(DefiniceTypu(taIdentity).X, ptaIdentity);
    EXPECT_EQ(DefiniceTypu(taByte).T, "TINYINT");
    EXPECT_THROW(DefiniceTypu(static_cast<TplgTypAtributu>(25)), std::out_of_range);
    const std::vector<std::pair<TplgTypAtributu, int>> kategorie = {
        {taBlbe, 0},   {taInt, 1},   {taBoolean, 1},  {taVarChar, 3},     {taNText, 3},
        {taBinary, 5}, {taImage, 5}, {taDateTime, 4}, {taNumeric_4_2, 2}, {taFloat, 2}};
    for (const auto& [typ, ocekavana] : kategorie)
        EXPECT_EQ(KategorieTypu(typ), ocekavana) << static_cast<int>(typ);
}

TEST(PluginViews, SevenViewsOverTheirTables) {
    const auto pohledy = Pohledy();
    ASSERT_EQ(pohledy.size(), 8u);
    EXPECT_EQ(pohledy[0].JmenoView, "");
    for (std::size_t i = 1; i < pohledy.size(); ++i) {
        EXPECT_EQ(pohledy[i].SelfIdent, i);
        EXPECT_NE(EfektivniSchema().Tabulka(pohledy[i].HlavniTabulka), nullptr);
    }
    EXPECT_EQ(pohledy[bQUELTAZamPortal_BezneObdobi].DefiniceView,
              "SELECT * FROM TabQUELTAZamPortal\rWHERE TypZaznamu = 1 AND Obdobi = (SELECT m.IDObdobi FROM "
              "TabMzdObd m "
              "WHERE m.Stav = 2)");
    EXPECT_EQ(
        TextCreateView(pohledy[bQUELTANastaveniSynchronizace]),
        "CREATE VIEW dbo.hvw_QUELTANastaveniSynchronizace AS SELECT *FROM TabQUELTANastaveniSynchronizace");
    EXPECT_EQ(BrowsePodleView(" HVW_QUELTAHGLOB "), bQUELTAHGlob);
    EXPECT_EQ(BrowsePodleView("hvw_QUELTAWSPreprocess"), bQUELTAPortalPredzp);
    EXPECT_EQ(BrowsePodleView(""), bZadny);
    EXPECT_EQ(BrowsePodleView("  "), bZadny);
    EXPECT_EQ(BrowsePodleView("TabQUELTAHGlob"), bZadny);
}

} // namespace
} // namespace plugin
