// The host's column layout of a browse and the registration statements, without a database.
#include "plugin/definitions/schema.h"
#include "plugin/install/definice_sloupcu.h"
#include "plugin/messages/hlasky.h"

#include "registrace_skripty.h"

#include <gtest/gtest.h>

namespace plugin {
namespace {

const T_OP_DefiniceAtributu* Sloupec(const std::vector<T_OP_DefiniceAtributu>& sloupce,
                                     std::string_view jmeno) {
    for (const auto& sloupec : sloupce)
        if (sloupec.JmenoSys == jmeno) return &sloupec;
    return nullptr;
}

TEST(DefiniceSloupcu, TextFormHasTheFieldsInTheirOrderAndSurvivesDecoding) {
    T_OP_DefiniceAtributu d;
    d.JmenoSys = "Stav";
    d.VerejnyNazev = "8446AAD7-5D33-403A-9A96-3CC31A3EC8BB";
    d.Sirka = 12;
    d.Maska = "0";
    d.Sumovat = true;
    d.ZobrazeniPoradi = 1;
    d.Klic = true;
    d.Konverze = "0=Vložen\r\n1=Odsouhlasen\r2=Přenesen";
    d.TarvikAttr = "TabCisZam.Cislo";
    d.SysFiltr = 5;
    d.TrideniPoradi = 2;
    d.TrideniTyp = 1;
    d.Barva = true;
    d.Skupina = "S";
    const auto text = d.Zakoduj();
    EXPECT_EQ(text,
              "Stav\0018446AAD7-5D33-403A-9A96-3CC31A3EC8BB\001\00112\0010\0011\0011\0011\0011\0011\0010\001"
              "0=Vložen\0021=Odsouhlasen\0022=Přenesen\001TabCisZam.Cislo\0015\0012\0011\0010\0010\0011\0010"
              "\001S");
    auto zpet = T_OP_DefiniceAtributu::Dekoduj(text);
    EXPECT_EQ(zpet.Konverze, "0=Vložen\r\n1=Odsouhlasen\r\n2=Přenesen");
    zpet.Konverze = d.Konverze;
    EXPECT_EQ(zpet, d);

    // A list is joined by CR; a bad number reads as 0; missing fields keep a new descriptor's values.
    const auto seznam = DekodujSloupce(ZakodujSloupce({d, d}) + "\rID\001\001\001x");
    ASSERT_EQ(seznam.size(), 3u);
    EXPECT_EQ(seznam[2].JmenoSys, "ID");
    EXPECT_EQ(seznam[2].Sirka, 0);
    EXPECT_TRUE(seznam[2].Verejny);
    EXPECT_EQ(seznam[2].ZobrazeniPoradi, 1024);
    EXPECT_TRUE(DekodujSloupce("").empty());
}

TEST(DefiniceSloupcu, BrowseLayoutFollowsItsSelectAndOrderLists) {
    const auto& prehled = Prehledy()[bQUELTANastaveniSynchronizace];
    const auto* tabulka = EfektivniSchema().Tabulka(prehled.HlavniTabulka());
    ASSERT_NE(tabulka, nullptr);
    const auto sloupce = SloupcePrehledu(prehled, *tabulka, nullptr);
    ASSERT_EQ(sloupce.size(), tabulka->Atributy.size());
    EXPECT_EQ(sloupce.front().JmenoSys, "ID");

    struct Ocekavany {
        const char* jmeno;
        int zobrazeni, trideni, typ;
        bool verejny, klic, vyzadovany;
    };
    const Ocekavany ocekavane[] = {
        {"ID", 0, 2, 0, true, true, true}, // hidden, but sorted: public
        {"Nazev", 1, 0, 0, true, false, false},
        {"Kod", 2, 0, 0, true, false, false},
        {"DatumSynchronizace", 3, 0, 0, true, false, false},
        {"Poradi", 0, 1, 0, true, false, false},
        {"Ciselnik", 0, 0, 0, false, false, false},
    };
    for (const auto& o : ocekavane) {
        SCOPED_TRACE(o.jmeno);
        const auto* d = Sloupec(sloupce, o.jmeno);
        ASSERT_NE(d, nullptr);
        EXPECT_EQ(d->ZobrazeniPoradi, o.zobrazeni);
        EXPECT_EQ(d->TrideniPoradi, o.trideni);
        EXPECT_EQ(d->TrideniTyp, o.typ);
        EXPECT_EQ(d->Verejny, o.verejny);
        EXPECT_EQ(d->Klic, o.klic);
        EXPECT_EQ(d->Vyzadovany, o.vyzadovany);
        EXPECT_TRUE(d->ProTisk);
        EXPECT_EQ(d->SysFiltr, 0);
    }
    // A caption given by a message with a key is written as the key, one without a key as its text.
    EXPECT_EQ(Sloupec(sloupce, "Nazev")->VerejnyNazev, Hlaska(244).Klic);
    EXPECT_EQ(Sloupec(sloupce, "ID")->VerejnyNazev, Hlaska(73).Cesky);

    // A sort entry may end in " DESC" or " ASC" in any case; names compare without case.
    auto jinak = prehled;
    jinak.SELECT = "kod";
    jinak.ORDERBY = "Kod desc\rNAZEV Asc";
    const auto serazene = SloupcePrehledu(jinak, *tabulka, nullptr);
    EXPECT_EQ(Sloupec(serazene, "Kod")->ZobrazeniPoradi, 1);
    EXPECT_EQ(Sloupec(serazene, "Kod")->TrideniPoradi, 1);
    EXPECT_EQ(Sloupec(serazene, "Kod")->TrideniTyp, 1);
    EXPECT_EQ(Sloupec(serazene, "Nazev")->TrideniPoradi, 2);
    EXPECT_EQ(Sloupec(serazene, "Nazev")->TrideniTyp, 0);
    EXPECT_EQ(Sloupec(serazene, "Poradi")->TrideniPoradi, 0);

    // The period column carries the payroll-period filter of the employees' browse.
    const auto& zamestnanci = Prehledy()[bQUELTAZamPortal];
    const auto sloupceZamestnancu =
        SloupcePrehledu(zamestnanci, *EfektivniSchema().Tabulka(zamestnanci.HlavniTabulka()), nullptr);
    EXPECT_EQ(Sloupec(sloupceZamestnancu, "Obdobi")->SysFiltr, 5);
    EXPECT_EQ(Sloupec(sloupceZamestnancu, "Stav")->ZobrazeniPoradi, 1);
    EXPECT_EQ(Sloupec(sloupceZamestnancu, "KodUstavu")->ZobrazeniPoradi, 12);
}

TEST(Registrace, MessagesNamedByTheRegistrationsHaveKeys) {
    // The host shows these texts in the user's language only through the message's key.
    std::vector<int> indexy;
    for (const auto& trida : TridyAkci())
        for (const auto& akce : trida.Akce)
            indexy.insert(indexy.end(), {akce.NazevTxt, akce.NazevPodmenuTxt, akce.NapovedaTxt});
    for (const auto& atribut : ExterniAtributy())
        indexy.insert(indexy.end(), {atribut.JmenoVerejneTxt, atribut.JmenoVerejneZkrTxt, atribut.KonverzeTxt,
                                     atribut.PoznamkaTxt, atribut.ExtEd_ZalozkaTxt});
    for (const auto& vztah : Vztahy())
        indexy.insert(indexy.end(), {vztah.NazevLPTxt, vztah.NazevPLTxt});
    for (const auto& prehled : Prehledy())
        indexy.insert(indexy.end(), {prehled.JmenoTxt, prehled.PomocnicekTxt});
    for (const int index : indexy)
        EXPECT_TRUE(index == 0 || *Hlaska(index).Klic) << index;
    EXPECT_EQ(KlicPopisku(0, "Zobraz záznam"), "Zobraz záznam");
    EXPECT_EQ(KlicPopisku(10, "x"), "Editace");
}

TEST(Registrace, ExternalAttributeKindsAndTypes) {
    using registrace::SkriptExterniAtributu;
    const registrace::TKontext kontext{"N'A'", "PluginQuelta"};
    struct Pripad {
        TplgExterniAtribut atribut;
        std::string typ, browseID, verejny;
    };
    const Pripad pripady[] = {
        {{.Typ = taNumeric_4_2, .TypExtAtr = eaMemo}, "NUMERIC(19,6)", "-1", "N"},
        {{.Typ = taBinary, .Delka = 16, .Editovatelny = vTrue, .TypExtAtr = eaComboBox},
         "BINARY(16)",
         "0",
         "E"},
        {{.Typ = taDateTime, .Verejny = true, .TypExtAtr = eaDateTime}, "DATETIME", "-2", "A"},
        {{.Typ = taDateTime, .Verejny = true, .Editovatelny = vFalse, .TypExtAtr = eaTime},
         "DATETIME",
         "-3",
         "V"},
        {{.Typ = taInt, .TypExtAtr = eaBrowse, .ExtEd_BrowseID = 205}, "INT", "205", "N"},
        {{.Typ = taVarChar, .Delka = 3, .TypExtAtr = eaNormal}, "VARCHAR(3)", "NULL", "N"},
    };
    std::vector<TplgDPSNExtAttr> dpsn;
    for (const auto& p : pripady) {
        EXPECT_EQ(registrace::TypProHostitele(p.atribut), p.typ);
        EXPECT_EQ(registrace::VerejnyAtr(p.atribut), p.verejny);
        const auto skript = SkriptExterniAtributu(p.atribut, kontext, dpsn);
        EXPECT_NE(skript.find("\rExtEd_BrowseID=" + p.browseID + ",\r"), std::string::npos) << p.typ;
    }
    EXPECT_TRUE(dpsn.empty());

    // A lookup in a plug-in browse is filled in by the registration step once the browse exists.
    const TplgExterniAtribut lookup{.JmenoTabulky = "TabCisZam",
                                    .JmenoSys = "_X",
                                    .Typ = taInt,
                                    .TypExtAtr = eaBrowse,
                                    .ExtEd_BrowseDPSN = "hvw_QUELTAHGlob"};
    EXPECT_NE(SkriptExterniAtributu(lookup, kontext, dpsn).find("\rExtEd_BrowseID=NULL,\r"),
              std::string::npos);
    ASSERT_EQ(dpsn.size(), 1u);
    EXPECT_EQ(dpsn[0].DPSN, "hvw_QUELTAHGlob");
    EXPECT_NE(
        registrace::SkriptDPSN(dpsn[0]).find("WHERE NazevTabulkySys = N'TabCisZam' AND NazevAtrSys = N'_X'"),
        std::string::npos);
}

} // namespace
} // namespace plugin
