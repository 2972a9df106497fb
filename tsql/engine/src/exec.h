#pragma once
//! The interpreter of a parsed batch: control flow, variables, statement- and batch-level errors.

#include "ast.h"
#include "binder.h"
#include "session.h"

#include <functional>
#include <string>
#include <vector>

namespace tsql::engine {

//! SQL Server's limit on procedures and triggers calling one another (@@NESTLEVEL).
inline constexpr int kMaxNestLevel = 32;

//! Thrown to end the calling batch after an error that ended a called procedure or dynamic batch.
struct BatchAbort {};

//! Runs one batch on a session and hands what it produces to a sink.
class Executor {
public:
    //! `procedure`: running a procedure's body, where RETURN may carry a value.
    Executor(Session::Impl& session, BatchSink& out, bool procedure = false)
        : s_(session)
        , out_(out)
        , procedure_(procedure) {}

    //! Declares the batch's variables and checks its labels, then runs it.
    void run(const Batch& batch);
    //! Runs statements with the variables already in the session's frame (a procedure's parameters).
    void runStatements(const std::vector<StmtPtr>& statements);
    //! True when an error ended the run.
    bool aborted() const { return aborted_; }
    //! True when the error that ended the run ends the caller's batch too; errors of compiling a
    //! statement (syntax, unknown names) end only the procedure or dynamic batch they occur in.
    bool abortsCaller() const { return aborted_ && !scopeOnly_; }
    //! The value of RETURN, 0 without one.
    int returnValue() const { return returnValue_; }
    //! Leaves @@ERROR at this value after the running statement (a nested run already reported it).
    void setStatementError(int number) { statementError_ = number; }
    //! Ends the run at the first runtime error, as SET XACT_ABORT ON does (trigger bodies always do).
    void setAbortOnError(bool on) { abortOnError_ = on; }
    //! Rolls back the open transaction, if any, and sets @@TRANCOUNT to 0.
    void rollbackAll();

    // Services for the statement implementations.
    Session::Impl& session() { return s_; }
    BatchSink& output() { return out_; }
    //! Sends a complete result set.
    void sendRows(const std::vector<ResultColumn>& columns, const std::vector<std::vector<Value>>& rows);
    //! Binds the batch's variables to the parameters of a prepared statement.
    void bindVariables(sqlite3_stmt* stmt);
    //! Prepares (cached) and binds SQL; the caller steps and resets it.
    sqlite3_stmt* prepare(const std::string& sql);
    //! Runs SQL that returns no rows; returns sqlite3_changes().
    long long run(const std::string& sql);
    //! Runs a query and reads every row as the given column types.
    std::vector<std::vector<Value>> rows(const std::string& sql, const std::vector<ResultColumn>& columns);
    //! Evaluates a scalar expression without FROM.
    Value evaluate(const Expr& e);
    //! Evaluates a search condition without FROM: true only when it holds (NULL counts as false).
    bool holds(const Expr& e);
    //! Runs `work` as one atomic statement (its own transaction or a savepoint in the open one).
    void atomically(const std::function<void()>& work);
    //! Assigns to a variable with the conversion (and silent truncation) of an assignment.
    void assign(Variable& v, const Value& value);
    void message(const std::string& text);

private:
    struct Instruction {
        enum class Op { Exec, JumpIfNot, Jump, Return } op = Op::Exec;
        const Statement* stmt = nullptr;
        const Expr* condition = nullptr;
        std::size_t target = 0;
        int line = 1;
        std::size_t failTarget = 0; //!< where to go when the condition itself fails (past the whole IF)
    };
    struct Loop {
        std::size_t start;
        std::vector<std::size_t> breaks;
    };
    void declare(const Statement& stmt);
    void compile(const Statement& stmt);
    void execute(const Statement& stmt);
    void select(const SelectStmt& stmt);
    void setVariable(const SetStmt& stmt);
    void raiserror(const RaiserrorStmt& stmt);
    void transaction(const SimpleStmt& stmt);
    void setOption(const SimpleStmt& stmt);
    void useDatabase(const SimpleStmt& stmt);
    //! True when a runtime error ends the run because of SET XACT_ABORT ON or a trigger body.
    bool abortsOnError(const SqlError& e, const Instruction& in) const;

    void report(const SqlError& e);

    Session::Impl& s_;
    BatchSink& out_;
    bool procedure_ = false;
    bool aborted_ = false;
    bool scopeOnly_ = false;
    bool abortOnError_ = false;
    int returnValue_ = 0;
    int statementError_ = 0;
    std::vector<Instruction> code_;
    std::vector<Loop> loops_;
    std::map<std::string, std::size_t> labels_;
    std::vector<std::pair<std::size_t, std::string>> gotos_;
};

// Statement implementations, one file per kind.
void executeInsert(Executor& ex, const InsertStmt& stmt);
void executeUpdate(Executor& ex, const UpdateStmt& stmt);
void executeDelete(Executor& ex, const DeleteStmt& stmt);
void executeCreateTable(Executor& ex, const CreateTableStmt& stmt);
void executeCreateView(Executor& ex, const CreateViewStmt& stmt);
void executeDrop(Executor& ex, const DropStmt& stmt);
void executeCreateProcedure(Executor& ex, const CreateProcedureStmt& stmt);
void executeDropProcedure(Executor& ex, const DropStmt& stmt);
//! EXEC of a stored procedure or of dynamic SQL.
void executeExec(Executor& ex, const ExecStmt& stmt);
//! GRANT, DENY, REVOKE: recorded in the catalog without effect.
void recordPermission(Executor& ex, const PermissionStmt& stmt);

} // namespace tsql::engine
