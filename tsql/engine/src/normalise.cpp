#include "normalise.h"

#include "errors.h"
#include "lexer.h"
#include "parser.h"
#include "tsql/functions.h"

#include <array>
#include <stdexcept>

namespace tsql::engine {

namespace {

//! Binding strength of an expression as printed; a child weaker than its place needs parentheses.
enum Prec { kOr = 1, kAnd, kNot, kCompare, kAdd, kMultiply, kUnary, kAtom };

//! A date part abbreviation and the name SQL Server stores for it.
struct DatePartName {
    std::string_view written;
    std::string_view stored;
};
constexpr std::array<DatePartName, 24> datePartNames{{
    {"yy", "year"},         {"yyyy", "year"},  {"year", "year"}, {"qq", "quarter"},     {"q", "quarter"},
    {"quarter", "quarter"}, {"mm", "month"},   {"m", "month"},   {"month", "month"},    {"dy", "dayofyear"},
    {"y", "dayofyear"},     {"dd", "day"},     {"d", "day"},     {"day", "day"},        {"wk", "week"},
    {"ww", "week"},         {"dw", "weekday"}, {"w", "weekday"}, {"hh", "hour"},        {"mi", "minute"},
    {"n", "minute"},        {"ss", "second"},  {"s", "second"},  {"ms", "millisecond"},
}};

//! Comparison operators as stored ("!=" is kept as "<>").
struct OperatorName {
    std::string_view written;
    std::string_view stored;
    Prec prec;
};
constexpr std::array<OperatorName, 17> operators{{
    {"OR", " OR ", kOr},
    {"AND", " AND ", kAnd},
    {"=", "=", kCompare},
    {"<>", "<>", kCompare},
    {"!=", "<>", kCompare},
    {"<", "<", kCompare},
    {">", ">", kCompare},
    {"<=", "<=", kCompare},
    {">=", ">=", kCompare},
    {"!<", ">=", kCompare},
    {"!>", "<=", kCompare},
    {"+", "+", kAdd},
    {"-", "-", kAdd},
    {"&", "&", kAdd},
    {"|", "|", kAdd},
    {"^", "^", kAdd},
    {"*", "*", kMultiply},
}};

std::string lowerCase(std::string_view s) {
    std::string out;
    for (char c : s)
        out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return out;
}

std::string bracketed(const std::string& name) {
    std::string out = "[";
    for (char c : name)
        out += c == ']' ? std::string("]]") : std::string(1, c);
    return out + "]";
}

std::string quotedString(const std::string& s) {
    std::string out = "'";
    for (char c : s)
        out += c == '\'' ? std::string("''") : std::string(1, c);
    return out + "'";
}

std::string typeText(const TypeName& t) {
    std::string out = bracketed(lowerCase(t.name));
    if (!t.args.empty()) {
        out += "(";
        for (std::size_t i = 0; i < t.args.size(); ++i)
            out += (i ? "," : "") + lowerCase(t.args[i]);
        out += ")";
    }
    return out;
}

class Printer {
public:
    //! The text of `e` placed where at least `need` binding strength is required.
    std::string print(const Expr& e, int need) {
        int prec = kAtom;
        expanded_ = false;
        std::string text = bare(e, prec);
        // BETWEEN and IN written out keep their own parentheses inside another AND or OR.
        if (expanded_ && need > 0 && need != prec) return "(" + text + ")";
        // Arithmetic inside a larger expression is always kept in its own parentheses.
        bool arithmetic = e.kind == ExprKind::Binary && (prec == kAdd || prec == kMultiply);
        return prec < need || (arithmetic && need > 0) ? "(" + text + ")" : text;
    }

private:
    bool expanded_ = false; //!< the last node printed was a BETWEEN or IN written out

    std::string bare(const Expr& e, int& prec) {
        switch (e.kind) {
        case ExprKind::Literal:
            return literal(e);
        case ExprKind::Column:
            return bracketed(e.parts.back());
        case ExprKind::Unary:
            return unary(e, prec);
        case ExprKind::Binary:
            return binary(e, prec);
        case ExprKind::IsNull:
            prec = kCompare;
            return print(*e.args[0], kAdd) + (e.negated ? " IS NOT NULL" : " IS NULL");
        case ExprKind::Like:
            prec = kCompare;
            return print(*e.args[0], kAdd) + (e.negated ? " not like " : " like ") + print(*e.args[1], kAdd) +
                   (e.args.size() > 2 ? " escape " + print(*e.args[2], kAdd) : "");
        case ExprKind::Between: {
            // Stored as two comparisons: c>=low AND c<=high (NOT BETWEEN: c<low OR c>high).
            std::string value = print(*e.args[0], kAdd);
            std::string low = print(*e.args[1], kAdd);
            std::string high = print(*e.args[2], kAdd);
            prec = e.negated ? kOr : kAnd;
            expanded_ = true;
            return value + (e.negated ? "<" : ">=") + low + (e.negated ? " OR " : " AND ") + value +
                   (e.negated ? ">" : "<=") + high;
        }
        case ExprKind::InList: {
            // Stored as comparisons joined by OR (NOT IN: <> joined by AND).
            std::string value = print(*e.args[0], kAdd);
            std::string out;
            for (std::size_t i = 1; i < e.args.size(); ++i)
                out += std::string(i > 1 ? (e.negated ? " AND " : " OR ") : "") + value +
                       (e.negated ? "<>" : "=") + print(*e.args[i], kAdd);
            prec = e.args.size() <= 2 ? kCompare : (e.negated ? kAnd : kOr);
            expanded_ = e.args.size() > 2;
            return out;
        }
        case ExprKind::Function:
            return function(e);
        case ExprKind::Cast:
            return "CONVERT(" + typeText(e.type) + "," + print(*e.args[0], 0) + ",0)";
        case ExprKind::Convert:
            return "CONVERT(" + typeText(e.type) + "," + print(*e.args[0], 0) + "," +
                   (e.args.size() > 1 ? print(*e.args[1], 0) : std::string("0")) + ")";
        case ExprKind::Case:
            return caseText(e);
        case ExprKind::Global:
            return lowerCase(e.text);
        case ExprKind::Subquery:
        case ExprKind::Exists:
        case ExprKind::InQuery:
            raise(1046, e.line, {});
        case ExprKind::Variable:
            raiseUnsupported(e.line, "a variable in a default, CHECK constraint or computed column");
        case ExprKind::Star:
            raise(102, e.line, {"*"});
        case ExprKind::ColumnUpdated:
            raise(156, e.line, {"UPDATE"});
        }
        raiseUnsupported(e.line, "this expression in a default, CHECK constraint or computed column");
    }

    static std::string literal(const Expr& e) {
        switch (e.literal) {
        case LiteralKind::Null:
            return "NULL";
        case LiteralKind::Integer:
        case LiteralKind::Decimal:
        case LiteralKind::Float:
            return "(" + e.text + ")";
        case LiteralKind::String:
            return quotedString(e.text);
        case LiteralKind::NString:
            return "N" + quotedString(e.text);
        case LiteralKind::Binary:
            return "(0x" + e.text + ")";
        }
        return e.text;
    }

    std::string unary(const Expr& e, int& prec) {
        const Expr& operand = *e.args[0];
        if (e.text == "NOT") {
            prec = kNot;
            return "NOT " + print(operand, kNot);
        }
        bool number = operand.kind == ExprKind::Literal &&
                      (operand.literal == LiteralKind::Integer || operand.literal == LiteralKind::Decimal ||
                       operand.literal == LiteralKind::Float);
        if (number) return "(" + e.text + operand.text + ")";
        prec = kUnary;
        return e.text + print(operand, kUnary);
    }

    std::string binary(const Expr& e, int& prec) {
        const OperatorName* op = nullptr;
        for (const auto& o : operators)
            if (equalsIgnoreCase(o.written, e.text)) op = &o;
        std::string stored = op ? std::string(op->stored) : e.text;
        prec = op ? op->prec : (e.text == "/" || e.text == "%" ? kMultiply : kAdd);
        bool associative = prec == kOr || prec == kAnd;
        return print(*e.args[0], prec) + stored + print(*e.args[1], associative ? prec : prec + 1);
    }

    std::string function(const Expr& e) {
        std::string out = lowerCase(e.text) + "(";
        const FunctionInfo* info = findFunction(e.text);
        for (std::size_t i = 0; i < e.args.size(); ++i) {
            const Expr& a = *e.args[i];
            out += i ? "," : "";
            if (i == 0 && info && info->datePartFirst && a.kind == ExprKind::Column && a.parts.size() == 1) {
                std::string part = lowerCase(a.parts[0]);
                for (const auto& d : datePartNames)
                    if (d.written == part) part = d.stored;
                out += part;
            } else {
                out += print(a, 0);
            }
        }
        if (e.star) out += "*";
        return out + ")";
    }

    std::string caseText(const Expr& e) {
        std::string out = "case";
        std::size_t i = 0;
        if (e.hasOperand) out += " " + print(*e.args[i++], kAdd);
        std::size_t pairsEnd = e.args.size() - (e.hasElse ? 1 : 0);
        for (; i + 1 < pairsEnd; i += 2)
            out += " when " + print(*e.args[i], 0) + " then " + print(*e.args[i + 1], 0);
        if (e.hasElse) out += " else " + print(*e.args.back(), 0);
        return out + " end";
    }
};

} // namespace

std::string normalisedExpressionText(std::string_view text) {
    ExprPtr e = parseExpression(text);
    Printer p;
    return "(" + p.print(*e, 0) + ")";
}

} // namespace tsql::engine
