#pragma once
//! The catalog functions COL_NAME, OBJECTPROPERTY, COLUMNPROPERTY, INDEXPROPERTY and INDEX_COL, called
//! from translated SQL as tsql_catalog('NAME', args...).

#include "binder.h"

#include <sqlite3.h>

#include <optional>
#include <string_view>

namespace tsql::engine {

//! Binds a call of a catalog function; nullopt when `e` calls another function.
std::optional<Bound> bindCatalogFunction(Binder& binder, const Expr& e, const Scope& scope);

//! True for the names of the catalog functions (any case).
bool isCatalogFunction(std::string_view name);

//! Registers tsql_catalog on a session's connection.
void registerCatalogFunctions(sqlite3* db);

} // namespace tsql::engine
