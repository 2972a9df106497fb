#pragma once
//! Syntax tree of a parsed batch.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace tsql {
struct Type;
}

namespace tsql::engine {

struct Query;
struct Expr;
struct BoundScalar;
struct BoundQuery;
struct CompiledScope;
using ExprPtr = std::unique_ptr<Expr>;

//! A type as written: name and arguments ("MAX" kept as text).
struct TypeName {
    std::string name;
    std::vector<std::string> args;
    //! The type as SQL Server would print it, e.g. "nvarchar(20)".
    std::string text() const;
};

enum class ExprKind {
    Literal,       //!< text = literal text; literal = which kind
    Variable,      //!< text = "@name"
    Global,        //!< text = "@@NAME" upper-cased
    Column,        //!< parts = qualifier parts and column name
    Star,          //!< parts = optional qualifier
    Unary,         //!< text = "-", "+", "~", "NOT"
    Binary,        //!< text = operator ("+", "=", "AND", ...)
    IsNull,        //!< args[0]; negated for IS NOT NULL
    Like,          //!< args: value, pattern [, escape]
    Between,       //!< args: value, low, high
    InList,        //!< args: value, items...
    InQuery,       //!< args[0] value, query
    Exists,        //!< query
    Subquery,      //!< scalar subquery
    Function,      //!< text = upper-cased name; args; distinct; star for COUNT(*)
    Cast,          //!< args[0]; type
    Convert,       //!< type; args: value [, style]
    Case,          //!< args: [operand] (when, then)... [else]; hasOperand, hasElse
    ColumnUpdated, //!< UPDATE(column) in a trigger; parts = the column name
};

enum class LiteralKind { Null, Integer, Decimal, Float, String, NString, Binary };

//! One expression node.
struct Expr {
    ExprKind kind = ExprKind::Literal;
    LiteralKind literal = LiteralKind::Null;
    std::string text;
    std::vector<std::string> parts;
    std::vector<ExprPtr> args;
    std::unique_ptr<Query> query;
    TypeName type;
    bool negated = false;
    bool distinct = false;
    bool star = false;
    bool hasOperand = false;
    bool hasElse = false;
    int line = 1;
    int depth = 1; //!< levels of the tree from this node down (subqueries included)
    //! Where a variable was last found among the scope's variables (Session::Impl::variable).
    mutable std::size_t slotHint = 0;
    //! The SQL this expression was last bound to as a scalar or condition without FROM
    //! (Executor::evaluate, Executor::holds), kept with the tree and checked before each reuse.
    mutable std::shared_ptr<const BoundScalar> bound;
};

//! Object name such as [dbo].[Tab] or tempdb..#x; only the last part matters to this engine.
struct ObjectName {
    std::vector<std::string> parts;
    const std::string& name() const { return parts.back(); }
    //! The name as written, parts joined by dots ("dbo.Tab").
    std::string written() const {
        std::string out;
        for (std::size_t i = 0; i < parts.size(); ++i)
            out += (i ? "." : "") + parts[i];
        return out;
    }
    bool isTemp() const { return !parts.empty() && !parts.back().empty() && parts.back()[0] == '#'; }
};

enum class JoinKind { Inner, Left, Right, Full, Cross };

//! An item of a FROM clause.
struct TableRef {
    enum class Kind { Named, Derived, Join } kind = Kind::Named;
    ObjectName name;
    std::string alias;
    std::unique_ptr<Query> derived;
    JoinKind join = JoinKind::Inner;
    std::unique_ptr<TableRef> left, right;
    ExprPtr on;
    int line = 1;
    int depth = 1; //!< levels of joins, derived tables and their expressions from this item down
};

//! One item of a select list.
struct SelectItem {
    ExprPtr expr;
    std::string alias;                      //!< AS alias or alias = expr
    std::string assign;                     //!< "@v" for SELECT @v = expr
    std::string assignOp;                   //!< "=" or compound "+=" ...
    mutable std::size_t assignSlotHint = 0; //!< where `assign` was last found (Session::Impl::variable)
};

//! SELECT ... FROM ... WHERE ... GROUP BY ... HAVING without ORDER BY.
struct SelectCore {
    bool distinct = false;
    ExprPtr top;
    std::vector<SelectItem> items;
    std::vector<std::unique_ptr<TableRef>> from;
    ExprPtr where;
    std::vector<ExprPtr> groupBy;
    ExprPtr having;
    std::optional<ObjectName> into; //!< SELECT ... INTO table
};

struct OrderItem {
    ExprPtr expr;
    bool descending = false;
};

//! A query: cores joined by UNION [ALL], then ORDER BY.
struct Query {
    std::vector<SelectCore> cores;
    std::vector<bool> unionAll; //!< unionAll[i] joins cores[i] and cores[i+1]
    std::vector<OrderItem> orderBy;
    int line = 1;
    int depth = 1; //!< levels of the expressions and FROM items below, plus one
};

enum class StmtKind {
    Select,
    Insert,
    Update,
    Delete,
    Declare,
    Set,
    If,
    Block,
    While,
    Break,
    Continue,
    Goto,
    Label,
    Return,
    Print,
    CreateTable,
    DropTable,
    CreateView,
    DropView,
    BeginTran,
    CommitTran,
    RollbackTran,
    Raiserror,
    SetOption,
    CreateProcedure,
    DropProcedure,
    Exec,
    Noop,
    CreateTrigger,
    DropTrigger,
    Use,
    Permission,
    DeclareCursor,
    OpenCursor,
    FetchCursor,
    CloseCursor,
    DeallocateCursor,
    AlterTable,
    CreateIndex,
    DropIndex,
    Try,
};

struct Statement {
    explicit Statement(StmtKind k)
        : kind(k) {}
    virtual ~Statement() = default;
    StmtKind kind;
    int line = 1;
    //! Changes whenever a kept batch gets other constants in this statement (BatchCache): what was bound
    //! from the statement under another stamp no longer applies.
    std::uint64_t literalStamp = 0;
};
using StmtPtr = std::unique_ptr<Statement>;

struct SelectStmt : Statement {
    SelectStmt()
        : Statement(StmtKind::Select) {}
    Query query;
    //! The SQL the query was last bound to, kept while what it was bound under stays (Executor::boundQuery).
    mutable std::shared_ptr<const BoundQuery> bound;
};

struct ExecStmt;
struct Batch;
struct CallFrame;
struct CreateTableStmt;

struct InsertStmt : Statement {
    InsertStmt()
        : Statement(StmtKind::Insert) {}
    ~InsertStmt() override;
    ObjectName table;
    std::vector<std::string> columns;
    std::vector<std::vector<ExprPtr>> values; //!< VALUES rows; a null ExprPtr is DEFAULT
    std::unique_ptr<Query> select;
    std::unique_ptr<ExecStmt> exec; //!< INSERT ... EXEC: the rows of its result sets
    bool defaultValues = false;
};

//! SET column = value of an UPDATE.
struct Assignment {
    std::vector<std::string> column; //!< column name parts
    std::string op = "=";
    ExprPtr value; //!< null for DEFAULT
};

struct UpdateStmt : Statement {
    UpdateStmt()
        : Statement(StmtKind::Update) {}
    ObjectName target; //!< table, view or alias named after UPDATE
    std::vector<Assignment> sets;
    std::vector<std::unique_ptr<TableRef>> from;
    ExprPtr where;
};

struct DeleteStmt : Statement {
    DeleteStmt()
        : Statement(StmtKind::Delete) {}
    ObjectName target;
    std::vector<std::unique_ptr<TableRef>> from;
    ExprPtr where;
};

struct VariableDecl {
    std::string name;
    TypeName type;
    ExprPtr init;
    std::shared_ptr<const CreateTableStmt> table; //!< DECLARE @t TABLE (...): its columns and constraints
};

struct DeclareStmt : Statement {
    DeclareStmt()
        : Statement(StmtKind::Declare) {}
    std::vector<VariableDecl> variables;
};

struct SetStmt : Statement {
    SetStmt()
        : Statement(StmtKind::Set) {}
    std::string variable;
    mutable std::size_t slotHint = 0; //!< where the variable was last found (Session::Impl::variable)
    std::string op = "=";
    ExprPtr value;
};

struct IfStmt : Statement {
    IfStmt()
        : Statement(StmtKind::If) {}
    ExprPtr condition;
    StmtPtr then, otherwise;
};

struct BlockStmt : Statement {
    BlockStmt()
        : Statement(StmtKind::Block) {}
    std::vector<StmtPtr> body;
};

struct WhileStmt : Statement {
    WhileStmt()
        : Statement(StmtKind::While) {}
    ExprPtr condition;
    StmtPtr body;
};

//! BEGIN TRY ... END TRY BEGIN CATCH ... END CATCH.
struct TryStmt : Statement {
    TryStmt()
        : Statement(StmtKind::Try) {}
    std::vector<StmtPtr> body;    //!< the TRY block
    std::vector<StmtPtr> handler; //!< the CATCH block
};

//! GOTO, label, BREAK, CONTINUE, transactions and other statements with a single name or none.
struct SimpleStmt : Statement {
    explicit SimpleStmt(StmtKind k)
        : Statement(k) {}
    std::string name;
    ExprPtr value; //!< RETURN value, PRINT text
};

struct RaiserrorStmt : Statement {
    RaiserrorStmt()
        : Statement(StmtKind::Raiserror) {}
    std::vector<ExprPtr> args; //!< message, severity, state, substitution arguments
    bool setError = false;     //!< WITH SETERROR: @@ERROR is set whatever the severity
};

struct ColumnDef {
    std::string name;
    TypeName type;
    bool hasType = true;
    ExprPtr computed; //!< name AS expr
    std::string computedText;
    std::optional<bool> nullable;
    bool identity = false;
    long long seed = 1, increment = 1;
    std::string defaultName;
    ExprPtr defaultValue;
    std::string defaultText; //!< source text of the default expression
    int line = 1;
};

enum class ConstraintKind { PrimaryKey, Unique, Check, ForeignKey };

struct ConstraintDef {
    ConstraintKind kind = ConstraintKind::PrimaryKey;
    std::string name; //!< empty = generated
    std::vector<std::string> columns;
    std::string column; //!< the column a column-level constraint is declared with; empty at table level
    ExprPtr check;
    std::string checkText;
    ObjectName refTable;
    std::vector<std::string> refColumns;
    bool clustered = false;
    bool clusteredGiven = false;
};

struct CreateTableStmt : Statement {
    CreateTableStmt()
        : Statement(StmtKind::CreateTable) {}
    ObjectName table;
    std::vector<ColumnDef> columns;
    std::vector<ConstraintDef> constraints;
};

struct DropStmt : Statement {
    explicit DropStmt(StmtKind k)
        : Statement(k) {}
    std::vector<ObjectName> names;
    bool ifExists = false;
};

struct CreateViewStmt : Statement {
    CreateViewStmt()
        : Statement(StmtKind::CreateView) {}
    ObjectName view;
    std::vector<std::string> columns;
    std::unique_ptr<Query> query;
    std::string text; //!< the statement text as written
};

//! A parameter of a stored procedure.
struct ParameterDecl {
    std::string name; //!< "@name"
    TypeName type;
    ExprPtr defaultValue; //!< null = the caller must pass it
    bool output = false;
    int line = 1;
};

//! CREATE or ALTER PROCEDURE: the rest of the batch is the body.
struct CreateProcedureStmt : Statement {
    CreateProcedureStmt()
        : Statement(StmtKind::CreateProcedure) {}
    ObjectName procedure;
    bool alter = false;
    std::vector<ParameterDecl> parameters;
    std::vector<StmtPtr> body;
    std::string text; //!< the definition as written, kept for the catalog
    //! The body as last compiled for a call (Executor::runStatements).
    mutable std::shared_ptr<const CompiledScope> compiled;
    //! The types of the parameters, resolved at the first call.
    mutable std::shared_ptr<const std::vector<Type>> parameterTypes;
    //! The callee's frame of the last call that ended, kept for the next one (procedure.cpp).
    mutable std::shared_ptr<CallFrame> keptFrame;
};

//! An argument of EXEC: positional or `@name = value`, DEFAULT, OUTPUT.
struct ExecArgument {
    std::string name; //!< "@name" when passed by name
    ExprPtr value;    //!< null for DEFAULT
    bool output = false;
};

//! EXEC [@ret =] procedure arguments, or EXEC (string) of dynamic SQL.
struct ExecStmt : Statement {
    ExecStmt()
        : Statement(StmtKind::Exec) {}
    ObjectName procedure;
    std::string returnVariable;
    mutable std::size_t returnSlotHint = 0; //!< where `returnVariable` was last found
    std::vector<ExecArgument> arguments;
    ExprPtr dynamic; //!< the text of EXEC (...)
    //! The parsed procedure the statement called last (one of the session's parsed procedures, which live
    //! as long as the session), valid for the session and catalog generation it was read under; and
    //! whether the name is one of a system procedure (-1 not yet known).
    mutable const void* calledSession = nullptr;
    mutable long long calledGeneration = -1;
    mutable const Batch* called = nullptr;
    mutable signed char system = -1;
};

//! The statements a trigger fires for, as bits of CreateTriggerStmt::events.
enum class TriggerEvent { Insert = 1, Update = 2, Delete = 4 };

//! CREATE or ALTER TRIGGER ... ON table FOR|AFTER events AS: the rest of the batch is the body.
struct CreateTriggerStmt : Statement {
    CreateTriggerStmt()
        : Statement(StmtKind::CreateTrigger) {}
    ObjectName trigger;
    ObjectName table;
    bool alter = false;
    int events = 0; //!< bit set of TriggerEvent
    std::vector<StmtPtr> body;
    std::string text; //!< the definition as written, kept for the catalog
};

//! GRANT, DENY or REVOKE: accepted and recorded, without effect.
struct PermissionStmt : Statement {
    PermissionStmt()
        : Statement(StmtKind::Permission) {}
    std::string action; //!< "GRANT", "DENY", "REVOKE"
    std::vector<std::string> permissions;
    std::string object; //!< empty for statement permissions
    std::vector<std::string> principals;
};

inline InsertStmt::~InsertStmt() = default;

//! A parsed batch; labels are statements inside it.
struct Batch {
    std::vector<StmtPtr> statements;
    //! The statements as last compiled (Executor::run).
    mutable std::shared_ptr<const CompiledScope> compiled;
};

} // namespace tsql::engine
