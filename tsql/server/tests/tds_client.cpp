#include "tds_client.h"

#include "common/utf.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace tsql::server::testing {

namespace {

__extension__ typedef unsigned __int128 Magnitude;

constexpr std::uint8_t kPreLogin = 0x12;
constexpr std::uint8_t kLogin7 = 0x10;
constexpr std::uint8_t kSqlBatch = 0x01;
constexpr std::uint8_t kRpc = 0x03;

std::string fromUcs2(const std::uint8_t* p, std::size_t units) {
    std::u16string s(units, u'\0');
    for (std::size_t i = 0; i < units; ++i)
        s[i] = static_cast<char16_t>(p[2 * i] | (p[2 * i + 1] << 8));
    return common::Utf16ToUtf8(s);
}

std::string hex(const std::uint8_t* p, std::size_t n) {
    std::string out = "0x";
    char b[3];
    for (std::size_t i = 0; i < n; ++i) {
        std::snprintf(b, sizeof b, "%02X", p[i]);
        out += b;
    }
    return out;
}

//! Reads a reply's fields; throws std::runtime_error past the end.
class Reader {
public:
    explicit Reader(const Bytes& b)
        : b_(b) {}
    bool atEnd() const { return at_ >= b_.size(); }
    const std::uint8_t* take(std::size_t n) {
        if (n > b_.size() - at_) throw std::runtime_error("reply ends early");
        const std::uint8_t* p = b_.data() + at_;
        at_ += n;
        return p;
    }
    std::uint64_t le(int n) {
        const std::uint8_t* p = take(static_cast<std::size_t>(n));
        std::uint64_t v = 0;
        for (int i = 0; i < n; ++i)
            v |= std::uint64_t(p[i]) << (8 * i);
        return v;
    }
    std::uint8_t u8() { return static_cast<std::uint8_t>(le(1)); }
    std::uint16_t u16() { return static_cast<std::uint16_t>(le(2)); }
    std::uint32_t u32() { return static_cast<std::uint32_t>(le(4)); }
    std::string bVarChar() {
        const std::size_t n = u8();
        return fromUcs2(take(n * 2), n);
    }
    std::string usVarChar() {
        const std::size_t n = u16();
        return fromUcs2(take(n * 2), n);
    }

private:
    const Bytes& b_;
    std::size_t at_ = 0;
};

struct TypeInfo {
    std::uint8_t type = 0;
    std::uint32_t length = 0;
    std::uint8_t scale = 0;
    bool plp = false;
    bool lob = false;
};

TypeInfo readTypeInfo(Reader& r) {
    TypeInfo t;
    t.type = r.u8();
    switch (t.type) {
    case 0x26:
    case 0x68:
    case 0x6D:
    case 0x6E:
    case 0x6F:
    case 0x24:
        t.length = r.u8();
        break;
    case 0x6A:
    case 0x6C:
        t.length = r.u8();
        r.u8();
        t.scale = r.u8();
        break;
    case 0xA7:
    case 0xAF:
    case 0xE7:
    case 0xEF:
        t.length = r.u16();
        t.plp = t.length == 0xFFFF;
        r.take(5);
        break;
    case 0xA5:
    case 0xAD:
        t.length = r.u16();
        t.plp = t.length == 0xFFFF;
        break;
    case 0x23:
    case 0x63:
        t.length = r.u32();
        r.take(5);
        t.lob = true;
        break;
    case 0x22:
        t.length = r.u32();
        t.lob = true;
        break;
    default:
        throw std::runtime_error("the test client does not know type " + std::to_string(t.type));
    }
    return t;
}

std::string text(const TypeInfo& t, const Bytes& bytes) {
    if (t.type == 0xE7 || t.type == 0xEF || t.type == 0x63) return fromUcs2(bytes.data(), bytes.size() / 2);
    if (t.type == 0xA7 || t.type == 0xAF || t.type == 0x23) return std::string(bytes.begin(), bytes.end());
    return hex(bytes.data(), bytes.size());
}

std::optional<std::string> readValue(Reader& r, const TypeInfo& t) {
    if (t.plp) {
        const std::uint64_t total = r.le(8);
        if (total == ~std::uint64_t{0}) return std::nullopt;
        Bytes all;
        for (std::uint32_t chunk = r.u32(); chunk != 0; chunk = r.u32()) {
            const std::uint8_t* p = r.take(chunk);
            all.insert(all.end(), p, p + chunk);
        }
        return text(t, all);
    }
    if (t.lob) {
        const std::uint8_t pointer = r.u8();
        if (pointer == 0) return std::nullopt;
        r.take(pointer + 8);
        const std::uint32_t n = r.u32();
        const std::uint8_t* p = r.take(n);
        return text(t, Bytes(p, p + n));
    }
    if (t.type == 0xA7 || t.type == 0xAF || t.type == 0xE7 || t.type == 0xEF || t.type == 0xA5 ||
        t.type == 0xAD) {
        const std::uint16_t n = r.u16();
        if (n == 0xFFFF) return std::nullopt;
        const std::uint8_t* p = r.take(n);
        return text(t, Bytes(p, p + n));
    }
    const std::uint8_t n = r.u8();
    if (n == 0) return std::nullopt;
    const std::uint8_t* p = r.take(n);
    switch (t.type) {
    case 0x26:
    case 0x68: {
        std::int64_t v = 0;
        for (int i = n - 1; i >= 0; --i)
            v = (v << 8) | p[i];
        if (n < 8 && (p[n - 1] & 0x80)) v -= std::int64_t(1) << (8 * n);
        return std::to_string(v);
    }
    case 0x6D: {
        if (n == 4) {
            float f;
            std::memcpy(&f, p, 4);
            return std::to_string(f);
        }
        double d;
        std::memcpy(&d, p, 8);
        return std::to_string(d);
    }
    case 0x6F: {
        std::int32_t days;
        std::uint32_t ticks;
        std::memcpy(&days, p, 4);
        std::memcpy(&ticks, p + 4, 4);
        return std::to_string(days) + ":" + std::to_string(ticks);
    }
    case 0x6A:
    case 0x6C: {
        Magnitude m = 0;
        for (int i = n - 1; i >= 1; --i)
            m = (m << 8) | p[i];
        std::string digits;
        do {
            digits.insert(digits.begin(), static_cast<char>('0' + static_cast<int>(m % 10)));
            m /= 10;
        } while (m);
        while (digits.size() <= t.scale)
            digits.insert(digits.begin(), '0');
        if (t.scale) digits.insert(digits.end() - t.scale, '.');
        return (p[0] == 0 ? "-" : "") + digits;
    }
    default:
        return hex(p, n);
    }
}

} // namespace

bool Reply::hasError() const {
    for (const auto& m : messages)
        if (m.error) return true;
    return false;
}

std::string Reply::messageTexts() const {
    std::string out;
    for (const auto& m : messages)
        out += (m.error ? "error " + std::to_string(m.number) + ": " : "") + m.text + "\n";
    return out;
}

Bytes ucs2(const std::string& utf8) {
    Bytes out;
    for (char16_t u : common::Utf8ToUtf16(utf8)) {
        out.push_back(static_cast<std::uint8_t>(u));
        out.push_back(static_cast<std::uint8_t>(u >> 8));
    }
    return out;
}

TdsClient::TdsClient(int port) {
    fd_ = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (fd_ < 0 || ::connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0)
        throw std::runtime_error("cannot connect to the server");
}

TdsClient::~TdsClient() {
    ::close(fd_);
}

void TdsClient::sendRaw(const Bytes& bytes) {
    std::size_t at = 0;
    while (at < bytes.size()) {
        const ssize_t n = ::send(fd_, bytes.data() + at, bytes.size() - at, MSG_NOSIGNAL);
        if (n <= 0) throw std::runtime_error("cannot send");
        at += static_cast<std::size_t>(n);
    }
}

void TdsClient::sendMessage(std::uint8_t type, const Bytes& payload, std::size_t packetSize,
                            std::uint8_t firstStatus) {
    const std::size_t chunk = packetSize - 8;
    std::size_t at = 0;
    std::uint8_t number = 1;
    do {
        const std::size_t n = std::min(chunk, payload.size() - at);
        const bool last = at + n == payload.size();
        Bytes packet = {type,
                        static_cast<std::uint8_t>((last ? 1 : 0) | (at == 0 ? firstStatus : 0)),
                        static_cast<std::uint8_t>((n + 8) >> 8),
                        static_cast<std::uint8_t>(n + 8),
                        0,
                        0,
                        number++,
                        0};
        packet.insert(packet.end(), payload.begin() + static_cast<std::ptrdiff_t>(at),
                      payload.begin() + static_cast<std::ptrdiff_t>(at + n));
        sendRaw(packet);
        at += n;
    } while (at < payload.size());
}

std::optional<std::uint8_t> TdsClient::readPacket(Bytes& out, int timeoutMs) {
    std::uint8_t header[8];
    std::size_t got = 0;
    while (got < 8) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) throw std::runtime_error("the server did not answer in time");
        const ssize_t n = ::recv(fd_, header + got, 8 - got, 0);
        if (n <= 0) return std::nullopt;
        got += static_cast<std::size_t>(n);
    }
    const std::size_t length = (header[2] << 8) | header[3];
    largestPacket_ = std::max(largestPacket_, length);
    std::size_t left = length - 8;
    while (left > 0) {
        std::uint8_t buffer[65536];
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) throw std::runtime_error("the server did not answer in time");
        const ssize_t n = ::recv(fd_, buffer, std::min(left, sizeof buffer), 0);
        if (n <= 0) return std::nullopt;
        out.insert(out.end(), buffer, buffer + n);
        left -= static_cast<std::size_t>(n);
    }
    return header[1];
}

std::optional<Bytes> TdsClient::readMessage(int timeoutMs) {
    Bytes out;
    for (;;) {
        const auto status = readPacket(out, timeoutMs);
        if (!status) return std::nullopt;
        if (*status & 1) return out;
    }
}

bool TdsClient::closedByServer(int timeoutMs) {
    for (;;) {
        pollfd p{fd_, POLLIN, 0};
        if (::poll(&p, 1, timeoutMs) <= 0) return false;
        std::uint8_t buffer[4096];
        const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
        if (n <= 0) return true;
    }
}

Bytes login7(const std::string& user, const std::string& password, const std::string& database,
             std::uint32_t version, std::uint32_t packetSize) {
    const std::string fields[] = {"testhost", user,           password, "tds-test", "server",
                                  "",         "test-library", "",       database};
    Bytes fixed(94, 0);
    Bytes variable;
    const auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i)
            fixed[at + static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(v >> (8 * i));
    };
    const auto put16 = [&](std::size_t at, std::uint16_t v) {
        fixed[at] = static_cast<std::uint8_t>(v);
        fixed[at + 1] = static_cast<std::uint8_t>(v >> 8);
    };
    put32(4, version);
    put32(8, packetSize);
    for (std::size_t i = 0; i < std::size(fields); ++i) {
        Bytes b = ucs2(fields[i]);
        if (i == 2)
            for (auto& x : b)
                x = static_cast<std::uint8_t>(((x << 4) | (x >> 4)) ^ 0xA5);
        put16(36 + 4 * i, static_cast<std::uint16_t>(94 + variable.size()));
        put16(38 + 4 * i, static_cast<std::uint16_t>(b.size() / 2));
        variable.insert(variable.end(), b.begin(), b.end());
    }
    Bytes out = fixed;
    out.insert(out.end(), variable.begin(), variable.end());
    put32(0, static_cast<std::uint32_t>(out.size()));
    std::copy(fixed.begin(), fixed.begin() + 4, out.begin());
    return out;
}

Reply TdsClient::logIn(const std::string& user, const std::string& password, const std::string& database,
                       std::uint32_t version, std::uint32_t packetSize) {
    version_ = version;
    // VERSION, ENCRYPTION (not supported), terminator.
    const Bytes preLogin = {0x00, 0x00, 0x0B, 0x00, 0x06, 0x01, 0x00, 0x11, 0x00,
                            0x01, 0xFF, 0x0B, 0x00, 0x00, 0x00, 0x00, 0x00, 0x02};
    sendMessage(kPreLogin, preLogin);
    if (!readMessage()) throw std::runtime_error("no PRELOGIN answer");
    sendMessage(kLogin7, login7(user, password, database, version, packetSize));
    const auto reply = readMessage();
    if (!reply) throw std::runtime_error("no login answer");
    return parse(*reply);
}

Bytes TdsClient::allHeaders() const {
    if (version_ < 0x72000000) return {};
    return {22, 0, 0, 0, 18, 0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0};
}

Reply TdsClient::batch(const std::string& sql, std::uint8_t firstStatus) {
    Bytes payload = allHeaders();
    const Bytes text = ucs2(sql);
    payload.insert(payload.end(), text.begin(), text.end());
    sendMessage(kSqlBatch, payload, 4096, firstStatus);
    const auto reply = readMessage();
    if (!reply) throw std::runtime_error("the server closed the connection");
    return parse(*reply);
}

Reply TdsClient::rpc(const Bytes& body) {
    Bytes payload = allHeaders();
    payload.insert(payload.end(), body.begin(), body.end());
    sendMessage(kRpc, payload);
    const auto reply = readMessage();
    if (!reply) throw std::runtime_error("the server closed the connection");
    return parse(*reply);
}

Reply TdsClient::parse(const Bytes& message) const {
    Reply reply;
    Reader r(message);
    const bool wide = version_ >= 0x72000000;
    std::vector<TypeInfo> types;
    while (!r.atEnd()) {
        const std::uint8_t token = r.u8();
        reply.tokens.push_back(token);
        switch (token) {
        case 0xAD: {
            r.u16();
            r.u8();
            const std::uint8_t* v = r.take(4);
            reply.tdsVersion = (std::uint32_t(v[0]) << 24) | (v[1] << 16) | (v[2] << 8) | v[3];
            r.bVarChar();
            r.take(4);
            reply.loginAck = true;
            break;
        }
        case 0xE3: {
            const std::uint16_t length = r.u16();
            const std::uint8_t* p = r.take(length);
            const std::uint8_t type = p[0];
            const bool bytes = type == 7 || type == 8 || type == 9 || type == 10 || type == 18;
            const std::size_t n = p[1];
            reply.envChanges.emplace_back(type, bytes ? hex(p + 2, n) : fromUcs2(p + 2, n));
            break;
        }
        case 0xAA:
        case 0xAB: {
            r.u16();
            Reply::Message m;
            m.error = token == 0xAA;
            m.number = static_cast<int>(r.u32());
            m.state = r.u8();
            m.severity = r.u8();
            m.text = r.usVarChar();
            r.bVarChar();
            m.procedure = r.bVarChar();
            m.line = static_cast<int>(wide ? r.u32() : r.u16());
            reply.messages.push_back(m);
            break;
        }
        case 0x81: {
            const std::uint16_t count = r.u16();
            types.clear();
            Reply::ResultSet set;
            for (std::uint16_t i = 0; i < count; ++i) {
                r.take(wide ? 4 : 2);
                r.u16();
                TypeInfo t = readTypeInfo(r);
                if (t.lob) {
                    if (wide)
                        for (std::uint8_t parts = r.u8(); parts > 0; --parts)
                            r.usVarChar();
                    else
                        r.usVarChar();
                }
                types.push_back(t);
                set.columns.push_back({r.bVarChar(), t.type});
            }
            reply.results.push_back(set);
            break;
        }
        case 0xD1:
        case 0xD2: {
            Reply::Row row(types.size());
            Bytes bitmap;
            if (token == 0xD2) {
                const std::uint8_t* p = r.take((types.size() + 7) / 8);
                bitmap.assign(p, p + (types.size() + 7) / 8);
            }
            for (std::size_t i = 0; i < types.size(); ++i)
                if (bitmap.empty() || !(bitmap[i / 8] & (1 << (i % 8)))) row[i] = readValue(r, types[i]);
            reply.results.back().rows.push_back(row);
            break;
        }
        case 0xFD:
        case 0xFE:
        case 0xFF: {
            Reply::Done d;
            d.token = token;
            d.status = r.u16();
            r.u16();
            d.rows = wide ? r.le(8) : r.u32();
            reply.dones.push_back(d);
            break;
        }
        case 0x79:
            reply.returnStatuses.push_back(static_cast<std::int32_t>(r.u32()));
            break;
        case 0xAC: {
            Reply::ReturnValue v;
            v.ordinal = r.u16();
            v.name = r.bVarChar();
            r.u8();
            r.take(wide ? 4 : 2);
            r.u16();
            const TypeInfo t = readTypeInfo(r);
            v.value = readValue(r, t);
            reply.returnValues.push_back(v);
            break;
        }
        default:
            throw std::runtime_error("the test client does not know token " + std::to_string(token));
        }
    }
    return reply;
}

RpcBuilder::RpcBuilder(const std::string& name) {
    next(name);
}

RpcBuilder::RpcBuilder(std::uint16_t id) {
    body_ = {0xFF, 0xFF, static_cast<std::uint8_t>(id), static_cast<std::uint8_t>(id >> 8), 0, 0};
}

RpcBuilder& RpcBuilder::next(const std::string& name) {
    if (!body_.empty()) body_.push_back(0x80);
    const Bytes n = ucs2(name);
    body_.push_back(static_cast<std::uint8_t>(n.size() / 2));
    body_.push_back(static_cast<std::uint8_t>((n.size() / 2) >> 8));
    body_.insert(body_.end(), n.begin(), n.end());
    body_.push_back(0);
    body_.push_back(0);
    return *this;
}

void RpcBuilder::header(const std::string& name, std::uint8_t status) {
    const Bytes n = ucs2(name);
    body_.push_back(static_cast<std::uint8_t>(n.size() / 2));
    body_.insert(body_.end(), n.begin(), n.end());
    body_.push_back(status);
}

RpcBuilder& RpcBuilder::text(const std::string& name, const std::optional<std::string>& value, bool output,
                             bool max) {
    header(name, output ? 1 : 0);
    const Bytes collation = {0x05, 0x04, 0xD0, 0x00, 0x00};
    body_.push_back(0xE7);
    body_.push_back(max ? 0xFF : 0x40);
    body_.push_back(max ? 0xFF : 0x1F);
    body_.insert(body_.end(), collation.begin(), collation.end());
    const Bytes v = value ? ucs2(*value) : Bytes();
    if (max) {
        const std::uint64_t total = value ? v.size() : ~std::uint64_t{0};
        for (int i = 0; i < 8; ++i)
            body_.push_back(static_cast<std::uint8_t>(total >> (8 * i)));
        if (value) {
            if (!v.empty()) {
                for (int i = 0; i < 4; ++i)
                    body_.push_back(static_cast<std::uint8_t>(v.size() >> (8 * i)));
                body_.insert(body_.end(), v.begin(), v.end());
            }
            body_.insert(body_.end(), {0, 0, 0, 0});
        }
        return *this;
    }
    const std::uint16_t n = value ? static_cast<std::uint16_t>(v.size()) : 0xFFFF;
    body_.push_back(static_cast<std::uint8_t>(n));
    body_.push_back(static_cast<std::uint8_t>(n >> 8));
    body_.insert(body_.end(), v.begin(), v.end());
    return *this;
}

RpcBuilder& RpcBuilder::integer(const std::string& name, const std::optional<std::int32_t>& value,
                                bool output) {
    header(name, output ? 1 : 0);
    body_.push_back(0x26);
    body_.push_back(4);
    if (!value) {
        body_.push_back(0);
        return *this;
    }
    body_.push_back(4);
    for (int i = 0; i < 4; ++i)
        body_.push_back(static_cast<std::uint8_t>(static_cast<std::uint32_t>(*value) >> (8 * i)));
    return *this;
}

RpcBuilder& RpcBuilder::raw(const std::string& name, std::uint8_t status, const Bytes& typeAndValue) {
    header(name, status);
    body_.insert(body_.end(), typeAndValue.begin(), typeAndValue.end());
    return *this;
}

} // namespace tsql::server::testing
