#include "errors.h"
#include "parser_impl.h"

namespace tsql::engine {

StmtPtr Parser::createStatement() {
    next();
    if (cur().is("TABLE")) {
        next();
        auto s = std::make_unique<CreateTableStmt>();
        s->table = objectName();
        expectSymbol("(");
        do {
            if (cur().is("CONSTRAINT") || cur().is("PRIMARY") || cur().is("UNIQUE") || cur().is("CHECK") ||
                cur().is("FOREIGN")) {
                std::string name;
                if (accept("CONSTRAINT")) name = identifier();
                s->constraints.push_back(tableConstraint(name));
            } else if (cur().is("INDEX")) {
                unsupported("inline INDEX");
            } else {
                columnDefinition(*s);
            }
        } while (acceptSymbol(","));
        expectSymbol(")");
        while (cur().is("ON") || cur().is("TEXTIMAGE_ON")) {
            next();
            identifier();
        }
        if (cur().is("WITH")) unsupported("table options (WITH)");
        return s;
    }
    if (cur().is("VIEW")) {
        std::size_t start = position() - 1;
        next();
        auto s = std::make_unique<CreateViewStmt>();
        s->view = objectName();
        if (cur().isSymbol("(")) s->columns = columnList();
        if (cur().is("WITH")) unsupported("view options (WITH)");
        expect("AS");
        s->query = query();
        if (cur().is("WITH") && ahead(1).is("CHECK")) unsupported("WITH CHECK OPTION");
        s->text = sourceText(start, position());
        return s;
    }
    if (cur().is("PROC") || cur().is("PROCEDURE")) {
        --pos_;
        return procedureStatement(false);
    }
    if (cur().is("TRIGGER")) {
        --pos_;
        return triggerStatement(false);
    }
    if (cur().is("FUNCTION")) unsupported("CREATE FUNCTION");
    if (cur().is("INDEX") || cur().is("UNIQUE") || cur().is("CLUSTERED") || cur().is("NONCLUSTERED"))
        return createIndexStatement();
    if (cur().kind == TokenKind::Identifier) unsupported("CREATE " + upper(cur().text));
    fail();
}

StmtPtr Parser::dropStatement() {
    next();
    StmtKind kind;
    if (cur().is("TABLE"))
        kind = StmtKind::DropTable;
    else if (cur().is("VIEW"))
        kind = StmtKind::DropView;
    else if (cur().is("PROC") || cur().is("PROCEDURE"))
        kind = StmtKind::DropProcedure;
    else if (cur().is("TRIGGER"))
        kind = StmtKind::DropTrigger;
    else if (accept("INDEX"))
        return dropIndexStatement();
    else if (cur().kind == TokenKind::Identifier)
        unsupported("DROP " + upper(cur().text));
    else
        fail();
    next();
    auto s = std::make_unique<DropStmt>(kind);
    if (cur().is("IF") && ahead(1).is("EXISTS")) {
        next();
        next();
        s->ifExists = true;
    }
    do {
        s->names.push_back(objectName());
    } while (acceptSymbol(","));
    return s;
}

namespace {

long long integerArgument(Parser& p) {
    bool negative = p.acceptSymbol("-");
    const Token& t = p.cur();
    if (t.kind != TokenKind::Integer) p.fail();
    long long v = std::stoll(p.next().text);
    return negative ? -v : v;
}

} // namespace

void Parser::columnDefinition(CreateTableStmt& table) {
    ColumnDef c;
    c.line = cur().line;
    c.name = identifier();
    if (accept("AS")) {
        c.hasType = false;
        std::size_t start = position();
        c.computed = expression();
        c.computedText = sourceText(start, position());
        if (cur().is("PERSISTED")) unsupported("PERSISTED computed column");
        table.columns.push_back(std::move(c));
        return;
    }
    c.type = typeName();
    std::string pendingName;
    for (;;) {
        if (accept("COLLATE")) {
            identifier();
        } else if (accept("IDENTITY")) {
            c.identity = true;
            if (acceptSymbol("(")) {
                c.seed = integerArgument(*this);
                expectSymbol(",");
                c.increment = integerArgument(*this);
                expectSymbol(")");
            }
            if (cur().is("NOT") && ahead(1).is("FOR")) unsupported("NOT FOR REPLICATION");
        } else if (cur().is("NOT") && ahead(1).is("NULL")) {
            next();
            next();
            c.nullable = false;
        } else if (accept("NULL")) {
            c.nullable = true;
        } else if (accept("CONSTRAINT")) {
            pendingName = identifier();
            continue;
        } else if (accept("DEFAULT")) {
            c.defaultName = pendingName;
            std::size_t start = position();
            c.defaultValue = expression();
            c.defaultText = sourceText(start, position());
        } else if (cur().is("PRIMARY") || cur().is("UNIQUE") || cur().is("CHECK") || cur().is("REFERENCES") ||
                   cur().is("FOREIGN")) {
            ConstraintDef k;
            k.name = pendingName;
            k.column = c.name;
            if (accept("PRIMARY")) {
                expect("KEY");
                k.kind = ConstraintKind::PrimaryKey;
                k.clustered = true;
            } else if (accept("UNIQUE")) {
                k.kind = ConstraintKind::Unique;
            } else if (accept("CHECK")) {
                k.kind = ConstraintKind::Check;
                expectSymbol("(");
                std::size_t start = position();
                k.check = expression();
                k.checkText = sourceText(start, position());
                expectSymbol(")");
            } else {
                if (accept("FOREIGN")) expect("KEY");
                expect("REFERENCES");
                k.kind = ConstraintKind::ForeignKey;
                k.refTable = objectName();
                if (cur().isSymbol("(")) k.refColumns = columnList();
                if (cur().is("ON")) unsupported("referential actions (ON DELETE / ON UPDATE)");
            }
            if (k.kind == ConstraintKind::PrimaryKey || k.kind == ConstraintKind::Unique) {
                if (accept("CLUSTERED")) {
                    k.clustered = true;
                    k.clusteredGiven = true;
                } else if (accept("NONCLUSTERED")) {
                    k.clustered = false;
                    k.clusteredGiven = true;
                }
            }
            if (k.kind != ConstraintKind::Check) k.columns.push_back(c.name);
            table.constraints.push_back(std::move(k));
        } else if (accept("ROWGUIDCOL")) {
        } else {
            break;
        }
        pendingName.clear();
    }
    if (!pendingName.empty()) fail();
    table.columns.push_back(std::move(c));
}

ConstraintDef Parser::tableConstraint(std::string name) {
    ConstraintDef k;
    k.name = std::move(name);
    auto keyColumns = [&] {
        expectSymbol("(");
        do {
            k.columns.push_back(identifier());
            if (!accept("ASC")) accept("DESC");
        } while (acceptSymbol(","));
        expectSymbol(")");
    };
    if (accept("PRIMARY")) {
        expect("KEY");
        k.kind = ConstraintKind::PrimaryKey;
        k.clustered = true;
    } else if (accept("UNIQUE")) {
        k.kind = ConstraintKind::Unique;
    } else if (accept("CHECK")) {
        k.kind = ConstraintKind::Check;
        expectSymbol("(");
        std::size_t start = position();
        k.check = expression();
        k.checkText = sourceText(start, position());
        expectSymbol(")");
        return k;
    } else if (accept("FOREIGN")) {
        expect("KEY");
        k.kind = ConstraintKind::ForeignKey;
        keyColumns();
        expect("REFERENCES");
        k.refTable = objectName();
        if (cur().isSymbol("(")) k.refColumns = columnList();
        if (cur().is("ON")) unsupported("referential actions (ON DELETE / ON UPDATE)");
        return k;
    } else {
        fail();
    }
    if (accept("CLUSTERED")) {
        k.clustered = true;
        k.clusteredGiven = true;
    } else if (accept("NONCLUSTERED")) {
        k.clustered = false;
        k.clusteredGiven = true;
    }
    keyColumns();
    if (cur().is("WITH")) unsupported("index options (WITH)");
    if (cur().is("ON") && !ahead(1).isSymbol("(")) {
        next();
        identifier();
    }
    return k;
}

} // namespace tsql::engine
