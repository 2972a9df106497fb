#pragma once
//! The interpreter of a parsed batch: control flow, variables, statement- and batch-level errors.

#include "ast.h"
#include "binder.h"
#include "check.h"
#include "session.h"
#include "tsql/operators.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace tsql::engine {

//! SQL Server's limit on procedures and triggers calling one another (@@NESTLEVEL).
inline constexpr int kMaxNestLevel = 32;

//! Thrown to end the calling batch after an error that ended a called procedure or dynamic batch.
struct BatchAbort {};

//! An error raised in a procedure, trigger or dynamic batch while a caller's statement runs inside a
//! TRY block: the scopes on the way end without reporting it and the nearest CATCH block receives it.
struct UnwindToCatch {
    SqlError error;
    bool dooms = false; //!< the open transaction becomes uncommittable (XACT_ABORT ON, or in a trigger)
};

//! Thrown to fail the running statement (undoing its changes) after a trigger it fired ended with an
//! error that ends only its scope; the error is already reported and the batch goes on.
struct StatementFailed {};

struct FastStep;

//! What SQL bound from a statement depends on besides the statement's tree: the session, the catalog's
//! definitions, the scope's variables (names, types, slots) and the statement's constants.
struct BindContext {
    const Session::Impl* session = nullptr;
    long long catalog = -1;
    std::string frame; //!< the variables' names and types (CompiledScope::frame)
    std::uint64_t stamp = 0;
    bool operator==(const BindContext&) const = default;
};

//! A statement's query as bound, with the constants it reads as parameters.
struct BoundQuery {
    BindContext context;
    QueryShape shape;
    std::vector<Value> literals;
    //! The session's prepared statement of `shape.sql` as last got from its cache, valid while the cache
    //! keeps its statements (Executor::prepare).
    mutable sqlite3_stmt* prepared = nullptr;
    mutable const StatementCache* preparedIn = nullptr;
    mutable std::uint64_t preparedGeneration = 0;
    mutable std::size_t parameters = 0; //!< of `prepared`
};

//! One step of a compiled scope.
struct Instruction {
    enum class Op { Exec, JumpIfNot, Jump, Return } op = Op::Exec;
    const Statement* stmt = nullptr;
    const Expr* condition = nullptr;
    std::size_t target = 0;
    int line = 1;
    std::size_t failTarget = 0; //!< where to go when the condition itself fails (past the whole IF)
};

//! A TRY ... CATCH statement as ranges of instructions [start, end).
struct TryRegion {
    std::size_t tryStart = 0, tryEnd = 0, catchStart = 0, catchEnd = 0;
};

//! A scope's statements as checked and compiled: kept with its tree (Batch::compiled,
//! CreateProcedureStmt::compiled) for runs of the same kind of scope with the same variables declared
//! before it; the instructions point into the tree.
struct CompiledScope {
    ScopeKind kind = ScopeKind::Batch;
    std::vector<std::string> declared;
    std::vector<Type> declaredTypes;
    std::string frame; //!< the variables once the scope's own are declared: names and types in slot order
    std::vector<Instruction> code;
    std::vector<TryRegion> tries;
    std::vector<const Statement*> declarations; //!< the statements that declare variables, in order
};

//! Runs one batch on a session and hands what it produces to a sink.
class Executor {
public:
    //! `kind`: what runs (in a procedure's body RETURN may carry a value); `module`: the name of the
    //! procedure or trigger.
    Executor(Session::Impl& session, BatchSink& out, ScopeKind kind = ScopeKind::Batch,
             std::string module = {})
        : s_(session)
        , out_(out)
        , kind_(kind)
        , module_(std::move(module)) {}

    //! Declares the batch's variables and checks its labels, then runs it.
    void run(const Batch& batch);
    //! Runs statements with the variables already in the session's frame (a procedure's parameters),
    //! compiled anew or taken from `kept` (where they are kept when compiled).
    void runStatements(const std::vector<StmtPtr>& statements,
                       std::shared_ptr<const CompiledScope>* kept = nullptr);
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
    //! The caller has just checked the catalog for changes by other sessions (a procedure call that
    //! looked its procedure up): the run need not check again before it begins.
    void setCatalogChecked() { catalogChecked_ = true; }
    //! Rolls back the open transaction, if any, and sets @@TRANCOUNT to 0.
    void rollbackAll();

    // Services for the statement implementations.
    Session::Impl& session() { return s_; }
    BatchSink& output() { return out_; }
    //! Sends a complete result set.
    void sendRows(const std::vector<ResultColumn>& columns, const std::vector<std::vector<Value>>& rows);
    //! Binds the batch's variables and the scope's constants to the parameters of a prepared statement:
    //! all of them, or the first `n`.
    void bindVariables(sqlite3_stmt* stmt);
    void bindVariables(sqlite3_stmt* stmt, std::size_t n);
    //! Prepares (cached) and binds SQL; the caller steps and resets it.
    sqlite3_stmt* prepare(const std::string& sql);
    //! The same for a bound query's SQL, with the statement kept with it rather than looked up by text;
    //! every parameter is bound, so the caller's reset need not clear them.
    sqlite3_stmt* prepare(const BoundQuery& bound);
    //! Runs SQL that returns no rows; returns sqlite3_changes().
    long long run(const std::string& sql);
    //! Runs a query and reads every row as the given column types.
    std::vector<std::vector<Value>> rows(const std::string& sql, const std::vector<ResultColumn>& columns);
    //! The context SQL bound now from `owner` is valid in.
    BindContext bindContext(const Statement& owner) const;
    //! True when SQL bound in `context` is valid now for `owner`.
    bool inContext(const BindContext& context, const Statement& owner) const;
    //! The query of `owner` as `bind` binds it with a fresh binder, taken from `kept` when that was bound
    //! in the same context (the constants it reads are bound as parameters again) and kept there
    //! otherwise, unless the binding read what belongs to this run only.
    std::shared_ptr<const BoundQuery> boundQuery(const Statement& owner,
                                                 std::shared_ptr<const BoundQuery>& kept,
                                                 const std::function<QueryShape(Binder&)>& bind);
    //! Evaluates a scalar expression without FROM.
    Value evaluate(const Expr& e);
    //! Evaluates a search condition without FROM: true only when it holds (NULL counts as false).
    bool holds(const Expr& e);
    //! Runs `work` as one atomic statement (its own transaction or a savepoint in the open one).
    void atomically(const std::function<void()>& work);
    //! Assigns to a variable with the conversion (and silent truncation) of an assignment.
    void assign(Variable& v, const Value& value);
    //! The same, taking over a value that needs no conversion.
    void assign(Variable& v, Value&& value);
    void message(const std::string& text);

private:
    //! The bound SQL of a scalar (`condition` false) or condition without FROM, from the expression's
    //! cache when it still applies.
    std::shared_ptr<const BoundScalar> bindScalar(const Expr& e, bool condition);
    //! The value of an expression made only of INT and BIGINT variables and constants, @@FETCH_STATUS,
    //! @@ROWCOUNT, @@ERROR and arithmetic, computed here with the operators SQLite would call
    //! (tsql_chain), or nullopt for any other expression and for one whose arithmetic fails.
    std::optional<Value> integerValue(const Expr& e);
    struct Loop {
        std::size_t start;
        std::vector<std::size_t> breaks;
    };
    static constexpr std::size_t kNoRegion = static_cast<std::size_t>(-1);
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

    // TRY ... CATCH (exec_errors.cpp).
    //! The innermost TRY block holding instruction `pc`, or kNoRegion.
    std::size_t tryAt(std::size_t pc) const;
    //! Ends the CATCH blocks instruction `pc` lies outside of.
    void leaveCatches(std::size_t pc);
    //! Enters the CATCH block of `region` for `error`; returns the instruction it starts at.
    std::size_t enterCatch(std::size_t region, const SqlError& error, bool dooms);
    //! An error `in` raised: caught by this scope's CATCH block (`pc` moves there), passed on to a
    //! caller's (throws UnwindToCatch), or reported; false when it ends the run.
    bool handleError(SqlError& e, const Instruction& in, std::size_t region, std::size_t& pc);
    //! An error of compiling the scope: passed on to a caller's CATCH block or reported.
    void compileError(SqlError& e);

    void report(const SqlError& e);

    Session::Impl& s_;
    BatchSink& out_;
    ScopeKind kind_;
    bool catalogChecked_ = false;
    const Statement* current_ = nullptr; //!< the statement of the running instruction
    std::string module_;
    bool aborted_ = false;
    bool scopeOnly_ = false;
    bool abortOnError_ = false;
    int returnValue_ = 0;
    int statementError_ = 0;
    CompiledScope build_;                          //!< the scope being compiled
    std::shared_ptr<const CompiledScope> program_; //!< the scope running
    //! The compiled forms of the running scope's conditions, SET and FETCH statements (fast_steps.h), or
    //! nullptr; made for each run, as a FETCH step holds this run's cursor.
    std::vector<std::shared_ptr<FastStep>> fast_;
    std::vector<Loop> loops_;
    std::vector<std::size_t> catching_; //!< regions whose CATCH block runs, innermost last
    std::map<std::string, std::size_t> labels_;
    std::vector<std::pair<std::size_t, std::string>> gotos_;
};

//! True when `value` is assigned to a variable or parameter of type `type` as it is: a value of the
//! target's own type converts to itself unless the type pads (as convert() does).
inline bool keepsItsType(const Value& value, const Type& type) {
    return value.type() == type && type.id != TypeId::Null && !isFixedLengthType(type.id);
}
//! `value` converted for assigning it to a variable or parameter of type `type`.
Value assignedValue(const Value& value, const Type& type);
//! The same, taking over a value that needs no conversion.
Value assignedValue(Value&& value, const Type& type);

//! The operator of a compound assignment ("+=" ...), nullopt for "=".
std::optional<BinaryOp> compoundAssignment(const std::string& op);

// Statement implementations, one file per kind.
//! SELECT @v = expr, ...: assigns each row in turn, expressions reading the variables as assigned so far.
void executeSelectAssign(Executor& ex, const SelectStmt& stmt);
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
