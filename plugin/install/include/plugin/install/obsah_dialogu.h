#pragma once
//! What the change dialog shows and runs: a heading, the plug-in's display version, the tree that
//! explains the changes and the statements. The tree is made either from the schema checker's
//! explanation trees or from a registration step's items; a node that stands for statements can
//! be unchecked, which leaves its statements out of the run.

#include "plugin/install/skript_zmen.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace plugin {

//! Kinds of node; each has its icon in the dialog.
enum class TDruhUzlu : std::uint8_t {
    Koren,     //!< the plug-in's system name
    Tabulka,   //!< a table
    Objekt,    //!< a column or constraint of a table
    Trigger,   //!< a trigger of a table
    Procedura, //!< a stored procedure or user function
    Zprava,    //!< what a statement does
    Prava,     //!< a rights grant
    Sekce,     //!< a heading of registration items
    ExtAtribut,
    Prehled,
    Akce,
    Vztah,
    Soudek,
    Hlasky,
    Vlastni, //!< the plug-in's own installation data script
    Polozka, //!< a registration item of no known kind
};

struct TplgUzelDialogu {
    TDruhUzlu Druh = TDruhUzlu::Zprava;
    std::string Text;
    bool Tucne = false;       //!< drawn bold (the root, warnings)
    bool Rozbaleny = false;   //!< shown expanded
    bool Zaskrtnuty = true;   //!< its statements run; only nodes with statements can be unchecked
    std::vector<int> Prikazy; //!< numbers of the statements it stands for
    std::vector<TplgUzelDialogu> Deti;

    bool MaPrikazy() const { return !Prikazy.empty(); }
};

class TplgObsahDialogu {
public:
    std::string Nadpis;              //!< heading; CR separates its lines
    std::string Verze;               //!< display version of the plug-in
    TplgUzelDialogu Koren;           //!< the tree
    std::vector<TplgPrikaz> Prikazy; //!< the statements in the order they run

    //! Unchecks every node that stands for statements.
    void OdznacVse();
    //! The statements that run: the list without the statements of unchecked nodes.
    std::vector<std::string> PrikazyKProvedeni() const;
    //! The statements a node stands for, separated by an empty line, for "show SQL".
    std::string PrikazyUzlu(const TplgUzelDialogu& uzel) const;
    //! The whole dialog as text: heading, version, the tree indented by two blanks per level
    //! ("[ ]" before an unchecked node) and the numbered statements; lines separated by CR.
    std::string Text() const;
};

//! Builds the content from the schema checker's trees (table → object → message, and procedure →
//! message) over its script. An object named "$TRIGGER$" + name is a trigger; a message starting
//! "$PRAVA$" a rights grant (both shown without the prefix).
TplgObsahDialogu ObsahZKontroly(std::string nadpis, std::string verze, std::string_view systemoveJmeno,
                                const TplgVysvetleni& tabulky, const TplgVysvetleni& procedury,
                                const std::vector<TplgPrikaz>& prikazy);

//! A registration item: its text with a kind suffix ("$INFO$" for a section heading, "$VIEW$",
//! "$AKCE$", "$VZTAH$", "$EXATR$", "$SOUDEK$", "$HLASKY$", "$VLASTNI$"), its statement and what
//! the statement does ("$PRAVA$" before a rights grant).
struct TplgRegistracniPolozka {
    std::string Text;
    std::string Prikaz;
    std::vector<std::string> Zpravy;
};

//! Builds the content from registration items: a section heading (expanded) holds the items that
//! follow it; each item stands for its statement, shows without its suffix and has its messages
//! as children.
TplgObsahDialogu ObsahZRegistrace(std::string nadpis, std::string verze, std::string_view systemoveJmeno,
                                  const std::vector<TplgRegistracniPolozka>& polozky);

} // namespace plugin
