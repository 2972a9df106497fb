#include "errors.h"
#include "parser_impl.h"

#include <algorithm>
#include <array>

namespace tsql::engine {

namespace {

//! Words SQL Server reserves that this parser must not take for aliases or column names.
constexpr std::array<std::string_view, 78> reservedWords = {
    "ADD",        "ALL",       "ALTER",     "AND",       "ANY",        "AS",         "ASC",     "BEGIN",
    "BETWEEN",    "BREAK",     "BY",        "CASE",      "CHECK",      "CLOSE",      "COLLATE", "COMMIT",
    "CONSTRAINT", "CONTINUE",  "CREATE",    "CROSS",     "CURSOR",     "DEALLOCATE", "DECLARE", "DEFAULT",
    "DELETE",     "DENY",      "DESC",      "DISTINCT",  "DROP",       "ELSE",       "END",     "ESCAPE",
    "EXCEPT",     "EXEC",      "EXECUTE",   "EXISTS",    "FETCH",      "FOR",        "FOREIGN", "FROM",
    "FULL",       "GOTO",      "GRANT",     "GROUP",     "HAVING",     "IF",         "IN",      "INNER",
    "INSERT",     "INTERSECT", "INTO",      "IS",        "JOIN",       "KEY",        "LEFT",    "LIKE",
    "NOT",        "NULL",      "ON",        "OPEN",      "OR",         "ORDER",      "OUTER",   "PRIMARY",
    "PRINT",      "PROC",      "PROCEDURE", "RAISERROR", "REFERENCES", "RETURN",     "REVOKE",  "RIGHT",
    "ROLLBACK",   "SELECT",    "SET",       "TABLE",     "THEN",       "TOP"};

constexpr std::array<std::string_view, 12> moreReserved = {"TRAN",   "TRANSACTION", "TRUNCATE", "UNION",
                                                           "UNIQUE", "UPDATE",      "USE",      "VALUES",
                                                           "VIEW",   "WHEN",        "WHERE",    "WHILE"};

ExprPtr makeExpr(ExprKind kind, int line) {
    auto e = std::make_unique<Expr>();
    e->kind = kind;
    e->line = line;
    return e;
}

ExprPtr binary(std::string op, ExprPtr l, ExprPtr r, int line) {
    auto e = makeExpr(ExprKind::Binary, line);
    e->text = std::move(op);
    e->args.push_back(std::move(l));
    e->args.push_back(std::move(r));
    return withDepth(std::move(e));
}

} // namespace

int checkedDepth(int depth, int line) {
    if (depth > kMaxExpressionDepth) raise(191, line, {});
    return depth;
}

ExprPtr withDepth(ExprPtr e) {
    int below = e->query ? e->query->depth : 0;
    for (const auto& a : e->args)
        if (a) below = std::max(below, a->depth);
    e->depth = checkedDepth(below + 1, e->line);
    return e;
}

Parser::Nested::Nested(Parser& parser)
    : parser_(parser) {
    if (++parser_.nesting_ > kMaxNesting) {
        --parser_.nesting_;
        raise(191, parser_.cur().line, {});
    }
}

bool isReserved(std::string_view word) {
    // Asked for nearly every token: one sorted list, searched with the word in upper case.
    static const auto sorted = [] {
        std::array<std::string_view, reservedWords.size() + moreReserved.size() + 1> all{};
        auto end = std::copy(reservedWords.begin(), reservedWords.end(), all.begin());
        end = std::copy(moreReserved.begin(), moreReserved.end(), end);
        *end = "WITH";
        std::sort(all.begin(), all.end());
        return all;
    }();
    constexpr std::size_t longest = 11; // TRANSACTION
    constexpr auto fits = [](std::string_view w) { return w.size() <= longest; };
    static_assert(std::all_of(reservedWords.begin(), reservedWords.end(), fits) &&
                  std::all_of(moreReserved.begin(), moreReserved.end(), fits));
    if (word.empty() || word.size() > longest) return false;
    std::array<char, longest> buffer{};
    for (std::size_t i = 0; i < word.size(); ++i) {
        const char c = word[i];
        buffer[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
    }
    return std::binary_search(sorted.begin(), sorted.end(), std::string_view(buffer.data(), word.size()));
}

std::string TypeName::text() const {
    std::string out;
    for (char c : name)
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (!args.empty()) {
        out += '(';
        for (std::size_t i = 0; i < args.size(); ++i)
            out += (i ? "," : "") + args[i];
        out += ')';
    }
    return out;
}

ExprPtr Parser::expression() {
    Nested nested(*this);
    return orExpr();
}

ExprPtr Parser::condition() {
    auto e = expression();
    bool predicate = false;
    switch (e->kind) {
    case ExprKind::Binary:
        predicate = e->text == "=" || e->text == "<>" || e->text == "<" || e->text == ">" ||
                    e->text == "<=" || e->text == ">=" || e->text == "AND" || e->text == "OR";
        break;
    case ExprKind::Unary:
        predicate = e->text == "NOT";
        break;
    case ExprKind::IsNull:
    case ExprKind::ColumnUpdated:
    case ExprKind::Like:
    case ExprKind::Between:
    case ExprKind::InList:
    case ExprKind::InQuery:
    case ExprKind::Exists:
        predicate = true;
        break;
    default:
        break;
    }
    if (!predicate) {
        const Token& near = cur().kind == TokenKind::End && pos_ > 0 ? tokens_[pos_ - 1] : cur();
        raise(4145, near.line, {near.display()});
    }
    return e;
}

ExprPtr Parser::orExpr() {
    auto left = andExpr();
    while (cur().is("OR")) {
        int line = next().line;
        left = binary("OR", std::move(left), andExpr(), line);
    }
    return left;
}

ExprPtr Parser::andExpr() {
    auto left = notExpr();
    while (cur().is("AND")) {
        int line = next().line;
        left = binary("AND", std::move(left), notExpr(), line);
    }
    return left;
}

ExprPtr Parser::notExpr() {
    if (cur().is("NOT")) {
        Nested nested(*this);
        int line = next().line;
        auto e = makeExpr(ExprKind::Unary, line);
        e->text = "NOT";
        e->args.push_back(notExpr());
        return withDepth(std::move(e));
    }
    return predicate();
}

ExprPtr Parser::predicate() {
    int line = cur().line;
    if (cur().is("UPDATE") && ahead(1).isSymbol("(")) {
        // UPDATE(column) of a trigger: whether the statement that fired it set the column.
        next();
        next();
        auto e = makeExpr(ExprKind::ColumnUpdated, line);
        e->parts.push_back(identifier());
        expectSymbol(")");
        return e;
    }
    if (cur().is("EXISTS")) {
        next();
        expectSymbol("(");
        auto e = makeExpr(ExprKind::Exists, line);
        e->query = query();
        expectSymbol(")");
        return withDepth(std::move(e));
    }
    auto left = additive();
    static constexpr std::string_view comparisons[] = {"=", "<>", "!=", "<", ">", "<=", ">=", "!<", "!>"};
    for (auto op : comparisons) {
        if (cur().isSymbol(op)) {
            next();
            if (cur().is("ALL") || cur().is("ANY") || cur().is("SOME"))
                unsupported(upper(cur().text) + " subquery");
            std::string norm(op == "!=" ? "<>" : op == "!<" ? ">=" : op == "!>" ? "<=" : op);
            return binary(norm, std::move(left), additive(), line);
        }
    }
    bool negated = false;
    if (cur().is("NOT") && (ahead(1).is("LIKE") || ahead(1).is("BETWEEN") || ahead(1).is("IN"))) {
        next();
        negated = true;
    }
    if (accept("LIKE")) {
        auto e = makeExpr(ExprKind::Like, line);
        e->negated = negated;
        e->args.push_back(std::move(left));
        e->args.push_back(additive());
        if (accept("ESCAPE")) e->args.push_back(additive());
        return withDepth(std::move(e));
    }
    if (accept("BETWEEN")) {
        auto e = makeExpr(ExprKind::Between, line);
        e->negated = negated;
        e->args.push_back(std::move(left));
        e->args.push_back(additive());
        expect("AND");
        e->args.push_back(additive());
        return withDepth(std::move(e));
    }
    if (accept("IN")) {
        expectSymbol("(");
        ExprPtr e;
        if (startsQuery()) {
            e = makeExpr(ExprKind::InQuery, line);
            e->args.push_back(std::move(left));
            e->query = query();
        } else {
            e = makeExpr(ExprKind::InList, line);
            e->args.push_back(std::move(left));
            do {
                e->args.push_back(expression());
            } while (acceptSymbol(","));
        }
        expectSymbol(")");
        e->negated = negated;
        return withDepth(std::move(e));
    }
    if (cur().is("IS")) {
        next();
        auto e = makeExpr(ExprKind::IsNull, line);
        e->negated = accept("NOT");
        expect("NULL");
        e->args.push_back(std::move(left));
        return withDepth(std::move(e));
    }
    return left;
}

ExprPtr Parser::additive() {
    auto left = multiplicative();
    for (;;) {
        const Token& t = cur();
        if (t.isSymbol("+") || t.isSymbol("-") || t.isSymbol("&") || t.isSymbol("|") || t.isSymbol("^")) {
            std::string op = next().text;
            left = binary(op, std::move(left), multiplicative(), t.line);
        } else {
            return left;
        }
    }
}

ExprPtr Parser::multiplicative() {
    auto left = unary();
    while (cur().isSymbol("*") || cur().isSymbol("/") || cur().isSymbol("%")) {
        Token op = next();
        left = binary(op.text, std::move(left), unary(), op.line);
    }
    return left;
}

ExprPtr Parser::unary() {
    if (cur().isSymbol("-") || cur().isSymbol("+") || cur().isSymbol("~")) {
        Nested nested(*this);
        Token op = next();
        auto operand = unary();
        // Fold a sign into a numeric literal so that -2147483648 stays an int.
        if (op.text == "-" && operand->kind == ExprKind::Literal &&
            (operand->literal == LiteralKind::Integer || operand->literal == LiteralKind::Decimal ||
             operand->literal == LiteralKind::Float) &&
            operand->text[0] != '-') {
            operand->text = "-" + operand->text;
            return operand;
        }
        auto e = makeExpr(ExprKind::Unary, op.line);
        e->text = op.text;
        e->args.push_back(std::move(operand));
        return withDepth(std::move(e));
    }
    return primary();
}

ExprPtr Parser::primary() {
    const Token& t = cur();
    int line = t.line;
    auto literal = [&](LiteralKind kind) {
        auto e = makeExpr(ExprKind::Literal, line);
        e->literal = kind;
        if (kind != LiteralKind::Null) noteLiteral(position(), *e);
        e->text = next().text;
        return e;
    };
    switch (t.kind) {
    case TokenKind::Integer:
        return literal(LiteralKind::Integer);
    case TokenKind::Decimal:
        return literal(LiteralKind::Decimal);
    case TokenKind::Float:
        return literal(LiteralKind::Float);
    case TokenKind::String:
        return literal(LiteralKind::String);
    case TokenKind::NString:
        return literal(LiteralKind::NString);
    case TokenKind::Binary:
        return literal(LiteralKind::Binary);
    case TokenKind::Variable: {
        auto e = makeExpr(ExprKind::Variable, line);
        e->text = next().text;
        return e;
    }
    case TokenKind::GlobalVariable: {
        auto e = makeExpr(ExprKind::Global, line);
        e->text = upper(next().text);
        return e;
    }
    case TokenKind::Symbol:
        if (t.isSymbol("(")) {
            next();
            if (startsQuery()) {
                auto e = makeExpr(ExprKind::Subquery, line);
                e->query = query();
                expectSymbol(")");
                return withDepth(std::move(e));
            }
            auto e = expression();
            expectSymbol(")");
            return e;
        }
        fail();
    case TokenKind::Identifier:
    case TokenKind::QuotedIdentifier:
        break;
    case TokenKind::End:
        fail();
    }
    if (t.kind == TokenKind::Identifier) {
        if (t.is("NULL")) return literal(LiteralKind::Null);
        if (t.is("CASE")) return caseExpr();
        if (t.is("CAST") && ahead(1).isSymbol("(")) {
            next();
            next();
            auto e = makeExpr(ExprKind::Cast, line);
            e->args.push_back(expression());
            expect("AS");
            e->type = typeName();
            expectSymbol(")");
            return withDepth(std::move(e));
        }
        if ((t.is("CONVERT") || t.is("TRY_CONVERT")) && ahead(1).isSymbol("(")) {
            if (t.is("TRY_CONVERT")) unsupported("TRY_CONVERT");
            next();
            next();
            auto e = makeExpr(ExprKind::Convert, line);
            e->type = typeName();
            expectSymbol(",");
            e->args.push_back(expression());
            if (acceptSymbol(",")) e->args.push_back(expression());
            expectSymbol(")");
            return withDepth(std::move(e));
        }
        if ((t.is("LEFT") || t.is("RIGHT")) && ahead(1).isSymbol("("))
            return functionCall(upper(next().text), line);
        // Functions SQL Server writes without parentheses.
        static constexpr std::pair<std::string_view, std::string_view> niladic[] = {
            {"CURRENT_TIMESTAMP", "GETDATE"},
            {"SYSTEM_USER", "SUSER_SNAME"},
            {"CURRENT_USER", "USER_NAME"},
            {"SESSION_USER", "USER_NAME"},
            {"USER", "USER_NAME"}};
        if (!ahead(1).isSymbol("(") && !ahead(1).isSymbol("."))
            for (const auto& [word, function] : niladic)
                if (t.is(word)) {
                    next();
                    auto e = makeExpr(ExprKind::Function, line);
                    e->text = function;
                    return e;
                }
        if (isReserved(t.text)) fail();
    }
    // A name: column reference (a.b.c) or function call (name(...) or dbo.name(...)).
    std::vector<std::string> parts;
    parts.push_back(identifier());
    while (cur().isSymbol(".")) {
        next();
        if (cur().isSymbol("*")) {
            next();
            auto e = makeExpr(ExprKind::Star, line);
            e->parts = std::move(parts);
            return e;
        }
        parts.push_back(identifier());
    }
    if (cur().isSymbol("(")) {
        if (parts.size() > 1 && !equalsIgnoreCase(parts[parts.size() - 2], "dbo"))
            unsupported("function " + parts.back());
        return functionCall(upper(parts.back()), line);
    }
    auto e = makeExpr(ExprKind::Column, line);
    e->parts = std::move(parts);
    return e;
}

ExprPtr Parser::functionCall(std::string name, int line) {
    expectSymbol("(");
    auto e = makeExpr(ExprKind::Function, line);
    e->text = std::move(name);
    if (acceptSymbol(")")) return e;
    if (cur().isSymbol("*")) {
        next();
        e->star = true;
        expectSymbol(")");
        return e;
    }
    if (accept("DISTINCT")) {
        e->distinct = true;
        if (e->text == "SUM" || e->text == "AVG") unsupported(e->text + "(DISTINCT ...)");
    } else {
        accept("ALL");
    }
    do {
        e->args.push_back(expression());
    } while (acceptSymbol(","));
    expectSymbol(")");
    if (cur().is("OVER")) unsupported("OVER clause");
    return withDepth(std::move(e));
}

ExprPtr Parser::caseExpr() {
    auto e = makeExpr(ExprKind::Case, next().line);
    if (!cur().is("WHEN")) {
        e->hasOperand = true;
        e->args.push_back(expression());
    }
    if (!cur().is("WHEN")) fail();
    while (accept("WHEN")) {
        e->args.push_back(e->hasOperand ? expression() : condition());
        expect("THEN");
        e->args.push_back(expression());
    }
    if (accept("ELSE")) {
        e->hasElse = true;
        e->args.push_back(expression());
    }
    expect("END");
    return withDepth(std::move(e));
}

TypeName Parser::typeName() {
    TypeName t;
    if (cur().kind != TokenKind::Identifier && cur().kind != TokenKind::QuotedIdentifier) fail();
    t.name = next().text;
    if (cur().isSymbol(".")) { // dbo.typename or sys.typename
        next();
        t.name = identifier();
    }
    if (equalsIgnoreCase(t.name, "double") && cur().is("PRECISION")) {
        next();
        t.name = "float";
    }
    if (cur().isSymbol("(")) {
        next();
        do {
            const Token& a = cur();
            if (a.kind == TokenKind::Integer || a.is("MAX"))
                t.args.push_back(a.kind == TokenKind::Integer ? a.text : "max");
            else
                fail();
            next();
        } while (acceptSymbol(","));
        expectSymbol(")");
    }
    return t;
}

} // namespace tsql::engine
