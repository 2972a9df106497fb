#pragma once
//! The tokens of the server's replies: login acknowledgement, environment changes, messages, result
//! metadata and rows, DONE tokens, return status and return values.

#include "type_encoding.h"
#include "version.h"
#include "wire.h"

#include "tsql/engine.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tsql::server {

namespace token {
inline constexpr std::uint8_t kReturnStatus = 0x79;
inline constexpr std::uint8_t kColMetadata = 0x81;
inline constexpr std::uint8_t kError = 0xAA;
inline constexpr std::uint8_t kInfo = 0xAB;
inline constexpr std::uint8_t kReturnValue = 0xAC;
inline constexpr std::uint8_t kLoginAck = 0xAD;
inline constexpr std::uint8_t kRow = 0xD1;
inline constexpr std::uint8_t kNbcRow = 0xD2;
inline constexpr std::uint8_t kEnvChange = 0xE3;
inline constexpr std::uint8_t kDone = 0xFD;
inline constexpr std::uint8_t kDoneProc = 0xFE;
inline constexpr std::uint8_t kDoneInProc = 0xFF;
} // namespace token

//! Status bits of DONE, DONEPROC and DONEINPROC.
namespace done {
inline constexpr std::uint16_t kFinal = 0x0000;
inline constexpr std::uint16_t kMore = 0x0001;
inline constexpr std::uint16_t kError = 0x0002;
inline constexpr std::uint16_t kInTransaction = 0x0004;
inline constexpr std::uint16_t kCount = 0x0010;
inline constexpr std::uint16_t kAttention = 0x0020;
inline constexpr std::uint16_t kServerError = 0x0100;
//! CurCmd of a SELECT.
inline constexpr std::uint16_t kSelectCommand = 0x00C1;
} // namespace done

//! ENVCHANGE types.
enum class EnvChange : std::uint8_t {
    Database = 1,
    Language = 2,
    PacketSize = 4,
    Collation = 7,
    BeginTransaction = 8,
    CommitTransaction = 9,
    RollbackTransaction = 10,
    ResetConnection = 18,
};

//! Appends tokens for one protocol version.
class TokenWriter {
public:
    TokenWriter(Bytes& out, const Protocol& protocol, std::string serverName)
        : w_(out)
        , protocol_(protocol)
        , serverName_(std::move(serverName)) {}

    void envChange(EnvChange type, const std::string& newValue, const std::string& oldValue);
    void envChangeBytes(EnvChange type, const Bytes& newValue, const Bytes& oldValue);
    void loginAck(std::uint32_t tdsVersion);
    //! INFO for severities up to 10, ERROR above, with the procedure the message names.
    void message(const Message& m);
    void done(std::uint8_t token, std::uint16_t status, std::uint16_t command, long long rows);

    //! COLMETADATA for the columns; returns their wire types for the rows.
    std::vector<WireType> columns(const std::vector<ResultColumn>& columns);
    //! One row (NBCROW when it is shorter and the client knows it).
    void row(const std::vector<WireType>& types, const std::vector<Value>& values);

    void returnStatus(std::int32_t status);
    void returnValue(std::uint16_t ordinal, const std::string& name, const Type& type, const Value& value);

private:
    void variableLengthToken(std::uint8_t token, const Bytes& body);
    //! ENVCHANGE of a type with the new and old values `values` writes.
    template <typename Values> void envChangeToken(EnvChange type, const Values& values);
    //! The user type, the flags and the TYPE_INFO of a column or a returned parameter.
    void userTypeFlagsAndTypeInfo(const WireType& t);
    ByteWriter w_;
    Protocol protocol_;
    std::string serverName_;
    Bytes scratch_;
};

} // namespace tsql::server
