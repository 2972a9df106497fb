#include "errors.h"
#include "parser_impl.h"

namespace tsql::engine {

std::string Parser::moduleBody(std::vector<StmtPtr>& body, std::size_t start) {
    expect("AS");
    while (cur().kind != TokenKind::End) {
        if (acceptSymbol(";")) continue;
        body.push_back(statement());
    }
    return sourceTextToEnd(start);
}

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
    s->text = moduleBody(s->body, start);
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

StmtPtr Parser::triggerStatement(bool alter) {
    std::size_t start = position();
    next();
    next();
    auto s = std::make_unique<CreateTriggerStmt>();
    s->alter = alter;
    s->trigger = objectName();
    if (s->trigger.isTemp()) unsupported("temporary trigger");
    expect("ON");
    s->table = objectName();
    if (cur().is("WITH")) unsupported("trigger option " + upper(ahead(1).text));
    if (cur().is("INSTEAD")) unsupported("INSTEAD OF trigger");
    if (!accept("FOR") && !accept("AFTER")) fail();
    do {
        TriggerEvent event;
        if (accept("INSERT"))
            event = TriggerEvent::Insert;
        else if (accept("UPDATE"))
            event = TriggerEvent::Update;
        else if (accept("DELETE"))
            event = TriggerEvent::Delete;
        else
            fail();
        s->events |= static_cast<int>(event);
    } while (acceptSymbol(","));
    if (cur().is("WITH") && ahead(1).is("APPEND")) {
        next();
        next();
    }
    if (cur().is("NOT") && ahead(1).is("FOR") && ahead(2).is("REPLICATION")) {
        next();
        next();
        next();
    }
    s->text = moduleBody(s->body, start);
    return s;
}

StmtPtr Parser::useStatement() {
    next();
    auto s = std::make_unique<SimpleStmt>(StmtKind::Use);
    s->name = identifier();
    return s;
}

StmtPtr Parser::permissionStatement() {
    auto s = std::make_unique<PermissionStmt>();
    s->action = upper(next().text);
    if (s->action == "REVOKE" && cur().is("GRANT") && ahead(1).is("OPTION")) {
        next();
        next();
        expect("FOR");
    }
    // Permissions are words ("ALL PRIVILEGES", "VIEW DEFINITION"), some with a column list.
    do {
        std::string permission;
        while (cur().kind == TokenKind::Identifier && !cur().is("ON") && !cur().is("TO") && !cur().is("FROM"))
            permission += (permission.empty() ? "" : " ") + upper(next().text);
        if (permission.empty()) fail();
        if (cur().isSymbol("(")) columnList();
        s->permissions.push_back(permission);
    } while (acceptSymbol(","));
    if (accept("ON")) {
        if ((cur().is("OBJECT") || cur().is("SCHEMA")) &&
            (ahead(1).isSymbol(":") || ahead(1).isSymbol("::"))) {
            next();
            while (acceptSymbol(":") || acceptSymbol("::")) {
            }
        }
        s->object = objectName().name();
        if (cur().isSymbol("(")) columnList();
    }
    if (!accept("TO") && !(s->action == "REVOKE" && accept("FROM"))) fail();
    do {
        s->principals.push_back(identifier());
    } while (acceptSymbol(","));
    if (s->action == "GRANT" && cur().is("WITH") && ahead(1).is("GRANT")) {
        next();
        next();
        expect("OPTION");
    }
    if (s->action != "GRANT" && cur().is("CASCADE")) next();
    if (cur().is("AS") && !atStatementStart()) {
        next();
        identifier();
    }
    return s;
}

} // namespace tsql::engine
