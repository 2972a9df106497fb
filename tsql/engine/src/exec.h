#pragma once
//! The interpreter of a parsed batch: control flow, variables, statement- and batch-level errors.

#include "ast.h"
#include "binder.h"
#include "session.h"

#include <functional>
#include <string>
#include <vector>

namespace tsql::engine {

//! Runs one batch on a session and collects what it produces.
class Executor {
public:
    Executor(Session::Impl& session, BatchOutput& out)
        : s_(session)
        , out_(out) {}

    //! Declares the batch's variables and checks its labels, then runs it.
    void run(const Batch& batch);

    // Services for the statement implementations.
    Session::Impl& session() { return s_; }
    BatchOutput& output() { return out_; }
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

    Session::Impl& s_;
    BatchOutput& out_;
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

} // namespace tsql::engine
