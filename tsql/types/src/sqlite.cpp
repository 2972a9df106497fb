#include "tsql/sqlite.h"

#include "tsql/collation.h"
#include "tsql/convert.h"
#include "tsql/functions.h"
#include "tsql/operators.h"
#include "utf8.h"

#include <sqlite3.h>

#include <cctype>
#include <charconv>
#include <cstring>
#include <stdexcept>
#include <vector>

namespace tsql {

namespace {

//! The SQLite storage of an exact numeric: an integer when integral, else a REAL that reads back to the
//! same value at the type's scale. Anything else would lose digits and is refused.
struct NumericStorage {
    bool isInteger;
    std::int64_t integer;
    double real;
};

NumericStorage numericStorage(const Decimal& d) {
    if (const auto whole = d.truncate(0); whole && compare(*whole, d) == 0) {
        if (const auto i = whole->toInt64(); i && Int128(*i) == whole->unscaled()) return {true, *i, 0};
    }
    const double x = d.toDouble();
    const auto back = Decimal::fromDouble(x, d.scale());
    if (!back || compare(*back, d) != 0)
        throw SqlError(8115, 16, 2,
                       "Arithmetic overflow error converting numeric to data type numeric: the value " +
                           d.toString() +
                           " has more significant digits than this server stores exactly (15).");
    return {false, 0, x};
}

Bytes blobBytes(sqlite3_value* v) {
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_value_blob(v));
    const int n = sqlite3_value_bytes(v);
    return p ? Bytes(p, p + n) : Bytes();
}

std::string textOf(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string();
}

//! What SQLite holds, as a Value of the natural type of its storage class.
Value rawValue(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return Value::bigInt(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return Value::floating(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return Value::nVarChar(textOf(v));
    case SQLITE_BLOB:
        return Value::varBinary(blobBytes(v));
    default:
        return Value();
    }
}

//! Reports an exception as the result of a user function.
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
            const std::string e = textOf(argv[2]);
            const std::u32string chars = detail::decodeUtf8(e);
            if (chars.size() != 1) raise(506, {e, "LIKE"});
            escape = chars[0];
        }
        sqlite3_result_int(ctx, like(textOf(argv[0]), textOf(argv[1]), escape) ? 1 : 0);
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

std::string_view sqliteDeclType(const Type& type) {
    const TypeId id = type.id;
    if (isIntegerType(id) || id == TypeId::DateTime || id == TypeId::Null) return "INTEGER";
    if (isDecimalType(id)) return "NUMERIC";
    if (id == TypeId::Real || id == TypeId::Float) return "REAL";
    if (isCharacterType(id)) return "TEXT";
    return "BLOB";
}

void bindValue(sqlite3_stmt* stmt, int index, const Value& v) {
    int rc = SQLITE_OK;
    const TypeId id = v.type().id;
    if (v.isNull())
        rc = sqlite3_bind_null(stmt, index);
    else if (isIntegerType(id))
        rc = sqlite3_bind_int64(stmt, index, v.asInt());
    else if (isDecimalType(id)) {
        const NumericStorage s = numericStorage(v.asDecimal());
        rc = s.isInteger ? sqlite3_bind_int64(stmt, index, s.integer)
                         : sqlite3_bind_double(stmt, index, s.real);
    } else if (id == TypeId::Real || id == TypeId::Float)
        rc = sqlite3_bind_double(stmt, index, v.asDouble());
    else if (id == TypeId::DateTime)
        rc = sqlite3_bind_int64(stmt, index, v.asDateTime().totalTicks());
    else if (isCharacterType(id))
        rc = sqlite3_bind_text64(stmt, index, v.asString().data(), v.asString().size(), SQLITE_TRANSIENT,
                                 SQLITE_UTF8);
    else if (id == TypeId::UniqueIdentifier)
        rc = sqlite3_bind_blob(stmt, index, guidSortKey(v.asGuid()).data(), 16, SQLITE_TRANSIENT);
    else if (v.asBytes().empty())
        rc = sqlite3_bind_zeroblob(stmt, index, 0);
    else
        rc = sqlite3_bind_blob64(stmt, index, v.asBytes().data(), v.asBytes().size(), SQLITE_TRANSIENT);
    if (rc != SQLITE_OK)
        throw std::runtime_error("cannot bind parameter " + std::to_string(index) + ": " +
                                 sqlite3_errstr(rc));
}

Value readValue(sqlite3_value* value, const Type& type) {
    const int storage = sqlite3_value_type(value);
    if (storage == SQLITE_NULL) return Value::null(type);
    const TypeId id = type.id;
    if (id == TypeId::Null) return convert(rawValue(value), Type::integer());
    if (isIntegerType(id) && storage == SQLITE_INTEGER) {
        // Out of range values (or a BIT other than 0/1) only come from arithmetic SQLite did itself.
        const std::int64_t i = sqlite3_value_int64(value);
        const bool inRange =
            id == TypeId::BigInt || (id == TypeId::Int && i >= INT32_MIN && i <= INT32_MAX) ||
            (id == TypeId::SmallInt && i >= -32768 && i <= 32767) ||
            (id == TypeId::TinyInt && i >= 0 && i <= 255) || (id == TypeId::Bit && (i == 0 || i == 1));
        return inRange ? Value::integer(i, type) : convert(Value::bigInt(i), type, ConversionKind::Explicit);
    }
    if (isDecimalType(id) && (storage == SQLITE_INTEGER || storage == SQLITE_FLOAT)) {
        const int scale = id == TypeId::Money ? 4 : type.scale;
        const auto d = storage == SQLITE_INTEGER ? Decimal(sqlite3_value_int64(value), 0).rescale(scale)
                                                 : Decimal::fromDouble(sqlite3_value_double(value), scale);
        if (!d) raise(8115, {"expression", std::string(type.baseName())});
        return Value::decimal(*d, type);
    }
    if ((id == TypeId::Float || id == TypeId::Real) && (storage == SQLITE_FLOAT || storage == SQLITE_INTEGER))
        return Value::floating(sqlite3_value_double(value), type);
    if (id == TypeId::DateTime && storage == SQLITE_INTEGER)
        return Value::dateTime(DateTime::fromTotalTicks(sqlite3_value_int64(value)));
    if (isCharacterType(id) && storage == SQLITE_TEXT) return Value::text(textOf(value), type);
    if (isBinaryType(id) && storage == SQLITE_BLOB) return Value::bytes(blobBytes(value), type);
    if (id == TypeId::UniqueIdentifier && storage == SQLITE_BLOB && sqlite3_value_bytes(value) == 16) {
        return Value::guid(guidFromSortKey(static_cast<const std::uint8_t*>(sqlite3_value_blob(value))));
    }
    // Stored in another class (e.g. by an expression SQLite computed itself): convert as SQL Server would.
    if (id == TypeId::DateTime && storage == SQLITE_FLOAT)
        return Value::dateTime(
            DateTime::fromTotalTicks(static_cast<std::int64_t>(sqlite3_value_double(value))));
    return convert(rawValue(value), type, ConversionKind::Explicit);
}

Value readColumn(sqlite3_stmt* stmt, int col, const Type& type) {
    return readValue(sqlite3_column_value(stmt, col), type);
}

void setResult(sqlite3_context* ctx, const Value& v) {
    const TypeId id = v.type().id;
    if (v.isNull())
        sqlite3_result_null(ctx);
    else if (isIntegerType(id))
        sqlite3_result_int64(ctx, v.asInt());
    else if (isDecimalType(id)) {
        const NumericStorage s = numericStorage(v.asDecimal());
        if (s.isInteger)
            sqlite3_result_int64(ctx, s.integer);
        else
            sqlite3_result_double(ctx, s.real);
    } else if (id == TypeId::Real || id == TypeId::Float)
        sqlite3_result_double(ctx, v.asDouble());
    else if (id == TypeId::DateTime)
        sqlite3_result_int64(ctx, v.asDateTime().totalTicks());
    else if (isCharacterType(id))
        sqlite3_result_text64(ctx, v.asString().data(), v.asString().size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    else if (id == TypeId::UniqueIdentifier)
        sqlite3_result_blob(ctx, guidSortKey(v.asGuid()).data(), 16, SQLITE_TRANSIENT);
    else if (v.asBytes().empty())
        sqlite3_result_zeroblob(ctx, 0);
    else
        sqlite3_result_blob64(ctx, v.asBytes().data(), v.asBytes().size(), SQLITE_TRANSIENT);
}

std::string sqliteLiteral(const Value& v) {
    const TypeId id = v.type().id;
    const auto real = [](double d) {
        char buf[64];
        const auto [end, ec] = std::to_chars(buf, buf + sizeof buf, d, std::chars_format::general, 17);
        std::string s(buf, end);
        if (s.find_first_of(".eEn") == std::string::npos) s += ".0";
        return s;
    };
    const auto blob = [](const std::uint8_t* p, std::size_t n) {
        static constexpr char hex[] = "0123456789ABCDEF";
        std::string s = "X'";
        for (std::size_t i = 0; i < n; ++i) {
            s += hex[p[i] >> 4];
            s += hex[p[i] & 15];
        }
        return s + "'";
    };
    if (v.isNull()) return "NULL";
    if (isIntegerType(id)) return std::to_string(v.asInt());
    if (isDecimalType(id)) {
        const NumericStorage s = numericStorage(v.asDecimal());
        return s.isInteger ? std::to_string(s.integer) : real(s.real);
    }
    if (id == TypeId::Real || id == TypeId::Float) return real(v.asDouble());
    if (id == TypeId::DateTime) return std::to_string(v.asDateTime().totalTicks());
    if (id == TypeId::UniqueIdentifier) return blob(guidSortKey(v.asGuid()).data(), 16);
    if (isBinaryType(id)) return blob(v.asBytes().data(), v.asBytes().size());
    std::string s = "'";
    for (char c : v.asString()) {
        s += c;
        if (c == '\'') s += '\'';
    }
    return s + "'";
}

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
        {"tsql_like", 3, likeFn},
    };
    for (const Scalar& s : scalars)
        check(db,
              sqlite3_create_function_v2(db, s.name, s.args, pure, nullptr, s.fn, nullptr, nullptr, nullptr),
              s.name);
    for (const FunctionInfo& f : functions()) {
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
