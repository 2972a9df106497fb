#pragma once
//! Small builders of values and a runner that turns results and errors into comparable text.

#include "tsql/convert.h"
#include "tsql/error.h"
#include "tsql/format.h"
#include "tsql/value.h"

#include <functional>
#include <string>

namespace tsql::test {

inline Value I(std::int64_t v) {
    return Value::integer(v);
}
inline Value B(std::int64_t v) {
    return Value::bigInt(v);
}
//! A numeric literal typed as SQL Server types it ("12.50" is NUMERIC(4,2)).
inline Value N(const std::string& text) {
    return convert(Value::varChar(text), numericLiteralType(text.front() == '-' ? text.substr(1) : text));
}
inline Value M(const std::string& text) {
    return convert(Value::varChar(text), Type::money());
}
inline Value F(double v) {
    return Value::floating(v);
}
inline Value S(const std::string& text) {
    return Value::varChar(text);
}
inline Value U(const std::string& text) {
    return Value::nVarChar(text);
}
inline Value D(const std::string& text) {
    return convert(Value::varChar(text), Type::dateTime());
}
inline Value Null(const Type& t = Type::null()) {
    return Value::null(t);
}
inline Type T(const std::string& name) {
    return *parseType(name);
}

//! The shell text of the value, or "Msg <number>" when evaluating it raised an SQL error.
inline std::string run(const std::function<Value()>& f) {
    try {
        return formatForShell(f());
    } catch (const SqlError& e) {
        return "Msg " + std::to_string(e.number());
    }
}

} // namespace tsql::test
