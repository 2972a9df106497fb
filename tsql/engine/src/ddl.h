#pragma once
//! What CREATE TABLE, DECLARE @t TABLE and SELECT ... INTO share: a table's definition and its SQLite DDL.

#include "ast.h"
#include "catalog.h"

#include <string>
#include <string_view>
#include <vector>

namespace tsql::engine {

class Executor;

//! Fills `t` (name, temp, id and storage set by the caller) from a table definition: columns, defaults,
//! constraints with their names (2714 for names the catalog already holds when `checkNames`), and returns
//! the SQLite CREATE TABLE for it.
std::string defineTable(Executor& ex, const CreateTableStmt& stmt, TableInfo& t, bool checkNames);

//! SQLite's declared type of column `c` of `t`. "INT" keeps integer affinity without turning a one-column
//! primary key into SQLite's rowid (which would quietly number NULLs instead of refusing them), except for
//! an INT or BIGINT identity column with a positive increment that is the whole primary key: its values
//! come only from the identity counter, rising and never NULL, so it is the rowid ("INTEGER") and the table
//! needs no index beside its rows.
std::string_view storedDeclType(const TableInfo& t, const ColumnInfo& c);

//! SQLite CREATE TABLE of `t`'s columns (`computedSql` per column, empty for stored ones) and constraints.
std::string createTableSql(const TableInfo& t, const std::vector<std::string>& computedSql,
                           const std::vector<std::string>& constraintSql);

//! SELECT ... INTO table: a new table (permanent or temporary) of the query's columns, filled with its
//! rows; a column that reads an identity column of the one table queried keeps the IDENTITY property.
void executeSelectInto(Executor& ex, const SelectStmt& stmt);

} // namespace tsql::engine
