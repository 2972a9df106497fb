#include "packet.h"

#include <algorithm>

namespace tsql::server {

bool PacketReader::readExactly(std::uint8_t* data, std::size_t n, bool closeAllowed) {
    std::size_t got = 0;
    while (got < n) {
        const std::size_t r = channel_->read(data + got, n - got);
        if (r == 0) {
            if (got == 0 && closeAllowed) return false;
            throw Disconnected("the client closed the connection inside a packet");
        }
        got += r;
    }
    return true;
}

std::optional<PacketHeader> PacketReader::readPacket(Bytes& payload) {
    std::uint8_t header[kHeaderSize];
    if (!readExactly(header, kHeaderSize, true)) return std::nullopt;
    PacketHeader h;
    h.type = header[0];
    h.status = header[1];
    h.length = static_cast<std::uint16_t>((header[2] << 8) | header[3]);
    if (h.length < kHeaderSize || h.length > kMaxPacketSize + 1)
        throw ProtocolError("a packet announces an impossible length of " + std::to_string(h.length));
    payload.resize(h.length - kHeaderSize);
    if (!payload.empty()) readExactly(payload.data(), payload.size(), false);
    return h;
}

std::optional<ClientMessage> PacketReader::readMessage(std::size_t maxBytes) {
    ClientMessage m;
    Bytes payload;
    for (bool first = true;; first = false) {
        const auto h = readPacket(payload);
        if (!h) {
            if (first) return std::nullopt;
            throw Disconnected("the client closed the connection inside a message");
        }
        if (first) {
            m.type = h->type;
            m.resetConnection =
                (h->status & (kStatusResetConnection | kStatusResetConnectionKeepTransaction)) != 0;
        } else if (h->type != m.type) {
            // An attention may follow the packets of a request the client gave up on; the request is
            // dropped and the attention answered.
            if (h->type == static_cast<std::uint8_t>(PacketType::Attention)) {
                m.type = h->type;
                m.data.clear();
                return m;
            }
            throw ProtocolError("a message mixes packets of different types");
        }
        if (m.data.size() + payload.size() > maxBytes)
            throw ProtocolError("a request of more than " + std::to_string(maxBytes) + " bytes was refused");
        m.data.insert(m.data.end(), payload.begin(), payload.end());
        if (h->status & kStatusEndOfMessage) return m;
    }
}

void PacketWriter::begin(PacketType type) {
    type_ = type;
    packetNumber_ = 1;
    packetsSent_ = 0;
    pending_.clear();
    open_ = true;
}

void PacketWriter::sendPacket(const std::uint8_t* data, std::size_t n, bool last) {
    const std::size_t length = n + kHeaderSize;
    frame_.resize(length);
    frame_[0] = static_cast<std::uint8_t>(type_);
    frame_[1] = last ? kStatusEndOfMessage : 0;
    frame_[2] = static_cast<std::uint8_t>(length >> 8);
    frame_[3] = static_cast<std::uint8_t>(length);
    frame_[4] = static_cast<std::uint8_t>(spid_ >> 8);
    frame_[5] = static_cast<std::uint8_t>(spid_);
    frame_[6] = packetNumber_++;
    frame_[7] = 0;
    std::copy(data, data + n, frame_.begin() + kHeaderSize);
    channel_->write(frame_.data(), frame_.size());
    ++packetsSent_;
}

void PacketWriter::flushFull() {
    const std::size_t chunk = packetSize_ - kHeaderSize;
    if (pending_.size() <= chunk) return;
    std::size_t at = 0;
    // Keep at least one byte back: the message's last packet carries the end-of-message mark.
    while (pending_.size() - at > chunk) {
        sendPacket(pending_.data() + at, chunk, false);
        at += chunk;
    }
    pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(at));
}

void PacketWriter::end() {
    flushFull();
    sendPacket(pending_.data(), pending_.size(), true);
    pending_.clear();
    open_ = false;
}

void PacketWriter::discard() {
    pending_.clear();
}

} // namespace tsql::server
