#pragma once
//! Compiled forms of what loops run most, made when a scope is compiled, with its variables resolved to
//! slots of the scope's frame: a condition comparing two integer expressions (`WHILE @@FETCH_STATUS =
//! 0`, `IF @i < @n`), SET of an INT/BIGINT variable to an integer expression (`SET @i = @i + 1`), and
//! FETCH NEXT ... INTO. An integer expression is made of INT/BIGINT variables, integer constants,
//! @@FETCH_STATUS, @@ROWCOUNT, @@ERROR and arithmetic. Each form computes exactly what the general path
//! would or declines (an overflow, a division by zero, a cursor that is not there), and the general path
//! then runs the statement and raises its error.

#include "ast.h"
#include "cursor.h"
#include "session.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace tsql::engine {

class Executor;

//! An integer expression in postfix order.
class IntegerExpr {
public:
    //! nullptr when `e` is not an integer expression in the current frame; with `compound`, the
    //! expression `variable op e` (SET @v += e).
    static std::unique_ptr<IntegerExpr> compile(const Expr& e, const Session::Impl& s,
                                                std::optional<BinaryOp> compound = std::nullopt,
                                                std::size_t variable = 0);
    //! The value as INT or BIGINT (`big`); `null` for NULL.
    struct Result {
        std::int64_t value = 0;
        bool null = false;
        bool big = false;
    };
    //! False when the general path must compute it (overflow, division by zero).
    bool evaluate(const Session::Impl& s, Result& out) const;

private:
    struct Node {
        enum class Kind : std::uint8_t { Variable, Constant, FetchStatus, RowCount, Error, Arithmetic };
        Kind kind = Kind::Constant;
        BinaryOp op = BinaryOp::Add;
        std::size_t slot = 0;
        Result constant;
    };
    bool add(const Expr& e, const Session::Impl& s, int depth);
    //! A node other than Arithmetic.
    static bool leaf(const Node& n, const Session::Impl& s, Result& out);
    //! `l op r` into `l`.
    static bool combine(BinaryOp op, Result& l, const Result& r);
    std::vector<Node> nodes_;
};

//! The compiled form of one instruction.
struct FastStep {
    enum class Kind { Condition, Set, Fetch } kind = Kind::Condition;
    int comparison = 0; //!< Condition: =, <>, <, >, <=, >= as 0..5
    std::unique_ptr<IntegerExpr> left, right;
    std::size_t slot = 0; //!< Set: the variable assigned
    std::optional<FetchPlan> fetch;
};

//! The compiled form of a statement (`stmt`) or of a condition (`condition`), or nullptr.
std::shared_ptr<FastStep> compileFastStep(const Statement* stmt, const Expr* condition,
                                          const Session::Impl& s);

//! Decides a Condition step into `holds`; false when the general path must.
bool fastHolds(const FastStep& step, const Session::Impl& s, bool& holds);

//! Runs a Set or Fetch step; false when the general path must run the statement (nothing changed).
bool runFastStep(FastStep& step, Executor& ex, const Statement& stmt);

} // namespace tsql::engine
