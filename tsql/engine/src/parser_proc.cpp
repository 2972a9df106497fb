#include "errors.h"
#include "parser_impl.h"

namespace tsql::engine {

StmtPtr Parser::procedureStatement(bool alter) {
    std::size_t start = position();
    next();
    next();
    auto s = std::make_unique<CreateProcedureStmt>();
    s->alter = alter;
    s->procedure = objectName();
    if (s->procedure.isTemp()) unsupported("temporary procedure");
    if (cur().isSymbol(";")) unsupported("numbered procedure");
    bool parenthesised = acceptSymbol("(");
    while (cur().kind == TokenKind::Variable) {
        ParameterDecl p;
        p.line = cur().line;
        p.name = next().text;
        accept("AS");
        if (cur().is("CURSOR") || cur().is("TABLE")) unsupported(upper(cur().text) + " parameter");
        p.type = typeName();
        accept("VARYING");
        if (acceptSymbol("=")) p.defaultValue = expression();
        if (accept("OUTPUT") || accept("OUT")) p.output = true;
        if (cur().is("READONLY")) unsupported("READONLY parameter");
        for (const auto& other : s->parameters)
            if (equalsIgnoreCase(other.name, p.name)) raise(134, p.line, {p.name});
        s->parameters.push_back(std::move(p));
        if (!acceptSymbol(",")) break;
    }
    if (parenthesised) expectSymbol(")");
    if (accept("WITH")) {
        do {
            if (!accept("RECOMPILE")) unsupported("procedure option " + upper(cur().text));
        } while (acceptSymbol(","));
    }
    if (cur().is("FOR") && ahead(1).is("REPLICATION")) unsupported("FOR REPLICATION");
    expect("AS");
    while (cur().kind != TokenKind::End) {
        if (acceptSymbol(";")) continue;
        s->body.push_back(statement());
    }
    s->text = sourceTextToEnd(start);
    return s;
}

StmtPtr Parser::execStatement() {
    next();
    auto s = std::make_unique<ExecStmt>();
    if (acceptSymbol("(")) {
        s->dynamic = expression();
        expectSymbol(")");
        if (cur().is("AS") || cur().is("AT")) unsupported("EXEC (...) " + upper(cur().text));
        return s;
    }
    if (cur().kind == TokenKind::Variable) {
        if (!ahead(1).isSymbol("=")) unsupported("EXEC of a procedure named by a variable");
        s->returnVariable = next().text;
        next();
        if (cur().kind == TokenKind::Variable) unsupported("EXEC of a procedure named by a variable");
    }
    s->procedure = objectName();
    if (atStatementStart() && cur().kind != TokenKind::Variable) return s;
    do {
        ExecArgument a;
        if (cur().kind == TokenKind::Variable && ahead(1).isSymbol("=")) {
            a.name = next().text;
            next();
        }
        if (!accept("DEFAULT")) a.value = expression();
        if (accept("OUTPUT") || accept("OUT")) a.output = true;
        s->arguments.push_back(std::move(a));
    } while (acceptSymbol(","));
    if (cur().is("WITH") && ahead(1).is("RECOMPILE")) {
        next();
        next();
    }
    return s;
}

} // namespace tsql::engine
