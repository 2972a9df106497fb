#include "plugin/core/plg_main.h"

#include "plg_run.h"

#include "plugin/core/instalator.h"
#include "plugin/core/o_pluginu.h"
#include "plugin/core/plg_konfig.h"
#include "plugin/core/spravce_tarviku.h"
#include "plugin/messages/hlasky.h"

#include <optional>
#include <stdexcept>

namespace plugin {

namespace {

//! The host's list of plug-ins, from which the plug-in's own commands come.
constexpr int kSeznamPluginu = 871;

//! Commands of the list of plug-ins (ExtKom IDs).
constexpr int kInstalace = -1;
constexpr int kOPluginu = -2;
constexpr int kTichaInstalace = -3;
constexpr int kKonfigurace = -4;
constexpr int kPrekladyNaPortal = -5;
constexpr int kPrekladyDoKnihoven = -6;

//! Messages of Run.
constexpr int kHlaskaMinimalniTarvik = 8;
constexpr int kHlaskaVerzeVDB = 57;
constexpr int kHlaskaVerzePluginu = 58;
constexpr int kHlaskaPluginNizsi = 59;
constexpr int kHlaskaSpustitInstalaci = 61;
constexpr int kHlaskaPluginVyssi = 62;
constexpr int kHlaskaChybnaInstalace = 63;
constexpr int kHlaskaMinimalniSQLServer = 105;
constexpr int kHlaskaNeocekavanaChyba = 113;
constexpr int kHlaskaPreklady = 119;

std::optional<int>& legislativa() {
    static std::optional<int> hodnota;
    return hodnota;
}

void ctiLegislativu(ITarvik& tarvik) {
    if (legislativa()) return;
    auto radky = tarvik.OpenSQL("SELECT Legislativa FROM TabHGlob");
    const auto hodnota = radky->FieldValue(0);
    legislativa() = hodnota.isNull() ? 0 : static_cast<int>(hodnota.asInt());
}

void kontrolujVerze(ITarvik& tarvik, const TPluginKonfigBase& konfigurace) {
    const auto minSQL = konfigurace.PluginMinimalniPozadovanaVerzeSQLServeru();
    if (tarvik.GetSQLServerVersion() < minSQL)
        throw std::runtime_error(
            Format(TextHlasky(kHlaskaMinimalniSQLServer), {"MS SQL Server " + NazevVerzeSQLServeru(minSQL)}));
    const auto minTarvik =
        std::max(konfigurace.PluginMinimalniPozadovanaVerzeTarviku(), kNejnizsiVerzeTarviku);
    if (tarvik.GetTarvikVersion() < minTarvik)
        throw std::runtime_error(Format(TextHlasky(kHlaskaMinimalniTarvik), {FormatVerze(minTarvik, 4)}));
}

//! The two versions as the messages of the installation record show them.
std::string verze(const TInstalace& instalace) {
    return Format("%s: %s\r%s: %s", {TextHlasky(kHlaskaVerzeVDB), instalace.VerzeVDB,
                                     TextHlasky(kHlaskaVerzePluginu), FormatVerze(kVerzePluginu, 6)});
}

} // namespace

int Legislativa() {
    return legislativa().value_or(0);
}

void NeniKDispozici(std::string_view funkce) {
    throw std::runtime_error(Format(TextHlasky(9), {funkce}));
}

void SpustPlugin(ITarvik& tarvik, TPluginKonfigBase& konfigurace) {
    PrevezmiProstredi(tarvik);
    NastavJazyky(tarvik, konfigurace);
    ctiLegislativu(tarvik);
    konfigurace.VlastniInicializacePluginu(tarvik);

    const int prehled = tarvik.GetBrowseNumber();
    const int extKomID = tarvik.GetExtKomID();
    if (prehled == kSeznamPluginu) {
        if (extKomID == kPrekladyDoKnihoven || extKomID == kPrekladyNaPortal)
            NeniKDispozici(TextHlasky(kHlaskaPreklady));
        if (extKomID == kOPluginu) {
            ZobrazOPluginu(tarvik, konfigurace);
            return;
        }
    }

    kontrolujVerze(tarvik, konfigurace);
    const auto instalace = CtiInstalaci(tarvik, konfigurace);
    if (instalace.Stav == TStavInstalace::VDatabaziVyssi)
        throw std::runtime_error(TextHlasky(kHlaskaPluginNizsi) + "\r\r" + verze(instalace));
    if (prehled == kSeznamPluginu && (extKomID == kInstalace || extKomID == kTichaInstalace)) {
        SpustInstalator(tarvik, konfigurace, extKomID == kTichaInstalace);
        return;
    }
    if (instalace.Stav == TStavInstalace::VDatabaziNizsi)
        throw std::runtime_error(TextHlasky(kHlaskaPluginVyssi) + "\r\001" +
                                 TextHlasky(kHlaskaSpustitInstalaci) + "\001\r\r" + verze(instalace));
    if (instalace.ZmenyOK != 1)
        throw std::runtime_error(TextHlasky(kHlaskaChybnaInstalace) + "\r\001" +
                                 TextHlasky(kHlaskaSpustitInstalaci) + "\001");

    if (extKomID == 0)
        konfigurace.ExtKomIDJeRovnoNule(tarvik);
    else if (extKomID == kKonfigurace)
        konfigurace.PluginConfiguration(tarvik);
    else
        SpustAkciPrehledu(tarvik, prehled, extKomID);
}

void TPluginObject::Run(ITarvik& tarvik) {
    FTarvik = &tarvik;
    auto& spravce = SpravceTarviku();
    struct TRegistrace {
        TSpravceTarviku& spravce;
        ITarvik* tarvik;
        ~TRegistrace() { spravce.OdeberTarvik(tarvik); }
    };
    std::string chyba;
    try {
        spravce.PridejTarvik(&tarvik);
        TRegistrace registrace{spravce, &tarvik};
        SpustPlugin(tarvik, Konfigurace());
        return;
    } catch (const std::exception& e) {
        chyba = e.what();
    } catch (...) {
    }
    // Only a standard exception with the user's text leaves the plug-in.
    throw std::runtime_error(chyba.empty() ? TextHlasky(kHlaskaNeocekavanaChyba) : PrelozChybu(chyba));
}

std::string TPluginObject::PartnerIdentification() {
    try {
        return Konfigurace().PartnerIdentification();
    } catch (const std::exception& e) {
        throw std::runtime_error(PrelozChybu(e.what()));
    } catch (...) {
        throw std::runtime_error(TextHlasky(kHlaskaNeocekavanaChyba));
    }
}

} // namespace plugin
