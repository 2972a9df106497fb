#include "errors.h"
#include "parser.h"
#include "parser_impl.h"

namespace tsql::engine {

Parser::Parser(std::string_view text)
    : text_(text)
    , tokens_(tokenize(text)) {}

Parser::Parser(std::string_view text, std::vector<Token> tokens, ParseNotes* notes)
    : text_(text)
    , tokens_(std::move(tokens))
    , notes_(notes) {}

void Parser::noteLiteral(std::size_t token, Expr& e) {
    if (notes_) notes_->literals.push_back({token, &e, nullptr});
}

bool Parser::accept(std::string_view keyword) {
    if (!cur().is(keyword)) return false;
    next();
    return true;
}

bool Parser::acceptSymbol(std::string_view symbol) {
    if (!cur().isSymbol(symbol)) return false;
    next();
    return true;
}

void Parser::expect(std::string_view keyword) {
    if (!accept(keyword)) fail();
}

void Parser::expectSymbol(std::string_view symbol) {
    if (!acceptSymbol(symbol)) fail();
}

void Parser::fail() const {
    const Token& t = cur();
    if (t.kind == TokenKind::End) {
        // SQL Server names the last token it read when the batch ends too early.
        const Token& last = pos_ > 0 ? tokens_[pos_ - 1] : t;
        raise(102, last.line, {last.display()});
    }
    raise(102, t.line, {t.display()});
}

void Parser::unsupported(const std::string& construct) const {
    raiseUnsupported(cur().line, construct);
}

bool Parser::atIdentifier() const {
    return cur().kind == TokenKind::QuotedIdentifier ||
           (cur().kind == TokenKind::Identifier && !isReserved(cur().text));
}

std::string Parser::identifier() {
    if (!atIdentifier()) fail();
    return next().text;
}

std::string Parser::sourceText(std::size_t fromToken, std::size_t toToken) const {
    if (notes_) notes_->keepsText = true;
    if (toToken <= fromToken) return {};
    const Token& first = tokens_[fromToken];
    const Token& last = tokens_[toToken - 1];
    return std::string(text_.substr(first.offset, last.offset + last.length - first.offset));
}

std::string Parser::sourceTextToEnd(std::size_t fromToken) const {
    if (notes_) notes_->keepsText = true;
    return std::string(text_.substr(tokens_[fromToken].offset));
}

namespace {

//! Statements of the language this engine recognises but does not run.
constexpr std::string_view unsupportedStarts[] = {
    "OPEN",  "FETCH", "CLOSE",   "DEALLOCATE", "USE",   "GRANT", "DENY",       "REVOKE", "TRUNCATE",
    "MERGE", "ALTER", "WAITFOR", "BULK",       "THROW", "SAVE",  "CHECKPOINT", "DBCC",   "KILL"};

} // namespace

bool Parser::atStatementStart() const {
    const Token& t = cur();
    if (t.kind == TokenKind::End || t.isSymbol(";")) return true;
    if (t.kind != TokenKind::Identifier) return false;
    if (ahead(1).isSymbol(":") && !isReserved(t.text)) return true;
    static constexpr std::string_view starts[] = {
        "SELECT", "INSERT",   "UPDATE",    "DELETE", "DECLARE", "SET",   "IF",     "BEGIN",
        "WHILE",  "BREAK",    "CONTINUE",  "GOTO",   "RETURN",  "PRINT", "CREATE", "DROP",
        "COMMIT", "ROLLBACK", "RAISERROR", "END",    "ELSE",    "WITH",  "EXEC",   "EXECUTE"};
    for (auto s : starts)
        if (t.is(s)) return true;
    for (auto s : unsupportedStarts)
        if (t.is(s)) return true;
    return false;
}

Batch Parser::batch() {
    Batch b;
    while (cur().kind != TokenKind::End) {
        if (acceptSymbol(";")) continue;
        if ((cur().is("CREATE") || cur().is("ALTER")) && (ahead(1).is("PROC") || ahead(1).is("PROCEDURE")) &&
            !b.statements.empty())
            raise(111, cur().line, {"CREATE/ALTER PROCEDURE"});
        if ((cur().is("CREATE") || cur().is("ALTER")) && ahead(1).is("TRIGGER") && !b.statements.empty())
            raise(111, cur().line, {upper(cur().text) + " TRIGGER"});
        b.statements.push_back(statement());
    }
    return b;
}

ExprPtr Parser::standaloneExpression() {
    auto e = expression();
    if (cur().kind != TokenKind::End) fail();
    return e;
}

StmtPtr Parser::statement() {
    Nested nested(*this);
    const std::size_t literalsBefore = notes_ ? notes_->literals.size() : 0;
    const Token& t = cur();
    int line = t.line;
    StmtPtr s;
    if (t.kind == TokenKind::Identifier && ahead(1).isSymbol(":") && !isReserved(t.text)) {
        auto label = std::make_unique<SimpleStmt>(StmtKind::Label);
        label->name = next().text;
        next();
        s = std::move(label);
    } else if (t.isSymbol("(") && startsQuery()) {
        s = selectStatement();
    } else if (t.kind != TokenKind::Identifier) {
        fail();
    } else if (t.is("SELECT")) {
        s = selectStatement();
    } else if (t.is("INSERT")) {
        s = insertStatement();
    } else if (t.is("UPDATE")) {
        s = updateStatement();
    } else if (t.is("DELETE")) {
        s = deleteStatement();
    } else if (t.is("DECLARE")) {
        s = declareStatement();
    } else if (t.is("SET")) {
        s = setStatement();
    } else if (t.is("IF")) {
        s = ifStatement();
    } else if (t.is("BEGIN")) {
        s = beginStatement();
    } else if (t.is("WHILE")) {
        s = whileStatement();
    } else if (t.is("BREAK") || t.is("CONTINUE")) {
        s = std::make_unique<SimpleStmt>(t.is("BREAK") ? StmtKind::Break : StmtKind::Continue);
        next();
    } else if (t.is("GOTO")) {
        next();
        auto g = std::make_unique<SimpleStmt>(StmtKind::Goto);
        g->name = identifier();
        s = std::move(g);
    } else if (t.is("RETURN")) {
        next();
        auto r = std::make_unique<SimpleStmt>(StmtKind::Return);
        if (!atStatementStart() || cur().isSymbol("(")) {
            if (!cur().isSymbol(";") && cur().kind != TokenKind::End) r->value = expression();
        }
        s = std::move(r);
    } else if (t.is("PRINT")) {
        next();
        auto p = std::make_unique<SimpleStmt>(StmtKind::Print);
        p->value = expression();
        s = std::move(p);
    } else if (t.is("CREATE")) {
        s = createStatement();
    } else if (t.is("DROP")) {
        s = dropStatement();
    } else if (t.is("COMMIT")) {
        s = transactionStatement(StmtKind::CommitTran);
    } else if (t.is("ROLLBACK")) {
        s = transactionStatement(StmtKind::RollbackTran);
    } else if (t.is("RAISERROR")) {
        s = raiserrorStatement();
    } else if (t.is("EXEC") || t.is("EXECUTE")) {
        s = execStatement();
    } else if (t.is("OPEN") || t.is("FETCH") || t.is("CLOSE") || t.is("DEALLOCATE")) {
        s = cursorStatement(t.is("OPEN")    ? StmtKind::OpenCursor
                            : t.is("FETCH") ? StmtKind::FetchCursor
                            : t.is("CLOSE") ? StmtKind::CloseCursor
                                            : StmtKind::DeallocateCursor);
    } else if (t.is("ALTER") && ahead(1).is("TABLE")) {
        s = alterTableStatement();
    } else if (t.is("ALTER") && (ahead(1).is("PROC") || ahead(1).is("PROCEDURE"))) {
        s = procedureStatement(true);
    } else if (t.is("ALTER") && ahead(1).is("TRIGGER")) {
        s = triggerStatement(true);
    } else if (t.is("USE")) {
        s = useStatement();
    } else if (t.is("GRANT") || t.is("DENY") || t.is("REVOKE")) {
        s = permissionStatement();
    } else if (t.is("WITH")) {
        unsupported("common table expression (WITH)");
    } else {
        for (auto u : unsupportedStarts)
            if (t.is(u)) unsupported(upper(t.text) + " statement");
        fail();
    }
    s->line = line;
    // Literals not claimed by a statement nested in this one are this statement's.
    if (notes_)
        for (std::size_t i = literalsBefore; i < notes_->literals.size(); ++i)
            if (!notes_->literals[i].owner) notes_->literals[i].owner = s.get();
    return s;
}

StmtPtr Parser::selectStatement() {
    auto s = std::make_unique<SelectStmt>();
    s->query = std::move(*query());
    // INTO belongs to the first SELECT of a UNION only.
    for (std::size_t i = 1; i < s->query.cores.size(); ++i)
        if (s->query.cores[i].into) raise(102, s->query.line, {"INTO"});
    return s;
}

std::vector<std::string> Parser::columnList() {
    std::vector<std::string> cols;
    expectSymbol("(");
    do {
        cols.push_back(identifier());
    } while (acceptSymbol(","));
    expectSymbol(")");
    return cols;
}

StmtPtr Parser::insertStatement() {
    next();
    auto s = std::make_unique<InsertStmt>();
    if (cur().is("TOP")) unsupported("INSERT TOP");
    accept("INTO");
    s->table = tableName();
    tableHints();
    if (cur().isSymbol("(") && !startsQuery()) {
        expectSymbol("(");
        do {
            std::vector<std::string> parts{identifier()};
            while (acceptSymbol("."))
                parts.push_back(identifier());
            s->columns.push_back(parts.back());
        } while (acceptSymbol(","));
        expectSymbol(")");
    }
    if (cur().is("OUTPUT")) unsupported("OUTPUT clause");
    if (accept("VALUES")) {
        do {
            expectSymbol("(");
            std::vector<ExprPtr> row;
            do {
                if (accept("DEFAULT"))
                    row.emplace_back();
                else
                    row.push_back(expression());
            } while (acceptSymbol(","));
            expectSymbol(")");
            s->values.push_back(std::move(row));
        } while (acceptSymbol(","));
    } else if (cur().is("DEFAULT")) {
        next();
        expect("VALUES");
        s->defaultValues = true;
    } else if (startsQuery()) {
        s->select = query();
    } else if (cur().is("EXEC") || cur().is("EXECUTE")) {
        StmtPtr exec = execStatement();
        s->exec.reset(static_cast<ExecStmt*>(exec.release()));
    } else {
        fail();
    }
    return s;
}

StmtPtr Parser::updateStatement() {
    next();
    auto s = std::make_unique<UpdateStmt>();
    if (cur().is("TOP")) unsupported("UPDATE TOP");
    s->target = tableName();
    tableHints();
    expect("SET");
    do {
        Assignment a;
        if (cur().kind == TokenKind::Variable) {
            unsupported("assigning variables in UPDATE ... SET");
        } else {
            a.column.push_back(identifier());
            while (acceptSymbol("."))
                a.column.push_back(identifier());
        }
        const Token& op = cur();
        if (op.kind != TokenKind::Symbol || !(op.text == "=" || op.text == "+=" || op.text == "-=" ||
                                              op.text == "*=" || op.text == "/=" || op.text == "%="))
            fail();
        a.op = next().text;
        if (!accept("DEFAULT")) a.value = expression();
        s->sets.push_back(std::move(a));
    } while (acceptSymbol(","));
    if (cur().is("OUTPUT")) unsupported("OUTPUT clause");
    if (accept("FROM")) s->from = fromList();
    if (accept("WHERE")) {
        if (cur().is("CURRENT")) unsupported("WHERE CURRENT OF");
        s->where = condition();
    }
    return s;
}

StmtPtr Parser::deleteStatement() {
    next();
    auto s = std::make_unique<DeleteStmt>();
    if (cur().is("TOP")) unsupported("DELETE TOP");
    accept("FROM");
    s->target = tableName();
    tableHints();
    if (cur().is("OUTPUT")) unsupported("OUTPUT clause");
    if (accept("FROM")) s->from = fromList();
    if (accept("WHERE")) {
        if (cur().is("CURRENT")) unsupported("WHERE CURRENT OF");
        s->where = condition();
    }
    return s;
}

StmtPtr Parser::declareStatement() {
    next();
    auto s = std::make_unique<DeclareStmt>();
    if (cur().kind == TokenKind::Identifier &&
        (ahead(1).is("CURSOR") || ahead(1).is("INSENSITIVE") || ahead(1).is("SCROLL")))
        return declareCursor();
    do {
        if (cur().kind != TokenKind::Variable) fail();
        VariableDecl v;
        const int line = cur().line;
        v.name = next().text;
        accept("AS");
        if (cur().is("CURSOR")) unsupported("cursor variable");
        if (accept("TABLE")) {
            auto table = std::make_shared<CreateTableStmt>();
            table->table.parts = {v.name};
            table->line = line;
            tableElements(*table);
            v.table = std::move(table);
            s->variables.push_back(std::move(v));
            continue;
        }
        v.type = typeName();
        if (acceptSymbol("=")) v.init = expression();
        s->variables.push_back(std::move(v));
    } while (acceptSymbol(","));
    return s;
}

StmtPtr Parser::setStatement() {
    next();
    if (cur().kind == TokenKind::Variable) {
        auto s = std::make_unique<SetStmt>();
        s->variable = next().text;
        const Token& op = cur();
        if (op.kind != TokenKind::Symbol || !(op.text == "=" || op.text == "+=" || op.text == "-=" ||
                                              op.text == "*=" || op.text == "/=" || op.text == "%="))
            fail();
        s->op = next().text;
        if (cur().is("CURSOR")) unsupported("cursor variable");
        s->value = expression();
        return s;
    }
    // SET <option> ON|OFF and the few valued options.
    auto s = std::make_unique<SimpleStmt>(StmtKind::SetOption);
    static constexpr std::string_view switches[] = {"NOCOUNT",
                                                    "XACT_ABORT",
                                                    "ANSI_NULLS",
                                                    "QUOTED_IDENTIFIER",
                                                    "ANSI_WARNINGS",
                                                    "ANSI_PADDING",
                                                    "ARITHABORT",
                                                    "CONCAT_NULL_YIELDS_NULL",
                                                    "ANSI_NULL_DFLT_ON",
                                                    "IMPLICIT_TRANSACTIONS",
                                                    "NUMERIC_ROUNDABORT",
                                                    "CURSOR_CLOSE_ON_COMMIT",
                                                    "ANSI_DEFAULTS"};
    bool known = false;
    for (auto sw : switches)
        if (cur().is(sw)) known = true;
    if (!known) {
        if (cur().kind == TokenKind::Identifier) unsupported("SET " + upper(cur().text));
        fail();
    }
    s->name = upper(next().text);
    if (cur().is("ON") || cur().is("OFF")) {
        s->value = std::make_unique<Expr>();
        s->value->kind = ExprKind::Literal;
        s->value->literal = LiteralKind::String;
        s->value->text = upper(next().text);
    } else {
        fail();
    }
    // Scripts switch ANSI_NULLS and CONCAT_NULL_YIELDS_NULL around their definitions; the engine keeps
    // the ON behaviour for both (see DESIGN.md).
    if ((s->name == "IMPLICIT_TRANSACTIONS" || s->name == "ANSI_DEFAULTS") && s->value->text != "OFF")
        raiseUnsupported(s->line, "SET " + s->name + " " + s->value->text);
    return s;
}

StmtPtr Parser::ifStatement() {
    next();
    auto s = std::make_unique<IfStmt>();
    s->condition = condition();
    if (cur().kind == TokenKind::End) fail();
    s->then = statement();
    while (acceptSymbol(";")) {
    }
    if (accept("ELSE")) {
        if (cur().kind == TokenKind::End) fail();
        s->otherwise = statement();
    }
    return s;
}

StmtPtr Parser::beginStatement() {
    if (ahead(1).is("TRAN") || ahead(1).is("TRANSACTION")) {
        next();
        next();
        auto s = std::make_unique<SimpleStmt>(StmtKind::BeginTran);
        if (cur().kind == TokenKind::Identifier && !atStatementStart()) s->name = next().text;
        if (cur().is("WITH") && ahead(1).is("MARK")) unsupported("BEGIN TRANSACTION WITH MARK");
        return s;
    }
    if (ahead(1).is("TRY")) return tryStatement();
    if (ahead(1).is("CATCH")) {
        next();
        fail(); // a CATCH block without its TRY block
    }
    if (ahead(1).is("DISTRIBUTED")) unsupported("BEGIN DISTRIBUTED TRANSACTION");
    next();
    auto s = std::make_unique<BlockStmt>();
    while (!cur().is("END")) {
        if (cur().kind == TokenKind::End) fail();
        if (acceptSymbol(";")) continue;
        s->body.push_back(statement());
    }
    next();
    return s;
}

StmtPtr Parser::tryStatement() {
    auto s = std::make_unique<TryStmt>();
    // Each block holds at least one statement and ends with END TRY or END CATCH (SQL Server 2005).
    auto block = [&](std::string_view word, std::vector<StmtPtr>& body) {
        next();
        next();
        while (!(cur().is("END") && ahead(1).is(word))) {
            if (cur().kind == TokenKind::End) fail();
            if (acceptSymbol(";")) continue;
            body.push_back(statement());
        }
        if (body.empty()) fail();
        next();
        next();
    };
    block("TRY", s->body);
    while (acceptSymbol(";")) {
    }
    if (!(cur().is("BEGIN") && ahead(1).is("CATCH"))) fail();
    block("CATCH", s->handler);
    return s;
}

StmtPtr Parser::whileStatement() {
    next();
    auto s = std::make_unique<WhileStmt>();
    s->condition = condition();
    if (cur().kind == TokenKind::End) fail();
    s->body = statement();
    return s;
}

StmtPtr Parser::transactionStatement(StmtKind kind) {
    next();
    auto s = std::make_unique<SimpleStmt>(kind);
    if (accept("TRAN") || accept("TRANSACTION") || accept("WORK")) {
        if (cur().kind == TokenKind::Identifier && !atStatementStart()) s->name = next().text;
    }
    return s;
}

StmtPtr Parser::raiserrorStatement() {
    next();
    auto s = std::make_unique<RaiserrorStmt>();
    expectSymbol("(");
    do {
        s->args.push_back(expression());
    } while (acceptSymbol(","));
    expectSymbol(")");
    if (s->args.size() < 3) fail();
    if (accept("WITH")) {
        do {
            if (accept("SETERROR"))
                s->setError = true;
            else if (!(accept("NOWAIT") || accept("LOG")))
                fail();
        } while (acceptSymbol(","));
    }
    return s;
}

Batch parseBatch(std::string_view text) {
    return Parser(text).batch();
}

Batch parseBatch(std::string_view text, std::vector<Token> tokens, ParseNotes& notes) {
    return Parser(text, std::move(tokens), &notes).batch();
}

ExprPtr parseExpression(std::string_view text) {
    return Parser(text).standaloneExpression();
}

} // namespace tsql::engine
