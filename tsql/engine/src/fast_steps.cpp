#include "fast_steps.h"

#include "binder.h"
#include "exec.h"
#include "lexer.h"
#include "tsql/operators.h"

#include <algorithm>
#include <iterator>
#include <limits>
#include <string_view>

namespace tsql::engine {

namespace {

//! Deeper expressions are left to the general path.
constexpr int kMaxStack = 16;

constexpr std::string_view kComparisons[] = {"=", "<>", "<", ">", "<=", ">="};

bool integral(const Type& t) {
    return t.id == TypeId::Int || t.id == TypeId::BigInt;
}

//! `a op b` as INT (`big` false) or BIGINT; false where the operator would raise an error.
bool arithmetic(BinaryOp op, std::int64_t a, std::int64_t b, bool big, std::int64_t& v) {
    if (!integerOperation(op, a, b, v)) return false;
    return big ||
           (v >= std::numeric_limits<std::int32_t>::min() && v <= std::numeric_limits<std::int32_t>::max());
}

} // namespace

std::unique_ptr<IntegerExpr> IntegerExpr::compile(const Expr& e, const Session::Impl& s,
                                                  std::optional<BinaryOp> compound, std::size_t variable) {
    auto x = std::make_unique<IntegerExpr>();
    int depth = 0;
    if (compound) {
        Node n;
        n.kind = Node::Kind::Variable;
        n.slot = variable;
        x->nodes_.push_back(n);
        depth = 1;
    }
    if (!x->add(e, s, depth)) return nullptr;
    if (compound) {
        Node n;
        n.kind = Node::Kind::Arithmetic;
        n.op = *compound;
        x->nodes_.push_back(n);
    }
    return x;
}

bool IntegerExpr::add(const Expr& e, const Session::Impl& s, int depth) {
    if (depth + 1 > kMaxStack) return false;
    Node n;
    switch (e.kind) {
    case ExprKind::Variable: {
        const auto slot = s.slotOf(e.text);
        if (!slot) return false;
        const Variable& v = s.variables[*slot];
        if (v.table || !integral(v.type)) return false;
        n.kind = Node::Kind::Variable;
        n.slot = *slot;
        break;
    }
    case ExprKind::Literal: {
        if (e.literal != LiteralKind::Integer) return false;
        Value v;
        try {
            v = Binder::literalValue(e);
        } catch (const std::exception&) {
            return false;
        }
        if (!integral(v.type()) || v.isNull()) return false;
        n.constant = {v.asInt(), false, v.type().id == TypeId::BigInt};
        break;
    }
    case ExprKind::Global:
        if (e.text == "@@FETCH_STATUS")
            n.kind = Node::Kind::FetchStatus;
        else if (e.text == "@@ROWCOUNT")
            n.kind = Node::Kind::RowCount;
        else if (e.text == "@@ERROR")
            n.kind = Node::Kind::Error;
        else
            return false;
        break;
    case ExprKind::Binary: {
        const auto op = arithmeticOperator(e.text);
        if (!op || e.args.size() != 2) return false;
        if (!add(*e.args[0], s, depth) || !add(*e.args[1], s, depth + 1)) return false;
        n.kind = Node::Kind::Arithmetic;
        n.op = *op;
        break;
    }
    default:
        return false;
    }
    nodes_.push_back(n);
    return true;
}

bool IntegerExpr::leaf(const Node& n, const Session::Impl& s, Result& out) {
    switch (n.kind) {
    case Node::Kind::Variable: {
        const Value& v = s.variables[n.slot].value;
        const TypeId id = v.type().id;
        if (id != TypeId::Int && id != TypeId::BigInt) return false;
        const bool null = v.isNull();
        out = {null ? 0 : v.asInt(), null, id == TypeId::BigInt};
        return true;
    }
    case Node::Kind::Constant:
        out = n.constant;
        return true;
    case Node::Kind::FetchStatus:
    case Node::Kind::RowCount:
    case Node::Kind::Error: {
        // The INT values tsql_session gives these.
        const long long v = n.kind == Node::Kind::FetchStatus ? s.fetchStatus
                            : n.kind == Node::Kind::RowCount  ? s.rowCount
                                                              : s.error;
        if (v < std::numeric_limits<std::int32_t>::min() || v > std::numeric_limits<std::int32_t>::max())
            return false;
        out = {v, false, false};
        return true;
    }
    case Node::Kind::Arithmetic:
        break;
    }
    return false;
}

bool IntegerExpr::combine(BinaryOp op, Result& l, const Result& r) {
    const bool big = l.big || r.big;
    if (l.null || r.null) {
        l = {0, true, big};
        return true;
    }
    std::int64_t v = 0;
    if (!arithmetic(op, l.value, r.value, big, v)) return false;
    l = {v, false, big};
    return true;
}

bool IntegerExpr::evaluate(const Session::Impl& s, Result& out) const {
    // The usual shapes, `x` and `x op y`, without a stack.
    if (nodes_.size() == 1) return leaf(nodes_[0], s, out);
    if (nodes_.size() == 3 && nodes_[2].kind == Node::Kind::Arithmetic) {
        Result r;
        return leaf(nodes_[0], s, out) && leaf(nodes_[1], s, r) && combine(nodes_[2].op, out, r);
    }
    Result stack[kMaxStack];
    int top = 0;
    for (const Node& n : nodes_) {
        if (n.kind == Node::Kind::Arithmetic) {
            --top;
            if (!combine(n.op, stack[top - 1], stack[top])) return false;
        } else if (!leaf(n, s, stack[top++])) {
            return false;
        }
    }
    out = stack[0];
    return true;
}

std::shared_ptr<FastStep> compileFastStep(const Statement* stmt, const Expr* condition,
                                          const Session::Impl& s) {
    auto step = std::make_shared<FastStep>();
    if (condition) {
        if (condition->kind != ExprKind::Binary || condition->args.size() != 2) return nullptr;
        const auto which = std::find(std::begin(kComparisons), std::end(kComparisons), condition->text);
        if (which == std::end(kComparisons)) return nullptr;
        step->comparison = static_cast<int>(which - std::begin(kComparisons));
        step->left = IntegerExpr::compile(*condition->args[0], s);
        step->right = step->left ? IntegerExpr::compile(*condition->args[1], s) : nullptr;
        if (!step->right) return nullptr;
        return step;
    }
    if (!stmt) return nullptr;
    if (stmt->kind == StmtKind::Set) {
        const auto& set = static_cast<const SetStmt&>(*stmt);
        const auto slot = s.slotOf(set.variable);
        if (!slot || !set.value) return nullptr;
        const Variable& v = s.variables[*slot];
        if (v.table || !integral(v.type)) return nullptr;
        std::optional<BinaryOp> compound;
        if (set.op != "=") {
            compound = compoundAssignment(set.op);
            if (!compound) return nullptr;
        }
        step->kind = FastStep::Kind::Set;
        step->slot = *slot;
        step->left = IntegerExpr::compile(*set.value, s, compound, *slot);
        return step->left ? step : nullptr;
    }
    if (stmt->kind == StmtKind::FetchCursor) {
        const auto& fetch = static_cast<const CursorStmt&>(*stmt);
        if (!fetch.hasInto || fetch.direction != FetchDirection::Next) return nullptr;
        FetchPlan plan;
        for (const auto& name : fetch.into) {
            const auto slot = s.slotOf(name);
            if (!slot || s.variables[*slot].table) return nullptr;
            plan.slots.push_back(*slot);
        }
        step->kind = FastStep::Kind::Fetch;
        step->fetch = std::move(plan);
        return step;
    }
    return nullptr;
}

bool fastHolds(const FastStep& step, const Session::Impl& s, bool& holds) {
    IntegerExpr::Result l, r;
    if (!step.left->evaluate(s, l) || !step.right->evaluate(s, r)) return false;
    if (l.null || r.null) {
        holds = false; // NULL: the condition does not hold
        return true;
    }
    switch (step.comparison) {
    case 0:
        holds = l.value == r.value;
        break;
    case 1:
        holds = l.value != r.value;
        break;
    case 2:
        holds = l.value < r.value;
        break;
    case 3:
        holds = l.value > r.value;
        break;
    case 4:
        holds = l.value <= r.value;
        break;
    default:
        holds = l.value >= r.value;
        break;
    }
    return true;
}

bool runFastStep(FastStep& step, Executor& ex, const Statement& stmt) {
    auto& s = ex.session();
    if (step.kind == FastStep::Kind::Fetch)
        return fetchNext(ex, static_cast<const CursorStmt&>(stmt), *step.fetch);
    if (step.kind != FastStep::Kind::Set) return false;
    IntegerExpr::Result r;
    if (!step.left->evaluate(s, r)) return false;
    Variable& v = s.variables[step.slot];
    if (r.null) {
        v.value = Value::null(v.type);
    } else {
        // A BIGINT too large for an INT variable: the general path raises the overflow.
        if (v.type.id == TypeId::Int && (r.value < std::numeric_limits<std::int32_t>::min() ||
                                         r.value > std::numeric_limits<std::int32_t>::max()))
            return false;
        v.value = Value::integer(r.value, v.type);
    }
    s.rowCount = 1;
    return true;
}

} // namespace tsql::engine
