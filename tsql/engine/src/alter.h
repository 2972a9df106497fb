#pragma once
//! ALTER TABLE: adding and dropping columns and constraints, changing a column, switching constraints
//! and triggers on and off.

#include "ast.h"

#include <string>
#include <vector>

namespace tsql::engine {

class Executor;

//! DEFAULT expr FOR column, added as a named constraint.
struct DefaultForDef {
    std::string name;
    std::string column;
    ExprPtr value;
    std::string text;
};

struct AlterTableStmt : Statement {
    AlterTableStmt()
        : Statement(StmtKind::AlterTable) {}
    enum class Action {
        Add,            //!< columns (with WITH VALUES) and constraints
        DropColumn,     //!< names
        DropConstraint, //!< names
        AlterColumn,    //!< added.columns[0] (type and nullability)
        Check,          //!< CHECK CONSTRAINT names|ALL
        Nocheck,        //!< NOCHECK CONSTRAINT names|ALL
        EnableTrigger,  //!< names|ALL
        DisableTrigger  //!< names|ALL
    } action = Action::Add;
    ObjectName table;
    CreateTableStmt added;        //!< columns and constraints of ADD, the column of ALTER COLUMN
    std::vector<bool> withValues; //!< per added column
    std::vector<DefaultForDef> defaults;
    std::vector<std::string> names;
    bool all = false;
    bool withCheck = false;   //!< WITH CHECK: existing rows are checked when a constraint is re-enabled
    bool withNocheck = false; //!< WITH NOCHECK: existing rows are not checked by an added CHECK constraint
};

//! CREATE [UNIQUE] [CLUSTERED|NONCLUSTERED] INDEX name ON table (columns [ASC|DESC]).
struct CreateIndexStmt : Statement {
    CreateIndexStmt()
        : Statement(StmtKind::CreateIndex) {}
    std::string name;
    ObjectName table;
    std::vector<std::string> columns;
    std::vector<bool> descending;
    bool unique = false;
    bool clustered = false;
};

//! DROP INDEX table.name | name ON table [, ...].
struct DropIndexStmt : Statement {
    DropIndexStmt()
        : Statement(StmtKind::DropIndex) {}
    std::vector<std::pair<std::string, std::string>> indexes; //!< table, index
};

//! Runs ALTER TABLE.
void executeAlterTable(Executor& ex, const AlterTableStmt& stmt);
void executeCreateIndex(Executor& ex, const CreateIndexStmt& stmt);
void executeDropIndex(Executor& ex, const DropIndexStmt& stmt);
//! EXEC sp_rename 'table.index', 'new', 'INDEX' (also tables and other objects without a type).
void executeRename(Executor& ex, const ExecStmt& stmt);
//! Name of the SQLite index behind a CREATE INDEX index.
std::string sqliteIndexName(long long tableId, long long indid);

} // namespace tsql::engine
