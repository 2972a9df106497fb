#pragma once
//! The parser's internal state, shared by the expression, query and statement parts.

#include "ast.h"
#include "lexer.h"
#include "parser.h"

#include <string_view>
#include <vector>

namespace tsql::engine {

//! Deepest nesting of parentheses, function calls, CASE, subqueries, signs, NOT and statement blocks
//! the parser follows before it answers error 191: keeps the recursive descent well inside the stack
//! (also under the sanitizers, whose frames are larger).
inline constexpr int kMaxNesting = 200;
//! Most levels an expression tree may have, long chains such as a + b + c ... or p AND q AND ...
//! included (each operator is a level): bounds every recursive walk of a tree (binding, stored forms,
//! destruction) while leaving room for the chains generated SQL holds (hundreds of terms).
inline constexpr int kMaxExpressionDepth = 1000;

//! Sets `e.depth` from its arguments and subquery; error 191 past kMaxExpressionDepth.
ExprPtr withDepth(ExprPtr e);
//! `depth`, or error 191 at `line` when it is past kMaxExpressionDepth.
int checkedDepth(int depth, int line);

class Parser {
public:
    explicit Parser(std::string_view text);
    //! A parser of tokens already read from `text`, noting literals into `notes`.
    Parser(std::string_view text, std::vector<Token> tokens, ParseNotes* notes);

    Batch batch();
    ExprPtr standaloneExpression();

    // Expressions (parser_expr.cpp)
    ExprPtr expression();
    //! A search condition; anything but a predicate raises 4145 naming the token after it.
    ExprPtr condition();
    TypeName typeName();

    // Queries (parser_query.cpp)
    std::unique_ptr<Query> query();
    std::unique_ptr<TableRef> tableRef();
    std::vector<std::unique_ptr<TableRef>> fromList();
    ObjectName objectName();
    //! A table named in FROM, INSERT, UPDATE or DELETE: an object name or a table variable (@t).
    ObjectName tableName();
    bool startsQuery() const;

    // Statements (parser_stmt.cpp)
    StmtPtr statement();

    // Token access shared by the parts.
    const Token& cur() const { return tokens_[pos_]; }
    const Token& ahead(std::size_t n) const { return tokens_[std::min(pos_ + n, tokens_.size() - 1)]; }
    Token next() { return tokens_[pos_ < tokens_.size() - 1 ? pos_++ : pos_]; }
    bool accept(std::string_view keyword);
    bool acceptSymbol(std::string_view symbol);
    void expect(std::string_view keyword);
    void expectSymbol(std::string_view symbol);
    [[noreturn]] void fail() const;
    [[noreturn]] void unsupported(const std::string& construct) const;
    //! Name of a column, alias or variable-less identifier (plain or quoted).
    std::string identifier();
    bool atIdentifier() const;
    //! True when the current token starts a new statement (ends an optional clause).
    bool atStatementStart() const;
    //! Source text between two token indexes (inclusive start, exclusive end).
    std::string sourceText(std::size_t fromToken, std::size_t toToken) const;
    std::size_t position() const { return pos_; }
    //! Source text from a token to the end of the batch.
    std::string sourceTextToEnd(std::size_t fromToken) const;
    //! AS and the statements of a procedure or trigger up to the end of the batch; returns the text
    //! of the whole definition from token `start`.
    std::string moduleBody(std::vector<StmtPtr>& body, std::size_t start);
    //! Parameter declarations of a procedure (or of sp_executesql): @name type [= default] [OUTPUT], ...
    std::vector<ParameterDecl> parameterList();

private:
    //! Counts one level of the parser's recursion for as long as it lives (error 191 past kMaxNesting).
    class Nested {
    public:
        explicit Nested(Parser& parser);
        ~Nested() { --parser_.nesting_; }
        Nested(const Nested&) = delete;
        Nested& operator=(const Nested&) = delete;

    private:
        Parser& parser_;
    };

    ExprPtr orExpr();
    ExprPtr andExpr();
    ExprPtr notExpr();
    ExprPtr predicate();
    ExprPtr additive();
    ExprPtr multiplicative();
    ExprPtr unary();
    ExprPtr primary();
    ExprPtr caseExpr();
    ExprPtr functionCall(std::string name, int line);

    SelectCore selectCore();
    std::unique_ptr<TableRef> tablePrimary();
    std::string optionalAlias();
    void tableHints();

    StmtPtr selectStatement();
    StmtPtr insertStatement();
    StmtPtr updateStatement();
    StmtPtr deleteStatement();
    StmtPtr declareStatement();
    StmtPtr setStatement();
    StmtPtr ifStatement();
    StmtPtr beginStatement();
    StmtPtr tryStatement();
    StmtPtr whileStatement();
    StmtPtr createStatement();
    StmtPtr dropStatement();
    StmtPtr transactionStatement(StmtKind kind);
    StmtPtr raiserrorStatement();
    StmtPtr procedureStatement(bool alter);
    StmtPtr execStatement();
    StmtPtr triggerStatement(bool alter);
    StmtPtr useStatement();
    StmtPtr permissionStatement();
    StmtPtr declareCursor();
    StmtPtr cursorStatement(StmtKind kind);
    StmtPtr alterTableStatement();
    StmtPtr createIndexStatement();
    StmtPtr dropIndexStatement();
    void columnDefinition(CreateTableStmt& table);
    //! ( column definitions and table constraints ) of CREATE TABLE and DECLARE @t TABLE.
    void tableElements(CreateTableStmt& table);
    ConstraintDef tableConstraint(std::string name);
    //! A PRIMARY KEY, UNIQUE, CHECK or FOREIGN KEY clause, of `column` (column level) or of the table
    //! (`column` empty: key columns listed), with CLUSTERED, WITH index options and ON filegroup.
    ConstraintDef constraintClause(std::string name, const std::string& column);
    //! WITH FILLFACTOR = n or WITH (options) of an index: accepted and ignored.
    void indexOptions();
    std::vector<std::string> columnList();

    //! Notes the literal expression `e` made from the token at `token`.
    void noteLiteral(std::size_t token, Expr& e);

    std::string_view text_;
    std::vector<Token> tokens_;
    ParseNotes* notes_ = nullptr;
    std::size_t pos_ = 0;
    int nesting_ = 0;
};

//! True for words SQL Server reserves (they never serve as aliases).
bool isReserved(std::string_view word);

} // namespace tsql::engine
