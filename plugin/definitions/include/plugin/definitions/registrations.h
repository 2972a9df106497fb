#pragma once
//! What the plug-in registers in the host besides its browses: the external attributes it adds
//! to host tables (stored in the host's extension tables, or computed), the relations between its
//! views and host tables, and the host's language codes its messages are registered in.

#include "plugin/definitions/model.h"

#include <cstdint>
#include <span>
#include <string_view>

namespace plugin {

//! Kind of an external attribute (how the host edits it).
enum TplgTypExtAtr : std::uint8_t {
    eaChyba,   //!< the empty entry
    eaUserDef, //!< computed from an SQL expression
    eaNormal,
    eaMemo,
    eaComboBox,
    eaBrowse, //!< looked up in a browse
    eaDateTime,
    eaTime,
};

//! A column the plug-in adds to a host table, or a computed attribute it defines on one. Texts
//! given as a message index win over the plain texts beside them.
struct TplgExterniAtribut {
    std::string_view JmenoTabulky = {}; //!< host table or view
    std::string_view JmenoSys = {};     //!< attribute name
    std::string_view JmenoVerejne = {};
    std::uint16_t JmenoVerejneTxt = 0;
    std::string_view JmenoVerejneZkr = {};
    std::uint16_t JmenoVerejneZkrTxt = 0;
    TplgTypAtributu Typ = taBlbe; //!< type of a stored attribute (type table)
    std::uint16_t Delka = 0;      //!< length of a character or binary type
    bool Verejny = false;
    TplgBool Editovatelny = vDefault; //!< vDefault = the same as Verejny
    std::uint8_t SirkaSloupce = 0;
    std::string_view MaskaDisplay = {};
    bool Sumovat = false;
    bool ProcentniPruh = false;
    bool Barva = false;
    bool Tisknout = false;
    std::string_view Konverze = {}; //!< value list: lines "value=caption" separated by CR
    std::uint16_t KonverzeTxt = 0;
    std::string_view Poznamka = {};
    std::uint16_t PoznamkaTxt = 0;
    TplgTypExtAtr TypExtAtr = eaChyba;
    int ExtEd_BrowseID = 0;                 //!< lookup browse of an eaBrowse attribute
    std::string_view ExtEd_BrowseDPSN = {}; //!< lookup plug-in browse (view name) of an eaBrowse attribute
    std::string_view ExtEd_Atr = {};        //!< eaUserDef: the SQL expression; otherwise written as it is
    bool ExtEd_PrimaEditace = false;
    std::string_view ExtEd_Podminka = {};
    std::string_view ExtEd_Zalozka = {}; //!< tab of the host editor showing the attribute
    std::uint16_t ExtEd_ZalozkaTxt = 0;
    int ExtEd_Poradi = 0; //!< order on that tab
    TplgLegislativy Legislativa = {};

    constexpr bool JePocitany() const { return TypExtAtr == eaUserDef; }
};

//! The external attributes; entry 0 is empty, entries 1 to 31 in their order.
std::span<const TplgExterniAtribut> ExterniAtributy();

//! How many rows of the other side one row of a relation's side has.
enum TplgTypVztahu : std::uint8_t { tvZadny, tv11, tv1N };

//! A relation the host offers between a plug-in view and a host table.
struct TplgVztahDef {
    std::string_view GUIDVazby = {}; //!< GUID in braces
    TplgLegislativy Legislativa = {};
    std::string_view TabLStr = {}; //!< left table or view
    std::string_view NazevLP = {}; //!< caption seen from the left
    std::uint16_t NazevLPTxt = 0;
    std::string_view NazevLPSys = {};
    TplgTypVztahu TypLP = tvZadny;
    std::string_view TabPStr = {}; //!< right table
    std::string_view NazevPL = {}; //!< caption seen from the right
    std::uint16_t NazevPLTxt = 0;
    std::string_view NazevPLSys = {};
    TplgTypVztahu TypPL = tvZadny;
    std::string_view Join = {}; //!< join condition
};

//! The relations; entry 0 is empty, entries 1 to 3 in their order.
std::span<const TplgVztahDef> Vztahy();

//! The host's language codes, in the order the messages are registered in them.
std::span<const int> JazykyHostitele();

} // namespace plugin
