// The installation run: the record of the installed version, the steps in their order, the
// change scripts and the journal.

#include "plugin/install/instalace.h"

#include "plugin/definitions/tables.h"
#include "plugin/messages/hlasky.h"

#include "common/sql_text.h"

#include "hodnoty.h"
#include "texty.h"

#include <algorithm>

namespace plugin {

namespace {

// Captions and texts of the run (message indexes).
constexpr int kTitulek = 18;
constexpr int kZmenoveSkripty = 20;
constexpr int kKontrolaTabulek = 21;
constexpr int kKontrolaAtributu = 22;
constexpr int kKontrolaKlicu = 23;
constexpr int kKontrolaOmezeni = 24;
constexpr int kKontrolaCizichKlicu = 25;
constexpr int kKontrolaProcedur = 26;
constexpr int kKontrolaTriggeru = 27;
constexpr int kKontrolaIndexu = 28;
constexpr int kKontrolaRegistraci = 29;
constexpr int kImportFormularu = 30;
constexpr int kUpdateZVerze = 32;
constexpr int kPocetSkriptu = 33;
constexpr int kHotovo = 34;
constexpr int kAplikaceBudeUkoncena = 35;
constexpr int kNadpisZmen = 36;
constexpr int kInstalace = 96;
constexpr int kKontrolaExtAtributu = 111;
constexpr int kKontrolaFunkci = 133;
constexpr int kPrevodDoUnicode = 134;
constexpr int kVlastniInstalace = 138;
constexpr int kHotovoMale = 139;

//! The host application's name in the closing message.
constexpr std::string_view kNazevHostitele = "Tarvik";

//! Steps of the two checker groups and the progress bar's range.
constexpr int kKrokuVeSkupinach = 9;
constexpr int kRozsahPrubehu = 13;

bool PlatiLegislativa(const TplgLegislativy& legislativy, int legislativa) {
    return legislativy.Plati(legislativa);
}

} // namespace

TDefiniceInstalace TDefiniceInstalace::Pluginu() {
    return {&EfektivniSchema(), UlozeneProcedury(),       UzivatelskeFunkce(),
            ExterniTriggery(),  plugin::ZmenoveSkripty(), nullptr};
}

TplgInstalace::TplgInstalace(ITarvik& tarvik, const TInstalacniKonfigurace& konfigurace,
                             const TDefiniceInstalace& definice, IOknoInstalace& okno, bool ticha)
    : tarvik_(tarvik)
    , konfigurace_(konfigurace)
    , definice_(definice)
    , okno_(okno)
    , ticha_(ticha)
    , stav_(tarvik, konfigurace, okno) {
    if (!definice_.Schema) definice_.Schema = &EfektivniSchema();
    if (!definice_.Registrace) {
        vlastniRegistrace_ = std::make_unique<TplgVlastniSkriptRegistrace>();
        definice_.Registrace = vlastniRegistrace_.get();
    }
}

TplgInstalace::~TplgInstalace() = default;

std::string TplgInstalace::Titulek() const {
    return Format(TextHlasky(kTitulek), {konfigurace_.Identita.VerejneJmeno, konfigurace_.ZobrazovanaVerze});
}

void TplgInstalace::Priprav() {
    auto radky = tarvik_.OpenSQL("SELECT Legislativa FROM TabHGlob");
    stav_.Legislativa = instalace::Cislo(radky->FieldValue(0));
    auto& registrace = *definice_.Registrace;
    kroky_ = {};
    kroky_.Registruj(TextHlasky(kZmenoveSkripty), [this] { return ZmenoveSkripty(); });
    kroky_.Registruj(TextHlasky(kKontrolaExtAtributu),
                     [this, &registrace] { return registrace.KontrolaExternichAtributu(stav_); });
    kroky_.Registruj(TextHlasky(kKontrolaTabulek), [this] { return KontrolaTabulek(); });
    kroky_.Registruj(TextHlasky(kKontrolaAtributu), [this] { return KontrolaAtributu(); });
    kroky_.Registruj(TextHlasky(kKontrolaKlicu), [this] { return KontrolaPK_UQ(); });
    kroky_.Registruj(TextHlasky(kKontrolaOmezeni), [this] { return KontrolaDefaultu(); });
    kroky_.Registruj(TextHlasky(kKontrolaCizichKlicu), [this] { return KontrolaFK(); });
    kroky_.Registruj(TextHlasky(kKontrolaTriggeru), [this] { return KontrolaTriggeru(); });
    kroky_.Registruj(TextHlasky(kKontrolaIndexu), [this] { return KontrolaIndexu(); });
    kroky_.Registruj(TextHlasky(kKontrolaRegistraci),
                     [this, &registrace] { return registrace.KontrolaRegistraci(stav_); });
    kroky_.Registruj(TextHlasky(kKontrolaProcedur), [this] { return KontrolaProcedur(false); });
    kroky_.Registruj(TextHlasky(kKontrolaFunkci), [this] { return KontrolaProcedur(true); });
}

TplgVysledekInstalace TplgInstalace::Spustit() {
    if (kroky_.Pocet() == 0) Priprav();
    pracuji_ = true;
    struct TKonecPrace {
        bool& pracuji;
        ~TKonecPrace() { pracuji = false; }
    } konecPrace{pracuji_};
    const auto chyba = [this](std::string text) {
        // The journal records the failure; the installation record keeps ZmenyOK 0.
        const auto zaznam =
            Format("%s %s - %s", {TextHlasky(kInstalace), "ERROR", konfigurace_.ZobrazovanaVerze});
        try {
            Zurnal(kZurnalInstalace, zaznam);
        } catch (const std::exception& e) {
            text += (text.empty() ? "" : "\r\r") + std::string(e.what());
        }
        return TplgVysledekInstalace{text.empty() ? TKonecInstalace::Zrusena : TKonecInstalace::Chyba,
                                     text.empty() ? text : zaznam + "\r\r" + text};
    };
    try {
        auto verze = tarvik_.OpenSQL(TextCteniVerze(konfigurace_.Identita.SystemoveJmeno));
        aktVerze_ = instalace::Text(verze->FieldValue(0));
        // From here an interrupted installation shows on the next start.
        ZapisVerzi(aktVerze_, 0);
        stav_.AktDB = instalace::Text(tarvik_.OpenSQL("SELECT DB_NAME()")->FieldValue(0));
        stav_.TestDB = stav_.AktDB;
        verzeServeru_ = tarvik_.GetSQLServerVersion();
        databaze_ = SeznamDatabazi();
        okno_.NastavRozsah(kRozsahPrubehu + static_cast<int>(databaze_.size() - 1) * (kKrokuVeSkupinach + 2));
        stav_.Chyba.clear();
        const bool uspech = SpustKrok(0) && SpustKrok(1) && SpustSkupinu({2, 3, 4, 5, 6, 7, 8}) &&
                            SpustKrok(9) && SpustSkupinu({10, 11});
        if (!uspech) return chyba(stav_.Chyba);

        okno_.ZobrazKrok(TextHlasky(kVlastniInstalace));
        if (konfigurace_.VlastniInstalacniProcedura && !konfigurace_.VlastniInstalacniProcedura(tarvik_))
            return {TKonecInstalace::VlastniInstalaceSelhala, {}};

        okno_.ZobrazKrok(TextHlasky(kHotovo));
        ZapisVerzi(konfigurace_.Verze, 1);
        Zurnal(kZurnalInstalace,
               Format("%s %s - %s", {TextHlasky(kInstalace), "OK", konfigurace_.ZobrazovanaVerze}));

        okno_.ZobrazKrok(TextHlasky(kImportFormularu));
        okno_.PosunPrubeh();
        if (konfigurace_.ImportFormularu) konfigurace_.ImportFormularu(tarvik_);

        okno_.ZobrazKrok(Format("===  %s  ===", {TextHlasky(kHotovoMale)}));
    } catch (const std::exception& e) {
        return chyba(e.what());
    }
    pracuji_ = false;
    if (!ticha_) {
        tarvik_.ShowInfo(Format(TextHlasky(kAplikaceBudeUkoncena), {kNazevHostitele}));
        okno_.UkonciHostitele();
    }
    return {TKonecInstalace::Hotovo, {}};
}

bool TplgInstalace::SpustKrok(std::size_t index) {
    const auto& krok = kroky_[index];
    okno_.ZobrazKrok(krok.Popis);
    okno_.PosunPrubeh();
    tarvik_.ExecSQL(Format("/* %s */", {krok.Popis}));
    return krok.Operace();
}

bool TplgInstalace::SpustSkupinu(std::initializer_list<std::size_t> kroky) {
    lokT_ = std::make_unique<Tx>(*definice_.Schema, verzeServeru_);
    bool uspech = true;
    for (std::size_t i = 0; i < databaze_.size() && uspech; ++i) {
        NastavTestovanouDB(databaze_[i]);
        for (const auto krok : kroky)
            if (!(uspech = SpustKrok(krok))) break;
    }
    // The host's connection goes back to its own database, also after a failed step.
    if (databaze_.size() > 1) {
        NastavTestovanouDB(stav_.AktDB);
        tarvik_.ExecSQL(TextUse(stav_.AktDB));
    }
    return uspech && KonecKontroly(*lokT_);
}

TplgObsahDialogu TplgInstalace::ObsahZmenovychSkriptu(std::string nadpis, const TplgSberSkriptu& sber) const {
    TplgObsahDialogu obsah = ObsahZRegistrace(std::move(nadpis), konfigurace_.ZobrazovanaVerze,
                                              konfigurace_.Identita.SystemoveJmeno, {});
    for (const auto& skript : sber.Skripty) {
        TplgUzelDialogu uzel;
        uzel.Druh = TDruhUzlu::Polozka;
        uzel.Text = Format("skript: %s", {skript.Verze});
        for (const auto* prikaz : {&skript.Transakce, &skript.Zaznam}) {
            const int id = static_cast<int>(obsah.Prikazy.size()) + 1;
            obsah.Prikazy.push_back({id, *prikaz});
            uzel.Prikazy.push_back(id);
        }
        obsah.Koren.Deti.push_back(std::move(uzel));
    }
    return obsah;
}

bool TplgInstalace::KonecKontroly(const Tx& kontrola) {
    if (kontrola.Skript().Prazdny()) return true;
    auto obsah = ObsahZKontroly(TextHlasky(kNadpisZmen), konfigurace_.ZobrazovanaVerze,
                                konfigurace_.Identita.SystemoveJmeno, kontrola.SL_Tab(), kontrola.SL_UProc(),
                                kontrola.Skript().Prikazy());
    return stav_.ZobrazZmeny(obsah);
}

void TplgInstalace::NastavTestovanouDB(const std::string& databaze) {
    stav_.TestDB = databaze;
    tabulky_.clear();
    tabWhere_.clear();
    const auto& schema = *definice_.Schema;
    for (int i = schema.PrvniTabulka(); i <= schema.PosledniTabulka(); ++i) {
        const auto* tabulka = schema.Tabulka(static_cast<TplgTabulka>(i));
        if (!tabulka || !JeInstalovatelna(*tabulka, stav_.Legislativa, stav_.AktDB, databaze)) continue;
        tabulky_.push_back(tabulka->SelfIdent);
        tabWhere_ += (tabWhere_.empty() ? "" : ",") + common::SqlNString(tabulka->JmenoSys);
    }
    if (lokT_) {
        lokT_->NastavDatabazi(databaze, databaze_.size() > 1);
        lokT_->NastavTabulky(tabulky_);
    }
}

std::string TplgInstalace::Prepni(std::string sql) const {
    return databaze_.size() > 1 ? PrepniDatabazi(stav_.TestDB, sql) : sql;
}

std::unique_ptr<ITaQuery> TplgInstalace::Dotaz(const std::string& sql) {
    return tarvik_.OpenSQL(Prepni(sql));
}

std::vector<std::string> TplgInstalace::SeznamDatabazi() const {
    std::vector<std::string> seznam{stav_.AktDB};
    const auto pridej = [&](std::string_view databaze) {
        const std::string jmeno(databaze.empty() ? std::string_view(stav_.AktDB) : databaze);
        for (const auto& znama : seznam)
            if (instalace::StejneBezVelikosti(znama, jmeno)) return;
        seznam.push_back(jmeno);
    };
    const auto& schema = *definice_.Schema;
    for (int i = schema.PrvniTabulka(); i <= schema.PosledniTabulka(); ++i)
        if (const auto* tabulka = schema.Tabulka(static_cast<TplgTabulka>(i));
            tabulka && PlatiLegislativa(tabulka->Legislativa, stav_.Legislativa))
            pridej(tabulka->Databaze);
    for (std::size_t i = 1; i < definice_.Procedury.size(); ++i)
        if (PlatiLegislativa(definice_.Procedury[i].Legislativa, stav_.Legislativa))
            pridej(definice_.Procedury[i].Databaze);
    for (std::size_t i = 1; i < definice_.Funkce.size(); ++i)
        if (PlatiLegislativa(definice_.Funkce[i].Legislativa, stav_.Legislativa))
            pridej(definice_.Funkce[i].Databaze);
    return seznam;
}

void TplgInstalace::Zurnal(int kod, const std::string& text) {
    tarvik_.ExecSQL(TextZapisuDoZurnalu(konfigurace_.Identita.SystemoveJmeno, kod, text));
}

void TplgInstalace::ZapisVerzi(const std::string& verze, int zmenyOK) {
    tarvik_.ExecSQL(TextZapisuVerze(verze, konfigurace_.Identita, zmenyOK));
}

bool TplgInstalace::ZmenoveSkripty() {
    // A first installation has nothing to bring up to date.
    if (aktVerze_ <= kZadnaVerze) return true;
    std::size_t od = 1;
    for (;;) {
        const auto sber = SeberZmenoveSkripty(definice_.ZmenoveSkripty, aktVerze_, konfigurace_.Identita, od);
        if (!sber.Skripty.empty()) {
            const auto& posledni = sber.Skripty.back().Verze;
            auto obsah =
                ObsahZmenovychSkriptu(Format(TextHlasky(kUpdateZVerze), {aktVerze_, posledni}), sber);
            if (!stav_.ZobrazZmeny(obsah)) return false;
            Zurnal(kZurnalZmenoveSkripty, Format("%s " + TextHlasky(kPocetSkriptu),
                                                 {posledni, std::to_string(sber.Skripty.size())}));
            aktVerze_ = posledni;
        }
        if (sber.Unicode == 0) return true;
        aktVerze_ = TextVerze(definice_.ZmenoveSkripty[sber.Unicode].PlatiOd);
        if (!PrevodDoUnicode()) return false;
        od = sber.Unicode + 1;
    }
}

bool TplgInstalace::PrevodDoUnicode() {
    const auto& schema = *definice_.Schema;
    for (const auto& databaze : databaze_) {
        std::string id;
        for (int i = schema.PrvniTabulka(); i <= schema.PosledniTabulka(); ++i) {
            const auto* tabulka = schema.Tabulka(static_cast<TplgTabulka>(i));
            if (!tabulka || (tabulka->DalsiVlastnosti & tdvBezPrevoduUnicode) != 0 ||
                !JeInstalovatelna(*tabulka, stav_.Legislativa, stav_.AktDB, databaze))
                continue;
            stav_.TestDB = databaze;
            const auto objekt = Dotaz(Format("SELECT OBJECT_ID(%s,'U')",
                                             {common::SqlNString("dbo." + std::string(tabulka->JmenoSys))}))
                                    ->FieldValue(0);
            if (!objekt.isNull()) id += (id.empty() ? "" : ",") + instalace::Text(objekt);
        }
        stav_.TestDB = stav_.AktDB;
        tarvik_.NotifyTables(id);
    }
    ZapisVerzi(aktVerze_, 0);
    Zurnal(kZurnalUnicode, Format("%s %s", {aktVerze_, TextHlasky(kPrevodDoUnicode)}));
    return true;
}

} // namespace plugin
