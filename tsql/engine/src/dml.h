#pragma once
//! What INSERT, UPDATE and DELETE share: running the translated write, identity counters, and turning
//! SQLite's constraint failures into SQL Server's errors.

#include "exec.h"

#include <functional>
#include <string>

namespace tsql::engine {

//! Which statement a constraint failure is reported for.
enum class WriteKind { Insert, Update, Delete };

//! Finds the duplicate key value of a failed unique constraint, as "(v1, v2)"; empty when unknown. It
//! reads the statement's rows again: an SQL Server error of doing so leaves the key unknown, faults of
//! the engine and a busy database go on to the caller.
using DuplicateFinder = std::function<std::string(const ConstraintInfo&)>;

//! Runs a translated write on `table` and returns the rows it changed. NOT NULL, UNIQUE, CHECK and
//! FOREIGN KEY failures raise 515, 2627, 547 with the constraint's name.
long long runWrite(Executor& ex, const std::string& sql, const TableInfo& table, WriteKind kind,
                   const DuplicateFinder& findDuplicate = {});

//! Loads the identity counter of `table` for the statement, runs `work`, then stores the counter.
void withIdentity(Executor& ex, const TableInfo& table, const std::function<void()>& work);

//! A table that may be written: exists (208) and is no view (unsupported for now).
std::shared_ptr<const TableInfo> writableTable(Executor& ex, const ObjectName& name, int line);

//! Binds the FROM clause of an UPDATE or DELETE into `scope` and finds the target item (`found`); a
//! target missing from the FROM clause joins it as one more table, as SQL Server does.
std::string bindTargetFrom(Binder& b, Executor& ex, const ObjectName& target,
                           const std::vector<std::unique_ptr<TableRef>>& from, Scope& scope,
                           const Source*& found, int line);

//! Binds a column's default (or NULL) as the value of `column` converted for storing.
std::string defaultValueSql(Binder& b, const TableInfo& table, int column);

//! Text of values as SQL Server shows a duplicate key: "(1, abc)".
std::string keyText(const std::vector<Value>& values);

} // namespace tsql::engine
