#pragma once
//! Rebuilding a table for ALTER TABLE: everything SQLite keeps in a table's definition (constraints,
//! dropped and changed columns) is changed by creating the table anew, copying its rows and renaming it.

#include "dml.h"

#include <set>
#include <string>
#include <vector>

namespace tsql::engine {

//! tsql_objects.flags bit of a disabled trigger or CHECK / FOREIGN KEY constraint.
inline constexpr int disabledFlag = 2;

//! Column declaration as CREATE TABLE writes it for SQLite.
std::string columnSql(Binder& b, const TableInfo& t, const ColumnInfo& c);

//! Names of the table's disabled constraints and triggers (upper case).
std::set<std::string> disabledNames(Executor& ex, const TableInfo& t);

//! Copy expressions that keep every stored column as it is.
std::vector<std::string> sameColumns(const TableInfo& t);

//! Recreates `old` as `t` (same id): new SQLite table, rows copied with `copy` (SQL per stored column of
//! `t` over the old table's columns), old one dropped, catalog rows of columns, defaults and constraints
//! written again. Triggers, indexes and the identity counter keep their rows. Constraint failures of the
//! copy are reported as ALTER TABLE's; CHECK constraints named in `checkNow` check the existing rows.
void rebuild(Executor& ex, const TableInfo& old, const TableInfo& t, const std::vector<std::string>& copy,
             const std::set<std::string>& disabled, WriteKind kind,
             const std::set<std::string>& checkNow = {});

} // namespace tsql::engine
