#pragma once
//! The SQL Server 2000 system tables (sysobjects, syscolumns, systypes, syscomments, sysreferences,
//! sysindexes) and sys.objects / sys.columns, offered as derived tables over the engine's catalog tables.

#include "tsql/type.h"

#include <sqlite3.h>

#include <string>
#include <string_view>
#include <vector>

namespace tsql::engine {

//! One column of a system view: its name, SQL Server type and SQLite expression over the view's source.
struct SystemViewColumn {
    std::string name;
    Type type;
    std::string sql;
};

//! A system view: the columns it offers and the SQLite query yielding them as "c1".."cN".
struct SystemView {
    std::string name;
    std::vector<SystemViewColumn> columns;
    std::string sql;
};

//! The system view a table name refers to (`parts` = the name's parts, e.g. {"dbo", "sysobjects"} or
//! {"sys", "objects"}; {"tempdb", "", "sysobjects"} for the session's temporary objects), matched
//! case-insensitively; nullptr when the name is no system view.
const SystemView* findSystemView(const std::vector<std::string>& parts);

//! SQLite query over the catalog (of temporary objects when `temp`) giving every index row of sysindexes
//! as (id, indid, name, keycols, status) with keycols joined by '\x1f'; catalog functions read index
//! facts from it.
const std::string& indexRowsSql(bool temp);

//! SQLite query of the sysindexes.status of the index named ?2 of the table ?1 (no row: no such index).
const std::string& indexStatusSql(bool temp);

//! Registers the SQLite helpers the system views call (type facts, list items, normalised texts).
void registerSystemViewFunctions(sqlite3* db);

} // namespace tsql::engine
