#pragma once
//! The SQL objects the installer creates besides the tables: stored procedures, user functions and
//! triggers on host tables. Each list starts with an empty entry 0. The texts come from the .sql
//! files of plugin/sql, embedded at build time; each begins with its CREATE.

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

//! The plug-in's stored procedures (entry 0 empty), each "CREATE PROC[EDURE] [dbo].[name]".
std::span<const TplgUlozenaProcedura> UlozeneProcedury();
//! The plug-in's user functions (entry 0 empty; the plug-in has none).
std::span<const TplgUzivatelskaFunkce> UzivatelskeFunkce();
//! The plug-in's triggers on host tables (entry 0 empty), each "CREATE TRIGGER name ON table",
//! the name "et_" + table + a suffix: the fourteen flag triggers, the fourteen delete-log
//! triggers, and the trigger on TabQUELTAWSPreprocess.
std::span<const TplgExterniTrigger> ExterniTriggery();

//! The name of the object a CREATE text makes, without schema and brackets: the word after
//! PROC/PROCEDURE/TRIGGER/FUNCTION; empty when the text has none.
std::string_view JmenoObjektu(std::string_view text);

//! The text of the plug-in's stored procedure of that name (ASCII case-insensitive, without
//! schema); empty when the plug-in has none of that name.
std::string_view TextProcedury(std::string_view jmeno);

} // namespace plugin
