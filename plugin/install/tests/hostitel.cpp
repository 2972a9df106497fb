#include "hostitel.h"

#include "hodnoty.h"
#include "pocitadlo_tarvik.h"
#include "testovaci_schema.h"

#include "plugin/core/instalator.h"
#include "plugin/core/plg_konfig.h"
#include "plugin/install/dialog_zmen.h"

#include "common/testing/temp_folder.h"
#include "standins/tarvik/host_tarvik.h"
#include "standins/tarvik/runner.h"
#include "tsql/backend.h"

#include <atomic>
#include <cstdlib>
#include <sstream>

namespace plugin::testing {

namespace {

namespace fs = std::filesystem;
using platform::db::Value;

//! The demo host database, copied for each test: the one ctest made for all test processes
//! (PLUGIN_INSTALL_DEMO), or one made once per process.
const fs::path& Sablona() {
    static const common::testing::TempFolder slozka("plugin-install-template");
    static const fs::path soubor = [] {
        if (const char* spolecna = std::getenv("PLUGIN_INSTALL_DEMO"); spolecna && fs::exists(spolecna))
            return fs::path(spolecna);
        auto cesta = slozka.path() / "demo.db";
        standins::tarvik::createHostDatabase(cesta, true, {});
        return cesta;
    }();
    return soubor;
}

std::string Text(const Value& hodnota) {
    if (hodnota.kind() == platform::db::ValueKind::Bytes) {
        std::string hex = "0x";
        for (const auto bajt : hodnota.asBytes()) {
            constexpr char kCislice[] = "0123456789ABCDEF";
            hex += kCislice[bajt >> 4];
            hex += kCislice[bajt & 15];
        }
        return hex;
    }
    return hodnota.isNull() ? "NULL" : instalace::Text(hodnota);
}

//! A window of the installation that answers every change dialog as the test decided and runs
//! the statements as the change dialog does.
class TOknoTestu : public IOknoInstalace {
public:
    TOknoTestu(ITarvik& tarvik, const TRozhodnuti& rozhodnuti, std::vector<std::string>& dialogy)
        : tarvik_(tarvik)
        , rozhodnuti_(rozhodnuti)
        , dialogy_(dialogy) {}
    void ZobrazKrok(std::string_view) override {}
    void NastavRozsah(int) override {}
    void PosunPrubeh() override {}
    void UkonciHostitele() override {}
    TplgVysledekDialogu ZobrazZmeny(TplgObsahDialogu& obsah) override {
        dialogy_.push_back(obsah.Text());
        const auto odpoved =
            rozhodnuti_ ? rozhodnuti_(static_cast<int>(dialogy_.size()) - 1, obsah) : TOdpoved::Provest;
        if (odpoved == TOdpoved::Zrusit) return {TKonecDialogu::Zruseno, {}};
        if (const auto chyba = ProvedPrikazy(tarvik_, obsah.PrikazyKProvedeni()))
            return {TKonecDialogu::Chyba, *chyba};
        return {TKonecDialogu::Provedeno, {}};
    }

private:
    ITarvik& tarvik_;
    const TRozhodnuti& rozhodnuti_;
    std::vector<std::string>& dialogy_;
};

} // namespace

TVystupTarviku Tarvik(const THostitel& hostitel, std::vector<std::string> argumenty,
                      const std::string& knihovna) {
    argumenty.insert(argumenty.begin() + 1, {"--db", hostitel.Soubor().string(), "--plugin", knihovna});
    std::ostringstream out, err;
    const int status = standins::tarvik::runTarvik(argumenty, out, err);
    return {status, out.str(), err.str()};
}

THostitel::THostitel() {
    static std::atomic<int> poradi{0};
    const auto& sablona = Sablona();
    slozka_ = fs::temp_directory_path() /
              ("plugin-install-" + std::to_string(::getpid()) + "-" + std::to_string(poradi++));
    fs::create_directories(slozka_);
    soubor_ = slozka_ / "host.db";
    fs::copy_file(sablona, soubor_);
    tsql::registerEmbeddedBackend();
    spojeni_ = platform::db::connect(standins::tarvik::hostDatabaseDescription(soubor_));
}

THostitel::~THostitel() {
    spojeni_.reset();
    std::error_code ignorovano;
    fs::remove_all(slozka_, ignorovano);
}

void THostitel::Proved(const std::string& sql) {
    spojeni_->execute(sql);
}

std::vector<std::string> THostitel::Sloupec(const std::string& sql) {
    std::vector<std::string> hodnoty;
    const auto vysledek = spojeni_->execute(sql);
    if (vysledek.resultSets.empty()) return hodnoty;
    for (const auto& radek : vysledek.resultSets.front().rows())
        hodnoty.push_back(Text(radek.at(0)));
    return hodnoty;
}

std::vector<std::string> THostitel::Radky(const std::string& sql) {
    std::vector<std::string> radky;
    const auto vysledek = spojeni_->execute(sql);
    if (vysledek.resultSets.empty()) return radky;
    for (const auto& radek : vysledek.resultSets.front().rows()) {
        std::string text;
        for (std::size_t i = 0; i < radek.size(); ++i)
            text += (i ? "|" : "") + Text(radek.at(i));
        radky.push_back(std::move(text));
    }
    return radky;
}

std::string THostitel::Hodnota(const std::string& sql) {
    const auto hodnoty = Sloupec(sql);
    return hodnoty.empty() ? std::string("<no row>") : hodnoty.front();
}

std::string THostitel::Katalog(const std::vector<std::string>& tabulky) {
    std::string seznam;
    for (const auto& tabulka : tabulky)
        seznam += (seznam.empty() ? "'" : ",'") + tabulka + "'";
    const std::string dotazy[] = {
        "SELECT o.name, c.name, t.name, c.prec, c.scale, c.isnullable, c.iscomputed, "
        "COLUMNPROPERTY(o.id, c.name, 'IsIdentity'), cm.text "
        "FROM sysobjects o JOIN syscolumns c ON c.id = o.id JOIN systypes t ON t.xusertype = c.xusertype "
        "LEFT JOIN syscomments cm ON cm.id = c.id AND cm.number = c.colid "
        "WHERE o.xtype = 'U' AND o.name IN (" +
            seznam + ") ORDER BY o.name, c.name",
        "SELECT o.name, o.xtype, p.name, c.text, OBJECTPROPERTY(o.id, 'CnstIsDisabled'), "
        "OBJECTPROPERTY(o.id, 'ExecIsTriggerDisabled') "
        "FROM sysobjects o JOIN sysobjects p ON p.id = o.parent_obj LEFT JOIN syscomments c ON c.id = o.id "
        "WHERE p.name IN (" +
            seznam + ", 'TabZeme') ORDER BY o.name",
        "SELECT OBJECT_NAME(constid), OBJECT_NAME(fkeyid), OBJECT_NAME(rkeyid), COL_NAME(fkeyid, fkey1), "
        "COL_NAME(rkeyid, rkey1) FROM sysreferences ORDER BY 1",
        "SELECT OBJECT_NAME(id), name, INDEXPROPERTY(id, name, 'IsClustered'), INDEX_COL(OBJECT_NAME(id), "
        "indid, 1) "
        "FROM sysindexes WHERE indid BETWEEN 1 AND 254 AND OBJECT_NAME(id) IN (" +
            seznam + ") ORDER BY 1, 2",
        "SELECT o.name, c.text FROM sysobjects o JOIN syscomments c ON c.id = o.id "
        "WHERE o.xtype IN ('P', 'FN') AND o.name LIKE '%QUELTA%' "
        "ORDER BY o.name, c.colid",
    };
    std::ostringstream katalog;
    for (const auto& dotaz : dotazy) {
        const auto vysledek = spojeni_->execute(dotaz);
        for (const auto& radek : vysledek.resultSets.front().rows()) {
            for (const auto& hodnota : radek)
                katalog << Text(hodnota) << '|';
            katalog << '\n';
        }
        katalog << "--\n";
    }
    return katalog.str();
}

TBeh THostitel::Instaluj(const TDefiniceInstalace& definice, const TInstalacniKonfigurace& konfigurace,
                         const TRozhodnuti& rozhodnuti) {
    standins::tarvik::ScriptedFrontEnd frontEnd;
    standins::tarvik::BrowseState stav;
    stav.browse = 871;
    stav.extKomId = -3;
    standins::tarvik::HostTarvik host(*spojeni_, frontEnd, stav);
    TPocitadloTarvik tarvik(host);
    TBeh beh;
    TOknoTestu okno(tarvik, rozhodnuti, beh.Dialogy);
    TplgInstalace instalace(tarvik, konfigurace, definice, okno, true);
    instalace.Priprav();
    beh.Vysledek = instalace.Spustit();
    beh.Prikazy = tarvik.Prikazy;
    beh.Dotazy = tarvik.Dotazy;
    for (const auto& zprava : frontEnd.transcript())
        beh.Zpravy.push_back(zprava.describe());
    beh.HostCalls = host.hostCalls();
    return beh;
}

const TInstalacniKonfigurace& KonfiguracePluginu() {
    static const auto konfigurace = KonfiguraceInstalace(Konfigurace());
    return konfigurace;
}

TInstalacniKonfigurace KonfiguraceTestu() {
    auto konfigurace = KonfiguracePluginu();
    konfigurace.VlastniInstalacniSkript.clear();
    return konfigurace;
}

TDefiniceInstalace DefiniceTestu() {
    TDefiniceInstalace definice;
    definice.Schema = &TestovaciSchema();
    definice.Procedury = TestovaciProcedury();
    definice.Triggery = TestovaciTriggery();
    definice.ZmenoveSkripty = ZmenoveSkripty();
    return definice;
}

std::vector<std::string> TabulkyTestu() {
    return {"TabQUELTATestA", "TabQUELTATestB"};
}

std::vector<std::string> TabulkyPluginu() {
    std::vector<std::string> tabulky;
    const auto& schema = EfektivniSchema();
    for (int i = schema.PrvniTabulka(); i <= schema.PosledniTabulka(); ++i)
        tabulky.emplace_back(schema.JmenoSys(static_cast<TplgTabulka>(i)));
    return tabulky;
}

} // namespace plugin::testing
