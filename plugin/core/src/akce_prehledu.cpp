#include "plugin/core/akce_prehledu.h"

#include "plg_run.h"

#include "common/ascii.h"
#include "common/sql_text.h"
#include "common/utf.h"
#include "plugin/core/plg_konfig.h"
#include "plugin/core/spravce_tarviku.h"
#include "plugin/messages/hlasky.h"

#include <algorithm>

namespace plugin {

namespace {

// The standard actions: captions, their submenu, and their keys (F2, Enter, Delete).
constexpr int kHlaskaEditace = 10;
constexpr int kHlaskaNovy = 11;
constexpr int kHlaskaOprava = 12;
constexpr int kHlaskaZrusit = 13;
constexpr int kKlavesaF2 = 113;
constexpr int kKlavesaEnter = 13;
constexpr int kKlavesaDelete = 46;

constexpr std::size_t kDelkaSkupiny = 30;
constexpr std::size_t kDelkaNapovedy = 255;

//! One action's statement, appended to the statements of the actions before it ("%s").
constexpr std::string_view kRegistraceAkce =
    "%s\r"
    "SET @GUID = CAST(CAST(%s AS uniqueidentifier) AS BINARY(16))\r"
    "IF EXISTS(SELECT*FROM TabExtKom WHERE GUID = @GUID)\r"
    "UPDATE TabExtKom SET\r"
    "Typ=3,\r"
    "IdBrowse=@Cislo,\r"
    "Popis=%s,\r"
    "UP=%s,\r"
    "ParamTa=0,\r"
    "HotKey=ISNULL(%s,HotKey),\r"
    "Skupina=%s,\r"
    "NazevPodmenu=%s,\r"
    "PoradiVPodmenu=%d,\r"
    "DatZmeny=@DatPorizeni,\r"
    "Zmenil=@Autor,\r"
    "Napoveda=%s,\r"
    "VerejnaAkce=%d\r"
    "%sWHERE GUID = @GUID\r"
    "ELSE\r"
    "INSERT TabExtKom(Typ,IdBrowse,GUID,Popis,UP,ParamTa,HotKey,\r"
    "Skupina,NazevPodmenu,PoradiVPodmenu,DatPorizeni,Autor,Napoveda,"
    "VerejnaAkce,Parametry)\r"
    "VALUES(3,@Cislo,@GUID,%2:s,%s,0,ISNULL(%s,0),%s,%s,%d,@DatPorizeni,"
    "@Autor,%s,%d,%11:s)\r"
    "IF @@ERROR<>0 GOTO CHYBAROLLBACK";

std::string TextNeboPrazdny(int index) {
    return index != 0 ? TextHlasky(index) : std::string();
}

} // namespace

TplgAkcePrehledu::TplgAkcePrehledu(ITarvik& tarvik, std::string trida, std::string editorClass,
                                   TplgBrowse browse)
    : FTarvik(tarvik)
    , FTrida(std::move(trida))
    , FBrowse(browse)
    , FTabulka(Prehledy()[browse].HlavniTabulka())
    , FPlgEditorClass(std::move(editorClass)) {
    SpravceTarviku().NastavAkce(&FTarvik, this);
    FSetrideneAtributy = EfektivniSchema().SerazeneAtributy(FTabulka);
    const auto& definice = Prehledy()[browse];
    if (!definice.GUID_ActionNew.empty())
        PridejAkciTxt("ActionNew", kHlaskaNovy, true, 0, false, "", kzpNikdy, kKlavesaF2, kHlaskaEditace,
                      std::string(definice.GUID_ActionNew), [this] { ActionNew(); });
    if (!definice.GUID_ActionEdit.empty())
        PridejAkciTxt("ActionEdit", kHlaskaOprava, true, 0, false, "", kzpNikdy, kKlavesaEnter,
                      kHlaskaEditace, std::string(definice.GUID_ActionEdit), [this] { ActionEdit(); });
    if (!definice.GUID_ActionDelete.empty())
        PridejAkciTxt("ActionDelete", kHlaskaZrusit, true, 0, false, "", kzpNikdy, kKlavesaDelete,
                      kHlaskaEditace, std::string(definice.GUID_ActionDelete), [this] { ActionDelete(); });
}

TplgAkcePrehledu::TplgAkcePrehledu(ITarvik& tarvik, std::string trida, const TplgExtAkceDef& akce)
    : TplgAkcePrehledu(tarvik, std::move(trida), std::string(akce.EditorClass), bZadny) {}

TplgAkcePrehledu::~TplgAkcePrehledu() {
    SpravceTarviku().NastavAkce(&FTarvik, nullptr);
}

void TplgAkcePrehledu::Pridej(TplgAkctionContainer akce) {
    FSeznamAkci.push_back(std::move(akce));
}

void TplgAkcePrehledu::PridejAkci(std::string nazevSys, std::string nazev, bool verejna,
                                  std::string parametry, TKdyZapsatParametry kdyZapsatParametry, int hotKey,
                                  std::string nazevPodmenu, std::string guid, std::function<void()> akce) {
    TplgAkctionContainer a;
    a.NazevSys = std::move(nazevSys);
    a.Nazev = std::move(nazev);
    a.Verejna = verejna;
    a.Parametry = std::move(parametry);
    a.KdyZapsatParametry = kdyZapsatParametry;
    a.HotKey = hotKey;
    a.NazevPodmenu = std::move(nazevPodmenu);
    a.GUID = std::move(guid);
    a.Akce = std::move(akce);
    Pridej(std::move(a));
}

void TplgAkcePrehledu::PridejAkciTxt(std::string nazevSys, int nazevTxt, bool verejna, int napovedaTxt,
                                     bool pridatOddelovacMenu, std::string parametry,
                                     TKdyZapsatParametry kdyZapsatParametry, int hotKey, int nazevPodmenuTxt,
                                     std::string guid, std::function<void()> akce) {
    TplgAkctionContainer a;
    a.NazevSys = std::move(nazevSys);
    a.NazevTxt = nazevTxt;
    a.Nazev = TextNeboPrazdny(nazevTxt);
    a.Verejna = verejna;
    a.NapovedaTxt = napovedaTxt;
    a.Napoveda = TextNeboPrazdny(napovedaTxt);
    a.PridatOddelovacMenu = pridatOddelovacMenu;
    a.Parametry = std::move(parametry);
    a.KdyZapsatParametry = kdyZapsatParametry;
    a.HotKey = hotKey;
    a.NazevPodmenuTxt = nazevPodmenuTxt;
    a.NazevPodmenu = TextNeboPrazdny(nazevPodmenuTxt);
    a.GUID = std::move(guid);
    a.Akce = std::move(akce);
    Pridej(std::move(a));
}

void TplgAkcePrehledu::PridejAkci(const TplgAkceDef& d, std::function<void()> akce) {
    TplgAkctionContainer a;
    a.NazevSys = d.NazevSys;
    a.NazevTxt = d.NazevTxt;
    a.Nazev = d.NazevTxt != 0 ? TextHlasky(d.NazevTxt) : std::string(d.Nazev);
    a.Verejna = d.Verejna;
    a.NapovedaTxt = d.NapovedaTxt;
    a.Napoveda = TextNeboPrazdny(d.NapovedaTxt);
    a.PridatOddelovacMenu = d.PridatOddelovacMenu;
    a.Parametry = d.Parametry;
    a.KdyZapsatParametry = d.KdyZapsatParametry;
    a.HotKey = d.HotKey;
    a.NazevPodmenuTxt = d.NazevPodmenuTxt;
    a.NazevPodmenu = d.NazevPodmenuTxt != 0 ? TextHlasky(d.NazevPodmenuTxt) : std::string(d.NazevPodmenu);
    a.GUID = d.GUID;
    a.Akce = std::move(akce);
    Pridej(std::move(a));
}

const TplgAkctionContainer* TplgAkcePrehledu::Najdi(std::string_view guid) const {
    for (const auto& akce : FSeznamAkci)
        if (common::EqualsIgnoreCaseAscii(akce.GUID, guid)) return &akce;
    return nullptr;
}

std::string TplgAkcePrehledu::SpustAkci(std::string_view guidAkce) {
    if (common::EqualsIgnoreCaseAscii(guidAkce, kGUIDRegistraceAkci)) return RegistracniSkript();
    if (const auto* akce = Najdi(guidAkce); akce && akce->Akce) {
        // The procedure may register further actions; keep its own copy.
        const auto procedura = akce->Akce;
        procedura();
    }
    return {};
}

std::string TplgAkcePrehledu::RegistracniSkript() const {
    const auto& konfigurace = Konfigurace();
    const auto up =
        common::SqlNString(konfigurace.PluginSystemoveJmeno() + "." + konfigurace.PluginClassName());
    const auto skupina =
        common::SqlNString(common::Utf8Left(konfigurace.PluginVerejneJmeno(), kDelkaSkupiny));
    std::string skript;
    int poradi = 0;
    for (const auto& a : FSeznamAkci) {
        auto popis = KlicPopisku(a.NazevTxt, a.Nazev);
        if (a.PridatOddelovacMenu && !popis.starts_with("-")) popis = "-" + popis;
        const auto parametry = common::SqlNString(a.Parametry);
        const auto zmena = a.KdyZapsatParametry == kzpInsertUpdate ? ",Parametry=" + parametry + "\r" : "";
        const auto vlozeni = a.KdyZapsatParametry == kzpNikdy ? common::SqlNString("") : parametry;
        skript = Format(
            kRegistraceAkce,
            {skript, common::SqlNString(a.GUID), common::SqlNString(popis), up,
             a.HotKey != 0 ? std::to_string(a.HotKey) : "NULL", skupina,
             common::SqlNString(KlicPopisku(a.NazevPodmenuTxt, a.NazevPodmenu)), std::to_string(++poradi),
             common::SqlNString(common::Utf8Left(KlicPopisku(a.NapovedaTxt, a.Napoveda), kDelkaNapovedy)),
             a.Verejna ? "1" : "0", zmena, vlozeni});
    }
    return skript;
}

bool TplgAkcePrehledu::JePrehledPluginu() {
    const auto jmeno = FTarvik.GetBrowseSysName();
    return jmeno.size() >= 4 && common::EqualsIgnoreCaseAscii(std::string_view(jmeno).substr(0, 4), "hvw_");
}

void TplgAkcePrehledu::NeniKDispozici(std::string_view nazevAkce) const {
    if (nazevAkce.starts_with("-")) nazevAkce.remove_prefix(1);
    plugin::NeniKDispozici(std::string(nazevAkce) + " (" + FTrida + ")");
}

void TplgAkcePrehledu::ActionNew() {
    NeniKDispozici(TextHlasky(kHlaskaNovy));
}

void TplgAkcePrehledu::ActionEdit() {
    NeniKDispozici(TextHlasky(kHlaskaOprava));
}

void TplgAkcePrehledu::ActionDelete() {
    NeniKDispozici(TextHlasky(kHlaskaZrusit));
}

std::string TplgAkcePrehledu::AfterInsertSkript() {
    return {};
}

std::string TplgAkcePrehledu::AfterUpdateSkript() {
    return {};
}

} // namespace plugin
