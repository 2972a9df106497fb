#pragma once
//! Record types of the SQL objects the installer creates besides the tables: stored procedures,
//! user functions and triggers on host tables. Each list starts with an empty entry 0.

#include "plugin/definitions/model.h"

#include <span>
#include <string_view>

namespace plugin {

//! A stored procedure: its complete CREATE text.
struct TplgUlozenaProcedura {
    TplgLegislativy Legislativa = {};
    std::string_view Databaze = {}; //!< empty = the current database
    std::string_view Text = {};
};

//! A user function: its complete CREATE text.
struct TplgUzivatelskaFunkce {
    TplgLegislativy Legislativa = {};
    std::string_view Databaze = {};
    std::string_view Text = {};
};

//! A trigger on a host table: its complete CREATE text.
struct TplgExterniTrigger {
    std::string_view JmenoTabulky = {};
    TplgLegislativy Legislativa = {};
    std::string_view TriggerSkript = {};
};

//! The plug-in's stored procedures (entry 0 empty).
std::span<const TplgUlozenaProcedura> UlozeneProcedury();
//! The plug-in's user functions (entry 0 empty; the plug-in has none).
std::span<const TplgUzivatelskaFunkce> UzivatelskeFunkce();
//! The plug-in's triggers on host tables (entry 0 empty).
std::span<const TplgExterniTrigger> ExterniTriggery();

} // namespace plugin
