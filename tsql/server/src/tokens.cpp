#include "tokens.h"

#include "collation.h"

#include <algorithm>

namespace tsql::server {

namespace {

//! Column flags: nullable, updatability unknown.
constexpr std::uint16_t kColumnFlags = 0x0001 | 0x0008;
//! The longest message text sent; SQL Server's own messages are far shorter.
constexpr std::size_t kMaxMessageChars = 4000;
constexpr std::uint8_t kSqlInterface = 1;
constexpr std::uint8_t kOutputParameter = 0x01;

std::string cutMessage(const std::string& text) {
    if (text.size() <= kMaxMessageChars) return text;
    std::size_t end = kMaxMessageChars;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

} // namespace

void TokenWriter::variableLengthToken(std::uint8_t token, const Bytes& body) {
    w_.u8(token);
    w_.u16(static_cast<std::uint16_t>(body.size()));
    w_.bytes(body);
}

template <typename Values> void TokenWriter::envChangeToken(EnvChange type, const Values& values) {
    scratch_.clear();
    ByteWriter b(scratch_);
    b.u8(static_cast<std::uint8_t>(type));
    values(b);
    variableLengthToken(token::kEnvChange, scratch_);
}

void TokenWriter::envChange(EnvChange type, const std::string& newValue, const std::string& oldValue) {
    envChangeToken(type, [&](ByteWriter& b) {
        b.bVarChar(newValue);
        b.bVarChar(oldValue);
    });
}

void TokenWriter::envChangeBytes(EnvChange type, const Bytes& newValue, const Bytes& oldValue) {
    envChangeToken(type, [&](ByteWriter& b) {
        b.bVarByte(newValue);
        b.bVarByte(oldValue);
    });
}

void TokenWriter::loginAck(std::uint32_t tdsVersion) {
    scratch_.clear();
    ByteWriter b(scratch_);
    b.u8(kSqlInterface);
    b.u32be(tdsVersion);
    b.bVarChar(kProductName);
    b.u8(kProductMajor);
    b.u8(kProductMinor);
    b.u8(static_cast<std::uint8_t>(kProductBuild >> 8));
    b.u8(static_cast<std::uint8_t>(kProductBuild));
    variableLengthToken(token::kLoginAck, scratch_);
}

void TokenWriter::message(const Message& m) {
    scratch_.clear();
    ByteWriter b(scratch_);
    b.u32(static_cast<std::uint32_t>(m.number));
    b.u8(static_cast<std::uint8_t>(std::clamp(m.state, 0, 255)));
    b.u8(static_cast<std::uint8_t>(std::clamp(m.severity, 0, 25)));
    b.usVarChar(cutMessage(m.text));
    b.bVarChar(serverName_);
    b.bVarChar(m.procedure);
    if (protocol_.atLeast72())
        b.u32(static_cast<std::uint32_t>(std::max(m.line, 0)));
    else
        b.u16(static_cast<std::uint16_t>(std::clamp(m.line, 0, 65535)));
    variableLengthToken(m.isError() ? token::kError : token::kInfo, scratch_);
}

void TokenWriter::done(std::uint8_t token, std::uint16_t status, std::uint16_t command, long long rows) {
    w_.u8(token);
    w_.u16(status);
    w_.u16(command);
    const auto count = static_cast<std::uint64_t>(std::max(rows, 0LL));
    if (protocol_.atLeast72())
        w_.u64(count);
    else
        w_.u32(static_cast<std::uint32_t>(std::min<std::uint64_t>(count, 0xFFFFFFFF)));
}

void TokenWriter::userTypeFlagsAndTypeInfo(const WireType& t) {
    // No user type: 4 bytes from 7.2 on, 2 before.
    if (protocol_.atLeast72())
        w_.u32(0);
    else
        w_.u16(0);
    w_.u16(kColumnFlags);
    writeTypeInfo(w_, t);
}

std::vector<WireType> TokenWriter::columns(const std::vector<ResultColumn>& columns) {
    std::vector<WireType> types;
    types.reserve(columns.size());
    w_.u8(token::kColMetadata);
    w_.u16(static_cast<std::uint16_t>(columns.size()));
    for (const auto& c : columns) {
        types.push_back(wireType(c.type, protocol_));
        const WireType& t = types.back();
        userTypeFlagsAndTypeInfo(t);
        if (t.largeObject) {
            // The table a large-object column comes from; results of expressions have none.
            if (protocol_.atLeast72())
                w_.u8(0);
            else
                w_.u16(0);
        }
        w_.bVarChar(c.name);
    }
    return types;
}

void TokenWriter::row(const std::vector<WireType>& types, const std::vector<Value>& values) {
    const bool anyNull = std::any_of(values.begin(), values.end(), [](const Value& v) { return v.isNull(); });
    if (anyNull && protocol_.atLeast73()) {
        w_.u8(token::kNbcRow);
        Bytes bitmap((values.size() + 7) / 8, 0);
        for (std::size_t i = 0; i < values.size(); ++i)
            if (values[i].isNull())
                bitmap[i / 8] = static_cast<std::uint8_t>(bitmap[i / 8] | (1u << (i % 8)));
        w_.bytes(bitmap);
        for (std::size_t i = 0; i < values.size(); ++i)
            if (!values[i].isNull()) writeValue(w_, types[i], values[i]);
        return;
    }
    w_.u8(token::kRow);
    for (std::size_t i = 0; i < values.size(); ++i)
        writeValue(w_, types[i], values[i]);
}

void TokenWriter::returnStatus(std::int32_t status) {
    w_.u8(token::kReturnStatus);
    w_.u32(static_cast<std::uint32_t>(status));
}

void TokenWriter::returnValue(std::uint16_t ordinal, const std::string& name, const Type& type,
                              const Value& value) {
    const WireType t = wireType(type, protocol_);
    w_.u8(token::kReturnValue);
    w_.u16(ordinal);
    w_.bVarChar(name);
    w_.u8(kOutputParameter);
    userTypeFlagsAndTypeInfo(t);
    writeValue(w_, t, value);
}

} // namespace tsql::server
