#include "binder.h"

#include "errors.h"
#include "lexer.h"
#include "session.h"
#include "session_functions.h"
#include "sqlite_util.h"
#include "tsql/collation.h"
#include "tsql/functions.h"
#include "tsql/operators.h"
#include "tsql/sqlite.h"

#include <algorithm>
#include <cctype>
#include <set>

namespace tsql::engine {

namespace {

const std::string collate = " COLLATE " + std::string(kCollationName);

std::string code(const Type& t) {
    return std::to_string(t.code());
}

bool isPredicate(const Expr& e) {
    switch (e.kind) {
    case ExprKind::Binary: {
        static const std::set<std::string> ops = {"=", "<>", "<", ">", "<=", ">=", "AND", "OR"};
        return ops.count(e.text) > 0;
    }
    case ExprKind::Unary:
        return e.text == "NOT";
    case ExprKind::IsNull:
    case ExprKind::ColumnUpdated:
    case ExprKind::Like:
    case ExprKind::Between:
    case ExprKind::InList:
    case ExprKind::InQuery:
    case ExprKind::Exists:
        return true;
    default:
        return false;
    }
}

//! `terms` joined by `op` (" AND ", " OR ", " || ") in parenthesised groups of at most eight, groups of
//! groups and so on: SQLite's parser stack and expression depth grow with the logarithm of the count
//! only, where a flat or nested list of a thousand terms would exceed them.
std::string joinBalanced(std::vector<std::string> terms, std::string_view op) {
    constexpr std::size_t kGroup = 8;
    auto group = [&](std::size_t from, std::size_t to) {
        std::string sql = "(";
        for (std::size_t i = from; i < to; ++i)
            sql += (i > from ? std::string(op) : "") + terms[i];
        return sql + ")";
    };
    while (terms.size() > kGroup) {
        std::vector<std::string> groups;
        for (std::size_t i = 0; i < terms.size(); i += kGroup)
            groups.push_back(group(i, std::min(i + kGroup, terms.size())));
        terms = std::move(groups);
    }
    return group(0, terms.size());
}

std::vector<std::uint8_t> hexBytes(const std::string& hex) {
    std::vector<std::uint8_t> out;
    std::string digits = hex.size() % 2 ? "0" + hex : hex;
    for (std::size_t i = 0; i < digits.size(); i += 2)
        out.push_back(static_cast<std::uint8_t>(std::stoi(digits.substr(i, 2), nullptr, 16)));
    return out;
}

} // namespace

std::optional<BinaryOp> arithmeticOperator(const std::string& op) {
    if (op == "+") return BinaryOp::Add;
    if (op == "-") return BinaryOp::Subtract;
    if (op == "*") return BinaryOp::Multiply;
    if (op == "/") return BinaryOp::Divide;
    if (op == "%") return BinaryOp::Modulo;
    return std::nullopt;
}

bool storageCompatible(const Type& from, const Type& to) {
    if (from == to || from.id == TypeId::Null) return true;
    if (isIntegerType(from.id) && isIntegerType(to.id) && to.id != TypeId::Bit)
        return precedence(to.id) >= precedence(from.id);
    auto variableText = [](TypeId id) {
        return id == TypeId::VarChar || id == TypeId::NVarChar || id == TypeId::Text || id == TypeId::NText;
    };
    if (isCharacterType(from.id) && variableText(to.id)) {
        if (isUnicodeType(from.id) && !isUnicodeType(to.id)) return false; // may lose characters
        if (to.id == TypeId::Text || to.id == TypeId::NText || to.length == Type::kMax) return true;
        if (from.id == TypeId::Text || from.id == TypeId::NText || from.length == Type::kMax) return false;
        return from.length <= to.length;
    }
    if ((from.id == TypeId::VarBinary || from.id == TypeId::Binary) &&
        (to.id == TypeId::VarBinary || to.id == TypeId::Image))
        return to.id == TypeId::Image || to.length == Type::kMax ||
               (from.length != Type::kMax && from.length <= to.length);
    return false;
}

std::string Binder::literal(const Value& v) {
    // Every constant but NULL is a parameter, so statements differing only in their constants share
    // one prepared statement.
    if (writeLiterals_ || v.isNull()) return sqliteLiteral(v);
    std::size_t hash = literalHash(v);
    std::size_t position = s_.literals.size();
    auto [from, to] = s_.literalIndex.equal_range(hash);
    for (auto it = from; it != to; ++it)
        if (it->second >= s_.literalBase && s_.literals[it->second] == v) position = it->second;
    if (position == s_.literals.size()) {
        s_.literals.push_back(v);
        s_.literalIndex.emplace(hash, position);
    }
    return "?" + std::to_string(s_.variables.size() + 1 + (position - s_.literalBase));
}

Bound Binder::constant(const Value& v) {
    Bound b;
    b.type = v.type();
    b.sql = literal(v);
    b.constant = v;
    return b;
}

std::string Binder::newAlias(const char* prefix) {
    return quoteName(prefix + std::to_string(++aliasCounter_));
}

TypeName Binder::castTarget(const TypeName& t) {
    // CAST and CONVERT give a character or binary type written without a length 30 characters,
    // where a declaration gives it one.
    static constexpr std::string_view kSized[] = {"char",     "varchar", "nchar",
                                                  "nvarchar", "binary",  "varbinary"};
    if (!t.args.empty()) return t;
    std::string name = t.name;
    for (char& c : name)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (std::find(std::begin(kSized), std::end(kSized), name) == std::end(kSized)) return t;
    TypeName sized = t;
    sized.args = {"30"};
    return sized;
}

Type Binder::resolveType(const TypeName& t, int line) {
    std::vector<std::int32_t> args;
    for (const auto& a : t.args) {
        // Sizes beyond any type are left to makeType to refuse with SQL Server's message.
        long long n = a == "max" ? Type::kMax : (a.size() > 10 ? 2147483647LL : std::stoll(a));
        args.push_back(static_cast<std::int32_t>(std::min(n, 2147483647LL)));
    }
    try {
        auto type = makeType(t.name, args);
        if (!type) raise(2715, line, {"1", t.name}, 6);
        return *type;
    } catch (SqlError& e) {
        e.setLine(line);
        throw;
    }
}

Value Binder::literalValue(const Expr& e) {
    switch (e.literal) {
    case LiteralKind::Null:
        return Value();
    case LiteralKind::Integer:
    case LiteralKind::Decimal:
    case LiteralKind::Float: {
        Type t = numericLiteralType(e.text);
        if (t.id == TypeId::Int) return Value::integer(std::stoll(e.text));
        if (t.id == TypeId::Float) return Value::floating(std::stod(e.text));
        return tsql::convert(Value::varChar(e.text), t, ConversionKind::Explicit);
    }
    case LiteralKind::String:
        return Value::varChar(e.text);
    case LiteralKind::NString:
        return Value::nVarChar(e.text);
    case LiteralKind::Binary:
        return Value::varBinary(hexBytes(e.text));
    }
    return Value();
}

std::string Binder::convert(const Bound& b, const Type& to, ConversionKind kind) {
    if (b.type.id == TypeId::Null) return "NULL";
    if (b.constant) return literal(tsql::convert(*b.constant, to, kind));
    if (storageCompatible(b.type, to)) return b.sql;
    return "tsql_convert(" + b.sql + ", " + code(b.type) + ", " + code(to) + ", " +
           std::to_string(static_cast<int>(kind)) + ")";
}

std::string Binder::condition(const Expr& e, const Scope& scope) {
    if (!isPredicate(e)) {
        raise(4145, e.line, {e.kind == ExprKind::Column ? e.parts.back() : e.text});
    }
    return predicate(e, scope);
}

std::string Binder::comparison(const std::string& op, const Bound& l, const Bound& r) {
    if (l.type.id == TypeId::Null || r.type.id == TypeId::Null) return "(NULL " + op + " NULL)";
    bool bothNumeric = isNumericType(l.type.id) && isNumericType(r.type.id);
    if (bothNumeric || (l.type.id == r.type.id && !isCharacterType(l.type.id)))
        return "(" + l.sql + " " + op + " " + r.sql + ")";
    Type target = comparisonType(l.type, r.type);
    std::string ls = convert(l, target, ConversionKind::Implicit);
    std::string rs = convert(r, target, ConversionKind::Implicit);
    if (isCharacterType(target.id)) return "(" + ls + collate + " " + op + " " + rs + ")";
    return "(" + ls + " " + op + " " + rs + ")";
}

std::string Binder::predicate(const Expr& e, const Scope& scope) {
    switch (e.kind) {
    case ExprKind::Binary: {
        if (e.text == "AND" || e.text == "OR") {
            // p AND q AND ... (in any grouping) is walked in a loop, so that long chains do not recurse.
            std::vector<std::string> terms;
            std::vector<const Expr*> pending{&e};
            while (!pending.empty()) {
                const Expr* x = pending.back();
                pending.pop_back();
                if (x->kind == ExprKind::Binary && x->text == e.text) {
                    pending.push_back(x->args[1].get());
                    pending.push_back(x->args[0].get());
                } else {
                    terms.push_back(condition(*x, scope));
                }
            }
            return joinBalanced(std::move(terms), " " + e.text + " ");
        }
        Bound l = expr(*e.args[0], scope);
        Bound r = expr(*e.args[1], scope);
        return comparison(e.text, l, r);
    }
    case ExprKind::Unary:
        return "(NOT " + condition(*e.args[0], scope) + ")";
    case ExprKind::IsNull:
        return "(" + expr(*e.args[0], scope).sql + (e.negated ? " IS NOT NULL)" : " IS NULL)");
    case ExprKind::Like: {
        auto text = [&](const Expr& x) {
            Bound b = expr(x, scope);
            if (isCharacterType(b.type.id) || b.type.id == TypeId::Null) return b.sql;
            return convert(b, Type::nVarChar(4000), ConversionKind::Implicit);
        };
        std::string sql = "tsql_like(" + text(*e.args[0]) + ", " + text(*e.args[1]);
        if (e.args.size() > 2) sql += ", " + text(*e.args[2]);
        sql += ")";
        return e.negated ? "(NOT " + sql + ")" : sql;
    }
    case ExprKind::Between: {
        Bound v = expr(*e.args[0], scope);
        Bound lo = expr(*e.args[1], scope);
        Bound hi = expr(*e.args[2], scope);
        std::string sql = "(" + comparison(">=", v, lo) + " AND " + comparison("<=", v, hi) + ")";
        return e.negated ? "(NOT " + sql + ")" : sql;
    }
    case ExprKind::InList: {
        Bound v = expr(*e.args[0], scope);
        std::vector<Bound> items;
        bool native = v.type.id != TypeId::Null;
        bool text = isCharacterType(v.type.id);
        for (std::size_t i = 1; i < e.args.size(); ++i) {
            items.push_back(expr(*e.args[i], scope));
            const Type& t = items.back().type;
            if (t.id == TypeId::Null) continue;
            bool numeric = isNumericType(v.type.id) && isNumericType(t.id);
            bool sameText = text && isCharacterType(t.id);
            bool literalConvertible = items.back().constant && !text && !isCharacterType(t.id) &&
                                      precedence(v.type.id) >= precedence(t.id);
            if (!(numeric || sameText || t.id == v.type.id || literalConvertible)) native = false;
        }
        std::string sql;
        if (native) {
            sql = "(" + v.sql + (text ? collate : "") + " IN (";
            for (std::size_t i = 0; i < items.size(); ++i) {
                const Bound& it = items[i];
                bool keep = isNumericType(it.type.id) && isNumericType(v.type.id);
                sql +=
                    (i ? ", " : "") + (keep || text ? it.sql : convert(it, v.type, ConversionKind::Implicit));
            }
            sql += "))";
        } else {
            std::vector<std::string> terms;
            for (const Bound& it : items)
                terms.push_back(comparison("=", v, it));
            sql = joinBalanced(std::move(terms), " OR ");
        }
        return e.negated ? "(NOT " + sql + ")" : sql;
    }
    case ExprKind::InQuery: {
        Bound v = expr(*e.args[0], scope);
        QueryShape q = query(*e.query, &scope);
        if (q.columns.size() != 1) raise(116, e.line, {});
        const Type& t = q.columns[0].type;
        std::string lhs = v.sql;
        std::string sub = q.sql;
        bool numeric = isNumericType(v.type.id) && isNumericType(t.id);
        if (!numeric && v.type.id != TypeId::Null && t.id != TypeId::Null && !(v.type.id == t.id)) {
            Type target = comparisonType(v.type, t);
            lhs = convert(v, target, ConversionKind::Implicit);
            if (!storageCompatible(t, target) && !(isCharacterType(t.id) && isCharacterType(target.id))) {
                std::string a = newAlias("q");
                sub = "SELECT tsql_convert(" + a + ".\"c1\", " + code(t) + ", " + code(target) + ", " +
                      std::to_string(static_cast<int>(ConversionKind::Implicit)) + ") FROM (" + q.sql +
                      ") AS " + a;
            }
            if (isCharacterType(target.id)) lhs += collate;
        } else if (isCharacterType(v.type.id)) {
            lhs += collate;
        }
        std::string sql = "(" + lhs + " IN (" + sub + "))";
        return e.negated ? "(NOT " + sql + ")" : sql;
    }
    case ExprKind::Exists:
        return "(EXISTS (" + query(*e.query, &scope).sql + "))";
    case ExprKind::ColumnUpdated: {
        // Only the running trigger's own body knows the columns its statement set.
        reusable_ = false;
        if (!s_.inserted || s_.triggerLevel != s_.nestLevel) raise(156, e.line, {"UPDATE"});
        const int column = s_.inserted->columnIndex(e.parts.front());
        if (column < 0) raise(207, e.line, {e.parts.front()});
        return "(tsql_session('UPDATE', " + std::to_string(column + 1) + ") = 1)";
    }
    default:
        break;
    }
    raise(102, e.line, {e.text});
}

Bound Binder::expr(const Expr& e, const Scope& scope) {
    switch (e.kind) {
    case ExprKind::Literal:
        return constant(literalValue(e));
    case ExprKind::Variable: {
        Variable* v = s_.variable(e.text, e.slotHint);
        if (!v || v->table) raise(137, e.line, {e.text});
        Bound b;
        b.type = v->type;
        const auto slot = static_cast<std::size_t>(v - s_.variables.data());
        b.sql = liveVariables.count(slot) ? "tsql_variable(" + std::to_string(slot) + ")"
                                          : "?" + std::to_string(slot + 1);
        b.name = "";
        return b;
    }
    case ExprKind::Global: {
        const SessionFunction* f = findSessionFunction(e.text);
        if (!f) {
            if (e.text == "@@FETCH_STATUS") raiseUnsupported(e.line, "@@FETCH_STATUS (cursors)");
            raiseUnsupported(e.line, e.text);
        }
        Bound b;
        b.type = f->type();
        b.sql = "tsql_session('" + std::string(f->name) + "')";
        return b;
    }
    case ExprKind::Column:
        return column(e, scope);
    case ExprKind::Star:
        raise(102, e.line, {"*"});
    case ExprKind::Unary: {
        if (e.text == "NOT") raise(102, e.line, {"NOT"});
        Bound a = expr(*e.args[0], scope);
        Bound b;
        if (e.text == "~") {
            b.type = a.type;
            b.sql = "(~" + a.sql + ")";
            b.aggregate = a.aggregate;
            return b;
        }
        if (e.text == "+") return a;
        if (a.constant) return constant(negate(*a.constant));
        b.type = negateResultType(a.type);
        b.sql = "tsql_neg(" + a.sql + ", " + code(a.type) + ")";
        b.aggregate = a.aggregate;
        return b;
    }
    case ExprKind::Binary:
        return binary(e, scope);
    case ExprKind::Function:
        return function(e, scope);
    case ExprKind::Cast:
    case ExprKind::Convert: {
        Type to = resolveType(castTarget(e.type), e.line);
        Bound a = expr(*e.args[0], scope);
        Bound b;
        b.type = to;
        b.aggregate = a.aggregate;
        if (e.args.size() > 1) {
            Bound style = expr(*e.args[1], scope);
            if (!style.constant || style.constant->isNull()) raise(102, e.line, {","});
            int st = static_cast<int>(tsql::convert(*style.constant, Type::integer()).asInt());
            if (a.constant) return constant(convertStyle(*a.constant, to, st));
            b.sql = "tsql_convert_style(" + a.sql + ", " + code(a.type) + ", " + code(to) + ", " +
                    std::to_string(st) + ")";
            return b;
        }
        if (a.type == to) return a;
        if (a.constant) return constant(tsql::convert(*a.constant, to, ConversionKind::Explicit));
        b.sql = "tsql_convert(" + a.sql + ", " + code(a.type) + ", " + code(to) + ", " +
                std::to_string(static_cast<int>(ConversionKind::Explicit)) + ")";
        return b;
    }
    case ExprKind::Case:
        return caseExpr(e, scope);
    case ExprKind::Subquery:
        return subquery(e, scope);
    default:
        break;
    }
    // A predicate where a value is expected.
    raise(102, e.line, {e.kind == ExprKind::Binary ? e.text : upper(e.text)});
}

Bound Binder::column(const Expr& e, const Scope& scope) {
    const std::string& name = e.parts.back();
    std::string qualifier = e.parts.size() > 1 ? e.parts[e.parts.size() - 2] : "";
    for (const Scope* sc = &scope; sc; sc = sc->outer) {
        const Source* found = nullptr;
        const SourceColumn* col = nullptr;
        bool qualifierMatched = false;
        for (const Source& src : sc->sources) {
            if (!qualifier.empty() && !equalsIgnoreCase(src.exposed, qualifier)) continue;
            qualifierMatched = true;
            for (const SourceColumn& c : src.columns) {
                if (!equalsIgnoreCase(c.name, name)) continue;
                if (col) raise(209, e.line, {name});
                found = &src;
                col = &c;
            }
        }
        if (col) {
            Bound b;
            b.type = col->type;
            b.sql = found->sqlAlias.empty() ? col->sqlName : found->sqlAlias + "." + col->sqlName;
            b.name = col->name;
            return b;
        }
        if (qualifierMatched && !qualifier.empty()) raise(207, e.line, {name});
    }
    if (!qualifier.empty()) {
        std::string full;
        for (std::size_t i = 0; i + 1 < e.parts.size(); ++i)
            full += (i ? "." : "") + e.parts[i];
        raise(4104, e.line, {full + "." + name});
    }
    raise(207, e.line, {name});
}

Bound Binder::binary(const Expr& e, const Scope& scope) {
    // a + b - c | d ...: the operators of the left spine are applied in a loop, not by recursion, and
    // their SQL stays flat: runs of text concatenation as one || list, runs of arithmetic as tsql_chain
    // calls (each call the first argument of the next), constants folded from the left.
    auto isSpineOperator = [](const std::string& op) {
        return arithmeticOperator(op) || op == "&" || op == "|" || op == "^";
    };
    if (!isSpineOperator(e.text)) raise(102, e.line, {e.text});
    std::vector<const Expr*> spine;
    const Expr* first = &e;
    while (first->kind == ExprKind::Binary && isSpineOperator(first->text)) {
        spine.push_back(first);
        first = first->args[0].get();
    }
    Bound value = expr(*first, scope); // the chain so far; its sql is stale while parts are pending
    std::vector<std::string> concat;   // pending || operands, the value so far first
    std::string base, steps;           // pending tsql_chain: first argument and the steps after it
    Type baseType;
    int stepCount = 0;
    auto flushConcat = [&] {
        if (concat.empty()) return;
        value.sql = joinBalanced(std::move(concat), " || ");
        concat.clear();
    };
    auto flushSteps = [&] {
        if (stepCount == 0) return;
        value.sql = "tsql_chain(" + base + ", " + code(baseType) + steps + ")";
        steps.clear();
        stepCount = 0;
    };
    for (auto it = spine.rbegin(); it != spine.rend(); ++it) {
        const Expr& node = **it;
        Bound r = expr(*node.args[1], scope);
        value.aggregate = value.aggregate || r.aggregate;
        value.name.clear();
        auto op = arithmeticOperator(node.text);
        if (!op) {
            flushConcat();
            flushSteps();
            if (value.sql.empty()) value.sql = literal(*value.constant);
            const Type type = precedence(value.type.id) >= precedence(r.type.id) ? value.type : r.type;
            // A binary operand (COLUMNS_UPDATED() & 2) takes part as the integer it converts to.
            const std::string ls =
                isBinaryType(value.type.id) ? convert(value, type, ConversionKind::Implicit) : value.sql;
            const std::string rs =
                isBinaryType(r.type.id) ? convert(r, type, ConversionKind::Implicit) : r.sql;
            value.type = type;
            value.sql = node.text == "^" ? "tsql_bitxor(" + ls + ", " + rs + ")"
                                         : "(" + ls + " " + node.text + " " + rs + ")";
            value.constant.reset();
            continue;
        }
        Type type;
        try {
            type = binaryResultType(*op, value.type, r.type);
        } catch (SqlError& err) {
            err.setLine(node.line);
            throw;
        }
        if (value.constant && r.constant) {
            // Folded; only the chain's last constant becomes SQL (a bound parameter for text).
            Value folded = binaryOp(*op, *value.constant, *r.constant);
            value.type = folded.type();
            value.constant = std::move(folded);
            value.sql.clear();
            continue;
        }
        if (value.sql.empty()) value.sql = literal(*value.constant);
        if (*op == BinaryOp::Add && isCharacterType(type.id) &&
            (isCharacterType(value.type.id) || value.type.id == TypeId::Null) &&
            (isCharacterType(r.type.id) || r.type.id == TypeId::Null)) {
            flushSteps();
            if (concat.empty()) concat.push_back(value.sql);
            concat.push_back(r.sql);
        } else {
            flushConcat();
            if (stepCount == 0) {
                base = value.sql;
                baseType = value.type;
            }
            steps += ", " + std::to_string(chainStep(*op, r.type)) + ", " + r.sql;
            ++stepCount;
        }
        value.type = type;
        value.constant.reset();
        if (stepCount == kChainStepsPerCall) flushSteps();
    }
    flushConcat();
    flushSteps();
    if (value.sql.empty()) value.sql = literal(*value.constant);
    return value;
}

Bound Binder::caseExpr(const Expr& e, const Scope& scope) {
    std::size_t i = 0;
    std::optional<Bound> operand;
    if (e.hasOperand) operand = expr(*e.args[i++], scope);
    std::size_t end = e.args.size() - (e.hasElse ? 1 : 0);
    std::vector<std::string> whens;
    std::vector<Bound> results;
    for (; i + 1 < end + 1 && i < end; i += 2) {
        if (operand)
            whens.push_back(comparison("=", *operand, expr(*e.args[i], scope)));
        else
            whens.push_back(condition(*e.args[i], scope));
        results.push_back(expr(*e.args[i + 1], scope));
    }
    if (e.hasElse) results.push_back(expr(*e.args.back(), scope));
    std::vector<Type> types;
    for (const auto& r : results)
        types.push_back(r.type);
    Bound b;
    b.type = commonType(types);
    b.sql = "(CASE";
    for (std::size_t k = 0; k < whens.size(); ++k)
        b.sql += " WHEN " + whens[k] + " THEN " + convert(results[k], b.type, ConversionKind::Implicit);
    if (e.hasElse) b.sql += " ELSE " + convert(results.back(), b.type, ConversionKind::Implicit);
    b.sql += " END)";
    for (const auto& r : results)
        b.aggregate = b.aggregate || r.aggregate;
    if (operand) b.aggregate = b.aggregate || operand->aggregate;
    return b;
}

Bound Binder::subquery(const Expr& e, const Scope& scope) {
    QueryShape q = query(*e.query, &scope);
    if (q.columns.size() != 1) raise(116, e.line, {});
    Bound b;
    b.type = q.columns[0].type;
    const Query& sub = *e.query;
    bool singleRow =
        sub.cores.size() == 1 && sub.cores[0].groupBy.empty() &&
        ((sub.cores[0].top && sub.cores[0].top->kind == ExprKind::Literal && sub.cores[0].top->text == "1") ||
         sub.cores[0].from.empty());
    if (singleRow) {
        b.sql = "(" + q.sql + ")";
        return b;
    }
    std::string a = newAlias("q");
    b.sql = "(SELECT CASE WHEN count(*) > 1 THEN tsql_error(512) ELSE min(" + a +
            ".\"c1\") END FROM (SELECT * FROM (" + q.sql + ") LIMIT 2) AS " + a + ")";
    return b;
}

} // namespace tsql::engine
