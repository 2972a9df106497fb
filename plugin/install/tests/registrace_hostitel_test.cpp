// The plug-in registered in the demo host by `tarvik install`: external attributes, browses with
// their columns, folders and actions, actions on host browses, relations, messages; a repeated
// installation; and commands of the host runner reaching the action object of their browse.

#include "hostitel.h"

#include "plugin/definitions/actions.h"
#include "plugin/definitions/browses.h"
#include "plugin/definitions/registrations.h"
#include "plugin/install/definice_sloupcu.h"
#include "plugin/messages/hlasky.h"

#include "registrace_skripty.h"
#include "standins/tarvik/wage_slip_pdf.h"
#include "texty.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

namespace plugin::testing {
namespace {

std::string Obsahuje(const std::string& text, const std::string& cast) {
    return text.find(cast) != std::string::npos ? cast : text;
}

std::string Guid(std::string_view sloupec) {
    return "'{' + CAST(CAST(" + std::string(sloupec) + " AS UNIQUEIDENTIFIER) AS NVARCHAR(36)) + '}'";
}

//! Every registration row of the plug-in, without the columns that record when it was written.
std::vector<std::string> Registrace(THostitel& hostitel) {
    const char* dotazy[] = {
        "SELECT * FROM TabUzivAtr ORDER BY ID",
        "SELECT ID, Cislo, NazevSys, Skupina, Nazev, Pomocnicek, BlobTableName, DefView, DefAttrs, "
        "Systemovy, "
        "JeToDBView FROM TabObecnyPrehled ORDER BY ID",
        "SELECT * FROM TabSoudky ORDER BY ID",
        "SELECT * FROM TabPravaSoudky ORDER BY ID",
        "SELECT * FROM TabSoudkyPoradi ORDER BY ID",
        "SELECT ID, GUID, Typ, IdBrowse, Popis, UP, ParamTa, HotKey, Skupina, NazevPodmenu, PoradiVPodmenu, "
        "DatPorizeni, Autor, Napoveda, VerejnaAkce, Parametry FROM TabExtKom ORDER BY ID",
        "SELECT ID, GUIDVazby, Systemovy, Popis, Skupina, TabL, TabP, NazevLP, NazevPL, NazevLPSys, "
        "NazevPLSys, "
        "TypLP, TypPL, Podminka, DatPorizeni, Autor FROM TabObecnaVazba ORDER BY ID",
        "SELECT * FROM TabExtHlasky ORDER BY GUID, Jazyk",
        "SELECT * FROM TabSkupinaExt ORDER BY ID",
    };
    std::vector<std::string> radky;
    for (const char* dotaz : dotazy)
        for (auto& radek : hostitel.Radky(dotaz))
            radky.push_back(std::move(radek));
    return radky;
}

//! Installs silently; returns what the host runner printed.
std::string Nainstaluj(THostitel& hostitel) {
    const auto vystup = Tarvik(hostitel, {"install"}, PLUGINQUELTA_LIBRARY);
    EXPECT_EQ(vystup.Status, 0) << vystup.Err;
    return vystup.Out;
}

//! The registration dialogs in what a silent installation printed, each with its statements.
std::vector<std::string> DialogyRegistraci(const std::string& vystup) {
    const std::string zacatek = "INFO: Změna struktury databáze\nVytvoření a změna základních přehledů";
    std::vector<std::string> dialogy;
    for (auto i = vystup.find(zacatek); i != std::string::npos;) {
        const auto dalsi = vystup.find("INFO: ", i + zacatek.size());
        dialogy.push_back(vystup.substr(i, dalsi == std::string::npos ? dalsi : dalsi - i));
        i = vystup.find(zacatek, i + zacatek.size());
    }
    return dialogy;
}

//! One installation for the tests that only read.
class RegistraceVHostiteli : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        hostitel_ = new THostitel;
        Nainstaluj(*hostitel_);
    }
    static void TearDownTestSuite() {
        delete hostitel_;
        hostitel_ = nullptr;
    }
    THostitel& H() { return *hostitel_; }
    int Cislo(std::string_view view) {
        return std::stoi(
            H().Hodnota("SELECT Cislo FROM TabObecnyPrehled WHERE NazevSys = N'" + std::string(view) + "'"));
    }
    int Akce(int browse, std::string_view guid) {
        return std::stoi(H().Hodnota("SELECT ID FROM TabExtKom WHERE IdBrowse = " + std::to_string(browse) +
                                     " AND GUID = CAST(CAST(N'" + std::string(guid) +
                                     "' AS uniqueidentifier) AS BINARY(16))"));
    }

    static THostitel* hostitel_;
};

THostitel* RegistraceVHostiteli::hostitel_ = nullptr;

TEST_F(RegistraceVHostiteli, ExternalAttributesAreStoredOrComputed) {
    for (const auto& atribut : ExterniAtributy().subspan(1)) {
        const std::string tabulka(atribut.JmenoTabulky), jmeno(atribut.JmenoSys);
        SCOPED_TRACE(tabulka + "." + jmeno);
        const auto radky = H().Radky("SELECT Externi, TypAtr, VerejnyAtr, ExtEd_BrowseID, ExtEd_Poradi, "
                                     "CASE WHEN DefiniceAtr IS NULL THEN 0 ELSE 1 END, Skupina "
                                     "FROM TabUzivAtr WHERE NazevTabulkySys = N'" +
                                     tabulka + "' AND NazevAtrSys = N'" + jmeno + "'");
        ASSERT_EQ(radky.size(), 1u);
        const auto pocitany = atribut.JePocitany();
        const std::string typ(DefiniceTypu(atribut.Typ).T);
        EXPECT_EQ(radky[0], std::string(pocitany ? "0|" : "1|") + typ + "|" +
                                registrace::VerejnyAtr(atribut) + "|NULL|" +
                                std::to_string(std::max(atribut.ExtEd_Poradi, 1)) + (pocitany ? "|1" : "|0") +
                                "|PluginQuelta");
        const auto ext = tabulka + "_EXT";
        const auto sloupec =
            H().Radky("SELECT t.name, c.length FROM syscolumns c JOIN systypes t ON t.xusertype = "
                      "c.xusertype WHERE c.id = OBJECT_ID(N'" +
                      ext + "') AND c.name = N'" + jmeno + "'");
        if (pocitany) {
            EXPECT_TRUE(sloupec.empty());
            // The host evaluates a computed attribute on its table or view.
            EXPECT_NO_THROW(H().Proved("SELECT " + std::string(atribut.ExtEd_Atr) + " FROM " + tabulka));
        } else {
            ASSERT_EQ(sloupec.size(), 1u);
            EXPECT_EQ(instalace::Velkymi(sloupec[0].substr(0, sloupec[0].find('|'))), typ);
        }
    }
    // The type text of the host procedure has the length; TypAtr the bare name.
    EXPECT_EQ(H().Hodnota("SELECT c.length FROM syscolumns c WHERE c.id = OBJECT_ID(N'TabICestak_EXT') AND "
                          "c.name = N'_Quelta_UploadAuthor'"),
              "256");
    EXPECT_EQ(H().Hodnota("SELECT NazevAtrVer FROM TabUzivAtr WHERE NazevAtrSys = N'_Quelta_ToPortal'"),
              Hlaska(225).Klic);
    EXPECT_EQ(
        H().Hodnota("SELECT KonverzeAtr FROM TabUzivAtr WHERE NazevAtrSys = N'_Quelta_State'"),
        "O=Otevřený\rN=Napočítaný\rL=K likvidaci\rV=Vyúčtování\rS=Odsouhlasené vyúčtování\rU=Vypořádaný");
}

TEST_F(RegistraceVHostiteli, BrowsesWithTheirViewsAndDefaultColumns) {
    const std::map<TplgBrowse, std::string> nazvy = {
        {bQUELTAZamPortal, "Zaměstnanci z portálu"},      {bQUELTAZamPortal_AktualniObdobi, Hlaska(226).Klic},
        {bQUELTAZamPortal_BezneObdobi, Hlaska(227).Klic}, {bQUELTAPortalPredzp, "Předzpracování z portálu"},
        {bQUELTANastaveniSynchronizace, "Synchronizace"}, {bQUELTAHGlob, "Nastavení"},
        {bQUELTASynchroLog, "Log synchronizace"},
    };
    for (const auto& prehled : Prehledy().subspan(1)) {
        const std::string view(prehled.JmenoView());
        SCOPED_TRACE(view);
        const auto radky =
            H().Radky("SELECT Nazev, BlobTableName, Skupina, Systemovy, JeToDBView, "
                      "CASE WHEN Pomocnicek IS NULL THEN 'NULL' ELSE 'x' END FROM TabObecnyPrehled "
                      "WHERE NazevSys = N'" +
                      view + "'");
        ASSERT_EQ(radky.size(), 1u);
        EXPECT_EQ(radky[0], nazvy.at(prehled.SelfIdent) + "|" + std::string(prehled.BlobTableName) +
                                "|PluginQuelta|1|1|NULL");
        EXPECT_EQ(H().Hodnota("SELECT DefView FROM TabObecnyPrehled WHERE NazevSys = N'" + view + "'"),
                  prehled.View().DefiniceView);
        EXPECT_EQ(H().Hodnota("SELECT COUNT(*) FROM sysobjects WHERE xtype = 'V' AND name = N'" + view + "'"),
                  "1");

        // The columns shown and sorted, in their order, as the browse lists them.
        const auto sloupce = DekodujSloupce(
            H().Hodnota("SELECT DefAttrs FROM TabObecnyPrehled WHERE NazevSys = N'" + view + "'"));
        std::map<int, std::string> zobrazene, serazene;
        for (const auto& s : sloupce) {
            if (s.ZobrazeniPoradi) zobrazene[s.ZobrazeniPoradi] = s.JmenoSys;
            if (s.TrideniPoradi) serazene[s.TrideniPoradi] = s.JmenoSys;
        }
        std::string select, orderBy;
        for (const auto& [poradi, jmeno] : zobrazene)
            select += (select.empty() ? "" : "\r") + jmeno;
        for (const auto& [poradi, jmeno] : serazene)
            orderBy += (orderBy.empty() ? "" : "\r") + jmeno;
        EXPECT_EQ(select, prehled.SELECT);
        EXPECT_EQ(orderBy, prehled.ORDERBY);
    }
}

TEST_F(RegistraceVHostiteli, FolderRowsInOrder) {
    // The plug-in's browses in the folder, then the host browses of the installation data script
    // (under the synchronization settings, and three without a parent).
    EXPECT_EQ(
        H().Radky("SELECT s.BrowseID, s.Poradi, ISNULL(p.BrowseID, '-') FROM TabSoudky s "
                  "LEFT JOIN TabSoudky p ON p.ID = s.IDPredek WHERE s.Soudek = N'QUEL-TA' ORDER BY s.ID"),
        (std::vector<std::string>{"hvw_QUELTAZamPortal|1|-",
                                  "hvw_QUELTAWSPreprocess|2|-",
                                  "hvw_QUELTANastaveniSynchronizace|3|-",
                                  "hvw_QUELTAHGlob|4|-",
                                  "37|1|hvw_QUELTANastaveniSynchronizace",
                                  "65|2|hvw_QUELTANastaveniSynchronizace",
                                  "202|3|hvw_QUELTANastaveniSynchronizace",
                                  "3|4|hvw_QUELTANastaveniSynchronizace",
                                  "4|5|hvw_QUELTANastaveniSynchronizace",
                                  "82|6|hvw_QUELTANastaveniSynchronizace",
                                  "1272|7|hvw_QUELTANastaveniSynchronizace",
                                  "59|8|hvw_QUELTANastaveniSynchronizace",
                                  "214|9|hvw_QUELTANastaveniSynchronizace",
                                  "204|10|hvw_QUELTANastaveniSynchronizace",
                                  "1124|11|hvw_QUELTANastaveniSynchronizace",
                                  "330|12|hvw_QUELTANastaveniSynchronizace",
                                  "6|13|hvw_QUELTANastaveniSynchronizace",
                                  "10521|14|hvw_QUELTANastaveniSynchronizace",
                                  "200|1|-",
                                  "205|2|-",
                                  "10536|3|-"}));
    // The demo's own folder stays first; the plug-in's goes after it.
    EXPECT_EQ(H().Radky("SELECT Soudek, Poradi FROM TabSoudkyPoradi ORDER BY Poradi"),
              (std::vector<std::string>{"Mzdy|1", "QUEL-TA|2"}));
}

TEST_F(RegistraceVHostiteli, EveryActionWithItsGUIDOnItsBrowse) {
    const auto ocekavane = [](std::string_view trida, const TplgVychoziNastaveniBrowse& prehled) {
        std::vector<std::string> radky;
        const auto standardni = [&](std::string_view guid, int nazev, int klavesa) {
            if (!guid.empty())
                radky.push_back(std::string(guid) + "|" + Hlaska(nazev).Klic + "|Editace|" +
                                std::to_string(klavesa));
        };
        standardni(prehled.GUID_ActionNew, 11, 113);
        standardni(prehled.GUID_ActionEdit, 12, 13);
        for (const auto& a : TridaAkci(trida)->Akce)
            radky.push_back(std::string(a.GUID) + "|" + KlicPopisku(a.NazevTxt, a.Nazev) + "|" +
                            KlicPopisku(a.NazevPodmenuTxt, a.NazevPodmenu) + "|0");
        return radky;
    };
    const auto akce = [&](int browse) {
        return H().Radky(
            "SELECT " + Guid("GUID") +
            ", Popis, NazevPodmenu, HotKey FROM TabExtKom WHERE IdBrowse = " + std::to_string(browse) +
            " AND UP = N'PluginQuelta.Quelta' AND Skupina = N'PluginQuelta' ORDER BY PoradiVPodmenu");
    };
    std::size_t celkem = 0;
    for (const auto& prehled : Prehledy().subspan(1)) {
        const auto radky = akce(100000 + Cislo(prehled.JmenoView()));
        EXPECT_EQ(radky, ocekavane(prehled.DMAkceClass, prehled)) << prehled.JmenoView();
        celkem += radky.size();
    }
    for (const auto& zaznam : ExtAkce().subspan(1)) {
        const auto radky = akce(zaznam.BrowseID);
        EXPECT_EQ(radky, ocekavane(zaznam.DMAkceClass, Prehledy()[bZadny])) << zaznam.BrowseID;
        celkem += radky.size();
    }
    EXPECT_EQ(celkem, 68u);
    EXPECT_EQ(H().Hodnota("SELECT COUNT(*) FROM TabExtKom"), "68");
}

TEST_F(RegistraceVHostiteli, RelationsMessagesAndGroup) {
    EXPECT_EQ(
        H().Radky("SELECT " + Guid("GUIDVazby") +
                  ", Popis, TabL, TabP, NazevLP, NazevPL, NazevLPSys, TypLP, TypPL, Podminka, Systemovy "
                  "FROM TabObecnaVazba ORDER BY ID"),
        (std::vector<std::string>{
            "{CC12ADED-9A74-4F31-B403-5A6F6C7BD17E}|hvw_QUELTAWSPreprocess x "
            "TabCisZam|hvw_QUELTAWSPreprocess|"
            "TabCisZam|" +
                std::string(Hlaska(187).Klic) +
                "|Předzpracování z portálu|TabCisZam|1|0|hvw_QUELTAWSPreprocess.EmployeeErpPk = "
                "TabCisZam.Cislo|1",
            "{5F876558-F6A1-4B63-B13D-652A19BE7E70}|hvw_QUELTAWSPreprocess x "
            "TabMzdObd|hvw_QUELTAWSPreprocess|"
            "TabMzdObd|" +
                std::string(Hlaska(193).Klic) +
                "|Předzpracování z portálu|TabMzdObd|1|0|hvw_QUELTAWSPreprocess.Period = "
                "TabMzdObd.IdObdobi|1",
            "{FCA11223-9AD3-4A25-9D40-42C4B72EA2C9}|hvw_QUELTAZamPortal x TabMzdObd|hvw_QUELTAZamPortal|"
            "TabMzdObd|" +
                std::string(Hlaska(193).Klic) +
                "|Zaměstnanci z portálu|TabMzdObd|1|0|hvw_QUELTAZamPortal.Obdobi = TabMzdObd.IdObdobi|1"}));

    // Without language libraries: Czech (0 and 1) and Slovak (4), every message with a key.
    EXPECT_EQ(H().Radky("SELECT Jazyk, COUNT(*) FROM TabExtHlasky GROUP BY Jazyk ORDER BY Jazyk"),
              (std::vector<std::string>{"0|101", "1|101", "4|101"}));
    const auto hlaska = [&](int index, int jazyk) {
        return H().Hodnota("SELECT Hlaska + '|' + Skupina FROM TabExtHlasky WHERE GUID = CAST(CAST(N'" +
                           std::string(Hlaska(index).Klic) +
                           "' AS uniqueidentifier) AS BINARY(16)) AND Jazyk = " + std::to_string(jazyk));
    };
    EXPECT_EQ(hlaska(180, 0), "-Odsouhlasit|PluginQuelta");
    EXPECT_EQ(hlaska(180, 1), "-Odsouhlasit|PluginQuelta");
    EXPECT_EQ(hlaska(180, 4), "-Odsúhlasiť|PluginQuelta");
    EXPECT_EQ(hlaska(11, 4), "Nový|Tarvik Core");
    EXPECT_EQ(hlaska(267, 4), std::string(Hlaska(267).Slovensky) + "|PluginQuelta");
    EXPECT_EQ(H().Radky("SELECT Skupina FROM TabSkupinaExt"), std::vector<std::string>{"PluginQuelta"});
}

TEST_F(RegistraceVHostiteli, BrowseStatementDeclaresTheVariableThatDropsTheView) {
    // Registering a browse whose view exists drops the view through @Skript; without the
    // declaration the server refuses the statement (here once the drop runs).
    const auto& prehled = Prehledy()[bQUELTASynchroLog];
    const auto cislo = Cislo(prehled.JmenoView());
    const auto skript =
        registrace::SkriptPrehledu(prehled, {}, nullptr, "", {"N'PluginQuelta'", "PluginQuelta"});
    const std::string deklarace = ", @Skript NVARCHAR(MAX)";
    ASSERT_NE(skript.find(deklarace), std::string::npos);
    auto jakoVTextu = skript;
    jakoVTextu.erase(jakoVTextu.find(deklarace), deklarace.size());
    try {
        H().Proved(jakoVTextu);
        ADD_FAILURE() << "the statement without the declaration ran";
    } catch (const std::exception& e) {
        EXPECT_EQ(Obsahuje(e.what(), "@Skript"), "@Skript");
    }
    H().Proved("IF @@TRANCOUNT > 0 ROLLBACK");
    H().Proved(skript);
    EXPECT_EQ(Cislo(prehled.JmenoView()), cislo);
    EXPECT_EQ(
        H().Hodnota("SELECT COUNT(*) FROM sysobjects WHERE xtype = 'V' AND name = N'hvw_QUELTASynchroLog'"),
        "1");
}

TEST_F(RegistraceVHostiteli, WageSlipFileNameKeepsTheLastSixDigitsOfTheEmployeeNumber) {
    const auto vyraz =
        H().Hodnota("SELECT DefiniceAtr FROM TabUzivAtr WHERE NazevAtrSys = N'_QUELTA_NazevPDF'");
    const auto radky = H().Radky("SELECT zam.Cislo, obd.Mesic, obd.Rok, " + vyraz +
                                 " FROM TabZamVyp JOIN TabCisZam zam ON zam.ID = TabZamVyp.ZamestnanecId "
                                 "JOIN TabMzdObd obd ON obd.IdObdobi = TabZamVyp.IdObdobi");
    ASSERT_FALSE(radky.empty());
    bool velkeCislo = false;
    for (const auto& radek : radky) {
        std::vector<std::string> pole;
        for (std::size_t od = 0, konec = 0; konec != std::string::npos; od = konec + 1)
            pole.push_back(radek.substr(od, (konec = radek.find('|', od)) - od));
        const auto cislo = std::stoll(pole[0]);
        velkeCislo = velkeCislo || cislo >= 1000000;
        const auto soubor = standins::tarvik::wageSlipFileName(cislo, std::stoi(pole[1]), std::stoi(pole[2]));
        EXPECT_EQ(pole[3] + ".PDF", soubor) << radek;
    }
    EXPECT_TRUE(velkeCislo) << "the demo company has an employee number of a million or more";
    // The expression as first written overflows for such a number.
    auto jakoVTextu = vyraz;
    jakoVTextu.replace(jakoVTextu.find("NVARCHAR(11)"), 12, "NVARCHAR(6)");
    EXPECT_THROW(H().Proved("SELECT " + jakoVTextu + " FROM TabZamVyp"), std::exception);
}

TEST_F(RegistraceVHostiteli, RunnerReachesTheActionObjectOfThePluginOrHostBrowse) {
    const auto& nastaveni = Prehledy()[bQUELTANastaveniSynchronizace];
    const auto browse = 100000 + Cislo(nastaveni.JmenoView());
    const auto odeslat = Akce(browse, "{53BB154E-4FCF-44EE-91CD-3ADA3283731D}");
    const auto zeme = Akce(37, "{109BDB1B-DF2E-45A8-9094-2DB5FBA50B17}");
    const auto globalni = 100000 + Cislo("hvw_QUELTAHGlob");
    const auto oprava = Akce(globalni, "{F7B344D3-7D8F-4ADB-A77E-C51258D4E875}");
    const auto run = [&](int prehled, int extKom, const char* knihovna) {
        return Tarvik(H(),
                      {"run", "--browse", std::to_string(prehled), "--extkom", std::to_string(extKom),
                       "--current", "1"},
                      knihovna);
    };

    // This build has no modules: the action is found, and says so.
    const auto bezModulu = run(browse, odeslat, PLUGINQUELTA_LIBRARY);
    EXPECT_EQ(bezModulu.Status, 1);
    EXPECT_EQ(bezModulu.Err,
              "Run failed: Funkce Odeslat na portál (TdmPlgQUELTANastaveniSynchronizace) není v "
              "tomto sestavení pluginu k dispozici.\n");
    EXPECT_EQ(Obsahuje(run(37, zeme, PLUGINQUELTA_LIBRARY).Err, "Přidat do nápočtu (TdmPlgQUELTATabZeme)"),
              "Přidat do nápočtu (TdmPlgQUELTATabZeme)");
    EXPECT_EQ(Obsahuje(run(globalni, oprava, PLUGINQUELTA_LIBRARY).Err, "Oprava (TdmPlgQUELTAHGlob)"),
              "Oprava (TdmPlgQUELTAHGlob)");

    // With a module each, the action object of the browse runs the action.
    const auto sModulem = run(browse, odeslat, PLUGINQUELTA_DVOJNIK);
    EXPECT_EQ(sModulem.Status, 0) << sModulem.Err;
    EXPECT_EQ(sModulem.Out, "INFO: TdmPlgQUELTANastaveniSynchronizace.OdeslatNaPortal on browse " +
                                std::to_string(browse) + " (hvw_QUELTANastaveniSynchronizace)\n");
    EXPECT_EQ(run(37, zeme, PLUGINQUELTA_DVOJNIK).Out,
              "INFO: TdmPlgQUELTATabZeme.HromadnePridatDoNapoctu on browse 37 (TabZeme)\n");

    // An action the plug-in does not know succeeds and does nothing.
    H().Proved(
        "INSERT INTO TabExtKom (GUID, Typ, IdBrowse, Popis, UP) VALUES (CAST(CAST("
        "N'{00000000-1111-2222-3333-444444444444}' AS uniqueidentifier) AS BINARY(16)), 3, 37, N'Cizí', "
        "N'PluginQuelta.Quelta')");
    const auto cizi = Akce(37, "{00000000-1111-2222-3333-444444444444}");
    const auto nic = run(37, cizi, PLUGINQUELTA_DVOJNIK);
    H().Proved("DELETE FROM TabExtKom WHERE ID = " + std::to_string(cizi));
    EXPECT_EQ(nic.Status, 0) << nic.Err;
    EXPECT_EQ(nic.Out, "");
}

TEST(RegistraceZnovu, SecondInstallationChangesNoRowAndFoldersKeepTheirPlace) {
    THostitel hostitel;
    // With no folder ordered yet, the plug-in's folder comes first, and stays there.
    hostitel.Proved("DELETE FROM TabSoudkyPoradi");
    const auto prvni = DialogyRegistraci(Nainstaluj(hostitel));
    EXPECT_EQ(hostitel.Radky("SELECT Soudek, Poradi FROM TabSoudkyPoradi ORDER BY Poradi"),
              (std::vector<std::string>{"QUEL-TA|1"}));
    const auto pred = Registrace(hostitel);
    // The same statements, under the same explanation, each time.
    const auto druha = DialogyRegistraci(Nainstaluj(hostitel));
    EXPECT_EQ(Registrace(hostitel), pred);
    ASSERT_EQ(prvni.size(), 2u);
    EXPECT_TRUE(prvni == druha);
    const char* sekce[] = {"*** Definované přehledy a jejich akce ***",
                           "*** Externí akce ***",
                           "*** Definované vazby ***",
                           "*** Uživatelské soudečky ***",
                           "*** Externí hlášky ***",
                           "*** Skupina nástrojů přizpůsobení ***",
                           "*** Vlastní instalace ***"};
    EXPECT_EQ(Obsahuje(prvni[0], "  *** Externí atributy ***\n    Ext.atribut TabICestak._Quelta_PortalID\n"),
              "  *** Externí atributy ***\n    Ext.atribut TabICestak._Quelta_PortalID\n");
    for (std::size_t i = 1; i < std::size(sekce); ++i)
        EXPECT_LT(prvni[1].find(sekce[i - 1]), prvni[1].find(sekce[i])) << sekce[i];
    EXPECT_EQ(Obsahuje(prvni[1], "    Nastavení\n      Pohled hvw_QUELTAHGlob\n      GRANT ALL ON "
                                 "dbo.hvw_QUELTAHGlob TO PUBLIC\n      Soudeček QUEL-TA (4)\n"),
              "    Nastavení\n      Pohled hvw_QUELTAHGlob\n      GRANT ALL ON dbo.hvw_QUELTAHGlob TO "
              "PUBLIC\n      Soudeček QUEL-TA (4)\n");

    // A browse that has no folder loses a row it was given, with its rights and its children's link.
    hostitel.Proved("INSERT INTO TabSoudky (Skupina, Soudek, BrowseID, Poradi, Systemovy) VALUES "
                    "(N'PluginQuelta', N'QUEL-TA', N'hvw_QUELTASynchroLog', 9, 1)");
    const auto id = hostitel.Hodnota("SELECT ID FROM TabSoudky WHERE BrowseID = N'hvw_QUELTASynchroLog'");
    hostitel.Proved("INSERT INTO TabPravaSoudky (IDSoudek, LoginName) VALUES (" + id + ", N'x')");
    hostitel.Proved("INSERT INTO TabSoudky (Skupina, Soudek, BrowseID, Poradi, Systemovy, IDPredek) VALUES "
                    "(N'X', N'QUEL-TA', N'232', 1, 0, " +
                    id + ")");
    Nainstaluj(hostitel);
    EXPECT_EQ(hostitel.Hodnota("SELECT COUNT(*) FROM TabSoudky WHERE BrowseID = N'hvw_QUELTASynchroLog'"),
              "0");
    EXPECT_EQ(hostitel.Hodnota("SELECT COUNT(*) FROM TabPravaSoudky WHERE IDSoudek = " + id), "0");
    EXPECT_EQ(hostitel.Hodnota("SELECT ISNULL(CAST(IDPredek AS NVARCHAR(10)), 'NULL') FROM TabSoudky WHERE "
                               "BrowseID = N'232'"),
              "NULL");
}

TEST(RegistraceZnovu, ExhaustedBrowseNumbersLeaveNoBrowseBehind) {
    THostitel hostitel;
    hostitel.Proved(
        "ALTER PROCEDURE dbo.hp_NajdiPrvniVolny @Tabulka NVARCHAR(128), @Atribut NVARCHAR(128), "
        "@Min INT, @Max INT, @Podminka NVARCHAR(4000) = N'', @BezVysledku BIT = 0, @PlnitMezery BIT = 0 "
        "AS RETURN 0");
    const auto skript = registrace::SkriptPrehledu(Prehledy()[bQUELTASynchroLog], {}, nullptr, "",
                                                   {"N'PluginQuelta'", "PluginQuelta"});
    try {
        hostitel.Proved(skript);
        ADD_FAILURE() << "the browse was registered without a number";
    } catch (const std::exception& e) {
        EXPECT_EQ(Obsahuje(e.what(), "Čísla přehledů byla vyčerpána!"), "Čísla přehledů byla vyčerpána!");
    }
    EXPECT_EQ(hostitel.Hodnota("SELECT @@TRANCOUNT"), "0");
    EXPECT_EQ(
        hostitel.Hodnota("SELECT COUNT(*) FROM TabObecnyPrehled WHERE NazevSys = N'hvw_QUELTASynchroLog'"),
        "0");
}

} // namespace
} // namespace plugin::testing
