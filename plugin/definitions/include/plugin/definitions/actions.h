#pragma once
//! The actions each class of action objects offers on its browse, as its constructor registers
//! them: menu caption, submenu, GUID and the data written to the host's table of actions.

#include <cstdint>
#include <span>
#include <string_view>

namespace plugin {

//! When the parameters of an action are written to the host's table of actions.
enum TKdyZapsatParametry : std::uint8_t { kzpNikdy, kzpInsert, kzpInsertUpdate };

//! One action of a class. A text given as a message index is written to the host as the
//! message's key, so that the host shows it in the user's language.
struct TplgAkceDef {
    std::string_view NazevSys = {};   //!< system name of the action
    std::string_view Nazev = {};      //!< menu caption as plain text
    std::uint16_t NazevTxt = 0;       //!< menu caption as a message (wins over Nazev)
    bool Verejna = true;              //!< public action
    std::uint16_t NapovedaTxt = 0;    //!< hint as a message
    bool PridatOddelovacMenu = false; //!< menu separator before the item
    std::string_view Parametry = {};  //!< parameters stored with the action
    TKdyZapsatParametry KdyZapsatParametry = kzpNikdy;
    int HotKey = 0;                     //!< virtual-key code of the shortcut; 0 = none
    std::string_view NazevPodmenu = {}; //!< submenu caption as plain text; empty = top level
    std::uint16_t NazevPodmenuTxt = 0;  //!< submenu caption as a message (wins over NazevPodmenu)
    std::string_view GUID = {};         //!< the action's GUID in braces
};

//! A class of action objects and the actions its constructor registers, in their order, after
//! the standard new, edit and delete actions its browse gives.
struct TplgTridaAkciDef {
    std::string_view Jmeno = {};
    std::span<const TplgAkceDef> Akce = {};
};

//! Every class of action objects the plug-in's browses and the host browses name.
std::span<const TplgTridaAkciDef> TridyAkci();

//! The class with that name (exact); nullptr when there is none.
const TplgTridaAkciDef* TridaAkci(std::string_view jmeno);

//! The GUID of the registration request: an action object asked to run it returns the host
//! statements that register its actions.
inline constexpr std::string_view kGUIDRegistraceAkci = "{224BFCE4-62A1-4990-B723-FCF5BD14F45D}";

} // namespace plugin
