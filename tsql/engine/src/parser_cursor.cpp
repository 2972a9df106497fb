#include "cursor.h"
#include "errors.h"
#include "parser_impl.h"

namespace tsql::engine {

StmtPtr Parser::declareCursor() {
    auto s = std::make_unique<DeclareCursorStmt>();
    s->name = identifier();
    // ISO form: [INSENSITIVE] [SCROLL] CURSOR FOR ...
    if (accept("INSENSITIVE")) s->keepsCount = true;
    if (accept("SCROLL")) s->scroll = true;
    expect("CURSOR");
    bool iso = s->keepsCount || s->scroll;
    bool typeGiven = false;
    while (!iso && !cur().is("FOR")) {
        if (accept("LOCAL")) {
            s->global = false;
        } else if (accept("GLOBAL")) {
            s->global = true;
        } else if (accept("FORWARD_ONLY")) {
            s->forwardOnly = true;
        } else if (accept("SCROLL")) {
            s->scroll = true;
        } else if (accept("STATIC") || accept("KEYSET")) {
            s->keepsCount = true;
            typeGiven = true;
        } else if (accept("DYNAMIC")) {
            typeGiven = true;
        } else if (accept("FAST_FORWARD")) {
            s->forwardOnly = true;
        } else if (!(accept("READ_ONLY") || accept("SCROLL_LOCKS") || accept("OPTIMISTIC") ||
                     accept("TYPE_WARNING"))) {
            fail();
        }
    }
    // STATIC, KEYSET and DYNAMIC cursors scroll unless FORWARD_ONLY is said.
    if (typeGiven && !s->forwardOnly) s->scroll = true;
    expect("FOR");
    s->query = query();
    if (accept("FOR")) {
        if (accept("READ")) {
            expect("ONLY");
        } else {
            expect("UPDATE");
            if (accept("OF")) {
                do {
                    identifier();
                } while (acceptSymbol(","));
            }
        }
    }
    return s;
}

StmtPtr Parser::cursorStatement(StmtKind kind) {
    next();
    auto s = std::make_unique<CursorStmt>(kind);
    if (kind == StmtKind::FetchCursor) {
        static constexpr std::pair<std::string_view, FetchDirection> directions[] = {
            {"NEXT", FetchDirection::Next},         {"PRIOR", FetchDirection::Prior},
            {"FIRST", FetchDirection::First},       {"LAST", FetchDirection::Last},
            {"ABSOLUTE", FetchDirection::Absolute}, {"RELATIVE", FetchDirection::Relative}};
        bool given = false;
        for (const auto& [word, direction] : directions) {
            if (!accept(word)) continue;
            s->direction = direction;
            given = true;
            if (direction == FetchDirection::Absolute || direction == FetchDirection::Relative)
                s->offset = expression();
            break;
        }
        if (given)
            expect("FROM");
        else
            accept("FROM");
    }
    if (cur().kind == TokenKind::Variable) unsupported("cursor variable");
    if (cur().is("GLOBAL") &&
        (ahead(1).kind == TokenKind::Identifier || ahead(1).kind == TokenKind::QuotedIdentifier)) {
        next();
        s->global = true;
    }
    s->name = identifier();
    if (kind == StmtKind::FetchCursor && accept("INTO")) {
        s->hasInto = true;
        do {
            if (cur().kind != TokenKind::Variable) fail();
            s->into.push_back(next().text);
        } while (acceptSymbol(","));
    }
    return s;
}

} // namespace tsql::engine
