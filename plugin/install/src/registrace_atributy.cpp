// External attributes: stored ones become columns of the host's extension table of their table
// (through the host's hp_ExterniTabulka), computed ones are expressions the host evaluates; both
// are described in TabUzivAtr.

#include "registrace_skripty.h"

#include "common/sql_text.h"
#include "common/utf.h"
#include "plugin/messages/hlasky.h"

#include <algorithm>

namespace plugin::registrace {

namespace {

bool DelkaVeTypu(TplgTypAtributu typ) {
    return typ == taVarChar || typ == taChar || typ == taNVarChar || typ == taNChar || typ == taBinary;
}

bool Numericky(TplgTypAtributu typ) {
    return typ >= taNumeric_4_2 && typ <= taNumeric_28_0;
}

//! ExtEd_BrowseID by the attribute's kind.
std::string BrowseID(const TplgExterniAtribut& atribut, std::vector<TplgDPSNExtAttr>& dpsn) {
    switch (atribut.TypExtAtr) {
    case eaMemo:
        return "-1";
    case eaComboBox:
        return "0";
    case eaDateTime:
        return "-2";
    case eaTime:
        return "-3";
    case eaBrowse:
        if (!atribut.ExtEd_BrowseDPSN.empty()) {
            dpsn.push_back({std::string(atribut.JmenoTabulky), std::string(atribut.JmenoSys),
                            std::string(atribut.ExtEd_BrowseDPSN)});
            return "NULL";
        }
        return std::to_string(atribut.ExtEd_BrowseID);
    default:
        return "NULL";
    }
}

} // namespace

TKontext Kontext(const TInstalacniKonfigurace& konfigurace) {
    return {Format("%s+%s+SUSER_SNAME()+%s", {N(konfigurace.Identita.SystemoveJmeno), N(" ("), N(")")}),
            Prvnich(konfigurace.Identita.VerejneJmeno, 30)};
}

std::string N(std::string_view text) {
    return common::SqlNString(text);
}

std::string NeboNull(std::string_view text) {
    return text.empty() ? "NULL" : N(text);
}

std::string Prvnich(std::string_view text, std::size_t znaku) {
    return common::Utf8Left(text, znaku);
}

std::string TypProHostitele(const TplgExterniAtribut& atribut) {
    const std::string nazev(DefiniceTypu(atribut.Typ).T);
    if (DelkaVeTypu(atribut.Typ)) return nazev + "(" + std::to_string(atribut.Delka) + ")";
    if (Numericky(atribut.Typ)) return nazev + "(19,6)";
    return nazev;
}

std::string VerejnyAtr(const TplgExterniAtribut& atribut) {
    const bool verejny = atribut.Verejny;
    const bool editovatelny = atribut.Editovatelny == vDefault ? verejny : atribut.Editovatelny == vTrue;
    if (verejny) return editovatelny ? "A" : "V";
    return editovatelny ? "E" : "N";
}

std::string SkriptExterniAtributu(const TplgExterniAtribut& atribut, const TKontext& kontext,
                                  std::vector<TplgDPSNExtAttr>& dpsn) {
    const bool pocitany = atribut.JePocitany();
    const auto tabulka = N(atribut.JmenoTabulky);
    const auto jmeno = N(atribut.JmenoSys);
    const auto priznak = [](bool hodnota) { return hodnota ? std::string("1") : std::string("0"); };
    const auto ano = [](bool hodnota) { return hodnota ? std::string("N'A'") : std::string("N'N'"); };
    const std::pair<const char*, std::string> sloupce[] = {
        {"NazevAtrVer", N(KlicPopisku(atribut.JmenoVerejneTxt, atribut.JmenoVerejne))},
        {"NazevAtrVerZkr", N(KlicPopisku(atribut.JmenoVerejneZkrTxt, atribut.JmenoVerejneZkr))},
        {"TypAtr", N(DefiniceTypu(atribut.Typ).T)},
        {"MaskaAtr", N(atribut.MaskaDisplay)},
        {"VerejnyAtr", N(VerejnyAtr(atribut))},
        {"SirkaSloupceAtr", std::to_string(atribut.SirkaSloupce)},
        {"SumovatAtr", ano(atribut.Sumovat)},
        {"PoznamkaAtr", NeboNull(KlicPopisku(atribut.PoznamkaTxt, atribut.Poznamka))},
        {"DefiniceAtr", pocitany ? N(atribut.ExtEd_Atr) : "NULL"},
        {"ExtEd_BrowseID", pocitany ? "NULL" : BrowseID(atribut, dpsn)},
        {"ExtEd_Atr", N(pocitany ? std::string_view() : atribut.ExtEd_Atr)},
        {"ExtEd_PrimaEditace", priznak(!pocitany && atribut.ExtEd_PrimaEditace)},
        {"ExtEd_Zalozka", N(KlicPopisku(atribut.ExtEd_ZalozkaTxt, atribut.ExtEd_Zalozka))},
        {"ExtEd_Poradi", std::to_string(std::max(atribut.ExtEd_Poradi, 1))},
        {"Skupina", N(kontext.Skupina)},
        {"ExtEd_Podminka", pocitany ? "NULL" : NeboNull(atribut.ExtEd_Podminka)},
        {"ProcPruhAtr", priznak(atribut.ProcentniPruh)},
        {"BarvaAtr", priznak(atribut.Barva)},
        {"KonverzeAtr", N(KlicPopisku(atribut.KonverzeTxt, atribut.Konverze))},
        {"TiskAtr", ano(atribut.Tisknout)},
    };
    TRadky r;
    r << "BEGIN TRANSACTION"
      << "DECLARE @Externi BIT, @DatPorizeni DATETIME, @Autor NVARCHAR(128)"
      << "SET @Externi = " + priznak(!pocitany) << "SET @DatPorizeni = GETDATE()"
      << "SET @Autor = " + kontext.Autor;
    r << "IF @Externi = 1"
      << "BEGIN"
      << Format("EXEC dbo.hp_ExterniTabulka %s,%s,%s", {tabulka, jmeno, N(TypProHostitele(atribut))})
      << "IF @@ERROR<>0 GOTO CHYBAROLLBACK"
      << "END";
    const auto kde = "NazevTabulkySys=" + tabulka + " AND NazevAtrSys=" + jmeno;
    r << "IF EXISTS(SELECT*FROM TabUzivAtr WHERE " + kde + ")"
      << "UPDATE TabUzivAtr SET";
    std::string nazvy, hodnoty;
    for (const auto& [sloupec, hodnota] : sloupce) {
        const bool posledni = &hodnota == &std::end(sloupce)[-1].second;
        r << std::string(sloupec) + "=" + hodnota + (posledni ? "" : ",");
        nazvy += std::string(", ") + sloupec;
        hodnoty += ", " + hodnota;
    }
    r << "WHERE " + kde << "ELSE"
      << "INSERT TabUzivAtr(Externi, NazevTabulkySys, NazevAtrSys" + nazvy + ")"
      << "VALUES(@Externi, " + tabulka + ", " + jmeno + hodnoty + ")";
    r << "IF @@ERROR<>0 GOTO CHYBAROLLBACK";
    return r.UkonciTransakci();
}

} // namespace plugin::registrace
