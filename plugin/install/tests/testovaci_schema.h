#pragma once
// A small schema of two tables that uses every kind of object the schema checker compares:
// computed columns, defaults, IN, BETWEEN and comparison checks, a unique key, a foreign key,
// a trigger of the table, indexes (one clustered), plus a trigger on a host table and a stored
// procedure.

#include "plugin/definitions/schema.h"
#include "plugin/definitions/sql_objects.h"

#include <span>

namespace plugin::testing {

inline constexpr auto tTestA = static_cast<TplgTabulka>(1);
inline constexpr auto tTestB = static_cast<TplgTabulka>(2);

//! The schema derived from the two tables.
const TplgSchema& TestovaciSchema();

//! Entry 0 empty, then one stored procedure.
std::span<const TplgUlozenaProcedura> TestovaciProcedury();
//! Entry 0 empty, then the trigger et_TabZeme_QUELTA on the host table TabZeme.
std::span<const TplgExterniTrigger> TestovaciTriggery();

} // namespace plugin::testing
