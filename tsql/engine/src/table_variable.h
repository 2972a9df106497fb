#pragma once
//! Table variables (DECLARE @t TABLE (...)): a SQLite temporary table per variable, living as long as the
//! batch, procedure or trigger that declared it, whose rows a ROLLBACK leaves alone, as in SQL Server.

#include "ast.h"
#include "catalog.h"
#include "session.h"

#include <memory>
#include <string>
#include <vector>

namespace tsql::engine {

class Executor;

//! The table behind one table variable; dropped when the last scope (or cursor) holding it ends.
struct TableVariable {
    sqlite3* db = nullptr;
    Catalog* catalog = nullptr;
    TableInfo info; //!< name "@t", the SQLite table in `storage`
    std::string ddl;
    ~TableVariable();
};

//! Creates the table of `DECLARE name TABLE (...)` for the running scope.
std::shared_ptr<TableVariable> declareTableVariable(Executor& ex, const std::string& name,
                                                    const CreateTableStmt& definition);

//! The table variable a FROM, INSERT, UPDATE or DELETE names (a name starting with @), nullptr for
//! other names; error 1087 when no table variable of that name is declared.
std::shared_ptr<const TableInfo> tableVariable(Session::Impl& s, const ObjectName& name, int line);

//! Copies the rows of every live table variable before a ROLLBACK and puts them back after it.
class TableVariablesKept {
public:
    explicit TableVariablesKept(Session::Impl& s);
    ~TableVariablesKept();
    TableVariablesKept(const TableVariablesKept&) = delete;
    TableVariablesKept& operator=(const TableVariablesKept&) = delete;
    //! After the rollback: the tables as they were.
    void restore();

private:
    struct Kept;
    Session::Impl& s_;
    std::vector<Kept> kept_;
};

} // namespace tsql::engine
