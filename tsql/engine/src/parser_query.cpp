#include "errors.h"
#include "parser_impl.h"

#include <algorithm>

namespace tsql::engine {

namespace {

int depthOf(const ExprPtr& e) {
    return e ? e->depth : 0;
}

//! Levels of a query's expressions and FROM items, plus one.
int queryDepth(const Query& q) {
    int below = 0;
    for (const auto& core : q.cores) {
        below = std::max({below, depthOf(core.top), depthOf(core.where), depthOf(core.having)});
        for (const auto& item : core.items)
            below = std::max(below, depthOf(item.expr));
        for (const auto& g : core.groupBy)
            below = std::max(below, depthOf(g));
        for (const auto& ref : core.from)
            below = std::max(below, ref->depth);
    }
    for (const auto& o : q.orderBy)
        below = std::max(below, depthOf(o.expr));
    return checkedDepth(below + 1, q.line);
}

} // namespace

bool Parser::startsQuery() const {
    if (cur().is("SELECT")) return true;
    // ( SELECT ... ) as a parenthesised query term
    std::size_t n = 0;
    while (ahead(n).isSymbol("("))
        ++n;
    return n > 0 && ahead(n).is("SELECT");
}

ObjectName Parser::objectName() {
    ObjectName name;
    if (cur().kind != TokenKind::Identifier && cur().kind != TokenKind::QuotedIdentifier) fail();
    if (cur().kind == TokenKind::Identifier && isReserved(cur().text)) fail();
    name.parts.push_back(next().text);
    while (cur().isSymbol(".")) {
        next();
        if (cur().isSymbol(".")) {
            name.parts.emplace_back();
            continue;
        }
        name.parts.push_back(identifier());
    }
    if (name.parts.size() > 4) fail();
    return name;
}

ObjectName Parser::tableName() {
    if (cur().kind != TokenKind::Variable) return objectName();
    ObjectName name;
    name.parts.push_back(next().text);
    return name;
}

std::unique_ptr<Query> Parser::query() {
    Nested nested(*this);
    auto q = std::make_unique<Query>();
    q->line = cur().line;
    auto term = [&] {
        if (cur().isSymbol("(")) {
            next();
            auto inner = query();
            expectSymbol(")");
            if (inner->cores.size() != 1 || !inner->orderBy.empty())
                unsupported("nested UNION in parentheses");
            q->cores.push_back(std::move(inner->cores.front()));
        } else {
            q->cores.push_back(selectCore());
        }
    };
    term();
    for (;;) {
        if (cur().is("UNION")) {
            next();
            q->unionAll.push_back(accept("ALL"));
            term();
        } else if (cur().is("EXCEPT") || cur().is("INTERSECT")) {
            unsupported(upper(cur().text));
        } else {
            break;
        }
    }
    if (cur().is("ORDER") && ahead(1).is("BY")) {
        next();
        next();
        do {
            OrderItem item;
            item.expr = expression();
            if (accept("DESC"))
                item.descending = true;
            else
                accept("ASC");
            q->orderBy.push_back(std::move(item));
        } while (acceptSymbol(","));
    }
    if (cur().is("FOR") && (ahead(1).is("XML") || ahead(1).is("BROWSE")))
        unsupported("FOR " + upper(ahead(1).text));
    if (cur().is("OPTION")) unsupported("OPTION clause");
    q->depth = queryDepth(*q);
    return q;
}

SelectCore Parser::selectCore() {
    SelectCore core;
    expect("SELECT");
    if (accept("DISTINCT"))
        core.distinct = true;
    else
        accept("ALL");
    if (accept("TOP")) {
        if (acceptSymbol("(")) {
            core.top = expression();
            expectSymbol(")");
        } else if (cur().kind == TokenKind::Integer || cur().kind == TokenKind::Variable) {
            auto e = std::make_unique<Expr>();
            e->line = cur().line;
            if (cur().kind == TokenKind::Integer) {
                e->kind = ExprKind::Literal;
                e->literal = LiteralKind::Integer;
                noteLiteral(position(), *e);
            } else {
                e->kind = ExprKind::Variable;
            }
            e->text = next().text;
            core.top = std::move(e);
        } else {
            fail();
        }
        if (cur().is("PERCENT")) unsupported("TOP ... PERCENT");
        if (cur().is("WITH") && ahead(1).is("TIES")) unsupported("TOP WITH TIES");
    }
    do {
        SelectItem item;
        const Token& t = cur();
        if (t.kind == TokenKind::Variable && ahead(1).kind == TokenKind::Symbol &&
            (ahead(1).text == "=" || ahead(1).text == "+=" || ahead(1).text == "-=" ||
             ahead(1).text == "*=" || ahead(1).text == "/=")) {
            item.assign = next().text;
            item.assignOp = next().text;
            item.expr = expression();
        } else if ((t.kind == TokenKind::QuotedIdentifier || t.kind == TokenKind::String ||
                    (t.kind == TokenKind::Identifier && !isReserved(t.text))) &&
                   ahead(1).isSymbol("=")) {
            item.alias = next().text;
            next();
            item.expr = expression();
        } else if (t.isSymbol("*")) {
            next();
            item.expr = std::make_unique<Expr>();
            item.expr->kind = ExprKind::Star;
            item.expr->line = t.line;
        } else {
            item.expr = expression();
            item.alias = optionalAlias();
        }
        core.items.push_back(std::move(item));
    } while (acceptSymbol(","));
    if (cur().is("INTO")) {
        next();
        core.into = objectName();
    }
    if (accept("FROM")) core.from = fromList();
    if (accept("WHERE")) core.where = condition();
    if (cur().is("GROUP")) {
        next();
        expect("BY");
        if (cur().is("ALL")) unsupported("GROUP BY ALL");
        do {
            core.groupBy.push_back(expression());
        } while (acceptSymbol(","));
        if (cur().is("WITH")) unsupported("GROUP BY WITH " + upper(ahead(1).text));
    }
    if (accept("HAVING")) core.having = condition();
    return core;
}

std::string Parser::optionalAlias() {
    if (accept("AS")) {
        if (cur().kind == TokenKind::String) return next().text;
        return identifier();
    }
    const Token& t = cur();
    if (t.kind == TokenKind::QuotedIdentifier) return next().text;
    if (t.kind == TokenKind::String) return next().text;
    if (t.kind == TokenKind::Identifier && !isReserved(t.text) && !ahead(1).isSymbol(":") &&
        !ahead(1).isSymbol("(") && !(t.is("OPTION")))
        return next().text;
    return {};
}

void Parser::tableHints() {
    // Locking hints have no effect here: SQLite's write lock already serialises writers.
    static constexpr std::string_view bareHints[] = {
        "NOLOCK",        "HOLDLOCK",       "TABLOCK",      "TABLOCKX", "ROWLOCK",
        "PAGLOCK",       "UPDLOCK",        "XLOCK",        "READPAST", "READUNCOMMITTED",
        "READCOMMITTED", "REPEATABLEREAD", "SERIALIZABLE", "NOWAIT",   "NOEXPAND"};
    bool bare = false;
    if (cur().isSymbol("(") && ahead(1).kind == TokenKind::Identifier)
        for (auto h : bareHints)
            bare = bare || ahead(1).is(h);
    if (!bare && !(cur().is("WITH") && ahead(1).isSymbol("("))) return;
    if (!bare) next();
    next();
    do {
        identifier();
        if (acceptSymbol("=")) {
            next();
        } else if (acceptSymbol("(")) {
            do {
                next();
            } while (acceptSymbol(","));
            expectSymbol(")");
        }
    } while (acceptSymbol(","));
    expectSymbol(")");
}

std::vector<std::unique_ptr<TableRef>> Parser::fromList() {
    std::vector<std::unique_ptr<TableRef>> refs;
    do {
        refs.push_back(tableRef());
    } while (acceptSymbol(","));
    return refs;
}

std::unique_ptr<TableRef> Parser::tablePrimary() {
    auto ref = std::make_unique<TableRef>();
    ref->line = cur().line;
    if (cur().isSymbol("(")) {
        if (startsQuery()) {
            next();
            ref->kind = TableRef::Kind::Derived;
            ref->derived = query();
            expectSymbol(")");
            ref->alias = optionalAlias();
            if (ref->alias.empty()) fail();
            if (cur().isSymbol("(")) unsupported("derived table column list");
            ref->depth = checkedDepth(ref->derived->depth + 1, ref->line);
            return ref;
        }
        next();
        auto inner = tableRef();
        expectSymbol(")");
        return inner;
    }
    ref->name = tableName();
    tableHints();
    if (cur().isSymbol("(")) unsupported("table-valued function " + ref->name.name());
    ref->alias = optionalAlias();
    tableHints();
    return ref;
}

std::unique_ptr<TableRef> Parser::tableRef() {
    Nested nested(*this);
    auto left = tablePrimary();
    for (;;) {
        JoinKind kind;
        int line = cur().line;
        if (cur().is("JOIN")) {
            next();
            kind = JoinKind::Inner;
        } else if (cur().is("INNER")) {
            next();
            expect("JOIN");
            kind = JoinKind::Inner;
        } else if (cur().is("LEFT") || cur().is("RIGHT") || cur().is("FULL")) {
            kind = cur().is("LEFT") ? JoinKind::Left : cur().is("RIGHT") ? JoinKind::Right : JoinKind::Full;
            next();
            accept("OUTER");
            expect("JOIN");
        } else if (cur().is("CROSS")) {
            next();
            if (cur().is("APPLY")) unsupported("CROSS APPLY");
            expect("JOIN");
            kind = JoinKind::Cross;
        } else if (cur().is("OUTER") && ahead(1).is("APPLY")) {
            unsupported("OUTER APPLY");
        } else {
            return left;
        }
        auto join = std::make_unique<TableRef>();
        join->kind = TableRef::Kind::Join;
        join->join = kind;
        join->line = line;
        join->left = std::move(left);
        join->right = tablePrimary();
        // Nested joins written without parentheses: a JOIN b JOIN c ON .. ON ..
        if (kind != JoinKind::Cross) {
            if (!cur().is("ON")) {
                // right side may itself continue with joins before its ON
                fail();
            }
            next();
            join->on = condition();
        }
        join->depth =
            checkedDepth(std::max({join->left->depth, join->right->depth, depthOf(join->on)}) + 1, line);
        left = std::move(join);
    }
}

} // namespace tsql::engine
