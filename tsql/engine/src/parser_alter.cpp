#include "alter.h"
#include "errors.h"
#include "parser_impl.h"

namespace tsql::engine {

namespace {

//! Names after CHECK|NOCHECK CONSTRAINT or ENABLE|DISABLE TRIGGER: ALL or a list.
void nameList(Parser& p, AlterTableStmt& s) {
    if (p.accept("ALL")) {
        s.all = true;
        return;
    }
    do {
        s.names.push_back(p.identifier());
    } while (p.acceptSymbol(","));
}

} // namespace

StmtPtr Parser::alterTableStatement() {
    next();
    expect("TABLE");
    auto s = std::make_unique<AlterTableStmt>();
    s->table = objectName();
    using Action = AlterTableStmt::Action;
    if (accept("WITH")) {
        if (accept("CHECK")) {
            s->withCheck = true;
        } else {
            expect("NOCHECK");
            s->withNocheck = true;
        }
        if (!(cur().is("CHECK") || cur().is("NOCHECK") || cur().is("ADD"))) fail();
    }
    if (accept("ADD")) {
        s->action = Action::Add;
        do {
            std::string name;
            if (accept("CONSTRAINT")) name = identifier();
            if (accept("DEFAULT")) {
                DefaultForDef d;
                d.name = name;
                std::size_t start = position();
                d.value = expression();
                d.text = sourceText(start, position());
                expect("FOR");
                d.column = identifier();
                s->defaults.push_back(std::move(d));
            } else if (!name.empty() || cur().is("PRIMARY") || cur().is("UNIQUE") || cur().is("CHECK") ||
                       cur().is("FOREIGN")) {
                s->added.constraints.push_back(tableConstraint(name));
            } else {
                columnDefinition(s->added);
                if (s->added.columns.back().identity) unsupported("ALTER TABLE ADD of an IDENTITY column");
                bool values = false;
                if (cur().is("WITH") && ahead(1).is("VALUES")) {
                    next();
                    next();
                    values = true;
                }
                s->withValues.push_back(values);
            }
        } while (acceptSymbol(","));
    } else if (accept("DROP")) {
        if (accept("COLUMN")) {
            s->action = Action::DropColumn;
            do {
                s->names.push_back(identifier());
            } while (acceptSymbol(","));
        } else {
            s->action = Action::DropConstraint;
            do {
                accept("CONSTRAINT");
                s->names.push_back(identifier());
            } while (acceptSymbol(","));
        }
    } else if (accept("ALTER")) {
        expect("COLUMN");
        s->action = Action::AlterColumn;
        columnDefinition(s->added);
        const ColumnDef& c = s->added.columns.front();
        if (!c.hasType || c.identity || c.defaultValue || !s->added.constraints.empty()) fail();
    } else if (accept("CHECK")) {
        expect("CONSTRAINT");
        s->action = Action::Check;
        nameList(*this, *s);
    } else if (accept("NOCHECK")) {
        expect("CONSTRAINT");
        s->action = Action::Nocheck;
        nameList(*this, *s);
    } else if (accept("ENABLE") || (cur().is("DISABLE") && ahead(1).is("TRIGGER"))) {
        bool enable = tokens_[pos_ - 1].is("ENABLE");
        if (!enable) next();
        expect("TRIGGER");
        s->action = enable ? Action::EnableTrigger : Action::DisableTrigger;
        nameList(*this, *s);
    } else {
        fail();
    }
    return s;
}

StmtPtr Parser::createIndexStatement() {
    auto s = std::make_unique<CreateIndexStmt>();
    s->unique = accept("UNIQUE");
    if (accept("CLUSTERED"))
        s->clustered = true;
    else
        accept("NONCLUSTERED");
    expect("INDEX");
    s->name = identifier();
    expect("ON");
    s->table = objectName();
    expectSymbol("(");
    do {
        s->columns.push_back(identifier());
        bool desc = accept("DESC");
        if (!desc) accept("ASC");
        s->descending.push_back(desc);
    } while (acceptSymbol(","));
    expectSymbol(")");
    if (accept("WITH")) {
        // Storage options (FILLFACTOR, PAD_INDEX ...) mean nothing here.
        expectSymbol("(");
        int depth = 1;
        while (depth > 0) {
            if (cur().kind == TokenKind::End) fail();
            if (cur().isSymbol("(")) ++depth;
            if (cur().isSymbol(")")) --depth;
            next();
        }
    }
    if (accept("ON")) identifier();
    return s;
}

StmtPtr Parser::dropIndexStatement() {
    auto s = std::make_unique<DropIndexStmt>();
    do {
        ObjectName n = objectName();
        if (accept("ON")) {
            ObjectName t = objectName();
            s->indexes.emplace_back(t.name(), n.name());
        } else {
            if (n.parts.size() < 2) fail();
            s->indexes.emplace_back(n.parts[n.parts.size() - 2], n.name());
        }
    } while (acceptSymbol(","));
    return s;
}

} // namespace tsql::engine
