#pragma once
//! A deliberately small TDS client for the server's protocol tests: it sends well-formed or broken
//! packets on a raw socket and reads the replies token by token.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tsql::server::testing {

using Bytes = std::vector<std::uint8_t>;

//! One reply, as far as the tests look at it. Values are text: numbers in decimal, NULL as nullopt,
//! binary as 0x..., DATETIME as "days:ticks".
struct Reply {
    struct Done {
        std::uint8_t token = 0;
        std::uint16_t status = 0;
        std::uint64_t rows = 0;
    };
    struct Message {
        bool error = false;
        int number = 0;
        int state = 0;
        int severity = 0;
        std::string text;
        std::string procedure;
        int line = 0;
    };
    struct Column {
        std::string name;
        std::uint8_t type = 0;
    };
    using Row = std::vector<std::optional<std::string>>;
    struct ResultSet {
        std::vector<Column> columns;
        std::vector<Row> rows;
    };
    struct ReturnValue {
        std::uint16_t ordinal = 0;
        std::string name;
        std::optional<std::string> value;
    };

    std::vector<std::uint8_t> tokens; //!< the token types in order
    std::vector<Done> dones;
    std::vector<Message> messages;
    std::vector<ResultSet> results;
    std::vector<std::pair<std::uint8_t, std::string>> envChanges; //!< type and new value (text or hex)
    std::vector<std::int32_t> returnStatuses;
    std::vector<ReturnValue> returnValues;
    bool loginAck = false;
    std::uint32_t tdsVersion = 0;

    bool hasError() const;
    //! The texts of the messages, errors marked "error <number>: ".
    std::string messageTexts() const;
};

class TdsClient {
public:
    explicit TdsClient(int port);
    ~TdsClient();
    TdsClient(const TdsClient&) = delete;
    TdsClient& operator=(const TdsClient&) = delete;

    //! Sends bytes as they are.
    void sendRaw(const Bytes& bytes);
    //! Sends one message in packets of `packetSize` (the first with `firstStatus` added).
    void sendMessage(std::uint8_t type, const Bytes& payload, std::size_t packetSize = 4096,
                     std::uint8_t firstStatus = 0);
    //! The payload of the next reply message; nullopt when the server closed the connection.
    std::optional<Bytes> readMessage(int timeoutMs = 15000);
    //! Appends the payload of the next packet; its status (1: the message's last), nullopt when closed.
    std::optional<std::uint8_t> readPacket(Bytes& payload, int timeoutMs = 15000);
    //! True when the server closes the connection within the time (data before the close is skipped).
    bool closedByServer(int timeoutMs = 5000);

    //! PRELOGIN without encryption, then LOGIN7 for the version; the parsed reply.
    Reply logIn(const std::string& user, const std::string& password, const std::string& database,
                std::uint32_t version = 0x74000004, std::uint32_t packetSize = 4096);
    //! A SQL batch (with ALL_HEADERS from 7.2 on) and its parsed reply.
    Reply batch(const std::string& sql, std::uint8_t firstStatus = 0);
    //! An RPC message body (after ALL_HEADERS) and its parsed reply.
    Reply rpc(const Bytes& body);
    //! Parses a reply message of this connection's version.
    Reply parse(const Bytes& message) const;
    //! ALL_HEADERS with a transaction descriptor, when the version has them.
    Bytes allHeaders() const;

    std::uint32_t version() const { return version_; }
    //! The largest packet the server has sent.
    std::size_t largestPacket() const { return largestPacket_; }

private:
    int fd_ = -1;
    std::size_t largestPacket_ = 0;
    std::uint32_t version_ = 0x74000004;
};

//! The LOGIN7 payload of a client.
Bytes login7(const std::string& user, const std::string& password, const std::string& database,
             std::uint32_t version, std::uint32_t packetSize);

//! UTF-16LE bytes of UTF-8 text.
Bytes ucs2(const std::string& utf8);

//! Builds RPC bodies: a procedure by name or number, then parameters.
class RpcBuilder {
public:
    explicit RpcBuilder(const std::string& name);
    explicit RpcBuilder(std::uint16_t id);
    //! An NVARCHAR(4000) parameter (NVARCHAR(MAX) as PLP when `max`).
    RpcBuilder& text(const std::string& name, const std::optional<std::string>& value, bool output = false,
                     bool max = false);
    //! An INT parameter.
    RpcBuilder& integer(const std::string& name, const std::optional<std::int32_t>& value,
                        bool output = false);
    //! A parameter of raw TYPE_INFO and value bytes.
    RpcBuilder& raw(const std::string& name, std::uint8_t status, const Bytes& typeAndValue);
    //! Starts the next request of the same message.
    RpcBuilder& next(const std::string& name);
    const Bytes& bytes() const { return body_; }

private:
    void header(const std::string& name, std::uint8_t status);
    Bytes body_;
};

} // namespace tsql::server::testing
