#pragma once
//! The installation run: brings the host database to the state the plug-in needs and records the
//! installed version. It works through a fixed list of steps (change scripts, registrations,
//! tables, columns, keys, defaults and checks, foreign keys, triggers, indexes, procedures,
//! functions); every group of changes is shown in the change dialog and runs only after
//! confirmation. All SQL goes through the host interface.

#include "plugin/definitions/schema.h"
#include "plugin/definitions/sql_objects.h"
#include "plugin/host/tarvik_interface.h"
#include "plugin/install/konfigurace_instalace.h"
#include "plugin/install/kontrola_schematu.h"
#include "plugin/install/kroky.h"
#include "plugin/install/okno_instalace.h"
#include "plugin/install/registrace.h"
#include "plugin/install/zaznam_instalace.h"

#include <memory>
#include <span>
#include <string>
#include <vector>

namespace plugin {

//! The definitions an installation brings into the database.
struct TDefiniceInstalace {
    const TplgSchema* Schema = nullptr;
    std::span<const TplgUlozenaProcedura> Procedury;
    std::span<const TplgUzivatelskaFunkce> Funkce;
    std::span<const TplgExterniTrigger> Triggery;
    std::span<const TplgZmenovySkript> ZmenoveSkripty;
    //! Steps 2 and 10; nullptr: only the plug-in's own installation data script.
    IRegistrace* Registrace = nullptr;

    //! The plug-in's own definitions.
    static TDefiniceInstalace Pluginu();
};

//! How an installation ended.
enum class TKonecInstalace : std::uint8_t {
    Hotovo,                  //!< everything ran; the record holds the new version with ZmenyOK 1
    Zrusena,                 //!< the user cancelled a dialog; ZmenyOK stays 0
    Chyba,                   //!< a statement or a catalog read failed; ZmenyOK stays 0
    VlastniInstalaceSelhala, //!< the plug-in's own installation step reported failure
};

struct TplgVysledekInstalace {
    TKonecInstalace Konec = TKonecInstalace::Zrusena;
    std::string Text; //!< the error's text for Chyba
};

class TplgInstalace {
public:
    TplgInstalace(ITarvik& tarvik, const TInstalacniKonfigurace& konfigurace,
                  const TDefiniceInstalace& definice, IOknoInstalace& okno, bool ticha);
    ~TplgInstalace();

    //! What the window does when it is shown: reads the host's legislation and registers the
    //! twelve steps.
    void Priprav();
    //! Runs the installation ("Spustit").
    TplgVysledekInstalace Spustit();
    //! True while the installation runs; the window cannot be closed then.
    bool Pracuji() const { return pracuji_; }
    bool Ticha() const { return ticha_; }
    const TplgKrokyInstalace& Kroky() const { return kroky_; }
    //! The state the steps share (databases, legislation, the last statement's failure).
    const TplgStavInstalace& Stav() const { return stav_; }
    //! The title line "Kontrola pluginu <public name> (<display version>)".
    std::string Titulek() const;

private:
    bool SpustKrok(std::size_t index);
    bool SpustSkupinu(std::initializer_list<std::size_t> kroky);
    bool KonecKontroly(const Tx& kontrola);
    TplgObsahDialogu ObsahZmenovychSkriptu(std::string nadpis, const TplgSberSkriptu& sber) const;
    void NastavTestovanouDB(const std::string& databaze);
    //! A statement or query for the database under check: switched to it when the objects live
    //! in more than one database.
    std::string Prepni(std::string sql) const;
    std::unique_ptr<ITaQuery> Dotaz(const std::string& sql);
    std::vector<std::string> SeznamDatabazi() const;
    void Zurnal(int kod, const std::string& text);
    void ZapisVerzi(const std::string& verze, int zmenyOK);

    // The operations of the steps.
    bool ZmenoveSkripty();
    bool PrevodDoUnicode();
    bool KontrolaTabulek();
    bool KontrolaAtributu();
    bool KontrolaPK_UQ();
    bool KontrolaDefaultu();
    bool KontrolaFK();
    bool KontrolaTriggeru();
    bool KontrolaIndexu();
    bool KontrolaProcedur(bool funkce);

    ITarvik& tarvik_;
    const TInstalacniKonfigurace& konfigurace_;
    TDefiniceInstalace definice_;
    IOknoInstalace& okno_;
    bool ticha_;
    TplgStavInstalace stav_;
    std::unique_ptr<IRegistrace> vlastniRegistrace_;
    TplgKrokyInstalace kroky_;
    bool pracuji_ = false;
    std::string aktVerze_;              // FAktVerze
    std::vector<std::string> databaze_; // databases the objects live in
    std::vector<TplgTabulka> tabulky_;  // FSLTabs of the database under check
    std::string tabWhere_;              // FTabWhere
    std::unique_ptr<Tx> lokT_;          // FLokT
    std::uint32_t verzeServeru_ = 0;
};

//! True when the host process was started for a silent installation: an argument of at least
//! three characters that starts with "-" or "/" and has "XX" (any case) as its second and third.
bool TichaInstalaceZPrikazoveRadky(const std::vector<std::string>& argumenty);

//! The arguments of the running process (empty when they cannot be read).
std::vector<std::string> ArgumentyProcesu();

} // namespace plugin
