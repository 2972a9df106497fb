#include "sqlite_detail.h"
#include "tsql/convert.h"
#include "tsql/sqlite.h"

#include <sqlite3.h>

#include <charconv>
#include <cstring>
#include <stdexcept>

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
    if (!back || compare(*back, d) != 0) raise(8115, {d.toString()}, 2);
    return {false, 0, x};
}

Bytes blobBytes(sqlite3_value* v) {
    const auto* p = static_cast<const std::uint8_t*>(sqlite3_value_blob(v));
    const int n = sqlite3_value_bytes(v);
    return p ? Bytes(p, p + n) : Bytes();
}

} // namespace

std::string detail::sqliteText(sqlite3_value* v) {
    const auto* p = reinterpret_cast<const char*>(sqlite3_value_text(v));
    return p ? std::string(p, static_cast<std::size_t>(sqlite3_value_bytes(v))) : std::string();
}

namespace {

//! What SQLite holds, as a Value of the natural type of its storage class.
Value rawValue(sqlite3_value* v) {
    switch (sqlite3_value_type(v)) {
    case SQLITE_INTEGER:
        return Value::bigInt(sqlite3_value_int64(v));
    case SQLITE_FLOAT:
        return Value::floating(sqlite3_value_double(v));
    case SQLITE_TEXT:
        return Value::nVarChar(detail::sqliteText(v));
    case SQLITE_BLOB:
        return Value::varBinary(blobBytes(v));
    default:
        return Value();
    }
}

//! Reports an exception as the result of a user function.
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
    if (isCharacterType(id) && storage == SQLITE_TEXT) return Value::text(detail::sqliteText(value), type);
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

} // namespace tsql
