#pragma once
//! The byte stream to one client: a TCP socket, or TLS over it once encryption is negotiated.

#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <vector>

namespace tsql::server {

//! The client went away or the socket failed; the connection ends without another word.
class Disconnected : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

class Channel {
public:
    virtual ~Channel() = default;
    //! Reads up to `n` bytes, waiting for at least one; 0 when the client closed the connection.
    virtual std::size_t read(std::uint8_t* data, std::size_t n) = 0;
    //! Writes all `n` bytes; throws Disconnected when the client is gone.
    virtual void write(const std::uint8_t* data, std::size_t n) = 0;
    //! True when a read would not wait, after waiting at most `timeoutMs` (0: just look).
    virtual bool readable(int timeoutMs) = 0;
};

//! A connected TCP socket; the descriptor stays owned by the caller. Reads go through a buffer, so a
//! request usually takes one system call however many packets and headers it has.
class SocketChannel final : public Channel {
public:
    explicit SocketChannel(int fd)
        : fd_(fd)
        , buffer_(kBufferSize) {}
    std::size_t read(std::uint8_t* data, std::size_t n) override;
    void write(const std::uint8_t* data, std::size_t n) override;
    bool readable(int timeoutMs) override;
    int fd() const { return fd_; }

private:
    static constexpr std::size_t kBufferSize = 32 * 1024;
    int fd_;
    std::vector<std::uint8_t> buffer_;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
};

} // namespace tsql::server
