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
    bool withCheck = false; //!< WITH CHECK: existing rows are checked when a constraint is (re)enabled
};

//! Runs ALTER TABLE.
void executeAlterTable(Executor& ex, const AlterTableStmt& stmt);

} // namespace tsql::engine
