#pragma once
//! The plug-in's views: one per browse, each over one plug-in table.

#include "plugin/definitions/model.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace plugin {

//! The plug-in's browses; each shows one view.
enum TplgBrowse : std::uint8_t {
    bZadny,
    bQUELTAZamPortal,
    bQUELTAZamPortal_AktualniObdobi,
    bQUELTAZamPortal_BezneObdobi,
    bQUELTAPortalPredzp,
    bQUELTANastaveniSynchronizace,
    bQUELTAHGlob,
    bQUELTASynchroLog,
};

//! The view behind a browse. Lines of the definition are separated by CR.
struct TplgViewDef {
    TplgBrowse SelfIdent = bZadny;
    std::string_view JmenoView = {};    //!< view name, the browse's system name in the host
    std::string_view DefiniceView = {}; //!< the SELECT the view is made of
    TplgTabulka HlavniTabulka = tZadna; //!< the table the view shows
};

//! The views indexed by TplgBrowse; entry 0 (bZadny) is empty.
std::span<const TplgViewDef> Pohledy();

//! The browse whose view has this name (surrounding blanks ignored, case-insensitive); bZadny for
//! an unknown or empty name.
TplgBrowse BrowsePodleView(std::string_view jmenoView);

//! "CREATE VIEW dbo.<name> AS <definition>".
std::string TextCreateView(const TplgViewDef& view);

} // namespace plugin
