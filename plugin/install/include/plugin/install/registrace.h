#pragma once
//! The two installation steps that register the plug-in with the host: step 2, the external
//! attributes, and step 10, browses, views, actions, relations, folders, messages and the plug-in's
//! own installation data script. Each collects its statements as registration items and shows
//! them in the change dialog; nothing runs before the user confirms.

#include "plugin/host/tarvik_interface.h"
#include "plugin/install/konfigurace_instalace.h"
#include "plugin/install/obsah_dialogu.h"
#include "plugin/install/okno_instalace.h"

#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! A browse-type external attribute whose lookup browse step 10 fills in.
struct TplgDPSNExtAttr {
    std::string Tabulka;
    std::string Atribut;
    std::string DPSN; //!< view name of the plug-in browse
};

//! The installation as its steps see it.
class TplgStavInstalace {
public:
    TplgStavInstalace(ITarvik& tarvik, const TInstalacniKonfigurace& konfigurace, IOknoInstalace& okno)
        : Tarvik(tarvik)
        , Konfigurace(konfigurace)
        , Okno(okno) {}

    ITarvik& Tarvik;
    const TInstalacniKonfigurace& Konfigurace;
    IOknoInstalace& Okno;
    int Legislativa = 0;                        //!< the host's TabHGlob.Legislativa
    std::string AktDB;                          //!< the current database (FAktDB)
    std::string TestDB;                         //!< the database under check (FTestDB)
    std::vector<TplgDPSNExtAttr> DPSN_ExtAttrs; //!< filled by step 2, read by step 10
    std::string Chyba; //!< the server's message of the statement that failed in a change dialog

    //! Shows the change dialog; true when it ran the statements. A failing statement's message is
    //! kept in Chyba.
    bool ZobrazZmeny(TplgObsahDialogu& obsah);
};

//! The registration steps; a plug-in without registrations of a kind finds nothing to do there.
class IRegistrace {
public:
    virtual ~IRegistrace() = default;
    //! Step 2: external attributes. True when it succeeded or had nothing to do.
    virtual bool KontrolaExternichAtributu(TplgStavInstalace& stav) = 0;
    //! Step 10: browses, views, actions, relations, folders, messages, own script. True when it
    //! succeeded or had nothing to do.
    virtual bool KontrolaRegistraci(TplgStavInstalace& stav) = 0;
};

//! The statements of a registration step beside the items the dialog draws.
class TplgRegistracniSeznam {
public:
    //! Opens a section: the statement "/* caption */" and the item "*** caption ***$INFO$".
    void OtevriSekci(std::string_view popis);
    //! Adds an item: the statement "/* caption */", CR and its SQL; the item caption + kind suffix
    //! ("$EXATR$", "$VIEW$", "$AKCE$", "$VZTAH$", "$SOUDEK$", "$HLASKY$", "$VLASTNI$"); `zpravy`
    //! tell what the statement does ("$PRAVA$" before a rights grant).
    void PridejPolozku(std::string_view popis, std::string_view pripona, std::string_view sql,
                       std::vector<std::string> zpravy = {});
    bool Prazdny() const { return polozky_.empty(); }
    const std::vector<TplgRegistracniPolozka>& Polozky() const { return polozky_; }
    //! Shows the statements with the heading "Vytvoření a změna základních přehledů, akcí a
    //! vazeb."; true when they ran, or at once when there are none.
    bool Zobraz(TplgStavInstalace& stav) const;

private:
    std::vector<TplgRegistracniPolozka> polozky_;
};

//! Adds the plug-in's own installation data script, when it has one, as the section "Vlastní
//! instalace" with one item of kind "$VLASTNI$".
void PridejVlastniSkript(TplgRegistracniSeznam& seznam, const TplgStavInstalace& stav);

//! Registrations of a plug-in that has only its own installation data script: step 2 finds
//! nothing to do, step 10 runs the script as the section "Vlastní instalace".
class TplgVlastniSkriptRegistrace : public IRegistrace {
public:
    bool KontrolaExternichAtributu(TplgStavInstalace& stav) override;
    bool KontrolaRegistraci(TplgStavInstalace& stav) override;
};

} // namespace plugin
