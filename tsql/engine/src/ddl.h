#pragma once
//! What CREATE TABLE, DECLARE @t TABLE and SELECT ... INTO share: a table's definition and its SQLite DDL.

#include "ast.h"
#include "catalog.h"

#include <string>
#include <vector>

namespace tsql::engine {

class Executor;

//! Fills `t` (name, temp, id and storage set by the caller) from a table definition: columns, defaults,
//! constraints with their names (2714 for names the catalog already holds when `checkNames`), and returns
//! the SQLite CREATE TABLE for it.
std::string defineTable(Executor& ex, const CreateTableStmt& stmt, TableInfo& t, bool checkNames);

//! SQLite CREATE TABLE of `t`'s columns (`computedSql` per column, empty for stored ones) and constraints.
std::string createTableSql(const TableInfo& t, const std::vector<std::string>& computedSql,
                           const std::vector<std::string>& constraintSql);

//! SELECT ... INTO table: a new table (permanent or temporary) of the query's columns, filled with its
//! rows; a column that reads an identity column of the one table queried keeps the IDENTITY property.
void executeSelectInto(Executor& ex, const SelectStmt& stmt);

} // namespace tsql::engine
