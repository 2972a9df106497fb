#include "sqlite_detail.h"
#include "tsql/collation.h"
#include "tsql/convert.h"
#include "tsql/functions.h"
#include "tsql/operators.h"
#include "tsql/sqlite.h"
#include "utf8.h"

#include <sqlite3.h>

#include <cctype>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace tsql {

namespace {

void reportError(sqlite3_context* ctx) {
    try {
        throw;
    } catch (const SqlError& e) {
        sqlite3_result_error(ctx, encodeForSqlite(e).c_str(), -1);
    } catch (const std::exception& e) {
        sqlite3_result_error(ctx, e.what(), -1);
    }
}

Type typeArg(sqlite3_value* v) {
    return Type::fromCode(sqlite3_value_int64(v));
}

//! Value arguments as (value, type code) pairs starting at argv[first].
std::vector<Value> valueArgs(int argc, sqlite3_value** argv, int first) {
    if ((argc - first) % 2 != 0)
        throw std::invalid_argument("function arguments must come as (value, type code) pairs");
    std::vector<Value> out;
    out.reserve(static_cast<std::size_t>(argc - first) / 2);
    for (int i = first; i + 1 < argc; i += 2)
        out.push_back(readValue(argv[i], typeArg(argv[i + 1])));
    return out;
}

void convertFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        const Value v = readValue(argv[0], typeArg(argv[1]));
        const auto kind = static_cast<ConversionKind>(sqlite3_value_int(argv[3]));
        setResult(ctx, convert(v, typeArg(argv[2]), kind));
    } catch (...) {
        reportError(ctx);
    }
}

void convertStyleFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        const Value v = readValue(argv[0], typeArg(argv[1]));
        setResult(ctx, convertStyle(v, typeArg(argv[2]), sqlite3_value_int(argv[3])));
    } catch (...) {
        reportError(ctx);
    }
}

void opFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        const auto op = static_cast<BinaryOp>(sqlite3_value_int(argv[0]));
        setResult(ctx,
                  binaryOp(op, readValue(argv[1], typeArg(argv[2])), readValue(argv[3], typeArg(argv[4]))));
    } catch (...) {
        reportError(ctx);
    }
}

void chainFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    try {
        if (argc < 2 || argc % 2 != 0) throw std::invalid_argument("tsql_chain takes a value and steps");
        Value acc = readValue(argv[0], typeArg(argv[1]));
        for (int i = 2; i + 1 < argc; i += 2) {
            const std::int64_t step = sqlite3_value_int64(argv[i]);
            const auto op = static_cast<BinaryOp>(step >> kChainOperatorShift);
            acc = binaryOp(op, acc, readValue(argv[i + 1], Type::fromCode(step & kChainCodeMask)));
        }
        setResult(ctx, acc);
    } catch (...) {
        reportError(ctx);
    }
}

void bitXorFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    if (sqlite3_value_type(argv[0]) == SQLITE_NULL || sqlite3_value_type(argv[1]) == SQLITE_NULL)
        return sqlite3_result_null(ctx);
    sqlite3_result_int64(ctx, sqlite3_value_int64(argv[0]) ^ sqlite3_value_int64(argv[1]));
}

void negFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        setResult(ctx, negate(readValue(argv[0], typeArg(argv[1]))));
    } catch (...) {
        reportError(ctx);
    }
}

void cmpFn(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        const auto c = compare(readValue(argv[0], typeArg(argv[1])), readValue(argv[2], typeArg(argv[3])));
        if (c)
            sqlite3_result_int(ctx, *c < 0 ? -1 : *c > 0 ? 1 : 0);
        else
            sqlite3_result_null(ctx);
    } catch (...) {
        reportError(ctx);
    }
}

void likeFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    try {
        for (int i = 0; i < argc; ++i)
            if (sqlite3_value_type(argv[i]) == SQLITE_NULL) return sqlite3_result_null(ctx);
        char32_t escape = 0;
        if (argc > 2) {
            const std::string e = detail::sqliteText(argv[2]);
            const std::u32string chars = detail::decodeUtf8(e);
            if (chars.size() != 1) raise(506, {e, "LIKE"});
            escape = chars[0];
        }
        sqlite3_result_int(ctx,
                           like(detail::sqliteText(argv[0]), detail::sqliteText(argv[1]), escape) ? 1 : 0);
    } catch (...) {
        reportError(ctx);
    }
}

void builtinFn(sqlite3_context* ctx, int argc, sqlite3_value** argv) {
    try {
        const auto* f = static_cast<const FunctionInfo*>(sqlite3_user_data(ctx));
        const std::vector<Value> args = valueArgs(argc, argv, 0);
        const int n = static_cast<int>(args.size());
        if (n < f->minArgs || n > f->maxArgs) functionResultType(f->name, std::vector<Type>(args.size()));
        setResult(ctx, f->eval(args));
    } catch (...) {
        reportError(ctx);
    }
}

//! Running state of SUM/AVG in SQLite's zeroed aggregate memory (plain data only).
struct Accumulator {
    std::int64_t code;
    std::int64_t count;
    Int128 exact; //!< integer sums, and decimal sums as unscaled values at the argument's scale
    double real;
    bool started;
};

//! SQLite's aggregate memory is only 8-byte aligned: the state is copied in and out of it.
void* rawState(sqlite3_context* ctx, int bytes) {
    return sqlite3_aggregate_context(ctx, bytes);
}

void sumStep(sqlite3_context* ctx, int, sqlite3_value** argv) {
    try {
        void* raw = rawState(ctx, sizeof(Accumulator));
        if (!raw) return sqlite3_result_error_nomem(ctx);
        Accumulator acc;
        std::memcpy(&acc, raw, sizeof acc);
        if (!acc.started) {
            acc.code = sqlite3_value_int64(argv[1]);
            acc.started = true;
            aggregateResultType("SUM", Type::fromCode(acc.code));
        }
        if (sqlite3_value_type(argv[0]) != SQLITE_NULL) {
            const Type t = Type::fromCode(acc.code);
            const Value v = readValue(argv[0], t);
            ++acc.count;
            if (isIntegerType(t.id)) {
                if (__builtin_add_overflow(acc.exact, Int128(v.asInt()), &acc.exact))
                    raise(8115, {"expression", "bigint"});
            } else if (isDecimalType(t.id)) {
                if (__builtin_add_overflow(acc.exact, v.asDecimal().unscaled(), &acc.exact))
                    raise(8115, {"expression", "numeric"});
            } else {
                acc.real += convert(v, Type::floating(), ConversionKind::Implicit).asDouble();
            }
        }
        std::memcpy(raw, &acc, sizeof acc);
    } catch (...) {
        reportError(ctx);
    }
}

Value accumulated(const Accumulator& acc, const Type& t) {
    if (isIntegerType(t.id)) return Value::bigInt(static_cast<std::int64_t>(acc.exact));
    if (isDecimalType(t.id)) {
        const int scale = t.id == TypeId::Money ? 4 : t.scale;
        const Decimal d(acc.exact, scale);
        if (d.digits() > 38) raise(8115, {"expression", "numeric"});
        return Value::decimal(d, Type::numeric(38, scale));
    }
    return Value::floating(acc.real);
}

void finish(sqlite3_context* ctx, bool average) {
    try {
        void* raw = rawState(ctx, 0);
        if (!raw) return sqlite3_result_null(ctx);
        Accumulator state;
        std::memcpy(&state, raw, sizeof state);
        const Accumulator* acc = &state;
        if (acc->count == 0) return sqlite3_result_null(ctx);
        const Type t = Type::fromCode(acc->code);
        const Type result = aggregateResultType(average ? "AVG" : "SUM", t);
        if (isIntegerType(t.id) && (acc->exact > INT64_MAX || acc->exact < INT64_MIN))
            raise(8115, {"expression", std::string(result.baseName())});
        Value v = accumulated(*acc, t);
        if (average) {
            if (isIntegerType(t.id))
                v = Value::bigInt(static_cast<std::int64_t>(acc->exact / acc->count));
            else if (isDecimalType(t.id))
                v = binaryOp(BinaryOp::Divide, v, Value::bigInt(acc->count));
            else
                v = Value::floating(acc->real / static_cast<double>(acc->count));
        }
        setResult(ctx, convert(v, result, ConversionKind::Explicit));
    } catch (...) {
        reportError(ctx);
    }
}

void sumFinal(sqlite3_context* ctx) {
    finish(ctx, false);
}
void avgFinal(sqlite3_context* ctx) {
    finish(ctx, true);
}

int collationCompare(void*, int la, const void* a, int lb, const void* b) {
    try {
        return collateCompare(std::string_view(static_cast<const char*>(a), static_cast<std::size_t>(la)),
                              std::string_view(static_cast<const char*>(b), static_cast<std::size_t>(lb)));
    } catch (const std::exception&) {
        // A comparison cannot report errors to SQLite; fall back to byte order rather than crash.
        const int c = std::memcmp(a, b, static_cast<std::size_t>(std::min(la, lb)));
        return c != 0 ? c : la - lb;
    }
}

void check(sqlite3* db, int rc, std::string_view what) {
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot register " + std::string(what) + ": " + sqlite3_errmsg(db));
}

} // namespace
Type aggregateResultType(std::string_view name, const Type& arg) {
    std::string n(name);
    for (char& c : n)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (n == "COUNT") return Type::integer();
    if (n == "MIN" || n == "MAX") return arg.id == TypeId::Null ? Type::integer() : arg;
    const bool average = n == "AVG";
    if (!average && n != "SUM") throw std::invalid_argument("not an aggregate: " + n);
    switch (arg.id) {
    case TypeId::Null:
    case TypeId::TinyInt:
    case TypeId::SmallInt:
    case TypeId::Int:
        return Type::integer();
    case TypeId::BigInt:
        return Type::bigInt();
    case TypeId::Numeric:
    case TypeId::Decimal:
        return Type{arg.id, 0, 38,
                    static_cast<std::uint8_t>(average ? std::max<int>(arg.scale, 6) : arg.scale)};
    case TypeId::Money:
        return Type::money();
    case TypeId::Real:
    case TypeId::Float:
        return Type::floating();
    default:
        raise(8117, {std::string(arg.baseName()), average ? "avg" : "sum"});
    }
}

void registerSqliteFunctions(sqlite3* db) {
    constexpr int pure = SQLITE_UTF8 | SQLITE_DETERMINISTIC | SQLITE_INNOCUOUS;
    check(db,
          sqlite3_create_collation_v2(db, std::string(kCollationName).c_str(), SQLITE_UTF8, nullptr,
                                      collationCompare, nullptr),
          "the collation");
    struct Scalar {
        const char* name;
        int args;
        void (*fn)(sqlite3_context*, int, sqlite3_value**);
    };
    static constexpr Scalar scalars[] = {
        {"tsql_convert", 4, convertFn}, {"tsql_convert_style", 4, convertStyleFn},
        {"tsql_op", 5, opFn},           {"tsql_neg", 2, negFn},
        {"tsql_cmp", 4, cmpFn},         {"tsql_like", 2, likeFn},
        {"tsql_like", 3, likeFn},       {"tsql_chain", -1, chainFn},
        {"tsql_bitxor", 2, bitXorFn},
    };
    for (const Scalar& s : scalars)
        check(db,
              sqlite3_create_function_v2(db, s.name, s.args, pure, nullptr, s.fn, nullptr, nullptr, nullptr),
              s.name);
    for (const FunctionInfo& f : functions()) {
        if (!f.eval) continue;
        std::string name = "tsql_";
        for (char c : f.name)
            name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        const int flags = f.volatileResult ? SQLITE_UTF8 : pure;
        check(db,
              sqlite3_create_function_v2(db, name.c_str(), -1, flags, const_cast<FunctionInfo*>(&f),
                                         builtinFn, nullptr, nullptr, nullptr),
              name);
    }
    check(db,
          sqlite3_create_function_v2(db, "tsql_sum", 2, pure, nullptr, nullptr, sumStep, sumFinal, nullptr),
          "tsql_sum");
    check(db,
          sqlite3_create_function_v2(db, "tsql_avg", 2, pure, nullptr, nullptr, sumStep, avgFinal, nullptr),
          "tsql_avg");
}

} // namespace tsql
