#pragma once
//! RPC parameters as clients send them: name, status, TYPE_INFO and value, read into engine values.

#include "wire.h"

#include "tsql/value.h"

#include <stdexcept>
#include <string>

namespace tsql::server {

struct RpcParameter {
    std::string name; //!< "@P1"; empty for a positional parameter
    bool output = false;
    bool useDefault = false;
    Type type; //!< the engine type of the value as the client declared it
    Value value;
};

//! A parameter of a type the server cannot read; the rest of the request cannot be read either.
class UnsupportedParameter : public std::runtime_error {
public:
    UnsupportedParameter(std::string name, std::uint8_t typeCode)
        : std::runtime_error("unsupported parameter type")
        , name_(std::move(name))
        , code_(typeCode) {}
    const std::string& name() const { return name_; }
    std::uint8_t typeCode() const { return code_; }

private:
    std::string name_;
    std::uint8_t code_;
};

//! Reads one parameter. Throws ProtocolError for malformed data, UnsupportedParameter for a type the
//! server does not take (user-defined types, sql_variant, the types of older protocol versions), and
//! SqlError for a value the engine's types cannot hold (a DATETIME2 before 1753, which becomes DATETIME).
RpcParameter readParameter(ByteReader& r);

//! Days from 0001-01-01 to 1900-01-01, the epochs of DATE and DATETIME.
inline constexpr std::int32_t kDaysFromYearOneTo1900 = 693595;

} // namespace tsql::server
