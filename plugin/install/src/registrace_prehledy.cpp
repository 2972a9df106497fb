// The plug-in's browses in the host: a user browse row per view (the host's browse number is
// 100000 + its Cislo), the view itself, the folder row in the navigation, and the browse's actions.

#include "registrace_skripty.h"

#include "plugin/definitions/schema.h"

namespace plugin::registrace {

namespace {

//! Room in TabObecnyPrehled's columns, and the host's numbering of user browses.
constexpr int kDelkaNazvuSys = 36;
constexpr int kDelkaSkupiny = 30;
constexpr int kDelkaNazvu = 50;
constexpr int kPrvniUzivatelskyPrehled = 100000;
constexpr int kHlaskaCislaVycerpana = 123;
constexpr int kHlaskaPrehledNenalezen = 122;

constexpr std::string_view kChyba = "IF @@ERROR<>0 GOTO CHYBAROLLBACK";

bool Plati(const TplgVychoziNastaveniBrowse& prehled, int legislativa) {
    return prehled.SelfIdent != bZadny && prehled.Legislativa.Plati(legislativa);
}

//! The folder statement: the browse's row in its folder, or, for a browse in no folder, its row
//! removed with its rights and its children's links.
void Soudek(TRadky& r, const TUmisteni& umisteni) {
    constexpr std::string_view kRadek = "BrowseID = @NazevSys AND Systemovy = 1";
    if (umisteni.Soudek.empty()) {
        r << "IF EXISTS(SELECT*FROM TabSoudky WHERE " + std::string(kRadek) + ")"
          << "BEGIN"
          << "UPDATE TabSoudky SET IDPredek = NULL WHERE IDPredek IN(SELECT ID FROM TabSoudky WHERE " +
                 std::string(kRadek) + ")"
          << kChyba
          << "DELETE FROM TabPravaSoudky WHERE IDSoudek IN(SELECT ID FROM TabSoudky WHERE " +
                 std::string(kRadek) + ")"
          << kChyba << "DELETE FROM TabSoudky WHERE " + std::string(kRadek) << kChyba << "END";
        return;
    }
    r << "SET @NazevSysPredek = " + NeboNull(umisteni.NazevSysPredek) << "SET @Soudek = " + N(umisteni.Soudek)
      << "SET @Poradi = " + std::to_string(umisteni.Poradi) << "SET @IDPredek = NULL"
      << "IF @NazevSysPredek IS NOT NULL"
      << "BEGIN"
      << "SELECT @IDPredek = ID FROM TabSoudky"
      << "WHERE Soudek=@Soudek AND BrowseID=@NazevSysPredek AND Systemovy = 1" << kChyba << "END"
      << "IF EXISTS(SELECT*FROM TabSoudky WHERE " + std::string(kRadek) + ")"
      << "UPDATE TabSoudky SET Soudek=@Soudek, Skupina=@Skupina, IDPredek=@IDPredek, Poradi=@Poradi"
      << "WHERE " + std::string(kRadek) << "ELSE"
      << "INSERT TabSoudky(Skupina,Soudek,BrowseID,Poradi,DatPorizeni,Autor,Systemovy,IDPredek)"
      << "VALUES(@Skupina,@Soudek,@NazevSys,@Poradi,@DatPorizeni,@Autor,1,@IDPredek)" << kChyba;
}

} // namespace

std::string JmenoPrehledu(const TplgVychoziNastaveniBrowse& prehled) {
    if (prehled.Jmeno == "*") {
        const auto* tabulka = EfektivniSchema().Tabulka(prehled.HlavniTabulka());
        if (!tabulka) return {};
        return tabulka->JmenoTxt != 0 ? TextHlasky(tabulka->JmenoTxt) : std::string(tabulka->Jmeno);
    }
    return prehled.JmenoTxt != 0 ? TextHlasky(prehled.JmenoTxt) : std::string(prehled.Jmeno);
}

std::vector<TUmisteni> UmisteniPrehledu(int legislativa) {
    const auto prehledy = Prehledy();
    std::vector<TUmisteni> umisteni(prehledy.size());
    std::vector<std::vector<TplgBrowse>> clenove(Soudky().size());
    for (const auto& prehled : prehledy) {
        if (!Plati(prehled, legislativa)) continue;
        const auto soudek = prehled.Predek != bZadny ? prehledy[prehled.Predek].Soudek : prehled.Soudek;
        const auto& jmeno = Soudky()[soudek].Jmeno;
        if (jmeno.find_first_not_of(' ') == std::string_view::npos) continue;
        clenove[soudek].push_back(prehled.SelfIdent);
        auto& u = umisteni[prehled.SelfIdent];
        u.Soudek = jmeno;
        u.Poradi = static_cast<int>(clenove[soudek].size());
        if (prehled.Predek != bZadny) u.NazevSysPredek = prehledy[prehled.Predek].JmenoView();
    }
    return umisteni;
}

std::string SkriptPrehledu(const TplgVychoziNastaveniBrowse& prehled, const TUmisteni& umisteni,
                           const std::string* defAttrs, std::string_view skriptAkci,
                           const TKontext& kontext) {
    const auto& view = prehled.View();
    const auto pomocnicek = KlicPopisku(prehled.PomocnicekTxt, prehled.Pomocnicek);
    const auto nazev = KlicPopisku(prehled.JmenoTxt, Prvnich(JmenoPrehledu(prehled), kDelkaNazvu));
    TRadky r;
    r << Format("DECLARE @NazevSys NVARCHAR(%d), @Skupina NVARCHAR(%d),",
                {std::to_string(kDelkaNazvuSys), std::to_string(kDelkaSkupiny)})
      << "@Cislo INT, @GUID BINARY(16), @BlobTab NVARCHAR(128), @Poradi INT,"
      << "@DatPorizeni DATETIME, @Autor NVARCHAR(128), @JeToDBView BIT,"
      // @Skript takes the text that drops an existing view.
      << "@IDPredek INT, @NazevSysPredek NVARCHAR(255), @Soudek NVARCHAR(255), @Skript NVARCHAR(MAX)";
    r << "SET @NazevSys = " + N(view.JmenoView) << "SET @Skupina = " + N(kontext.Skupina)
      << "SET @BlobTab = " + N(prehled.BlobTableName)
      << std::string("SET @JeToDBView = ") + (prehled.Neni_v_DB ? "0" : "1") << "BEGIN TRANSACTION";
    r << "IF OBJECT_ID(N'dbo.' + @NazevSys,'V') IS NOT NULL"
      << "BEGIN"
      << "SET @Skript = N'DROP VIEW dbo.' + @NazevSys"
      << "EXEC(@Skript)" << kChyba << "END";
    r << "SET @DatPorizeni = GETDATE()"
      << "SET @Autor = " + kontext.Autor;
    r << "SELECT @Cislo=Cislo FROM TabObecnyPrehled WHERE NazevSys=@NazevSys"
      << "IF @Cislo IS NULL"
      << "BEGIN"
      << "EXEC @Cislo = dbo.hp_NajdiPrvniVolny N'TabObecnyPrehled',N'Cislo',1,9999999,'',1,1" << kChyba
      << "IF @Cislo <= 0 OR @Cislo > 9999999"
      << "BEGIN" << Format("RAISERROR(%s, 16, 1)", {N(TextHlasky(kHlaskaCislaVycerpana))})
      << "GOTO CHYBAROLLBACK"
      << "END"
      << "INSERT TabObecnyPrehled(Cislo,Skupina,Nazev,NazevSys,DatPorizeni,Autor)"
      << "VALUES(@Cislo,'','',@NazevSys,@DatPorizeni,@Autor)" << kChyba << "END";
    r << "UPDATE TabObecnyPrehled SET"
      << "Pomocnicek=" + NeboNull(pomocnicek) + ","
      << "Nazev=" + N(nazev) + ","
      << "BlobTableName=@BlobTab,"
      << "Skupina=@Skupina,"
      << "DefView=" + N(view.DefiniceView) + ","
      << "DefAttrs=" + (defAttrs ? N(*defAttrs) : std::string("NULL")) + ","
      << "DatZmeny=@DatPorizeni,"
      << "Zmenil=@Autor,"
      << "Systemovy=1,"
      << "JeToDBView=@JeToDBView"
      << "WHERE NazevSys=@NazevSys" << kChyba;
    r << "IF @JeToDBView = 1"
      << "BEGIN" << Format("EXEC(%s)", {N(TextCreateView(view))}) << kChyba
      << Format("EXEC(%s)", {N(Format("GRANT ALL ON %s TO PUBLIC", {"dbo." + std::string(view.JmenoView)}))})
      << kChyba << "END";
    r << Format("SET @Cislo = @Cislo + %d", {std::to_string(kPrvniUzivatelskyPrehled)});
    Soudek(r, umisteni);
    return r.UkonciTransakci(skriptAkci);
}

std::string SkriptDPSN(const TplgDPSNExtAttr& atribut) {
    TRadky r;
    r << "DECLARE @ExtEd_BrowseID INT"
      << Format("SELECT @ExtEd_BrowseID = Cislo + %d FROM TabObecnyPrehled WHERE NazevSys = %s",
                {std::to_string(kPrvniUzivatelskyPrehled), N(atribut.DPSN)})
      << "IF @@ROWCOUNT = 0"
      << "BEGIN"
      << Format("RAISERROR(%s, 16, 1)", {N(Format(TextHlasky(kHlaskaPrehledNenalezen), {atribut.DPSN}))})
      << "RETURN"
      << "END"
      << "UPDATE TabUzivAtr SET"
      << "ExtEd_BrowseID = @ExtEd_BrowseID"
      << Format("WHERE NazevTabulkySys = %s AND NazevAtrSys = %s", {N(atribut.Tabulka), N(atribut.Atribut)});
    return r.Text();
}

} // namespace plugin::registrace
