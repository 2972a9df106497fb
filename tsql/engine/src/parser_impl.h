#pragma once
//! The parser's internal state, shared by the expression, query and statement parts.

#include "ast.h"
#include "lexer.h"

#include <string_view>
#include <vector>

namespace tsql::engine {

class Parser {
public:
    explicit Parser(std::string_view text);

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

private:
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
    ConstraintDef tableConstraint(std::string name);
    std::vector<std::string> columnList();

    std::string_view text_;
    std::vector<Token> tokens_;
    std::size_t pos_ = 0;
};

//! True for words SQL Server reserves (they never serve as aliases).
bool isReserved(std::string_view word);

} // namespace tsql::engine
