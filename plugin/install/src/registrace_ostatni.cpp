// Actions on host browses, relations, the order of the plug-in's folders, the message texts in the
// host's languages and the customisation group.

#include "registrace_skripty.h"

namespace plugin::registrace {

namespace {

constexpr int kDelkaNazvuVazby = 100;
//! Messages with a stored number above this one are the plug-in's own; the others belong to the
//! framework shared by the host's plug-ins.
constexpr int kPosledniCisloJadra = 5049999;
constexpr std::string_view kSkupinaJadra = "Tarvik Core";

std::string SQLGUID(std::string_view guid) {
    return "CAST(CAST(" + N(guid) + " AS uniqueidentifier) AS BINARY(16))";
}

//! The name of the plug-in browse whose view is the table, or empty.
std::string JmenoPrehleduView(std::string_view tabulka) {
    const auto browse = BrowsePodleView(tabulka);
    return browse == bZadny ? std::string() : JmenoPrehledu(Prehledy()[browse]);
}

//! Switches the message lookup back to the user's languages when it goes out of scope.
class TNavratJazyka {
public:
    explicit TNavratJazyka(const TNactiJazykovouKnihovnu& knihovna)
        : knihovna_(knihovna)
        , jazyky_(AktualniJazyky()) {}
    ~TNavratJazyka() {
        try {
            PrepniJazyky(jazyky_.first, jazyky_.second, knihovna_);
        } catch (...) {
            // The built-in texts stay in use; the registration's own error goes on.
        }
    }
    TNavratJazyka(const TNavratJazyka&) = delete;
    TNavratJazyka& operator=(const TNavratJazyka&) = delete;

private:
    const TNactiJazykovouKnihovnu& knihovna_;
    std::pair<int, int> jazyky_;
};

} // namespace

std::string SkriptAkciHostitele(int browseID, std::string_view skriptAkci, const TKontext& kontext) {
    TRadky r;
    r << "DECLARE @Cislo INT, @GUID BINARY(16), @DatPorizeni DATETIME, @Autor NVARCHAR(128)"
      << "SET @Cislo = " + std::to_string(browseID) << "SET @DatPorizeni = GETDATE()"
      << "SET @Autor = " + kontext.Autor << "BEGIN TRANSACTION";
    return r.UkonciTransakci(skriptAkci);
}

std::string PopisVztahu(const TplgVztahDef& vztah) {
    return Format("%s x %s", {vztah.TabLStr, vztah.TabPStr});
}

std::string SkriptVztahu(const TplgVztahDef& vztah, const TKontext& kontext) {
    // A side without a caption of its own is named by the plug-in browse of the other side.
    const auto nazevLP = vztah.NazevLPTxt != 0 || !vztah.NazevLP.empty()
                             ? KlicPopisku(vztah.NazevLPTxt, Prvnich(vztah.NazevLP, kDelkaNazvuVazby))
                             : Prvnich(JmenoPrehleduView(vztah.TabPStr), kDelkaNazvuVazby);
    const auto nazevPL = vztah.NazevPLTxt != 0 || !vztah.NazevPL.empty()
                             ? KlicPopisku(vztah.NazevPLTxt, Prvnich(vztah.NazevPL, kDelkaNazvuVazby))
                             : Prvnich(JmenoPrehleduView(vztah.TabLStr), kDelkaNazvuVazby);
    const std::pair<const char*, std::string> sloupce[] = {
        {"Popis", N(PopisVztahu(vztah))},    {"Skupina", N(kontext.Skupina)},
        {"TabL", N(vztah.TabLStr)},          {"NazevLP", N(nazevLP)},
        {"NazevLPSys", N(vztah.NazevLPSys)}, {"TypLP", std::to_string(vztah.TypLP)},
        {"TabP", N(vztah.TabPStr)},          {"NazevPL", N(nazevPL)},
        {"NazevPLSys", N(vztah.NazevPLSys)}, {"TypPL", std::to_string(vztah.TypPL)},
        {"Podminka", N(vztah.Join)},
    };
    TRadky r;
    r << "DECLARE @DatPorizeni DATETIME, @Autor NVARCHAR(128), @GUIDVazby BINARY(16)"
      << "SET @GUIDVazby = " + SQLGUID(vztah.GUIDVazby) << "SET @DatPorizeni = GETDATE()"
      << "SET @Autor = " + kontext.Autor
      << "IF EXISTS(SELECT*FROM TabObecnaVazba WHERE GUIDVazby = @GUIDVazby)"
      << "UPDATE TabObecnaVazba SET"
      << "Systemovy=1,";
    std::string nazvy, hodnoty;
    for (const auto& [sloupec, hodnota] : sloupce) {
        r << std::string(sloupec) + "=" + hodnota + ",";
        nazvy += std::string(", ") + sloupec;
        hodnoty += ", " + hodnota;
    }
    r << "DatZmeny=@DatPorizeni,"
      << "Zmenil=@Autor"
      << "WHERE GUIDVazby = @GUIDVazby"
      << "ELSE"
      << "INSERT TabObecnaVazba(GUIDVazby, Systemovy" + nazvy + ", DatPorizeni, Autor)"
      << "VALUES(@GUIDVazby, 1" + hodnoty + ", @DatPorizeni, @Autor)";
    return r.Text();
}

std::string SkriptPoradiSoudku(std::span<const TplgSoudekDef> soudky) {
    std::string seznam;
    for (const auto& soudek : soudky.subspan(1))
        seznam += (seznam.empty() ? "" : ",") + N(soudek.Jmeno);
    TRadky r;
    r << "DECLARE @Offset INT, @Poradi INT"
      << "SET @Offset = 0"
      << "IF EXISTS(SELECT*FROM TabSoudkyPoradi)"
      << "BEGIN"
      // A folder listed before keeps its place; the first time the folders go after all others.
      << "SELECT @Offset = MIN(Poradi) - 1 FROM TabSoudkyPoradi WHERE Soudek IN(" + seznam + ")"
      << "IF @Offset IS NULL"
      << "SELECT @Offset = ISNULL(MAX(Poradi), 0) FROM TabSoudkyPoradi"
      << "END";
    int poradi = 0;
    for (const auto& soudek : soudky.subspan(1)) {
        const auto jmeno = N(soudek.Jmeno);
        r << Format("SET @Poradi = %d + @Offset", {std::to_string(++poradi)})
          << "IF EXISTS(SELECT*FROM TabSoudkyPoradi WHERE Soudek=" + jmeno + ")"
          << "UPDATE TabSoudkyPoradi SET Poradi=@Poradi WHERE Soudek=" + jmeno << "ELSE"
          << Format("INSERT TabSoudkyPoradi(Soudek,Poradi)VALUES(%s,@Poradi)", {jmeno});
    }
    r << "DELETE TabSoudkyPoradi WHERE Soudek NOT IN(SELECT Soudek FROM TabSoudky)";
    return r.Text();
}

std::string SkriptHlasek(std::span<const int> jazyky, const TNactiJazykovouKnihovnu& knihovna,
                         const TKontext& kontext) {
    std::vector<const THlaska*> hlasky;
    for (const auto& hlaska : TabulkaHlasek())
        if (*hlaska.Klic) hlasky.push_back(&hlaska);
    // The texts of every language that has some, read with the lookup switched to it.
    std::vector<std::pair<int, std::vector<std::string>>> texty;
    {
        TNavratJazyka navrat(knihovna);
        for (const int jazyk : jazyky) {
            if (!PrepniJazyky(jazyk, -1, knihovna)) continue;
            auto& v = texty.emplace_back(jazyk, std::vector<std::string>()).second;
            for (const auto* hlaska : hlasky)
                v.push_back(TextHlasky(hlaska->Index));
        }
    }
    TRadky r;
    r << "DECLARE @GUID BINARY(16), @Jazyk INT";
    for (std::size_t i = 0; i < hlasky.size(); ++i) {
        const auto skupina = N(hlasky[i]->Cislo > kPosledniCisloJadra ? kontext.Skupina : kSkupinaJadra);
        for (const auto& [jazyk, v] : texty) {
            const auto hlaska = N(v[i]);
            r << "SET @GUID = " + SQLGUID(hlasky[i]->Klic) << "SET @Jazyk = " + std::to_string(jazyk)
              << "IF EXISTS(SELECT*FROM TabExtHlasky WHERE GUID = @GUID AND Jazyk = @Jazyk)"
              << "UPDATE TabExtHlasky SET Hlaska=" + hlaska + ", Skupina=" + skupina +
                     " WHERE GUID = @GUID AND Jazyk = @Jazyk"
              << "ELSE"
              << "INSERT TabExtHlasky(GUID,Jazyk,Hlaska,Skupina)VALUES(@GUID,@Jazyk," + hlaska + "," +
                     skupina + ")";
        }
    }
    return r.Text();
}

std::string SkriptSkupiny(const TKontext& kontext) {
    TRadky r;
    r << Format("IF NOT EXISTS(SELECT*FROM TabSkupinaExt WHERE Skupina = %s)", {N(kontext.Skupina)})
      << Format("INSERT TabSkupinaExt(Skupina)VALUES(%0:s)", {N(kontext.Skupina)});
    return r.Text();
}

} // namespace plugin::registrace
