#pragma once
//! The plug-in's browses as the host gets them: name, default columns and sort order, folder,
//! system filters, and the classes of the action object and the editor that serve them; the
//! navigation folders; and the host browses on which the plug-in offers actions.

#include "plugin/definitions/model.h"
#include "plugin/definitions/views.h"

#include <array>
#include <cstdint>
#include <span>
#include <string_view>

namespace plugin {

//! The plug-in's navigation folders; 0 = the browse is in no folder.
enum TplgSoudek : std::uint8_t { sdNeniVidet, sdQUELTAPortalZam };

struct TplgSoudekDef {
    TplgSoudek SelfIdent = sdNeniVidet;
    std::string_view Jmeno = {}; //!< folder name in the host
};

//! Number of the host's system filters a browse column may carry (1 to 7).
inline constexpr int kPocetSystemovychFiltru = 7;

//! Default settings of a plug-in browse. The view (name, text, main table) is Pohledy()[SelfIdent].
struct TplgVychoziNastaveniBrowse {
    TplgBrowse SelfIdent = bZadny;
    std::string_view Jmeno = {}; //!< browse name; "*" = the public name of the main table
    std::uint16_t JmenoTxt = 0;  //!< browse name as a message
    bool Neni_v_DB = false;      //!< no database view behind the browse
    std::string_view BlobTableName = {};
    std::string_view SELECT = {};      //!< columns shown, in order, separated by CR
    std::string_view ORDERBY = {};     //!< sort columns separated by CR, each maybe " ASC" / " DESC"
    std::string_view DMAkceClass = {}; //!< class of the action object; empty = none
    std::string_view EditorClass = {}; //!< class of the editor form; empty = none
    std::string_view GUID_ActionNew = {};
    std::string_view GUID_ActionEdit = {};
    std::string_view GUID_ActionDelete = {};
    TplgSoudek Soudek = sdNeniVidet;
    TplgBrowse Predek = bZadny; //!< parent browse in the folder
    TplgLegislativy Legislativa = {};
    std::string_view Pomocnicek = {};
    std::uint16_t PomocnicekTxt = 0;
    //! Columns carrying the host's system filters 1 to 7 (AttrFor_sqlSklad, AttrFor_sqlSbornik,
    //! AttrFor_sqlPokladna, AttrFor_sqlIDObdobi, AttrFor_sqlIDMzdObd, AttrFor_sqlKategorieKJ,
    //! AttrFor_sqlRadaUctenek); empty = none.
    std::array<std::string_view, kPocetSystemovychFiltru> AttrFor_sql = {};

    //! The view behind the browse.
    const TplgViewDef& View() const { return Pohledy()[SelfIdent]; }
    std::string_view JmenoView() const { return View().JmenoView; }
    TplgTabulka HlavniTabulka() const { return View().HlavniTabulka; }
};

//! The browses indexed by TplgBrowse; entry 0 (bZadny) is empty.
std::span<const TplgVychoziNastaveniBrowse> Prehledy();

//! The folders indexed by TplgSoudek; entry 0 (sdNeniVidet) has no name.
std::span<const TplgSoudekDef> Soudky();

//! Actions of the plug-in on a host browse: the browse number and the classes serving it.
struct TplgExtAkceDef {
    int BrowseID = 0;
    std::string_view DMAkceClass = {};
    std::string_view EditorClass = {};
    std::string_view GUID_ActionNew = {};
    std::string_view GUID_ActionEdit = {};
    TplgLegislativy Legislativa = {};
};

//! The actions on host browses; entry 0 is empty, entries 1 to 24 in their order.
std::span<const TplgExtAkceDef> ExtAkce();

//! The first entry of ExtAkce() (from 1) with that browse number; nullptr when none.
const TplgExtAkceDef* ExtAkcePrehledu(int browseID);

} // namespace plugin
