#pragma once
//! Packets: the 8-byte header (type, status, big-endian length, SPID, packet number, window) and
//! messages made of packets up to the one marked end-of-message.

#include "channel.h"
#include "wire.h"

#include <cstdint>
#include <optional>

namespace tsql::server {

enum class PacketType : std::uint8_t {
    SqlBatch = 0x01,
    Rpc = 0x03,
    Reply = 0x04,
    Attention = 0x06,
    BulkLoad = 0x07,
    Transaction = 0x0E,
    Login7 = 0x10,
    Sspi = 0x11,
    PreLogin = 0x12,
};

inline constexpr std::uint8_t kStatusEndOfMessage = 0x01;
inline constexpr std::uint8_t kStatusResetConnection = 0x08;
inline constexpr std::uint8_t kStatusResetConnectionKeepTransaction = 0x10;
inline constexpr std::size_t kHeaderSize = 8;
//! The largest packet the protocol allows.
inline constexpr std::size_t kMaxPacketSize = 32767;
inline constexpr std::size_t kMinPacketSize = 512;
inline constexpr std::size_t kDefaultPacketSize = 4096;

struct PacketHeader {
    std::uint8_t type = 0;
    std::uint8_t status = 0;
    std::uint16_t length = 0;
};

//! One request of the client: the payloads of its packets joined.
struct ClientMessage {
    std::uint8_t type = 0;
    bool resetConnection = false;
    Bytes data;
};

//! Reads packets and messages from a channel; a message larger than the limit is refused.
class PacketReader {
public:
    explicit PacketReader(Channel& channel)
        : channel_(&channel) {}
    void setChannel(Channel& channel) { channel_ = &channel; }
    Channel& channel() { return *channel_; }

    //! The next whole message; nullopt when the client closed the connection between messages.
    //! Throws ProtocolError for a malformed packet, a message over `maxBytes` or a close inside one.
    std::optional<ClientMessage> readMessage(std::size_t maxBytes);
    //! One packet's header and payload; nullopt when the client closed before its first byte.
    std::optional<PacketHeader> readPacket(Bytes& payload);

private:
    bool readExactly(std::uint8_t* data, std::size_t n, bool closeAllowed);
    Channel* channel_;
};

//! Writes one message at a time, cutting it into packets of the negotiated size as it grows, so a
//! large result never sits whole in memory.
class PacketWriter {
public:
    PacketWriter(Channel& channel, std::uint16_t spid)
        : channel_(&channel)
        , spid_(spid) {}
    void setChannel(Channel& channel) { channel_ = &channel; }
    void setPacketSize(std::size_t size) { packetSize_ = size; }
    std::size_t packetSize() const { return packetSize_; }
    void setSpid(std::uint16_t spid) { spid_ = spid; }

    //! Starts a message of the given type.
    void begin(PacketType type);
    //! The payload not yet sent; token writers append to it, then call flushFull().
    Bytes& buffer() { return pending_; }
    //! Sends every complete packet of the pending payload, keeping the rest for later.
    void flushFull();
    //! Sends what is left as the message's last packet.
    void end();
    //! Whether a message has been begun and not ended.
    bool open() const { return open_; }
    //! Packets of the current message already sent.
    unsigned packetsSent() const { return packetsSent_; }
    //! Drops the pending payload of an unfinished message (packets already sent stay sent).
    void discard();

private:
    void sendPacket(const std::uint8_t* data, std::size_t n, bool last);
    Channel* channel_;
    std::uint16_t spid_;
    std::size_t packetSize_ = kDefaultPacketSize;
    PacketType type_ = PacketType::Reply;
    std::uint8_t packetNumber_ = 1;
    unsigned packetsSent_ = 0;
    bool open_ = false;
    Bytes pending_;
    Bytes frame_;
};

} // namespace tsql::server
