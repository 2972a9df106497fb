#pragma once
//! INSERT ... EXEC: the rows of the result sets a procedure or dynamic batch returns, as the source of
//! the INSERT.

#include "binder.h"

#include <vector>

namespace tsql::engine {

class Executor;

//! Runs the EXEC, passing its messages on, and keeps the rows of its result sets (converted to the
//! target columns' types) in a temporary table for as long as the INSERT runs. Errors 213 (a result set
//! with another number of columns), 8164 (nested INSERT ... EXEC).
class ExecRows {
public:
    ExecRows(Executor& ex, const ExecStmt& exec, const TableInfo& table, const std::vector<int>& targets,
             int line);
    ~ExecRows();
    ExecRows(const ExecRows&) = delete;
    ExecRows& operator=(const ExecRows&) = delete;

    //! A query of the kept rows, its columns typed as the target columns.
    const QueryShape& source() const { return shape_; }

private:
    Executor& ex_;
    std::string table_;
    QueryShape shape_;
};

} // namespace tsql::engine
